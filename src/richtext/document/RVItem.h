#pragma once
// The items of a document: one class per kind, asked through virtual
// operations and numbered properties instead of being tested by class.
// Text items, breaks, pictures, image-list images, hotspots and embedded
// controls live here; list markers and tables register their own classes.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <QPointer>

#include "platform/CanvasTypes.h"
#include "platform/Graphics.h"
#include "richtext/document/DLines.h"
#include "richtext/document/RVClasses.h"
#include "richtext/document/RVFuncs.h"
#include "richtext/document/RVItemTypes.h"
#include "richtext/document/RVStyle.h"

class QWidget;

namespace kc {

class TCustomRVData;
class TCustomRVFormattedData;
class TCustomImageList;
class TRVCPInfo;
class TCustomRVItemInfo;

// An embedded control is a widget; only the files that place, paint or save
// one see the whole class.
using TControl = QWidget;

// ---------------------------------------------------------------------------
// Tags

// The tag of an item or checkpoint: an integer, or a text owned by the tag
// when the documents' options hold rvoTagsArePChars. Copies copy the text,
// so no two tags ever share one.
class TRVTag {
public:
  TRVTag() = default;
  TRVTag(int32_t Value) : FInt(Value) {} // NOLINT: integers are tags
  static TRVTag FromText(std::string Text);

  bool IsText() const { return FText != nullptr; }
  int32_t AsInt() const { return FInt; }
  // The text; empty for an integer tag.
  const std::string &AsText() const;
  void Clear();

  TRVTag(const TRVTag &Other);
  TRVTag &operator=(const TRVTag &Other);
  TRVTag(TRVTag &&) noexcept = default;
  TRVTag &operator=(TRVTag &&) noexcept = default;
  // Compared as texts when either is a text, else as integers.
  friend bool operator==(const TRVTag &A, const TRVTag &B);

private:
  int32_t FInt = 0;
  std::unique_ptr<std::string> FText;
};

// An item's hint. Few items carry one, so the text lives apart and is only
// allocated when there is one: an item without a hint pays a pointer, not a
// whole string. Reads as the text (empty when there is none).
class TRVItemHint {
public:
  TRVItemHint() = default;
  TRVItemHint(const TRVItemHint &Other) { *this = Other.str(); }
  TRVItemHint &operator=(const TRVItemHint &Other) {
    if (this != &Other) *this = Other.str();
    return *this;
  }
  TRVItemHint(TRVItemHint &&) noexcept = default;
  TRVItemHint &operator=(TRVItemHint &&) noexcept = default;
  TRVItemHint &operator=(std::string Text);
  TRVItemHint &operator=(const char *Text) { return *this = std::string(Text ? Text : ""); }

  const std::string &str() const;
  operator const std::string &() const { return str(); } // NOLINT: reads as its text
  bool empty() const { return !FText; }
  void clear() { FText.reset(); }
  friend bool operator==(const TRVItemHint &A, const TRVItemHint &B) { return A.str() == B.str(); }
  friend bool operator==(const TRVItemHint &A, std::string_view B) { return A.str() == B; }

private:
  std::unique_ptr<std::string> FText; // never an empty text
};

// AreTagsEqual: under rvoTagsArePChars texts compared (two tags without a
// text are equal, one without a text equals none), else the numbers.
bool AreTagsEqual(const TRVTag &A, const TRVTag &B, bool TagsArePChars);
TRVTag CopyTag(const TRVTag &Tag, bool TagsArePChars);

// ---------------------------------------------------------------------------
// Output state shared by the items of one HTML export

// An image-list image saved once for an export: later items with the same
// list, index and background colour refer to the same file.
struct TRVHTMLBulletInfo {
  const TCustomImageList *ImageList = nullptr;
  int ImageIndex = 0;
  TColor BackColor = clNone;
  std::string FileName;
};

struct TRVHTMLSaveContext {
  std::string Path;         // the page's folder
  std::string ImagesPrefix; // prefix of the picture files
  int ImageCounter = 0;
  TColor CurrentBackColor = clWhite;
  TRVSaveOptions SaveOptions;
  bool UseCSS = false;
  std::vector<TRVHTMLBulletInfo> Bullets;
};

// Output state of one RTF export that the items need.
struct TRVRTFSaveContext {
  TRVRTFOptions Options;
  double TwipsFactor = 15.0; // twips per screen pixel
  int Level = 0;             // table nesting depth
  TRVColorList *ColorList = nullptr;
  TRVRTFFontTable *FontTable = nullptr;
};

// ---------------------------------------------------------------------------
// Integer properties by name

// An object whose integer (ordinal) properties the editor reads and sets by
// name, so that one undo record serves every property of every class. The
// items are such objects; so may be parts of an item (a table's cells).
class TRVIntPropertyHolder {
public:
  virtual ~TRVIntPropertyHolder() = default;
  // False when the object has no property of that name. A value outside
  // what the property can hold is stored as the nearest one it can.
  virtual bool GetIntPropertyByName(std::string_view Name, int &Value) const {
    (void)Name, (void)Value;
    return false;
  }
  virtual bool SetIntPropertyByName(std::string_view Name, int Value) {
    (void)Name, (void)Value;
    return false;
  }
};

// ---------------------------------------------------------------------------
// Item base class

class TCustomRVItemInfo : public TRVIntPropertyHolder {
public:
  // The virtual constructor: every class is created from a document this way.
  explicit TCustomRVItemInfo(TCustomRVData *RVData);
  virtual ~TCustomRVItemInfo();
  TCustomRVItemInfo(const TCustomRVItemInfo &) = delete;
  TCustomRVItemInfo &operator=(const TCustomRVItemInfo &) = delete;
  // A new empty object of the same class.
  virtual std::unique_ptr<TCustomRVItemInfo> NewInstance(TCustomRVData *RVData) const = 0;

