// Enter, Backspace and Delete on the editor document, and applying a
// paragraph style. Each checks what protects the document before it opens
// its undo group, so that a refusal beeps and leaves nothing behind.
#include <algorithm>
#include <climits>

#include "richtext/controls/RVERVData.h"
#include "richtext/document/RVMarker.h"
#include "richtext/document/RVUni.h"
#include "richtext/document/RVUniClusters.h"

namespace kc {

namespace {

bool IsMarkerAt(const TRVEditRVData &d, int ItemNo) {
  return ItemNo >= 0 && ItemNo < d.GetItemCount() && d.GetItemStyle(ItemNo) == rvsListMarker;
}

bool IsEmptyText(const TRVEditRVData &d, int ItemNo) {
  return ItemNo >= 0 && ItemNo < d.GetItemCount() && d.IsTextItem(ItemNo) && d.GetItemTextRaw(ItemNo).empty();
}

// A new marker of the same list and level for a new list item.
std::unique_ptr<TCustomRVItemInfo> CopyMarker(TRVEditRVData &d, int MarkerNo) {
  const auto *m = static_cast<const TRVMarkerItemInfo *>(d.GetItem(MarkerNo));
  auto copy = std::make_unique<TRVMarkerItemInfo>(&d, m->ListNo, m->Level, m->StartFrom, false);
  copy->ParaNo = m->ParaNo;
  copy->DeleteProtect = false;
  return copy;
}

} // namespace

bool TRVEditRVData::CanJoinParas(int FirstParaItem, int SecondParaItem) {
  auto readOnly = [&](int i) {
    const TParaInfo *p = ParaStyleOf(i);
    return p && p->Options.Has(rvpaoReadOnly);
  };
  if (readOnly(FirstParaItem) || readOnly(SecondParaItem)) return false;
  int start = SecondParaItem;
  if (IsMarkerAt(*this, start)) {
    if (IsDeleteProtected(start)) return false;
    if (start + 1 < GetItemCount() && !IsParaStart(start + 1)) ++start;
  }
  if (const TFontInfo *f = TextStyleOf(start); f && f->Protection.Has(rvprParaStartProtect)) return false;
  for (int i = SecondParaItem; i <= GetParaEndItemNo(SecondParaItem); ++i)
    if (HasPersistentCP(i)) return false;
  return true;
}

// ------------------------------------------------------------------ Enter

bool TRVEditRVData::OnEnterPress(bool Shift) {
  int item, offs;
  if (!GetCaretItemPos(item, offs)) return false;
  const TListsBefore lists = ListsBeforeEdit(item, item);
  const TParaInfo *para = ParaStyleOf(item);
  if (para && para->Options.Has(rvpaoDoNotWantReturns)) {
    Beep();
    return false;
  }
  const bool atParaStart =
      CaretAtLineStart() && offs <= GetOffsBeforeItem(item) && (IsParaStart(item) || IsMarkerAt(*this, item - 1));
  const bool atParaEnd =
      CaretAtLineEnd() && offs >= GetItemEndOffset(item) && (item + 1 >= GetItemCount() || IsParaStart(item + 1));
  int newItem = item, newOffs = offs;
  if (atParaStart || atParaEnd) {
    if (!Shift && IsEmptyText(*this, item) && IsMarkerAt(*this, item - 1)) {
      // Enter in an empty list item ends the list first.
      if (IsDeleteProtected(item - 1)) {
        Beep();
        return false;
      }
      BeginUndoSequence(rvutMiscTyping, true);
      StartEdit();
      RemoveMarkerOfPara(item - 1, newItem, newOffs);
      RenumberAfterEdit(lists, newItem);
      ReformatAfterEdit();
      SetCaretItemPos(newItem, newOffs);
      return OnEnterPress(Shift);
    }
    BeginUndoSequence(rvutMiscTyping, true);
    StartEdit();
    if (!EnterAtBoundary(Shift, atParaStart, item, newItem, newOffs)) {
      AbandonEdit();
      Beep();
      return false;
    }
  } else {
    if (para && para->Options.Has(rvpaoReadOnly)) {
      Beep();
      return false;
    }
    int k;
    bool split = false;
    if (offs <= GetOffsBeforeItem(item)) k = item;
    else if (offs >= GetItemEndOffset(item)) k = item + 1;
    else k = item + 1, split = true;
    const TFontInfo *f = split ? TextStyleOf(item) : (k < GetItemCount() ? TextStyleOf(k) : nullptr);
    if ((f && f->Protection.Has(rvprParaStartProtect)) || (split && f && f->Protection.Has(rvprModifyProtect)) ||
        (!split && k >= GetItemCount())) {
      Beep();
      return false;
    }
    BeginUndoSequence(rvutMiscTyping, true);
    StartEdit();
    if (split) {
      const uint8_t opt = GetItem(item)->IsUnicode() ? rvuniUnicodeBit : 0;
      std::string tail = CopyChars(GetItemTextRaw(item), offs, GetItemLength(item) - offs + 1, opt);
      Do_DeleteSubstring(item, offs, -1);
      std::unique_ptr<TCustomRVItemInfo> clone = CloneTextItem(*GetItem(item));
      clone->SetContinuePara(true);
      Do_InsertItem(k, std::move(tail), std::move(clone));
    }
    const int first = GetFirstParaItemNo(k);
    if (Shift) {
      Do_NewLine(k, false, -1);
      Do_BR(k, true);
    } else if (IsMarkerAt(*this, first)) {
      Do_InsertItem(k, std::string(), CopyMarker(*this, first));
      ++k;
    } else {
      Do_NewLine(k, false, -1);
      if (GetItem(k)->GetLineBreakBefore()) Do_BR(k, false);
    }
    newItem = k;
    newOffs = GetOffsBeforeItem(k);
  }
  RenumberAfterEdit(lists, newItem);
  ReformatAfterEdit();
  SetCaretItemPos(newItem, newOffs);
  FinishEditing(true);
  return true;
}

bool TRVEditRVData::EnterAtBoundary(bool Shift, bool AtStart, int ItemNo, int &NewItemNo, int &NewOffs) {
  const TRVStyle *st = GetRVStyle();
  const TParaInfo *para = ParaStyleOf(ItemNo);
  const bool nextHasBR = ItemNo + 1 < GetItemCount() && GetItem(ItemNo + 1)->GetLineBreakBefore();
  if (!Shift && !nextHasBR && st) {
    if (para && para->Options.Has(rvpaoReadOnly)) CurParaStyleNo = para->NextParaNo < 0 ? 0 : para->NextParaNo;
    else if (!AtStart && para && para->NextParaNo >= 0) CurParaStyleNo = para->NextParaNo;
    if (!AtStart && IsTextItem(ItemNo) && GetItemStyle(ItemNo) == CurTextStyleNo) {
      const int next = st->TextStyles().GetTextStyleSafe(CurTextStyleNo)->NextStyleNo;
      if (next >= 0 && next < st->TextStyles().Count()) CurTextStyleNo = next;
    }
  }
  const int style = TextStyleForNewItem();
  TRVTag tag;
  if (IsTextItem(ItemNo) && GetItemStyle(ItemNo) == style) tag = GetItemTag(ItemNo);
  const int paraNo = Shift ? GetItemPara(ItemNo) : CurParaStyleNo;
  const int first = GetFirstParaItemNo(ItemNo);
  const bool listItem = IsMarkerAt(*this, first);
  if (!AtStart) {
    int at = ItemNo + 1;
    if (Shift) {
      InsertNewTextItem(at, std::string(), style, GetItemPara(ItemNo), false, true, tag);
    } else {
      if (listItem) {
        Do_InsertItem(at, std::string(), CopyMarker(*this, first));
        ++at;
      }
      InsertNewTextItem(at, std::string(), style, listItem ? GetItemPara(first) : paraNo, listItem, false, tag);
    }
    NewItemNo = at;
    NewOffs = 1;
    return true;
  }
  if (IsMarkerAt(*this, ItemNo - 1)) {
    const int marker = ItemNo - 1;
    if (Shift) {
      InsertNewTextItem(ItemNo, std::string(), style, GetItemPara(marker), true, false, tag);
      Do_NewLine(ItemNo + 1, false, -1);
      Do_BR(ItemNo + 1, true);
      NewItemNo = ItemNo + 1;
    } else {
      InsertNewTextItem(ItemNo, std::string(), style, GetItemPara(marker), true, false, tag);
      Do_InsertItem(ItemNo + 1, std::string(), CopyMarker(*this, marker));
      Do_NewLine(ItemNo + 2, true, -1);
      NewItemNo = ItemNo + 2;
    }
    NewOffs = GetOffsBeforeItem(NewItemNo);
    return true;
  }
  // At a paragraph start the new item goes before the caret's item.
  const bool pageBreak = GetItem(ItemNo)->GetPageBreakBefore();
  if (Shift) {
    InsertNewTextItem(ItemNo, std::string(), style, GetItemPara(ItemNo), false, false, tag);
    if (pageBreak) {
      SetPageBreakUndoable(ItemNo + 1, false);
      SetPageBreakUndoable(ItemNo, true);
    }
    Do_BR(ItemNo + 1, true);
  } else {
    InsertNewTextItem(ItemNo, std::string(), style, paraNo, false, false, tag);
    if (pageBreak) {
      SetPageBreakUndoable(ItemNo + 1, false);
      SetPageBreakUndoable(ItemNo, true);
    }
  }
  NewItemNo = ItemNo + 1;
  NewOffs = GetOffsBeforeItem(NewItemNo);
  return true;
}

// -------------------------------------------------------------- Backspace

void TRVEditRVData::GiveLineStartToNext(int ItemNo) {
  const TCustomRVItemInfo *item = GetItem(ItemNo);
  if (item->GetContinuePara() || ItemNo + 1 >= GetItemCount() || !GetItem(ItemNo + 1)->GetContinuePara()) return;
  // Done while the item is still there, so that undoing never asks the
  // next one to continue a paragraph from the top of the document.
  Do_NewLine(ItemNo + 1, false, item->ParaNo);
  if (item->GetLineBreakBefore()) Do_BR(ItemNo + 1, true);
  if (item->GetPageBreakBefore()) SetPageBreakUndoable(ItemNo + 1, true);
}

void TRVEditRVData::RemoveMarkerOfPara(int MarkerNo, int &NewItemNo, int &NewOffs) {
  GiveLineStartToNext(MarkerNo);
  Do_DeleteItem(MarkerNo);
  NewItemNo = MarkerNo < GetItemCount() ? MarkerNo : MarkerNo - 1;
  NewOffs = MarkerNo < GetItemCount() ? GetOffsBeforeItem(NewItemNo) : GetItemEndOffset(NewItemNo);
}

void TRVEditRVData::BackspaceAtLineStart(int ItemNo, int &NewItemNo, int &NewOffs, bool &Refused) {
  Refused = false;
  NewItemNo = ItemNo;
  NewOffs = GetOffsBeforeItem(ItemNo);
  if (PageBreakBefore(ItemNo)) {
    Do_PageBreak(ItemNo, false);
    return;
  }
  if (IsMarkerAt(*this, ItemNo - 1)) {
    if (IsDeleteProtected(ItemNo - 1)) {
      Refused = true;
      return;
    }
    RemoveMarkerOfPara(ItemNo - 1, NewItemNo, NewOffs);
    return;
  }
  if (IsEmptyText(*this, ItemNo) && ItemNo > 0) {
    if (IsDeleteProtected(ItemNo)) {
      Refused = true;
      return;
    }
    const int para = GetItemPara(ItemNo);
    const bool br = GetItem(ItemNo)->GetLineBreakBefore();
    const bool pb = GetItem(ItemNo)->GetPageBreakBefore();
    Do_DeleteItem(ItemNo);
    if (ItemNo < GetItemCount() && GetItem(ItemNo)->GetContinuePara()) {
      Do_NewLine(ItemNo, false, para);
      if (br) Do_BR(ItemNo, true);
      if (pb) SetPageBreakUndoable(ItemNo, true);
      NewItemNo = ItemNo;
      NewOffs = GetOffsBeforeItem(ItemNo);
    } else {
      NewItemNo = ItemNo - 1;
      NewOffs = GetItemEndOffset(ItemNo - 1);
    }
    return;
  }
  if (IsEmptyText(*this, ItemNo - 1) && !IsMarkerAt(*this, ItemNo - 2)) {
    if (IsDeleteProtected(ItemNo - 1)) {
      Refused = true;
      return;
    }
    // The caret's line takes the empty one's place in its paragraph.
    GiveLineStartToNext(ItemNo - 1);
    Do_DeleteItem(ItemNo - 1);
    NewItemNo = ItemNo - 1;
    NewOffs = GetOffsBeforeItem(ItemNo - 1);
    return;
  }
  if (IsParaStart(ItemNo) && !CanJoinParas(GetFirstParaItemNo(ItemNo - 1), ItemNo)) {
    Refused = true;
    return;
  }
  Do_NewLine(ItemNo, true, -1);
  if (CanJoinTextItems(ItemNo - 1, GetItem(ItemNo - 1), false, GetItem(ItemNo))) {
    const int len = GetItemLength(ItemNo - 1);
    Do_Concate(ItemNo - 1);
    NewItemNo = ItemNo - 1;
    NewOffs = len + 1;
  }
}

void TRVEditRVData::DeleteItemWhole(int ItemNo, int &NewItemNo, int &NewOffs) {
  TCustomRVItemInfo *item = GetItem(ItemNo);
  const bool afterMarker = IsMarkerAt(*this, ItemNo - 1);
  const bool startsLine = item->IsFromNewLine() || afterMarker;
  const bool nextStartsLine = ItemNo + 1 >= GetItemCount() || GetItem(ItemNo + 1)->IsFromNewLine();
  if (startsLine && nextStartsLine) {
    // The line's only item: an empty one keeps the line alive.
    InsertNewTextItem(ItemNo, std::string(), TextStyleForNewItem(), item->ParaNo, item->GetContinuePara(),
                      item->GetLineBreakBefore(), item->Tag);
    if (item->GetPageBreakBefore()) SetPageBreakUndoable(ItemNo, true);
    if (item->Checkpoint) Do_MoveCP(ItemNo + 1, ItemNo);
    Do_DeleteItem(ItemNo + 1);
    NewItemNo = ItemNo;
    NewOffs = 1;
    return;
  }
  const bool started = item->IsFromNewLine();
  // A persistent checkpoint stays in its paragraph when it can.
  MovePersistentCheckpoint(ItemNo, false);
  GiveLineStartToNext(ItemNo);
  Do_DeleteItem(ItemNo);
  if (started) {
    NewItemNo = ItemNo;
    NewOffs = GetOffsBeforeItem(ItemNo);
    return;
  }
  NewItemNo = ItemNo - 1;
  NewOffs = GetItemEndOffset(ItemNo - 1);
  if (ItemNo < GetItemCount() && CanJoinTextItems(ItemNo - 1, GetItem(ItemNo - 1), false, GetItem(ItemNo)))
    Do_Concate(ItemNo - 1);
}

bool TRVEditRVData::OnBackSpacePressed(bool Ctrl, bool WholeChar, bool Repeated) {
  int item, offs;
  if (!GetCaretItemPos(item, offs)) return false;
  const TListsBefore lists = ListsBeforeEdit(item, item);
  const TParaInfo *para = ParaStyleOf(item);
  if (para && para->Options.Has(rvpaoReadOnly)) {
    Beep();
    return false;
  }
  const bool lineStart = CaretAtLineStart() && offs <= GetOffsBeforeItem(item);
  if (lineStart) {
    if (item == 0) return false;
    if (GetItem(item)->GetFlag(rvbpFullWidth) || GetItem(item - 1)->GetFlag(rvbpFullWidth)) {
      MoveCaretLeft(false, false);
      return true;
    }
    if (GetItem(item)->GetContinuePara() && !IsMarkerAt(*this, item - 1)) {
      // The line wrapped between two items: the character before the wrap
      // is the previous line's.
      int first, last;
      GetScreenLineRange(CharEnds[size_t(CaretOffs)].DrawItemNo, first, last);
      if (first == 0) return false;
      CaretDrawItemNo = first - 1;
      PrepareCaretLine(INT_MAX / 2);
      return OnBackSpacePressed(Ctrl, WholeChar, true);
    }
  }
  // Refusals that come before anything changes.
  const bool inText = IsTextItem(item) && offs > GetOffsBeforeItem(item);
  if (inText) {
    const TFontInfo *f = TextStyleOf(item);
    if (f && f->Protection.Has(rvprModifyProtect)) {
      Beep();
      return false;
    }
  } else if (!lineStart && !(IsTextItem(item)) && offs == 1 && IsDeleteProtected(item)) {
    Beep();
    return false;
  }
  BeginUndoSequence(rvutDelete, true);
  StartEdit();
  int newItem = item, newOffs = offs;
  bool refused = false;
  if (lineStart) {
    BackspaceAtLineStart(item, newItem, newOffs, refused);
  } else if (inText) {
    const uint8_t opt = GetItem(item)->IsUnicode() ? rvuniUnicodeBit : 0;
    const std::string &text = GetItemTextRaw(item);
    // Never a part of a character: the cluster before the caret (or just
    // its last combining mark), and a word starts at a character's start.
    int count = offs - BackspaceStartOffs(text, offs, opt);
    if (Ctrl) {
      int i = offs - 2;
      while (i >= 1 && !(IsSpaceAt(text, i, opt) && !IsSpaceAt(text, i + 1, opt))) --i;
      const int cluster = offs - GetPrevCharOffset(item, offs);
      count = std::max(cluster, offs - CharBoundaryAtOrBefore(text, i + 1, opt));
    } else if (WholeChar) {
      count = offs - GetPrevCharOffset(item, offs);
    }
    count = std::max(1, std::min(count, offs - 1));
    if (count >= GetItemLength(item)) {
      if (IsDeleteProtected(item)) refused = true;
      else DeleteItemWhole(item, newItem, newOffs);
    } else {
      Do_DeleteSubstring(item, offs - count, count);
      newOffs = offs - count;
    }
  } else if (!IsTextItem(item) && offs == 1) {
    DeleteItemWhole(item, newItem, newOffs);
  }
  (void)Repeated;
  if (refused) {
    AbandonEdit();
    Beep();
    return false;
  }
  RenumberAfterEdit(lists, newItem);
  ReformatAfterEdit();
  SetCaretItemPos(newItem, newOffs);
  FinishEditing(true);
  return true;
}

// ----------------------------------------------------------------- Delete

void TRVEditRVData::JoinWithNextLine(int ItemNo, int &NewItemNo, int &NewOffs, bool &Refused) {
  Refused = false;
  NewItemNo = ItemNo;
  NewOffs = GetItemEndOffset(ItemNo);
  const int next = ItemNo + 1;
  if (IsEmptyText(*this, ItemNo) && !IsMarkerAt(*this, ItemNo - 1)) {
    if (IsDeleteProtected(ItemNo)) {
      Refused = true;
      return;
    }
    const bool started = !GetItem(ItemNo)->GetContinuePara();
    const bool nextIsMarker = IsMarkerAt(*this, next);
    if (started && !nextIsMarker) {
      // The next line moves up into the empty line's place.
      const TCustomRVItemInfo *item = GetItem(ItemNo);
      Do_NewLine(next, false, item->ParaNo);
      Do_BR(next, item->GetLineBreakBefore());
      if (item->GetPageBreakBefore()) SetPageBreakUndoable(next, true);
    }
    Do_DeleteItem(ItemNo);
    if (started && !nextIsMarker) {
      NewItemNo = ItemNo;
      NewOffs = GetOffsBeforeItem(ItemNo);
    } else if (started) {
      NewItemNo = ItemNo + 1;
      NewOffs = GetOffsBeforeItem(ItemNo + 1);
    } else {
      NewItemNo = ItemNo - 1;
      NewOffs = GetItemEndOffset(ItemNo - 1);
    }
    return;
  }
  if (IsEmptyText(*this, next)) {
    if (IsDeleteProtected(next)) {
      Refused = true;
      return;
    }
    if (IsParaStart(next) && !CanJoinParas(GetFirstParaItemNo(ItemNo), next)) {
      Refused = true;
      return;
    }
    const bool started = !GetItem(next)->GetContinuePara();
    const int para = GetItemPara(next);
    const bool br = GetItem(next)->GetLineBreakBefore();
    Do_DeleteItem(next);
    if (started && next < GetItemCount() && GetItem(next)->GetContinuePara()) {
      Do_NewLine(next, false, para);
      if (br) Do_BR(next, true);
    }
    return;
  }
  if (IsParaStart(next) && !CanJoinParas(GetFirstParaItemNo(ItemNo), next)) {
    Refused = true;
    return;
  }
  int joinAt = next;
  if (IsMarkerAt(*this, next)) {
    Do_DeleteItem(next);
    if (next >= GetItemCount()) return;
  }
  if (!CanShareLine(joinAt)) return;
  Do_NewLine(joinAt, true, -1);
  if (CanJoinTextItems(ItemNo, GetItem(ItemNo), false, GetItem(joinAt))) Do_Concate(ItemNo);
}

bool TRVEditRVData::OnDelPressed(bool Ctrl, bool Repeated) {
  int item, offs;
  if (!GetCaretItemPos(item, offs)) return false;
  const TParaInfo *para = ParaStyleOf(item);
  if (para && para->Options.Has(rvpaoReadOnly)) {
    Beep();
    return false;
  }
  const bool atItemEnd = offs >= GetItemEndOffset(item);
  if (CaretAtLineEnd() && atItemEnd) {
    if (GetItem(item)->GetFlag(rvbpFullWidth) ||
        (item + 1 < GetItemCount() && GetItem(item + 1)->GetFlag(rvbpFullWidth) && !IsEmptyText(*this, item))) {
      MoveCaretRight(false, false);
      return true;
    }
    if (item == GetItemCount() - 1) {
      if (IsEmptyText(*this, item)) return OnBackSpacePressed(false, false, false);
      return false;
    }
    if (GetItem(item + 1)->GetContinuePara()) {
      int first, last;
      GetScreenLineRange(CharEnds[size_t(CaretOffs)].DrawItemNo, first, last);
      if (last + 1 >= DrawLines.Count()) return false;
      CaretDrawItemNo = last + 1;
      PrepareCaretLine(-1);
      return OnDelPressed(Ctrl, true);
    }
    const TListsBefore lists = ListsBeforeEdit(item, item + 1);
    BeginUndoSequence(rvutDelete, true);
    StartEdit();
    int newItem = item, newOffs = offs;
    bool refused = false;
    JoinWithNextLine(item, newItem, newOffs, refused);
    if (refused) {
      AbandonEdit();
      Beep();
      return false;
    }
    RenumberAfterEdit(lists, newItem);
    ReformatAfterEdit();
    SetCaretItemPos(newItem, newOffs);
    FinishEditing(true);
    return true;
  }
  // Backspace's group takes the place of this empty one and keeps its caret.
  BeginUndoSequence(rvutDelete, true);
  if (!CaretAtLineEnd()) {
    ++CaretOffs;
    CaretDrawItemNo = CharEnds[size_t(CaretOffs)].DrawItemNo;
    return OnBackSpacePressed(false, true, false);
  }
  // The caret is at a wrap inside a text item.
  int first, last;
  GetScreenLineRange(CharEnds[size_t(CaretOffs)].DrawItemNo, first, last);
  if (last + 1 >= DrawLines.Count()) return false;
  const TRVDrawLineInfo *a = DrawLines.Items(last);
  const TRVDrawLineInfo *b = DrawLines.Items(last + 1);
  CaretDrawItemNo = last + 1;
  PrepareCaretLine(-1);
  if (b->ItemNo == a->ItemNo && b->Offs == a->Offs + a->Length) return OnDelPressed(false, true);
  (void)Repeated;
  return OnBackSpacePressed(false, true, false);
}

// -------------------------------------------------------- paragraph style

void TRVEditRVData::ApplyParaStyle(int ParaNo) {
  if (ApplyToSelectedCells(1, ParaNo)) return;
  ApplyToSelectedParas([&](int First, int Last) {
    Do_Para(First, Last, ParaNo);
    return true;
  });
}

bool TRVEditRVData::ApplyToSelectedParas(const std::function<bool(int First, int Last)> &Apply) {
  int a, ao, b, bo;
  if (SelectionExists()) {
    GetSelectionItemBoundsRaw(true, a, ao, b, bo);
  } else {
    if (!GetCaretItemPos(a, ao)) return false;
    b = a;
  }
  int caretItem = a, caretOffs = ao;
  GetCaretItemPos(caretItem, caretOffs);
  const bool hadSelection = SelectionExists();
  int sa = 0, sao = 0, sb = 0, sbo = 0;
  if (hadSelection) GetSelectionItemBoundsRaw(false, sa, sao, sb, sbo);
  int first, last;
  ExpandToPara(a, b, first, last);
  BeginUndoSequence(rvutPara, true);
  StartEdit();
  State |= rvstApplyingParaStyle;
  const bool changed = Apply(first, last);
  ReformatAfterEdit();
  State &= ~rvstApplyingParaStyle;
  UndoList->RemoveEmptyLastGroup();
  SetCaretItemPos(caretItem, caretOffs);
  if (hadSelection) SetSelectionFromItems(sa, sao, sb, sbo);
  // Nothing changed: what could be redone still can.
  FinishEditing(changed);
  return changed;
}

} // namespace kc
