// The resize primitive and its undo record: a picture's stored size or an
// embedded control's size, with the old one kept for undo.
#include <QWidget>
#include <algorithm>

#include "platform/Graphics.h"
#include "richtext/controls/RVERVData.h"
#include "richtext/controls/RVUndo.h"

namespace kc {

void TRVEditRVData::Do_Resize(int ItemNo, int Width, int Height) {
  if (ItemNo < 0 || ItemNo >= GetItemCount()) RVRaiseItemIndexError();
  TCustomRVItemInfo *item = GetItem(ItemNo);
  auto *picture = dynamic_cast<TRVGraphicItemInfo *>(item);
  auto *control = dynamic_cast<TRVControlItemInfo *>(item);
  TControl *widget = control ? control->Control() : nullptr;
  if (!picture && !widget) return;
  // A picture keeps what it stored (0: its own size), so that undo gives
  // back exactly that and not the size it happened to show.
  const int oldW = picture ? picture->ImageWidth : widget->width();
  const int oldH = picture ? picture->ImageHeight : widget->height();
  if (picture) {
    Width = std::min(Width, kMaxGraphicSide);
    Height = std::min(Height, kMaxGraphicSide);
  } else {
    Width = std::clamp(Width, 0, kMaxGraphicSide);
    Height = std::clamp(Height, 0, kMaxGraphicSide);
  }
  if (oldW == Width && oldH == Height) return;
  const int before = RangeMinWidth(ItemNo, ItemNo);
  if (TRVUndoList *dest = GetUndoDest()) {
    auto rec = std::make_unique<TRVUndoResizeInfo>();
    rec->Action = 15;
    rec->ItemNo = ItemNo;
    rec->Width = oldW;
    rec->Height = oldH;
    dest->AddUndoRecord(std::move(rec));
  }
  if (picture) {
    picture->ImageWidth = Width;
    picture->ImageHeight = Height;
  } else {
    widget->resize(Width, Height);
  }
  TouchItems(ItemNo, ItemNo);
  NoteWidthChange(before, RangeMinWidth(ItemNo, ItemNo));
}

void TRVUndoResizeInfo::Undo(TRVEditRVData &Data) { Data.Do_Resize(ItemNo, Width, Height); }

} // namespace kc
