// Deleting the selection as one undoable step, after the protection of
// items, text styles and paragraphs has been asked.
#include "richtext/controls/RVERVData.h"

namespace kc {

bool TRVEditRVData::CanDeleteSelection() {
  if (!SelectionExists()) return true;
  int si, so, ei, eo;
  GetSelectionItemBoundsRaw(true, si, so, ei, eo);
  for (int i = si + 1; i < ei; ++i)
    if (IsDeleteProtected(i)) return false;
  auto partAllowed = [&](int i, int from, int to) {
    const int b = GetOffsBeforeItem(i), e = GetItemEndOffset(i);
    if (from >= to || to <= b || from >= e) return true;
    const bool whole = from <= b && to >= e;
    if (!IsTextItem(i)) return !IsDeleteProtected(i);
    const TFontInfo *f = TextStyleOf(i);
    if (!f) return true;
    return whole ? !f->Protection.Has(rvprDeleteProtect) : !f->Protection.Has(rvprModifyProtect);
  };
  if (si == ei) {
    if (!partAllowed(si, so, eo)) return false;
  } else if (!partAllowed(si, so, GetItemEndOffset(si)) || !partAllowed(ei, GetOffsBeforeItem(ei), eo)) {
    return false;
  }
  auto readOnly = [&](int i) {
    const TParaInfo *p = ParaStyleOf(i);
    return p && p->Options.Has(rvpaoReadOnly);
  };
  if (readOnly(si) && !(IsParaStart(si) && so <= GetOffsBeforeItem(si))) return false;
  if (readOnly(ei) && !(eo >= GetItemEndOffset(ei) && (ei + 1 >= GetItemCount() || IsParaStart(ei + 1)))) return false;
  if (const TRVStyle *st = GetRVStyle();
      st && st->ParaStyles().GetParaStyleSafe(CurParaStyleNo)->Options.Has(rvpaoReadOnly))
    return false;
  // A paragraph start that goes takes its paragraph into the one before:
  // no persistent checkpoint may be in what joins.
  for (int k = si + 1; k <= ei; ++k) {
    if (!IsParaStart(k)) continue;
    for (int i = k; i <= ei; ++i)
      if (HasPersistentCP(i)) return false;
    for (int i = ei + 1; i < GetItemCount() && !IsParaStart(i); ++i)
      if (HasPersistentCP(i)) return false;
    break;
  }
  return true;
}

// One persistent checkpoint of what goes is rescued.
void TRVEditRVData::RescueCheckpoint(int si, int so, int ei, int eo) {
  int rescued = -1;
  if (so < GetItemEndOffset(si) && HasPersistentCP(si)) {
    rescued = si;
  } else {
    bool paraStartBetween = false;
    for (int k = si + 1; k < ei; ++k) {
      if (IsParaStart(k)) {
        paraStartBetween = true;
        break;
      }
      if (HasPersistentCP(k)) {
        rescued = k;
        break;
      }
    }
    if (ei > si && IsParaStart(ei)) paraStartBetween = true;
    if (rescued < 0 && !paraStartBetween && ei > si && eo >= GetItemEndOffset(ei) && HasPersistentCP(ei)) rescued = ei;
  }
  int target = si;
  if (so <= GetOffsBeforeItem(si) && GetItem(si)->GetContinuePara() && si > 0) target = si - 1;
  if (rescued > target) Do_MoveCP(rescued, target);
}

void TRVEditRVData::DeleteWholeStartItem(int si, bool Join, bool KeepEmpty, int &CaretItem, int &CaretOffs) {
  TCustomRVItemInfo *start = GetItem(si);
  const bool afterMarker = si > 0 && GetItemStyle(si - 1) == rvsListMarker;
  if (KeepEmpty && (!start->GetContinuePara() || afterMarker)) {
    // A deletion never takes the last item of a paragraph that stays.
    InsertNewTextItem(si, std::string(), TextStyleForNewItem(), start->ParaNo, start->GetContinuePara(),
                      start->GetLineBreakBefore(), TRVTag());
    if (start->GetPageBreakBefore()) SetPageBreakUndoable(si, true);
    if (HasPersistentCP(si + 1)) Do_AddCP(si, GetItemCheckpoint(si + 1)->CreateCopy(TagsArePChars()));
    Do_DeleteItem(si + 1);
    CaretItem = si;
    CaretOffs = 1;
    return;
  }
  MovePersistentCheckpoint(si, false);
  const bool started = !start->GetContinuePara();
  if (started && si + 1 < GetItemCount() && GetItem(si + 1)->GetContinuePara()) {
    // The next item starts the paragraph; given while the start item is
    // still there, so that undoing never makes an item continue from the
    // top of the document.
    const TFontInfo *f = TextStyleOf(si + 1);
    Do_NewLine(si + 1, false, start->ParaNo);
    if (start->GetLineBreakBefore() && !(si != 0 && f && f->Protection.Has(rvprParaStartProtect))) Do_BR(si + 1, true);
  }
  Do_DeleteItem(si);
  if (!started || si >= GetItemCount()) {
    CaretItem = si - 1;
    CaretOffs = GetItemEndOffset(si - 1);
    if (Join && si < GetItemCount() && CanShareLine(si)) Do_NewLine(si, true, -1);
  } else {
    CaretItem = si;
    CaretOffs = GetOffsBeforeItem(si);
  }
}

// The two items that meet at the caret are one when they can be.
void TRVEditRVData::JoinAtCaret(int &CaretItem, int &CaretOffs) {
  if (!IsTextItem(CaretItem)) return;
  if (CaretOffs >= GetItemEndOffset(CaretItem) && CaretItem + 1 < GetItemCount() &&
      CanJoinTextItems(CaretItem, GetItem(CaretItem), false, GetItem(CaretItem + 1))) {
    Do_Concate(CaretItem);
  } else if (CaretOffs <= GetOffsBeforeItem(CaretItem) && CaretItem > 0 &&
             CanJoinTextItems(CaretItem - 1, GetItem(CaretItem - 1), false, GetItem(CaretItem))) {
    const int len = GetItemLength(CaretItem - 1);
    Do_Concate(CaretItem - 1);
    --CaretItem;
    CaretOffs += len;
  }
}

bool TRVEditRVData::DeleteSelection() {
  if (!SelectionExists()) return true;
  if (!CanDeleteSelection()) {
    Beep();
    return false;
  }
  int si, so, ei, eo;
  GetSelectionItemBoundsRaw(true, si, so, ei, eo);
  const TListsBefore lists = ListsBeforeEdit(si, ei);
  BeginUndoSequence(rvutDelete, true);
  StartEdit();
  if (IsTextItem(si) && GetItemStyle(si) == CurTextStyleNo) SavedTag = CopyTag(GetItemTag(si), TagsArePChars());
  // An end at the very start of an item that continues the line is the end
  // of the item before it: that item is not touched.
  if (ei > si && eo <= GetOffsBeforeItem(ei) && GetItem(ei)->GetContinuePara()) {
    --ei;
    eo = GetItemEndOffset(ei);
  }
  if (si == ei && so >= eo) {
    // Both ends name one place: nothing is selected after all.
    AbandonEdit();
    ClearSelection(false);
    return true;
  }

  RescueCheckpoint(si, so, ei, eo);

  bool join = false, keepEmpty = false;
  if (si != ei) {
    if (eo < GetItemEndOffset(ei)) {
      if (IsTextItem(ei) && eo > 1) Do_DeleteSubstring(ei, 1, eo - 1);
      join = true;
    } else {
      Do_DeleteItem(ei);
      keepEmpty = ei >= GetItemCount() || IsParaStart(ei);
    }
    Do_DeleteItems(si + 1, ei - 1);
  } else {
    keepEmpty = si + 1 >= GetItemCount() || IsParaStart(si + 1);
  }

  const int partEnd = si == ei ? eo : GetItemEndOffset(si);
  const bool startWhole = so <= GetOffsBeforeItem(si) && partEnd >= GetItemEndOffset(si);
  int caretItem = si, caretOffs = so;
  if (!startWhole) {
    if (IsTextItem(si) && partEnd > so) Do_DeleteSubstring(si, so, partEnd - so);
    if (join && si + 1 < GetItemCount() && CanShareLine(si + 1)) Do_NewLine(si + 1, true, -1);
  } else {
    DeleteWholeStartItem(si, join, keepEmpty, caretItem, caretOffs);
  }

  // What followed the selection may now stand behind an item that fills its
  // line: it starts a line of its own there.
  for (int x = si; x <= si + 1; ++x)
    if (x > 0 && x < GetItemCount() && GetItem(x)->GetContinuePara() && !CanShareLine(x)) Do_NewLine(x, false, -1);
  JoinAtCaret(caretItem, caretOffs);
  RenumberAfterEdit(lists, caretItem);
  ReformatAfterEdit();
  SetCaretItemPos(caretItem, caretOffs);
  FinishEditing(true);
  return true;
}

} // namespace kc
