// Text and paragraph style conversions over the selection, the editor's
// styles after a style-sheet clean-up, and exports that need jump mode.
#include <algorithm>

#include "richtext/controls/RVERVData.h"
#include "richtext/document/CRVDataFormats.h"
#include "richtext/document/RVUni.h"

namespace kc {

bool TRVEditRVData::ConvertItemStyle(int ItemNo, int UserData) {
  const TRVStyle *st = GetRVStyle();
  if (!st || !IsTextItem(ItemNo)) return false;
  const int old = GetItemStyle(ItemNo);
  const int now = ConvertTextStyle(old, UserData, true);
  if (now == old || now < 0 || now >= st->TextStyles().Count()) return false;
  if (ClearTagOnStyleApp) Do_Tag(ItemNo, TRVTag(), true);
  const bool oldUni = GetItem(ItemNo)->IsUnicode();
  const bool newUni = st->TextStyles().GetTextStyleSafe(now)->Unicode;
  // Text and form change in two steps; each order keeps the text readable
  // in between (an even byte count while the item is still marked UTF-16).
  if (!oldUni && newUni) {
    Do_ChangeText(ItemNo, AnsiToUnicode(GetStyleCodePage(old), GetItemTextRaw(ItemNo)));
    Do_StyleNo(ItemNo, now);
  } else if (oldUni && !newUni) {
    Do_StyleNo(ItemNo, now);
    Do_ChangeText(ItemNo, UnicodeToAnsi(GetStyleCodePage(now), GetItemTextRaw(ItemNo)));
  } else {
    Do_StyleNo(ItemNo, now);
  }
  return true;
}

// Text cut from an item of style Old (UTF-16 when Unicode) for one of style
// Now, in the form Now takes.
std::string TRVEditRVData::TextForStyle(std::string Text, bool Unicode, int Old, int Now) const {
  const bool newUni = GetRVStyle()->TextStyles().GetTextStyleSafe(Now)->Unicode;
  if (!Unicode && newUni) return AnsiToUnicode(GetStyleCodePage(Old), Text);
  if (Unicode && !newUni) return UnicodeToAnsi(GetStyleCodePage(Now), Text);
  return Text;
}

// The selected head goes before the item in the new style and takes over
// the item's line start and checkpoint.
void TRVEditRVData::ConvertSelectedHead(int ItemNo, int To, int Now, TItemPos &End) {
  const int i = ItemNo;
  const TCustomRVItemInfo *item = GetItem(i);
  const uint8_t opt = item->IsUnicode() ? rvuniUnicodeBit : 0;
  const int old = GetItemStyle(i);
  std::string headText = CopyChars(GetItemTextRaw(i), 1, To - 1, opt);
  const bool cont = item->GetContinuePara(), br = item->GetLineBreakBefore();
  const bool pageBreak = item->GetPageBreakBefore();
  const int para = item->ParaNo;
  const TRVTag tag = ClearTagOnStyleApp ? TRVTag() : CopyTag(item->Tag, TagsArePChars());
  Do_DeleteSubstring(i, 1, To - 1);
  InsertNewTextItem(i, TextForStyle(std::move(headText), opt, old, Now), Now, para, cont, br, tag);
  if (const TRVCPInfo *cp = GetItemCheckpoint(i + 1)) {
    Do_AddCP(i, cp->CreateCopy(TagsArePChars()));
    Do_DeleteCP(i + 1);
  }
  if (pageBreak) SetPageBreakUndoable(i, true);
  Do_NewLine(i + 1, true, -1);
  End = {i, GetItemEndOffset(i)};
}

// The selected tail goes after the item in the new style.
void TRVEditRVData::ConvertSelectedTail(int ItemNo, int From, int Now, TItemPos &Start, TItemPos &End) {
  const int i = ItemNo;
  const TCustomRVItemInfo *item = GetItem(i);
  const uint8_t opt = item->IsUnicode() ? rvuniUnicodeBit : 0;
  const int old = GetItemStyle(i);
  std::string tailText = CopyChars(GetItemTextRaw(i), From, GetItemEndOffset(i) - From, opt);
  const TRVTag tag = ClearTagOnStyleApp ? TRVTag() : CopyTag(item->Tag, TagsArePChars());
  const int para = item->ParaNo;
  Do_DeleteSubstring(i, From, -1);
  InsertNewTextItem(i + 1, TextForStyle(std::move(tailText), opt, old, Now), Now, para, true, false, tag);
  Start = {i + 1, 1};
  if (End.Item > i) ++End.Item;
  else End = {i + 1, GetItemEndOffset(i + 1)};
}

// Both ends inside: the unselected head and tail become copies of the item
// around it, and the item itself, with the selected middle, is converted.
void TRVEditRVData::ConvertSelectedMiddle(int ItemNo, int From, int To, int UserData, TItemPos &Start, TItemPos &End) {
  const int i = ItemNo;
  const TCustomRVItemInfo *item = GetItem(i);
  const uint8_t opt = item->IsUnicode() ? rvuniUnicodeBit : 0;
  const std::string whole = GetItemTextRaw(i);
  std::string tailText = CopyChars(whole, To, GetItemEndOffset(i) - To, opt);
  std::string headText = CopyChars(whole, 1, From - 1, opt);
  Do_DeleteSubstring(i, To, -1);
  std::unique_ptr<TCustomRVItemInfo> tail = CloneTextItem(*item);
  tail->SetContinuePara(true);
  Do_InsertItem(i + 1, std::move(tailText), std::move(tail));
  Do_DeleteSubstring(i, 1, From - 1);
  std::unique_ptr<TCustomRVItemInfo> head = CloneTextItem(*GetItem(i));
  if (GetItem(i)->GetContinuePara()) head->SetContinuePara(true);
  else if (GetItem(i)->GetLineBreakBefore()) head->SetLineBreakBefore(true);
  const bool pageBreak = GetItem(i)->GetPageBreakBefore();
  Do_InsertItem(i, std::move(headText), std::move(head));
  if (const TRVCPInfo *cp = GetItemCheckpoint(i + 1)) {
    Do_AddCP(i, cp->CreateCopy(TagsArePChars()));
    Do_DeleteCP(i + 1);
  }
  if (pageBreak) SetPageBreakUndoable(i, true);
  Do_NewLine(i + 1, true, -1);
  ConvertItemStyle(i + 1, UserData);
  Start = {i + 1, 1};
  End = {i + 1, GetItemEndOffset(i + 1)};
}

void TRVEditRVData::ApplyStyleConversion(int UserData) {
  const TRVStyle *st = GetRVStyle();
  if (!st || ApplyToSelectedCells(0, UserData)) return;
  if (!st->TextStyles().GetTextStyleSafe(CurTextStyleNo)->Protection.Has(rvprDoNotAutoSwitch))
    RememberedTextStyleNo = CurTextStyleNo;
  int newCur = ConvertTextStyle(CurTextStyleNo, UserData, false);
  if (newCur < 0 || newCur >= st->TextStyles().Count()) newCur = CurTextStyleNo;
  if (SelectionExists()) {
    int si, so, ei, eo, ai, ao, bi, bo;
    GetSelectionItemBoundsRaw(true, si, so, ei, eo);
    GetSelectionItemBoundsRaw(false, ai, ao, bi, bo);
    const bool backwards = !(ai == si && ao == so);
    TItemPos s{si, so}, e{ei, eo};
    BeginUndoSequence(rvutStyleNo, true);
    StartEdit();
    bool changed = false;
    // From the end back, so that splitting an item moves only what was
    // already done.
    for (int i = ei; i >= si; --i) {
      const bool text = IsTextItem(i);
      const int before = GetOffsBeforeItem(i), end = GetItemEndOffset(i);
      const int from = i == si ? std::max(so, before) : before;
      const int to = i == ei ? std::min(eo, end) : end;
      if (!text || from >= to) continue;
      if (from <= before && to >= end) {
        changed = ConvertItemStyle(i, UserData) || changed;
        continue;
      }
      const int old = GetItemStyle(i);
      const int now = ConvertTextStyle(old, UserData, true);
      if (now == old || now < 0 || now >= st->TextStyles().Count()) continue;
      changed = true;
      if (from <= before) ConvertSelectedHead(i, to, now, e);
      else if (to >= end) ConvertSelectedTail(i, from, now, s, e);
      else ConvertSelectedMiddle(i, from, to, UserData, s, e);
    }
    // Pieces that now have the style of their neighbours join them.
    const int lo = std::max(0, s.Item - 1);
    for (int k = std::min(e.Item, GetItemCount() - 2); k >= lo; --k)
      if (CanJoinTextItems(k, GetItem(k), false, GetItem(k + 1))) ConcateKeeping(k, {&s, &e});
    ReformatAfterEdit();
    // A conversion that changed nothing leaves nothing to undo.
    UndoList->RemoveEmptyLastGroup();
    const TItemPos a = backwards ? e : s, b = backwards ? s : e;
    SetSelectionFromItems(a.Item, a.Offs, b.Item, b.Offs);
    SetCaretItemPos(b.Item, b.Offs);
    SetSelectionFromItems(a.Item, a.Offs, b.Item, b.Offs);
    // Nothing converted: what could be redone still can, and no change is
    // reported.
    FinishEditing(changed);
    if (changed) NotifyChange();
  }
  CurTextStyleNo = newCur;
  DoCurStyleChange();
}

void TRVEditRVData::ApplyParaStyleConversion(int UserData) {
  const TRVStyle *st = GetRVStyle();
  if (!st || GetItemCount() == 0 || ApplyToSelectedCells(2, UserData)) return;
  const bool changed = ApplyToSelectedParas([&](int First, int Last) {
    bool any = false;
    for (int p = First; p <= Last;) {
      const int end = GetParaEndItemNo(p);
      const int old = GetItemPara(p);
      const int now = ConvertParaStyle(old, UserData, true);
      if (now != old && now >= 0 && now < st->ParaStyles().Count()) {
        Do_Para(p, end, now);
        any = true;
      }
      p = end + 1;
    }
    return any;
  });
  if (changed) NotifyChange();
}

// ----------------------------------------------------------- style sheet

void TRVEditRVData::MarkUsedStyles(TRVIntegerList &TextUsed, TRVIntegerList &ParaUsed, TRVIntegerList &ListUsed) {
  TRVControlData::MarkUsedStyles(TextUsed, ParaUsed, ListUsed);
  for (int s : {CurTextStyleNo, RememberedTextStyleNo})
    if (s >= 0 && s < TextUsed.Count()) TextUsed.Put(s, 1);
  if (CurParaStyleNo >= 0 && CurParaStyleNo < ParaUsed.Count()) ParaUsed.Put(CurParaStyleNo, 1);
}

void TRVEditRVData::StylesCleanedUp(const TRVIntegerList &TextUsed, const TRVIntegerList &TextShift,
                                    const TRVIntegerList &ParaUsed, const TRVIntegerList &ParaShift) {
  UndoList->Clear();
  RedoList->Clear();
  auto renumber = [](int32_t &No, const TRVIntegerList &Used, const TRVIntegerList &Shift) {
    if (No < 0 || No >= Used.Count() || No >= Shift.Count() || Used[No] == 0) No = 0;
    else No -= Shift[No] - 1;
  };
  renumber(CurTextStyleNo, TextUsed, TextShift);
  renumber(RememberedTextStyleNo, TextUsed, TextShift);
  renumber(CurParaStyleNo, ParaUsed, ParaShift);
  DoCurStyleChange();
}

// ---------------------------------------------------------------- export

namespace {

// Jump mode (not forced) for the time of an export, when the document
// asks for it.
class TExportJumpMode {
public:
  explicit TExportJumpMode(TRVEditRVData &Data) : D(Data), On((Data.GetFlags() & 0x80) != 0) {
    if (On) D.EnterJumpMode(false);
  }
  ~TExportJumpMode() {
    if (On) D.LeaveJumpMode();
  }
  TExportJumpMode(const TExportJumpMode &) = delete;
  TExportJumpMode &operator=(const TExportJumpMode &) = delete;

private:
  TRVEditRVData &D;
  bool On;
};

} // namespace

bool TRVEditRVData::ExportHtml(std::string &Stream, const std::string &Path, const std::string &Title,
                               const std::string &ImagesPrefix, TRVSaveOptions Options, TColor BackgroundColor,
                               bool Css) {
  TExportJumpMode jump(*this);
  return ExportHtmlEx(*this, Stream, Path, Title, ImagesPrefix, Options, BackgroundColor, Css);
}

} // namespace kc
