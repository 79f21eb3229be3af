#pragma once
// The RTF reader: turns a stream of RTF into events (runs of text with their
// position, pictures, objects, table structure, page breaks, header/footer
// boundaries, list-marker updates) while it keeps the formatting in force and
// the document's tables (fonts, colours, style sheet, lists). The receiver
// reads those from the reader inside each event. The reader builds no
// document and never opens a file that the RTF names.
#include <array>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <memory>
#include <optional>
#include <unordered_map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/CanvasTypes.h"
#include "platform/Graphics.h"
#include "richtext/controls/RVRTFErr.h"

namespace kc {

// Colours as the platform keeps them (0x00BBGGRR, or a system colour).
using TRVRTFColor = TColor;
constexpr TRVRTFColor rtf_clNone = clNone;
constexpr TRVRTFColor rtf_clWindowText = clWindowText; // the automatic colour

enum TRVRTFPosition : uint8_t { rtf_ts_ContinuePara, rtf_ts_NewLine, rtf_ts_NewPara };
enum TRVRTFTableEventKind : uint8_t { rvf_tbl_TableStart, rvf_tbl_TableEnd, rvf_tbl_RowEnd, rvf_tbl_CellEnd };
enum TRVRTFHeaderFooterType : uint8_t { rtf_hf_MainText, rtf_hf_Header, rtf_hf_Footer };
enum TRVRTFProgressStage : uint8_t { rvprtfprStarting, rvprtfprRunning, rvprtfprEnding };
enum TRVRTFHighlightConvert : uint8_t { rtf_hl_Ignore, rtf_hl_FixedColors, rtf_hl_ColorTable };

// Bits of TRVRTFCharProperties::Style and of marker font styles.
enum TRVRTFFontStyle : uint8_t { rtf_fsBold = 1, rtf_fsItalic = 2, rtf_fsUnderline = 4, rtf_fsStrikeOut = 8 };
// Bits of TRVRTFCharProperties::StyleEx.
enum TRVRTFFontStyleEx : uint8_t { rtf_fsAllCaps = 1 };

// Limits that keep hostile input from costing unbounded memory or time.
constexpr int kRTFMaxGroupDepth = 1000;
// Tables nest no deeper than a saved document may hold them.
constexpr int kRTFMaxTableNesting = 16;
constexpr int kRTFMaxCellsInRow = 256;
constexpr int kRTFMaxControlWordLength = 32;
constexpr int kRTFMaxFonts = 32768;
constexpr int kRTFMaxTableEntries = 4096; // style sheet entries
constexpr int kRTFMaxLists = 1024;        // lists and list overrides
constexpr int kRTFMaxListLevels = 64;     // levels of one list or override
constexpr size_t kRTFMaxNameLength = 255; // names, marker and level texts
constexpr size_t kRTFMaxFieldInstruction = 16384;
// Character spacing (twips) and width scale (percent) within what word
// processors offer: 1584 points either way, 1 to 600 percent. Anything
// wider only overflows the sums of measuring and painting.
constexpr int32_t kRTFMaxCharSpacing = 31680;
constexpr int32_t kRTFMinCharScale = 1;
constexpr int32_t kRTFMaxCharScale = 600;

// The text of a field instruction, shared by the group states that hold it:
// opening a group costs no copy, and what a group inside the instruction
// adds belongs to the one instruction.
class TRVRTFSharedText {
public:
  const std::string &str() const { return p_ ? *p_ : empty(); }
  operator const std::string &() const { return str(); }
  void clear() { p_.reset(); }
  // A new empty text for this state and the groups opened inside it; the
  // states that held the old text keep it.
  void start() { p_ = std::make_shared<std::string>(); }
  void push_back(char c, size_t maxLength) {
    if (!p_) start();
    if (p_->size() < maxLength) p_->push_back(c);
  }

private:
  static const std::string &empty() {
    static const std::string e;
    return e;
  }
  std::shared_ptr<std::string> p_;
};

struct TRVRTFCharProperties {
  int32_t Size = 12;
  TRVRTFColor Color = rtf_clWindowText;
  TRVRTFColor BackColor = rtf_clNone;
  int32_t FontIndex = -1;
  uint8_t Style = 0;
  uint8_t StyleEx = 0;
  int32_t CharScaleX = 100;
  uint8_t SubSuperScript = 0; // 0 none, 1 subscript, 2 superscript
  int32_t CharSpacing = 0;    // twips
  bool Hidden = false;
  int32_t Language = 0;
  std::string FontName; // set only by a SYMBOL field

