#pragma once
// An editor opened over one nested document of an item (a table's cell):
// while it is open it holds the cell's items in a document of its own,
// which the editing layer makes (a widget over the cell in a control, a
// plain editing document without one). The item asks the document that
// holds it for one (TCustomRVFormattedData::CreateCellEditor) and frees it
// to close it.
#include <cstdint>

#include "richtext/document/RVFuncs.h"

namespace kc {

class TCustomRVFormattedData;
class TCustomRVItemInfo;
class TRVScroller;

class TRVCellEditor {
public:
  virtual ~TRVCellEditor() = default;
  // The document that holds the edited cell's items while the editor is
  // open.
  virtual TCustomRVFormattedData &Data() = 0;
  // The window of the editor; nullptr without one.
  virtual TRVScroller *Control() const { return nullptr; }
  // The editor covers Rect (client coordinates of the holding document's
  // control); a new width wraps its document again.
  virtual void Place(const TRect &Rect) = 0;
  // The items are in, the editor placed and formatted, the caret set:
  // Flags are the table's opening flags (focus, click time, jump mode).
  virtual void Opened(unsigned Flags) { (void)Flags; }
  // Before the items go back to the cell: the editor's history is handed
  // to the holding document (none when it is being cleared).
  virtual void BeforeClose(bool Clearing) { (void)Clearing; }
  // The owner is done with the editor: freed now, or (a window, which may
  // be inside one of its own handlers) once control is back in the event
  // loop.
  virtual void Release() { delete this; }
  // A press inside the editor, in its document's client coordinates.
  virtual void MouseDown(int Button, uint8_t Shift, int X, int Y, bool DoubleClick) {
    (void)Button, (void)Shift, (void)X, (void)Y, (void)DoubleClick;
  }
  virtual void MouseMove(uint8_t Shift, int X, int Y) { (void)Shift, (void)X, (void)Y; }
  virtual void MouseUp(int Button, uint8_t Shift, int X, int Y) { (void)Button, (void)Shift, (void)X, (void)Y; }
  // The *selected look*: while a mouse selection of cells that started in
  // the edited cell covers other cells, the editor is painted as a selected
  // cell; nothing when unchanged.
  virtual void SetSelectedLook(bool On) { FSelectedLook = On; }
  // The cell's or its table's attributes changed while the editor stays
  // open: it takes the cell's colour again.
  virtual void CellChanged() {}
  bool SelectedLook() const { return FSelectedLook; }
  // A mouse selection that started in the editor is running.
  bool Selecting = false;

  // The edited cell and its place in the table.
  TCustomRVItemInfo *Item = nullptr;
  TCustomRVFormattedData *Cell = nullptr;
  int32_t Row = -1, Col = -1;
  // Set when the owner frees the editor as part of its own going away:
  // nothing is handed back or reformatted then.
  bool Busy = false;

protected:
  bool FSelectedLook = false;
};

} // namespace kc
