// The arrangement of a dock's bars in rows and along each row.
#include <algorithm>
#include <vector>

#include "toolbars/TBarDock.h"

namespace kc::tb {
namespace {

struct BarRecord {
  TTBCustomDockableWindow *Bar = nullptr;
  int Row = -1;
  int RequestedRow = 0;
  int Gap = 0;
  int FullLength = 0;
  int MinLength = 0;
  int Length = 0;
  int Overlap = 0;
  int Pos = 0;
  TTBShrinkMode ShrinkMode = tbsmNone;
  bool NeedsRelayout = false;
};

// Moves every bar from index From on (in sorted order) whose row is at or
// after Row one row down.
void ShiftRowsDown(std::vector<BarRecord> &Recs, size_t From, int Row, const BarRecord *Except) {
  for (size_t I = From; I < Recs.size(); ++I) {
    BarRecord &R = Recs[I];
    if (&R == Except || R.RequestedRow < Row) continue;
    ++R.RequestedRow;
    if (R.Row >= 0) ++R.Row;
  }
}

} // namespace

void TTBDock::ArrangeBars() {
  if (FArrangeDisableCount > 0) {
    FArrangeNeeded = true;
    return;
  }
  ++FArrangeDisableCount;
  struct Done {
    TTBDock *D;
    ~Done() {
      --D->FArrangeDisableCount;
      D->FArrangeNeeded = false;
      D->FCommitNewPositions = false;
    }
  } DoneGuard{this};
  // A wrapping bar knows how many rows its items take only once it has its
  // new length; when that changes its thickness, the rows are arranged again
  // with it (a few times at most: the rows settle at once in practice).
  for (int Pass = 0; Pass < 3 && ArrangeBarsOnce(); ++Pass) {
  }
}

bool TTBDock::ArrangeBarsOnce() {
  const bool Vertical = IsVertical();
  const auto Along = [Vertical](QSize S) { return Vertical ? S.height() : S.width(); };
  const auto Across = [Vertical](QSize S) { return Vertical ? S.width() : S.height(); };

  // Bars on their way out take no place.
  const auto Gone = [](TTBCustomDockableWindow *B) { return B->FDestroying; };
  FDockList.erase(std::remove_if(FDockList.begin(), FDockList.end(), Gone), FDockList.end());
  FDockVisibleList.erase(std::remove_if(FDockVisibleList.begin(), FDockVisibleList.end(), Gone),
                         FDockVisibleList.end());

  if (FDockVisibleList.empty()) {
    const int Thickness = FFixAlign ? 1 : 0;
    if (Vertical) SetDockSize(Thickness, height());
    else SetDockSize(width(), Thickness);
    return false;
  }
  const int Avail = std::max(0, Vertical ? height() - FNonClientHeight : width() - FNonClientWidth);

  if (FLimitToOneRow)
    for (TTBCustomDockableWindow *B : FDockList) B->FDockRow = 0;

  const auto ByRowPos = [](const TTBCustomDockableWindow *A, const TTBCustomDockableWindow *B) {
    if (A->FDockRow != B->FDockRow) return A->FDockRow < B->FDockRow;
    return A->FDockPos < B->FDockPos;
  };
  std::vector<TTBCustomDockableWindow *> Sorted = FDockList;
  std::stable_sort(Sorted.begin(), Sorted.end(), ByRowPos);
  if (FDragRowLocked && FDraggingBar) {
    // A bar locked to its row keeps its place in the order, so it pushes
    // its neighbours instead of passing them.
    auto Was = std::find(FDockList.begin(), FDockList.end(), FDraggingBar);
    auto Now = std::find(Sorted.begin(), Sorted.end(), FDraggingBar);
    if (Was != FDockList.end() && Now != Sorted.end()) {
      Sorted.erase(Now);
      Sorted.insert(Sorted.begin() + (Was - FDockList.begin()), FDraggingBar);
    }
  }
  std::stable_sort(FDockVisibleList.begin(), FDockVisibleList.end(), ByRowPos);

  std::vector<BarRecord> Recs(Sorted.size());
  for (size_t I = 0; I < Sorted.size(); ++I) {
    BarRecord &R = Recs[I];
    R.Bar = Sorted[I];
    R.RequestedRow = R.Bar->FDockRow;
    R.Row = std::find(FDockVisibleList.begin(), FDockVisibleList.end(), R.Bar) != FDockVisibleList.end()
                ? R.Bar->FDockRow
                : -1;
    R.Pos = R.Bar->FDockPos;
  }
  int Highest = -1;
  for (const BarRecord &R : Recs) Highest = std::max(Highest, R.RequestedRow);

  // Rows of their own: first bars dropped between rows, then FullSize bars.
  for (int Pass = 0; Pass < 2; ++Pass) {
    if (Pass == 0 && FLimitToOneRow) continue;
    for (int Row = 0; Row <= Highest; ++Row) {
      for (BarRecord &R : Recs) {
        if (R.Row != Row) continue;
        if (!(Pass == 0 ? R.Bar->FRowAlone : R.Bar->FFullSize)) continue;
        const bool Shares = std::any_of(Recs.begin(), Recs.end(),
                                        [&](const BarRecord &O) { return &O != &R && O.RequestedRow == Row; });
        if (!Shares) continue;
        ShiftRowsDown(Recs, 0, Row, &R);
        ++Highest;
        break;
      }
    }
  }

  // Rows nobody asks for vanish.
  for (int Row = 0; Row <= Highest;) {
    const bool Used =
        std::any_of(Recs.begin(), Recs.end(), [Row](const BarRecord &R) { return R.RequestedRow == Row; });
    if (Used) {
      ++Row;
      continue;
    }
    for (BarRecord &R : Recs)
      if (R.RequestedRow > Row) {
        --R.RequestedRow;
        if (R.Row >= 0) --R.Row;
      }
    --Highest;
  }

  const int DragIndex = [&] {
    for (size_t I = 0; I < Recs.size(); ++I)
      if (Recs[I].Bar == FDraggingBar) return int(I);
    return -1;
  }();

  for (int Row = 0; Row <= Highest; ++Row) {
    std::vector<size_t> InRow;
    int Need = 0;
    for (size_t I = 0; I < Recs.size(); ++I) {
      BarRecord &R = Recs[I];
      if (R.Row != Row) continue;
      R.FullLength = Along(R.Bar->FrameSizeFor(this)) + Along(R.Bar->GetContentSize());
      R.Length = R.FullLength;
      R.ShrinkMode = R.Bar->GetShrinkMode();
      R.MinLength = std::min(R.Bar->GetMinimumLength(), R.FullLength);
      R.Gap = 0;
      R.Overlap = 0;
      Need += R.ShrinkMode == tbsmChevron ? R.MinLength : R.FullLength;
      if (!InRow.empty() && Need > Avail && !FLimitToOneRow) {
        ShiftRowsDown(Recs, I, Row, nullptr);
        ++Highest;
        break;
      }
      InRow.push_back(I);
    }
    if (InRow.empty()) continue;
    int Total = 0;
    for (size_t I : InRow) Total += Recs[I].FullLength;
    int Excess = Total - Avail;

    // Gaps as the bars ask for them.
    int End = 0, Shift = 0, MinSum = 0, PrevEnd = 0, DragStart = 0;
    int DragInRow = -1;
    for (size_t K = 0; K < InRow.size(); ++K) {
      BarRecord &R = Recs[InRow[K]];
      int Start = R.Pos + Shift;
      if (End == 0 && (R.Bar->FFullSize || R.Bar->FStretch)) Start = 0;
      if (int(InRow[K]) == DragIndex) {
        DragStart = Start;
        DragInRow = int(K);
      }
      Start = std::max(Start, MinSum);
      if (Start > End) {
        if (Excess > 0) {
          // No room for gaps: the ones asked for are given up, and later
          // bars keep their distance to this one.
          Shift += End - Start;
          Start = End;
        } else {
          R.Gap = Start - End;
          End = Start;
        }
      } else if (Start < PrevEnd) {
        R.Overlap = PrevEnd - Start;
      }
      PrevEnd = Start + R.Length;
      End += R.Length;
      MinSum += R.MinLength;
    }

    const auto TakeGaps = [&](int LastK, int Over) {
      for (int K = LastK; K >= 0 && Over > 0; --K) {
        BarRecord &R = Recs[InRow[size_t(K)]];
        const int Give = std::min(R.Gap, Over);
        R.Gap -= Give;
        Over -= Give;
      }
    };
    const auto EndOf = [&](int LastK) {
      int E = 0;
      for (int K = 0; K <= LastK; ++K) E += Recs[InRow[size_t(K)]].Gap + Recs[InRow[size_t(K)]].Length;
      return E;
    };
    if (Excess < 0 && DragInRow > 0) TakeGaps(DragInRow - 1, EndOf(DragInRow - 1) - DragStart);
    const int LastK = int(InRow.size()) - 1;
    TakeGaps(LastK, EndOf(LastK) - Avail);

    if (Excess > 0) {
      if (DragInRow >= 0 && InRow.size() > 1) FDragBarSqueezed = true;
      int Acc = 0;
      for (int K = 0; K <= LastK && Excess > 0; ++K) {
        Acc = std::min(Acc + Recs[InRow[size_t(K)]].Overlap, Excess);
        for (int J = K - 1; J >= 0 && Acc > 0; --J) {
          if (J == DragInRow) break;
          BarRecord &R = Recs[InRow[size_t(J)]];
          if (R.ShrinkMode != tbsmChevron) continue;
          const int Give = std::min(R.Length - R.MinLength, Acc);
          R.Length -= Give;
          Excess -= Give;
          Acc -= Give;
        }
      }
    }
    for (int K = LastK; K >= 0 && Excess > 0; --K) {
      BarRecord &R = Recs[InRow[size_t(K)]];
      if (R.ShrinkMode == tbsmNone || (R.ShrinkMode == tbsmWrap && InRow.size() > 1)) continue;
      const int Give = std::min(R.Length - R.MinLength, Excess);
      R.Length -= Give;
      Excess -= Give;
    }

    End = 0;
    for (int K = 0; K <= LastK; ++K) {
      BarRecord &R = Recs[InRow[size_t(K)]];
      if (R.Bar->FFullSize || R.Bar->FStretch) {
        R.Length += R.Gap;
        R.Gap = 0;
      }
      R.Pos = End + R.Gap;
      if (R.Bar->FStretch) {
        if (K < LastK) {
          BarRecord &Next = Recs[InRow[size_t(K + 1)]];
          R.Length += Next.Gap;
          Next.Gap = 0;
        } else {
          R.Length = std::max(R.Length, Avail - R.Pos);
        }
      }
      if (R.Bar->FFullSize) R.Length = std::max(R.Length, Avail);
      End = R.Pos + R.Length;
    }
  }

  for (BarRecord &R : Recs) {
    R.Bar->FEffectiveDockRow = R.RequestedRow;
    R.Bar->FEffectiveDockPos = R.Pos;
    if (FCommitNewPositions) {
      R.Bar->FDockRow = R.RequestedRow;
      R.Bar->FDockPos = R.Pos;
    }
  }
  if (FCommitNewPositions) FDockList = Sorted;

  const QRect Client = ClientRect();
  int Offset = 0;
  for (int Row = 0; Row <= Highest; ++Row) {
    int Thickness = 0;
    std::vector<BarRecord *> InRow;
    for (BarRecord &R : Recs) {
      if (R.Row != Row) continue;
      InRow.push_back(&R);
      const int NewCurrent = R.Length >= R.FullLength ? 0 : R.Length;
      if (R.ShrinkMode != tbsmNone && NewCurrent != R.Bar->FCurrentSize) {
        R.Bar->FCurrentSize = NewCurrent;
        R.Bar->LayoutForDock(true, Kind(), this, false);
        R.NeedsRelayout = true;
      }
      R.Bar->FCurrentSize = NewCurrent;
      // A bar that wraps is as thick as its items' rows at the length it
      // has just been laid out for.
      R.Bar->FRowThickness = Across(R.Bar->GetContentSize());
      Thickness = std::max(Thickness, R.Bar->FRowThickness);
    }
    if (Thickness != 0) Thickness += 4;
    for (BarRecord *R : InRow) {
      ++R->Bar->FSetBoundsGuard;
      const QRect G = Vertical ? QRect(Client.left() + Offset, Client.top() + R->Pos, Thickness, R->Length)
                               : QRect(Client.left() + R->Pos, Client.top() + Offset, R->Length, Thickness);
      const QSize Was = R->Bar->size();
      R->Bar->setGeometry(G);
      --R->Bar->FSetBoundsGuard;
      if (R->NeedsRelayout || (R->ShrinkMode == tbsmWrap && Was != G.size())) R->Bar->ContentResized();
    }
    Offset += Thickness;
  }
  if (Vertical) SetDockSize(Offset + FNonClientWidth, height());
  else SetDockSize(width(), Offset + FNonClientHeight);

  bool ThicknessChanged = false;
  for (BarRecord &R : Recs)
    if (R.Row >= 0 && R.ShrinkMode == tbsmWrap && Across(R.Bar->GetContentSize()) != R.Bar->FRowThickness)
      ThicknessChanged = true;
  return ThicknessChanged;
}

} // namespace kc::tb
