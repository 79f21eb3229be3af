// Putting things in at the caret: one item by the placement rules of the
// caret's item, and typed characters.
#include "richtext/controls/RVERVData.h"
#include "richtext/document/RVUni.h"

namespace kc {

namespace {

bool HasProtection(const TRVEditRVData &d, int ItemNo, TRVProtectOption Option) {
  if (ItemNo < 0 || ItemNo >= d.GetItemCount() || !d.IsTextItem(ItemNo)) return false;
  const TRVStyle *st = d.GetRVStyle();
  return st && st->TextStyles().GetTextStyleSafe(d.GetItemStyle(ItemNo))->Protection.Has(Option);
}

// Whether something may go between Left and Right (-1: the document start).
bool Sticks(const TRVEditRVData &d, int Left, int Right) {
  if (Left < 0) return HasProtection(d, Right, rvprStickToTop);
  return HasProtection(d, Left, rvprSticking) && HasProtection(d, Right, rvprSticking);
}

bool StartsLine(const TCustomRVItemInfo *Item) { return !Item->GetContinuePara(); }

} // namespace

bool TRVEditRVData::InsertItems(int &ItemNo, int &Offs, std::string &Text, std::unique_ptr<TCustomRVItemInfo> &Item) {
  return InsertItems(ItemNo, Offs, Text, Item, false);
}

// The tag, paragraph and line start of an item about to go in at item n.
void TRVEditRVData::PrepareInsertedItem(TCustomRVItemInfo &Item, int n, bool OwnPara, bool InheritTag) {
  if (InheritTag && Item.IsText() && GetItemCount() > 0) {
    // Text put in place of other text keeps that text's tag.
    const bool noTag = AreTagsEqual(Item.Tag, TRVTag(), TagsArePChars());
    if (noTag && Item.StyleNo == CurTextStyleNo) Item.Tag = CopyTag(SavedTag, TagsArePChars());
    if (AreTagsEqual(Item.Tag, TRVTag(), TagsArePChars()) && IsTextItem(n) && !GetItemTextRaw(n).empty() &&
        GetItemStyle(n) == Item.StyleNo)
      Item.Tag = CopyTag(GetItemTag(n), TagsArePChars());
  }
  if (OwnPara) {
    Item.ItemOptions.Exclude(rvioContinuePara);
    Item.ItemOptions.Exclude(rvioLineBreakBefore);
    if (Item.StyleNo != rvsBreak) Item.ParaNo = CurParaStyleNo;
  } else {
    Item.SetContinuePara(true);
    Item.ParaNo = GetItemPara(n);
  }
  if (Item.StyleNo == rvsBreak) Item.ParaNo = 0;
}

// The new item takes the place of the empty text item n, or, where its
// paragraph cannot take it, goes after it into a paragraph of its own; the
// item's index, -1 when it may not go there at all.
int TRVEditRVData::InsertAtEmptyItem(int n, std::string &Text, std::unique_ptr<TCustomRVItemInfo> &Item, bool FullLine,
                                     bool Marker, bool PersistentCP) {
  if (Sticks(*this, n - 1, n) || Sticks(*this, n, n + 1)) return -1;
  TCustomRVItemInfo *item = Item.get();
  const TCustomRVItemInfo *c = GetItem(n);
  int at;
  const bool afterMarker = n > 0 && GetItemStyle(n - 1) == rvsListMarker;
  // A paragraph keeps at most one persistent checkpoint: a new one goes
  // after the empty item into a paragraph of its own.
  if ((afterMarker && FullLine) || (PersistentCP && ParaHasPersistentCheckpoint(n))) {
    at = n + 1;
    if (at < GetItemCount() && GetItem(at)->GetContinuePara()) Do_NewLine(at, false, -1);
    Do_InsertItem(at, std::move(Text), std::move(Item));
  } else {
    // The empty item gives way.
    if (FullLine && n + 1 < GetItemCount() && GetItem(n + 1)->GetContinuePara()) Do_NewLine(n + 1, false, -1);
    if (StartsLine(c) || afterMarker) {
      if (afterMarker && !FullLine) {
        item->SetContinuePara(true);
      } else {
        item->ItemOptions.Exclude(rvioContinuePara);
        if (c->GetLineBreakBefore() && !Marker && !FullLine) item->SetLineBreakBefore(true);
        if (c->GetPageBreakBefore()) item->SetPageBreakBefore(true);
      }
      if (!FullLine || afterMarker) item->ParaNo = c->ParaNo;
    }
    at = n;
    Do_InsertItem(n, std::move(Text), std::move(Item));
    if (GetItem(n + 1)->Checkpoint && !GetItem(n)->Checkpoint) Do_MoveCP(n + 1, n);
    Do_DeleteItem(n + 1);
    if (Marker && afterMarker) {
      // A marker right after another replaces it.
      Do_DeleteItem(n - 1);
      at = n - 1;
    }
  }
  return at;
}

bool TRVEditRVData::InsertItems(int &ItemNo, int &Offs, std::string &Text, std::unique_ptr<TCustomRVItemInfo> &Item,
                                bool InheritTag) {
  const TRVStyle *st = GetRVStyle();
  const int n = ItemNo;
  TCustomRVItemInfo *item = Item.get();
  const bool fullLine = item->GetFlag(rvbpFullWidth);
  const bool marker = item->StyleNo == rvsListMarker;
  const bool persistentCP = item->Checkpoint && item->Checkpoint->Persistent;
  const bool ownPara = GetItemCount() == 0 || fullLine || marker || persistentCP;
  // The paragraph style the item brings, which its paragraph takes on.
  const int broughtPara = !item->GetContinuePara() && item->StyleNo != rvsBreak && st && item->ParaNo >= 0 &&
                                  item->ParaNo < st->ParaStyles().Count()
                              ? item->ParaNo
                              : -1;
  PrepareInsertedItem(*item, n, ownPara, InheritTag);
  if (st && st->ParaStyles().GetParaStyleSafe(item->ParaNo)->Options.Has(rvpaoReadOnly)) return false;
  if (GetItemCount() == 0) {
    Do_InsertItem(0, std::move(Text), std::move(Item));
    ItemNo = 0;
    return true;
  }
  TCustomRVItemInfo *c = GetItem(n);
  const bool cText = IsTextItem(n);
  const bool cEmpty = cText && GetItemTextRaw(n).empty();
  if (marker && !cEmpty) {
    // A marker only takes the place of an empty line.
    Item.reset();
    ItemNo = -1;
    return true;
  }
  // Takes over C's line start when C has one; C then continues the new item.
  auto takeOverLineStart = [&](int At) {
    if (StartsLine(c)) {
      item->ItemOptions.Exclude(rvioContinuePara);
      if (c->GetLineBreakBefore() && !fullLine) item->SetLineBreakBefore(true);
      if (c->GetPageBreakBefore()) item->SetPageBreakBefore(true);
      if (!ownPara) item->ParaNo = c->ParaNo;
      Do_InsertItem(At, std::move(Text), std::move(Item));
      if (!fullLine && !c->GetFlag(rvbpFullWidth)) Do_NewLine(At + 1, true, -1);
    } else {
      if (fullLine) Do_NewLine(At, false, -1);
      Do_InsertItem(At, std::move(Text), std::move(Item));
    }
  };
  int at;
  if (!cText) {
    if (Offs >= 1) {
      at = n + 1;
      if (c->GetFlag(rvbpFullWidth)) {
        item->ItemOptions.Exclude(rvioContinuePara);
        item->ParaNo = ownPara ? item->ParaNo : CurParaStyleNo;
      }
      if (fullLine && at < GetItemCount() && GetItem(at)->GetContinuePara()) Do_NewLine(at, false, -1);
      Do_InsertItem(at, std::move(Text), std::move(Item));
    } else if (n > 0 && GetItemStyle(n - 1) == rvsListMarker && c->GetContinuePara() &&
               (fullLine || (persistentCP && HasPersistentCP(n - 1)))) {
      // The list item keeps a text of its own (empty), which the new item
      // follows.
      InsertNewTextItem(n, std::string(), TextStyleForNewItem(), c->ParaNo, true, false, TRVTag());
      at = n + 1;
      takeOverLineStart(at);
    } else {
      at = n;
      takeOverLineStart(at);
    }
  } else if (cEmpty) {
    at = InsertAtEmptyItem(n, Text, Item, fullLine, marker, persistentCP);
    if (at < 0) return false;
  } else if (Offs <= GetOffsBeforeItem(n)) {
    if (Sticks(*this, n - 1, n)) return false;
    at = n;
    takeOverLineStart(at);
  } else if (Offs >= GetItemEndOffset(n)) {
    if (Sticks(*this, n, n + 1)) return false;
    at = n + 1;
    if (fullLine && at < GetItemCount() && GetItem(at)->GetContinuePara()) Do_NewLine(at, false, -1);
    Do_InsertItem(at, std::move(Text), std::move(Item));
  } else {
    if (HasProtection(*this, n, rvprModifyProtect)) return false;
    const uint8_t opt = c->IsUnicode() ? rvuniUnicodeBit : 0;
    std::string tail = CopyChars(GetItemTextRaw(n), Offs, GetItemLength(n) - Offs + 1, opt);
    Do_DeleteSubstring(n, Offs, -1);
    std::unique_ptr<TCustomRVItemInfo> clone = CloneTextItem(*c);
    clone->SetContinuePara(true);
    Do_InsertItem(n + 1, std::move(tail), std::move(clone));
    at = n + 1;
    if (fullLine) Do_NewLine(at, false, -1);
    Do_InsertItem(at, std::move(Text), std::move(Item));
  }
  if (broughtPara >= 0 && GetItemPara(at) != broughtPara)
    Do_Para(GetFirstParaItemNo(at), GetParaEndItemNo(at), broughtPara);
  // A persistent checkpoint marks the start of its paragraph.
  if (at + 1 < GetItemCount() && HasPersistentCP(at + 1) && GetItem(at + 1)->GetContinuePara() &&
      GetItemStyle(at) != rvsListMarker)
    Do_NewLine(at + 1, false, -1);
  ItemNo = at;
  return true;
}

bool TRVEditRVData::InsertItemAtCaret(std::string Text, std::unique_ptr<TCustomRVItemInfo> Item, bool CaretBefore) {
  if (!Item) return false;
  int item = 0, offs = 0;
  if (GetItemCount() > 0 && !GetCaretItemPos(item, offs)) return false;
  if (Item->StyleNo != rvsBreak && !(Item->Checkpoint && Item->Checkpoint->Persistent)) Item->ParaNo = CurParaStyleNo;
  BeginUndoSequence(rvutInsert, true);
  StartEdit();
  if (!InsertItems(item, offs, Text, Item)) {
    AbandonEdit();
    Beep();
    return false;
  }
  ReformatAfterEdit();
  if (item >= 0) {
    if (CaretBefore) SetCaretItemPos(item, GetOffsBeforeItem(item));
    else SetCaretItemPos(item, GetItemEndOffset(item));
  } else {
    SetCaretItemPos(0, 0);
  }
  FinishEditing(true);
  NotifyChange();
  return true;
}

bool TRVEditRVData::InsertTypedText(std::u16string_view Text) {
  const TRVStyle *st = GetRVStyle();
  if (!st || Text.empty()) return false;
  if (!CanDeleteSelection()) {
    Beep();
    return false;
  }
  // The text taking the place of the selection (or going in at the caret)
  // keeps the tag of the text it replaces or joins.
  {
    int a, ao, b, bo;
    GetSelectionOrCaretBounds(a, ao, b, bo, true);
    if (a >= 0 && a < GetItemCount() && IsTextItem(a) && GetItemStyle(a) == CurTextStyleNo)
      SavedTag = CopyTag(GetItemTag(a), TagsArePChars());
    else SavedTag.Clear();
  }
  if (SelectionExists() && !DeleteSelection()) return false;
  int item, offs;
  if (!GetCaretItemPos(item, offs)) return false;
  if (const TParaInfo *p = ParaStyleOf(item); p && p->Options.Has(rvpaoReadOnly)) {
    Beep();
    return false;
  }
  const TFontInfo *f = st->TextStyles().GetTextStyleSafe(CurTextStyleNo);
  std::string chars = WideStringToRaw(Text);
  if (!f->Unicode) chars = UnicodeToAnsi(GetStyleCodePage(CurTextStyleNo), chars);
  const int count = f->Unicode ? int(chars.size() / 2) : int(chars.size());
  bool refused = false;
  const bool intoItem = TakesTextAt(item, offs, refused);
  if (refused) {
    Beep();
    return false;
  }
  if (!intoItem) {
    std::unique_ptr<TCustomRVItemInfo> t = RichVistaTextItemClass(this);
    t->StyleNo = CurTextStyleNo;
    t->ParaNo = GetItemPara(item);
    if (f->Unicode) t->ItemOptions.Include(rvioUnicode);
    if (GetItemStyle(item) == CurTextStyleNo) t->Tag = CopyTag(GetItemTag(item), TagsArePChars());
    BeginUndoSequence(rvutInsert, true);
    StartEdit();
    int at = item, atOffs = offs;
    if (!InsertItems(at, atOffs, chars, t, true)) {
      AbandonEdit();
      Beep();
      return false;
    }
    ReformatAfterEdit();
    SetCaretItemPos(at, GetItemEndOffset(at));
    FinishEditing(true);
    NotifyChange();
    return true;
  }
  StartEdit();
  // An empty paragraph that is typed into takes the paragraph style the
  // editor applies now.
  int paraFirst = GetFirstParaItemNo(item), paraLast = GetParaEndItemNo(item);
  bool newPara = GetItemTextRaw(item).empty() && GetItemPara(item) != CurParaStyleNo && CurParaStyleNo >= 0 &&
                 CurParaStyleNo < st->ParaStyles().Count() &&
                 !st->ParaStyles().Items(CurParaStyleNo)->Options.Has(rvpaoReadOnly);
  for (int i = paraFirst; i <= paraLast && newPara; ++i) newPara = i == item || GetItemStyle(i) == rvsListMarker;
  if (newPara) {
    BeginUndoSequence(rvutMiscTyping, true);
    Do_Para(paraFirst, paraLast, CurParaStyleNo);
    Do_InsertSubstring(item, offs, chars);
  } else if (count == 1) {
    const int before = WidthBefore(item, item);
    UndoList->AddTypingUndo(item, offs, GetItem(item)->IsUnicode());
    std::string text = GetItemTextRaw(item);
    InsertChars(chars, text, offs, GetItem(item)->IsUnicode() ? rvuniUnicodeBit : 0);
    SetItemTextRaw(item, std::move(text));
    TouchItems(item, item);
    NoteWidthChange(before, RangeMinWidth(item, item));
  } else {
    BeginUndoSequence(rvutMiscTyping, true);
    Do_InsertSubstring(item, offs, chars);
  }
  ReformatAfterEdit();
  SetCaretItemPos(item, offs + count);
  FinishEditing(true);
  NotifyChange();
  return true;
}

} // namespace kc
