// The window's speed on the offscreen platform: a record change with auto calculation
// on (load, raw view, basic analysis with its drawing, the sheet, the repaint of the
// images), a map analysis with its progress bar, and batches over sample records.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTemporaryDir>

#include <fstream>
#include <memory>

#include "WindowBenchmarkMain.h"
#include "app/DirectoryChooser.h"
#include "app/MainWindow.h"
#include "record/SampleRecords.h"

namespace {

// A window over `count` sample records, all in the work list, after "Analyse >>".
struct Workbench {
  QTemporaryDir dir;
  std::unique_ptr<wavelet::TSDIAppForm> window;

  explicit Workbench(int count) {
    for (int i = 0; i < count; ++i) {
      const wavelet::RecordBytes bytes = wavelet::MakeSampleRecord(7, i);
      std::ofstream out(QDir(dir.path()).filePath(QString::fromStdString(
                                                      wavelet::SampleRecordName(i)))
                            .toStdString(),
                        std::ios::binary);
      out.write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    }
    QDir(dir.path()).mkdir("sub");
    window = std::make_unique<wavelet::TSDIAppForm>(nullptr, QDir(dir.path()).filePath("sub"));
    window->SetInteractiveMessages(false);
    window->show();
    window->DirectoryListBox1->OpenDirectory(dir.path());
    window->ListBox1->selectAll();
    window->ButtonAdd->click();
    window->ButtonAnalyse->click();
    QCoreApplication::processEvents();
  }
};

void BM_RecordChangeWithAutoCalculation(benchmark::State& state) {
  Workbench bench(12);
  bench.window->RadioButton4->click();
  int position = 0;
  for (auto _ : state) {
    position = (position + 1) % 12;
    bench.window->ScrollBarFile->setValue(position);
    QCoreApplication::processEvents();  // the images and the sheet repaint
  }
}
BENCHMARK(BM_RecordChangeWithAutoCalculation)->Unit(benchmark::kMillisecond);

void BM_MapAnalysis(benchmark::State& state) {
  Workbench bench(1);
  bench.window->RadioButton3->click();
  for (auto _ : state) {
    bench.window->Button1->click();
    QCoreApplication::processEvents();
  }
}
BENCHMARK(BM_MapAnalysis)->Unit(benchmark::kMillisecond);

void BM_Batch(benchmark::State& state) {
  const int records = static_cast<int>(state.range(0));
  Workbench bench(records);
  for (auto _ : state) bench.window->Button2->click();
  state.counters["records/s"] =
      benchmark::Counter(static_cast<double>(records) * state.iterations(),
                         benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Batch)->Arg(1000)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

WAVELET_WINDOW_BENCHMARK_MAIN()
