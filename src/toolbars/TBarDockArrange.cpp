// The arrangement of a dock's bars in rows and along each row.
#include <algorithm>
#include <utility>
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

// The bars of one row (indices into the records, in order) fitted into the
// room there is: the gaps they ask for, then what they give up when the
// row is too short.
struct RowFit {
  RowFit(std::vector<BarRecord> &Recs, std::vector<size_t> InRow, int Avail)
      : recs(Recs), in(std::move(InRow)), avail(Avail) {
    int total = 0;
    for (size_t I : in) total += recs[I].FullLength;
    excess = total - avail;
  }
  std::vector<BarRecord> &recs;
  const std::vector<size_t> in;
  const int avail;
  int excess;         // the length the row's bars lack; negative when there is room left
  int dragInRow = -1; // the dragged bar's place in the row
  int dragStart = 0;  // where the dragged bar asks to start
  BarRecord &At(int K) { return recs[in[size_t(K)]]; }
  int LastK() const { return int(in.size()) - 1; }
  void AskForGaps(int DragIndex);
  void GiveUpGaps(int LastK, int Over);
  int EndOf(int LastK);
  void TrimGaps();
  void ShrinkOverlapped();
  void ShrinkFromTheEnd();
  void Position();
};

// Gaps as the bars ask for them.
void RowFit::AskForGaps(int DragIndex) {
  int End = 0, Shift = 0, MinSum = 0, PrevEnd = 0;
  for (int K = 0; K <= LastK(); ++K) {
    BarRecord &R = At(K);
    int Start = R.Pos + Shift;
    if (End == 0 && (R.Bar->FullSize() || R.Bar->Stretch())) Start = 0;
    if (int(in[size_t(K)]) == DragIndex) {
      dragStart = Start;
      dragInRow = K;
    }
    Start = std::max(Start, MinSum);
    if (Start > End) {
      if (excess > 0) {
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
}

// The gaps up to bar LastK, nearest first, give up Over.
void RowFit::GiveUpGaps(int LastK, int Over) {
  for (int K = LastK; K >= 0 && Over > 0; --K) {
    BarRecord &R = At(K);
    const int Give = std::min(R.Gap, Over);
    R.Gap -= Give;
    Over -= Give;
  }
}

int RowFit::EndOf(int LastK) {
  int E = 0;
  for (int K = 0; K <= LastK; ++K) E += At(K).Gap + At(K).Length;
  return E;
}

// The bars before a dragged one close up to where it is dropped, and the
// row ends within the room.
void RowFit::TrimGaps() {
  if (excess < 0 && dragInRow > 0) GiveUpGaps(dragInRow - 1, EndOf(dragInRow - 1) - dragStart);
  GiveUpGaps(LastK(), EndOf(LastK()) - avail);
}

// A bar laid over its neighbours squeezes the chevron bars before it, back
// to the dragged one.
void RowFit::ShrinkOverlapped() {
  if (excess <= 0) return;
  int Acc = 0;
  for (int K = 0; K <= LastK() && excess > 0; ++K) {
    Acc = std::min(Acc + At(K).Overlap, excess);
    for (int J = K - 1; J >= 0 && Acc > 0; --J) {
      if (J == dragInRow) break;
      BarRecord &R = At(J);
      if (R.ShrinkMode != tbsmChevron) continue;
      const int Give = std::min(R.Length - R.MinLength, Acc);
      R.Length -= Give;
      excess -= Give;
      Acc -= Give;
    }
  }
}

// What is still lacking comes from the last bars that can shrink; a
// wrapping bar wraps only alone in its row.
void RowFit::ShrinkFromTheEnd() {
  for (int K = LastK(); K >= 0 && excess > 0; --K) {
    BarRecord &R = At(K);
    if (R.ShrinkMode == tbsmNone || (R.ShrinkMode == tbsmWrap && in.size() > 1)) continue;
    const int Give = std::min(R.Length - R.MinLength, excess);
    R.Length -= Give;
    excess -= Give;
  }
}

// Positions along the row; stretching bars take the gap after them and
// full-size ones the whole row.
void RowFit::Position() {
  int End = 0;
  for (int K = 0; K <= LastK(); ++K) {
    BarRecord &R = At(K);
    if (R.Bar->FullSize() || R.Bar->Stretch()) {
      R.Length += R.Gap;
      R.Gap = 0;
    }
    R.Pos = End + R.Gap;
    if (R.Bar->Stretch()) {
      if (K < LastK()) {
        BarRecord &Next = At(K + 1);
        R.Length += Next.Gap;
        Next.Gap = 0;
      } else {
        R.Length = std::max(R.Length, avail - R.Pos);
      }
    }
    if (R.Bar->FullSize()) R.Length = std::max(R.Length, avail);
    End = R.Pos + R.Length;
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

// One pass of arranging: the dock's bars as records in row and position
// order, laid into rows and then onto the dock.
struct TTBDock::Arrangement {
  explicit Arrangement(TTBDock &Dock)
      : dock(Dock), vertical(Dock.IsVertical()),
        avail(std::max(0, vertical ? Dock.height() - Dock.FNonClientHeight : Dock.width() - Dock.FNonClientWidth)) {}
  TTBDock &dock;
  const bool vertical;
  const int avail; // the room along a row
  std::vector<TTBCustomDockableWindow *> sorted;
  std::vector<BarRecord> recs;
  int highest = -1;
  int dragIndex = -1;

  int Along(QSize S) const { return vertical ? S.height() : S.width(); }
  int Across(QSize S) const { return vertical ? S.width() : S.height(); }
  void SortBars();
  void MakeRecords();
  void GiveRowsOfTheirOwn();
  void DropUnusedRows();
  std::vector<size_t> FillRow(int Row);
  void FitRow(int Row);
  void Commit();
  void SetBounds();
  bool ThicknessChanged() const;
};

void TTBDock::Arrangement::SortBars() {
  if (dock.FLimitToOneRow)
    for (TTBCustomDockableWindow *B : dock.FDockList) B->FDockRow = 0;
  const auto ByRowPos = [](const TTBCustomDockableWindow *A, const TTBCustomDockableWindow *B) {
    if (A->FDockRow != B->FDockRow) return A->FDockRow < B->FDockRow;
    return A->FDockPos < B->FDockPos;
  };
  sorted = dock.FDockList;
  std::stable_sort(sorted.begin(), sorted.end(), ByRowPos);
  if (dock.FDragRowLocked && dock.FDraggingBar) {
    // A bar locked to its row keeps its place in the order, so it pushes
    // its neighbours instead of passing them.
    auto Was = std::find(dock.FDockList.begin(), dock.FDockList.end(), dock.FDraggingBar);
    auto Now = std::find(sorted.begin(), sorted.end(), dock.FDraggingBar);
    if (Was != dock.FDockList.end() && Now != sorted.end()) {
      sorted.erase(Now);
      sorted.insert(sorted.begin() + (Was - dock.FDockList.begin()), dock.FDraggingBar);
    }
  }
  std::stable_sort(dock.FDockVisibleList.begin(), dock.FDockVisibleList.end(), ByRowPos);
}

// Hidden bars keep their requested row but take no row (-1).
void TTBDock::Arrangement::MakeRecords() {
  const auto &Visible = dock.FDockVisibleList;
  recs.resize(sorted.size());
  for (size_t I = 0; I < sorted.size(); ++I) {
    BarRecord &R = recs[I];
    R.Bar = sorted[I];
    R.RequestedRow = R.Bar->FDockRow;
    R.Row = std::find(Visible.begin(), Visible.end(), R.Bar) != Visible.end() ? R.Bar->FDockRow : -1;
    R.Pos = R.Bar->FDockPos;
    if (R.Bar == dock.FDraggingBar && dragIndex < 0) dragIndex = int(I);
  }
  for (const BarRecord &R : recs) highest = std::max(highest, R.RequestedRow);
}

// Rows of their own: first bars dropped between rows, then FullSize bars.
void TTBDock::Arrangement::GiveRowsOfTheirOwn() {
  for (int Pass = 0; Pass < 2; ++Pass) {
    if (Pass == 0 && dock.FLimitToOneRow) continue;
    for (int Row = 0; Row <= highest; ++Row) {
      for (BarRecord &R : recs) {
        if (R.Row != Row) continue;
        if (!(Pass == 0 ? R.Bar->FRowAlone : R.Bar->FFullSize)) continue;
        const bool Shares = std::any_of(recs.begin(), recs.end(),
                                        [&](const BarRecord &O) { return &O != &R && O.RequestedRow == Row; });
        if (!Shares) continue;
        ShiftRowsDown(recs, 0, Row, &R);
        ++highest;
        break;
      }
    }
  }
}

// Rows nobody asks for vanish.
void TTBDock::Arrangement::DropUnusedRows() {
  for (int Row = 0; Row <= highest;) {
    const bool Used =
        std::any_of(recs.begin(), recs.end(), [Row](const BarRecord &R) { return R.RequestedRow == Row; });
    if (Used) {
      ++Row;
      continue;
    }
    for (BarRecord &R : recs)
      if (R.RequestedRow > Row) {
        --R.RequestedRow;
        if (R.Row >= 0) --R.Row;
      }
    --highest;
  }
}

// The bars of the row that fit in it (at their shortest, for those that
// shrink to a chevron); the first that does not, and all after it, move a
// row down.
std::vector<size_t> TTBDock::Arrangement::FillRow(int Row) {
  std::vector<size_t> InRow;
  int Need = 0;
  for (size_t I = 0; I < recs.size(); ++I) {
    BarRecord &R = recs[I];
    if (R.Row != Row) continue;
    R.FullLength = Along(R.Bar->FrameSizeFor(&dock)) + Along(R.Bar->GetContentSize());
    R.Length = R.FullLength;
    R.ShrinkMode = R.Bar->GetShrinkMode();
    R.MinLength = std::min(R.Bar->GetMinimumLength(), R.FullLength);
    R.Gap = 0;
    R.Overlap = 0;
    Need += R.ShrinkMode == tbsmChevron ? R.MinLength : R.FullLength;
    if (!InRow.empty() && Need > avail && !dock.FLimitToOneRow) {
      ShiftRowsDown(recs, I, Row, nullptr);
      ++highest;
      break;
    }
    InRow.push_back(I);
  }
  return InRow;
}

void TTBDock::Arrangement::FitRow(int Row) {
  std::vector<size_t> InRow = FillRow(Row);
  if (InRow.empty()) return;
  RowFit Fit(recs, std::move(InRow), avail);
  Fit.AskForGaps(dragIndex);
  Fit.TrimGaps();
  if (Fit.excess > 0 && Fit.dragInRow >= 0 && Fit.in.size() > 1) dock.FDragBarSqueezed = true;
  Fit.ShrinkOverlapped();
  Fit.ShrinkFromTheEnd();
  Fit.Position();
}

// The places found become the bars' effective ones, and their own while
// a drag commits them.
void TTBDock::Arrangement::Commit() {
  for (BarRecord &R : recs) {
    R.Bar->FEffectiveDockRow = R.RequestedRow;
    R.Bar->FEffectiveDockPos = R.Pos;
    if (dock.FCommitNewPositions) {
      R.Bar->FDockRow = R.RequestedRow;
      R.Bar->FDockPos = R.Pos;
    }
  }
  if (dock.FCommitNewPositions) dock.FDockList = sorted;
}

// Each row as thick as its thickest bar at its new length; the dock as
// thick as its rows.
void TTBDock::Arrangement::SetBounds() {
  const QRect Client = dock.ClientRect();
  int Offset = 0;
  for (int Row = 0; Row <= highest; ++Row) {
    int Thickness = 0;
    std::vector<BarRecord *> InRow;
    for (BarRecord &R : recs) {
      if (R.Row != Row) continue;
      InRow.push_back(&R);
      const int NewCurrent = R.Length >= R.FullLength ? 0 : R.Length;
      if (R.ShrinkMode != tbsmNone && NewCurrent != R.Bar->FCurrentSize) {
        R.Bar->FCurrentSize = NewCurrent;
        R.Bar->LayoutForDock(true, dock.Kind(), &dock, false);
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
      const QRect G = vertical ? QRect(Client.left() + Offset, Client.top() + R->Pos, Thickness, R->Length)
                               : QRect(Client.left() + R->Pos, Client.top() + Offset, R->Length, Thickness);
      const QSize Was = R->Bar->size();
      R->Bar->setGeometry(G);
      --R->Bar->FSetBoundsGuard;
      if (R->NeedsRelayout || (R->ShrinkMode == tbsmWrap && Was != G.size())) R->Bar->ContentResized();
    }
    Offset += Thickness;
  }
  if (vertical) dock.SetDockSize(Offset + dock.FNonClientWidth, dock.height());
  else dock.SetDockSize(dock.width(), Offset + dock.FNonClientHeight);
}

bool TTBDock::Arrangement::ThicknessChanged() const {
  for (const BarRecord &R : recs)
    if (R.Row >= 0 && R.ShrinkMode == tbsmWrap && Across(R.Bar->GetContentSize()) != R.Bar->FRowThickness) return true;
  return false;
}

bool TTBDock::ArrangeBarsOnce() {
  // Bars on their way out take no place.
  const auto Gone = [](TTBCustomDockableWindow *B) { return B->FDestroying; };
  FDockList.erase(std::remove_if(FDockList.begin(), FDockList.end(), Gone), FDockList.end());
  FDockVisibleList.erase(std::remove_if(FDockVisibleList.begin(), FDockVisibleList.end(), Gone),
                         FDockVisibleList.end());

  if (FDockVisibleList.empty()) {
    const int Thickness = FFixAlign ? 1 : 0;
    if (IsVertical()) SetDockSize(Thickness, height());
    else SetDockSize(width(), Thickness);
    return false;
  }
  Arrangement A(*this);
  A.SortBars();
  A.MakeRecords();
  A.GiveRowsOfTheirOwn();
  A.DropUnusedRows();
  for (int Row = 0; Row <= A.highest; ++Row) A.FitRow(Row);
  A.Commit();
  A.SetBounds();
  return A.ThicknessChanged();
}

} // namespace kc::tb
