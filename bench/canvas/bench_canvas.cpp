// Figures for the text work the formatter does most: widths and fits of
// lines, the line-break search, and code-page conversion of datagram text.
#include <benchmark/benchmark.h>

#include <QGuiApplication>

#include <string>

#include "platform/CodePage.h"
#include "platform/QtCanvas.h"
#include "richtext/document/RVUni.h"

namespace {

std::u16string line(size_t n) {
  const std::u16string words = u"Lorem ipsum dolor sit amet, consectetur adipiscing elit. ";
  std::u16string s;
  while (s.size() < n) s += words;
  s.resize(n);
  return s;
}

void BM_TextExtentW(benchmark::State &state) {
  kc::QtCanvas c;
  std::u16string s = line(static_cast<size_t>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(c.textExtentW(s));
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_TextExtentW)->Arg(80)->Arg(2000);

void BM_TextFit(benchmark::State &state) {
  kc::QtCanvas c;
  std::string raw = kc::WideStringToRaw(line(static_cast<size_t>(state.range(0))));
  std::vector<int> ext;
  int fit = 0;
  for (auto _ : state) {
    kc::GetTextFit(c, raw, 400, kc::rvuniUnicodeBit, &ext, fit);
    benchmark::DoNotOptimize(fit);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_TextFit)->Arg(2000);

void BM_FindLineBreak(benchmark::State &state) {
  std::u16string s = line(2000);
  for (auto _ : state) {
    for (int i = 100; i < 2000; i += 100) benchmark::DoNotOptimize(kc::FindLineBreak(s, i));
  }
}
BENCHMARK(BM_FindLineBreak);

void BM_Cp1251ToUtf16(benchmark::State &state) {
  std::string bytes;
  for (int i = 0; i < 8192; ++i) bytes.push_back(static_cast<char>(0xC0 + i % 64));
  for (auto _ : state) benchmark::DoNotOptimize(kc::toUtf16(bytes, 1251));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes.size()));
}
BENCHMARK(BM_Cp1251ToUtf16);

} // namespace

int main(int argc, char **argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  return 0;
}
