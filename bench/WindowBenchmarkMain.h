#pragma once
// The main() of benchmarks that drive the real window: a QApplication on the offscreen
// platform unless the caller chose another, around Google Benchmark's own main.

#include <benchmark/benchmark.h>

#include <QApplication>

#define WAVELET_WINDOW_BENCHMARK_MAIN()                                                    \
  int main(int argc, char** argv) {                                                       \
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen"); \
    QApplication application(argc, argv);                                                 \
    benchmark::Initialize(&argc, argv);                                                   \
    benchmark::RunSpecifiedBenchmarks();                                                  \
    benchmark::Shutdown();                                                                \
    return 0;                                                                             \
  }
