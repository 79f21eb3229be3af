// The caret: the stops of its screen line, its placement and size, and
// where it goes when the selection is set from outside.
#include <algorithm>
#include <cassert>

#include "richtext/controls/RVERVData.h"
#include "richtext/document/RVUni.h"
#include "richtext/document/RVUniClusters.h"
#include "platform/Canvas.h"

namespace kc {

namespace {
constexpr int kCaretMaxHeight = 1000;
constexpr int kCaretScrollMargin = 5;
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
  auto isMarker = [&](int DrawLineNo) { return GetItemStyle(DrawLines.Items(DrawLineNo)->ItemNo) == rvsListMarker; };
  if (first == last && isMarker(first)) {
    // A marker alone on its line (what follows it wrapped below) holds no
    // caret either: the caret goes on to the next line that has a place,
    // or back to the end of the line before when markers end the document.
    const int n = DrawLines.Count();
    int to = first + 1;
    for (int f, l; to < n; to = l + 1) {
      GetScreenLineRange(to, f, l);
      if (!(f == l && isMarker(f))) break;
    }
    int back = first - 1;
    while (back >= 0 && isMarker(back)) --back;
    if (to < n) {
      CaretDrawItemNo = to;
      OffsetHint = DrawLineStartOffset(to) - 2;
      GetScreenLineRange(to, first, last);
    } else if (back >= 0) {
      CaretDrawItemNo = back;
      OffsetHint = DrawLineEndOffset(back) - 1;
      GetScreenLineRange(back, first, last);
    }
  }
  // A list marker at the line start is no caret place.
  if (isMarker(first) && first < last) {
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
    if (!IsTextItem(d->ItemNo)) {
      // In a right-to-left paragraph an item is entered from its right edge.
      const bool rtl = GetParaBiDiMode(GetItemPara(d->ItemNo)) == rvbdRightToLeft;
      if (dl == first)
        CharEnds.push_back(rtl ? TRVCharPos{d->Left + d->Width, dl, 0, 2} : TRVCharPos{d->Left, dl, 0, 1});
      CharEnds.push_back(rtl ? TRVCharPos{d->Left, dl, 1, 1} : TRVCharPos{d->Left + d->Width, dl, 1, 2});
      continue;
    }
    if (GetItemBiDiMode(d->ItemNo) != rvbdUnspecified && AddPlacedStops(dl, dl == first)) continue;
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
      // No stop inside a character: a surrogate pair, a letter with its
      // marks, an emoji sequence, a flag, a Hangul syllable.
      const std::vector<bool> stop = ItemCharBoundaries(GetItemTextRaw(d->ItemNo), d->Offs, d->Length, opt);
      for (int b = 1; b < d->Length; ++b) {
        if (!stop[size_t(b)]) continue;
        const int w = size_t(b - 1) < ext.size() ? ext[size_t(b - 1)] : 0;
        CharEnds.push_back({d->Left + d->ExtraSpaceBefore + w, dl, b + 1, 1});
      }
    }
    CharEnds.push_back({d->Left + d->Width, dl, d->Length + 1, 1});
  }
  // The stop of the hint: exact when it exists; before the draw line's
  // first stop it is the end of the draw line before; beyond, its end.
  // A hint inside a character (no stop there) stands at the character's
  // start.
  const int want = OffsetHint + 1;
  int before = -1, end = -1, inside = -1, insideOffs = -1;
  for (int i = 0; i < int(CharEnds.size()); ++i) {
    const TRVCharPos &c = CharEnds[size_t(i)];
    if (c.DrawItemNo < CaretDrawItemNo) before = i;
    if (c.DrawItemNo != CaretDrawItemNo) continue;
    end = i;
    if (c.Offset == want) {
      CaretOffs = i;
      return;
    }
    if (c.Offset < want && c.Offset > insideOffs) inside = i, insideOffs = c.Offset;
  }
  const int start = DrawLineStartOffset(CaretDrawItemNo);
  if (OffsetHint < 0 || want <= start) CaretOffs = before >= 0 ? before : 0;
  else if (inside >= 0 && want < DrawLineEndOffset(CaretDrawItemNo)) CaretOffs = inside;
  else CaretOffs = end >= 0 ? end : int(CharEnds.size()) - 1;
  if (CharEnds.empty()) CaretOffs = -1;
}