  int32_t StyleNo = 0;
  int32_t ParaNo = 0;
  TRVItemOptions ItemOptions;
  std::unique_ptr<TRVCPInfo> Checkpoint; // linked into its document's checkpoint chain
  int32_t JumpID = 0;
  TRVTag Tag;
  // Names the item's first draw line for its document's TRVDrawLines
  // (MarkOfIndex), -1 before layout; read it through the document's
  // FirstDrawLineOfItem.
  int32_t DrawLineMark = -1;
  TRVItemHint Hint;

  // Option bits with their rules.
  bool GetContinuePara() const { return ItemOptions.Has(rvioContinuePara); }
  void SetContinuePara(bool Value);
  bool GetLineBreakBefore() const { return ItemOptions.Has(rvioLineBreakBefore); }
  void SetLineBreakBefore(bool Value);
  bool GetPageBreakBefore() const { return ItemOptions.Has(rvioPageBreakBefore); }
  void SetPageBreakBefore(bool Value);
  bool IsParaStart() const { return !GetContinuePara() && !GetLineBreakBefore(); }
  bool IsFromNewLine() const { return !GetContinuePara(); }
  bool IsUnicode() const { return ItemOptions.Has(rvioUnicode); }

  // The text style an item stands for: StyleNo, or for the paragraph's
  // default the paragraph style's DefStyleNo (0 when that is negative).
  int GetActualStyleNo(const TRVStyle *RVStyle) const;
  bool IsText() const { return StyleNo >= 0; }

  // Sizes and painting.
  virtual int GetMinWidth(const TRVScreenAndDevice *sad, TCanvas *Canvas, TCustomRVData *RVData);
  virtual TGraphic *GetPicture() { return nullptr; }
  virtual bool GetFlag(int Property) const;
  virtual bool GetStyleFlag(int Property, const TRVStyle *RVStyle) const;
  virtual void PaintFullWidth(int Left, int Right, int Top, TCanvas &Canvas, TRVItemDrawStates State, TRVStyle *Style,
                              const TRect &ClipRect, uint8_t ColorMode);
  virtual void Paint(int X, int Y, TCanvas &Canvas, TRVItemDrawStates State, TRVStyle *Style,
                     TRVDrawLineInfo *DrawLine);
  // Part: the index of the piece among the parts of a split item's
  // DrawLine (-1 or no parts: the whole item).
  virtual bool PrintToBitmap(TBitmap &Bitmap, bool Preview, TCustomRVData *RVData, TRVDrawLineInfo *DrawLine, int Part,
                             uint8_t ColorMode);
  virtual void Print(TCanvas &Canvas, int X, int Y, int X2, bool Preview, bool Correction,
                     const TRVScreenAndDevice &sad, TRVDrawLineInfo *DrawLine, int Part, uint8_t ColorMode,
                     TCustomRVData *RVData);
  virtual int GetImageWidth(const TRVStyle *RVStyle) const;
  virtual int GetImageHeight(const TRVStyle *RVStyle) const;
  virtual int GetBorderWidth() const { return 0; }
  virtual int GetBorderHeight() const { return 0; }
  virtual std::unique_ptr<TRVDrawLineInfo> CreatePrintingDrawItem(TCustomRVData *RVData, const TRVScreenAndDevice &sad);
  // Hooks around insertion; Text may be changed.
  virtual void Inserting(TCustomRVData *RVData, std::string &Text, bool Safe);
  virtual void Inserted(TCustomRVData *RVData, int ItemNo);
  virtual void OnDocWidthChange(int DocWidth, TRVDrawLineInfo *DrawLine, bool Printing, TCanvas *Canvas,
                                TCustomRVData *RVData, const TRVScreenAndDevice *sad, bool &Resized, int &Height);
  virtual void DrawBackgroundForPrinting(TCanvas &Canvas, const TRect &Rect, const TRect &FullRect, uint8_t ColorMode,
                                         int ItemBackgroundLayer) {
    (void)Canvas, (void)Rect, (void)FullRect, (void)ColorMode, (void)ItemBackgroundLayer;
  }

