// The editor document: construction, the undo destination switch, and the
// bookkeeping that lets an edit reformat only what it touched.
#include "richtext/controls/RVERVData.h"

#include "richtext/controls/RVTableUndo.h"

#include <algorithm>
#include <climits>
#include <utility>

namespace kc {

TRVEditRVData::TRVEditRVData(TRVFormatHost *Host)
    : TRVControlData(Host), UndoList(std::make_unique<TRVUndoList>(this)),
      RedoList(std::make_unique<TRVUndoList>(this)) {
  TabNavigation = rvtnNone;
  // Tables in this document reach the editor through its host.
  RVRegisterEditTableHost();
}

TRVEditRVData::~TRVEditRVData() {
  // Records may hold items whose destruction asks the document; they go
  // while it still exists.
  UndoList.reset();
  RedoList.reset();
  CharEnds.clear();
}

void TRVEditRVData::ClearFormatting() {
  CharEnds.clear();
  CaretDrawItemNo = -1;
  CaretOffs = -1;
  Resizer.reset();
  SavedTag.Clear();
  TRVControlData::ClearFormatting();
}

void TRVEditRVData::Clear() {
  TRVControlData::Clear();
  UndoList->Clear();
  RedoList->Clear();
  RememberedTextStyleNo = 0;
  CurTextStyleNo = 0;
  CurParaStyleNo = 0;
  DoCurStyleChange();
  State |= rvstClearedDocument;
}

void TRVEditRVData::ReformatAll(bool KeepView, bool Force, bool NoScroll, int Depth, TCanvas *Canvas, bool Append,
                                bool ItemFlag) {
  int item = -1, offs = 0;
  const bool hadCaret = !FEdit.Active && GetCaretItemPos(item, offs);
  TRVControlData::ReformatAll(KeepView, Force, NoScroll, Depth, Canvas, Append, ItemFlag);
  if (Depth != 0 || FEdit.Active || DrawLines.Count() == 0) return;
  if (hadCaret && item < GetItemCount()) SetCaretItemPos(item, offs, false);
  else if (CaretDrawItemNo < 0) SetCaretItemPos(0, GetOffsBeforeItem(0), false);
}

// ------------------------------------------------------------------ undo

TRVUndoList *TRVEditRVData::GetUndoDest() const {
  switch (UndoDest) {
  case rvudUndo: return UndoList->Limit == 0 ? nullptr : UndoList.get();
  case rvudRedo: return RedoList.get();
  default: return nullptr;
  }
}

void TRVEditRVData::BeginUndoSequence(uint8_t UndoType, bool FoldNested) {
  BeginNamedUndoSequence(UndoType, std::string(), FoldNested);
}

void TRVEditRVData::BeginNamedUndoSequence(uint8_t UndoType, const std::string &Caption, bool FoldNested) {
  if (FoldNested) FoldNestedUndo();
  int item = -1, offs = -1;
  GetCaretItemPos(item, offs);
  UndoDest = UndoList->BeginUndoGroup(UndoType, Caption, item, offs) ? rvudUndo : rvudNone;
}

void TRVEditRVData::BeginRedoSequence(uint8_t UndoType, const std::string &Caption) {
  int item = -1, offs = -1;
  GetCaretItemPos(item, offs);
  UndoDest = RedoList->BeginUndoGroup(UndoType, Caption, item, offs) ? rvudRedo : rvudNone;
}

void TRVEditRVData::FoldNestedUndo() {
  if (State & rvstFoldingNestedUndo) return;
  State |= rvstFoldingNestedUndo;
  struct Done {
    TRVEditRVData *D;
    ~Done() { D->State &= ~rvstFoldingNestedUndo; }
  } done{this};
  int item = -1;
  if (TRVEditRVData *nested = GetNestedEditData(item); nested && nested != this) FoldUndoFrom(*nested, item);
}

void TRVEditRVData::FoldUndoFrom(TRVEditRVData &Nested, int ItemNo,
                                 const std::function<std::unique_ptr<TRVCompositeUndo>()> &MakeRecord) {
  // Undoing the folded history puts this document's caret on the item
  // that owns the nested editor; positions inside that editor mean nothing
  // here.
  int caretItem = ItemNo, caretOffs = ItemNo >= 0 && ItemNo < GetItemCount() ? GetOffsBeforeItem(ItemNo) : -1;
  if (ItemNo < 0) GetCaretItemPos(caretItem, caretOffs);
  auto fold = [&](std::unique_ptr<TRVUndoList> &From, TRVUndoList &To, bool Redo) {
    if (From->Count() == 0) {
      To.RemoveEmptyLastGroup();
      return;
    }
    // A group of its own even in group mode: the record is performed
    // alone, one nested group at a time.
    const int32_t groupMode = To.GroupModeCount;
    To.GroupModeCount = 0;
    const bool open = To.BeginUndoGroup(rvutModifyItem, std::string(), caretItem, caretOffs);
    To.GroupModeCount = groupMode;
    auto fresh = std::make_unique<TRVUndoList>(&Nested);
    fresh->Limit = From->Limit;
    std::unique_ptr<TRVUndoList> history = std::exchange(From, std::move(fresh));
    if (!open) return; // nothing is recorded here: the nested history goes
    std::unique_ptr<TRVCompositeUndo> rec = MakeRecord ? MakeRecord() : MakeNestedUndoRecord(Nested, ItemNo);
    rec->ItemNo = ItemNo;
    rec->IsRedo = Redo;
    rec->UndoList = std::move(history);
    To.AddUndoRecord(std::move(rec));
  };
  fold(Nested.UndoList, *UndoList, false);
  fold(Nested.RedoList, *RedoList, true);
}

void TRVEditRVData::SetUndoGroupMode(bool GroupUndo) {
  if (GroupUndo) ++UndoList->GroupModeCount;
  else if (UndoList->GroupModeCount > 0) --UndoList->GroupModeCount;
}

bool TRVEditRVData::Undo() {
  CloseCellEditorForUndo();
  // An action that was refused after it opened its group left it empty.
  UndoList->RemoveEmptyLastGroup();
  if (UndoList->Count() == 0 || UndoList->CurrentAction() == rvutNone) {
    Beep();
    return false;
  }
  UndoList->PerformUndo(*this);
  EditFinished(false);
  return true;
}

bool TRVEditRVData::Redo() {
  CloseCellEditorForUndo();
  RedoList->RemoveEmptyLastGroup();
  if (RedoList->Count() == 0 || RedoList->CurrentAction() == rvutNone) {
    Beep();
    return false;
  }
  RedoList->PerformRedo(*this);
  UndoDest = rvudNone;
  EditFinished(false);
  return true;
}

void TRVEditRVData::FinishEditing(bool ClearRedo) {
  UndoDest = rvudNone;
  if (ClearRedo) RedoList->Clear();
  EditFinished(ClearRedo);
}

bool TRVEditRVData::ModifyItemIntProperties(int ItemNo, const std::vector<std::string> &PropNames,
                                            const std::vector<int32_t> &Values) {
  if (ItemNo < 0 || ItemNo >= GetItemCount()) return false;
  int caretItem = -1, caretOffs = -1;
  const bool hadCaret = GetCaretItemPos(caretItem, caretOffs);
  BeginUndoSequence(rvutModifyItem, true);
  StartEdit();
  // The run is bracketed so that undoing it is judged as one change.
  AddModifyItemTerminator(ItemNo, true);
  if (!SetItemIntPropertiesUndoable(ItemNo, nullptr, PropNames, Values)) {
    // Nothing changed: the bracket that was opened goes again.
    if (TRVUndoList *dest = GetUndoDest()) {
      auto &records = dest->LastGroup()->Records;
      if (!records.empty() && dynamic_cast<TRVUndoModifyItemTerminator *>(records.back().get())) records.pop_back();
    }
    AbandonEdit();
    if (hadCaret) SetCaretItemPos(caretItem, caretOffs);
    return false;
  }
  AddModifyItemTerminator(ItemNo, false);
  ReformatAfterEdit();
  if (hadCaret) SetCaretItemPos(caretItem, caretOffs);
  FinishEditing(true);
  return true;
}

// ------------------------------------------------------------ reformatting

void TRVEditRVData::StartEdit() {
  if (FEdit.Active) return;
  FEdit = TEditRange{};
  FEdit.Active = true;
  FEdit.CountBefore = GetItemCount();
  FEdit.Head = INT_MAX;
  FEdit.Tail = INT_MAX;
  ClearSelection(false);
}

void TRVEditRVData::TouchItems(int FirstItemNo, int LastItemNo) {
  if (!FEdit.Active) StartEdit();
  FEdit.Head = std::min(FEdit.Head, std::max(0, FirstItemNo));
  FEdit.Tail = std::min(FEdit.Tail, std::max(0, GetItemCount() - 1 - std::max(LastItemNo, FirstItemNo - 1)));
}

int TRVEditRVData::RangeMinWidth(int FirstItemNo, int LastItemNo) {
  TCanvas *canvas = GetCanvas();
  if (!canvas || !GetRVStyle() || GetItemCount() == 0) return 0;
  FirstItemNo = std::clamp(FirstItemNo, 0, GetItemCount() - 1);
  LastItemNo = std::clamp(LastItemNo, FirstItemNo, GetItemCount() - 1);
  TRVScreenAndDevice sad;
  GetFormatResolution(*canvas, sad);
  const TRVScreenAndDevice *ratio =
      (sad.ppixScreen == sad.ppixDevice && sad.ppiyScreen == sad.ppiyDevice) ? nullptr : &sad;
  int best = CalcParaMinWidth(FirstItemNo, ratio, *canvas);
  for (int i = FirstItemNo + 1; i <= LastItemNo; ++i)
    if (IsParaStart(i)) best = std::max(best, CalcParaMinWidth(i, ratio, *canvas));
  return best;
}

int TRVEditRVData::WidthBefore(int FirstItemNo, int LastItemNo) {
  if (MinWidth <= FixedDocumentWidth()) return kWidthNotMeasured;
  return RangeMinWidth(FirstItemNo, LastItemNo);
}

void TRVEditRVData::NoteWidthChange(int OldWidth, int NewWidth) {
  if (OldWidth == kWidthNotMeasured) {
    // Every paragraph fitted: only one that no longer fits moves anything.
    if (NewWidth > FixedDocumentWidth()) FEdit.Full = true;
  } else if (OldWidth != NewWidth && !(OldWidth < MinWidth && NewWidth < MinWidth)) {
    FEdit.Full = true;
  }
  FEdit.MaxNewWidth = std::max(FEdit.MaxNewWidth, NewWidth);
}

int TRVEditRVData::FixedDocumentWidth() const {
  TCanvas *canvas = GetCanvas();
  if (!canvas) return 0;
  TRVScreenAndDevice sad;
  GetFormatResolution(*canvas, sad);
  auto hs = [&](int v) { return MulDiv(v, sad.ppixDevice, sad.ppixScreen); };
  return std::max(RVSatAdd(GetWidth(), -int64_t(hs(GetLeftMargin())) - hs(GetRightMargin())), hs(GetMinTextWidth()));
}

void TRVEditRVData::AbandonEdit() {
  FEdit.Active = false;
  UndoList->RemoveEmptyLastGroup();
  UndoDest = rvudNone;
}

void TRVEditRVData::ReformatAfterEdit() {
  if (!FEdit.Active) return;
  TEditRange e = FEdit;
  FEdit.Active = false;
  // The caret's draw line is gone with the old lines; the operation places
  // it again.
  CaretDrawItemNo = CaretOffs = -1;
  CharEnds.clear();
  const int n = DrawLines.Count();
  if (e.Head == INT_MAX && !e.WholeDoc) return;
  bool whole = e.WholeDoc || n == 0 || e.CountBefore == 0 || GetItemCount() == 0;
  if (!whole && e.MeasureTouched && e.Tail != INT_MAX) {
    const int count = GetItemCount();
    e.Full = true;
    e.MaxNewWidth = std::max(e.MaxNewWidth, RangeMinWidth(std::min(e.Head, count - 1), count - 1 - e.Tail));
  }
  // While every paragraph fits the width the document has anyway, its
  // minimal width decides nothing: the lines stay as a whole pass makes
  // them, and the document is not measured whole on every keystroke.
  if (!whole && e.Full && MinWidth <= FixedDocumentWidth() && e.MaxNewWidth <= FixedDocumentWidth()) e.Full = false;
  if (!whole && e.Full) {
    TCanvas *canvas = GetCanvas();
    if (canvas && GetRVStyle()) {
      TRVScreenAndDevice sad;
      GetFormatResolution(*canvas, sad);
      const TRVScreenAndDevice *ratio =
          (sad.ppixScreen == sad.ppixDevice && sad.ppiyScreen == sad.ppiyDevice) ? nullptr : &sad;
      whole = CalcDocumentMinWidth(ratio, *canvas) != MinWidth;
    }
  }
  if (whole) {
    FEdit.Active = true; // keeps the caret from being restored from old lines
    ReformatAll(false, true, true, 0, nullptr, false, false);
    FEdit.Active = false;
    InvalidateRectInControl(TRect{0, 0, GetWidth(), GetHeight()});
    return;
  }
  const int delta = GetItemCount() - e.CountBefore;
  const int head = std::min(e.Head, e.CountBefore);
  const int firstDL = head == 0 ? 0 : FirstDrawLineOfItem(head - 1);
  int lastDL = n - 1;
  // The lines of a paragraph move with any of its items (a line-break item
  // keeps the list indent of the marker that opens its paragraph), so the
  // touched range runs to the end of its last paragraph.
  const int count = GetItemCount();
  if (e.Tail != INT_MAX) {
    const int lastTouched = std::clamp(count - 1 - e.Tail, 0, count - 1);
    e.Tail = count - 1 - GetParaEndItemNo(lastTouched);
  }
  if (e.Tail > 0 && e.Tail != INT_MAX) {
    // The first item of the untouched tail, in the new numbering.
    const int next = GetItemCount() - e.Tail;
    const int dl = FirstDrawLineOfItem(next);
    if (dl >= 0 && dl < n) lastDL = dl;
  }
  FormatParagraphs(std::max(0, firstDL), std::max(firstDL, lastDL), delta);
}

// --------------------------------------------------------------- queries

const TFontInfo *TRVEditRVData::TextStyleOf(int ItemNo) const {
  const TRVStyle *st = GetRVStyle();
  if (!st || !IsTextItem(ItemNo)) return nullptr;
  return st->TextStyles().GetTextStyleSafe(GetItemStyle(ItemNo));
}

const TParaInfo *TRVEditRVData::ParaStyleOf(int ItemNo) const {
  const TRVStyle *st = GetRVStyle();
  return st ? st->ParaStyles().GetParaStyleSafe(GetItemPara(ItemNo)) : nullptr;
}

bool TRVEditRVData::IsDeleteProtected(int ItemNo) const {
  if (const TFontInfo *f = TextStyleOf(ItemNo)) return f->Protection.Has(rvprDeleteProtect);
  if (IsTextItem(ItemNo)) return false;
  if (auto *nt = dynamic_cast<const TRVNonTextItemInfo *>(GetItem(ItemNo))) return nt->DeleteProtect;
  return false;
}

bool TRVEditRVData::CanShareLine(int ItemNo) const {
  return ItemNo > 0 && ItemNo < GetItemCount() && !GetItem(ItemNo)->GetFlag(rvbpFullWidth) &&
         !GetItem(ItemNo - 1)->GetFlag(rvbpFullWidth) && GetItemStyle(ItemNo) != rvsListMarker;
}

bool TRVEditRVData::HasPersistentCP(int ItemNo) const {
  if (ItemNo < 0 || ItemNo >= GetItemCount()) return false;
  const TRVCPInfo *cp = GetItemCheckpoint(ItemNo);
  return cp && cp->Persistent;
}

bool TRVEditRVData::ParaHasPersistentCheckpoint(int ItemNo) const {
  for (int i = ItemNo; i >= 0; --i) {
    if (HasPersistentCP(i)) return true;
    if (IsParaStart(i)) break;
  }
  for (int i = ItemNo + 1; i < GetItemCount() && !IsParaStart(i); ++i)
    if (HasPersistentCP(i)) return true;
  return false;
}

bool TRVEditRVData::MovePersistentCheckpoint(int ItemNo, bool PreferPrev) {
  if (!HasPersistentCP(ItemNo)) return true;
  if (!PreferPrev && ItemNo + 1 < GetItemCount() && !IsParaStart(ItemNo + 1) && !HasPersistentCP(ItemNo + 1)) {
    Do_MoveCP(ItemNo, ItemNo + 1);
    return true;
  }
  if (ItemNo > 0 && !IsParaStart(ItemNo) && !HasPersistentCP(ItemNo - 1)) {
    Do_MoveCP(ItemNo, ItemNo - 1);
    return true;
  }
  return false;
}

int TRVEditRVData::TextStyleForNewItem() const {
  const TRVStyle *st = GetRVStyle();
  const TFontInfo *f = st ? st->TextStyles().GetTextStyleSafe(CurTextStyleNo) : nullptr;
  if (!f || f->Protection.Has(rvprModifyProtect)) return 0;
  return CurTextStyleNo;
}

} // namespace kc
