// Reformatting only the paragraphs an edit touched: their draw lines are
// made again in the slots of the old ones and the lines below move by the
// change in height. The result is the one a whole pass would give.
#include <algorithm>
#include <climits>
#include <iterator>
#include <vector>

#include "richtext/document/CRVFData.h"

namespace kc {

void TCustomRVFormattedData::ReformatItemKeepingCaret(int ItemNo, bool Full) {
  const int line = ItemNo >= 0 && ItemNo < GetItemCount() ? FirstDrawLineOfItem(ItemNo) : -1;
  if (Full || line < 0) {
    ReformatAll(true, true, true, 0, nullptr, false, false);
    return;
  }
  FormatParagraphs(line, line, 0);
}

void TCustomRVFormattedData::FormatParagraphs(int FirstDrawLine, int LastDrawLine, int ItemDelta) {
  const int n = DrawLines.Count();
  if (n == 0) {
    ReformatAllForced(false);
    return;
  }
  FirstDrawLine = std::clamp(FirstDrawLine, 0, n - 1);
  LastDrawLine = std::clamp(LastDrawLine, FirstDrawLine, n - 1);
  auto itemAt = [&](int dl) { return DrawLines.Items(dl)->ItemNo; };
  // Back to the start of the paragraph. Items of the old numbering before
  // the edit are unchanged, so their options can be asked.
  while (FirstDrawLine > 0) {
    const int it = itemAt(FirstDrawLine);
    if (it < GetItemCount() && GetItem(it)->IsParaStart() && it != itemAt(FirstDrawLine - 1)) break;
    --FirstDrawLine;
  }
  // On to the end of the paragraph, in the new numbering after the range.
  if (itemAt(LastDrawLine) + ItemDelta < GetItemCount() - 1) {
    const int it = itemAt(LastDrawLine);
    while (LastDrawLine + 1 < n && itemAt(LastDrawLine + 1) == it) ++LastDrawLine;
    while (LastDrawLine + 1 < n) {
      const int next = itemAt(LastDrawLine + 1) + ItemDelta;
      if (next < 0 || next >= GetItemCount() || !GetItem(next)->GetContinuePara()) break;
      ++LastDrawLine;
    }
  } else {
    LastDrawLine = n - 1;
  }
  FormatDrawLineRange(FirstDrawLine, LastDrawLine, ItemDelta);
}

void TCustomRVFormattedData::ExpandToParagraphs(int FirstDrawLine, int LastDrawLine, int &NewFirst,
                                                int &NewLast) const {
  const int n = DrawLines.Count();
  NewFirst = NewLast = -1;
  if (n == 0) return;
  auto itemAt = [&](int dl) { return DrawLines.Items(dl)->ItemNo; };
  auto paraStartLine = [&](int dl) {
    while (dl > 0) {
      const int it = itemAt(dl);
      if (GetItem(it)->IsParaStart() && it != itemAt(dl - 1)) break;
      --dl;
    }
    return dl;
  };
  int f = paraStartLine(std::clamp(FirstDrawLine, 0, n - 1));
  if (f > 0) f = paraStartLine(f - 1);
  int l = std::clamp(LastDrawLine, 0, n - 1);
  for (int pass = 0; pass < 2 && l < n - 1; ++pass) {
    const int it = itemAt(l);
    while (l + 1 < n && itemAt(l + 1) == it) ++l;
    while (l + 1 < n && GetItem(itemAt(l + 1))->GetContinuePara()) ++l;
    if (pass == 0 && l + 1 < n) ++l;
  }
  NewFirst = f;
  NewLast = l;
}

int64_t TCustomRVFormattedData::SpacingAfterItem(int ItemNo) const {
  if (ItemNo == GetItemCount() - 1) return VScale(ParaSpaceAfter(ItemNo));
  if (!GetItem(ItemNo + 1)->IsParaStart()) return 0;
  int64_t spacing = int64_t(VScale(ParaSpaceAfter(ItemNo))) + VScale(ParaSpaceBefore(ItemNo + 1));
  // A break also keeps the space before paragraph style 0 above it.
  if (GetItemStyle(ItemNo + 1) == rvsBreak) {
    const TParaInfo *p0 = GetRVStyle()->ParaStyles().GetParaStyleSafe(0);
    spacing += VScale(p0 ? std::clamp(p0->SpaceBefore, -RVMaxCoord / 4, RVMaxCoord / 4) : 0);
  }
  return spacing;
}

std::vector<std::unique_ptr<TRVJumpInfo>> TCustomRVFormattedData::TakeJumpsFrom(int First, int Last, size_t &Start) {
  auto before = [](const std::unique_ptr<TRVJumpInfo> &j, int Line) { return j->DrawLineNo < Line; };
  const auto rangeJumps = std::lower_bound(Jumps.begin(), Jumps.end(), First, before);
  const auto laterJumps = std::lower_bound(rangeJumps, Jumps.end(), Last + 1, before);
  std::vector<std::unique_ptr<TRVJumpInfo>> later(std::make_move_iterator(laterJumps),
                                                  std::make_move_iterator(Jumps.end()));
  Start = size_t(rangeJumps - Jumps.begin());
  Jumps.erase(rangeJumps, Jumps.end());
  return later;
}

bool TCustomRVFormattedData::ResizeAfterPartialPass(int NewHeight, TCanvas &Canvas, TRect &Repaint) {
  DocumentHeight = NewHeight;
  AdjustVScrollUnits();
  const int voffs = GetVOffs();
  const int clientWidth = GetWidth();
  SkipNextFormat = true;
  SetDocumentAreaSize(RVSatAdd(RVSatAdd(GetLeftMargin(), DocumentWidth), GetRightMargin()), DocumentHeight, true);
  SkipNextFormat = false;
  if (clientWidth != GetWidth()) {
    // The vertical bar came or went and the client's width with it: the
    // whole document wraps again at the new width now, as a whole pass
    // does, rather than running under the bar (or short of the edge)
    // until the next one. The selection is kept in item positions.
    State &= ~rvstFormatting;
    TCustomRVFormattedData::ReformatAll(true, true, true, 0, &Canvas, false, false);
    InvalidateRectInControl(TRect{0, 0, GetWidth(), GetHeight()});
    return true;
  }
  if (voffs != GetVOffs()) Repaint = TRect{0, 0, GetWidth(), GetHeight()};
  return false;
}

void TCustomRVFormattedData::FormatDrawLineRange(int FirstDrawLine, int LastDrawLine, int ItemDelta) {
  TCanvas *canvas = GetCanvas();
  if (!canvas || !GetRVStyle() || (State & rvstFormatting)) return;
  const int oldCount = DrawLines.Count();
  if (oldCount == 0 || GetItemCount() == 0) {
    ReformatAllForced(false);
    return;
  }
  FirstDrawLine = std::clamp(FirstDrawLine, 0, oldCount - 1);
  LastDrawLine = std::clamp(LastDrawLine, FirstDrawLine, oldCount - 1);
  int firstItem = DrawLines.Items(FirstDrawLine)->ItemNo;
  int lastItem = DrawLines.Items(LastDrawLine)->ItemNo + ItemDelta;
  ClampItemNo(firstItem);
  ClampItemNo(lastItem);
  if (lastItem < firstItem) lastItem = firstItem;
  const bool endsDoc = LastDrawLine == oldCount - 1;
  if (endsDoc) lastItem = GetItemCount() - 1;

  State |= rvstFormatting;
  struct Finally {
    TCustomRVFormattedData *D;
    ~Finally() {
      D->DrawLines.CloseHole();
      D->State &= ~rvstFormatting;
    }
  } fin{this};

  // A whole-line item does not take the spacing of the line above it.
  const int y0 = FirstDrawLine > 0 ? ScreenLineBottom(FirstDrawLine - 1, !GetItem(firstItem)->GetFlag(rvbpFullWidth))
                                   : GetTopMargin();
  const int oldNextTop = endsDoc ? -1 : ScreenLineTop(LastDrawLine + 1);
  const int oldDocHeight = DocumentHeight;
  const int oldHOffs = GetHOffs(), oldVOffs = GetVOffs();
  const int repaintStart = y0 - 10 - oldVOffs;

  // Hyperlink areas are kept in draw order: those of the old lines go, the
  // new lines add theirs in the same place, and those after them are put
  // back behind, shifted with their lines.
  size_t jumpsFrom = 0;
  std::vector<std::unique_ptr<TRVJumpInfo>> later = TakeJumpsFrom(FirstDrawLine, LastDrawLine, jumpsFrom);

  StartFormatState(*canvas);
  DrawLines.MarkHole(FirstDrawLine, LastDrawLine);
  FS.DrawIndex = FirstDrawLine;
  FS.LineFirst = FirstDrawLine;
  FS.Y = y0;
  FS.SkipFinish = true;
  FS.LineTrimmed = true;
  for (int i = firstItem; i <= lastItem; ++i) FormatItem(i);
  const int extra = FinishLine(FS.DrawIndex - 1, FS.LineStartX + FS.LineWidth, true);
  if (lastItem + 1 >= GetItemCount() || !GetItem(lastItem + 1)->GetFlag(rvbpFullWidth)) FS.Y = RVSatAdd(FS.Y, extra);
  DrawLines.CloseHole();
  const int newEnd = FS.DrawIndex; // first line after the range
  const int countDelta = DrawLines.Count() - oldCount;

  const int newBottom = RVSatAdd(RVSatAdd(FS.Y, FS.LineDescent), SpacingAfterItem(lastItem));

  if (!endsDoc && (ItemDelta != 0 || countDelta != 0 || newBottom != oldNextTop)) {
    const int64_t dy = int64_t(newBottom) - oldNextTop;
    DrawLines.Shift(newEnd, int(std::clamp<int64_t>(dy, -RVMaxCoord, RVMaxCoord)), ItemDelta);
  }
  for (std::unique_ptr<TRVJumpInfo> &j : later) {
    j->DrawLineNo += countDelta;
    Jumps.push_back(std::move(j));
  }
  // The items after the range keep their first lines unless lines were
  // added or removed; then all their marks move at once when that costs
  // less than writing them, and the lines before them get theirs again.
  if (countDelta == 0) FixFirstDrawLines(FirstDrawLine, newEnd);
  else if (DrawLines.RenumberFrom(newEnd, countDelta)) FixFirstDrawLines(0, newEnd);
  else FixFirstDrawLines(FirstDrawLine);

  int bottom = newBottom;
  if (!endsDoc && newEnd < DrawLines.Count())
    bottom = RVSatAdd(ScreenLineBottom(DrawLines.Count() - 1, true), SpacingAfterItem(GetItemCount() - 1));
  TRect repaint{0, repaintStart, GetWidth(),
                std::min(GetHeight(), std::max(newBottom, oldDocHeight) - GetVOffs() + 10)};
  const int newHeight = RVSatAdd(GetBottomMargin(), bottom);
  if (newHeight != DocumentHeight && ResizeAfterPartialPass(newHeight, *canvas, repaint)) return;
  if (GetOrigin() != FJumpsOrigin) jumpsFrom = 0;
  UpdateJumpRects(jumpsFrom);
  // Controls above the range stay where they are unless the view moved.
  PlaceInlineControls(GetHOffs() == oldHOffs && GetVOffs() == oldVOffs ? FirstDrawLine : 0);
  LastFormattedItem = GetItemCount() - 1;
  InvalidateRectInControl(repaint);
  State &= ~rvstFormatting;
  AfterFormat(firstItem, lastItem, true);
}

} // namespace kc