  // RVF pieces.
  virtual std::string WriteRvfHeaderTail(TCustomRVData *RVData) const;
  virtual int GetRvfExtraPropertyCount() const;
  virtual void WriteRvfExtraProperties(std::string &Stream) const;
  virtual void AssignProperties(const TCustomRVItemInfo &Source);
  virtual bool QueryYesNo(int Query) const {
    (void)Query;
    return false;
  }
  virtual bool OwnsControl(const TControl *Control) const {
    (void)Control;
    return false;
  }
  // Keeps a window of its own that AdjustPosition places after formatting
  // (an embedded control). The item list keeps such items apart, so that
  // placing them after a pass visits nothing else.
  virtual bool PlacesWindow() const { return false; }
  virtual bool OwnsInplaceEditor(const QWidget *Editor) const {
    (void)Editor;
    return false;
  }
  virtual void SaveToHTML(std::string &Stream, TCustomRVData *RVData, int ItemNo, const std::string &Text,
                          TRVHTMLSaveContext &Context);
  // Text form: LineWidth/LineChar for breaks; Unicode asks for UTF-16.
  virtual std::string AsText(int LineWidth, char LineChar, TCustomRVData *RVData, const std::string &Text,
                             const std::string &Path, bool TextOnly, bool Unicode);
  virtual void UpdatePaletteInfo(TRVPaletteAction PaletteAction, bool ForceRecreateCopy, HPALETTE Palette,
                                 const TRVLogPalette *LogPalette);
  // The last field of the RVF header line (everything after the tag).
  virtual bool ReadRvfHeaderTail(const std::string &Field, TCustomRVData *RVData);
  // One data line of the item's RVF record. LineNo counts from 0 up to
  // LineCount - 1; Mode is the header's mode field. Name receives the item's
  // text when the line holds it. LineState tells the reader how to cut the
  // next line: 0 ordinary, 1 ordinary followed by a binary block, 2 binary
  // block.
  virtual bool ReadRVF(const std::string &s, TCustomRVData *RVData, int Mode, int LineNo, int LineCount,
                       std::string &Name, int &LineState);
  // The whole record: header line and data lines.
  virtual void SaveRVF(std::string &Stream, TCustomRVData *RVData, int ItemNo, const std::string &Name,
                       bool ForceSameAsPrev);
  virtual void SaveRTF(std::string &Stream, TCustomRVData *RVData, int ItemNo, const std::string &Name,
                       TRVRTFSaveContext &Context);
  virtual void FillRTFTables(TRVColorList &ColorList, TRVRTFFontTable &FontTable, TCustomRVData *RVData) {
    (void)ColorList, (void)FontTable, (void)RVData;
  }
  virtual void MovingToUndoList(int ItemNo, TCustomRVData *RVData);
  virtual void MovingFromUndoList(int ItemNo, TCustomRVData *RVData);
  // Around an undoable change of a property set by name.
  virtual void BeforeUndoChangeProperty() {}
  virtual void AfterUndoChangeProperty() {}
  virtual void ShowItemHint(TCustomRVData *RVData, int ItemNo);
  // Nested documents (only tables own them).
  virtual bool PartiallySelected() const { return false; }
  // Drops the selection inside the item (a table's selected cell).
  virtual void DeselectPartial() {}
  // The nested document at Position: rvdFirst/rvdLast start a walk and set
  // Location, rvdNext/rvdPrev move on from it; nullptr when there is none.
  virtual TCustomRVData *GetSubRVData(int &Location, TRVSubRVDataPos Position) {
    (void)Location, (void)Position;
    return nullptr;
  }
  // A caret move in Direction reached this item in RVData: an item with
  // documents of its own (a table) may take the caret into them and answer
  // true; the move then ends there. Nothing else takes it.
  virtual bool TakeCaret(TCustomRVData *RVData, int ItemNo, TRVGetOutDirection Direction) {
    (void)RVData, (void)ItemNo, (void)Direction;
    return false;
  }
  // The same from above or below, with the caret's X in RVData's
  // coordinates, so that the column under it is entered.
  virtual bool TakeCaretAt(TCustomRVData *RVData, int ItemNo, TRVGetOutDirection Direction, int X) {
    (void)X;
    return TakeCaret(RVData, ItemNo, Direction);
  }
  virtual void ExecuteJump(TCustomRVData *RVData) { (void)RVData; }
  // ---- the keyboard focus inside the item's documents (a table's cells)
  // Moves the focus inside on to the next (previous) item that takes it,
  // after the one focused there now; Data and ItemNo name that item. False
  // when none is left: the focus inside is dropped then.
  virtual bool MoveFocus(bool GoForward, TCustomRVFormattedData *&Data, int &ItemNo) {
    (void)GoForward, (void)Data, (void)ItemNo;
    return false;
  }
  // Drops the focus held inside.
  virtual void ClearFocus() {}
  // Control is embedded somewhere inside this item: the focus inside moves
  // to its item, which Data and ItemNo name when it takes the focus itself
  // (else nullptr and -1). False when the item holds no such control.
  virtual bool AdjustFocus(const TControl *Control, TCustomRVFormattedData *&Data, int &ItemNo) {
    (void)Control, (void)Data, (void)ItemNo;
    return false;
  }
  // ---- end of the focus inside
  // The mouse over an item that handles it itself (a table, which passes
  // it on to its cells). X, Y: client coordinates as the document got them;
  // ItemX, ItemY: the point relative to the item's top-left. Button and
  // Shift as the formatted document's mouse events take them. True when
  // the item took the event; after a press it took, the document gives it
  // the moves and the release until the release.
  virtual bool HandleMouseDown(TCustomRVData *RVData, int Button, uint8_t Shift, int X, int Y, int ItemX, int ItemY) {
    (void)RVData, (void)Button, (void)Shift, (void)X, (void)Y, (void)ItemX, (void)ItemY;
    return false;
  }
  virtual bool HandleMouseMove(TCustomRVData *RVData, uint8_t Shift, int X, int Y, int ItemX, int ItemY) {
    (void)RVData, (void)Shift, (void)X, (void)Y, (void)ItemX, (void)ItemY;
    return false;
  }
  virtual bool HandleMouseUp(TCustomRVData *RVData, int Button, uint8_t Shift, int X, int Y, int ItemX, int ItemY) {
    (void)RVData, (void)Button, (void)Shift, (void)X, (void)Y, (void)ItemX, (void)ItemY;
    return false;
  }
  virtual bool QueryExtra(int Query) const {
    (void)Query;
    return false;
  }
  // An item with a selection inside it that is not the document's (a
  // table's selected cells): a new item holding only that part, which a
  // copy or a drag carries; nullptr when nothing of it is selected.
  virtual std::unique_ptr<TCustomRVItemInfo> CopySelectedPart(TCustomRVData *RVData) {
    (void)RVData;
    return nullptr;
  }
  // Used lists hold 1 for every style number in use.
  virtual void MarkUsedStyles(TRVIntegerList &TextUsed, TRVIntegerList &ParaUsed, TRVIntegerList &ListUsed);
  // Style n moves down by its shift entry minus 1.
  virtual void RenumberStyles(const TRVIntegerList &TextShift, const TRVIntegerList &ParaShift,
                              const TRVIntegerList &ListShift);
  virtual bool SetExtraIntProperty(int Prop, int Value);
  virtual bool GetExtraIntProperty(int Prop, int &Value) const;
  virtual bool SetExtraStrProperty(int Prop, const std::string &Value);
  virtual bool GetExtraStrProperty(int Prop, std::string &Value) const;
  virtual void ReadUnknownRvfProperty(const std::string &Name, const std::string &Value) { (void)Name, (void)Value; }
  virtual int MapValue(int Value) const { return Value; }

