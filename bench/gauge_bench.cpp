// The cost of the gauge as the commands use it: one paint of the main
// window's gauge (343 x 18), and a run of a million Progress assignments of
// which only the percentage changes paint. Runs on the offscreen platform
// unless QT_QPA_PLATFORM says otherwise.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstdlib>

#include "Gauges.h"

namespace {

void BM_PaintMainWindowGauge(benchmark::State& state) {
  TGauge gauge;
  gauge.resize(343, 18);
  gauge.show();
  QApplication::processEvents();
  gauge.SetProgress(50);
  for (auto _ : state) gauge.repaint();
  state.counters["paints"] = gauge.PaintCount();
}
BENCHMARK(BM_PaintMainWindowGauge)->Unit(benchmark::kMicrosecond);

void BM_PictureOnly(benchmark::State& state) {
  TGauge gauge;
  gauge.resize(343, 18);
  gauge.SetProgress(50);
  for (auto _ : state) benchmark::DoNotOptimize(gauge.Paint());
}
BENCHMARK(BM_PictureOnly)->Unit(benchmark::kMicrosecond);

void BM_MillionProgressAssignments(benchmark::State& state) {
  TGauge gauge;
  gauge.resize(343, 18);
  gauge.show();
  QApplication::processEvents();
  gauge.SetMaxValue(1000000);
  for (auto _ : state) {
    gauge.SetProgress(0);
    for (int v = 0; v <= 1000000; ++v) gauge.SetProgress(v);
  }
  state.counters["paints_per_run"] = benchmark::Counter(gauge.PaintCount(), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_MillionProgressAssignments)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
