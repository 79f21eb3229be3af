// Caret moves by character, word, line, page and document; the selection
// that Shift makes; jump mode; the item that an empty document gets.
#include <algorithm>
#include <cstdint>

#include "richtext/controls/RVERVData.h"
#include "richtext/document/RVItem.h"
#include "richtext/document/RVUni.h"
#include "richtext/document/RVUniClusters.h"

namespace kc {

namespace {

bool IsMarkerLine(const TRVEditRVData &d, int DrawLineNo) {
  return d.GetItemStyle(d.DrawLines.Items(DrawLineNo)->ItemNo) == rvsListMarker;
}

// A word starts where a space is followed by something else that is not a
// mark on that space.
bool WordStartsAt(const std::string &s, int Offs, uint8_t Opt) {
  return Offs > 1 && IsSpaceAt(s, Offs - 1, Opt) && !IsSpaceAt(s, Offs, Opt) &&
         CharBoundaryAtOrBefore(s, Offs, Opt) == Offs;
}

// Back from Offs (after the first character of a text item) to the start
// of the word it is in or, at a word's start, of the word before.
int WordStartBefore(const TRVEditRVData &d, int ItemNo, int Offs) {
  const std::string &s = d.GetItemTextRaw(ItemNo);
  const uint8_t opt = d.GetItem(ItemNo)->IsUnicode() ? rvuniUnicodeBit : 0;
  do --Offs;
  while (Offs > 1 && !WordStartsAt(s, Offs, opt));
  return Offs;
}

// On from Offs to the next word's start, or to the item's end.
int WordStartFrom(const TRVEditRVData &d, int ItemNo, int Offs) {
  const std::string &s = d.GetItemTextRaw(ItemNo);
  const uint8_t opt = d.GetItem(ItemNo)->IsUnicode() ? rvuniUnicodeBit : 0;
  const int end = GetTextLength(s, opt) + 1;
  while (Offs < end && !WordStartsAt(s, Offs, opt)) ++Offs;
  return std::min(Offs, end);
}

} // namespace

// ------------------------------------------------------------ helpers

bool TRVEditRVData::CaretReady() {
  if (CaretDrawItemNo < 0 || DrawLines.Count() == 0) return false;
  ClampCaret();
  return CaretOffs >= 0 && CaretOffs < int(CharEnds.size());
}

void TRVEditRVData::SetCaretDrawPos(int DrawLineNo, int DrawOffs) {
  CaretDrawItemNo = DrawLineNo;
  PrepareCaretLine(DrawOffs - 1);
}

void TRVEditRVData::SetCaretItemPosNear(int ItemNo, int Offs) {
  for (size_t i = 0; i < CharEnds.size(); ++i) {
    int item, offs;
    DrawPosToItemPos(CharEnds[i].DrawItemNo, CharEnds[i].Offset, item, offs);
    if (item == ItemNo && offs == Offs) {
      CaretOffs = int(i);
      return;
    }
  }
  int line, offs;
  ItemPosToDrawPos(ItemNo, Offs, line, offs);
  if (line >= 0) SetCaretDrawPos(line, offs);
}

void TRVEditRVData::PlaceMovedCaret(bool Scroll) {
  UpdateResizer();
  PlaceCaret(false, Scroll, false, false);
}

bool TRVEditRVData::OfferCaretTo(int DrawLineNo, TRVGetOutDirection Direction) {
  const int item = DrawLines.Items(DrawLineNo)->ItemNo;
  if (IsTextItem(item) || GetItemStyle(item) == rvsListMarker) return false;
  if ((Direction == rvdUp || Direction == rvdDown) && CaretReady())
    return GetItem(item)->TakeCaretAt(this, item, Direction, CharEnds[size_t(CaretOffs)].X);
  return GetItem(item)->TakeCaret(this, item, Direction);
}

bool TRVEditRVData::StepStopForward() {
  if (CaretOffs + 1 < int(CharEnds.size())) {
    ++CaretOffs;
    return true;
  }
  const int next = CharEnds.back().DrawItemNo + 1;
  if (next >= DrawLines.Count()) return false;
  // A list marker that starts the next line is passed by the rebuilt line.
  SetCaretDrawPos(next, DrawLineStartOffset(next));
  return true;
}

bool TRVEditRVData::ParagraphSelecting() const {
  const TRVStyle *st = GetRVStyle();
  return st && st->SelectionMode == rvsmParagraph && SelectionSpansParagraphs();
}

void TRVEditRVData::MoveToPrevParagraphStart() {
  int dl = CharEnds[size_t(CaretOffs)].DrawItemNo;
  while (dl > 0 && !IsParagraphStartLine(dl)) --dl;
  if (dl > 0) {
    --dl;
    while (dl > 0 && !IsParagraphStartLine(dl)) --dl;
  }
  SetCaretDrawPos(dl, DrawLineStartOffset(dl));
  CaretOffs = CharEnds.empty() ? -1 : 0;
  PlaceMovedCaret();
}

void TRVEditRVData::MoveToNextParagraphEnd() {
  const int n = DrawLines.Count();
  int dl = CharEnds[size_t(CaretOffs)].DrawItemNo;
  while (dl + 1 < n && !IsParagraphStartLine(dl + 1)) ++dl;
  if (dl + 1 < n) {
    ++dl;
    while (dl + 1 < n && !IsParagraphStartLine(dl + 1)) ++dl;
  }
  SetCaretDrawPos(dl, DrawLineEndOffset(dl));
  CaretOffs = int(CharEnds.size()) - 1;
  PlaceMovedCaret();
}

void TRVEditRVData::MoveToLineAt(int Target, bool NoOffer, TRVGetOutDirection Direction) {
  // The caret's x each time: no column is remembered across moves.
  const int x = CharEnds[size_t(CaretOffs)].X;
  const int y = RVSatAdd(DrawLines.Items(Target)->Top, 1);
  int line = -1, offs = -1;
  HitTestDrawLine(x, y, false, line, offs);
  if (line < 0) return;
  const TRVDrawLineInfo *d = DrawLines.Items(line);
  if (!NoOffer && x >= d->Left && int64_t(x) < int64_t(d->Left) + d->Width && OfferCaretTo(line, Direction)) return;
  SetCaretDrawPos(line, offs);
  PlaceMovedCaret();
}

void TRVEditRVData::ScreenLineExtent(int DrawLineNo, int &Top, int &Bottom) const {
  int first, last;
  GetScreenLineRange(DrawLineNo, first, last);
  Top = INT32_MAX;
  Bottom = INT32_MIN;
  for (int i = first; i <= last; ++i) {
    const TRVDrawLineInfo *d = DrawLines.Items(i);
    Top = std::min(Top, d->Top);
    Bottom = std::max(Bottom, RVSatAdd(d->Top, d->Height));
  }
}

// ---------------------------------------------------------- the moves

bool TRVEditRVData::MoveCaretHome(bool Shift, bool Ctrl) {
  (void)Shift;
  if (!CaretReady()) return Ctrl;
  if (Ctrl) {
    CaretDrawItemNo = 0;
    PrepareCaretLine(-1);
  }
  CaretOffs = CharEnds.empty() ? -1 : 0;
  PlaceMovedCaret();
  return Ctrl;
}

bool TRVEditRVData::MoveCaretEnd(bool Shift, bool Ctrl) {
  (void)Shift;
  if (!CaretReady()) return Ctrl;
  if (Ctrl) SetCaretDrawPos(DrawLines.Count() - 1, DrawLineEndOffset(DrawLines.Count() - 1));
  CaretOffs = int(CharEnds.size()) - 1;
  PlaceMovedCaret();
  return Ctrl;
}

bool TRVEditRVData::MoveCaretLeft(bool Shift, bool Ctrl) {
  if (!CaretReady()) return false;
  if (Shift && ParagraphSelecting()) {
    MoveToPrevParagraphStart();
    return false;
  }
  int item, offs;
  if (Ctrl && GetCaretItemPos(item, offs) && IsTextItem(item) && offs > 1) {
    SetCaretItemPosNear(item, WordStartBefore(*this, item, offs));
    PlaceMovedCaret();
    return false;
  }
  if (CaretOffs > 0) {
    if (!Shift && !Ctrl && OfferCaretTo(CharEnds[size_t(CaretOffs)].DrawItemNo, rvdLeft)) return false;
    --CaretOffs;
    PlaceMovedCaret();
    return false;
  }
  int prev = CharEnds.front().DrawItemNo - 1;
  // Markers are passed backwards, except the document's first: passing
  // that one forwards leaves the caret where it is, at the edge.
  while (prev >= 0 && IsMarkerLine(*this, prev)) --prev;
  if (prev < 0) {
    PlaceMovedCaret();
    return true;
  }
  SetCaretDrawPos(prev, DrawLineEndOffset(prev));
  PlaceMovedCaret();
  return false;
}

bool TRVEditRVData::MoveCaretRight(bool Shift, bool Ctrl) {
  if (!CaretReady()) return false;
  if (Shift && ParagraphSelecting()) {
    MoveToNextParagraphEnd();
    return false;
  }
  if (Ctrl) {
    const bool atLineEnd = CaretOffs + 1 == int(CharEnds.size());
    if (!StepStopForward()) {
      PlaceMovedCaret();
      return true;
    }
    // A paragraph's start is a word's start too: the first word of the
    // next paragraph is not jumped over.
    int first, last;
    GetScreenLineRange(CharEnds.front().DrawItemNo, first, last);
    int item, offs;
    if (!(atLineEnd && IsParagraphStartLine(first)) && GetCaretItemPos(item, offs) && IsTextItem(item)) {
      const int to = WordStartFrom(*this, item, offs);
      if (to != offs) SetCaretItemPosNear(item, to);
    }
    PlaceMovedCaret();
    return false;
  }
  if (CaretOffs + 1 < int(CharEnds.size())) {
    if (!Shift && OfferCaretTo(CharEnds[size_t(CaretOffs) + 1].DrawItemNo, rvdRight)) return false;
    ++CaretOffs;
    PlaceMovedCaret();
    return false;
  }
  const bool moved = StepStopForward();
  PlaceMovedCaret();
  return !moved;
}

bool TRVEditRVData::MoveCaretUp(bool Shift, bool Ctrl) {
  if (!CaretReady()) return false;
  int first, last;
  GetScreenLineRange(CharEnds[size_t(CaretOffs)].DrawItemNo, first, last);
  if (first == 0) {
    if (Shift && CaretOffs != 0) {
      CaretOffs = 0;
      PlaceMovedCaret();
    } else {
      ScrollTo(0, true);
    }
    return true;
  }
  if (Shift && ParagraphSelecting()) {
    MoveToPrevParagraphStart();
    return false;
  }
  int target = first - 1;
  while (target > 0 && IsMarkerLine(*this, target)) --target;
  MoveToLineAt(target, Shift || Ctrl, rvdUp);
  return false;
}

bool TRVEditRVData::MoveCaretDown(bool Shift, bool Ctrl) {
  if (!CaretReady()) return false;
  const int n = DrawLines.Count();
  int first, last;
  GetScreenLineRange(CharEnds[size_t(CaretOffs)].DrawItemNo, first, last);
  if (last == n - 1) {
    if (Shift && CaretOffs != int(CharEnds.size()) - 1) {
      CaretOffs = int(CharEnds.size()) - 1;
      PlaceMovedCaret();
    } else {
      ScrollTo(std::max(0, DocumentHeight - std::max(0, GetHeight())), true);
    }
    return true;
  }
  if (Shift && ParagraphSelecting()) {
    MoveToNextParagraphEnd();
    return false;
  }
  int target = last + 1;
  if (target + 1 < n && IsMarkerLine(*this, target)) ++target;
  MoveToLineAt(target, Shift || Ctrl, rvdDown);
  return false;
}

// A page is two thirds of the client height at first, then half of it at
// a time until a line beyond the caret's is found. A client of 0 or 1
// pixels has no half to step by: it goes one screen line at a time, so
// that the search always moves and ends.
void TRVEditRVData::MoveCaretPageUp() {
  if (!CaretReady()) return;
  const int h = std::max(0, GetHeight());
  const int x = CharEnds[size_t(CaretOffs)].X;
  int first, last;
  GetScreenLineRange(CharEnds[size_t(CaretOffs)].DrawItemNo, first, last);
  int64_t y = int64_t(GetVOffs()) - 2 * int64_t(h) / 3;
  while (y > 0) {
    int line = -1, offs = -1;
    HitTestDrawLine(x, int(y), false, line, offs);
    if (line < 0) break;
    if (line < first) {
      SetCaretDrawPos(line, offs);
      PlaceMovedCaret();
      return;
    }
    if (h / 2 > 0) {
      y -= h / 2;
    } else {
      int top, bottom;
      ScreenLineExtent(line, top, bottom);
      y = std::min<int64_t>(y - 1, int64_t(top) - 1);
    }
  }
  MoveCaretHome(false, true);
}

void TRVEditRVData::MoveCaretPageDown() {
  if (!CaretReady()) return;
  const int h = std::max(0, GetHeight());
  const int x = CharEnds[size_t(CaretOffs)].X;
  int first, last;
  GetScreenLineRange(CharEnds[size_t(CaretOffs)].DrawItemNo, first, last);
  int64_t y = int64_t(GetVOffs()) + 2 * int64_t(h) / 3;
  for (;;) {
    if (y >= DocumentHeight) break;
    int line = -1, offs = -1;
    HitTestDrawLine(x, int(y), false, line, offs);
    if (line < 0) break;
    if (line > last) {
      SetCaretDrawPos(line, offs);
      PlaceMovedCaret(false);
      ScrollTo(DrawLines.Items(CaretDrawItemNo)->Top, true);
      return;
    }
    if (h / 2 > 0) {
      y += h / 2;
    } else {
      int top, bottom;
      ScreenLineExtent(line, top, bottom);
      y = std::max<int64_t>(y + 1, int64_t(bottom) + 1);
    }
  }
  MoveCaretEnd(false, true);
}

// ----------------------------------------------------------- selection

void TRVEditRVData::StartShiftSelection() {
  if (!CaretReady() || SelectionExists() || !GetOptions().Has(rvoAllowSelection)) return;
  const TRVCharPos &c = CharEnds[size_t(CaretOffs)];
  SelStartLine = SelEndLine = c.DrawItemNo;
  SelStartOffs = SelEndOffs = c.Offset;
}

void TRVEditRVData::ExtendShiftSelection() {
  if (!CaretReady() || !GetOptions().Has(rvoAllowSelection)) return;
  const TRVCharPos &c = CharEnds[size_t(CaretOffs)];
  if (SelStartLine < 0) {
    SelStartLine = c.DrawItemNo;
    SelStartOffs = c.Offset;
  }
  SelEndLine = c.DrawItemNo;
  SelEndOffs = c.Offset;
  const TRVStyle *st = GetRVStyle();
  if (st && st->SelectionMode == rvsmParagraph && ExpandSelectionToParagraphs(false)) {
    // The caret goes with the widened end, so that the next move goes on
    // from the paragraph's edge.
    SetCaretDrawPos(SelEndLine, SelEndOffs);
    PlaceCaret(false, true, false, false);
  }
  UpdateResizer();
  SelectionChanged();
}

// ----------------------------------------------------------- jump mode

void TRVEditRVData::RebuildJumps() {
  Jumps.clear();
  const TRVStyle *st = GetRVStyle();
  for (int i = 0; i < DrawLines.Count(); ++i) {
    const TRVDrawLineInfo *d = DrawLines.Items(i);
    const TCustomRVItemInfo *item = GetItem(d->ItemNo);
    if (!item->GetStyleFlag(rvbsfJump, st)) continue;
    if (!IsTextItem(d->ItemNo)) {
      AddJump(d->ItemNo, i, item->JumpID, d->Width, d->Height, crJump);
    } else if (d->Length > 0) {
      const TFontInfo *fi = st->TextStyles().GetTextStyleSafe(GetActualStyle(item));
      AddJump(d->ItemNo, i, item->JumpID, d->Width, d->Height, fi ? fi->JumpCursor : crJump);
    }
  }
  UpdateJumpRects();
}

void TRVEditRVData::EnterJumpMode(bool Forced) {
  if ((!Forced && IsReadOnly()) || MouseSel.Selecting) return;
  RebuildJumps();
  SetFlags(uint16_t(GetFlags() | rvflBuildJumps));
  State &= ~rvstHoverActive;
  InvalidateRectInControl(TRect{0, 0, GetWidth(), GetHeight()});
}

void TRVEditRVData::LeaveJumpMode() {
  if (IsReadOnly() || MouseSel.Selecting || !InJumpMode()) return;
  ClearHoveredJump();
  Jumps.clear();
  SetFlags(uint16_t(GetFlags() & ~rvflBuildJumps));
  State &= ~rvstHoverActive;
  HoveredJump = -1;
  PlaceCaret(false, false, false, false);
  InvalidateRectInControl(TRect{0, 0, GetWidth(), GetHeight()});
}

bool TRVEditRVData::InJumpMode() const { return (GetFlags() & rvflBuildJumps) != 0; }

// ---------------------------------------------------------------- misc

void TRVEditRVData::EnsureNotEmpty() {
  const TRVStyle *st = GetRVStyle();
  if (GetItemCount() != 0 || !st) return;
  std::unique_ptr<TCustomRVItemInfo> item = RichVistaTextItemClass(this);
  item->StyleNo = CurTextStyleNo >= 0 && CurTextStyleNo < st->TextStyles().Count() ? CurTextStyleNo : 0;
  item->ParaNo = CurParaStyleNo >= 0 && CurParaStyleNo < st->ParaStyles().Count() ? CurParaStyleNo : 0;
  if (st->TextStyles().GetTextStyleSafe(item->StyleNo)->Unicode) item->ItemOptions.Include(rvioUnicode);
  Items.Add(std::string(), std::move(item));
  ReformatAll(false, true, true, 0, nullptr, false, false);
  if (DrawLines.Count() == 0) return;
  CaretDrawItemNo = 0;
  PrepareCaretLine(-1);
  PlaceMovedCaret();
}

} // namespace kc
