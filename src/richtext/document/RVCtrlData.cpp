#include "richtext/document/RVCtrlData.h"

#include <QImage>

#include "platform/QtCanvas.h"

namespace kc {

void TRVControlData::ClearFormatting() {
  if (DrawLines.Count() > 0) {
    FocusedItemNo = -1;
    FocusedItemData = nullptr;
  }
  TRichVistaRVData::ClearFormatting();
}

void TRVControlData::ClearSelection(bool FireEvent) {
  if (State & rvstClearingSelection) return;
  const bool had = FocusedItemNo >= 0;
  FocusedItemNo = -1;
  FocusedItemData = nullptr;
  TRichVistaRVData::ClearSelection(FireEvent);
  if (had) InvalidateRectInControl(TRect{0, 0, GetWidth(), GetHeight()});
}

void TRVControlData::PaintBuffered(const TRect &Clip, TCanvas &Canvas) {
  if (Clip.isEmpty()) return;
  QImage buffer(Clip.width(), Clip.height(), QImage::Format_RGB32);
  buffer.fill(Qt::white);
  {
    QtCanvas memory(&buffer, Canvas.pixelsPerInchX(), Canvas.pixelsPerInchY());
    PaintBackground(Clip, memory);
    PaintVisibleLines(Clip, memory);
  }
  Canvas.drawImage(Clip.Left, Clip.Top, buffer);
  // The frame goes over the finished picture so that it inverts what the
  // window shows.
  DrawFocusFrame(Canvas);
}

int TRVControlData::FindFocusableItem(int From, bool Backwards) const {
  const TRVStyle *style = GetRVStyle();
  const int count = GetItemCount();
  const int step = Backwards ? -1 : 1;
  int i = From < 0 ? (Backwards ? count - 1 : 0) : From + step;
  for (; i >= 0 && i < count; i += step)
    if (GetItem(i)->GetStyleFlag(rvbsfAllowFocus, style)) return i;
  return -1;
}

// Repaints the pieces of an item (its focus frame lies one pixel outside).
static void InvalidateItem(TCustomRVFormattedData &Data, int ItemNo) {
  if (ItemNo < 0 || ItemNo >= Data.GetItemCount()) return;
  const int first = Data.FirstDrawLineOfItem(ItemNo);
  if (first < 0) return;
  const TPoint origin = Data.GetOrigin();
  for (int i = first; i < Data.DrawLines.Count() && Data.DrawLines.Items(i)->ItemNo == ItemNo; ++i) {
    const TRVDrawLineInfo *d = Data.DrawLines.Items(i);
    const int x = d->Left + origin.x - Data.GetHOffs(), y = d->Top + origin.y - Data.GetVOffs();
    Data.InvalidateRectInControl(TRect{x - 2, y - 2, x + d->Width + 2, y + d->Height + 2});
  }
}

bool TRVControlData::MoveItemFocus(bool Backwards, const TControl *Control) {
  if (State & rvstIgnoreNextTab) {
    State &= ~rvstIgnoreNextTab;
    return FocusedItemNo >= 0;
  }
  const TControl *view = ViewControl();
  const bool isView = Control && Control == view;
  if (Control && view && !IsInViewWindow(Control)) return FocusedItemNo >= 0;
  if (!Control && FocusedControlItem >= 0) return FocusedItemNo >= 0;
  if (Control && !isView) {
    int holder = FocusedControlItem;
    if (holder < 0 || holder >= GetItemCount() || !GetItem(holder)->OwnsControl(Control))
      holder = FindControlItemNo(Control);
    FocusedControlItem = holder;
    if (holder >= 0 && GetItem(holder)->GetStyleFlag(rvbsfAllowFocus, GetRVStyle())) {
      InvalidateItem(*this, FocusedItemNo);
      FocusedItemNo = holder;
      FocusedItemData = this;
      InvalidateItem(*this, FocusedItemNo);
    }
  }
  const int hadControlItem = FocusedControlItem;
  const int found = FindFocusableItem(FocusedControlItem, Backwards);
  InvalidateItem(*this, FocusedItemNo);
  FocusedItemNo = found;
  FocusedItemData = found >= 0 ? this : nullptr;
  if (!(isView || found >= 0 || hadControlItem >= 0)) {
    FocusView();
    return false;
  }
  FocusedControlItem = found;
  if (found >= 0) {
    if (auto *control = dynamic_cast<TRVControlItemInfo *>(GetItem(found)); control && control->Control())
      GiveControlFocus(control->Control());
    InvalidateItem(*this, found);
    ScrollItemIntoView(found);
    return true;
  }
  if (FocusNextTabControl(Backwards)) return false;
  // Nothing else in the window takes the focus: go round the document.
  if (hadControlItem >= 0) return MoveItemFocus(Backwards, nullptr);
  return false;
}

void TRVControlData::ScrollItemIntoView(int ItemNo) {
  const int first = FirstDrawLineOfItem(ItemNo);
  if (first < 0 || first >= DrawLines.Count()) return;
  const TRVDrawLineInfo *d = DrawLines.Items(first);
  const int top = GetVOffs(), height = GetHeight();
  if (d->Top < top) ScrollTo(d->Top, true);
  else if (d->Top + d->Height > top + height) ScrollTo(d->Top + d->Height - height, true);
}

void TRVControlData::FocusClickedItem(int ItemNo) {
  if (TabNavigation == rvtnNone || ItemNo < 0 || ItemNo >= GetItemCount()) return;
  InvalidateItem(*(FocusedItemData ? FocusedItemData : this), FocusedItemNo);
  FocusedItemNo = ItemNo;
  FocusedItemData = this;
  InvalidateItem(*this, ItemNo);
}

void TRVControlData::ActivateFocusedItem() {
  TCustomRVFormattedData *data = FocusedItemData ? FocusedItemData : this;
  if (FocusedItemNo < 0 || FocusedItemNo >= data->GetItemCount()) return;
  data->GetItem(FocusedItemNo)->ExecuteJump(data);
}

void TRVControlData::DrawFocusFrame(TCanvas &Canvas) {
  TCustomRVFormattedData *data = FocusedItemData ? FocusedItemData : this;
  if (FocusedItemNo < 0 || FocusedItemNo >= data->GetItemCount()) return;
  TCustomRVItemInfo *item = data->GetItem(FocusedItemNo);
  if (!item->GetStyleFlag(rvbsfXORFocus, data->GetRVStyle())) return;
  const int first = data->FirstDrawLineOf(item);
  if (first < 0) return;
  const TPoint origin = data->GetOrigin();
  const int dx = origin.x - data->GetHOffs(), dy = origin.y - data->GetVOffs();
  for (int i = first; i < data->DrawLines.Count() && data->DrawLines.Items(i)->ItemNo == FocusedItemNo; ++i) {
    const TRVDrawLineInfo *d = data->DrawLines.Items(i);
    Canvas.drawFocusRect(
        TRect{d->Left + dx - 1, d->Top + dy - 1, d->Left + d->Width + dx + 1, d->Top + d->Height + dy + 1});
  }
}

TCustomRVData *TRVItemFormattedData::GetRootData() const {
  TCustomRVData *parent = GetParentData();
  return parent ? parent->GetRootData() : const_cast<TRVItemFormattedData *>(this);
}

TCustomRVData *TRVItemFormattedData::GetAbsoluteRootData() const {
  TCustomRVData *parent = GetParentData();
  return parent ? parent->GetAbsoluteRootData() : const_cast<TRVItemFormattedData *>(this);
}

void TRVItemFormattedData::SetFlags(uint16_t Value) {
  (void)Value;
  throw ERichVistaError("This method is not supported for TRVItemFormattedData");
}

} // namespace kc
