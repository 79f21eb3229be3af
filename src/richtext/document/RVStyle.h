#pragma once
// The style sheet shared by the rich-text documents of a window: text,
// paragraph and list styles referred to by index, the colours of selections,
// hyperlinks, checkpoints and page breaks, and the painting hooks the host
// may take over.
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Canvas.h"
#include "platform/Cursors.h"
#include "platform/Graphics.h"
#include "platform/ImageList.h"
#include "richtext/document/RVClasses.h"
#include "richtext/document/RVFuncs.h"

namespace kc {

class IniStore;
class TRVStyle;
class TCustomRVInfos;
class TCustomRVData;
class TRVScroller;
class TRVPropertyWriter;
struct TRVStoredValue;

// The image lists of the document whose styles are being stored: a level's
// image list is then stored by its tag.
struct TRVStyleStreamLinks {
  std::function<int32_t(const TCustomImageList *)> TagOf;
  std::function<TCustomImageList *(int32_t)> ImageListOf;
};

// Set of TFontStyle bits.
using TFontStyles = std::uint8_t;

// Pascal-like set over a small enumeration: bit n stands for the value n.
template <typename E, typename Raw = uint32_t> class TRVSet {
public:
  constexpr TRVSet() = default;
  constexpr TRVSet(std::initializer_list<E> values) {
    for (E v : values) Bits |= Raw(Raw(1) << int(v));
  }
  static constexpr TRVSet FromRaw(Raw raw) {
    TRVSet s;
    s.Bits = raw;
    return s;
  }
  constexpr Raw Raw_() const { return Bits; }
  constexpr bool Has(E v) const { return (Bits >> int(v)) & 1; }
  constexpr bool Empty() const { return Bits == 0; }
  TRVSet &Include(E v) {
    Bits |= Raw(Raw(1) << int(v));
    return *this;
  }
  TRVSet &Exclude(E v) {
    Bits &= Raw(~(Raw(1) << int(v)));
    return *this;
  }
  TRVSet &Set(E v, bool on) { return on ? Include(v) : Exclude(v); }
  friend constexpr bool operator==(TRVSet a, TRVSet b) { return a.Bits == b.Bits; }
  friend constexpr bool operator!=(TRVSet a, TRVSet b) { return a.Bits != b.Bits; }
  friend constexpr TRVSet operator+(TRVSet a, TRVSet b) { return FromRaw(Raw(a.Bits | b.Bits)); }
  friend constexpr TRVSet operator-(TRVSet a, TRVSet b) { return FromRaw(Raw(a.Bits & ~b.Bits)); }

private:
  Raw Bits = 0;
};

// ---------------------------------------------------------------------------
// Enumerations of the style sheet

enum TRVBiDiMode : uint8_t { rvbdUnspecified, rvbdLeftToRight, rvbdRightToLeft };

enum TRVFontStyleEx : uint8_t { rvfsOverline, rvfsAllCaps };
using TRVFontStyles = TRVSet<TRVFontStyleEx, uint8_t>;

enum TRVProtectOption : uint8_t {
  rvprStyleProtect,
  rvprModifyProtect,
  rvprDeleteProtect,
  rvprConcateProtect,
  rvprRVFInsertProtect,
  rvprDoNotAutoSwitch,
  rvprParaStartProtect,
  rvprSticking,
  rvprStickToTop,
  rvprStickToBottom
};
using TRVProtectOptions = TRVSet<TRVProtectOption, uint16_t>;

enum TRVTextOption : uint8_t { rvteoHTMLCode, rvteoRTFCode };
using TRVTextOptions = TRVSet<TRVTextOption, uint8_t>;

enum TRVAlignment : uint8_t { rvaLeft, rvaRight, rvaCenter, rvaJustify };
enum TRVLineSpacingType : uint8_t { rvlsPercent, rvlsSpaceBetween };

enum TRVParaOption : uint8_t {
  rvpaoNoWrap,
  rvpaoReadOnly,
  rvpaoStyleProtect,
  rvpaoDoNotWantReturns,
  rvpaoKeepLinesTogether,
  rvpaoKeepWithNext
};
using TRVParaOptions = TRVSet<TRVParaOption, uint8_t>;

enum TRVBorderStyle : uint8_t { rvbNone, rvbSingle, rvbDouble, rvbTriple, rvbThickInside, rvbThickOutside };

enum TRVListType : uint8_t {
  rvlstBullet,
  rvlstPicture,
  rvlstImageList,
  rvlstDecimal,
  rvlstLowerAlpha,
  rvlstUpperAlpha,
  rvlstLowerRoman,
  rvlstUpperRoman,
  rvlstImageListCounter,
  rvlstUnicodeBullet
};
enum TRVMarkerAlignment : uint8_t { rvmaLeft, rvmaRight, rvmaCenter };
enum TRVListLevelOption : uint8_t { rvloContinuous, rvloLevelReset, rvloLegalStyleNumbering };
using TRVListLevelOptions = TRVSet<TRVListLevelOption, uint8_t>;

enum TRVSelectionMode : uint8_t { rvsmChar, rvsmWord, rvsmParagraph };
enum TRVSelectionStyle : uint8_t { rvssItems, rvssLines };

enum TRVTextDrawState : uint8_t {
  rvtsSelected,
  rvtsHover,
  rvtsItemStart,
  rvtsItemEnd,
  rvtsDrawItemStart,
  rvtsDrawItemEnd,
  rvtsControlFocused,
  rvtsSpecialCharacters
};
using TRVTextDrawStates = TRVSet<TRVTextDrawState, uint8_t>;

enum TRVPageBreakType : uint8_t { rvpbSoftPageBreak, rvpbPageBreak };

// The cursors a style sheet registers with the screen when it is made: the
// hand over hyperlinks and the arrow that selects lines.
constexpr TCursor crJump = 101;
constexpr TCursor crRVFlipArrow = 106;

// How RVF reading treats the style tables it meets.
enum TRVFReaderStyleMode : uint8_t { rvf_sIgnore, rvf_sInsertMap, rvf_sInsertMerge };
// Modes of merging a style table read from a file into the sheet's.
enum TRVStyleMergeMode : uint8_t { rvs_merge_SmartMerge, rvs_merge_Map, rvs_merge_Append };

// Properties of a text style, a set bit means "ignore" in IsEqualEx.
enum TRVFontInfoProperty : uint8_t {
  rvfiFontName,
  rvfiSize,
  rvfiCharset,
  rvfiUnicode,
  rvfiBold,
  rvfiItalic,
  rvfiUnderline,
  rvfiStrikeOut,
  rvfiOverline,
  rvfiAllCaps,
  rvfiVShift,
  rvfiColor,
  rvfiBackColor,
  rvfiJump,
  rvfiHoverBackColor,
  rvfiHoverColor,
  rvfiJumpCursor,
  rvfiNextStyleNo,
  rvfiProtection,
  rvfiCharScale,
  rvfiBaseStyleNo,
  rvfiBiDiMode,
  rvfiCharSpacing,
  rvfiHTMLCode,
  rvfiRTFCode
};
using TRVFontInfoProperties = TRVSet<TRVFontInfoProperty, uint32_t>;

// Properties of a paragraph style (34 of them), a set bit means "ignore".
enum TRVParaInfoProperty : uint8_t {
  rvpiFirstIndent,
  rvpiLeftIndent,
  rvpiRightIndent,
  rvpiSpaceBefore,
  rvpiSpaceAfter,
  rvpiAlignment,
  rvpiNextParaNo,
  rvpiDefStyleNo,
  rvpiLineSpacing,
  rvpiLineSpacingType,
  rvpiBackground_Color,
  rvpiBackground_BO_Left,
  rvpiBackground_BO_Top,
  rvpiBackground_BO_Right,
  rvpiBackground_BO_Bottom,
  rvpiBorder_Color,
  rvpiBorder_Style,
  rvpiBorder_Width,
  rvpiBorder_InternalWidth,
  rvpiBorder_BO_Left,
  rvpiBorder_BO_Top,
  rvpiBorder_BO_Right,
  rvpiBorder_BO_Bottom,
  rvpiBorder_Vis_Left,
  rvpiBorder_Vis_Top,
  rvpiBorder_Vis_Right,
  rvpiBorder_Vis_Bottom,
  rvpiNoWrap,
  rvpiReadOnly,
  rvpiStyleProtect,
  rvpiDoNotWantReturns,
  rvpiKeepLinesTogether,
  rvpiKeepWithNext,
  rvpiBiDiMode
};
using TRVParaInfoProperties = TRVSet<TRVParaInfoProperty, uint64_t>;
constexpr int RVParaInfoPropertyCount = 34;
TRVParaInfoProperties RVAllParaInfoProperties();

// ---------------------------------------------------------------------------
// Small value classes of borders and backgrounds

class TRVRect {
public:
  int32_t Top = 0, Left = 0, Right = 0, Bottom = 0;