  void Reset(int32_t defLanguage, int32_t defFontIndex);
};

struct TRVRTFBorderSide {
  uint8_t BorderType = 0; // 0 none
  bool TypeGiven = false;
  int32_t Width = 0; // twips
  TRVRTFColor Color = rtf_clNone;
  int32_t Space = 0; // twips
};

struct TRVRTFParaBorder {
  std::array<std::optional<TRVRTFBorderSide>, 4> Sides; // left, top, right, bottom
  uint8_t CurrentSide = 0;

  TRVRTFBorderSide &Side(int i);
  const TRVRTFBorderSide *GetSide(int i) const;
  bool IsVisible() const;
};

struct TRVRTFCustomMarkerProperties {
  uint8_t NumberType = 0;
  uint8_t Alignment = 0;
  int32_t StartAt = 1;
  int32_t FontIndex = -1;
  int32_t Size = 12;
  TRVRTFColor Color = rtf_clWindowText;
  uint8_t FontStyle = 0;
  bool FontGiven = false, SizeGiven = false, ColorGiven = false;
};

struct TRVRTFMarkerProperties : TRVRTFCustomMarkerProperties {
  int32_t Level = 0;
  bool Hanging = false;
  int32_t Indent = 0;
  int32_t Spacing = 0;
  std::string TextAfter, TextBefore;
};

struct TRVRTFListLevel97 : TRVRTFCustomMarkerProperties {
  bool Old = false;
  int32_t Indent = 0, Space = 0, Follow = 0;
  bool Legal = false, NoRestart = false;
  int32_t Tab = 0, LeftIndent = 0, FirstIndent = 0;
  std::string Text;     // without its length prefix once the level text ended
  std::u16string TextW; // the same as Unicode
  std::string Numbers;  // placeholder positions
  bool TextCut = false, NumbersCut = false;
  // The level text's bytes as they came, length first: the level's font,
  // often named after the text, decides their code page.
  std::string RawText;
  bool TextHasUnicode = false;
};

struct TRVRTFList97 {
  int32_t ListID = 0;
  bool Simple = false;
  std::string Name;
  std::vector<TRVRTFListLevel97> Levels;
};

struct TRVRTFListOverrideLevel97 {
  int32_t StartAt = 1;
  bool UseStartAt = false;
};

struct TRVRTFListOverride97 {
  int32_t ListIndex = -1;
  int32_t Count = 0;
  int32_t Number = 0;
  std::vector<TRVRTFListOverrideLevel97> Levels;
};

struct TRVRTFParaProperties {
  int32_t LeftIndent = 0, RightIndent = 0, FirstIndent = 0;
  int32_t SpaceBefore = 0, SpaceAfter = 0;
  uint8_t Alignment = 0; // 0 left, 1 right, 2 centre, 3 justify
  std::optional<TRVRTFParaBorder> Border;
  std::optional<TRVRTFMarkerProperties> Marker;
  int32_t LineSpacing = 240;
  int32_t LineSpacingMultiple = 1;
  TRVRTFColor Color = rtf_clNone;
  int32_t Shading = 0;
  TRVRTFColor ForeColor = 0;
  int32_t NestingLevel = 1;
  bool InTable = false;
  int32_t ListOverrideIndex = -1;
  int32_t ListLevel = 0;
  bool KeepLinesTogether = false, KeepWithNext = false;
  bool NoOverlap = false;
  bool LineSpacingGiven = false;

  void Reset() { *this = TRVRTFParaProperties(); }
};

struct TRVRTFSectionProperties {
  int32_t Columns = 1;
  uint8_t SectionBreak = 4;
  int32_t PageNumberX = 720, PageNumberY = 720;
  uint8_t PageNumberFormat = 0;
  int32_t HeaderY = 720, FooterY = 720;
  // Levels 1..11 of \pnseclvl, made on demand; shared between group states
  // until one of them changes.
  std::shared_ptr<std::array<std::optional<TRVRTFMarkerProperties>, 11>> SectionMarkers;