bool TRVEditRVData::AddPlacedStops(int DrawLineNo, bool FirstOfLine) {
  const TRVDrawLineInfo *d = DrawLines.Items(DrawLineNo);
  TCanvas *canvas = GetCanvas();
  TRVStyle *style = GetRVStyle();
  if (!canvas || !style || d->Length <= 0) return false;
  const bool uni = GetItem(d->ItemNo)->IsUnicode();
  const uint8_t opt = uni ? rvuniUnicodeBit : 0;
  const std::string piece = CopyChars(GetItemTextRaw(d->ItemNo), d->Offs, d->Length, opt);
  // The same style and direction the painter draws the piece with, so that
  // a stop stands where its characters meet on the screen.
  style->ApplyStyle(*canvas, GetActualStyle(GetItem(d->ItemNo)), GetItemBiDiMode(d->ItemNo));
  std::vector<int> pos;
  if (!GetCharPlacement(*canvas, piece, pos, d->Width - d->ExtraSpaceBefore, opt) || int(pos.size()) != d->Length + 1)
    return false;
  const int x0 = d->Left + d->ExtraSpaceBefore;
  // As with measured stops, a piece that follows another on the line
  // shares its start with the end of that one.
  const std::vector<bool> stop = ItemCharBoundaries(GetItemTextRaw(d->ItemNo), d->Offs, d->Length, opt);
  for (int b = FirstOfLine ? 0 : 1; b <= d->Length; ++b) {
    if (!stop[size_t(b)]) continue;
    CharEnds.push_back({x0 + pos[size_t(b)], DrawLineNo, b + 1, 0});
  }
  return true;
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
    // The text style is the caret item's, unless the selection starts at
    // the very end of a line and a paragraph starts after it: typing
    // replaces the selection in that paragraph's style.
    int styleItem = item;
    if (SelectionExists()) {
      int sl, so, el, eo;
      GetSelectionDrawBounds(true, sl, so, el, eo);
      if (sl >= 0 && sl + 1 < DrawLines.Count() && so >= DrawLineEndOffset(sl) &&
          IsParaStart(DrawLines.Items(sl + 1)->ItemNo))
        styleItem = DrawLines.Items(sl + 1)->ItemNo;
    }
    const TRVStyle *st = GetRVStyle();
    if (!NoStyleNotify && IsTextItem(styleItem)) {
      const int style = GetItemStyle(styleItem);
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
    // A link under the caret shows as hovered, as under the mouse.
    const TCustomRVItemInfo *si = GetItem(styleItem);
    if (CaretHighlightsJumps() && si->GetStyleFlag(rvbsfHotSpot, st)) {
      if (!(State & rvstHoverActive) || HoveredJump != si->JumpID) {
        HoveredJump = si->JumpID;
        State |= rvstHoverActive;
        InvalidateRectInControl(TRect{0, 0, GetWidth(), GetHeight()});
      }
    } else if (State & rvstHoverActive) {
      HoveredJump = -1;
      State &= ~rvstHoverActive;
      InvalidateRectInControl(TRect{0, 0, GetWidth(), GetHeight()});
    }
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

// --------------------------------------------------------- selection

void TRVEditRVData::AfterSelectionSet() {
  if (SelEndLine < 0 || SelEndLine >= DrawLines.Count() || (State & rvstFormatting)) return;
  int line = SelEndLine, offs = SelEndOffs;
  // The caret never stands on a list marker: it goes to the start of what
  // follows it.
  if (GetItemStyle(DrawLines.Items(line)->ItemNo) == rvsListMarker && line + 1 < DrawLines.Count()) {
    ++line;
    offs = DrawLineStartOffset(line);
  }
  CaretDrawItemNo = line;
  PrepareCaretLine(offs - 1);
  UpdateResizer();
  PlaceCaret(false, true, false, false);
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

void TRVEditRVData::GetSelectionOrCaretDrawBounds(int &StartLine, int &StartOffs, int &EndLine, int &EndOffs,
                                                  bool Ordered) const {
  const bool caret = CaretDrawItemNo >= 0 && CaretOffs >= 0 && CaretOffs < int(CharEnds.size());
  if (SelectionExists() || !caret) {
    GetSelectionDrawBounds(Ordered, StartLine, StartOffs, EndLine, EndOffs);
    return;
  }
  StartLine = EndLine = CharEnds[size_t(CaretOffs)].DrawItemNo;
  StartOffs = EndOffs = CharEnds[size_t(CaretOffs)].Offset;
}

void TRVEditRVData::GetAnchorDrawPos(int &Line, int &Offs) const {
  int endLine, endOffs;
  GetSelectionOrCaretDrawBounds(Line, Offs, endLine, endOffs, false);
}

} // namespace kc