  void Assign(const TRVRect &Source);
  void SetAll(int32_t Value);
  void AssignToRect(TRect &R) const;
  void AssignToRectIfGreater(TRect &R) const;
  void InflateRect(TRect &R) const;
  void InflateRectSaD(TRect &R, const TRVScreenAndDevice &Ratio) const;
  bool IsEqual(const TRVRect &Value) const;
  bool IsEqualEx(const TRVRect &Value, bool IgnoreLeft, bool IgnoreTop, bool IgnoreRight, bool IgnoreBottom) const;
  int64_t SimilarityValue(const TRVRect &Value, int32_t Weight) const;

  void SaveToINI(IniStore &Ini, const std::string &Section, const std::string &KeyFormat) const;
  void LoadFromINI(IniStore &Ini, const std::string &Section, const std::string &KeyFormat);
};

class TRVBooleanRect {
public:
  bool Top = true, Left = true, Right = true, Bottom = true;

  explicit TRVBooleanRect(bool DefValue = true);
  void Assign(const TRVBooleanRect &Source);
  void SetAll(bool Value);
  void SetValues(bool ALeft, bool ATop, bool ARight, bool ABottom);
  bool IsEqual(const TRVBooleanRect &Value) const;
  bool IsEqualValues(bool ALeft, bool ATop, bool ARight, bool ABottom) const;
  bool IsAllEqual(bool Value) const;
  bool IsEqualEx(const TRVBooleanRect &Value, bool IgnoreLeft, bool IgnoreTop, bool IgnoreRight,
                 bool IgnoreBottom) const;

