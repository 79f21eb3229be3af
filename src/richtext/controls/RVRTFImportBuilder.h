#pragma once
// The state of one RTF import: the reader's events become items kept aside
// until the reader is done, and styles chosen or added on the way.
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "richtext/controls/RVRTF.h"
#include "richtext/controls/RVRTFImport.h"
#include "richtext/document/RVStyle.h"

namespace kc {

class TCustomRVItemInfo;
class TFontInfo;
class TParaInfo;
class TRVTableItemInfo;
struct TRVRTFGrid;

// A list level text, already without its length character, as a marker
// format: placeholder n becomes "%s" (level 0) or "%n:s".
std::string RTFLevelTextToFormat(const std::string &Text);

// An RTF border kind and width (twips) as a border style, width and internal
// width in pixels; Far is the right or bottom side.
struct TRVConvertedBorder {
  TRVBorderStyle Style = rvbNone;
  int32_t Width = 0;
  int32_t InternalWidth = 0;
};
TRVConvertedBorder ConvertRTFBorder(uint8_t Kind, int32_t WidthTwips, bool Far);

class TRVRTFImportBuilder {
public:
  TRVRTFImportBuilder(TRVRTFReaderProperties &Props, TRVRTFReader &Reader, TCustomRVData &Target, int Index);
  ~TRVRTFImportBuilder();

  // Settles what the last events left pending.
  void Finish();
  // Moves the built items into the target at the insertion index (and the
  // header and footer into theirs); the index of the last one inserted into
  // the target, -1 when there were none.
  int Splice();

  // A HYPERLINK field instruction's target and hint; false for other fields.
  static bool ParseHyperlink(std::string_view Instr, const std::string &BasePath, std::string &Target,
                             std::string &Hint);

  // The text style wanted by the reader's character properties.
  void WantedTextStyle(TFontInfo &Wanted, bool Unicode, bool Hyperlink) const;
  int ClosestTextStyle(const TFontInfo &Wanted) const;
  int ExactTextStyle(const TFontInfo &Wanted) const;
  void WantedParaStyle(const TRVRTFParaProperties &Para, TParaInfo &Wanted) const;
  int ClosestParaStyle(const TRVRTFParaProperties &Para, const TParaInfo &Wanted) const;
  int ExactParaStyle(const TParaInfo &Wanted) const;

private:
  struct BuiltItem {
    std::string Text;
    std::unique_ptr<TCustomRVItemInfo> Item;
  };
  // Where items go: the main target at the insertion index, or the header or
  // footer target, which the import replaces.
  struct Sink {
    TCustomRVData *Data = nullptr;
    std::vector<BuiltItem> Items;
    bool PageBreakPending = false;
    bool Met = false; // a header or footer was read for this target
  };
  // A marker whose list style is chosen once the text after it is known.
  struct PendingMarker {
    Sink *Where = nullptr;
    size_t Index = 0;
    int RTFList = -1; // the RTF list, or -1 for old-style numbering
    TRVRTFMarkerProperties Old;
    int32_t ParaLeft = 0, ParaFirst = 0; // twips
  };

