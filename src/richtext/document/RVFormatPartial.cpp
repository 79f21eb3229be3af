// Reformatting only the paragraphs an edit touched: their draw lines are
// made again in the slots of the old ones and the lines below move by the
// change in height. The result is the one a whole pass would give.
#include <algorithm>
#include <climits>
#include <iterator>
#include <vector>

#include "richtext/document/CRVFData.h"
#include "platform/Canvas.h"

namespace kc {

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

  int y0 = GetTopMargin();
  if (FirstDrawLine > 0) {
    int f = 0, l = 0;
    GetScreenLineRange(FirstDrawLine - 1, f, l);
    y0 = INT_MIN;
    for (int i = f; i <= l; ++i) {
      const TRVDrawLineInfo *d = DrawLines.Items(i);
      // A whole-line item does not take the spacing of the line above it.
      y0 = std::max<int>(y0, RVSatAdd(RVSatAdd(d->Top, d->Height),
                                      GetItem(firstItem)->GetFlag(rvbpFullWidth) ? 0 : d->ExtraSpaceBelow));
    }
  }
  int oldNextTop = -1;
  if (!endsDoc) {
    int f = 0, l = 0;
    GetScreenLineRange(LastDrawLine + 1, f, l);
    oldNextTop = INT_MAX;
    for (int i = f; i <= l; ++i) oldNextTop = std::min(oldNextTop, DrawLines.Items(i)->Top);
  }
  const int oldDocHeight = DocumentHeight;
  const int oldHOffs = GetHOffs(), oldVOffs = GetVOffs();
  const int repaintStart = y0 - 10 - oldVOffs;

  // Hyperlink areas are kept in draw order: those of the old lines go, the
  // new lines add theirs in the same place, and those after them are put
  // back behind, shifted with their lines.
  auto before = [](const std::unique_ptr<TRVJumpInfo> &j, int Line) { return j->DrawLineNo < Line; };
  const auto rangeJumps = std::lower_bound(Jumps.begin(), Jumps.end(), FirstDrawLine, before);
  const auto laterJumps = std::lower_bound(rangeJumps, Jumps.end(), LastDrawLine + 1, before);
  std::vector<std::unique_ptr<TRVJumpInfo>> later(std::make_move_iterator(laterJumps),
                                                  std::make_move_iterator(Jumps.end()));
  size_t jumpsFrom = size_t(rangeJumps - Jumps.begin());
  Jumps.erase(rangeJumps, Jumps.end());

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

  int64_t spacing = 0;
  if (lastItem == GetItemCount() - 1) {
    spacing = VScale(ParaSpaceAfter(lastItem));
  } else if (GetItem(lastItem + 1)->IsParaStart()) {
    spacing = int64_t(VScale(ParaSpaceAfter(lastItem))) + VScale(ParaSpaceBefore(lastItem + 1));
    // A break also keeps the space before paragraph style 0 above it.
    if (GetItemStyle(lastItem + 1) == rvsBreak) {
      const TParaInfo *p0 = GetRVStyle()->ParaStyles().GetParaStyleSafe(0);
      spacing += VScale(p0 ? std::clamp(p0->SpaceBefore, -RVMaxCoord / 4, RVMaxCoord / 4) : 0);
    }
  }
  const int newBottom = RVSatAdd(RVSatAdd(FS.Y, FS.LineDescent), spacing);

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

  int bottom;
  if (endsDoc || newEnd >= DrawLines.Count()) {
    bottom = newBottom;
  } else {
    int f = 0, l = 0;
    GetScreenLineRange(DrawLines.Count() - 1, f, l);
    bottom = INT_MIN;
    for (int i = f; i <= l; ++i) {
      const TRVDrawLineInfo *d = DrawLines.Items(i);
      bottom = std::max<int>(bottom, RVSatAdd(RVSatAdd(d->Top, d->Height), d->ExtraSpaceBelow));
    }
    bottom = RVSatAdd(bottom, VScale(ParaSpaceAfter(GetItemCount() - 1)));
  }
  TRect repaint{0, repaintStart, GetWidth(),
                std::min(GetHeight(), std::max(newBottom, oldDocHeight) - GetVOffs() + 10)};
  const int newHeight = RVSatAdd(GetBottomMargin(), bottom);
  if (newHeight != DocumentHeight) {
    DocumentHeight = newHeight;
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
      TCustomRVFormattedData::ReformatAll(true, true, true, 0, canvas, false, false);
      InvalidateRectInControl(TRect{0, 0, GetWidth(), GetHeight()});
      return;
    }
    if (voffs != GetVOffs()) repaint = TRect{0, 0, GetWidth(), GetHeight()};
  }
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