  void SaveToINI(IniStore &Ini, const std::string &Section, const std::string &KeyFormat) const;
  void LoadFromINI(IniStore &Ini, const std::string &Section, const std::string &KeyFormat);
};

class TRVBorder {
public:
  TColor Color = clWindowText;
  TRVBorderStyle Style = rvbNone;
  int32_t Width = 1;
  int32_t InternalWidth = 1;
  TRVBooleanRect VisibleBorders{true};
  TRVRect BorderOffsets;

  void Assign(const TRVBorder &Source);
  int32_t GetTotalWidth() const;
  // Screen painting: widths as stored.
  void DrawSimple(const TRect &Rect, TCanvas &ACanvas) const;
  // Printing: offsets and widths scaled to the canvas.
  void Draw(const TRect &Rect, TCanvas &ACanvas, uint8_t ColorMode, const TRVScreenAndDevice &Ratio) const;
  bool IsEqual(const TRVBorder &Value) const;
  bool IsEqual_Para(const TRVBorder &Value, TRVParaInfoProperties IgnoreList) const;
  int64_t SimilarityValue(const TRVBorder &Value) const;

  void SaveToINI(IniStore &Ini, const std::string &Section, const std::string &KeyFormat) const;
  void LoadFromINI(IniStore &Ini, const std::string &Section, const std::string &KeyFormat);

private:
  void DoDraw(TRect R, TCanvas &ACanvas, int32_t OnePixel, int32_t W, int32_t IW, uint8_t ColorMode) const;
};

class TRVBackgroundRect {
public:
  TRVRect BorderOffsets;
  TColor Color = clNone;

  void Assign(const TRVBackgroundRect &Source);
  void PrepareDraw(TRect &Rect) const;
  void PrepareDrawSaD(TRect &Rect, const TRVScreenAndDevice &Ratio) const;
  void Draw(const TRect &Rect, TCanvas &ACanvas, bool Printing, uint8_t ColorMode) const;
  bool IsEqual(const TRVBackgroundRect &Value) const;
  bool IsEqual_Para(const TRVBackgroundRect &Value, TRVParaInfoProperties IgnoreList) const;
  int64_t SimilarityValue(const TRVBackgroundRect &Value) const;

  void SaveToINI(IniStore &Ini, const std::string &Section, const std::string &KeyFormat) const;
  void LoadFromINI(IniStore &Ini, const std::string &Section, const std::string &KeyFormat);
};

// ---------------------------------------------------------------------------
// Style entries

class TCustomRVInfo {
public:
  virtual ~TCustomRVInfo();

  int32_t BaseStyleNo = -1;
  std::string StyleName;
  bool Standard = true;

  TCustomRVInfos *Collection() const { return FCollection; }
  // Position in the owning table, -1 when not in a table.
  int Index() const;
  std::string DisplayName() const { return StyleName; }

  // Copies the base fields from another style entry (any kind).
  virtual void Assign(const TCustomRVInfo &Source);
  virtual bool IsEqualTo(const TCustomRVInfo &Value, bool IgnoreReferences) const;
  virtual bool IsEqualToMapped(const TCustomRVInfo &Value, const TRVIntegerList &Mapping) const;
  virtual int64_t SimilarityValue(const TCustomRVInfo &Value) const;

  virtual void SaveToINI(IniStore &Ini, const std::string &Section, const std::string &KeyFormat) const;
  virtual void LoadFromINI(IniStore &Ini, const std::string &Section, const std::string &KeyFormat);

