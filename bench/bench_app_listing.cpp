// Listing a huge directory in the window's candidate list and a work list of 10,000
// records through the window's batch, on the offscreen platform.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>

#include <cstdio>
#include <fstream>
#include <memory>

#include "WindowBenchmarkMain.h"
#include "app/DirectoryChooser.h"
#include "app/MainWindow.h"
#include "record/SampleRecords.h"

namespace {

void WriteNames(const QString& directory, int count, bool records) {
  for (int i = 0; i < count; ++i) {
    const std::string path =
        QDir(directory).filePath(QString::fromStdString(wavelet::SampleRecordName(i))).toStdString();
    std::ofstream out(path, std::ios::binary);
    if (records) {
      const wavelet::RecordBytes bytes = wavelet::MakeSampleRecord(7, i % 40);
      out.write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    }
  }
}

// Opening a directory of n empty record-named files, alternating with an empty one so
// every iteration is a real change.
void BM_ListHugeDirectory(benchmark::State& state) {
  QTemporaryDir dir;
  const QString big = QDir(dir.path()).filePath("big");
  const QString empty = QDir(dir.path()).filePath("empty");
  QDir().mkdir(big);
  QDir().mkdir(empty);
  WriteNames(big, static_cast<int>(state.range(0)), false);
  wavelet::TSDIAppForm window(nullptr, empty);
  window.SetInteractiveMessages(false);
  window.show();
  for (auto _ : state) {
    window.DirectoryListBox1->OpenDirectory(big);
    state.PauseTiming();
    window.DirectoryListBox1->OpenDirectory(empty);
    state.ResumeTiming();
  }
}
BENCHMARK(BM_ListHugeDirectory)->Arg(20000)->Unit(benchmark::kMillisecond);

void BM_BatchOfTenThousand(benchmark::State& state) {
  QTemporaryDir dir;
  const QString records = QDir(dir.path()).filePath("records");
  QDir().mkdir(records);
  WriteNames(records, 10000, true);
  wavelet::TSDIAppForm window(nullptr, dir.path());
  window.SetInteractiveMessages(false);
  window.show();
  window.DirectoryListBox1->OpenDirectory(records);
  window.ListBox1->selectAll();
  window.ButtonAdd->click();
  window.ButtonAnalyse->click();
  for (auto _ : state) window.Button2->click();
}
BENCHMARK(BM_BatchOfTenThousand)->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace

WAVELET_WINDOW_BENCHMARK_MAIN()
