// Typing from the keyboard, text with line breaks, text files, and RVF and
// RTF documents put in at the caret. Documents are read into a scratch
// document first and moved in only when the reading succeeded, so bad data
// changes neither the document nor its undo history.
#include <algorithm>

#include "platform/Files.h"
#include "richtext/controls/RVERVData.h"
#include "richtext/controls/RVRTFErr.h"
#include "richtext/controls/RVRTFImport.h"
#include "richtext/document/CRVDataFormats.h"
#include "richtext/document/RVFuncs.h"
#include "richtext/document/RVMarker.h"
#include "richtext/document/RVScratchData.h"
#include "richtext/document/RVUni.h"

namespace kc {

namespace {

// The document an insertion is read into: it answers the reader's
// questions as the editor's document would, with items of its own. One
// empty text item stands in front of what is read, so that whether the
// first item read continues a paragraph shows in its flags.
class TRVInsertScratch : public TRVFScratchData {
public:
  explicit TRVInsertScratch(TCustomRVData &Target) : TRVFScratchData(Target) {
    auto seed = RichVistaTextItemClass(this);
    seed->StyleNo = 0;
    seed->ParaNo = 0;
    Items.Add(std::string(), std::move(seed));
  }

  // Whether the first item read continues the paragraph before it.
  bool FirstContinues() const { return GetItemCount() > 1 && GetItem(1)->GetContinuePara(); }
};

bool MayContinue(const TCustomRVItemInfo *Prev, const TCustomRVItemInfo *Item) {
  return Prev && !Prev->GetFlag(rvbpFullWidth) && Item->StyleNo != rvsListMarker && !Item->GetFlag(rvbpFullWidth);
}

// Text of the current style's form: lines cut at CR LF, NUL as "?", tabs
// as spaces.
template <class Char> std::vector<std::basic_string<Char>> CutLines(std::basic_string_view<Char> Text) {
  std::vector<std::basic_string<Char>> lines;
  size_t from = 0;
  for (;;) {
    size_t at = from;
    while (at + 1 < Text.size() && !(Text[at] == Char('\r') && Text[at + 1] == Char('\n'))) ++at;
    if (at + 1 >= Text.size()) {
      lines.emplace_back(Text.substr(from));
      break;
    }
    lines.emplace_back(Text.substr(from, at - from));
    from = at + 2;
  }
  for (auto &l : lines) std::replace(l.begin(), l.end(), Char(0), Char('?'));
  return lines;
}

} // namespace

// ---------------------------------------------------------------- typing

void TRVEditRVData::KeyPress(char Key) {
  const TRVStyle *st = GetRVStyle();
  if (!st || !CanDeleteSelection()) {
    Beep();
    return;
  }
  // An ANSI style takes the byte as it is: read in the style's own code
  // page, typing writes the same byte back.
  const bool unicode = st->TextStyles().GetTextStyleSafe(CurTextStyleNo)->Unicode;
  const std::string byte(1, Key);
  const std::string raw = unicode ? KeyboardAnsiToUnicode(byte) : AnsiToUnicode(GetStyleCodePage(CurTextStyleNo), byte);
  if (raw.size() < 2) return;
  const std::u16string w = RawToWideString(raw);
  InsertTypedText(w);
}

void TRVEditRVData::NotifyChange() {
  if (!InsertionInProgress) SavedTag.Clear();
  DoChange(true);
}

void TRVEditRVData::SaveTagForInsertion() {
  SavedTag.Clear();
  int item = -1, offs = 0;
  if (SelectionExists()) {
    int ei, eo;
    GetSelectionItemBoundsRaw(true, item, offs, ei, eo);
  } else if (!GetCaretItemPos(item, offs)) {
    return;
  }
  if (item >= 0 && item < GetItemCount() && IsTextItem(item) && GetItemStyle(item) == CurTextStyleNo)
    SavedTag = CopyTag(GetItemTag(item), TagsArePChars());
}

void TRVEditRVData::ConcateKeeping(int ItemNo, std::initializer_list<TItemPos *> Positions) {
  const int len = GetItemLength(ItemNo);
  Do_Concate(ItemNo);
  for (TItemPos *p : Positions) {
    if (p->Item == ItemNo + 1) {
      p->Item = ItemNo;
      p->Offs += len;
    } else if (p->Item > ItemNo + 1) {
      --p->Item;
    }
  }
}

bool TRVEditRVData::TakesTextAt(int &ItemNo, int &Offs, bool &Refused) const {
  Refused = false;
  const TRVStyle *st = GetRVStyle();
  if (!st || ItemNo < 0 || ItemNo >= GetItemCount()) return false;
  bool into = IsTextItem(ItemNo) && GetItemStyle(ItemNo) == CurTextStyleNo;
  if (!into && Offs >= GetItemEndOffset(ItemNo) && ItemNo + 1 < GetItemCount() &&
      GetItem(ItemNo + 1)->GetContinuePara() && IsTextItem(ItemNo + 1) && GetItemStyle(ItemNo + 1) == CurTextStyleNo) {
    ++ItemNo;
    Offs = GetOffsBeforeItem(ItemNo);
    into = true;
  }
  if (!into) return false;
  const TRVProtectOptions prot = st->TextStyles().GetTextStyleSafe(CurTextStyleNo)->Protection;
  if (prot.Has(rvprModifyProtect) && Offs > GetOffsBeforeItem(ItemNo) && Offs < GetItemEndOffset(ItemNo)) {
    Refused = true;
    return false;
  }
  return !prot.Has(rvprConcateProtect) && !prot.Has(rvprModifyProtect);
}

void TRVEditRVData::SplitTextItemAt(int ItemNo, int Offs) {
  const uint8_t opt = GetItem(ItemNo)->IsUnicode() ? rvuniUnicodeBit : 0;
  std::string tail = CopyChars(GetItemTextRaw(ItemNo), Offs, GetItemLength(ItemNo) - Offs + 1, opt);
  Do_DeleteSubstring(ItemNo, Offs, -1);
  std::unique_ptr<TCustomRVItemInfo> clone = CloneTextItem(*GetItem(ItemNo));
  clone->SetContinuePara(true);
  Do_InsertItem(ItemNo + 1, std::move(tail), std::move(clone));
}

// ------------------------------------------------------------------ text

void TRVEditRVData::InsertTextA(std::string_view Text, bool CaretBefore) {
  const TRVStyle *st = GetRVStyle();
  if (Text.empty() || !st) return;
  std::vector<std::string> lines = CutLines<char>(Text);
  for (auto &l : lines) l = ExpandTabsA(l, st->SpacesInTab());
  InsertLines(std::move(lines), false, CaretBefore);
}

void TRVEditRVData::InsertTextW(std::u16string_view Text, bool CaretBefore) {
  const TRVStyle *st = GetRVStyle();
  if (Text.empty() || !st) return;
  std::vector<std::string> lines;
  for (const std::u16string &w : CutLines<char16_t>(Text))
    lines.push_back(ExpandTabsW(WideStringToRaw(w), st->SpacesInTab()));
  InsertLines(std::move(lines), true, CaretBefore);
}

bool TRVEditRVData::InsertTextFromFile(const std::string &FileName) {
  std::string data;
  if (!ReadWholeFile(FileName, data)) return false;
  const TRVStyle *st = GetRVStyle();
  if (!st) return false;
  if (data.empty()) return true;
  // Lines end at CR LF, LF or CR; the last line's end makes no paragraph.
  std::vector<std::string> lines;
  std::string line;
  for (size_t i = 0; i < data.size(); ++i) {
    const char c = data[i];
    if (c == '\r' || c == '\n') {
      lines.push_back(std::move(line));
      line.clear();
      if (c == '\r' && i + 1 < data.size() && data[i + 1] == '\n') ++i;
    } else {
      line += c == '\0' ? '?' : c;
    }
  }
  if (!line.empty()) lines.push_back(std::move(line));
  for (auto &l : lines) l = ExpandTabsA(l, st->SpacesInTab());
  if (!lines.empty()) InsertLines(std::move(lines), false, false);
  return true;
}

bool TRVEditRVData::InsertLines(std::vector<std::string> Lines, bool LinesUnicode, bool CaretBefore) {
  const TRVStyle *st = GetRVStyle();
  if (!st || Lines.empty()) return false;
  if (!CanDeleteSelection()) {
    Beep();
    return false;
  }
  if (SelectionExists() && !DeleteSelection()) return false;
  int item = 0, offs = 0;
  const bool empty = GetItemCount() == 0;
  if (!empty && !GetCaretItemPos(item, offs)) return false;
  if (const TParaInfo *p = empty ? nullptr : ParaStyleOf(item); p && p->Options.Has(rvpaoReadOnly)) {
    Beep();
    return false;
  }
  // The current style is known only now: deleting the selection may have
  // taken it from the caret's new place.
  const bool unicode = st->TextStyles().GetTextStyleSafe(CurTextStyleNo)->Unicode;
  const uint8_t opt = unicode ? rvuniUnicodeBit : 0;
  for (auto &l : Lines) {
    if (LinesUnicode && !unicode) l = UnicodeToAnsi(GetStyleCodePage(CurTextStyleNo), l);
    else if (!LinesUnicode && unicode) l = AnsiToUnicode(GetStyleCodePage(CurTextStyleNo), l);
  }
  bool refused = false;
  const bool into = !empty && TakesTextAt(item, offs, refused);
  if (refused) {
    Beep();
    return false;
  }
  BeginUndoSequence(rvutInsert, true);
  StartEdit();
  TItemPos start{item, offs}, end{item, offs};
  if (into) {
    Do_InsertSubstring(item, offs, Lines[0]);
    end.Offs = offs + GetTextLength(Lines[0], opt);
  } else if (!Lines[0].empty() || empty) {
    std::unique_ptr<TCustomRVItemInfo> t = RichVistaTextItemClass(this);
    t->StyleNo = CurTextStyleNo;
    t->ParaNo = empty ? CurParaStyleNo : GetItemPara(item);
    if (unicode) t->ItemOptions.Include(rvioUnicode);
    t->Tag = CopyTag(SavedTag, TagsArePChars());
    int at = item, atOffs = offs;
    if (!InsertItems(at, atOffs, Lines[0], t) || at < 0) {
      AbandonEdit();
      Beep();
      return false;
    }
    start = {at, GetOffsBeforeItem(at)};
    end = {at, GetItemEndOffset(at)};
  }
  int firstChanged = std::min(start.Item, end.Item);
  if (Lines.size() > 1) {
    int cut = CutForLaterLines(start, end);
    if (cut < 0) {
      AbandonEdit();
      Beep();
      return false;
    }
    const int marker = GetFirstParaItemNo(cut - 1);
    const bool listItem = GetItemStyle(marker) == rvsListMarker;
    const int paraNo = listItem ? GetItemPara(marker) : CurParaStyleNo;
    for (size_t k = 1; k < Lines.size(); ++k) {
      if (listItem) {
        const auto *m = static_cast<const TRVMarkerItemInfo *>(GetItem(marker));
        auto copy = std::make_unique<TRVMarkerItemInfo>(this, m->ListNo, m->Level, m->StartFrom, false);
        copy->AssignProperties(*m);
        copy->Reset = false;
        copy->ParaNo = paraNo;
        Do_InsertItem(cut++, std::string(), std::move(copy));
      }
      InsertNewTextItem(cut, std::move(Lines[k]), CurTextStyleNo, paraNo, listItem, false, SavedTag);
      end = {cut, GetItemEndOffset(cut)};
      ++cut;
    }
  }
  // Text items of one style that now meet are one.
  for (int k = end.Item; k >= std::max(0, firstChanged - 1); --k)
    if (k + 1 < GetItemCount() && CanJoinTextItems(k, GetItem(k), false, GetItem(k + 1)))
      ConcateKeeping(k, {&start, &end});
  RenumberListsInRange(std::max(0, firstChanged), end.Item);
  ReformatAfterEdit();
  const TItemPos caret = CaretBefore ? start : end;
  SetCaretItemPos(caret.Item, caret.Offs);
  FinishEditing(true);
  NotifyChange();
  return true;
}

int TRVEditRVData::CutForLaterLines(TItemPos &Start, TItemPos &End) {
  if (IsTextItem(End.Item) && End.Offs > GetOffsBeforeItem(End.Item) && End.Offs < GetItemEndOffset(End.Item)) {
    if (const TFontInfo *f = TextStyleOf(End.Item); f && f->Protection.Has(rvprModifyProtect)) return -1;
    SplitTextItemAt(End.Item, End.Offs);
    return End.Item + 1;
  }
  if (End.Offs >= GetItemEndOffset(End.Item)) return End.Item + 1;
  const int cut = End.Item;
  const bool afterMarker = cut > 0 && GetItemStyle(cut - 1) == rvsListMarker;
  if (!afterMarker && !GetItem(cut)->IsFromNewLine()) return cut;
  // The first paragraph would have nothing in it: an empty item of the
  // current style holds it.
  TCustomRVItemInfo *x = GetItem(cut);
  const bool pageBreak = !afterMarker && x->GetPageBreakBefore();
  InsertNewTextItem(cut, std::string(), CurTextStyleNo, x->ParaNo, afterMarker || x->GetContinuePara(),
                    !afterMarker && x->GetLineBreakBefore(), SavedTag);
  if (pageBreak) SetPageBreakUndoable(cut, true);
  if (!afterMarker && CanShareLine(cut + 1)) Do_NewLine(cut + 1, true, -1);
  if (Start.Item == cut) Start = {cut, 1};
  End = {cut, 1};
  return cut + 1;
}

// ------------------------------------------------------------- documents

bool TRVEditRVData::InsertScratchItems(TCustomRVData &Scratch, bool FirstContinues) {
  // The stand-in first item goes; then the scratch gives its items away.
  Scratch.DestroyItem(0, false);
  Scratch.Items.Delete(0);
  const int n = Scratch.GetItemCount();
  if (n == 0) return true;
  // What was read replaces the selection.
  if (!CanDeleteSelection()) {
    Beep();
    return false;
  }
  if (SelectionExists() && !DeleteSelection()) return false;
  int item = 0, offs = 0;
  const bool empty = GetItemCount() == 0;
  if (!empty && !GetCaretItemPos(item, offs)) return false;
  const bool inside = !empty && IsTextItem(item) && offs > GetOffsBeforeItem(item) && offs < GetItemEndOffset(item);
  if (!empty) {
    const TParaInfo *p = ParaStyleOf(item);
    const TFontInfo *f = TextStyleOf(item);
    if ((p && p->Options.Has(rvpaoReadOnly)) || (inside && f && f->Protection.Has(rvprModifyProtect))) {
      ClearSelection(false);
      Beep();
      return false;
    }
  }
  BeginUndoSequence(rvutInsert, true);
  StartEdit();
  // An empty paragraph at the caret gives way to what comes in.
  const bool replaceEmpty = !empty && IsTextItem(item) && GetItemTextRaw(item).empty() && IsParaStart(item) &&
                            (item + 1 >= GetItemCount() || IsParaStart(item + 1)) && !GetItemCheckpoint(item);
  // Inside a text item the items go between its two halves.
  if (inside) SplitTextItemAt(item, offs);
  int at = empty ? 0 : replaceEmpty ? item : inside || offs >= GetItemEndOffset(item) ? item + 1 : item;
  // The first item continues the paragraph at the insertion point when it
  // was written so and may; a marker never stays alone in its paragraph.
  TCustomRVItemInfo *head = Scratch.GetItem(0);
  const TCustomRVItemInfo *prev = at > 0 ? GetItem(at - 1) : nullptr;
  const bool afterMarker = prev && prev->StyleNo == rvsListMarker;
  const bool continues = !replaceEmpty && (FirstContinues || afterMarker) && MayContinue(prev, head);
  if (afterMarker && !continues) {
    InsertNewTextItem(at, std::string(), TextStyleForNewItem(), prev->ParaNo, true, false, TRVTag());
    ++at;
    prev = GetItem(at - 1);
  }
  // A piece of a paragraph put at the start of one takes over that
  // paragraph's start; the paragraph's text continues the piece.
  const bool takesParaStart = (FirstContinues || replaceEmpty) && !continues && at < GetItemCount() &&
                              IsParaStart(at) && !head->GetFlag(rvbpFullWidth) && head->StyleNo != rvsListMarker &&
                              !GetItem(at)->GetFlag(rvbpFullWidth) && GetItemStyle(at) != rvsListMarker;
  const int headPara = continues ? prev->ParaNo : takesParaStart && FirstContinues ? GetItemPara(at) : -1;
  if (headPara >= 0)
    for (int j = 0; j < n && (j == 0 || !Scratch.IsParaStart(j)); ++j) Scratch.GetItem(j)->ParaNo = headPara;
  if (continues) {
    head->SetContinuePara(true);
  } else {
    head->ItemOptions.Exclude(rvioContinuePara);
    if (at == 0) head->ItemOptions.Exclude(rvioLineBreakBefore);
    if (takesParaStart && GetItem(at)->GetPageBreakBefore()) head->SetPageBreakBefore(true);
  }
  // A marker at the end needs an item of its own paragraph after it.
  if (Scratch.GetItemStyle(n - 1) == rvsListMarker && (at >= GetItemCount() || IsParaStart(at)))
    Scratch.AddTextItem(std::string(), TextStyleForNewItem(), -1, TRVTag());
  const int count = Scratch.GetItemCount();
  Scratch.DestroyMarkers();
  int k = 0;
  for (TRVItemEntry &e : Scratch.Items.TakeAll()) {
    std::unique_ptr<TCustomRVItemInfo> &it = e.Item;
    // Checkpoints come in through their own primitive, as the recording of
    // the inserted range adds them.
    if (TRVCPInfo *cp = it->Checkpoint.get()) {
      cp->Prev = cp->Next = nullptr;
      cp->ItemInfo = nullptr;
    }
    int index = at + k++, newList = -1;
    bool full = false;
    InsertItemAt(index, e.Text, it, full, newList);
  }
  Scratch.FirstCP = Scratch.LastCP = nullptr;
  Scratch.CPCount = Scratch.NotAddedCP ? 1 : 0;
  const int first = at, last = at + count - 1;
  Do_InsertItems(first, count);
  if (replaceEmpty) Do_DeleteItem(last + 1);

  if (takesParaStart && !replaceEmpty && CanShareLine(last + 1)) Do_NewLine(last + 1, true, -1);
  const TItemPos caret = JoinInsertedItems(first, last);
  RenumberListsInRange(std::max(0, first - 1), caret.Item);
  ReformatAfterEdit();
  SetCaretItemPos(caret.Item, caret.Offs);
  FinishEditing(true);
  NotifyChange();
  return true;
}

// Joins with the surroundings and inside the range; the caret stays after
// the inserted text.
TRVEditRVData::TItemPos TRVEditRVData::JoinInsertedItems(int First, int Last) {
  TItemPos caret{Last, GetItemEndOffset(Last)};
  if (Last + 1 < GetItemCount()) {
    if (CanJoinTextItems(Last, GetItem(Last), false, GetItem(Last + 1))) Do_Concate(Last);
    else if (GetItem(Last)->GetFlag(rvbpFullWidth) && GetItem(Last + 1)->GetContinuePara())
      Do_NewLine(Last + 1, false, -1);
  }
  for (int k = Last - 1; k >= First; --k)
    if (CanJoinTextItems(k, GetItem(k), false, GetItem(k + 1))) ConcateKeeping(k, {&caret});
  if (First > 0) {
    if (CanJoinTextItems(First - 1, GetItem(First - 1), false, GetItem(First))) {
      ConcateKeeping(First - 1, {&caret});
    } else if (IsTextItem(First) && GetItemTextRaw(First).empty() && GetItem(First)->GetContinuePara() &&
               GetItemStyle(First - 1) != rvsListMarker) {
      Do_DeleteItem(First);
      if (caret.Item == First) caret = {First - 1, GetItemEndOffset(First - 1)};
      else if (caret.Item > First) --caret.Item;
    }
  }
  return caret;
}

bool TRVEditRVData::InsertRVFFromStreamAtCaret(std::string_view Stream) {
  TRVInsertScratch scratch(*this);
  if (!InsertRvfFromStream(scratch, Stream).Ok) {
    ClearSelection(false);
    InvalidateRectInControl(TRect{0, 0, GetWidth(), GetHeight()});
    Beep();
    return false;
  }
  return InsertScratchItems(scratch, scratch.FirstContinues());
}

bool TRVEditRVData::InsertRTFFromStreamAtCaret(std::string_view Stream, TRVRTFReaderProperties &Properties) {
  TRVInsertScratch scratch(*this);
  int index = 1;
  const int code = Properties.ImportRTF(Stream, scratch, index);
  // A stream that ends early is imported as far as it goes.
  if (code != rtf_ec_OK && code != rtf_ec_UnmatchedBrace && code != rtf_ec_EndOfFile) {
    ClearSelection(false);
    InvalidateRectInControl(TRect{0, 0, GetWidth(), GetHeight()});
    Beep();
    return false;
  }
  // RTF has no way to say that its first paragraph continues one: the text
  // joins the caret's paragraph, as pasted text does.
  return InsertScratchItems(scratch, true);
}

// ---------------------------------------------------------- reformatting

void TRVEditRVData::ReformatItemAfterChange(int ItemNo, int OldWidth) {
  if (ItemNo < 0 || ItemNo >= GetItemCount()) return;
  const int now = RangeMinWidth(ItemNo, ItemNo);
  const bool full = now != OldWidth && (OldWidth >= MinWidth || MinWidth < now);
  ReformatKeepingCaret(full, ItemNo);
}

void TRVEditRVData::ReformatKeepingCaret(bool Full, int ItemNo) {
  int ci = -1, co = 0;
  const bool hadCaret = GetCaretItemPos(ci, co);
  const bool hadSelection = SelectionExists();
  int sa = 0, sao = 0, sb = 0, sbo = 0;
  if (hadSelection) GetSelectionItemBoundsRaw(false, sa, sao, sb, sbo);
  StartEdit();
  if (Full) FEdit.WholeDoc = true;
  TouchItems(ItemNo, ItemNo);
  ReformatAfterEdit();
  if (hadCaret) SetCaretItemPos(ci, co, false);
  if (hadSelection) SetSelectionFromItems(sa, sao, sb, sbo);
  InvalidateRectInControl(TRect{0, 0, GetWidth(), GetHeight()});
}

} // namespace kc
