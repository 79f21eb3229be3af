// The undoable primitives: every change the editor makes goes through one
// of these. Each appends the record that reverses it to the current
// destination list (when there is one) before it changes anything, marks
// the items it touched, and says whether the document's minimal width may
// have moved, which decides between a partial and a whole reformat.
#include <algorithm>
#include <stdexcept>

#include "richtext/controls/RVERVData.h"
#include "richtext/document/RVUni.h"

namespace kc {

namespace {

uint8_t TextOptions(const TCustomRVItemInfo *Item) { return Item->IsUnicode() ? rvuniUnicodeBit : 0; }

template <class T> T *Record(TRVUndoList *Dest, std::unique_ptr<T> R) {
  T *r = R.get();
  Dest->AddUndoRecord(std::move(R));
  return r;
}

} // namespace

void TRVEditRVData::Do_DeleteItem(int ItemNo) {
  if (ItemNo < 0 || ItemNo >= GetItemCount()) RVRaiseItemIndexError();
  const int before = WidthBefore(ItemNo, ItemNo);
  if (GetItem(ItemNo)->Checkpoint) Do_DeleteCP(ItemNo);
  if (TRVUndoList *dest = GetUndoDest()) {
    auto rec = std::make_unique<TRVUndoDeleteItemInfo>();
    rec->Action = 1;
    rec->ItemNo = ItemNo;
    rec->Text = GetItemTextRaw(ItemNo);
    TRVUndoDeleteItemInfo *r = Record(dest, std::move(rec));
    GetItem(ItemNo)->MovingToUndoList(ItemNo, this);
    r->Item = Items.Detach(ItemNo);
    Items.Delete(ItemNo);
  } else {
    DestroyItem(ItemNo, false);
    Items.Delete(ItemNo);
  }
  TouchItems(ItemNo, ItemNo - 1);
  NoteWidthChange(before, RangeMinWidth(ItemNo - 1, ItemNo));
}

void TRVEditRVData::Do_DeleteItems(int StartItemNo, int EndItemNo) {
  if (EndItemNo < StartItemNo) return;
  if (StartItemNo < 0 || EndItemNo >= GetItemCount()) RVRaiseItemIndexError();
  const int before = WidthBefore(StartItemNo, EndItemNo);
  for (int i = StartItemNo; i <= EndItemNo; ++i)
    if (GetItem(i)->Checkpoint) Do_DeleteCP(i);
  const int n = EndItemNo - StartItemNo + 1;
  if (TRVUndoList *dest = GetUndoDest()) {
    auto rec = std::make_unique<TRVUndoDeleteItemsInfo>();
    rec->Action = 2;
    rec->ItemNo = StartItemNo;
    TRVUndoDeleteItemsInfo *r = Record(dest, std::move(rec));
    r->Items.reserve(size_t(n));
    for (int i = StartItemNo; i <= EndItemNo; ++i) {
      GetItem(i)->MovingToUndoList(i, this);
      r->Items.push_back({GetItemTextRaw(i), Items.Detach(i)});
    }
    Items.Delete(StartItemNo, n);
  } else {
    for (int i = StartItemNo; i <= EndItemNo; ++i) DestroyItem(i, false);
    Items.Delete(StartItemNo, n);
  }
  TouchItems(StartItemNo, StartItemNo - 1);
  NoteWidthChange(before, RangeMinWidth(StartItemNo - 1, StartItemNo));
}

void TRVEditRVData::Do_DeleteSubstring(int ItemNo, int Index, int ACount) {
  if (ACount == 0) return;
  const TCustomRVItemInfo *item = GetItem(ItemNo);
  const uint8_t opt = TextOptions(item);
  std::string text = GetItemTextRaw(ItemNo);
  const int len = GetTextLength(text, opt);
  if (ACount < 0) ACount = len - Index + 1;
  const std::string deleted = CopyChars(text, Index, ACount, opt);
  if (deleted.empty()) return;
  const int before = WidthBefore(ItemNo, ItemNo);
  if (TRVUndoList *dest = GetUndoDest()) {
    auto rec = std::make_unique<TRVUndoDeleteSubstringInfo>();
    rec->Action = 3;
    rec->ItemNo = ItemNo;
    rec->Text = deleted;
    rec->Offset = Index;
    Record(dest, std::move(rec));
  }
  DeleteChars(text, Index, GetTextLength(deleted, opt), opt);
  SetItemTextRaw(ItemNo, std::move(text));
  TouchItems(ItemNo, ItemNo);
  NoteWidthChange(before, RangeMinWidth(ItemNo, ItemNo));
}

void TRVEditRVData::Do_InsertItem(int ItemNo, std::string Text, std::unique_ptr<TCustomRVItemInfo> Item) {
  if (!Item) return;
  if (ItemNo < 0 || ItemNo > GetItemCount()) RVRaiseItemIndexError();
  // The checkpoint comes back through its own primitive, so that it is
  // recorded too.
  std::unique_ptr<TRVCPInfo> cp = std::move(Item->Checkpoint);
  if (cp) cp->ItemInfo = nullptr;
  const int before = GetItemCount() > 0 ? WidthBefore(ItemNo - 1, ItemNo) : 0;
  if (TRVUndoList *dest = GetUndoDest()) {
    auto rec = std::make_unique<TRVUndoInsertItemInfo>();
    rec->Action = 4;
    rec->ItemNo = ItemNo;
    Record(dest, std::move(rec));
  }
  TCustomRVItemInfo *item = Item.get();
  int index = ItemNo, newList = -1;
  bool full = false;
  InsertItemAt(index, Text, Item, full, newList);
  item->UpdatePaletteInfo(GetDoInPaletteMode(), false, GetPalette(), GetPaletteInfo());
  TouchItems(ItemNo, ItemNo);
  if (item->IsParaStart()) {
    const int end = GetParaEndItemNo(ItemNo);
    if (end > ItemNo) Do_Para(ItemNo + 1, end, item->ParaNo);
  }
  NoteWidthChange(before, RangeMinWidth(ItemNo - 1, ItemNo + 1));
  if (cp) Do_AddCP(ItemNo, std::move(cp));
}

void TRVEditRVData::Do_InsertItems(int ItemNo, int Count) {
  if (Count <= 0) return;
  if (TRVUndoList *dest = GetUndoDest()) {
    auto rec = std::make_unique<TRVUndoInsertItemsInfo>();
    rec->Action = 5;
    rec->ItemNo = ItemNo;
    rec->Count = Count;
    Record(dest, std::move(rec));
  }
  const int last = ItemNo + Count - 1;
  TouchItems(ItemNo, last);
  for (int i = ItemNo; i <= last; ++i) AddMarkerToList(i);
  const int end = GetParaEndItemNo(last);
  if (end > last && GetItemPara(end) != GetItemPara(last)) Do_Para(last + 1, end, GetItemPara(last));
  for (int i = ItemNo; i <= last; ++i)
    if (TRVCPInfo *c = GetItem(i)->Checkpoint.get()) {
      if (c->ItemInfo == GetItem(i)) UnlinkCheckpoint(c, true);
      Do_AddCP(i, std::move(GetItem(i)->Checkpoint));
    }
  // What the items were before cannot be measured any more: the whole
  // document's minimal width is checked unless they fit anyway.
  FEdit.Full = true;
  FEdit.MaxNewWidth = std::max(FEdit.MaxNewWidth, RangeMinWidth(ItemNo - 1, last + 1));
}

void TRVEditRVData::Do_InsertSubstring(int ItemNo, int Index, const std::string &s) {
  if (s.empty()) return;
  if (ItemNo < 0 || ItemNo >= GetItemCount() || !GetItem(ItemNo)->IsText()) throw std::runtime_error("Undo error");
  const uint8_t opt = TextOptions(GetItem(ItemNo));
  const int before = WidthBefore(ItemNo, ItemNo);
  if (TRVUndoList *dest = GetUndoDest()) {
    auto rec = std::make_unique<TRVUndoInsertSubstringInfo>();
    rec->Action = 6;
    rec->ItemNo = ItemNo;
    rec->Offset = Index;
    rec->Length = GetTextLength(s, opt);
    Record(dest, std::move(rec));
  }
  std::string text = GetItemTextRaw(ItemNo);
  InsertChars(s, text, Index, opt);
  SetItemTextRaw(ItemNo, std::move(text));
  TouchItems(ItemNo, ItemNo);
  NoteWidthChange(before, RangeMinWidth(ItemNo, ItemNo));
}

void TRVEditRVData::Do_ChangeText(int ItemNo, const std::string &NewText) {
  if (GetItemTextRaw(ItemNo) == NewText) return;
  const int before = WidthBefore(ItemNo, ItemNo);
  if (TRVUndoList *dest = GetUndoDest()) {
    auto rec = std::make_unique<TRVUndoChangeTextInfo>();
    rec->Action = 16;
    rec->ItemNo = ItemNo;
    rec->Text = GetItemTextRaw(ItemNo);
    Record(dest, std::move(rec));
  }
  SetItemTextRaw(ItemNo, NewText);
  TouchItems(ItemNo, ItemNo);
  NoteWidthChange(before, RangeMinWidth(ItemNo, ItemNo));
}

void TRVEditRVData::Do_StyleNo(int ItemNo, int NewStyleNo) {
  TCustomRVItemInfo *item = GetItem(ItemNo);
  if (!item->IsText() || item->StyleNo == NewStyleNo) return;
  const int before = WidthBefore(ItemNo, ItemNo);
  if (TRVUndoList *dest = GetUndoDest()) {
    auto rec = std::make_unique<TRVUndoStyleNoInfo>();
    rec->Action = 13;
    rec->ItemNo = ItemNo;
    rec->StyleNo = item->StyleNo;
    Record(dest, std::move(rec));
  }
  if (const TRVStyle *st = GetRVStyle()) {
    const bool oldUni = st->TextStyles().GetTextStyleSafe(GetActualStyle(item))->Unicode;
    const bool newUni = st->TextStyles().GetTextStyleSafe(GetActualStyleEx(NewStyleNo, item->ParaNo))->Unicode;
    if (oldUni != newUni) {
      if (newUni) item->ItemOptions.Include(rvioUnicode);
      else item->ItemOptions.Exclude(rvioUnicode);
    }
  }
  item->StyleNo = NewStyleNo;
  TouchItems(ItemNo, ItemNo);
  NoteWidthChange(before, RangeMinWidth(ItemNo, ItemNo));
}

void TRVEditRVData::Do_Para(int FirstItemNo, int LastItemNo, int ParaNo) {
  if (LastItemNo < FirstItemNo) return;
  const TRVStyle *st = GetRVStyle();
  std::vector<int32_t> list;
  list.reserve(size_t(LastItemNo - FirstItemNo + 1));
  for (int i = FirstItemNo; i <= LastItemNo; ++i) {
    int p = ParaNo;
    const int cur = GetItemPara(i);
    const bool protectedPara = st && st->ParaStyles().GetParaStyleSafe(cur)->Options.Has(rvpaoStyleProtect);
    // A protected paragraph keeps its style, except for an item inside it
    // that follows one already given the new style.
    if (protectedPara && !(i > 0 && !IsParaStart(i) && GetItemPara(i - 1) == ParaNo)) p = cur;
    list.push_back(p);
  }
  Do_ParaList(FirstItemNo, list);
}

void TRVEditRVData::Do_ParaList(int FirstItemNo, const std::vector<int32_t> &List) {
  if (List.empty()) return;
  const int last = FirstItemNo + int(List.size()) - 1;
  bool same = true;
  for (int i = FirstItemNo; i <= last && same; ++i) same = GetItemPara(i) == List[size_t(i - FirstItemNo)];
  if (same) return;
  const int before = WidthBefore(FirstItemNo, last);
  if (TRVUndoList *dest = GetUndoDest()) {
    bool uniform = true;
    for (int i = FirstItemNo + 1; i <= last && uniform; ++i) uniform = GetItemPara(i) == GetItemPara(FirstItemNo);
    if (uniform) {
      auto rec = std::make_unique<TRVUndoParaInfo>();
      rec->Action = 9;
      rec->ItemNo = FirstItemNo;
      rec->ParaNo = GetItemPara(FirstItemNo);
      rec->Count = last - FirstItemNo + 1;
      Record(dest, std::move(rec));
    } else {
      auto rec = std::make_unique<TRVUndoParaListInfo>();
      rec->Action = 9;
      rec->FirstItemNo = FirstItemNo;
      rec->List.reserve(size_t(last - FirstItemNo + 1));
      for (int i = FirstItemNo; i <= last; ++i) rec->List.push_back(GetItemPara(i));
      Record(dest, std::move(rec));
    }
  }
  for (int i = FirstItemNo; i <= last; ++i) GetItem(i)->ParaNo = List[size_t(i - FirstItemNo)];
  TouchItems(FirstItemNo, last);
  NoteWidthChange(before, RangeMinWidth(FirstItemNo, last));
}

void TRVEditRVData::Do_NewLine(int ItemNo, bool SameLine, int NewParaNo) {
  TCustomRVItemInfo *item = GetItem(ItemNo);
  if (GetItemStyle(ItemNo) == rvsListMarker || (SameLine && ItemNo == 0)) return;
  if (SameLine) {
    Do_BR(ItemNo, false);
    if (item->GetPageBreakBefore()) SetPageBreakUndoable(ItemNo, false);
  }
  SetContinueUndoable(ItemNo, SameLine);
  // The paragraph numbers are a change of their own, so that undoing gives
  // back each item's number, also in a paragraph whose items disagreed.
  const int newPara = SameLine ? GetItemPara(ItemNo - 1) : NewParaNo;
  if (newPara >= 0) {
    const int end = GetParaEndItemNo(ItemNo);
    Do_ParaList(ItemNo, std::vector<int32_t>(size_t(end - ItemNo + 1), newPara));
  }
}

void TRVEditRVData::SetContinueUndoable(int ItemNo, bool Continue) {
  TCustomRVItemInfo *item = GetItem(ItemNo);
  if (item->GetContinuePara() == Continue || (Continue && ItemNo == 0)) return;
  const int end = GetParaEndItemNo(ItemNo);
  const int before = WidthBefore(ItemNo - 1, end);
  if (TRVUndoList *dest = GetUndoDest()) {
    auto rec = std::make_unique<TRVUndoNewLineInfo>();
    rec->Action = 7;
    rec->ItemNo = ItemNo;
    rec->LastAffectedItemNo = end;
    rec->WasContinue = item->GetContinuePara();
    rec->ParaNo = item->ParaNo;
    Record(dest, std::move(rec));
  }
  if (Continue) item->SetContinuePara(true);
  else item->ItemOptions.Exclude(rvioContinuePara);
  TouchItems(ItemNo, GetParaEndItemNo(ItemNo));
  NoteWidthChange(before, RangeMinWidth(ItemNo - 1, GetParaEndItemNo(ItemNo)));
}

void TRVEditRVData::Do_BR(int ItemNo, bool LineBreak) {
  TCustomRVItemInfo *item = GetItem(ItemNo);
  if (item->GetLineBreakBefore() == LineBreak) return;
  if (LineBreak && item->GetFlag(rvbpFullWidth)) return;
  // Setting the flag takes the item off its paragraph's line; that is a
  // change of its own.
  if (LineBreak && item->GetContinuePara()) Do_NewLine(ItemNo, false, -1);
  const int before = WidthBefore(ItemNo - 1, ItemNo);
  if (TRVUndoList *dest = GetUndoDest()) {
    auto rec = std::make_unique<TRVUndoBRInfo>();
    rec->Action = 8;
    rec->ItemNo = ItemNo;
    rec->WasBR = item->GetLineBreakBefore();
    Record(dest, std::move(rec));
  }
  item->SetLineBreakBefore(LineBreak);
  TouchItems(ItemNo, GetParaEndItemNo(ItemNo));
  NoteWidthChange(before, RangeMinWidth(ItemNo - 1, ItemNo));
}

void TRVEditRVData::Do_PageBreak(int ItemNo, bool PageBreak) {
  if (ItemNo > 0 && GetItemStyle(ItemNo - 1) == rvsListMarker) --ItemNo;
  SetPageBreakUndoable(ItemNo, PageBreak);
}

void TRVEditRVData::SetPageBreakUndoable(int ItemNo, bool PageBreak) {
  TCustomRVItemInfo *item = GetItem(ItemNo);
  if (item->GetPageBreakBefore() == PageBreak) return;
  if (PageBreak) {
    // A page break starts a paragraph; the item's own flags go first.
    Do_BR(ItemNo, false);
    if (item->GetContinuePara()) Do_NewLine(ItemNo, false, -1);
  }
  if (TRVUndoList *dest = GetUndoDest()) {
    auto rec = std::make_unique<TRVUndoPageBreakInfo>();
    rec->Action = 10;
    rec->ItemNo = ItemNo;
    rec->WasPageBreak = item->GetPageBreakBefore();
    Record(dest, std::move(rec));
  }
  item->SetPageBreakBefore(PageBreak);
  TouchItems(ItemNo, ItemNo);
}

void TRVEditRVData::Do_Tag(int ItemNo, const TRVTag &NewTag, bool AssignAsIs) {
  TCustomRVItemInfo *item = GetItem(ItemNo);
  if (AreTagsEqual(item->Tag, NewTag, TagsArePChars()) && item->Tag.IsText() == NewTag.IsText()) return;
  if (TRVUndoList *dest = GetUndoDest()) {
    auto rec = std::make_unique<TRVUndoTagInfo>();
    rec->Action = 12;
    rec->ItemNo = ItemNo;
    rec->Tag = item->Tag;
    Record(dest, std::move(rec));
  }
  item->Tag = AssignAsIs ? NewTag : CopyTag(NewTag, TagsArePChars());
}

void TRVEditRVData::Do_AddCP(int ItemNo, std::unique_ptr<TRVCPInfo> Checkpoint) {
  if (!Checkpoint) return;
  if (ItemNo == -1 ? NotAddedCP != nullptr : GetItem(ItemNo)->Checkpoint != nullptr)
    throw ERichVistaError("Checkpoint error");
  if (TRVUndoList *dest = GetUndoDest()) {
    auto rec = std::make_unique<TRVUndoAddCPInfo>();
    rec->Action = 14;
    rec->ItemNo = ItemNo;
    Record(dest, std::move(rec));
  }
  TRVCPInfo *cp = Checkpoint.get();
  cp->Next = cp->Prev = nullptr;
  ++CPCount;
  if (ItemNo == -1) {
    cp->ItemInfo = nullptr;
    NotAddedCP = std::move(Checkpoint);
    return;
  }
  TCustomRVItemInfo *item = GetItem(ItemNo);
  cp->ItemInfo = item;
  item->Checkpoint = std::move(Checkpoint);
  InsertCheckpointSorted(cp, ItemNo);
}

void TRVEditRVData::Do_DeleteCP(int ItemNo) {
  TRVCPInfo *cp = ItemNo == -1 ? NotAddedCP.get() : GetItem(ItemNo)->Checkpoint.get();
  if (!cp) throw ERichVistaError("Checkpoint error");
  TRVUndoDeleteCPInfo *r = nullptr;
  if (TRVUndoList *dest = GetUndoDest()) {
    auto rec = std::make_unique<TRVUndoDeleteCPInfo>();
    rec->Action = 14;
    rec->ItemNo = ItemNo;
    r = Record(dest, std::move(rec));
  }
  std::unique_ptr<TRVCPInfo> owned;
  if (ItemNo == -1) {
    owned = std::move(NotAddedCP);
    --CPCount;
  } else {
    UnlinkCheckpoint(cp, true);
    owned = std::move(GetItem(ItemNo)->Checkpoint);
  }
  if (r) r->Checkpoint = std::move(owned);
}

void TRVEditRVData::Do_MoveCP(int FromItemNo, int ToItemNo) {
  if (FromItemNo == ToItemNo) return;
  const TRVCPInfo *cp = FromItemNo == -1 ? NotAddedCP.get() : GetItem(FromItemNo)->Checkpoint.get();
  if (!cp) return;
  if (ToItemNo == -1 ? NotAddedCP != nullptr : GetItem(ToItemNo)->Checkpoint != nullptr) Do_DeleteCP(ToItemNo);
  Do_AddCP(ToItemNo, cp->CreateCopy(TagsArePChars()));
  Do_DeleteCP(FromItemNo);
}

void TRVEditRVData::Do_ExtraIntProperty(int ItemNo, TRVExtraItemProperty Prop, int Value) {
  TCustomRVItemInfo *item = GetItem(ItemNo);
  int old = 0;
  if (!item->GetExtraIntProperty(Prop, old) || old == Value) return;
  const int before = WidthBefore(ItemNo, ItemNo);
  if (TRVUndoList *dest = GetUndoDest()) {
    auto rec = std::make_unique<TRVUndoExtraIntProperty>();
    rec->Action = 15;
    rec->ItemNo = ItemNo;
    rec->Prop = Prop;
    rec->Value = old;
    Record(dest, std::move(rec));
  }
  item->SetExtraIntProperty(Prop, Value);
  TouchItems(ItemNo, ItemNo);
  NoteWidthChange(before, RangeMinWidth(ItemNo, ItemNo));
}

void TRVEditRVData::Do_ReformateRange(int StartItemNo, int EndItemNo, bool Whole) {
  if (TRVUndoList *dest = GetUndoDest()) {
    auto rec = std::make_unique<TRVUndoReformateRange>();
    rec->ItemNo = StartItemNo;
    rec->EndItemNo = EndItemNo;
    rec->Whole = Whole;
    Record(dest, std::move(rec));
  }
  TouchItems(StartItemNo, EndItemNo);
  if (Whole) FEdit.WholeDoc = true;
  else FEdit.MeasureTouched = true;
}

bool TRVEditRVData::SetItemIntPropertyUndoable(int ItemNo, TRVIntPropertyHolder *SubObject, const std::string &PropName,
                                               int Value) {
  return SetItemIntPropertiesUndoable(ItemNo, SubObject, {PropName}, {Value});
}

bool TRVEditRVData::SetItemIntPropertiesUndoable(int ItemNo, TRVIntPropertyHolder *SubObject,
                                                 const std::vector<std::string> &PropNames,
                                                 const std::vector<int32_t> &Values) {
  if (ItemNo < 0 || ItemNo >= GetItemCount()) RVRaiseItemIndexError();
  TCustomRVItemInfo *item = GetItem(ItemNo);
  TRVIntPropertyHolder *target = SubObject ? SubObject : item;
  // The properties the object has, each once (the first value given wins),
  // with their old values.
  std::vector<std::string> names;
  std::vector<int32_t> olds, news;
  for (size_t i = 0; i < std::min(PropNames.size(), Values.size()); ++i) {
    int old = 0;
    if (std::find(names.begin(), names.end(), PropNames[i]) != names.end()) continue;
    if (!target->GetIntPropertyByName(PropNames[i], old) || old == Values[i]) continue;
    names.push_back(PropNames[i]);
    olds.push_back(old);
    news.push_back(Values[i]);
  }
  if (names.empty()) return false;
  const int before = WidthBefore(ItemNo, ItemNo);
  item->BeforeUndoChangeProperty();
  for (size_t k = 0; k < names.size(); ++k) target->SetIntPropertyByName(names[k], news[k]);
  item->AfterUndoChangeProperty();
  // A value the property cannot hold was stored as the nearest one it can:
  // what came out the same is no change.
  for (size_t k = names.size(); k-- > 0;) {
    int now = 0;
    target->GetIntPropertyByName(names[k], now);
    if (now != olds[k]) continue;
    names.erase(names.begin() + ptrdiff_t(k));
    olds.erase(olds.begin() + ptrdiff_t(k));
  }
  if (names.empty()) return false;
  if (TRVUndoList *dest = GetUndoDest()) {
    std::unique_ptr<TRVUndoModifyItemProps> rec;
    if (names.size() == 1) {
      auto one = std::make_unique<TRVUndoModifyItemIntProperty>();
      one->PropName = names[0];
      one->Value = olds[0];
      rec = std::move(one);
    } else {
      auto several = std::make_unique<TRVUndoModifyItemIntProperties>();
      several->PropNames = std::move(names);
      several->Values = std::move(olds);
      rec = std::move(several);
    }
    rec->Action = 15;
    rec->ItemNo = ItemNo;
    rec->SubObject = SubObject;
    dest->AddUndoRecord(std::move(rec));
  }
  TouchItems(ItemNo, ItemNo);
  NoteWidthChange(before, RangeMinWidth(ItemNo, ItemNo));
  return true;
}

void TRVEditRVData::AddModifyItemTerminator(int ItemNo, bool Opening) {
  if (TRVUndoList *dest = GetUndoDest()) {
    auto rec = std::make_unique<TRVUndoModifyItemTerminator>();
    rec->ItemNo = ItemNo;
    rec->Opening = Opening;
    Record(dest, std::move(rec));
  }
}

void TRVEditRVData::Do_Concate(int ItemNo) {
  TCustomRVItemInfo *a = GetItem(ItemNo);
  TCustomRVItemInfo *b = GetItem(ItemNo + 1);
  if (a->IsUnicode() != b->IsUnicode() && !GetItemTextRaw(ItemNo + 1).empty()) {
    // The texts cannot share one item: the first, which is empty or must
    // not change its form, gives way to the second.
    if (!a->GetContinuePara()) {
      const bool br = a->GetLineBreakBefore();
      Do_NewLine(ItemNo + 1, false, a->ParaNo);
      if (br) Do_BR(ItemNo + 1, true);
    }
    if (a->Checkpoint && !b->Checkpoint) Do_MoveCP(ItemNo, ItemNo + 1);
    Do_DeleteItem(ItemNo);
    return;
  }
  // An empty first item takes the second's tag and style before the text,
  // so that undoing gives the text back in the form it came in.
  if (GetItemTextRaw(ItemNo).empty()) {
    Do_Tag(ItemNo, b->Tag, false);
    Do_StyleNo(ItemNo, b->StyleNo);
  }
  Do_InsertSubstring(ItemNo, GetItemLength(ItemNo) + 1, GetItemTextRaw(ItemNo + 1));
  if (b->Checkpoint && !a->Checkpoint) Do_MoveCP(ItemNo + 1, ItemNo);
  Do_DeleteItem(ItemNo + 1);
}

std::unique_ptr<TCustomRVItemInfo> TRVEditRVData::CloneTextItem(const TCustomRVItemInfo &Source) {
  std::unique_ptr<TCustomRVItemInfo> item = RichVistaTextItemClass(this);
  item->AssignProperties(Source);
  const bool uni = Source.IsUnicode();
  item->ItemOptions = TRVItemOptions();
  if (uni) item->ItemOptions.Include(rvioUnicode);
  item->Tag = CopyTag(Source.Tag, TagsArePChars());
  return item;
}

int TRVEditRVData::GetParaEndItemNo(int ItemNo) const {
  while (ItemNo + 1 < GetItemCount() && !IsParaStart(ItemNo + 1)) ++ItemNo;
  return ItemNo;
}

void TRVEditRVData::InsertNewTextItem(int ItemNo, std::string Text, int StyleNo, int ParaNo, bool ContinuePara,
                                      bool LineBreak, const TRVTag &Tag) {
  std::unique_ptr<TCustomRVItemInfo> item = RichVistaTextItemClass(this);
  item->StyleNo = StyleNo;
  item->ParaNo = ParaNo;
  if (const TRVStyle *st = GetRVStyle(); st && st->TextStyles().GetTextStyleSafe(StyleNo)->Unicode)
    item->ItemOptions.Include(rvioUnicode);
  if (ContinuePara) item->SetContinuePara(true);
  else if (LineBreak) item->SetLineBreakBefore(true);
  item->Tag = CopyTag(Tag, TagsArePChars());
  Do_InsertItem(ItemNo, std::move(Text), std::move(item));
}

} // namespace kc
