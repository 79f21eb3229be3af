#pragma once
// A table cell: a whole nested document laid out inside the cell's
// rectangle, with the cell's own attributes. Questions every document is
// asked (options, origin, widths, colour, parent) it answers from the table
// that holds it. The grid owns the cells.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "richtext/document/RVBack.h"
#include "richtext/document/RVCtrlData.h"
#include "richtext/document/RVItem.h"
#include "richtext/tables/RVTableTypes.h"

namespace kc {

class TRVTableRow;
class TRVTableItemInfo;

class TRVTableCellData : public TRVItemFormattedData, public TRVIntPropertyHolder {
public:
  // A cell with one empty text item (style 0, paragraph 0).
  explicit TRVTableCellData(TRVTableRow *Row);
  ~TRVTableCellData() override;

  // Published attributes, in the order of the cell's property table.
  TColor Color = clNone;
  TColor BorderColor = clNone;
  TColor BorderLightColor = clNone;
  TRVHTMLLength BestWidth = 0;
  int32_t BestHeight = 0;
  TRVBooleanRect VisibleBorders{true};
  TRVCellVAlign VAlign = rvcVDefault;
  std::string BackgroundImageFileName;

  // The background picture and how it is laid; both live in a painter that
  // exists only while one of them says something.
  TGraphic *GetBackgroundImage() const;
  void SetBackgroundImage(const TGraphic *Image); // copies; nullptr removes
  void TakeBackgroundImage(std::unique_ptr<TGraphic> Image);
  std::unique_ptr<TGraphic> ReleaseBackgroundImage(); // gives it away, nullptr when none
  TRVItemBackgroundStyle GetBackgroundStyle() const;
  void SetBackgroundStyle(TRVItemBackgroundStyle Value);

  // Spans (1 when not merged) and the rectangle inside the table that the
  // layout gives the cell.
  int32_t RowSpan = 1;
  int32_t ColSpan = 1;
  int32_t Left = 0, Top = 0, Width = 0, Height = 0;
  // Inside the table's cell selection (kept by UpdateCellSelection).
  bool Selected = false;
  // The content width the cell's document was last formatted to (-1
  // never): a layout that keeps it does not wrap the cell again.
  int32_t FormattedWidth = -1;

  // An undo record takes the cell out of the grid: it answers through the
  // record's document meanwhile; back in the grid it answers through its row.
  void MovingToUndoList(TCustomRVData *UndoData);
  void MovingFromUndoList();
  TCustomRVData *DetachedTo() const { return FUndoData; }

  TRVTableRow *Row() const { return FRow; }
  void SetRow(TRVTableRow *Row) { FRow = Row; }
  // nullptr while the cell is in no row.
  TRVTableItemInfo *GetTable() const;

  // ------------------------------------------ answers of a nested document
  TCustomRVData *GetParentData() const override;
  TCustomRVData *GetAbsoluteParentData() const override { return GetParentData(); }
  uint16_t GetFlags() const override;
  // The root's options, never wrapping to the client width.
  TRVOptions GetOptions() const override;
  TPoint GetOrigin() const override;
  bool HasHostWindow() const override;
  int GetAreaWidth() const override { return GetWidth(); }
  int GetWidth() const override;
  int GetHeight() const override;
  int GetHOffs() const override;
  int GetVOffs() const override;
  TRVBackground *GetBackground() const override { return FBackground.get(); }
  // None: the table paints the cell's colour.
  TColor GetColor() const override { return clNone; }
  // The table's item number, and a TRVTableStoreSubRVData of this cell that
  // stays valid until the next call on this cell.
  void GetParentInfo(int &ParentItemNo, void *&Location) const override;
  // A link followed in a cell is the root's to report.
  void DoJump(int ID) override;
  // The item of this cell holding the keyboard focus (a table holds it in
  // one of its cells); -1 none.
  int32_t FocusedItemNo = -1;
  // A click focused an item here or in a table here: the table records the
  // cell and the holding document the item.
  void FocusClickedItem(int ItemNo) override;
  void FocusNestedItem(int HolderItemNo, TCustomRVFormattedData *Data, int ItemNo) override;

  // ------------------------------------------------------------ queries
  // VAlign, else the row's, else middle.
  TRVCellVAlign GetRealVAlign() const;
  // Where the content starts below the cell's top, for its alignment.
  int GetVAlignOffset() const;
  // The larger of the document's height and BestHeight.
  int GetContentHeight() const;
  // The narrowest the content can be (scaled by the ratio when given).
  int GetMinWidth(const TRVScreenAndDevice *sad, TCanvas &Canvas);
  // The document's own minimum, measured once until the items change.
  int PassMinWidth(const TRVScreenAndDevice *sad, TCanvas &Canvas) override;
  // Whether the cell holds anything; Strict: an empty text item of another
  // style or paragraph than 0 counts as something.
  bool HasData(bool Strict) const;
  // False when an item is protected against deletion.
  bool CanClear() const;
  // The colour painted under the cell: its own, the table's, the table
  // paragraph's background, the holding document's.
  TColor GetEffectiveColor() const;
  // No colour of its own, of the table or of the table's paragraph.
  bool IsTransparent() const;

  // ------------------------------------------------------------ copying
  void AssignAttributesFrom(const TRVTableCellData &Source, bool IncludeSize, int HeightDivisor = 1,
                            int WidthDivisor = 1);
  void AssignLayoutFrom(const TRVTableCellData &Source);
  // Copies of Source's items (texts, objects, checkpoints' tags) appended.
  void AppendItemCopiesFrom(const TRVTableCellData &Source);

  // Integer properties by the names of the property table.
  bool GetIntPropertyByName(std::string_view Name, int &Value) const override;
  bool SetIntPropertyByName(std::string_view Name, int Value) override;

  // ---- the cell editor
  // While the table's cell editor edits this cell, its document holds the
  // items (this one is empty): readers of the content take it from there.
  TCustomRVFormattedData *EditorData = nullptr;
  // The editor document's minimum width, measured by the table after each
  // change in it.
  int32_t EditorMinWidth = 0;
  TCustomRVData *GetEditorRVData() override;
  TCustomRVFormattedData *GetEditingRVData() override;
  TRVScroller *GetEditingCellEditor() const override;
  // The minimum width of Doc's content as a cell's is counted: an empty
  // text item takes its paragraph's indents, other content at least 10.
  static int ContentMinWidth(TCustomRVFormattedData &Doc, const TRVScreenAndDevice *sad, TCanvas &Canvas);
  // ---- end of the cell editor

  // The layout keeps the content's minimum width and the wrap of the last
  // pass; a change of the items (or their styles) must drop both.
  void InvalidateMinWidth() {
    FMinWidthValid = false;
    FormattedWidth = -1;
  }

private:
  TRVTableRow *FRow;
  TCustomRVData *FUndoData = nullptr;
  std::unique_ptr<TRVBackground> FBackground;
  mutable TRVTableStoreSubRVData FStore;
  // Minimum width of the last measure, and what it was measured with.
  bool FMinWidthValid = false;
  int32_t FMinWidth = 0;
  int32_t FMinWidthItems = -1;
  TRVScreenAndDevice FMinWidthSad;
  const TCanvas *FMinWidthCanvas = nullptr;
};

} // namespace kc
