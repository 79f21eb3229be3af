// What the mouse does to a formatted document: presses, moves, releases and
// double clicks as the control passes them on (client coordinates), with
// hyperlinks, their hover highlight and the cursor.
#include <algorithm>

#include "richtext/document/CRVFData.h"

namespace kc {

// ------------------------------------------------------ notifications

static TCustomRVFormattedData *FormattedRoot(const TCustomRVFormattedData *D) {
  auto *root = dynamic_cast<TCustomRVFormattedData *>(D->GetRootData());
  return root && root != D ? root : nullptr;
}

bool TCustomRVFormattedData::HasMouseDownHandler() const {
  auto *r = FormattedRoot(this);
  return r && r->HasMouseDownHandler();
}
void TCustomRVFormattedData::NotifyMouseDown(TRVMouseButton Button, TRVShiftState Shift, int ItemNo, int X, int Y) {
  if (auto *r = FormattedRoot(this)) r->NotifyMouseDown(Button, Shift, ItemNo, X, Y);
}
bool TCustomRVFormattedData::HasMouseUpHandler() const {
  auto *r = FormattedRoot(this);
  return r && r->HasMouseUpHandler();
}
void TCustomRVFormattedData::NotifyMouseUp(TRVMouseButton Button, TRVShiftState Shift, int ItemNo, int X, int Y) {
  if (auto *r = FormattedRoot(this)) r->NotifyMouseUp(Button, Shift, ItemNo, X, Y);
}
bool TCustomRVFormattedData::HasDblClickHandler() const {
  auto *r = FormattedRoot(this);
  return r && r->HasDblClickHandler();
}
void TCustomRVFormattedData::NotifyDblClick(const std::string &Word, int StyleNo) {
  if (auto *r = FormattedRoot(this)) r->NotifyDblClick(Word, StyleNo);
}
bool TCustomRVFormattedData::HasRightClickHandler() const {
  auto *r = FormattedRoot(this);
  return r && r->HasRightClickHandler();
}
void TCustomRVFormattedData::NotifyRightClick(const std::string &Word, int StyleNo, int X, int Y) {
  if (auto *r = FormattedRoot(this)) r->NotifyRightClick(Word, StyleNo, X, Y);
}
void TCustomRVFormattedData::NotifyJumpHover(int Id) {
  if (auto *r = FormattedRoot(this)) r->NotifyJumpHover(Id);
}
void TCustomRVFormattedData::SetCursor(TCursor Cursor) {
  if (auto *r = FormattedRoot(this)) r->SetCursor(Cursor);
}
void TCustomRVFormattedData::FocusRootControl() {
  if (auto *r = FormattedRoot(this)) r->FocusRootControl();
}
bool TCustomRVFormattedData::PostDragStart() {
  auto *r = FormattedRoot(this);
  return r && r->PostDragStart();
}

bool TCustomRVFormattedData::HasCheckpointVisibleHandler() const {
  auto *r = FormattedRoot(this);
  return r && r->HasCheckpointVisibleHandler();
}
void TCustomRVFormattedData::NotifyCheckpointVisible(TRVCPInfo *CP) {
  if (auto *r = FormattedRoot(this)) r->NotifyCheckpointVisible(CP);
}

bool TCustomRVFormattedData::LinksReact() const {
  const TCustomRVData *root = GetRootData();
  return root && (root->GetFlags() & rvflBuildJumps);
}

// ------------------------------------------------------------ hyperlinks

TRVJumpInfo *TCustomRVFormattedData::FindJumpAt(int X, int Y) const {
  const TPoint o = GetOrigin();
  for (const auto &j : Jumps) {
    const int64_t left = int64_t(j->Left) - o.x, top = int64_t(j->Top) - o.y;
    if (X >= left && X <= left + j->Width && Y >= top && Y <= top + j->Height) return j.get();
  }
  return nullptr;
}

void TCustomRVFormattedData::InvalidateJump(const TRVJumpInfo &J) {
  const TRVStyle *style = GetRVStyle();
  if (style && style->FullRedraw) {
    InvalidateRectInControl(TRect{0, 0, GetWidth(), GetHeight()});
    return;
  }
  const TPoint o = GetOrigin();
  // Every piece of the link shares its id and changes colour with it.
  for (const auto &j : Jumps) {
    if (j->Id != J.Id || j->RVData != J.RVData) continue;
    const int x = RVSatAdd(int64_t(j->Left) - o.x, -int64_t(GetHOffs()));
    const int y = RVSatAdd(int64_t(j->Top) - o.y, -int64_t(GetVOffs()));
    InvalidateRectInControl(
        TRect{x - 5, y - 5, RVSatAdd(x, int64_t(j->Width) + 5), RVSatAdd(y, int64_t(j->Height) + 5)});
  }
}

void TCustomRVFormattedData::SetHoveredJump(TRVJumpInfo *J) {
  if (HoveredData && (!J || J->RVData != HoveredData || J->Id != HoveredData->HoveredJump)) {
    TCustomRVFormattedData *old = HoveredData;
    for (const auto &j : Jumps)
      if (j->RVData == old && j->Id == old->HoveredJump) {
        InvalidateJump(*j);
        break;
      }
    old->HoveredJump = -1;
    old->State &= ~rvstHoverActive;
    HoveredData = nullptr;
  }
  if (!J || HoveredData) return;
  HoveredData = J->RVData;
  HoveredData->HoveredJump = J->Id;
  HoveredData->State |= rvstHoverActive;
  InvalidateJump(*J);
}

void TCustomRVFormattedData::ClearHoveredJump() {
  if (HoveredData) SetHoveredJump(nullptr);
}

void TCustomRVFormattedData::UpdateHoveredLine(int X, int Y) {
  if (HoveredLine >= 0 && HoveredLine < DrawLines.Count()) {
    const TRVDrawLineInfo *d = DrawLines.Items(HoveredLine);
    if (PointInRect(X, Y, d->Left, d->Top, d->Width, d->Height)) return;
  }
  HoveredLine = FindDrawLineAtPoint(X, Y);
}

// ------------------------------------------------------------------ mouse

TCustomRVItemInfo *TCustomRVFormattedData::MouseItemAt(int X, int Y, int &ItemX, int &ItemY) {
  const int line = FindDrawLineAtPoint(X, Y);
  if (line < 0 || line >= DrawLines.Count()) return nullptr;
  const TRVDrawLineInfo *d = DrawLines.Items(line);
  if (!d || d->ItemNo < 0 || d->ItemNo >= GetItemCount() || GetItemStyle(d->ItemNo) >= 0) return nullptr;
  ItemX = RVSatAdd(X, -int64_t(d->Left));
  ItemY = RVSatAdd(Y, -int64_t(d->Top));
  return GetItem(d->ItemNo);
}

TCustomRVItemInfo *TCustomRVFormattedData::CapturedMouseItem(int X, int Y, int &ItemX, int &ItemY) {
  if (MouseItem < 0 || MouseItem >= GetItemCount()) return nullptr;
  TCustomRVItemInfo *item = GetItem(MouseItem);
  const int line = FirstDrawLineOf(item);
  if (line < 0 || line >= DrawLines.Count() || !DrawLines.Items(line)) return nullptr;
  ItemX = RVSatAdd(X, -int64_t(DrawLines.Items(line)->Left));
  ItemY = RVSatAdd(Y, -int64_t(DrawLines.Items(line)->Top));
  return item;
}

void TCustomRVFormattedData::MouseDown(TRVMouseButton Button, TRVShiftState Shift, int X, int Y) {
  const int x = RVSatAdd(X, GetHOffs()), y = RVSatAdd(Y, GetVOffs());
  MouseItem = -1;
  if (!MouseSel.Selecting) {
    int ix = 0, iy = 0;
    if (TCustomRVItemInfo *it = MouseItemAt(x, y, ix, iy)) {
      if (!(Shift & TRVShift::Double)) FocusRootControl();
      const int itemNo = GetItemNo(it);
      if (HasMouseDownHandler()) NotifyMouseDown(Button, Shift, itemNo, X, Y);
      if (it->HandleMouseDown(this, Button, Shift, X, Y, ix, iy)) {
        MouseItem = itemNo;
        return;
      }
    }
  }
  UpdateHoveredLine(x, y);
  PressedLine = HoveredLine;
  const int item = HoveredLine >= 0 ? DrawLines.Items(HoveredLine)->ItemNo : -1;
  if (!(Shift & TRVShift::Double)) FocusRootControl();
  if (HasMouseDownHandler()) NotifyMouseDown(Button, Shift, item, X, Y);
  if (Button == rvmbLeft) {
    const TRVJumpInfo *j = LinksReact() ? FindJumpAt(x, y) : nullptr;
    PressedJump = j ? j->Id : -1;
  }
  auto *root = dynamic_cast<TCustomRVFormattedData *>(GetRootData());
  TRVMouseSelection &rootSel = root ? root->MouseSel : MouseSel;
  if (Button != rvmbLeft || MouseSel.DblClickedWord || rootSel.DragStartPending) return;
  const TRVOptions options = GetOptions();
  if (options.Has(rvoSingleClick) && HasDblClickHandler()) {
    TRVWordHit hit;
    if (FindWordAt(X, Y, hit)) NotifyDblClick(WordForEvent(hit), hit.StyleNo);
  }
  if (!options.Has(rvoAllowSelection)) return;
  MouseSel.LineSelecting = false;
  int line = -1, offs = -1;
  HitTestDrawLine(x, y, false, line, offs);
  if (line >= 0 && !(Shift & TRVShift::Shift) && x >= GetLeftMargin() && !rootSel.Dragging &&
      !options.Has(rvoDisallowDrag)) {
    int hitItem = -1, hitOffs = 0;
    DrawPosToItemPos(line, offs, hitItem, hitOffs);
    if (SelectionExists() && IsPosInSelection(hitItem, hitOffs)) {
      // The control decides, once this press is handled, whether a drag
      // starts; until then the selection stays as it is.
      rootSel.DragStartPending = true;
      if (PostDragStart()) return;
      rootSel.DragStartPending = false;
    }
  }
  StartMouseSelection(x, y, Shift);
  AfterSelectionSet();
  InvalidateRectInControl(TRect{0, 0, GetWidth(), GetHeight()});
}

void TCustomRVFormattedData::MouseMove(TRVShiftState Shift, int X, int Y) {
  const int x = RVSatAdd(X, GetHOffs()), y = RVSatAdd(Y, GetVOffs());
  int ix = 0, iy = 0;
  if (TCustomRVItemInfo *it = CapturedMouseItem(x, y, ix, iy)) {
    it->HandleMouseMove(this, Shift, X, Y, ix, iy);
    return;
  }
  if (!MouseSel.Selecting)
    if (TCustomRVItemInfo *it = MouseItemAt(x, y, ix, iy); it && it->HandleMouseMove(this, Shift, X, Y, ix, iy)) {
      SetHoveredJump(nullptr);
      return;
    }
  if (MouseSel.Selecting) {
    if (ExtendMouseSelection(x, y)) {
      AfterSelectionSet();
      SelectionChanged();
    }
    return;
  }
  const TRVStyle *style = GetRVStyle();
  if (GetBiDiMode() != rvbdRightToLeft && x < GetLeftMargin() && GetOptions().Has(rvoAllowSelection)) {
    SetCursor(style ? style->LineSelectCursor : crRVFlipArrow);
    return;
  }
  if (LinksReact()) {
    if (TRVJumpInfo *j = FindJumpAt(x, y)) {
      SetCursor(j->Cursor);
      if (!HoveredData || HoveredData != j->RVData || HoveredData->HoveredJump != j->Id) {
        NotifyJumpHover(j->RVData->FirstJumpNo + j->Id);
        SetHoveredJump(j);
      }
      return;
    }
    SetHoveredJump(nullptr);
  }
  UpdateHoveredLine(x, y);
  int line = -1, offs = -1;
  if (!(Shift & TRVShift::Shift) && SelectionExists()) HitTestDrawLine(x, y, true, line, offs);
  int item = -1, io = 0;
  if (line >= 0) DrawPosToItemPos(line, offs, item, io);
  SetCursor(line >= 0 && IsPosInSelection(item, io) ? crArrow : crDefault);
}

void TCustomRVFormattedData::MouseUp(TRVMouseButton Button, TRVShiftState Shift, int X, int Y) {
  const int x = RVSatAdd(X, GetHOffs()), y = RVSatAdd(Y, GetVOffs());
  int ix = 0, iy = 0;
  if (TCustomRVItemInfo *it = CapturedMouseItem(x, y, ix, iy)) {
    const int itemNo = MouseItem;
    MouseItem = -1;
    it->HandleMouseUp(this, Button, Shift, X, Y, ix, iy);
    if (HasMouseUpHandler()) NotifyMouseUp(Button, Shift, itemNo, X, Y);
    PressedJump = PressedLine = -1;
    return;
  }
  const bool hadSelection = SelectionExists();
  MouseSel.DblClickedWord = false;
  if (MouseSel.Selecting && Button == rvmbLeft) {
    ExtendMouseSelection(x, y);
    EndMouseSelection();
    UpdateHoveredLine(x, y);
    AfterMouseSelection();
    AfterSelectionSet();
    SelectionChanged();
  }
  if (Button == rvmbRight && GetOptions().Has(rvoRClickDeselects) && SelectionExists()) {
    int line = -1, offs = -1;
    HitTestDrawLine(x, y, false, line, offs);
    int sl, so, el, eo;
    GetSelectionDrawBounds(true, sl, so, el, eo);
    if (line >= 0 && ((line < sl || (line == sl && offs < so)) || (line > el || (line == el && offs > eo)))) {
      SelStartLine = SelEndLine = line;
      SelStartOffs = SelEndOffs = offs;
      AfterSelectionSet();
      SelectionChanged();
    }
  }
  UpdateHoveredLine(x, y);
  const int item = HoveredLine >= 0 ? DrawLines.Items(HoveredLine)->ItemNo : -1;
  if (!hadSelection && (Button == rvmbLeft || Button == rvmbRight) && item >= 0 &&
      GetItem(item)->GetStyleFlag(rvbsfAllowFocus, GetRVStyle()))
    FocusClickedItem(item);
  if (HasMouseUpHandler()) NotifyMouseUp(Button, Shift, item, X, Y);
  if (Button == rvmbRight && HasRightClickHandler()) {
    TRVWordHit hit;
    if (FindWordAt(X, Y, hit)) NotifyRightClick(WordForEvent(hit), hit.StyleNo, X, Y);
  }
  if (Button == rvmbLeft && PressedJump >= 0 && LinksReact() && !hadSelection && !SelectionExists()) {
    const int pressed = PressedJump;
    const TPoint o = GetOrigin();
    for (const auto &j : Jumps) {
      if (j->Id != pressed) continue;
      const int64_t left = int64_t(j->Left) - o.x, top = int64_t(j->Top) - o.y;
      if (x >= left && x <= left + j->Width && y >= top && y <= top + j->Height) {
        PressedJump = PressedLine = -1;
        j->RVData->DoJump(j->RVData->FirstJumpNo + pressed);
        return;
      }
    }
  }
  PressedJump = PressedLine = -1;
}

void TCustomRVFormattedData::DblClick(int X, int Y) {
  const TRVOptions options = GetOptions();
  const bool selects = options.Has(rvoDblClickSelectsWord);
  if (!(selects || (!options.Has(rvoSingleClick) && HasDblClickHandler()))) return;
  if (selects && options.Has(rvoAllowSelection)) {
    if (SelectWordAt(X, Y)) SelectionChanged();
    return;
  }
  TRVWordHit hit;
  if (FindWordAt(X, Y, hit)) NotifyDblClick(WordForEvent(hit), hit.StyleNo);
}

} // namespace kc