  // Tables under construction (RVRTFImportTables.cpp). A cell collects its
  // items like any other target; the table item is made when the table
  // ends. A table that a paragraph without \intbl closed is only set aside:
  // the next cell or row end takes that paragraph back into it.
  struct TableCell {
    std::unique_ptr<Sink> Content;
  };
  struct TableRow {
    std::vector<TableCell> Cells;
    TRVRTFRowProperties Props; // the definition in force at the row end
    uint8_t Alignment = 0;     // 0 left, 1 right, 2 centred
  };
  struct TableBuild {
    Sink *Parent = nullptr;
    std::vector<TableRow> Rows;
    std::vector<TableCell> Ended; // cells of the open row
    std::unique_ptr<Sink> Cell;   // the cell being filled
    bool SetAside = false;
    size_t SetAsideAt = 0; // where in the parent the table goes
    int HeadingRows = 0;
    // The row definition at the last cell end, for a row left open.
    TRVRTFRowProperties Props;
    const TRVRTFRowProperties *PropsSeen = nullptr;
  };
  void TableEvent(TRVRTFTableEventKind Kind);
  void StartTable();
  void EndCell();
  void EndRow();
  void SetTableAside();
  // Ends the open row of T, if it has cells, with the row definition Props.
  void CloseRow(TableBuild &T, const TRVRTFRowProperties *Props);
  // Ends the innermost table and puts it into its parent.
  void FinishTable();
  std::unique_ptr<TCustomRVItemInfo> MakeTable(TableBuild &T);
  // The steps of MakeTable. TableLook gathers what the rows and cells say
  // of borders, spacing and padding; Content is what each grid cell takes.
  struct TableLook;
  using CellContents = std::vector<std::vector<std::vector<Sink *>>>;
  static TRVRTFGrid GridOfRows(const TableBuild &T);
  static void TakeRowLook(const TableBuild &T, TRVTableItemInfo &Table, TableLook &Look);
  static void TakeCellLook(const TableBuild &T, const TRVRTFGrid &Grid, TRVTableItemInfo &Table, TableLook &Look,
                           CellContents &Content);
  static void FillCells(const TRVRTFGrid &Grid, TRVTableItemInfo &Table, CellContents &Content);
  static void DropRepeatedBorders(const TRVRTFGrid &Grid, TRVTableItemInfo &Table);
  void FinishTableLook(TRVTableItemInfo &Table, const TableLook &Look) const;
  // Moves From's items from Index on to the end of To.
  static void MoveItems(Sink &From, size_t Index, Sink &To);
  std::unique_ptr<Sink> NewCellSink() const;
  int TableParaStyle(uint8_t Alignment);
  std::vector<std::unique_ptr<TableBuild>> Tables;
  int LeftTableParaStyle = -1;

  void NewText(const std::string &Text, TRVRTFPosition Pos);
  void NewUnicodeText(const std::u16string &Text, TRVRTFPosition Pos);
  void AddText(const std::string &Text, bool Unicode, TRVRTFPosition Pos);
  bool NewPicture(TRVRTFPicture *Pic, std::unique_ptr<TGraphic> &Graphic, TRVRTFPosition Pos);
  void HeaderFooter(TRVRTFHeaderFooterType Type, bool Starting, bool &Supported);
  void Place(std::string Text, std::unique_ptr<TCustomRVItemInfo> Item, TRVRTFPosition Pos);
  bool InHyperlink(std::string &Target, std::string &Hint) const;
  int ParaOfPrevious() const;
  int TextStyleFor(bool Unicode, bool Hyperlink);
  int ParaStyleFor(const TRVRTFParaProperties &Para);
  bool CanUse(int StyleNo, bool Text) const;
  // Lists: the list style of each RTF list, found or made once per import
  // when its first marker settles (levels without a size of their own take
  // the size of the text after that marker).
  int ListStyleOfRTFList(int RTFList, int32_t TextSize);
  int ListStyleOfOldMarker(const PendingMarker &M, int32_t TextSize);
  // The first list style equal to Wanted that no other list of this import
  // took, or a new one.
  int FindOrAddListStyle(const TRVListInfo &Wanted);
  void AddListMarker(int ParaNo);
  // AtReaderUpdate: called from the reader's marker update, when the
  // reader's paragraph is still the marker's.
  void SettleMarker(bool AtReaderUpdate = false);
  // The size of the text item right after Index in S; 0 when there is none.
  int32_t SizeOfTextAfter(const Sink &S, size_t Index) const;

  TRVRTFReaderProperties &P;
  TRVRTFReader &R;
  TCustomRVData &Target;
  TRVStyle *Style;
  int InsertIndex;
  Sink Main, Header, Footer;
  Sink *Cur = &Main;
  int32_t HeaderY = -1, FooterY = -1; // millimetres, -1 when not met
  bool ForceNewPara = false;
  bool MarkerJustAdded = false;
  std::optional<PendingMarker> Pending;
  std::vector<int> ListStyleOfList; // by RTF list; -1 until mapped
  std::vector<bool> Taken;          // list styles taken by a list of this import
  std::vector<int> OldStyleLists;   // list styles made for old-style numbering
  // Closest styles already found, by the wanted values: runs repeat the same
  // few formats, and the score goes over the whole sheet.
  std::unordered_map<std::string, int> ClosestText, ClosestPara;
};

} // namespace kc
