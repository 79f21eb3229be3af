// The editor document's side of the item resizer: when handles show, the
// mouse on them, their painting, and the new size as one undoable action;
// and the line of a table border being dragged.
#include <algorithm>

#include "richtext/controls/RVERVData.h"

namespace kc {

int TRVEditRVData::ResizableItemAtCaret() const {
  int item = -1;
  if (SelectionExists()) {
    // Only a selection of exactly one whole item counts.
    int si, so, ei, eo;
    GetSelectionBounds(si, so, ei, eo, true);
    if (si != ei || si < 0 || so != GetOffsBeforeItem(si) || eo != GetItemEndOffset(si)) return -1;
    item = si;
  } else {
    int offs;
    if (!GetCaretItemPos(item, offs)) return -1;
  }
  if (item < 0 || item >= GetItemCount() || IsTextItem(item)) return -1;
  if (!GetItem(item)->GetFlag(rvbpResizable)) return -1;
  if (const TParaInfo *p = ParaStyleOf(item); p && p->Options.Has(rvpaoReadOnly)) return -1;
  return item;
}

void TRVEditRVData::UpdateResizer() {
  if (Resizer) {
    InvalidateResizer(*Resizer);
    Resizer.reset();
  }
  if (SuppressesResizer() || (IsReadOnly() && !ResizesWhenReadOnly()) || NoImageResize()) return;
  if (State & rvstFormatting) return;
  const int item = ResizableItemAtCaret();
  if (item < 0) return;
  const int dl = FirstDrawLineOfItem(item);
  const TRVDrawLineInfo *d = dl >= 0 && dl < DrawLines.Count() ? DrawLines.Items(dl) : nullptr;
  if (!d || d->ItemNo != item) return;
  const TCustomRVItemInfo *info = GetItem(item);
  Resizer = std::make_unique<TRVItemResizer>(info, item, dl, d->Width, d->Height, info->GetBorderWidth(),
                                             info->GetFlag(rvbpResizeHandlesOutside) ? rvhpOutside : rvhpInside);
  InvalidateResizer(*Resizer);
}

TRVItemResizer *TRVEditRVData::LiveResizer() {
  if (!Resizer) return nullptr;
  const int dl = Resizer->DrawItemNo(), item = Resizer->ItemNo();
  const TRVDrawLineInfo *d = dl >= 0 && dl < DrawLines.Count() ? DrawLines.Items(dl) : nullptr;
  if (!d || d->ItemNo != item || item >= GetItemCount() || GetItem(item) != Resizer->Item()) {
    Resizer.reset();
    return nullptr;
  }
  if (d->Width != Resizer->Width() || d->Height != Resizer->Height()) {
    // The item took another size (an undo, a reformat): handles for that
    // size; a drag of the old one has nothing left to apply to.
    const int32_t placement = Resizer->Placement();
    const int spacing = Resizer->BorderSpacing();
    InvalidateResizer(*Resizer);
    Resizer = std::make_unique<TRVItemResizer>(GetItem(item), item, dl, d->Width, d->Height, spacing, placement);
    InvalidateResizer(*Resizer);
  }
  return Resizer.get();
}

void TRVEditRVData::InvalidateResizer(const TRVItemResizer &R) {
  const int dl = R.DrawItemNo();
  if (dl < 0 || dl >= DrawLines.Count() || !DrawLines.Items(dl)) return;
  const TRVDrawLineInfo *d = DrawLines.Items(dl);
  // Handles reach this far beyond the item, the frame anywhere it was
  // dragged to.
  const int m = TRVItemResizer::HandleRadius * 2 + 1;
  const TRect f = R.Frame();
  const int l = std::min(0, f.Left) - m, t = std::min(0, f.Top) - m;
  const int r = std::max(R.Width(), f.Right) + m, b = std::max(R.Height(), f.Bottom) + m;
  const int x = RVSatAdd(d->Left, -int64_t(GetHOffs())), y = RVSatAdd(d->Top, -int64_t(GetVOffs()));
  InvalidateRectInControl(TRect{RVSatAdd(x, l), RVSatAdd(y, t), RVSatAdd(x, r), RVSatAdd(y, b)});
}

bool TRVEditRVData::ResizerMouseDown(int X, int Y) {
  TRVItemResizer *r = LiveResizer();
  if (!r) return false;
  const TRVDrawLineInfo *d = DrawLines.Items(r->DrawItemNo());
  const int x = RVSatAdd(X, -int64_t(d->Left)), y = RVSatAdd(Y, -int64_t(d->Top));
  const int handle = r->HandleAt(x, y);
  if (handle < 0) return false;
  r->StartDrag(handle, x, y);
  SetCursor(TRVItemResizer::HandleCursor(handle));
  InvalidateResizer(*r);
  return true;
}

bool TRVEditRVData::ResizerMouseMove(int X, int Y, bool Shift, bool Ctrl) {
  TRVItemResizer *r = LiveResizer();
  if (!r || !r->Dragging()) return false;
  const TRVDrawLineInfo *d = DrawLines.Items(r->DrawItemNo());
  // The frame is overlay state painted over the document: the part it
  // left and the part it moves to are repainted.
  InvalidateResizer(*r);
  r->DragTo(RVSatAdd(X, -int64_t(d->Left)), RVSatAdd(Y, -int64_t(d->Top)), Shift, Ctrl);
  InvalidateResizer(*r);
  return true;
}

bool TRVEditRVData::ResizerMouseUp(int X, int Y, bool Shift, bool Ctrl) {
  (void)X, (void)Y, (void)Shift, (void)Ctrl;
  TRVItemResizer *r = LiveResizer();
  if (!r) return false;
  if (r->Cancelled()) {
    // The press was ours; its release after Escape changes nothing.
    r->ClearCancelled();
    return true;
  }
  if (!r->Dragging()) return false;
  // The size is the frame's as the last move left it.
  const TRect f = r->Frame();
  const int item = r->ItemNo();
  InvalidateResizer(*r);
  r->EndDrag();
  ApplyResize(item, f.width(), f.height());
  return true;
}

bool TRVEditRVData::CancelResize() {
  if (CancelTableBorderDrag()) return true;
  TRVItemResizer *r = LiveResizer();
  if (!r || !r->Dragging()) return false;
  InvalidateResizer(*r);
  r->Cancel();
  SetCursor(crDefault);
  return true;
}

bool TRVEditRVData::ResizerCursorAt(int X, int Y, TCursor &Cursor) {
  TRVItemResizer *r = LiveResizer();
  if (!r) return false;
  if (r->Dragging()) {
    Cursor = TRVItemResizer::HandleCursor(r->ActiveHandle());
    return true;
  }
  const TRVDrawLineInfo *d = DrawLines.Items(r->DrawItemNo());
  const int handle = r->HandleAt(RVSatAdd(X, -int64_t(d->Left)), RVSatAdd(Y, -int64_t(d->Top)));
  if (handle < 0) return false;
  Cursor = TRVItemResizer::HandleCursor(handle);
  return true;
}

void TRVEditRVData::PaintResizer(TCanvas &Canvas) {
  TRVItemResizer *r = LiveResizer();
  if (!r) return;
  const TRVDrawLineInfo *d = DrawLines.Items(r->DrawItemNo());
  const int x = RVSatAdd(d->Left, -int64_t(GetHOffs())), y = RVSatAdd(d->Top, -int64_t(GetVOffs()));
  r->DrawHandles(Canvas, x, y);
  r->DrawFrame(Canvas, x, y);
}

bool TRVEditRVData::ApplyResize(int ItemNo, int Width, int Height) {
  if (ItemNo < 0 || ItemNo >= GetItemCount()) return false;
  TCustomRVItemInfo *item = GetItem(ItemNo);
  // The frame was the item's box; the size set is without the spacing
  // around it (a control's too, or each resize would add the spacing).
  const int spacing = std::max(0, item->GetBorderWidth());
  Width = std::max(1, Width - 2 * spacing);
  Height = std::max(1, Height - 2 * spacing);
  auto *picture = dynamic_cast<TRVGraphicItemInfo *>(item);
  auto *control = dynamic_cast<TRVControlItemInfo *>(item);
  const TRVStyle *style = GetRVStyle();
  // A release where the press was leaves the document as it was: no undo
  // step, no change reported.
  if (item->GetImageWidth(style) == Width && item->GetImageHeight(style) == Height) return false;
  if (!CanChange()) return false;
  int caretItem = -1, caretOffs = -1;
  const bool hadCaret = GetCaretItemPos(caretItem, caretOffs);
  BeginUndoSequence(rvutModifyItem, true);
  SetUndoGroupMode(true);
  StartEdit();
  if (control) {
    Do_Resize(ItemNo, Width, Height);
  } else if (picture) {
    Do_ExtraIntProperty(ItemNo, rvepImageHeight, Height);
    Do_ExtraIntProperty(ItemNo, rvepImageWidth, Width);
  } else {
    // Another item that calls itself resizable only gets its paragraph
    // formatted again.
    TouchItems(ItemNo, ItemNo);
  }
  ReformatAfterEdit();
  SetUndoGroupMode(false);
  if (hadCaret) SetCaretItemPos(caretItem, caretOffs, false);
  FinishEditing(true);
  NotifyChange();
  UpdateResizer();
  return true;
}

// ------------------------------------------------- table border line

namespace {

// The client rectangle of a line at document coordinate Pos.
TRect DragLineRect(const TRVEditRVData &D, bool Vertical, int Pos) {
  if (Vertical) {
    const int x = RVSatAdd(Pos, -int64_t(D.GetHOffs()));
    return TRect{x, 0, RVSatAdd(x, 1), std::max(1, D.GetHeight())};
  }
  const int y = RVSatAdd(Pos, -int64_t(D.GetVOffs()));
  return TRect{0, y, std::max(1, D.GetWidth()), RVSatAdd(y, 1)};
}

} // namespace

void TRVEditRVData::ShowDragLine(bool Vertical, int Pos) {
  if (DragLine.Shown) InvalidateRectInControl(DragLineRect(*this, DragLine.Vertical, DragLine.Pos));
  DragLine = {true, Vertical, Pos};
  InvalidateRectInControl(DragLineRect(*this, Vertical, Pos));
}

void TRVEditRVData::HideDragLine() {
  if (!DragLine.Shown) return;
  InvalidateRectInControl(DragLineRect(*this, DragLine.Vertical, DragLine.Pos));
  DragLine.Shown = false;
}

void TRVEditRVData::PaintDragLine(TCanvas &Canvas) {
  if (!DragLine.Shown) return;
  const TRect r = DragLineRect(*this, DragLine.Vertical, DragLine.Pos);
  const CanvasPen pen = Canvas.pen();
  // Inverted, so that it shows on any colour.
  Canvas.setPen(CanvasPen{clBlack, 1, TPenStyle::psSolid, TPenMode::pmNot});
  Canvas.moveTo(r.Left, r.Top);
  if (DragLine.Vertical) Canvas.lineTo(r.Left, r.Bottom);
  else Canvas.lineTo(r.Right, r.Top);
  Canvas.setPen(pen);
}

} // namespace kc
