// Figures for renumbering a whole marker list: plain lists, three-level
// outlines, and levels that fall at every marker (no marker has a parent
// or a same-level neighbour, the worst case for a backward search).
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "richtext/document/RVMarker.h"

namespace {

struct Fixture {
  explicit Fixture(int count, int pattern) {
    kc::TRVListInfo *list = style.ListStyles().Add();
    for (int i = 0; i < 3; ++i) {
      kc::TRVListLevel *l = list->Levels.Add();
      l->ListType = kc::rvlstDecimal;
      l->FormatString = "%0:s.%1:s.%2:s";
    }
    for (int i = 0; i < count; ++i) {
      int level = pattern == 0 ? 0 : pattern == 1 ? i % 3 : count - i;
      owned.push_back(std::make_unique<kc::TRVMarkerItemInfo>(nullptr, 0, level, 0, false));
      markers.InsertAfter(owned.back().get(), i ? owned[i - 1].get() : nullptr);
    }
  }
  kc::TRVStyle style;
  kc::TRVMarkerList markers;
  std::vector<std::unique_ptr<kc::TRVMarkerItemInfo>> owned;
};

void BM_RecalcCounters(benchmark::State &state) {
  Fixture f(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  for (auto _ : state) f.markers.RecalcCounters(0, &f.style);
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
// Second argument: 0 one level, 1 three-level outline, 2 falling levels.
BENCHMARK(BM_RecalcCounters)
    ->Args({1000, 0})
    ->Args({1000, 1})
    ->Args({1000, 2})
    ->Args({50000, 0})
    ->Args({50000, 1})
    ->Args({50000, 2});

} // namespace

BENCHMARK_MAIN();