  const TRVRTFMarkerProperties *GetSectionMarker(int level) const;
  TRVRTFMarkerProperties &SectionMarker(int level); // level 1..11
};

struct TRVRTFDocProperties {
  int32_t PaperWidth = 12240, PaperHeight = 15480;
  int32_t LeftMargin = 1800, RightMargin = 1800, TopMargin = 1440, BottomMargin = 1440;
  int32_t PageNumberStart = 1;
  bool FacingPages = false, Landscape = false;
};

struct TRVRTFCellProperties {
  uint8_t VMerge = 0, HMerge = 0;
  int32_t BestWidth = 0;
  bool PercentWidth = false;
  int32_t RawWidth = 0, WidthUnit = -1;
  TRVRTFColor Color = rtf_clNone;
  TRVRTFColor ForeColor = 0;
  int32_t Shading = 0;
  uint8_t VAlign = 0;
  int32_t RightBoundary = 0;
  int32_t BestHeight = 0;
  TRVRTFParaBorder Border;
};

struct TRVRTFRowProperties {
  int32_t Gap = 0, Left = 0, Height = 0;
  bool Heading = false;
  std::array<int32_t, 4> Padding{}; // left, top, right, bottom
  std::array<bool, 4> PaddingTwips{};
  std::array<int32_t, 4> Spacing{};
  std::array<bool, 4> SpacingTwips{};
  int32_t BestWidth = 0;
  bool PercentWidth = false;
  int32_t RawWidth = 0, WidthUnit = -1;
  TRVRTFParaBorder Border;
  std::vector<TRVRTFCellProperties> Cells{1};
  bool LastCellPlaceholder = true;
  bool ShadingPending = true;
  bool OwnWidths = false;

  // The cell that takes the cell words; a row left without cells (its
  // definition had no \cellx) gets one again.
  TRVRTFCellProperties &LastCell() {
    if (Cells.empty()) Cells.emplace_back();
    return Cells.back();
  }
};

struct TRVRTFReaderState {
  int32_t DefLanguage = 0;
  TRVRTFCharProperties CharProps;
  TRVRTFParaProperties ParaProps;
  TRVRTFSectionProperties SectProps;
  TRVRTFDocProperties DocProps;
  // Copied on write: a group shares its parent's row until it changes it.
  std::shared_ptr<TRVRTFRowProperties> RowProps;
  uint8_t BorderTarget = 0; // 0 paragraph, 1 row, 2 cell
  uint8_t Destination = 0;
  uint8_t InternalState = 0; // 0 normal, 1 binary, 2 hex
  TRVRTFSharedText FieldInstruction;
  bool FieldResultReplaced = false;
  int32_t DefFontNumber = 0;
  int32_t DefFontIndex = -1;
  TRVRTFHeaderFooterType HFType = rtf_hf_MainText;
  int32_t UC = 1; // fallback characters after \u, scoped to the group