  // The stored form inside documents: the published properties that differ
  // from their defaults. ReadStoredProperty answers false for a name it does
  // not know.
  virtual void WriteStoredProperties(TRVPropertyWriter &Writer, const TRVStyleStreamLinks *Links) const;
  virtual bool ReadStoredProperty(const std::string &Name, const TRVStoredValue &Value,
                                  const TRVStyleStreamLinks *Links);

protected:
  TCustomRVInfo() = default;
  TCustomRVInfo(const TCustomRVInfo &) = delete;
  TCustomRVInfo &operator=(const TCustomRVInfo &) = delete;
  virtual const char *DefaultStyleName() const = 0;

private:
  friend class TCustomRVInfos;
  TCustomRVInfos *FCollection = nullptr;
};

// What reading a style from a file keeps of its character scale (percent) and
// spacing (pixels either way): wider values only push glyphs off any page.
constexpr int32_t RVMaxCharScale = 10000;
constexpr int32_t RVMaxCharSpacing = 10000;

class TFontInfo : public TCustomRVInfo {
public:
  TFontInfo();

  TRVBiDiMode BiDiMode = rvbdUnspecified;
  bool Jump = false;
  TCursor JumpCursor = crJump;
  std::string FontName = "Arial";
  int32_t Size = 10;
  TColor Color = clWindowText;
  TColor BackColor = clNone;
  TColor HoverColor = clNone;
  TColor HoverBackColor = clNone;
  TFontStyles Style = 0;
  TRVFontStyles StyleEx;
  int32_t VShift = 0;
  int32_t NextStyleNo = -1;
  uint8_t Charset = 1;
  bool Unicode = false;
  TRVProtectOptions Protection;
  TRVTextOptions Options;
  int32_t CharScale = 100;
  int32_t CharSpacing = 0;

  void Assign(const TCustomRVInfo &Source) override;
  // From a font: name, size, colour, style and charset only.
  void AssignFont(const TLogFont &Source, TColor SourceColor);
  // To a font: name, size, colour, style; the charset only for 8-bit text.
  void AssignToFont(TLogFont &Dest, TColor &DestColor) const;

  void GetLogFont(TLogFont &LogFont, TCanvas &ACanvas) const;
  void Apply(TCanvas &ACanvas, TRVBiDiMode DefBiDiMode) const;
  void ApplyColor(TCanvas &ACanvas, const TRVStyle &Sheet, TRVTextDrawStates DrawState, bool Printing,
                  uint8_t ColorMode) const;
  void Draw(const std::string &s, TCanvas &ACanvas, int StyleNo, int SpaceBefore, int Left, int Top, int Width,
            int Height, TRVStyle &Sheet, TRVTextDrawStates DrawState, bool Printing, bool FitToWidth, uint8_t ColorMode,
            TRVBiDiMode DefBiDiMode) const;

  bool IsEqualTo(const TCustomRVInfo &Value, bool IgnoreReferences) const override;
  bool IsEqualToMapped(const TCustomRVInfo &Value, const TRVIntegerList &Mapping) const override;
  bool IsEqualEx(const TFontInfo &Value, TRVFontInfoProperties IgnoreList) const;
  int64_t SimilarityValue(const TCustomRVInfo &Value) const override;

  void SaveToINI(IniStore &Ini, const std::string &Section, const std::string &KeyFormat) const override;
  void LoadFromINI(IniStore &Ini, const std::string &Section, const std::string &KeyFormat) override;
  void LoadFromINI(IniStore &Ini, const std::string &Section, const std::string &KeyFormat, bool JumpByDefault,
                   TCursor DefJumpCursor);
  // CSS declarations that differ from BaseStyle (all of them without one).
  void SaveCSSToStream(std::string &Stream, const TFontInfo *BaseStyle, bool Multiline) const;
  void WriteStoredProperties(TRVPropertyWriter &Writer, const TRVStyleStreamLinks *Links) const override;
  bool ReadStoredProperty(const std::string &Name, const TRVStoredValue &Value,
                          const TRVStyleStreamLinks *Links) override;

protected:
  const char *DefaultStyleName() const override { return "Font Style"; }

private:
  bool DrawByChars(const std::string &s, TCanvas &ACanvas, int SpaceBefore, int Left, int Top, int Width, bool FitMode,
                   int Extra) const;
  bool DrawSpecialDots(const std::string &s, TCanvas &ACanvas, int X, int Top) const;
};

class TParaInfo : public TCustomRVInfo {
public:
  TParaInfo();

  int32_t FirstIndent = 0;
  int32_t LeftIndent = 0;
  int32_t RightIndent = 0;
  int32_t SpaceBefore = 0;
  int32_t SpaceAfter = 0;
  int32_t LineSpacing = 100;
  TRVLineSpacingType LineSpacingType = rvlsPercent;
  TRVAlignment Alignment = rvaLeft;
  TRVBorder Border;
  int32_t NextParaNo = -1;
  TRVBackgroundRect Background;
  TRVParaOptions Options;
  TRVBiDiMode BiDiMode = rvbdUnspecified;
  int32_t DefStyleNo = -1;

  bool ExtraLineSpacing() const;

