// Finishing a line: alignment, justification, the spacing below it and the
// visual order of right-to-left runs.
#include <QChar>
#include <algorithm>
#include <climits>

#include "richtext/document/CRVFData.h"
#include "richtext/document/RVMarker.h"
#include "richtext/document/RVUni.h"

namespace kc {

namespace {

// Direction of one character: 1 left-to-right, 2 right-to-left, 0 neutral.
int CharDirection(char16_t c) {
  switch (QChar(c).direction()) {
  case QChar::DirL: return 1;
  case QChar::DirR:
  case QChar::DirAL: return 2;
  default: return 0;
  }
}

} // namespace

int TCustomRVFormattedData::FinishLine(int LastDrawLine, int RightEdge, bool LastLineOfPara) {
  if (FS.SkipFinish) {
    FS.SkipFinish = false;
    return 0;
  }
  if (LastDrawLine < 0 || LastDrawLine >= DrawLines.Count() || !DrawLines.Items(LastDrawLine)) return 0;
  int first = LastDrawLine;
  while (first > 0 && !DrawLines.Items(first)->FromNewLine && DrawLines.Items(first - 1)) --first;
  TRVDrawLineInfo *last = DrawLines.Items(LastDrawLine);
  const TCustomRVItemInfo *item = GetItem(last->ItemNo);
  if (item->GetFlag(rvbpFullWidth)) return 0;
  const TRVStyle *style = GetRVStyle();
  const TParaInfo *p = style->ParaStyles().GetParaStyleSafe(item->ParaNo);
  if (!p) return 0;
  const TRVBiDiMode bidi = GetParaBiDiMode(item->ParaNo);
  TRVAlignment a = p->Alignment;
  if (a == rvaJustify && bidi != rvbdUnspecified) a = rvaLeft;
  int64_t spare = int64_t(RightEdge) - (int64_t(last->Left) + last->Width);
  int64_t shift = 0;
  if (a == rvaRight) shift = spare;
  else if (a == rvaCenter) shift = std::max<int64_t>(0, spare / 2);

  // Spacing below the line, in 64 bits: a stored spacing of any size gives a
  // bounded result.
  int64_t extra = 0;
  if (p->LineSpacingType == rvlsPercent && p->LineSpacing >= 50) {
    int64_t minTop = INT64_MAX, maxBottom = INT64_MIN;
    for (int i = first; i <= LastDrawLine; ++i) {
      const TRVDrawLineInfo *d = DrawLines.Items(i);
      if (GetItemStyle(d->ItemNo) < 0) continue;
      minTop = std::min<int64_t>(minTop, d->Top);
      maxBottom = std::max<int64_t>(maxBottom, int64_t(d->Top) + d->Height);
    }
    if (minTop != INT64_MAX) extra = (maxBottom - minTop) * (int64_t(p->LineSpacing) - 100) / 100;
  } else if (p->LineSpacingType == rvlsSpaceBetween && p->LineSpacing >= 0) {
    extra = int64_t(p->LineSpacing) * FS.sad.ppiyDevice / std::max(1, FS.sad.ppiyScreen);
  }
  extra = std::clamp<int64_t>(extra, -RVMaxCoord / 4, RVMaxCoord / 4);
  if (extra != 0)
    for (int i = first; i <= LastDrawLine; ++i) DrawLines.Items(i)->ExtraSpaceBelow = static_cast<int32_t>(extra);

  if (a == rvaJustify && !LastLineOfPara) {
    if (LastDrawLine > first) {
      int count = 0;
      for (int i = first + 1; i <= LastDrawLine; ++i) {
        const TRVDrawLineInfo *d = DrawLines.Items(i);
        if (d->Length > 0 && IsTextItem(d->ItemNo) &&
            IsSpaceAt(GetItemTextRaw(d->ItemNo), d->Offs, GetItemOptions(d->ItemNo).Raw_()))
          ++count;
      }
      for (int i = first + 1; i <= LastDrawLine; ++i) {
        TRVDrawLineInfo *d = DrawLines.Items(i);
        if (count > 0 && d->Length > 0 && IsTextItem(d->ItemNo) &&
            IsSpaceAt(GetItemTextRaw(d->ItemNo), d->Offs, GetItemOptions(d->ItemNo).Raw_())) {
          const int64_t add = spare / count;
          d->ExtraSpaceBefore = static_cast<int32_t>(add);
          d->Width = RVSatAdd(d->Width, add);
          spare -= add;
          --count;
        }
        const TRVDrawLineInfo *prev = DrawLines.Items(i - 1);
        d->Left = RVSatAdd(prev->Left, prev->Width);
      }
    }
  } else if (shift != 0) {
    for (int i = first; i <= LastDrawLine; ++i) DrawLines.Items(i)->Left = RVSatAdd(DrawLines.Items(i)->Left, shift);
  }
  if (bidi != rvbdUnspecified) BiDiReorder(first, LastDrawLine, bidi);
  return static_cast<int>(extra);
}

void TCustomRVFormattedData::BiDiReorder(int First, int Last, TRVBiDiMode ParaBiDi) {
  const TRVStyle *style = GetRVStyle();
  TRVDrawLineInfo *firstDl = DrawLines.Items(First);
  const TCustomRVItemInfo *firstItem = GetItem(firstDl->ItemNo);
  if (ParaBiDi == rvbdRightToLeft && !firstItem->GetContinuePara() && firstDl->Offs <= 1) {
    int move = 0;
    if (firstItem->StyleNo == rvsListMarker) {
      // The marker's leading part belongs to the right side.
      const auto *m = static_cast<const TRVMarkerItemInfo *>(firstItem);
      move = HScale(m->LeftShift);
    } else if (const TParaInfo *p = style->ParaStyles().GetParaStyleSafe(firstItem->ParaNo)) {
      move = -HScale(p->FirstIndent);
    }
    if (move != 0)
      for (int i = First; i <= Last; ++i) DrawLines.Items(i)->Left = RVSatAdd(DrawLines.Items(i)->Left, move);
  }
  if (Last <= First) return;
  const int paraDir = ParaBiDi == rvbdRightToLeft ? 2 : 1;
  std::vector<int> startDir, endDir;
  for (int i = First; i <= Last; ++i) {
    const TRVDrawLineInfo *d = DrawLines.Items(i);
    int s = paraDir, e = paraDir;
    const int styleNo = GetItemStyle(d->ItemNo);
    if (styleNo >= 0 && d->Length > 0) {
      const TFontInfo *fi = style->TextStyles().GetTextStyleSafe(styleNo);
      if (fi && fi->BiDiMode != rvbdUnspecified) {
        s = e = fi->BiDiMode == rvbdRightToLeft ? 2 : 1;
      } else {
        const std::string &t = GetItemTextRaw(d->ItemNo);
        const bool uni = GetItem(d->ItemNo)->IsUnicode();
        const int len = GetTextLength(t, uni ? rvuniUnicodeBit : 0);
        if (d->Offs < 1 || d->Offs + d->Length - 1 > len) return;
        auto at = [&](int i1) -> char16_t {
          return uni ? UnitAt(t, static_cast<size_t>(i1 - 1))
                     : static_cast<unsigned char>(t[static_cast<size_t>(i1 - 1)]);
        };
        if (int c = CharDirection(at(d->Offs))) s = c;
        if (int c = CharDirection(at(d->Offs + d->Length - 1))) e = c;
      }
    }
    startDir.push_back(s);
    endDir.push_back(e);
  }
  // Runs of one direction: a right-to-left run shows its pieces reversed,
  // and a right-to-left paragraph shows its runs from the last to the first
  // (a left-to-right run inside it keeps its own order).
  std::vector<std::pair<int, int>> runs; // first and last piece index, relative
  const int n = Last - First + 1;
  for (int k = 0; k < n; ++k) {
    if (k > 0 && startDir[static_cast<size_t>(k)] == startDir[static_cast<size_t>(k - 1)]) runs.back().second = k;
    else runs.emplace_back(k, k);
  }
  if (paraDir == 2) std::reverse(runs.begin(), runs.end());
  std::vector<int> order;
  order.reserve(static_cast<size_t>(n));
  for (const auto &[a, b] : runs) {
    if (startDir[static_cast<size_t>(a)] == 2)
      for (int k = b; k >= a; --k) order.push_back(First + k);
    else
      for (int k = a; k <= b; ++k) order.push_back(First + k);
  }
  std::vector<int> oldLeft(static_cast<size_t>(Last - First + 1));
  for (int i = First; i <= Last; ++i) oldLeft[static_cast<size_t>(i - First)] = DrawLines.Items(i)->Left;
  int64_t x = DrawLines.Items(First)->Left;
  for (int idx : order) {
    TRVDrawLineInfo *d = DrawLines.Items(idx);
    int64_t gap = 0;
    if (idx > First) {
      const TRVDrawLineInfo *pred = DrawLines.Items(idx - 1);
      gap = int64_t(oldLeft[static_cast<size_t>(idx - First)]) -
            (int64_t(oldLeft[static_cast<size_t>(idx - 1 - First)]) + pred->Width);
    }
    d->Left = RVSatAdd(x, 0);
    x += int64_t(d->Width) + gap;
  }
}

} // namespace kc