  // Applies one "name=value" extra-property line.
  void ReadRvfExtraProperty(const std::string &s);

protected:
  // The common part of the RVF header: kind, line count, paragraph, options,
  // mode, tag, then the tail.
  void WriteRvfHeader(std::string &Stream, TCustomRVData *RVData, int LineCount, int Mode, bool ForceSameAsPrev) const;
  static void WriteRvfIntProperty(std::string &Stream, int Prop, int Value);
  static void WriteRvfStrProperty(std::string &Stream, int Prop, const std::string &Value);
};

// The class of a registered item kind.
using TRVItemClass = std::unique_ptr<TCustomRVItemInfo> (*)(TCustomRVData *RVData);

struct TRichVistaItemTypeInfo {
  int32_t StyleNo = 0;
  TRVItemClass ItemClass = nullptr;
};

// Kinds below -9 only; a kind may be registered again with the same class.
void RegisterItemType(int StyleNo, TRVItemClass ItemClass);
std::unique_ptr<TCustomRVItemInfo> CreateItemByStyleNo(int StyleNo, TCustomRVData *RVData);
// A copy through the virtual constructor and AssignProperties, with a copy
// of the checkpoint when asked for and a copy of the tag.
std::unique_ptr<TCustomRVItemInfo> CopyItem(const TCustomRVItemInfo &Source, TCustomRVData *RVData,
                                            bool CopyCheckpoint);

// The creator of text items (TRVTextItemInfo unless changed).
extern TRVItemClass RichVistaTextItemClass;

template <class T> std::unique_ptr<TCustomRVItemInfo> RVItemClassOf(TCustomRVData *RVData) {
  return std::make_unique<T>(RVData);
}

// ---------------------------------------------------------------------------
// Text

class TRVTextItemInfo : public TCustomRVItemInfo {
public:
  explicit TRVTextItemInfo(TCustomRVData *RVData) : TCustomRVItemInfo(RVData) {}
  std::unique_ptr<TCustomRVItemInfo> NewInstance(TCustomRVData *RVData) const override;