  TRVRTFRowProperties &RowForWrite();
};

struct TRVRTFFont {
  int32_t FontNumber = 0;
  std::string FontName;
  uint8_t Family = 0;
  uint8_t Charset = 1;
};

struct TRVRTFStyleSheetEntry {
  uint8_t Kind = 1; // 1 paragraph, 0 character, 2 section
  int32_t Number = 0;
  std::string Name;
  int32_t BasedOn = 0, Next = 0;
  bool Additive = false, Hidden = false;
  TRVRTFCharProperties CharProps;
  TRVRTFParaProperties ParaProps;
};

struct TRVRTFPicture {
  uint8_t Kind = 0; // emfblip 0, pngblip 1, jpegblip 2, macpict 3, pmmetafile 4, wmetafile 5, dibitmap 6, wbitmap 7
  int32_t MapMode = 1;
  int32_t PicW = 0, PicH = 0, PicWGoal = 0, PicHGoal = 0;
  int32_t ScaleX = 100, ScaleY = 100;
  int32_t WidthBytes = 0, BitsPixel = 1, Planes = 1;
  bool PicBmp = false;
  std::string Data;
  int32_t PixelWidth = 0, PixelHeight = 0;
  bool FromShpPict = false;
  // The data could not be read; the graphic is the invalid-picture image.
  bool Invalid = false;
};

struct TRVRTFObject {
  uint8_t Kind = 0;
  int32_t Width = 0, Height = 0;
  std::string Data;
};

// Range-checked read access to a list the reader fills.
template <typename T> class TRVRTFTable {
public:
  int Count() const { return int(items_.size()); }
  const T *Get(int i) const { return i >= 0 && i < Count() ? &items_[size_t(i)] : nullptr; }
  T *Get(int i) { return i >= 0 && i < Count() ? &items_[size_t(i)] : nullptr; }
  const T *Last() const { return items_.empty() ? nullptr : &items_.back(); }
  T *Last() { return items_.empty() ? nullptr : &items_.back(); }
  T &Add(T v = T()) { return items_.emplace_back(std::move(v)); }
  void Delete(int i) { items_.erase(items_.begin() + i); }
  void Clear() { items_.clear(); }
  const std::vector<T> &Items() const { return items_; }

private:
  std::vector<T> items_;
};

class TRVRTFFontList : public TRVRTFTable<TRVRTFFont> {
public:
  // The index of the first font with Number; when none, that of the default
  // number's font, else 0; -1 when the list is empty.
  int GetFontIndex(int32_t Number, int32_t DefNumber) const;
  void Clear() {
    TRVRTFTable<TRVRTFFont>::Clear();
    index_.clear();
    indexed_ = 0;
  }

private:
  int FirstWithNumber(int32_t Number) const;
  // font number -> first index of the fonts indexed so far; fonts are only
  // appended or all cleared
  mutable std::unordered_map<int32_t, int> index_;
  mutable int indexed_ = 0;
};

using TRVRTFColorList = TRVRTFTable<TRVRTFColor>;
using TRVRTFStyleSheet = TRVRTFTable<TRVRTFStyleSheetEntry>;
using TRVRTFListTable97 = TRVRTFTable<TRVRTFList97>;
using TRVRTFListOverrideTable97 = TRVRTFTable<TRVRTFListOverride97>;

class TRVRTFReader;
using TRVRTFNewTextEvent = std::function<void(TRVRTFReader &Sender, const std::string &Text, TRVRTFPosition Position)>;
using TRVRTFNewUnicodeTextEvent =
    std::function<void(TRVRTFReader &Sender, const std::u16string &Text, TRVRTFPosition Position)>;
// The receiver takes the graphic by moving it out of Graphic. RTFPicture is
// nullptr for a picture that an INCLUDEPICTURE or IMPORT field supplied.
using TRVRTFNewPictureEvent =
    std::function<void(TRVRTFReader &Sender, TRVRTFPicture *RTFPicture, std::unique_ptr<TGraphic> &Graphic,
                       TRVRTFPosition Position, bool &Inserted)>;
using TRVRTFNewObjectEvent =
    std::function<void(TRVRTFReader &Sender, TRVRTFObject &RTFObject, TRVRTFPosition Position, bool &Inserted)>;
using TRVRTFImportPictureEvent =
    std::function<void(TRVRTFReader &Sender, const std::string &Location, std::unique_ptr<TGraphic> &Graphic)>;
using TRVRTFTableEvent = std::function<void(TRVRTFReader &Sender, TRVRTFTableEventKind WhatHappens)>;
using TRVRTFNotifyEvent = std::function<void(TRVRTFReader &Sender)>;
using TRVRTFHeaderFooterEvent =
    std::function<void(TRVRTFReader &Sender, TRVRTFHeaderFooterType HFType, bool Starting, bool &Supported)>;
using TRVRTFProgressEvent = std::function<void(TRVRTFReader &Sender, TRVRTFProgressStage Stage, uint8_t PercentDone)>;

// Called for every picture graphic the reader creates, after loading and
// before OnNewPicture. Does nothing by default.
extern std::function<void(TGraphic &)> RVRTFAfterImportGraphic;

class TRVRTFReader {
public:
  TRVRTFReader();
  ~TRVRTFReader();
  TRVRTFReader(const TRVRTFReader &) = delete;
  TRVRTFReader &operator=(const TRVRTFReader &) = delete;

