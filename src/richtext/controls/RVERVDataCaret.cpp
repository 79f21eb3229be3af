// The caret: the stops of its screen line, its placement and size, and the
// moves a headless editor needs (by character, to the line's ends).
#include <algorithm>
#include <cassert>

#include "richtext/controls/RVERVData.h"
#include "richtext/document/RVUni.h"

namespace kc {

namespace {
constexpr int kCaretMaxHeight = 1000;
constexpr int kCaretScrollMargin = 5;
bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
} // namespace

void TRVEditRVData::PrepareCaretLine(int OffsetHint) {
  CharEnds.clear();
  if (CaretDrawItemNo < 0 || CaretDrawItemNo >= DrawLines.Count()) {
    CaretDrawItemNo = -1;
    CaretOffs = -1;
    return;
  }
  CaretOffs = 100000;
  int first = 0, last = 0;
  GetScreenLineRange(CaretDrawItemNo, first, last);
  // A list marker at the line start is no caret place.
  if (GetItemStyle(DrawLines.Items(first)->ItemNo) == rvsListMarker && first < last) {
    if (CaretDrawItemNo == first) {
      CaretDrawItemNo = first + 1;
      OffsetHint = DrawLineStartOffset(first + 1) - 2;
    }
    ++first;
  }
  TCanvas *canvas = GetCanvas();
  TRVStyle *style = GetRVStyle();
  for (int dl = first; dl <= last; ++dl) {
    const TRVDrawLineInfo *d = DrawLines.Items(dl);
    if (IsTextItem(d->ItemNo)) {
      if (dl == first && d->Length > 0) CharEnds.push_back({d->Left, dl, 1, 1});
      if (d->Length > 1) {
        const bool uni = GetItem(d->ItemNo)->IsUnicode();
        const uint8_t opt = uni ? rvuniUnicodeBit : 0;
        const std::string piece = CopyChars(GetItemTextRaw(d->ItemNo), d->Offs, d->Length, opt);
        std::vector<int> ext;
        if (canvas && style) {
          style->ApplyStyle(*canvas, GetActualStyle(GetItem(d->ItemNo)), GetItemBiDiMode(d->ItemNo));
          int fit = 0;
          GetTextFit(*canvas, piece, INT32_MAX / 4, opt, &ext, fit);
        }
        for (int b = 1; b < d->Length; ++b) {
          // No stop between the halves of a surrogate pair.
          if (uni && IsHighSurrogate(UnitAt(piece, size_t(b - 1)))) continue;
          const int w = size_t(b - 1) < ext.size() ? ext[size_t(b - 1)] : 0;
          CharEnds.push_back({d->Left + d->ExtraSpaceBefore + w, dl, b + 1, 1});
        }
      }
      CharEnds.push_back({d->Left + d->Width, dl, d->Length + 1, 1});
    } else {
      if (dl == first) CharEnds.push_back({d->Left, dl, 0, 1});
      CharEnds.push_back({d->Left + d->Width, dl, 1, 2});
    }
  }
  // The stop of the hint: exact when it exists; before the draw line's
  // first stop it is the end of the draw line before; beyond, its end.
  const int want = OffsetHint + 1;
  int before = -1, end = -1;
  for (int i = 0; i < int(CharEnds.size()); ++i) {
    const TRVCharPos &c = CharEnds[size_t(i)];
    if (c.DrawItemNo < CaretDrawItemNo) before = i;
    if (c.DrawItemNo != CaretDrawItemNo) continue;
    end = i;
    if (c.Offset == want) {
      CaretOffs = i;
      return;
    }
  }
  const int start = DrawLineStartOffset(CaretDrawItemNo);
  if (OffsetHint < 0 || want <= start) CaretOffs = before >= 0 ? before : 0;
  else CaretOffs = end >= 0 ? end : int(CharEnds.size()) - 1;
  if (CharEnds.empty()) CaretOffs = -1;
}

bool TRVEditRVData::ClampCaret() {
  if (CaretDrawItemNo == -1) return true;
  const bool lineOk = CaretDrawItemNo >= 0 && CaretDrawItemNo < DrawLines.Count();
  if (lineOk && CaretOffs >= 0 && CaretOffs < int(CharEnds.size()) &&
      CharEnds[size_t(CaretOffs)].DrawItemNo < DrawLines.Count())
    return true;
  CaretDrawItemNo = DrawLines.Count() > 0 ? 0 : -1;
  PrepareCaretLine(-1);
  return false;
}

void TRVEditRVData::PlaceCaret(bool Redraw, bool ScrollToCaret, bool CheckResizer, bool NoStyleNotify) {
  (void)Redraw, (void)CheckResizer;
  if (State & rvstFormatting) return;
  int h = 0;
  if (CaretDrawItemNo != -1) {
    // A stored position that does not fit the lines is mended once here;
    // painting and focus changes come through this place again and again.
    if (!ClampCaret()) assert(!"Invalid caret position");
  }
  if (CaretDrawItemNo != -1 && CaretOffs >= 0) {
    const TRVCharPos &cp = CharEnds[size_t(CaretOffs)];
    CaretDrawItemNo = cp.DrawItemNo;
    const TRVDrawLineInfo *d = DrawLines.Items(CaretDrawItemNo);
    h = std::min(d->Height + 2, kCaretMaxHeight);
    CaretX = cp.X - 1 + cp.MoveRightTo;
    CaretTop = d->Top - 1;
  }
  CaretHeight = h;
  if (CaretDrawItemNo != -1 && CaretOffs >= 0) {
    const int item = DrawLines.Items(CaretDrawItemNo)->ItemNo;
    if (!NoStyleNotify) CurParaStyleNo = GetItemPara(item);
    if (GetItem(item)->GetFlag(rvbpDisplayActiveState)) {
      CurrentItem = item;
    } else if (CurrentItem >= 0) {
      CurrentItem = -1;
    }
    if (!NoStyleNotify && IsTextItem(item)) {
      const int style = GetItemStyle(item);
      const TRVStyle *st = GetRVStyle();
      const bool noSwitch = st && st->TextStyles().GetTextStyleSafe(style)->Protection.Has(rvprDoNotAutoSwitch);
      const bool rememberedNoSwitch =
          st && st->TextStyles().GetTextStyleSafe(RememberedTextStyleNo)->Protection.Has(rvprDoNotAutoSwitch);
      if (noSwitch && !rememberedNoSwitch) {
        CurTextStyleNo = RememberedTextStyleNo;
      } else {
        CurTextStyleNo = style;
        RememberedTextStyleNo = style;
      }
      DoCurStyleChange();
    }
    UpdateCaretJumpHover(item);
  }
  if (ScrollToCaret && h != 0 && !(State & rvstNoScroll)) ScrollToCaretRect(CaretX, CaretTop, h);
  DoCaretMove();
}

void TRVEditRVData::ScrollToCaretRect(int X, int Top, int Height) {
  const int voffs = GetVOffs();
  const int ch = GetHeight();
  const int top = Top - kCaretScrollMargin;
  const int bottom = Top + Height + kCaretScrollMargin;
  if (top < voffs) ScrollTo(std::max(0, top), false);
  else if (bottom > voffs + ch && ch > 0) ScrollTo(std::max(0, std::min(top, bottom - ch)), false);
  const int hoffs = GetHOffs();
  const int cw = GetWidth();
  if (X - kCaretScrollMargin < hoffs) HScrollTo(std::max(0, X - kCaretScrollMargin));
  else if (X + kCaretScrollMargin > hoffs + cw && cw > 0) HScrollTo(X + kCaretScrollMargin - cw);
}

bool TRVEditRVData::GetCaretItemPos(int &ItemNo, int &Offs) const {
  ItemNo = -1;
  Offs = -1;
  if (CaretDrawItemNo < 0 || CaretOffs < 0 || CaretOffs >= int(CharEnds.size())) return false;
  const TRVCharPos &cp = CharEnds[size_t(CaretOffs)];
  if (cp.DrawItemNo < 0 || cp.DrawItemNo >= DrawLines.Count()) return false;
  DrawPosToItemPos(cp.DrawItemNo, cp.Offset, ItemNo, Offs);
  return ItemNo >= 0;
}

void TRVEditRVData::SetCaretItemPos(int ItemNo, int Offs, bool Scroll) {
  if (DrawLines.Count() == 0 || GetItemCount() == 0) {
    CaretDrawItemNo = CaretOffs = -1;
    CharEnds.clear();
    return;
  }
  ClampItemNo(ItemNo);
  Offs = std::clamp(Offs, GetOffsBeforeItem(ItemNo), GetItemEndOffset(ItemNo));
  int dl = -1, doffs = 0;
  ItemPosToDrawPos(ItemNo, Offs, dl, doffs);
  CaretDrawItemNo = dl;
  PrepareCaretLine(doffs - 1);
  PlaceCaret(false, Scroll, false, false);
}

// ------------------------------------------------------------ moves

namespace {

// One character back from (Item, Offs); false at the document start. The
// end of an item that a continuing item follows is the same place as that
// item's start, and a list marker is no place at all.
bool StepBack(const TRVEditRVData &d, int &Item, int &Offs) {
  if (Offs > d.GetOffsBeforeItem(Item)) {
    Offs = d.IsTextItem(Item) ? d.GetPrevCharOffset(Item, Offs) : 0;
    if (Offs < d.GetOffsBeforeItem(Item)) Offs = d.GetOffsBeforeItem(Item);
    return true;
  }
  int k = Item;
  bool crossedBreak = !d.GetItem(k)->GetContinuePara();
  while (k > 0) {
    --k;
    if (d.GetItemStyle(k) == rvsListMarker) {
      crossedBreak = true;
      continue;
    }
    Item = k;
    Offs = d.GetItemEndOffset(k);
    if (crossedBreak) return true;
    return StepBack(d, Item, Offs);
  }
  return false;
}

bool StepForward(const TRVEditRVData &d, int &Item, int &Offs) {
  if (Offs < d.GetItemEndOffset(Item)) {
    Offs = d.IsTextItem(Item) ? d.GetNextCharOffset(Item, Offs) : 1;
    Offs = std::min(Offs, d.GetItemEndOffset(Item));
    return true;
  }
  int k = Item;
  bool crossedBreak = false;
  while (k + 1 < d.GetItemCount()) {
    ++k;
    if (!d.GetItem(k)->GetContinuePara()) crossedBreak = true;
    if (d.GetItemStyle(k) == rvsListMarker) continue;
    Item = k;
    Offs = d.GetOffsBeforeItem(k);
    if (crossedBreak) return true;
    return StepForward(d, Item, Offs);
  }
  return false;
}

} // namespace

void TRVEditRVData::AfterSelectionSet() {
  if (SelEndLine < 0 || SelEndLine >= DrawLines.Count() || (State & rvstFormatting)) return;
  CaretDrawItemNo = SelEndLine;
  PrepareCaretLine(SelEndOffs - 1);
  PlaceCaret(false, true, false, true);
}

void TRVEditRVData::GetSelectionOrCaretBounds(int &StartItem, int &StartOffs, int &EndItem, int &EndOffs,
                                              bool Ordered) const {
  if (SelectionExists() || !GetCaretItemPos(StartItem, StartOffs)) {
    GetSelectionBounds(StartItem, StartOffs, EndItem, EndOffs, Ordered);
    return;
  }
  EndItem = StartItem;
  EndOffs = StartOffs;
}

void TRVEditRVData::MoveCaretLeft(bool Select) { MoveCaretByChar(false, Select); }

void TRVEditRVData::MoveCaretRight(bool Select) { MoveCaretByChar(true, Select); }

void TRVEditRVData::MoveCaretByChar(bool Forward, bool Select) {
  int item, offs;
  if (!GetCaretItemPos(item, offs)) return;
  int ai = item, ao = offs;
  if (Select && SelStartLine >= 0) DrawPosToItemPos(SelStartLine, SelStartOffs, ai, ao);
  if (!Select && SelectionExists()) {
    // A plain move out of a selection lands on its end in that direction.
    int a, aOffs, b, bOffs;
    GetSelectionItemBoundsRaw(true, a, aOffs, b, bOffs);
    ClearSelection(false);
    if (Forward) SetCaretItemPos(b, bOffs);
    else SetCaretItemPos(a, aOffs);
    return;
  }
  if (Forward) StepForward(*this, item, offs);
  else StepBack(*this, item, offs);
  SetCaretItemPos(item, offs);
  if (Select) SetSelectionFromItems(ai, ao, item, offs);
  else ClearSelection(false);
}

void TRVEditRVData::MoveCaretHome() {
  if (CharEnds.empty()) return;
  ClearSelection(false);
  CaretOffs = 0;
  PlaceCaret(false, true, false, false);
}

void TRVEditRVData::MoveCaretEnd() {
  if (CharEnds.empty()) return;
  ClearSelection(false);
  CaretOffs = int(CharEnds.size()) - 1;
  PlaceCaret(false, true, false, false);
}

} // namespace kc