  bool GetStyleFlag(int Property, const TRVStyle *RVStyle) const override;
  bool ReadRvfHeaderTail(const std::string &Field, TCustomRVData *RVData) override;
  void ExecuteJump(TCustomRVData *RVData) override;
  void MarkUsedStyles(TRVIntegerList &TextUsed, TRVIntegerList &ParaUsed, TRVIntegerList &ListUsed) override;
  void RenumberStyles(const TRVIntegerList &TextShift, const TRVIntegerList &ParaShift,
                      const TRVIntegerList &ListShift) override;
};

// ---------------------------------------------------------------------------
// Non-text bases

class TRVNonTextItemInfo : public TCustomRVItemInfo {
public:
  using TCustomRVItemInfo::TCustomRVItemInfo;

  bool DeleteProtect = false;

  virtual int GetHeight() const { return 0; }
  virtual int GetWidth() const { return 0; }
  virtual int GetDescent() const { return 0; }
  // Places a windowed item after formatting.
  virtual void AdjustPosition(int X, int Y, bool Refresh, TCustomRVData *RVData) {
    (void)X, (void)Y, (void)Refresh, (void)RVData;
  }

  int GetRvfExtraPropertyCount() const override;
  void WriteRvfExtraProperties(std::string &Stream) const override;
  void AssignProperties(const TCustomRVItemInfo &Source) override;
  bool SetExtraIntProperty(int Prop, int Value) override;
  bool GetExtraIntProperty(int Prop, int &Value) const override;
  bool GetIntPropertyByName(std::string_view Name, int &Value) const override;
  bool SetIntPropertyByName(std::string_view Name, int Value) override;
};

class TRVFullLineItemInfo : public TRVNonTextItemInfo {
public:
  using TRVNonTextItemInfo::TRVNonTextItemInfo;
  bool GetFlag(int Property) const override;
};

class TRVRectItemInfo : public TRVNonTextItemInfo {
public:
  explicit TRVRectItemInfo(TCustomRVData *RVData);

  int32_t MinHeightOnPage = 0;
  TRVVAlign VAlign = rvvaBaseline;
  int32_t VShift = 0;
  bool VShiftAbs = false;
  int32_t Spacing = 1;

  virtual int GetSpacing() const { return Spacing; }
  // Negative values are stored as 0, and no spacing is wider than the
  // widest picture.
  void SetSpacing(int Value) { Spacing = Value < 0 ? 0 : Value > kMaxGraphicSide ? kMaxGraphicSide : Value; }
  int GetBorderWidth() const override { return Spacing; }
  int GetBorderHeight() const override { return Spacing; }

  std::string WriteRvfHeaderTail(TCustomRVData *RVData) const override;
  bool ReadRvfHeaderTail(const std::string &Field, TCustomRVData *RVData) override;
  int GetRvfExtraPropertyCount() const override;
  void WriteRvfExtraProperties(std::string &Stream) const override;
  void AssignProperties(const TCustomRVItemInfo &Source) override;
  bool SetExtraIntProperty(int Prop, int Value) override;
  bool GetExtraIntProperty(int Prop, int &Value) const override;
  bool GetIntPropertyByName(std::string_view Name, int &Value) const override;
  bool SetIntPropertyByName(std::string_view Name, int Value) override;

protected:
  // The frames of the current and the selected item around the rectangle
  // at X, Y of Width x Height (spacing included).
  void PaintFrames(TCanvas &Canvas, int X, int Y, int Width, int Height, TRVItemDrawStates State,
                   const TRVStyle *Style) const;
};

// ---------------------------------------------------------------------------
// Horizontal rule

class TRVBreakItemInfo : public TRVFullLineItemInfo {
public:
  explicit TRVBreakItemInfo(TCustomRVData *RVData);
  TRVBreakItemInfo(TCustomRVData *RVData, TColor AColor, uint8_t ABreakStyle, uint8_t ALineWidth);
  std::unique_ptr<TCustomRVItemInfo> NewInstance(TCustomRVData *RVData) const override;

  // Zero until set: the plain constructor leaves every field zero, as the
  // RVF reader and copying fill them.
  uint8_t LineWidth = 0;
  uint8_t BreakStyle = 0; // 0 line, 1 rectangle, 2 sunken 3-D rectangle
  TColor Color = 0;       // clNone: the colour of text style 0