  void Assign(const TCustomRVInfo &Source) override;
  bool IsEqualTo(const TCustomRVInfo &Value, bool IgnoreReferences) const override;
  bool IsEqualToMapped(const TCustomRVInfo &Value, const TRVIntegerList &Mapping) const override;
  bool IsEqualEx(const TParaInfo &Value, TRVParaInfoProperties IgnoreList) const;
  int64_t SimilarityValue(const TCustomRVInfo &Value) const override;

  void SaveToINI(IniStore &Ini, const std::string &Section, const std::string &KeyFormat) const override;
  void LoadFromINI(IniStore &Ini, const std::string &Section, const std::string &KeyFormat) override;
  void SaveCSSToStream(std::string &Stream, const TParaInfo *BaseStyle, bool Multiline, bool IgnoreLeftAlignment,
                       bool ForListItem) const;
  void WriteStoredProperties(TRVPropertyWriter &Writer, const TRVStyleStreamLinks *Links) const override;
  bool ReadStoredProperty(const std::string &Name, const TRVStoredValue &Value,
                          const TRVStyleStreamLinks *Links) override;

protected:
  const char *DefaultStyleName() const override { return "Paragraph Style"; }
};

// Font of a list marker: "Arial" 8 unless changed.
struct TRVMarkerFont {
  std::string Name = "Arial";
  int32_t Size = 8;
  TColor Color = clWindowText;
  TFontStyles Style = 0;
  uint8_t Charset = 1;
  uint8_t Pitch = 0; // 0 default, 1 variable, 2 fixed
  // Height in pixels as the class library's fonts keep it (negative = character height).
  int32_t Height() const;
  void SetHeight(int32_t Value);
  bool IsDefault() const;
  bool IsEqual(const TRVMarkerFont &Value) const;
  // The font without its colour (Color), as canvases keep them apart.
  void AssignTo(TLogFont &Font) const;
};

class TRVListInfo;
class TRVListLevelCollection;

class TRVListLevel {
public:
  TRVListLevel();
  ~TRVListLevel();

  TRVListType ListType = rvlstBullet;
  TCustomImageList *ImageList = nullptr;
  int32_t ImageIndex = 0;
  std::string FormatString = std::string(1, char(0xB7));
  std::u16string FormatStringW;
  int32_t LeftIndent = 0;
  int32_t FirstIndent = 10;
  int32_t MarkerIndent = 0;
  TRVMarkerAlignment MarkerAlignment = rvmaLeft;
  TRVListLevelOptions Options{rvloContinuous, rvloLevelReset};
  int32_t StartFrom = 1;

  TRVListLevelCollection *Collection() const { return FCollection; }
  int Index() const;
  std::string DisplayName() const;

  // The picture, made on first read; SetPicture copies a picture with a graphic
  // and frees the own one for none or an empty one.
  TGraphic *GetPicture();
  const TGraphic *PictureIfAny() const { return FPicture.get(); }
  void SetPicture(const TGraphic *Value);
  bool HasPicture() const;
  // The marker font, made on first read; SetFont(nullptr) frees it.
  TRVMarkerFont *GetFont();
  const TRVMarkerFont *FontIfAny() const { return FFont.get(); }
  void SetFont(const TRVMarkerFont *Value);

  bool HasNumbering() const;
  bool HasTextNumbering() const;
  bool UsesFont() const;

  void Assign(const TRVListLevel &Source);
  bool IsEqual(const TRVListLevel &Value) const;
  int64_t SimilarityValue(const TRVListLevel &Value) const;

  void SaveToINI(IniStore &Ini, const std::string &Section, const std::string &KeyFormat) const;
  void LoadFromINI(IniStore &Ini, const std::string &Section, const std::string &KeyFormat);
  // Indent CSS of the list tag; HTMLOpenTag / HTMLCloseTag write the tags.
  std::string GetIndentCSSForTextVersion() const;
  void HTMLOpenTag(std::string &Stream, bool UseStyle) const;
  void HTMLCloseTag(std::string &Stream) const;
  void WriteStoredProperties(TRVPropertyWriter &Writer, const TRVStyleStreamLinks *Links) const;
  bool ReadStoredProperty(const std::string &Name, const TRVStoredValue &Value, const TRVStyleStreamLinks *Links);

private:
  friend class TRVListLevelCollection;
  std::string GetHTMLOpenTagForCSS() const;
  TRVListLevelCollection *FCollection = nullptr;
  std::unique_ptr<TGraphic> FPicture;
  std::unique_ptr<TRVMarkerFont> FFont;
};

class TRVListLevelCollection {
public:
  explicit TRVListLevelCollection(TRVListInfo *Owner = nullptr) : FOwner(Owner) {}
  TRVListInfo *Owner() const { return FOwner; }
  int Count() const { return int(FItems.size()); }
  TRVListLevel *Items(int Index) const; // nullptr when out of range
  TRVListLevel *Add();
  void Delete(int Index);
  void Clear() { FItems.clear(); }
  void Assign(const TRVListLevelCollection &Source);
  bool IsEqual(const TRVListLevelCollection &Value) const;

private:
  friend class TRVListLevel;
  TRVListInfo *FOwner;
  std::vector<std::unique_ptr<TRVListLevel>> FItems;
};

class TRVListInfo : public TCustomRVInfo {
public:
  TRVListInfo();