  TRVRTFNewTextEvent OnNewText;
  TRVRTFNewUnicodeTextEvent OnNewUnicodeText;
  TRVRTFNewPictureEvent OnNewPicture;
  TRVRTFNewObjectEvent OnNewObject;
  TRVRTFImportPictureEvent OnImportPicture;
  TRVRTFTableEvent OnTable;
  TRVRTFNotifyEvent OnRequiredPageBreak;
  TRVRTFHeaderFooterEvent OnHeaderFooter;
  TRVRTFNotifyEvent OnUpdateMarker;
  TRVRTFProgressEvent OnProgress;

  uint32_t DefCodePage = 0;
  TRVRTFHighlightConvert ConvertHighlight = rtf_hl_FixedColors;
  bool ExtractMetafileBitmaps = true;
  std::string BasePath;

  // Reads the whole stream; the result is a TRVRTFErrorCode. Errors raised by
  // event handlers pass through.
  int ReadRTFStream(std::istream &Stream);
  // The same for RTF held in memory.
  int ReadRTFData(std::string_view Data);

  // The formatting in force (valid during events and after reading).
  const TRVRTFReaderState &RTFState() const { return cur_; }
  const TRVRTFCharProperties &CharProps() const { return cur_.CharProps; }
  const TRVRTFParaProperties &ParaProps() const { return cur_.ParaProps; }
  const TRVRTFRowProperties *RowProps() const { return cur_.RowProps.get(); }
  const TRVRTFFontList &FontList() const { return fonts_; }
  const TRVRTFColorList &ColorList() const { return colors_; }
  const TRVRTFStyleSheet &StyleSheet() const { return styles_; }
  const TRVRTFListTable97 &ListTable() const { return lists_; }
  const TRVRTFListOverrideTable97 &ListOverrideTable() const { return overrides_; }
  const TRVRTFListOverride97 *GetListOverride(int Number) const;
  uint32_t CodePage() const { return codePage_; }
  // Table alignment of the current table (\trql 0, \trqr 1, \trqc 2).
  uint8_t TableAlignment() const { return tableAlign_; }
  // Where the next run of text goes: a run already given to the receiver
  // leaves its paragraph open (continue) until a paragraph end.
  TRVRTFPosition NextTextPosition() const { return position_; }
  // True while a cell or row end opens the table its paragraph did not say
  // it was in (no \intbl).
  bool OpeningAtCellEnd() const { return openingAtCellEnd_; }

  // Conversions in the reader's code page, falling back to the system code
  // page, then to one "?" per unit.
  std::u16string AnsiToUnicode(std::string_view s) const;
  std::string UnicodeToAnsi(std::u16string_view s) const;
  // Unicode to 8-bit text in the code page of a font's charset.
  std::string UnicodeToAnsiForFont(std::u16string_view s, int FontIndex) const;
  // The code page of 8-bit text written in the font with this index.
  int CodePageOfFont(int FontIndex) const;

  // First argument of a field instruction, quotes removed.
  static std::string GetFieldArgument(std::string_view Instruction);

  // One record of the control-word table.
  struct Rec;

private:
  static const Rec *FindWord(std::string_view word);

  void Reset();
  // Reads the source set up (stream or memory) from the start, with the
  // progress reports, and lets go of it.
  int ReadFromSource();
  int ParseLoop();
  int GetByte();
  void PushBack(int c) { pushedBack_ = c; }
  void Refill();