  bool GetFlag(int Property) const override;
  bool GetStyleFlag(int Property, const TRVStyle *RVStyle) const override;
  void PaintFullWidth(int Left, int Right, int Top, TCanvas &Canvas, TRVItemDrawStates State, TRVStyle *Style,
                      const TRect &ClipRect, uint8_t ColorMode) override;
  void Print(TCanvas &Canvas, int X, int Y, int X2, bool Preview, bool Correction, const TRVScreenAndDevice &sad,
             TRVDrawLineInfo *DrawLine, int Part, uint8_t ColorMode, TCustomRVData *RVData) override;
  void AssignProperties(const TCustomRVItemInfo &Source) override;
  bool GetIntPropertyByName(std::string_view Name, int &Value) const override;
  bool SetIntPropertyByName(std::string_view Name, int Value) override;
  std::string WriteRvfHeaderTail(TCustomRVData *RVData) const override;
  bool ReadRvfHeaderTail(const std::string &Field, TCustomRVData *RVData) override;
  void SaveRVF(std::string &Stream, TCustomRVData *RVData, int ItemNo, const std::string &Name,
               bool ForceSameAsPrev) override;
  void SaveToHTML(std::string &Stream, TCustomRVData *RVData, int ItemNo, const std::string &Text,
                  TRVHTMLSaveContext &Context) override;
  void SaveRTF(std::string &Stream, TCustomRVData *RVData, int ItemNo, const std::string &Name,
               TRVRTFSaveContext &Context) override;
  void FillRTFTables(TRVColorList &ColorList, TRVRTFFontTable &FontTable, TCustomRVData *RVData) override;
  std::string AsText(int LineWidth, char LineChar, TCustomRVData *RVData, const std::string &Text,
                     const std::string &Path, bool TextOnly, bool Unicode) override;

private:
  // Color, or text style 0's for clNone, in the colour mode.
  TColor RuleColor(const TRVStyle *Style, uint8_t ColorMode) const;
};

// ---------------------------------------------------------------------------
// Pictures

class TRVGraphicItemInfo : public TRVRectItemInfo {
public:
  explicit TRVGraphicItemInfo(TCustomRVData *RVData);
  // Takes the picture.
  TRVGraphicItemInfo(TCustomRVData *RVData, std::unique_ptr<TGraphic> AImage, TRVVAlign AVAlign);
  ~TRVGraphicItemInfo() override;
  std::unique_ptr<TCustomRVItemInfo> NewInstance(TCustomRVData *RVData) const override;

  std::unique_ptr<TGraphic> Image;
  std::unique_ptr<TGraphic> ImageCopy; // for painting in palette mode
  int32_t ImageWidth = 0;              // 0 or less: the picture's own
  int32_t ImageHeight = 0;
  bool NoHTMLImageSize = false;
  std::string Alt;
  std::string ImageFileName;

  int GetMinWidth(const TRVScreenAndDevice *sad, TCanvas *Canvas, TCustomRVData *RVData) override;
  TGraphic *GetPicture() override { return Image.get(); }
  bool GetFlag(int Property) const override;
  bool GetStyleFlag(int Property, const TRVStyle *RVStyle) const override;
  void Paint(int X, int Y, TCanvas &Canvas, TRVItemDrawStates State, TRVStyle *Style,
             TRVDrawLineInfo *DrawLine) override;
  bool PrintToBitmap(TBitmap &Bitmap, bool Preview, TCustomRVData *RVData, TRVDrawLineInfo *DrawLine, int Part,
                     uint8_t ColorMode) override;
  void Print(TCanvas &Canvas, int X, int Y, int X2, bool Preview, bool Correction, const TRVScreenAndDevice &sad,
             TRVDrawLineInfo *DrawLine, int Part, uint8_t ColorMode, TCustomRVData *RVData) override;
  int GetImageWidth(const TRVStyle *RVStyle) const override;
  int GetImageHeight(const TRVStyle *RVStyle) const override;
  std::unique_ptr<TRVDrawLineInfo> CreatePrintingDrawItem(TCustomRVData *RVData,
                                                          const TRVScreenAndDevice &sad) override;
  int GetHeight() const override;
  int GetWidth() const override;

  void AssignProperties(const TCustomRVItemInfo &Source) override;
  int GetRvfExtraPropertyCount() const override;
  void WriteRvfExtraProperties(std::string &Stream) const override;
  bool SetExtraIntProperty(int Prop, int Value) override;
  bool GetExtraIntProperty(int Prop, int &Value) const override;
  bool GetIntPropertyByName(std::string_view Name, int &Value) const override;
  bool SetIntPropertyByName(std::string_view Name, int Value) override;
  bool SetExtraStrProperty(int Prop, const std::string &Value) override;
  bool GetExtraStrProperty(int Prop, std::string &Value) const override;
  void UpdatePaletteInfo(TRVPaletteAction PaletteAction, bool ForceRecreateCopy, HPALETTE Palette,
                         const TRVLogPalette *LogPalette) override;
  bool ReadRVF(const std::string &s, TCustomRVData *RVData, int Mode, int LineNo, int LineCount, std::string &Name,
               int &LineState) override;
  void SaveRVF(std::string &Stream, TCustomRVData *RVData, int ItemNo, const std::string &Name,
               bool ForceSameAsPrev) override;
  void SaveToHTML(std::string &Stream, TCustomRVData *RVData, int ItemNo, const std::string &Text,
                  TRVHTMLSaveContext &Context) override;
  void SaveRTF(std::string &Stream, TCustomRVData *RVData, int ItemNo, const std::string &Name,
               TRVRTFSaveContext &Context) override;
  void MovingToUndoList(int ItemNo, TCustomRVData *RVData) override;

private:
  // The RVF data line of a picture: set when the class name line named an
  // unknown class, so the data is passed over.
  bool FUnknownClass = false;
};

class TRVHotGraphicItemInfo : public TRVGraphicItemInfo {
public:
  explicit TRVHotGraphicItemInfo(TCustomRVData *RVData);
  TRVHotGraphicItemInfo(TCustomRVData *RVData, std::unique_ptr<TGraphic> AImage, TRVVAlign AVAlign);
  std::unique_ptr<TCustomRVItemInfo> NewInstance(TCustomRVData *RVData) const override;

