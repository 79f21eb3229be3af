// Checkpoints: their records, and how a document attaches, finds, moves and
// drops them.
#include "richtext/document/CRVData.h"

namespace kc {

void TRVCPInfo::Assign(const TRVCPInfo &Source, bool TagsArePChars) {
  Name = Source.Name;
  RaiseEvent = Source.RaiseEvent;
  Tag = CopyTag(Source.Tag, TagsArePChars);
  Persistent = Source.Persistent;
}

std::unique_ptr<TRVCPInfo> TRVCPInfo::CreateCopy(bool TagsArePChars) const {
  auto cp = std::make_unique<TRVCPInfo>();
  cp->Assign(*this, TagsArePChars);
  return cp;
}

void TCustomRVData::AttachPendingCheckpoint(TCustomRVItemInfo *Item, TRVCPInfo *After,
                                            std::unique_ptr<TRVCPInfo> &Pending) {
  TRVCPInfo *cp = Pending.get();
  if (!cp) return;
  TRVCPInfo *after = After;
  if (!after) {
    cp->Prev = nullptr;
    cp->Next = FirstCP;
    if (FirstCP) FirstCP->Prev = cp;
    FirstCP = cp;
    if (!LastCP) LastCP = cp;
  } else {
    cp->Prev = after;
    cp->Next = after->Next;
    if (after->Next) after->Next->Prev = cp;
    after->Next = cp;
    if (LastCP == after) LastCP = cp;
  }
  cp->ItemInfo = Item;
  Item->Checkpoint = std::move(Pending);
}

void TCustomRVData::UpdateCPPos() {
  if (CPCount == 0) return;
  int found = 0;
  for (int i = 0; i < GetItemCount(); ++i)
    if (TRVCPInfo *cp = GetItem(i)->Checkpoint.get()) {
      cp->ItemNo = i;
      if (++found >= CPCount) break;
    }
}

void TCustomRVData::InsertCheckpointSorted(TRVCPInfo *CP, int ItemNo) {
  if (ItemNo == -1 || !CP) return;
  UpdateCPPos();
  CP->Next = CP->Prev = nullptr;
  CP->ItemNo = ItemNo;
  if (!FirstCP) {
    FirstCP = LastCP = CP;
  } else if (FirstCP->ItemNo > ItemNo) {
    CP->Next = FirstCP;
    FirstCP->Prev = CP;
    FirstCP = CP;
  } else if (ItemNo >= LastCP->ItemNo) {
    CP->Prev = LastCP;
    LastCP->Next = CP;
    LastCP = CP;
  } else {
    TRVCPInfo *p = FirstCP;
    while (p->Next && p->Next->ItemNo <= ItemNo) p = p->Next;
    CP->Prev = p;
    CP->Next = p->Next;
    if (p->Next) p->Next->Prev = CP;
    p->Next = CP;
  }
}

void TCustomRVData::UnlinkCheckpoint(TRVCPInfo *CP, bool DecCount) {
  if (!CP) return;
  if (FirstCP == CP) FirstCP = CP->Next;
  if (LastCP == CP) LastCP = CP->Prev;
  if (CP->Prev) CP->Prev->Next = CP->Next;
  if (CP->Next) CP->Next->Prev = CP->Prev;
  CP->Next = CP->Prev = nullptr;
  if (DecCount) --CPCount;
  CP->ItemInfo = nullptr;
}

void TCustomRVData::FreePendingCheckpoint() {
  if (!NotAddedCP) return;
  NotAddedCP.reset();
  --CPCount;
}

TRVCPInfo *TCustomRVData::GetCheckpointBefore(int ItemNo) {
  UpdateCPPos();
  if (!FirstCP || FirstCP->ItemNo >= ItemNo) return nullptr;
  TRVCPInfo *p = FirstCP;
  while (p->Next && p->Next->ItemNo < ItemNo) p = p->Next;
  return p;
}

} // namespace kc