  TRVListLevelCollection Levels{this};
  bool OneLevelPreview = false;

  // A list identifier, drawn at random on first read when it is 0.
  int32_t GetListID() const;
  int32_t ListIDRaw() const { return FListID; }
  void SetListID(int32_t Value) { FListID = Value; }

  bool HasNumbering() const;
  bool HasTextNumbering() const;

  void Assign(const TCustomRVInfo &Source) override;
  bool IsEqualTo(const TCustomRVInfo &Value, bool IgnoreReferences) const override;
  bool IsEqualToMapped(const TCustomRVInfo &Value, const TRVIntegerList &Mapping) const override;
  int64_t SimilarityValue(const TCustomRVInfo &Value) const override;

  void SaveToINI(IniStore &Ini, const std::string &Section, const std::string &KeyFormat) const override;
  void LoadFromINI(IniStore &Ini, const std::string &Section, const std::string &KeyFormat) override;
  void WriteStoredProperties(TRVPropertyWriter &Writer, const TRVStyleStreamLinks *Links) const override;
  bool ReadStoredProperty(const std::string &Name, const TRVStoredValue &Value,
                          const TRVStyleStreamLinks *Links) override;

protected:
  const char *DefaultStyleName() const override { return "List Style"; }

private:
  // Drawn when first asked for, also by a const reader such as a writer.
  mutable int32_t FListID = 0;
};

// ---------------------------------------------------------------------------
// Style tables

class TCustomRVInfos {
public:
  using EntryFactory = std::function<std::unique_ptr<TCustomRVInfo>()>;
  TCustomRVInfos(TRVStyle *Owner, EntryFactory Factory);
  virtual ~TCustomRVInfos();
  TCustomRVInfos(const TCustomRVInfos &) = delete;
  TCustomRVInfos &operator=(const TCustomRVInfos &) = delete;

  TRVStyle *Owner() const { return FOwner; }
  int Count() const { return int(FItems.size()); }
  // nullptr when out of range.
  TCustomRVInfo *GetItem(int Index) const;
  int IndexOf(const TCustomRVInfo *Item) const;
  TCustomRVInfo *AddEntry();
  void Delete(int Index);
  void Clear();
  // A new entry of this table's class, not in the table.
  std::unique_ptr<TCustomRVInfo> NewEntry() const { return FFactory(); }
  // Replaces the content by copies of Source's entries.
  void Assign(const TCustomRVInfos &Source);
  // Clears the list and adds every entry's StyleName.
  void AssignTo(std::vector<std::string> &Strings) const;

  // The stored form of the table inside documents: a collection of the
  // class library's component-stream kind (first byte 14), each entry a list
  // of named values. LoadFromStream replaces the content; it answers false
  // for data that is not such a collection or ends inside it (the table is
  // then left as far as it was read), and sets UnknownProperty when a
  // property was passed over.
  std::string SaveToStream(const TRVStyleStreamLinks *Links = nullptr) const;
  bool LoadFromStream(std::string_view Data, bool &UnknownProperty, const TRVStyleStreamLinks *Links = nullptr);

  // Self is the target, Source a table of the same kind read from a file.
  void MergeWith(const TCustomRVInfos &Source, TRVStyleMergeMode Mode, TRVIntegerList &Mapping,
                 const TRVIntegerList *TextStyleMapping);

protected:
  EntryFactory FFactory;

private:
  TRVStyle *FOwner;
  std::vector<std::unique_ptr<TCustomRVInfo>> FItems;
};

class TFontInfos : public TCustomRVInfos {
public:
  explicit TFontInfos(TRVStyle *Owner, EntryFactory Factory = nullptr);
  ~TFontInfos() override;

  int32_t PixelsPerInch = 0;

  TFontInfo *Items(int Index) const { return static_cast<TFontInfo *>(GetItem(Index)); }
  TFontInfo *operator[](int Index) const { return Items(Index); }
  TFontInfo *Add() { return static_cast<TFontInfo *>(AddEntry()); }
  TFontInfo *AddTextStyle(const std::string &FontName, int32_t Size, TColor Color, TColor BackColor, TFontStyles Style);
  // The form the chat windows use: a named style with a font.
  TFontInfo *AddTextStyle(const std::string &Name, const std::string &FontName, TFontStyles Style, int32_t Size,
                          TColor Color);
  TFontInfo *GetTextStyleSafe(int Index) const;
  int FindStyleWithCharset(int StyleNo, uint8_t Charset) const;

private:
  mutable std::unique_ptr<TFontInfo> FInvalidItem;
};

class TParaInfos : public TCustomRVInfos {
public:
  explicit TParaInfos(TRVStyle *Owner, EntryFactory Factory = nullptr);
  ~TParaInfos() override;

