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
  // A table holding the focus in one of its cells lets it go too.
  if (FocusedControlItem >= 0 && FocusedControlItem < GetItemCount()) GetItem(FocusedControlItem)->ClearFocus();
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

// Where Data's draw lines stand in the control's client area: a nested
// document's offsets already hold its place in the root.
static TPoint ClientShift(const TCustomRVFormattedData &Root, const TCustomRVFormattedData &Data) {
  if (&Data != &Root) return {-Data.GetHOffs(), -Data.GetVOffs()};
  const TPoint origin = Data.GetOrigin();
  return {origin.x - Data.GetHOffs(), origin.y - Data.GetVOffs()};
}

// Repaints the pieces of an item (its focus frame lies one pixel outside).
void TRVControlData::InvalidateItem(TCustomRVFormattedData &Data, int ItemNo) {
  if (ItemNo < 0 || ItemNo >= Data.GetItemCount()) return;
  const int first = Data.FirstDrawLineOfItem(ItemNo);
  if (first < 0) return;
  const TPoint shift = ClientShift(*this, Data);
  for (int i = first; i < Data.DrawLines.Count() && Data.DrawLines.Items(i)->ItemNo == ItemNo; ++i) {
    const TRVDrawLineInfo *d = Data.DrawLines.Items(i);
    const int x = d->Left + shift.x, y = d->Top + shift.y;
    InvalidateRectInControl(TRect{x - 2, y - 2, x + d->Width + 2, y + d->Height + 2});
  }
}

// Whether Data is one of Item's documents, or nested deeper in them (the
// editor's document counts for an edited cell).
static bool HoldsDocument(TCustomRVItemInfo &Item, const TCustomRVData *Data, int Depth) {
  if (Depth > 32) return false;
  int location = 0;
  for (TCustomRVData *sub = Item.GetSubRVData(location, rvdFirst); sub; sub = Item.GetSubRVData(location, rvdNext)) {
    TCustomRVData *doc = sub->GetEditorRVData();
    if (sub == Data || doc == Data) return true;
    for (int i = 0; i < doc->GetItemCount(); ++i)
      if (HoldsDocument(*doc->GetItem(i), Data, Depth + 1)) return true;
  }
  return false;
}

TCustomRVFormattedData *TRVControlData::FocusedDocument() const {
  auto *self = const_cast<TRVControlData *>(this);
  if (FocusedItemNo < 0) return nullptr;
  if (!FocusedItemData || FocusedItemData == this) return self;
  // A place inside a table counts only while the table holding the focus
  // still holds that document: a deleted table leaves no pointer to follow.
  if (FocusedControlItem < 0 || FocusedControlItem >= GetItemCount()) return nullptr;
  return HoldsDocument(*GetItem(FocusedControlItem), FocusedItemData, 0) ? FocusedItemData : nullptr;
}

void TRVControlData::SetFocusedPlace(TCustomRVFormattedData *Data, int ItemNo) {
  if (TCustomRVFormattedData *old = FocusedDocument()) InvalidateItem(*old, FocusedItemNo);
  FocusedItemNo = Data ? ItemNo : -1;
  FocusedItemData = FocusedItemNo >= 0 ? Data : nullptr;
  if (FocusedItemData) InvalidateItem(*FocusedItemData, FocusedItemNo);
}

int TRVControlData::FindNestedControl(const TControl *Control, TCustomRVFormattedData *&Data, int &ItemNo) {
  for (int i = 0; i < GetItemCount(); ++i)
    if (GetItem(i)->AdjustFocus(Control, Data, ItemNo)) return i;
  Data = nullptr;
  ItemNo = -1;
  return -1;
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
    // A control inside a table's cell: the table moves its focus there.
    TCustomRVFormattedData *inner = nullptr;
    int innerItem = -1;
    if (holder < 0) holder = FindNestedControl(Control, inner, innerItem);
    FocusedControlItem = holder;
    if (inner) SetFocusedPlace(inner, innerItem);
    else if (holder >= 0 && GetItem(holder)->GetStyleFlag(rvbsfAllowFocus, GetRVStyle())) SetFocusedPlace(this, holder);
  }
  const int hadControlItem = FocusedControlItem;
  TCustomRVFormattedData *data = nullptr;
  int itemNo = -1;
  const int found = FindFocusPlace(FocusedControlItem, Backwards, data, itemNo);
  SetFocusedPlace(data, itemNo);
  if (!(isView || found >= 0 || hadControlItem >= 0)) {
    FocusView();
    return false;
  }
  FocusedControlItem = found;
  if (found >= 0 && FocusedItemData) {
    if (auto *control = dynamic_cast<TRVControlItemInfo *>(data->GetItem(itemNo)); control && control->Control())
      GiveControlFocus(control->Control());
    ScrollItemIntoView(*data, itemNo);
    return true;
  }
  if (FocusNextTabControl(Backwards)) return false;
  // Nothing else in the window takes the focus: go round the document.
  if (hadControlItem >= 0) return MoveItemFocus(Backwards, nullptr);
  return false;
}

void TRVControlData::ScrollItemIntoView(TCustomRVFormattedData &Data, int ItemNo) {
  const int first = Data.FirstDrawLineOfItem(ItemNo);
  if (first < 0 || first >= Data.DrawLines.Count()) return;
  const TRVDrawLineInfo *d = Data.DrawLines.Items(first);
  const int top = GetVOffs(), height = GetHeight();
  // In document coordinates of this document.
  const int lineTop = &Data == this ? d->Top : d->Top - Data.GetVOffs() + top;
  if (lineTop < top) ScrollTo(lineTop, true);
  else if (lineTop + d->Height > top + height) ScrollTo(lineTop + d->Height - height, true);
}

void TRVControlData::FocusNestedItem(int HolderItemNo, TCustomRVFormattedData *Data, int ItemNo) {
  if (TabNavigation == rvtnNone || HolderItemNo < 0 || HolderItemNo >= GetItemCount()) return;
  if (FocusedControlItem != HolderItemNo && FocusedControlItem >= 0 && FocusedControlItem < GetItemCount())
    GetItem(FocusedControlItem)->ClearFocus();
  FocusedControlItem = HolderItemNo;
  SetFocusedPlace(Data, ItemNo);
}

void TRVControlData::FocusClickedItem(int ItemNo) {
  if (TabNavigation == rvtnNone || ItemNo < 0 || ItemNo >= GetItemCount()) return;
  // A table that held the focus inside loses it to the clicked item.
  if (FocusedItemData && FocusedItemData != this && FocusedControlItem >= 0 && FocusedControlItem < GetItemCount())
    GetItem(FocusedControlItem)->ClearFocus();
  SetFocusedPlace(this, ItemNo);
}

void TRVControlData::ActivateFocusedItem() {
  TCustomRVFormattedData *data = FocusedDocument();
  if (!data || FocusedItemNo >= data->GetItemCount()) return;
  data->GetItem(FocusedItemNo)->ExecuteJump(data);
}

void TRVControlData::DrawFocusFrame(TCanvas &Canvas) {
  TCustomRVFormattedData *data = FocusedDocument();
  if (!data || FocusedItemNo >= data->GetItemCount()) return;
  TCustomRVItemInfo *item = data->GetItem(FocusedItemNo);
  if (!item->GetStyleFlag(rvbsfXORFocus, data->GetRVStyle())) return;
  const int first = data->FirstDrawLineOf(item);
  if (first < 0) return;
  const TPoint shift = ClientShift(*this, *data);
  const int dx = shift.x, dy = shift.y;
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
