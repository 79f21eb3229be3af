// The undo and redo lists and what each record does when it is performed.
#include "richtext/controls/RVUndo.h"

#include <algorithm>
#include <utility>

#include "platform/ScopeGuard.h"
#include "richtext/controls/RVERVData.h"
#include "richtext/document/RVUni.h"

namespace kc {

namespace {

bool IsTypingRecord(const TRVUndoInfo *r) { return r && r->Action == rvuaTyping; }

bool IsLoneTypingGroup(const TRVUndoInfos *g) { return g && g->Count() == 1 && IsTypingRecord(g->Records[0].get()); }

// Whether R is performed as the only record of the group its list performs
// now: a typing record then gives back one character at a time.
bool PerformedAlone(const TRVUndoInfo *R) {
  const TRVUndoInfos *g = R->List ? R->List->LastGroup() : nullptr;
  return g && g->Count() == 1 && g->Records[0].get() == R;
}

// A group whose only record is a whole history of another document: each
// performance takes one group of that history.
bool IsCompositeGroup(const TRVUndoInfos *g) {
  return g && g->Count() == 1 && dynamic_cast<const TRVCompositeUndo *>(g->Records[0].get());
}

} // namespace

bool TRVUndoInfos::UsedUp() const {
  if (Records.empty()) return true;
  const TRVUndoInfo *first = Records.front().get();
  if (auto *t = dynamic_cast<const TRVUndoTypingInfo *>(first)) return t->Length <= 0;
  if (auto *t = dynamic_cast<const TRVRedoTypingInfo *>(first)) return t->Text.empty();
  if (auto *c = dynamic_cast<const TRVCompositeUndo *>(first)) return !c->UndoList || c->UndoList->Count() == 0;
  return false;
}

// ---------------------------------------------------------------- the list

bool TRVUndoList::BeginUndoGroup(uint8_t UndoType, const std::string &Caption, int CaretItemNo, int CaretOffs) {
  if (Limit == 0) return false;
  if (GroupModeCount > 0 && !FGroups.empty() && !IsLoneTypingGroup(LastGroup())) return true;
  std::string caption = Caption;
  if (!FGroups.empty() && FGroups.back()->Records.empty()) {
    // An action that recorded nothing gives way to this one.
    caption = FGroups.back()->Caption;
    CaretItemNo = FGroups.back()->CaretItemNo;
    CaretOffs = FGroups.back()->CaretOffs;
    FGroups.pop_back();
  }
  // Only a full list drops its oldest group: after the limit was lowered
  // the list stays longer than it.
  if (Limit > 0 && Count() == Limit) FGroups.erase(FGroups.begin());
  auto g = std::make_unique<TRVUndoInfos>();
  g->UndoType = UndoType;
  g->Caption = caption;
  g->CaretItemNo = CaretItemNo;
  g->CaretOffs = CaretOffs;
  FGroups.push_back(std::move(g));
  return true;
}

void TRVUndoList::AddTypingUndo(int ItemNo, int Offset, bool Unicode) {
  if (Limit == 0) return;
  if (!FGroups.empty() && FGroups.back()->Records.empty()) FGroups.pop_back();
  if (TRVUndoInfos *g = LastGroup(); g && !g->Records.empty()) {
    auto *t = dynamic_cast<TRVUndoTypingInfo *>(g->Records.front().get());
    if (t && t->ItemNo == ItemNo && Offset == t->Offset + t->Length) {
      ++t->Length;
      ++g->CaretOffs;
      return;
    }
  }
  if (!BeginUndoGroup(rvutTyping, std::string(), ItemNo, Offset)) return;
  auto t = std::make_unique<TRVUndoTypingInfo>();
  t->ItemNo = ItemNo;
  t->Offset = Offset;
  t->Length = 1;
  t->Unicode = Unicode;
  t->List = this;
  // Group mode may have let the character join a group of other records.
  LastGroup()->Records.push_back(std::move(t));
}

void TRVUndoList::AddRedoTyping(const std::string &Chars, bool Unicode, int ItemNo, int Offset) {
  if (!FGroups.empty() && FGroups.back()->Records.empty()) FGroups.pop_back();
  if (TRVUndoInfos *g = LastGroup(); g && !g->Records.empty()) {
    auto *t = dynamic_cast<TRVRedoTypingInfo *>(g->Records.front().get());
    if (t && t->ItemNo == ItemNo && t->Unicode == Unicode && t->Offset - t->CharCount() == Offset) {
      t->Text += Chars;
      --g->CaretOffs;
      return;
    }
  }
  auto g = std::make_unique<TRVUndoInfos>();
  g->UndoType = rvutTyping;
  g->CaretItemNo = ItemNo;
  // Redoing the character puts the caret after it.
  g->CaretOffs = Offset + 1;
  auto t = std::make_unique<TRVRedoTypingInfo>();
  t->ItemNo = ItemNo;
  t->Offset = Offset;
  t->Text = Chars;
  t->Unicode = Unicode;
  t->List = this;
  g->Records.push_back(std::move(t));
  FGroups.push_back(std::move(g));
}

void TRVUndoList::AddUndoRecord(std::unique_ptr<TRVUndoInfo> Record) {
  if (FGroups.empty()) throw ERichVistaError("Can't modify empty undo list");
  if (IsLoneTypingGroup(LastGroup())) throw ERichVistaError("Incorrect adding into undo list");
  Record->List = this;
  FGroups.back()->Records.push_back(std::move(Record));
}

void TRVUndoList::AppendGroup(std::unique_ptr<TRVUndoInfos> Group) {
  for (auto &r : Group->Records) r->List = this;
  FGroups.push_back(std::move(Group));
}

void TRVUndoList::RemoveEmptyLastGroup() {
  if (!FGroups.empty() && FGroups.back()->Records.empty() && GroupModeCount <= 0) FGroups.pop_back();
}

void TRVUndoList::PerformUndo(TRVEditRVData &Data) { Perform(Data, false); }
void TRVUndoList::PerformRedo(TRVEditRVData &Data) { Perform(Data, true); }

void TRVUndoList::Perform(TRVEditRVData &Data, bool Redo) {
  if (FGroups.empty()) throw ERichVistaError("Undo buffer is empty");
  TRVUndoInfos *g = FGroups.back().get();
  if (Redo) Data.BeginNamedUndoSequence(g->UndoType, g->Caption, false);
  else Data.BeginRedoSequence(g->UndoType, g->Caption);
  // The destination list may have dropped an empty group of its own, never
  // this one: the group being performed is still ours.
  PerformGroup(Data, *g, ReformatLock <= 0);
  Data.UndoDest = rvudNone;
  if (g->UsedUp()) {
    FGroups.pop_back();
  } else if (auto *t = dynamic_cast<TRVUndoTypingInfo *>(g->Records.front().get())) {
    (void)t;
    --g->CaretOffs;
  } else if (dynamic_cast<TRVRedoTypingInfo *>(g->Records.front().get())) {
    ++g->CaretOffs;
  }
  // A destination group that received nothing is not kept.
  TRVUndoList *other = Redo ? Data.UndoList.get() : Data.RedoList.get();
  if (other != this) other->RemoveEmptyLastGroup();
}

void TRVUndoList::PerformGroup(TRVEditRVData &Data, TRVUndoInfos &Group, bool Reformat) {
  if (Group.Records.empty()) return;
  Data.ClearSelection(false);
  Data.StartEdit();
  bool needsFormat = false, wholeDoc = false;
  for (const auto &r : Group.Records) {
    needsFormat = needsFormat || r->NeedsFormat();
    wholeDoc = wholeDoc || r->NeedsFullDocumentFormat();
  }
  // Typing groups give back one character and stay while they hold more,
  // and a history of another document one of its groups; every other group
  // is consumed, so that the next undo goes further back instead of
  // repeating it.
  const bool repeatable = IsLoneTypingGroup(&Group) || IsCompositeGroup(&Group);
  // Records between a closing and an opening terminator are one change of
  // one item: only the run as a whole is asked about the document's width.
  int level = 0;
  for (int i = Group.Count() - 1; i >= 0; --i) {
    TRVUndoInfo *r = Group.Records[size_t(i)].get();
    // Told apart by class: the property records carry the same kind.
    if (auto *t = dynamic_cast<TRVUndoModifyItemTerminator *>(r)) {
      const bool opening = t->Opening;
      if (!opening) ++level;
      r->Undo(Data);
      if (opening && level > 0) --level;
      continue;
    }
    const bool ask = level == 0 && needsFormat && !Data.FEdit.Full;
    if (ask && r->NeedsFullReformat(Data)) Data.FEdit.Full = true;
    r->Undo(Data);
    if (ask && r->ParaMinWidthChanged(Data)) Data.FEdit.Full = true;
  }
  if (!repeatable) Group.Records.clear();
  if (wholeDoc) Data.FEdit.WholeDoc = true;
  if (Reformat && needsFormat) Data.ReformatAfterEdit();
  else Data.FEdit.Active = false;
  Data.SetCaretItemPos(Group.CaretItemNo, Group.CaretOffs);
}

// ------------------------------------------------------------ the records

void TRVUndoItemNoInfo::GetAffectedItems(int &First, int &Last) const {
  First = ItemNo;
  Last = LastAffectedItemNo >= 0 ? LastAffectedItemNo : ItemNo;
}

void TRVUndoReformateRange::GetAffectedItems(int &First, int &Last) const {
  First = ItemNo;
  Last = EndItemNo;
}

void TRVUndoReformateRange::Undo(TRVEditRVData &Data) { Data.Do_ReformateRange(ItemNo, EndItemNo, Whole); }

void TRVUndoChangeTextInfo::Undo(TRVEditRVData &Data) { Data.Do_ChangeText(ItemNo, Text); }

void TRVUndoDeleteSubstringInfo::Undo(TRVEditRVData &Data) { Data.Do_InsertSubstring(ItemNo, Offset, Text); }

void TRVUndoInsertSubstringInfo::Undo(TRVEditRVData &Data) { Data.Do_DeleteSubstring(ItemNo, Offset, Length); }

void TRVUndoTypingInfo::Undo(TRVEditRVData &Data) {
  if (Length <= 0) return;
  if (!PerformedAlone(this)) {
    // Typed into a group of other records (group mode): the characters go
    // together with the rest of that group, and their reverse joins the
    // reverse of the group instead of a typing group of its own.
    Data.Do_DeleteSubstring(ItemNo, Offset, Length);
    Length = 0;
    return;
  }
  const uint8_t opt = Unicode ? rvuniUnicodeBit : 0;
  std::string text = Data.GetItemTextRaw(ItemNo);
  const int at = Offset + Length - 1;
  const std::string ch = CopyChars(text, at, 1, opt);
  const int before = Data.WidthBefore(ItemNo, ItemNo);
  DeleteChars(text, at, 1, opt);
  Data.SetItemTextRaw(ItemNo, std::move(text));
  --Length;
  Data.TouchItems(ItemNo, ItemNo);
  Data.NoteWidthChange(before, Data.RangeMinWidth(ItemNo, ItemNo));
  if (TRVUndoList *dest = Data.GetUndoDest(); dest && dest == Data.RedoList.get())
    dest->AddRedoTyping(ch, Unicode, ItemNo, at);
}

void TRVRedoTypingInfo::Undo(TRVEditRVData &Data) {
  if (Text.empty()) return;
  const uint8_t opt = Unicode ? rvuniUnicodeBit : 0;
  const size_t unit = Unicode ? 2 : 1;
  if (!PerformedAlone(this)) {
    // The characters are held last first.
    std::string chars;
    chars.reserve(Text.size());
    for (size_t k = Text.size(); k >= unit; k -= unit) chars += Text.substr(k - unit, unit);
    const int at = Offset - CharCount() + 1;
    Text.clear();
    Data.Do_InsertSubstring(ItemNo, at, chars);
    return;
  }
  const std::string ch = Text.substr(Text.size() - unit);
  Text.resize(Text.size() - unit);
  const int at = Offset - CharCount();
  std::string text = Data.GetItemTextRaw(ItemNo);
  const int before = Data.WidthBefore(ItemNo, ItemNo);
  InsertChars(ch, text, at, opt);
  Data.SetItemTextRaw(ItemNo, std::move(text));
  Data.TouchItems(ItemNo, ItemNo);
  Data.NoteWidthChange(before, Data.RangeMinWidth(ItemNo, ItemNo));
  if (TRVUndoList *dest = Data.GetUndoDest(); dest && dest == Data.UndoList.get())
    dest->AddTypingUndo(ItemNo, at, Unicode);
}

void TRVUndoDeleteItemInfo::Undo(TRVEditRVData &Data) {
  if (!Item) return;
  TCustomRVItemInfo *item = Item.get();
  Data.Do_InsertItem(ItemNo, Text, std::move(Item));
  item->MovingFromUndoList(ItemNo, &Data);
}

void TRVUndoItemRangeInfo::GetAffectedItems(int &First, int &Last) const {
  First = ItemNo;
  Last = LastItemNo >= 0 ? LastItemNo : ItemNo + int(Items.size()) - 1;
}

void TRVUndoDeleteItemsInfo::Undo(TRVEditRVData &Data) {
  const int n = int(Items.size());
  if (n == 0) return;
  LastItemNo = ItemNo + n - 1;
  for (int i = 0; i < n; ++i) {
    TCustomRVItemInfo *item = Items[size_t(i)].Item.get();
    Data.Items.Insert(ItemNo + i, std::move(Items[size_t(i)].Text), std::move(Items[size_t(i)].Item));
    item->MovingFromUndoList(ItemNo + i, &Data);
  }
  Items.clear();
  Data.Do_InsertItems(ItemNo, n);
}

void TRVUndoInsertItemInfo::Undo(TRVEditRVData &Data) { Data.Do_DeleteItem(ItemNo); }

void TRVUndoInsertItemsInfo::GetAffectedItems(int &First, int &Last) const {
  First = ItemNo;
  Last = ItemNo + Count - 1;
}

void TRVUndoInsertItemsInfo::Undo(TRVEditRVData &Data) { Data.Do_DeleteItems(ItemNo, ItemNo + Count - 1); }

void TRVUndoNewLineInfo::Undo(TRVEditRVData &Data) { Data.SetContinueUndoable(ItemNo, WasContinue); }

void TRVUndoBRInfo::Undo(TRVEditRVData &Data) { Data.Do_BR(ItemNo, WasBR); }

void TRVUndoPageBreakInfo::Undo(TRVEditRVData &Data) { Data.SetPageBreakUndoable(ItemNo, WasPageBreak); }

void TRVUndoParaListInfo::GetAffectedItems(int &First, int &Last) const {
  First = FirstItemNo;
  Last = FirstItemNo + int(List.size()) - 1;
}

void TRVUndoParaListInfo::Undo(TRVEditRVData &Data) { Data.Do_ParaList(FirstItemNo, List); }

void TRVUndoParaInfo::GetAffectedItems(int &First, int &Last) const {
  First = ItemNo;
  Last = ItemNo + Count - 1;
}

void TRVUndoParaInfo::Undo(TRVEditRVData &Data) {
  Data.Do_ParaList(ItemNo, std::vector<int32_t>(size_t(std::max(0, Count)), ParaNo));
}

void TRVUndoStyleNoInfo::Undo(TRVEditRVData &Data) { Data.Do_StyleNo(ItemNo, StyleNo); }

void TRVUndoTagInfo::Undo(TRVEditRVData &Data) { Data.Do_Tag(ItemNo, Tag, false); }

void TRVUndoAddCPInfo::Undo(TRVEditRVData &Data) { Data.Do_DeleteCP(ItemNo); }

void TRVUndoDeleteCPInfo::Undo(TRVEditRVData &Data) {
  if (Checkpoint) Data.Do_AddCP(ItemNo, std::move(Checkpoint));
}

void TRVUndoExtraIntProperty::Undo(TRVEditRVData &Data) {
  Data.Do_ExtraIntProperty(ItemNo, static_cast<TRVExtraItemProperty>(Prop), Value);
}

void TRVUndoModifyItemTerminator::Undo(TRVEditRVData &Data) { Data.AddModifyItemTerminator(ItemNo, !Opening); }

void TRVUndoModifyItemIntProperty::Undo(TRVEditRVData &Data) {
  Data.SetItemIntPropertyUndoable(ItemNo, SubObject, PropName, Value);
  AssignPropsTo(GetSubObject());
}

void TRVUndoModifyItemIntProperties::Undo(TRVEditRVData &Data) {
  Data.SetItemIntPropertiesUndoable(ItemNo, SubObject, PropNames, Values);
  AssignPropsTo(GetSubObject());
}

void TRVCompositeUndo::Undo(TRVEditRVData &Data) {
  TRVEditRVData *nested = UndoList ? UndoList->Owner() : nullptr;
  if (!nested || UndoList->Count() == 0) return;
  // The reverse is collected in a fresh list of the nested document, so
  // that it comes back here whole instead of joining what that document
  // holds (a typing group there would take it in).
  std::unique_ptr<TRVUndoList> &slot = IsRedo ? nested->UndoList : nested->RedoList;
  std::unique_ptr<TRVUndoList> kept = std::exchange(slot, std::make_unique<TRVUndoList>(nested));
  const uint8_t dest = nested->UndoDest;
  std::unique_ptr<TRVUndoList> reverse;
  {
    const ScopeGuard restore([&] {
      reverse = std::exchange(slot, std::move(kept));
      nested->UndoDest = dest;
    });
    if (IsRedo) UndoList->PerformRedo(*nested);
    else UndoList->PerformUndo(*nested);
  }
  if (reverse->Count() == 0) return;
  if (TRVUndoList *d = Data.GetUndoDest()) {
    std::unique_ptr<TRVCompositeUndo> rec = MakeReverse();
    rec->Action = Action;
    rec->ItemNo = ItemNo;
    rec->UndoList = std::move(reverse);
    rec->IsRedo = !IsRedo;
    d->AddUndoRecord(std::move(rec));
  }
}

} // namespace kc