  bool GetStyleFlag(int Property, const TRVStyle *RVStyle) const override;
  void ExecuteJump(TCustomRVData *RVData) override;
};

// ---------------------------------------------------------------------------
// Image-list images

class TRVBulletItemInfo : public TRVRectItemInfo {
public:
  explicit TRVBulletItemInfo(TCustomRVData *RVData);
  TRVBulletItemInfo(TCustomRVData *RVData, int AImageIndex, TCustomImageList *AImageList, TRVVAlign AVAlign);
  std::unique_ptr<TCustomRVItemInfo> NewInstance(TCustomRVData *RVData) const override;

  TCustomImageList *ImageList = nullptr; // shared, not owned
  int32_t ImageIndex = 0;
  bool NoHTMLImageSize = false;

  virtual int GetImageIndex(bool Hot) const;

  int GetMinWidth(const TRVScreenAndDevice *sad, TCanvas *Canvas, TCustomRVData *RVData) override;
  bool GetFlag(int Property) const override;
  void Paint(int X, int Y, TCanvas &Canvas, TRVItemDrawStates State, TRVStyle *Style,
             TRVDrawLineInfo *DrawLine) override;
  bool PrintToBitmap(TBitmap &Bitmap, bool Preview, TCustomRVData *RVData, TRVDrawLineInfo *DrawLine, int Part,
                     uint8_t ColorMode) override;
  int GetImageWidth(const TRVStyle *RVStyle) const override;
  int GetImageHeight(const TRVStyle *RVStyle) const override;
  int GetHeight() const override;
  int GetWidth() const override;

  void AssignProperties(const TCustomRVItemInfo &Source) override;
  int GetRvfExtraPropertyCount() const override;
  void WriteRvfExtraProperties(std::string &Stream) const override;
  bool SetExtraIntProperty(int Prop, int Value) override;
  bool GetExtraIntProperty(int Prop, int &Value) const override;
  bool GetIntPropertyByName(std::string_view Name, int &Value) const override;
  bool SetIntPropertyByName(std::string_view Name, int Value) override;
  std::string WriteRvfHeaderTail(TCustomRVData *RVData) const override;
  bool ReadRvfHeaderTail(const std::string &Field, TCustomRVData *RVData) override;
  bool ReadRVF(const std::string &s, TCustomRVData *RVData, int Mode, int LineNo, int LineCount, std::string &Name,
               int &LineState) override;
  void SaveRVF(std::string &Stream, TCustomRVData *RVData, int ItemNo, const std::string &Name,
               bool ForceSameAsPrev) override;
  void SaveToHTML(std::string &Stream, TCustomRVData *RVData, int ItemNo, const std::string &Text,
                  TRVHTMLSaveContext &Context) override;
  void SaveRTF(std::string &Stream, TCustomRVData *RVData, int ItemNo, const std::string &Name,
               TRVRTFSaveContext &Context) override;

protected:
  // Reads the fields of the header tail after the image list's tag and
  // index; true when they are well formed.
  virtual bool ReadRvfHeaderTailRest(const std::string &Rest) {
    (void)Rest;
    return true;
  }
  // Checks the index against the list once the list is known.
  void CheckImageIndex(int &Index, TCustomRVData *RVData) const;
};

class TRVHotspotItemInfo : public TRVBulletItemInfo {
public:
  explicit TRVHotspotItemInfo(TCustomRVData *RVData);
  std::unique_ptr<TCustomRVItemInfo> NewInstance(TCustomRVData *RVData) const override;

  int32_t HotImageIndex = 0;

  int GetImageIndex(bool Hot) const override;
  bool GetStyleFlag(int Property, const TRVStyle *RVStyle) const override;
  void AssignProperties(const TCustomRVItemInfo &Source) override;
  bool GetIntPropertyByName(std::string_view Name, int &Value) const override;
  bool SetIntPropertyByName(std::string_view Name, int Value) override;
  std::string WriteRvfHeaderTail(TCustomRVData *RVData) const override;
  bool ReadRvfHeaderTail(const std::string &Field, TCustomRVData *RVData) override;
  void ExecuteJump(TCustomRVData *RVData) override;

protected:
  bool ReadRvfHeaderTailRest(const std::string &Rest) override;

private:
  bool FHotRead = false;
};

// ---------------------------------------------------------------------------
// Embedded controls

class TRVControlItemInfo : public TRVRectItemInfo {
public:
  explicit TRVControlItemInfo(TCustomRVData *RVData);
  // Takes the control.
  TRVControlItemInfo(TCustomRVData *RVData, TControl *AControl, TRVVAlign AVAlign);
  ~TRVControlItemInfo() override;
  std::unique_ptr<TCustomRVItemInfo> NewInstance(TCustomRVData *RVData) const override;

  bool Resizable = false;
  int32_t PercentWidth = 0; // 1..100: the width follows the document's