  TParaInfo *Items(int Index) const { return static_cast<TParaInfo *>(GetItem(Index)); }
  TParaInfo *operator[](int Index) const { return Items(Index); }
  TParaInfo *Add() { return static_cast<TParaInfo *>(AddEntry()); }
  TParaInfo *GetParaStyleSafe(int Index) const;
  // Mask: the properties compared.
  int FindSuchStyle(int BaseStyle, const TParaInfo &Style, TRVParaInfoProperties Mask) const;

private:
  mutable std::unique_ptr<TParaInfo> FInvalidItem;
};

class TRVListInfos : public TCustomRVInfos {
public:
  explicit TRVListInfos(TRVStyle *Owner, EntryFactory Factory = nullptr);

  TRVListInfo *Items(int Index) const { return static_cast<TRVListInfo *>(GetItem(Index)); }
  TRVListInfo *operator[](int Index) const { return Items(Index); }
  TRVListInfo *Add() { return static_cast<TRVListInfo *>(AddEntry()); }
  void RemoveImageList(const TCustomImageList *ImageList);
};

// ---------------------------------------------------------------------------
// The style sheet

class TRVStyle {
public:
  using TRVApplyStyleEvent = std::function<void(TRVStyle *Sender, TCanvas &ACanvas, int StyleNo, bool &DoDefault)>;
  using TRVApplyStyleColorEvent = std::function<void(TRVStyle *Sender, TCanvas &ACanvas, int StyleNo,
                                                     TRVTextDrawStates DrawState, bool &DoDefault)>;
  using TRVDrawStyleTextEvent =
      std::function<void(TRVStyle *Sender, const std::string &s, TCanvas &ACanvas, int StyleNo, int SpaceBefore,
                         int Left, int Top, int Width, int Height, TRVTextDrawStates DrawState, bool &DoDefault)>;
  using TRVStyleHoverSensitiveEvent = std::function<void(TRVStyle *Sender, int StyleNo, bool &Sensitive)>;
  using TRVDrawTextBackEvent = std::function<void(TRVStyle *Sender, TCanvas &ACanvas, int StyleNo, int Left, int Top,
                                                  int Width, int Height, TRVTextDrawStates DrawState, bool &DoDefault)>;
  using TRVDrawCheckpointEvent =
      std::function<void(TRVStyle *Sender, TCanvas &ACanvas, int X, int Y, int ItemNo, int XShift, bool RaiseEvent,
                         TRVScroller *Control, bool &DoDefault)>;
  using TRVDrawPageBreakEvent =
      std::function<void(TRVStyle *Sender, TCanvas &ACanvas, int Y, int XShift, TRVPageBreakType PageBreakType,
                         TRVScroller *Control, bool &DoDefault)>;
  using TRVDrawParaRectEvent =
      std::function<void(TRVStyle *Sender, TCanvas &ACanvas, int ParaNo, TRect &ARect, bool &DoDefault)>;

  TRVStyle();
  virtual ~TRVStyle();
  TRVStyle(const TRVStyle &) = delete;
  TRVStyle &operator=(const TRVStyle &) = delete;

  TColor Color = clWindow;
  TColor HoverColor = clNone;
  TColor CurrentItemColor = clNone;
  TColor SelColor = clHighlight;
  TColor SelTextColor = clHighlightText;
  TColor InactiveSelColor = clHighlight;
  TColor InactiveSelTextColor = clHighlightText;
  TColor CheckpointColor = clGreen;
  TColor CheckpointEvColor = clLime;
  TCursor JumpCursor = crJump;
  bool FullRedraw = false;
  TColor PageBreakColor = clBtnShadow;
  TColor SoftPageBreakColor = clBtnFace;
  int32_t DefUnicodeStyle = -1;
  uint32_t DefCodePage = 0;
  bool UseSound = true;
  TRVSelectionMode SelectionMode = rvsmWord;
  TRVSelectionStyle SelectionStyle = rvssItems;
  TCursor LineSelectCursor = crRVFlipArrow;

  TRVApplyStyleColorEvent OnApplyStyleColor;
  TRVApplyStyleEvent OnApplyStyle;
  TRVDrawStyleTextEvent OnDrawStyleText;
  TRVStyleHoverSensitiveEvent OnStyleHoverSensitive;
  TRVDrawTextBackEvent OnDrawTextBack;
  TRVDrawCheckpointEvent OnDrawCheckpoint;
  TRVDrawPageBreakEvent OnDrawPageBreak;
  TRVDrawParaRectEvent OnDrawParaBack;

