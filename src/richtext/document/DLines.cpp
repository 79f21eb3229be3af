#include "richtext/document/DLines.h"

#include <algorithm>
#include <cstdlib>

namespace kc {

void TRVDrawLineInfo::SetData(int32_t ALeft, int32_t ATop, int32_t AItemNo, bool AFromNewLine) {
  Left = ALeft;
  Top = ATop;
  ItemNo = AItemNo;
  FromNewLine = AFromNewLine;
}

void TRVDrawLineInfo::SetSize(int32_t AWidth, int32_t AHeight) {
  Width = AWidth;
  Height = AHeight;
}

namespace {
// The document's coordinate bound: a shifted line stays inside it.
constexpr int64_t kMaxTop = int64_t(1) << 30;
int32_t ClampTop(int64_t Top) { return int32_t(std::clamp(Top, -kMaxTop, kMaxTop)); }
} // namespace

TRVDrawLineInfo *TRVDrawLines::Items(int Index) const {
  if (Index < 0 || Index >= Count()) throw EListError(Index);
  TRVDrawLineInfo *d = FItems[size_t(Index)].get();
  if (d && (d->FTopMark != FTopShift || d->FItemMark != FItemShift)) Settle(*d);
  return d;
}

void TRVDrawLines::Settle(TRVDrawLineInfo &D) const {
  // The differences are true shifts: Top and ItemNo stay inside 32 bits.
  D.Top = ClampTop(int64_t(D.Top) + int32_t(FTopShift - D.FTopMark));
  D.ItemNo += int32_t(FItemShift - D.FItemMark);
  Mark(D);
}

void TRVDrawLines::Shift(int From, int Dy, int DItem) {
  const int n = Count();
  From = std::clamp(From, 0, n);
  if (From == n || (Dy == 0 && DItem == 0)) return;
  if (FPending + std::abs(int64_t(Dy)) > kMaxTop) {
    // Far-travelled lines settle before the totals could wrap past them.
    for (int i = 0; i < n; ++i) (void)Items(i);
    FPending = 0;
  }
  if (From > n - From || std::abs(int64_t(Dy)) > kMaxTop) {
    for (int i = From; i < n; ++i)
      if (TRVDrawLineInfo *d = Items(i)) {
        d->Top = ClampTop(int64_t(d->Top) + Dy);
        d->ItemNo += DItem;
      }
    return;
  }
  for (int i = 0; i < From; ++i) (void)Items(i);
  FTopShift += uint32_t(Dy);
  FItemShift += uint32_t(DItem);
  FPending += std::abs(int64_t(Dy));
  for (int i = 0; i < From; ++i)
    if (TRVDrawLineInfo *d = FItems[size_t(i)].get()) Mark(*d);
}

bool TRVDrawLines::RenumberFrom(int From, int Delta) {
  const int n = Count();
  if (Delta == 0) return false;
  if (From > n - From) return false;
  const int64_t base = int64_t(FIndexBase) - Delta;
  if (base < 0 || base > kMaxTop) return false;
  FIndexBase = int(base);
  return true;
}

int TRVDrawLines::Add(std::unique_ptr<TRVDrawLineInfo> Rec) {
  if (Rec) Mark(*Rec);
  FItems.push_back(std::move(Rec));
  return Count() - 1;
}

void TRVDrawLines::Insert(int Index, std::unique_ptr<TRVDrawLineInfo> Rec) {
  if (Index < 0 || Index > Count()) throw EListError(Index);
  if (Rec) Mark(*Rec);
  if (HoleCount <= 0) {
    FItems.insert(FItems.begin() + Index, std::move(Rec));
    return;
  }
  const int holeEnd = HoleStart + HoleCount;
  if (Index <= HoleStart) {
    // The records from Index up to the hole move one slot into it.
    std::rotate(FItems.begin() + Index, FItems.begin() + HoleStart, FItems.begin() + HoleStart + 1);
    FItems[Index] = std::move(Rec);
    ++HoleStart;
  } else if (Index <= holeEnd) {
    // Inside the hole or at its end: the first free slot takes it.
    FItems[HoleStart] = std::move(Rec);
    ++HoleStart;
  } else {
    // The records between the hole and Index move one slot back into it.
    std::rotate(FItems.begin() + holeEnd - 1, FItems.begin() + holeEnd, FItems.begin() + Index);
    FItems[Index - 1] = std::move(Rec);
  }
  --HoleCount;
}

void TRVDrawLines::Delete(int Index) {
  if (Index < 0 || Index >= Count()) throw EListError(Index);
  if (HoleCount <= 0) {
    FItems.erase(FItems.begin() + Index);
    return;
  }
  const int holeEnd = HoleStart + HoleCount;
  if (Index >= HoleStart && Index < holeEnd) return; // already a hole slot
  FItems[Index].reset();
  // The freed slot joins the hole: the records between it and the hole move
  // one slot towards it, so that nothing behind the hole changes its index.
  if (Index < HoleStart) {
    std::rotate(FItems.begin() + Index, FItems.begin() + Index + 1, FItems.begin() + HoleStart);
    --HoleStart;
  } else {
    std::rotate(FItems.begin() + holeEnd, FItems.begin() + Index, FItems.begin() + Index + 1);
  }
  ++HoleCount;
}

void TRVDrawLines::MarkHole(int First, int Last) {
  if (HoleCount > 0) CloseHole();
  First = std::max(First, 0);
  Last = std::min(Last, Count() - 1);
  if (First > Last) {
    HoleStart = std::min(First, Count());
    HoleCount = 0;
    return;
  }
  for (int i = First; i <= Last; ++i) FItems[i].reset();
  HoleStart = First;
  HoleCount = Last - First + 1;
}

void TRVDrawLines::CloseHole() {
  if (HoleCount > 0 && HoleStart >= 0) FItems.erase(FItems.begin() + HoleStart, FItems.begin() + HoleStart + HoleCount);
  HoleStart = -1;
  HoleCount = 0;
}

void TRVDrawLines::Clear() {
  FItems.clear();
  HoleStart = -1;
  HoleCount = 0;
  FTopShift = FItemShift = 0;
  FPending = 0;
  FIndexBase = 0;
}

std::string TRVDrawLines::GetDrawItemText(int Index, const std::string &itemText, bool unicode) const {
  const TRVDrawLineInfo *d = Items(Index);
  if (!d) return {};
  return GetDrawItemText(Index, itemText, unicode, d->Offs, d->Length);
}

std::string TRVDrawLines::GetDrawItemText(int Index, const std::string &itemText, bool unicode, int Start,
                                          int Len) const {
  const TRVDrawLineInfo *d = Items(Index);
  if (!d || Len <= 0) return {};
  long long first = std::max<long long>(Start, d->Offs);
  long long last =
      std::min<long long>(static_cast<long long>(Start) + Len, static_cast<long long>(d->Offs) + d->Length);
  long long unit = unicode ? 2 : 1;
  long long chars = static_cast<long long>(itemText.size()) / unit;
  first = std::max<long long>(first, 1);
  last = std::min<long long>(last, chars + 1);
  if (last <= first) return {};
  return itemText.substr(static_cast<size_t>((first - 1) * unit), static_cast<size_t>((last - first) * unit));
}

} // namespace kc
