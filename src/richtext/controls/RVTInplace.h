#pragma once
// The editor of one table cell: a document that holds the cell's items
// while it is open (TRVTableInplaceRVData), shown either by a child editor
// control over the cell (TRVTableInplaceEdit) or, in a document without a
// control (tools, tests), by itself (TRVHeadlessCellEditor). Everything that
// concerns the whole document (undo, read-only state, the caret leaving the
// cell) goes to the document that holds the table.
#include <memory>

#include "richtext/controls/RVUndo.h"
#include "richtext/controls/RichVistaEdit.h"
#include "richtext/document/RVCellEditor.h"
#include "richtext/tables/RVTable.h"

namespace kc {

// The cell editor's document.
class TRVTableInplaceRVData : public TRVEditControlData {
public:
  TRVTableInplaceRVData(TRVFormatHost *Host, TCustomRichVistaEdit *Editor) : TRVEditControlData(Host, Editor) {}

  // The document that holds the table, the table and the edited cell;
  // Table is cleared when the editor closes.
  TRVEditRVData *ParentData = nullptr;
  TRVTableItemInfo *Table = nullptr;
  TRVTableCellData *Cell = nullptr;

  bool IsReadOnly() const override;
  bool CanChange() override;
  TCustomRVData *GetAbsoluteParentData() const override;
  TCustomRVData *GetAbsoluteRootData() const override;
  void GetParentInfo(int &ParentItemNo, void *&Location) const override;
  // A change here is a change of the whole document: the redo lists
  // outside go, and the table follows the cell's new size.
  void EditFinished(bool ClearRedo) override;

  // ---- the selected look
  // Set while the editor is painted as a selected cell: the cell's own
  // picture then gives way to the editor's colour (the selection colour).
  bool SelectedLook = false;
  TRVBackground *GetBackground() const override;
};

// The cell editor of a document without a control: its document is
// formatted on a host of the cell's size, on the holding document's canvas.
class TRVHeadlessCellEditor : public TRVCellEditor {
public:
  explicit TRVHeadlessCellEditor(TRVEditRVData &Parent);
  ~TRVHeadlessCellEditor() override;
  TCustomRVFormattedData &Data() override { return *FData; }
  void Place(const TRect &Rect) override;
  void BeforeClose(bool Clearing) override;
  void SetSelectedLook(bool On) override;

private:
  class Host;
  std::unique_ptr<Host> FHost;
  std::unique_ptr<TRVTableInplaceRVData> FData;
};

// The cell editor control: a child editor over the cell, without border or
// scroll bars, on the control of the holding document.
class TRVTableInplaceEdit : public TRichVistaEdit, public TRVCellEditor {
public:
  TRVTableInplaceEdit(TCustomRichVistaEdit &Holder, TRVEditRVData &Parent);
  ~TRVTableInplaceEdit() override;

  TRVTableInplaceRVData *InplaceData() const { return static_cast<TRVTableInplaceRVData *>(RVData()); }
  TCustomRVFormattedData &Data() override { return *InplaceData(); }
  TRVScroller *Control() const override { return const_cast<TRVTableInplaceEdit *>(this); }
  void Place(const TRect &Rect) override;
  void Opened(unsigned Flags) override;
  void BeforeClose(bool Clearing) override;
  void Release() override;
  // The cell-editor calls beside the control's own mouse hooks, which stay.
  using TRichVistaEdit::MouseDown;
  using TRichVistaEdit::MouseUp;
  void MouseDown(int Button, uint8_t Shift, int X, int Y, bool DoubleClick) override;
  void MouseMove(uint8_t Shift, int X, int Y) override;
  void MouseUp(int Button, uint8_t Shift, int X, int Y) override;

  // Measured as the holder measures, so that the cell keeps its layout.
  TCanvas *FormatCanvas() override;
  void SetReadOnly(bool Value) override;
  bool GetReadOnly() const override;
  bool CanChange(bool Forced = false) override;
  // Message time of the click that opened the editor (0: none): a second
  // press soon after it is a double click.
  qint64 LastClickTime = 0;

  // ---- a selection of cells started in the editor
  // On: the editor keeps its colour in SavedColor and takes the style's
  // selection colour; off gives it back. The caret is placed again.
  void SetSelectedLook(bool On) override;
  void CellChanged() override;
  TColor SavedColor = clNone;
  // ---- events that reach the outermost control, posted
  // The control of the document the outermost table lies in.
  TCustomRichVistaEdit *RootControl() const;
  bool HasRVMouseDownHandler() const override;
  void DoRVMouseDown(TRVMouseButton Button, TRVShiftState Shift, int ItemNo, int X, int Y) override;
  bool HasRVMouseUpHandler() const override;
  void DoRVMouseUp(TRVMouseButton Button, TRVShiftState Shift, int ItemNo, int X, int Y) override;
  void Click() override;
  void DragDrop(QObject *Source, int X, int Y) override;
  void EndDrag(QObject *Target, int X, int Y) override;
  // ---- end of the selection and event block

protected:
  bool event(QEvent *Event) override;
  void KeyDown(int &Key, Qt::KeyboardModifiers Shift) override;
  bool UndoOutside(bool Redo) override;
  void mousePressEvent(QMouseEvent *Event) override;
  // A press here may begin a selection of cells: the moves go on to the
  // holding document (which scrolls while the pointer is outside it), and
  // the release ends it, closing the editor when other cells were reached.
  void MouseDown(TRVMouseButton Button, TRVShiftState Shift, int X, int Y) override;
  void MouseUp(TRVMouseButton Button, TRVShiftState Shift, int X, int Y) override;
  // Only the bars: the table wraps the document when it places the editor.
  void resizeEvent(QResizeEvent *Event) override;

private:
  // The control of the document that holds the table.
  TCustomRichVistaEdit *FHolder;
  // The caret leaves the cell in a direction: the table is told once the
  // event loop has left this editor's handlers, as it may close it.
  void PostGetOut(int Direction);
  bool FReleased = false;
  // The left button went up after a mouse selection: an editor in the
  // selected look closes once its handlers are done; otherwise the look
  // goes.
  void EndCellSelecting();
  // A point of this editor in the root control's client coordinates.
  QPoint ToRoot(int X, int Y) const;
  void PostMouseUpDown(uint8_t Kind, TRVMouseButton Button, TRVShiftState Shift, int X, int Y);
  void PostDragEvent(uint8_t Kind, QObject *Obj, int X, int Y);
};

// Everything done in one opening of a cell editor, as one step of the
// holding document's undo or redo: performing it opens the editor on that
// cell when another or none is open, takes back (or redoes) the cell's last
// step there at once, and records its reverse here.
class TRVUndoCellModify : public TRVCompositeUndo {
public:
  int32_t Row = -1, Col = -1;
  void Undo(TRVEditRVData &Data) override;

protected:
  std::unique_ptr<TRVCompositeUndo> MakeReverse() const override;
};

} // namespace kc