  // The control, or nullptr once it is gone (its parent may free it first).
  TControl *Control() const;
  // Takes the control, freeing the one held before.
  void SetControl(TControl *AControl);
  // Gives the control away: the item forgets it without freeing it.
  TControl *ReleaseControl();

  int GetMinWidth(const TRVScreenAndDevice *sad, TCanvas *Canvas, TCustomRVData *RVData) override;
  bool GetFlag(int Property) const override;
  bool GetStyleFlag(int Property, const TRVStyle *RVStyle) const override;
  void Paint(int X, int Y, TCanvas &Canvas, TRVItemDrawStates State, TRVStyle *Style,
             TRVDrawLineInfo *DrawLine) override;
  bool PrintToBitmap(TBitmap &Bitmap, bool Preview, TCustomRVData *RVData, TRVDrawLineInfo *DrawLine, int Part,
                     uint8_t ColorMode) override;
  int GetImageWidth(const TRVStyle *RVStyle) const override;
  int GetImageHeight(const TRVStyle *RVStyle) const override;
  std::unique_ptr<TRVDrawLineInfo> CreatePrintingDrawItem(TCustomRVData *RVData,
                                                          const TRVScreenAndDevice &sad) override;
  void Inserting(TCustomRVData *RVData, std::string &Text, bool Safe) override;
  void OnDocWidthChange(int DocWidth, TRVDrawLineInfo *DrawLine, bool Printing, TCanvas *Canvas, TCustomRVData *RVData,
                        const TRVScreenAndDevice *sad, bool &Resized, int &Height) override;
  int GetHeight() const override;
  int GetWidth() const override;
  void AdjustPosition(int X, int Y, bool Refresh, TCustomRVData *RVData) override;

  bool OwnsControl(const TControl *AControl) const override;
  bool PlacesWindow() const override { return true; }
  bool IsFocusableControl() const;
  void AssignProperties(const TCustomRVItemInfo &Source) override;
  int GetRvfExtraPropertyCount() const override;
  void WriteRvfExtraProperties(std::string &Stream) const override;
  bool SetExtraIntProperty(int Prop, int Value) override;
  bool GetExtraIntProperty(int Prop, int &Value) const override;
  bool GetIntPropertyByName(std::string_view Name, int &Value) const override;
  bool SetIntPropertyByName(std::string_view Name, int Value) override;
  bool ReadRVF(const std::string &s, TCustomRVData *RVData, int Mode, int LineNo, int LineCount, std::string &Name,
               int &LineState) override;
  void SaveRVF(std::string &Stream, TCustomRVData *RVData, int ItemNo, const std::string &Name,
               bool ForceSameAsPrev) override;
  void SaveToHTML(std::string &Stream, TCustomRVData *RVData, int ItemNo, const std::string &Text,
                  TRVHTMLSaveContext &Context) override;
  void SaveRTF(std::string &Stream, TCustomRVData *RVData, int ItemNo, const std::string &Name,
               TRVRTFSaveContext &Context) override;
  std::string AsText(int LineWidth, char LineChar, TCustomRVData *RVData, const std::string &Text,
                     const std::string &Path, bool TextOnly, bool Unicode) override;
  void MovingToUndoList(int ItemNo, TCustomRVData *RVData) override;
  void MovingFromUndoList(int ItemNo, TCustomRVData *RVData) override;

private:
  QPointer<TControl> FControl;
};

// Embedded controls keep their true top (client coordinates) apart from the
// top they are shown at, which stays within -RVMaxControlTop ..
// RVMaxControlTop so that a control scrolled far away never overflows
// window coordinates. Whoever places a control stores its true top; the
// scroller moves controls by the stored value.
constexpr int32_t RVMaxControlTop = 10000;
// The stored true top; the shown top when none was stored.
int GetControlTrueTop(const TControl *Control);
void SetControlTrueTop(TControl *Control, int Top);
int GetClampedControlTop(const TControl *Control);
// Shows the control at its stored top, clamped.
void ApplyClampedControlTop(TControl *Control);
// A control its owner hides (a hidden animation) stays hidden when a layout
// places it; placing shows every other control.
void SetControlKeptHidden(TControl *Control, bool Hidden);
bool IsControlKeptHidden(const TControl *Control);

// An RTF picture group of a picture shown at ShownWidth x ShownHeight.
void RVSaveGraphicToRTF(std::string &Stream, const TGraphic &Graphic, int ShownWidth, int ShownHeight,
                        const TRVRTFSaveContext &Context);
// An RTF picture group of an image-list image on white: a bitmap with
// rvrtfSaveBitmapDefault, else a metafile ("\wmetafile1").
void RVSaveImageListImageToRTF(std::string &Stream, const TCustomImageList &ImageList, int ImageIndex,
                               const TRVRTFSaveContext &Context);

// The picture of a control for printing and saving: the widget rendered
// onto a bitmap of its size.
std::unique_ptr<TBitmap> DrawControlToBitmap(const TControl *Control);

} // namespace kc