  // The piece being drawn, for event handlers.
  int32_t ItemNo = -1;
  int32_t OffsetInItem = 0;
  const TCustomRVData *RVData = nullptr;

  TFontInfos &TextStyles() { return *FTextStyles; }
  const TFontInfos &TextStyles() const { return *FTextStyles; }
  TParaInfos &ParaStyles() { return *FParaStyles; }
  const TParaInfos &ParaStyles() const { return *FParaStyles; }
  TRVListInfos &ListStyles() { return *FListStyles; }
  const TRVListInfos &ListStyles() const { return *FListStyles; }
  void SetTextStyles(const TFontInfos &Value);
  void SetParaStyles(const TParaInfos &Value);
  void SetListStyles(const TRVListInfos &Value);

  int16_t SpacesInTab() const { return FSpacesInTab; }
  // Negative counts are taken as 0.
  void SetSpacesInTab(int Value);

  // Made on first read.
  TGraphic *GetInvalidPicture();
  void SetInvalidPicture(const TGraphic *Value);

  void ResetTextStyles();
  void ResetParaStyles();

  TColor GetHoverColor(int StyleNo) const;
  TColor GetHoverColorByColor(TColor Color) const;
  bool StyleHoverSensitive(int StyleNo);

  void ApplyStyle(TCanvas &ACanvas, int StyleNo, TRVBiDiMode DefBiDiMode);
  void ApplyStyleColor(TCanvas &ACanvas, int StyleNo, TRVTextDrawStates DrawState, bool Printing, uint8_t ColorMode);
  void DrawStyleText(const std::string &s, TCanvas &ACanvas, int ItemNo, int OffsetInItem, int StyleNo,
                     const TCustomRVData *RVData, int SpaceBefore, int Left, int Top, int Width, int Height,
                     TRVTextDrawStates DrawState, bool Printing, bool FitToWidth, uint8_t ColorMode,
                     TRVBiDiMode DefBiDiMode);
  void DrawTextBack(TCanvas &ACanvas, int ItemNo, int StyleNo, const TCustomRVData *RVData, int Left, int Top,
                    int Width, int Height, TRVTextDrawStates DrawState);
  // ControlWidth: the control's width (checkpoints) or client width (page
  // breaks), for the lines that run across the control.
  void DrawCheckpoint(TCanvas &ACanvas, int X, int Y, int ItemNo, int XShift, bool RaiseEvent, TRVScroller *Control,
                      int ControlWidth);
  void DrawPageBreak(TCanvas &ACanvas, int Y, int XShift, TRVPageBreakType PageBreakType, TRVScroller *Control,
                     int ControlClientWidth);
  void DrawParaBack(TCanvas &ACanvas, int ParaNo, TRect &ARect, bool Printing, uint8_t ColorMode);

  // Options: bit 0 differences from BaseStyleNo, bit 1 no text-align for left
  // paragraphs, bit 2 style 0 as a class like the others.
  void WriteCssStyleSheet(std::string &Stream, int Options) const;

  // Component-removal notice: an image list that goes away leaves the lists.
  void ImageListRemoved(const TCustomImageList *ImageList);

protected:
  TRVStyle(TCustomRVInfos::EntryFactory TextStyleClass, TCustomRVInfos::EntryFactory ParaStyleClass,
           TCustomRVInfos::EntryFactory ListStyleClass);

private:
  void Init(TCustomRVInfos::EntryFactory TextStyleClass, TCustomRVInfos::EntryFactory ParaStyleClass,
            TCustomRVInfos::EntryFactory ListStyleClass);
  std::unique_ptr<TFontInfos> FTextStyles;
  std::unique_ptr<TParaInfos> FParaStyles;
  std::unique_ptr<TRVListInfos> FListStyles;
  std::unique_ptr<TGraphic> FInvalidPicture;
  int16_t FSpacesInTab = 8;
};

// ---------------------------------------------------------------------------
// Helpers of the stored forms

// Applies a key format with one "%s" to a key text.
std::string RVApplyKeyFormat(const std::string &KeyFormat, const std::string &Text);
// Long strings in pieces of 500 characters under Key_0, Key_1, ...
void WriteLongString(IniStore &Ini, const std::string &Section, const std::string &Key, const std::string &Value);
std::string ReadLongString(IniStore &Ini, const std::string &Section, const std::string &Key);
// Two upper-case hexadecimal digits a byte; decoding refuses odd lengths and
// non-digits (false, Result empty).
std::string RVBytesToHex(const std::string &Bytes);
bool RVHexToBytes(const std::string &Hex, std::string &Result);

// Marker text of a numbered level: "%s" takes the next argument, "%n:s" the
// argument n, "%%" is a percent sign; anything else (or an argument number
// out of range) is copied literally.
std::string RVFormatMarkerString(const std::string &Format, const std::vector<std::string> &Args);

} // namespace kc
