// A study's statistics and pictures for 10,000 labelled records (5,000 in each group):
// the tables from the records' cells, and the pictures with their PNG, SVG and the PDF
// pages, as wavelet-cohort's helper draws them.

#include <benchmark/benchmark.h>

#include <QApplication>

#include <random>

#include "charts/CohortCharts.h"
#include "cohort/CohortTables.h"
#include "output/BatchGrid.h"
#include "output/LatePotentialTexts.h"

namespace {

using namespace wavelet;

std::vector<cohort::CohortRecord> Records(int count) {
  std::mt19937 random(29);
  std::normal_distribution<double> spread(0.0, 1.0);
  const std::vector<std::string> gridTitles = BatchGridColumns();
  const std::vector<std::string> lateTitles = LatePotentialTitles();
  std::vector<cohort::CohortRecord> records;
  for (int i = 0; i < count; ++i) {
    const bool positive = i % 2 == 0;
    std::vector<std::string> grid(gridTitles.size()), late(lateTitles.size());
    auto flag = [&] { return spread(random) + (positive ? 0.5 : 0.0) > 0 ? "1" : "0"; };
    for (std::size_t c = 0; c < gridTitles.size(); ++c) {
      const std::string& title = gridTitles[c];
      if (title.rfind("s_", 0) == 0 || title.rfind("judge", 0) == 0) grid[c] = flag();
      if (title == "area_M5" || title == "peak_n_M1" || title == "c_last_n_M" || title == "fQRS_M5") {
        grid[c] = std::to_string(static_cast<int>(100 + 20 * spread(random) + (positive ? 10 : 0)));
      }
    }
    late[5] = std::to_string(static_cast<int>(110 + 15 * spread(random) + (positive ? 8 : 0)));
    late[6] = std::to_string(20 + 8 * spread(random));
    late[7] = std::to_string(static_cast<int>(35 + 10 * spread(random)));
    for (int c = 8; c <= 11; ++c) late[static_cast<std::size_t>(c)] = flag();
    records.push_back(cohort::MakeCohortRecord("r" + std::to_string(i) + ".r01", positive ? "patient" : "control",
                                               positive, grid, late));
  }
  return records;
}

void BM_CohortStatistics(benchmark::State& state) {
  const std::vector<cohort::CohortRecord> records = Records(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    const cohort::CohortReport report = cohort::BuildReport(records, "patient", "control");
    benchmark::DoNotOptimize(cohort::SerializeReport(report));
    benchmark::DoNotOptimize(cohort::RecordsTable(records));
  }
}
BENCHMARK(BM_CohortStatistics)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_CohortPictures(benchmark::State& state) {
  const cohort::CohortReport report =
      cohort::BuildReport(Records(static_cast<int>(state.range(0))), "patient", "control");
  for (auto _ : state) {
    std::vector<charts::CohortPicture> pictures = charts::CohortPictures(report);
    for (charts::CohortPicture& picture : pictures) {
      const QSize size(charts::kPictureWidth, charts::kPictureHeight);
      benchmark::DoNotOptimize(charts::ChartPng(*picture.Chart, size));
      benchmark::DoNotOptimize(charts::ChartSvg(*picture.Chart, size, QString()));
    }
    benchmark::DoNotOptimize(charts::CohortPdf(report, pictures));
  }
}
BENCHMARK(BM_CohortPictures)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