  int PushGroup();
  int PopGroup();
  int ReadControlWord();
  int LookupWord(std::string_view word, bool hasParam, int32_t param);
  // A property word, by the destination it stands in.
  int ApplyProperty(int num, int32_t value, bool hasParam, int32_t param);
  bool ApplyEncodingWord(int num, int32_t value);
  void ApplyColorTableWord(int num, int32_t value);
  void ApplyFontTableWord(int num, int32_t value);
  int ApplyStyleSheetWord(int num, int32_t value, bool hasParam);
  void ApplyPictureWord(int num, int32_t value);
  void ApplyObjectWord(int num, int32_t value);
  void ApplyListWord(int num, int32_t value);
  // The words the general rules apply, in normal text and style entries.
  int ApplyGeneral(int num, int32_t value, bool hasParam);
  int ApplyTextWord(int num, int32_t value);
  int ApplyTableWord(int num, int32_t value, bool hasParam);
  void ApplyRowWord(int num, int32_t value);
  void ApplyCellWord(int num, int32_t value);
  void ApplyMarkerProperty(TRVRTFMarkerProperties &m, int num, int32_t value);
  void ApplyLevelProperty(TRVRTFListLevel97 &l, int num, int32_t value);
  void ApplyBorderProperty(int num, int32_t value);
  int EnterDestination(int num, int32_t param);
  int EnterPictureDestination(int num);
  uint8_t DocumentTableDestination(int num);
  int FinishDestination(uint8_t dest, TRVRTFReaderState &saved);
  // The level that level words, text and numbers go to; nullptr when none.
  TRVRTFListLevel97 *LastLevel();
  // A level text (and a level numbers) group holds a length, its first
  // character, and then the text: cut to that length once the group ends.
  void FinishLevelText(TRVRTFListLevel97 &lv);
  void ReadLevelTextInFontCodePage(TRVRTFListLevel97 &lv);
  int CharHandler(int c);
  int TextOutput(int c, bool closingAllowed, bool sync);
  bool FlushBuffers();
  int Flush(bool sync);
  void AddUnicodeChar(char16_t ch);
  void FlushLevelLead(TRVRTFListLevel97 &lv);
  void AddLevelTextByte(TRVRTFListLevel97 &lv, char b);
  // minLevel 1: a cell or row end of the outermost table; 2: of a nested one.
  void SyncNesting(bool closingAllowed, int minLevel = 0);
  void FireTable(TRVRTFTableEventKind kind);
  void FireMarkerUpdate();
  void HandleUnicode(int32_t value);
  void FinishParaShading();
  void FinishRow();
  int FinishPicture();
  void FieldInstructionDone(TRVRTFReaderState &saved);
  void InsertFieldPicture(std::string_view instr, TRVRTFReaderState &saved);
  void InsertSymbol(std::string_view instr);
  TRVRTFColor ColorAt(int32_t index) const; // rtf_clNone-like sentinel when out of range
  bool ValidColorIndex(int32_t index) const { return index >= 0 && index < colors_.Count(); }
  TRVRTFMarkerProperties *TargetMarker();
  TRVRTFMarkerProperties *TextMarker(); // where \pntxta and \pntxtb text goes
  void AddDataByte(std::string &data, int c, bool &high, uint8_t &acc, int &err);

  // input
  std::istream *stream_ = nullptr;
  std::string_view memory_;
  size_t memoryPos_ = 0;
  int64_t size_ = 0, consumed_ = 0;
  std::string buffer_;
  size_t bufPos_ = 0, bufLen_ = 0;
  int pushedBack_ = -1;
  bool progress_ = false;

  // state
  TRVRTFReaderState cur_;
  std::vector<TRVRTFReaderState> stack_;
  int depth_ = 0;
  std::string ansiText_;
  std::u16string uniText_;
  TRVRTFPosition position_ = rtf_ts_NewPara;
  uint32_t codePage_ = 0;
  int skipChars_ = 0;
  int64_t binLeft_ = 0;
  bool ignorable_ = false;
  int tableNesting_ = 0;
  bool openingAtCellEnd_ = false;
  uint8_t tableAlign_ = 0;
  std::unique_ptr<TRVRTFPicture> picture_;
  bool picHigh_ = true;
  uint8_t picAcc_ = 0;
  std::unique_ptr<TRVRTFObject> object_;
  bool objHigh_ = true;
  uint8_t objAcc_ = 0;
  std::unique_ptr<TRVRTFMarkerProperties> marker_;
  int sectionLevel_ = 1;
  bool sectionText_ = false; // the marker text belongs to a section level
  bool shppictInserted_ = false;
  bool objectInserted_ = false;
  bool forceFlush_ = false;
  int hexAcc_ = 0, hexDigits_ = 0;
  int levelLead_ = -1; // a double-byte lead byte of the level text awaiting its second byte
  bool colorFromSemicolon_ = false;

  TRVRTFFontList fonts_;
  TRVRTFColorList colors_;
  TRVRTFStyleSheet styles_;
  TRVRTFListTable97 lists_;
  TRVRTFListOverrideTable97 overrides_;
};

} // namespace kc
