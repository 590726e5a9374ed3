// The window against what a real disk holds: huge directories, long work lists,
// odd and very long names, deep paths, and entries that are not records at all.
//
// The batch size defaults to a count the suite can afford; set
// WAVELET_HOSTILE_BATCH_RECORDS (for example to 10000) to measure a larger run by hand.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QtTest>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "support/AppTestSupport.h"
#include "app/DirectoryChooser.h"
#include "app/MainWindow.h"

using wavelet::TSDIAppForm;

namespace {

// Peak resident memory of this process, in kilobytes.
long PeakResidentKb() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
  }
  return -1;
}

void WriteRecordFile(const std::string& path, int index) {
  wavelet::testing::WriteRecord(path, apptest::RecordFor(index));
}

std::string Bytes(const QString& path) { return QFile::encodeName(path).toStdString(); }

// Releases a reader stuck on a named pipe after a while, so a regression fails the
// test instead of hanging the suite.
class PipeWatchdog {
 public:
  explicit PipeWatchdog(std::string path) : path_(std::move(path)) {
    thread_ = std::thread([this] {
      for (int i = 0; i < 100 && !stop_; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
      if (stop_) return;
      fired_ = true;
      const int fd = ::open(path_.c_str(), O_WRONLY | O_NONBLOCK);
      if (fd >= 0) ::close(fd);
    });
  }
  ~PipeWatchdog() {
    stop_ = true;
    thread_.join();
  }
  bool Fired() const { return fired_; }

 private:
  std::string path_;
  std::atomic<bool> stop_{false};
  std::atomic<bool> fired_{false};
  std::thread thread_;
};

}  // namespace

class HostileWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();

  void TwentyThousandNamesAreListedWhileTheWindowStaysResponsive();
  void LongWorkListRunsThroughTheBatch();
  void OddAndLongestNamesLoadAndExportByteForByte();
  void RecordPathLongerThan299Characters();
  void DirectoryPipeAndUnreadableEntriesAreErrorsNotHangs();

 private:
  std::unique_ptr<QTemporaryDir> dir_;
  std::unique_ptr<TSDIAppForm> window_;
  // Opens `directory` in the chooser (through a sibling, so the change is noticed),
  // moves every listed name to the work list and presses "Analyse >>".
  void OpenAddAllAnalyse(const QString& directory);
};

void HostileWindowTest::init() {
  dir_ = std::make_unique<QTemporaryDir>();
  ::chmod(QFile::encodeName(dir_->path()).constData(), 0755);
  window_ = std::make_unique<TSDIAppForm>(nullptr, dir_->path());
  window_->SetInteractiveMessages(false);
  window_->show();
}

void HostileWindowTest::cleanup() {
  window_.reset();
  // Qt cannot remove names that are not valid in the locale's encoding.
  std::error_code ignored;
  std::filesystem::remove_all(QFile::encodeName(dir_->path()).toStdString(), ignored);
  dir_.reset();
}

void HostileWindowTest::OpenAddAllAnalyse(const QString& directory) {
  TSDIAppForm& w = *window_;
  QDir(dir_->path()).mkdir("elsewhere");
  QVERIFY(w.DirectoryListBox1->OpenDirectory(QDir(dir_->path()).filePath("elsewhere")));
  QVERIFY(w.DirectoryListBox1->OpenDirectory(directory));
  w.ListBox1->selectAll();
  w.ButtonAdd->click();
  w.ButtonAnalyse->click();
}

void HostileWindowTest::TwentyThousandNamesAreListedWhileTheWindowStaysResponsive() {
  constexpr int kNames = 20000;
  const QString big = QDir(dir_->path()).filePath("big");
  QVERIFY(QDir().mkdir(big));
  for (int i = 0; i < kNames; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "/P%05d.R01", i);
    std::FILE* f = std::fopen((Bytes(big) + name).c_str(), "wb");
    QVERIFY(f != nullptr);
    std::fclose(f);
  }
  TSDIAppForm& w = *window_;
  // A timer that only fires when the event loop gets a turn.
  int ticks = 0;
  QTimer timer;
  timer.setInterval(0);
  connect(&timer, &QTimer::timeout, [&] { ++ticks; });
  timer.start();
  QElapsedTimer clock;
  clock.start();
  QVERIFY(w.DirectoryListBox1->OpenDirectory(big));
  const qint64 ms = clock.elapsed();
  timer.stop();
  QCOMPARE(w.ListBox1->count(), kNames);
  QVERIFY2(ticks > 100, qPrintable(QString("only %1 timer turns while listing").arg(ticks)));
  QVERIFY(w.ButtonAdd->isEnabled());
  qInfo("listing %d names: %lld ms, %d event-loop turns", kNames, ms, ticks);

  // Moving them all to the work list and back keeps every name.
  clock.restart();
  w.ListBox1->selectAll();
  w.ButtonAdd->click();
  QCOMPARE(w.ListBox2->count(), kNames);
  QCOMPARE(w.ListBox1->count(), 0);
  qInfo("adding %d names to the work list: %lld ms", kNames, clock.elapsed());
}

void HostileWindowTest::LongWorkListRunsThroughTheBatch() {
  const int count = qEnvironmentVariableIsSet("WAVELET_HOSTILE_BATCH_RECORDS")
                        ? qEnvironmentVariableIntValue("WAVELET_HOSTILE_BATCH_RECORDS")
                        : 300;
  const QString records = QDir(dir_->path()).filePath("records");
  QVERIFY(QDir().mkdir(records));
  for (int i = 1; i <= count; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "/P%05d.R01", i);
    WriteRecordFile(Bytes(records) + name, i % 50 + 1);
  }
  OpenAddAllAnalyse(records);
  TSDIAppForm& w = *window_;
  QCOMPARE(w.ListBox2->count(), count);
  const long memoryBefore = PeakResidentKb();
  QElapsedTimer clock;
  clock.start();
  w.Button2->click();
  const qint64 ms = clock.elapsed();
  QCOMPARE(w.Cursor().BatchRow, count + 1);
  QCOMPARE(w.Grid().RowCount(), count + 1);
  QVERIFY(w.LastErrorText().isEmpty());
  for (int r : {1, count / 2, count}) QVERIFY(!w.Grid().Cell(156, r).empty());
  const QString csv = QDir(dir_->path()).filePath("out.csv");
  w.SavePathChooser = [csv] { return csv; };
  w.findChild<QAction*>("FileSaveAsItem")->trigger();
  QFile file(csv);
  QVERIFY(file.open(QIODevice::ReadOnly));
  QCOMPARE(file.readAll().count('\n'), count + 1);
  qInfo("batch of %d records: %lld ms (%.2f ms a record), peak memory %ld kB (was %ld kB)",
        count, ms, double(ms) / count, PeakResidentKb(), memoryBefore);
}

void HostileWindowTest::OddAndLongestNamesLoadAndExportByteForByte() {
  const std::string longest = std::string(251, 'n') + ".r01";  // 255 bytes
  const std::vector<std::string> names = {
      " leading and  double spaces .R01", "kanji \xe5\xbf\x83\xe9\x9b\xbb.r01",
      "latin-1 \xfc not utf-8.r01", "comma, \"quote\".r01", longest};
  for (std::size_t i = 0; i < names.size(); ++i) {
    WriteRecordFile(Bytes(dir_->path()) + "/" + names[i], static_cast<int>(i) + 1);
  }
  const QString directory = dir_->path();
  OpenAddAllAnalyse(directory);
  TSDIAppForm& w = *window_;
  QCOMPARE(w.ListBox2->count(), static_cast<int>(names.size()));
  QVERIFY2(w.LastErrorText().isEmpty(), qPrintable(w.LastErrorText()));
  w.Button2->click();
  QVERIFY2(w.LastErrorText().isEmpty(), qPrintable(w.LastErrorText()));
  std::vector<std::string> cells;
  for (int r = 1; r <= static_cast<int>(names.size()); ++r) {
    QVERIFY(!w.Grid().Cell(156, r).empty());
    cells.push_back(w.Grid().Cell(0, r));
  }
  std::sort(cells.begin(), cells.end());
  std::vector<std::string> expected = names;
  std::sort(expected.begin(), expected.end());
  QVERIFY(cells == expected);
}

void HostileWindowTest::RecordPathLongerThan299Characters() {
  QString deep = dir_->path();
  while (deep.size() < 300) deep += "/" + QString(50, 'd');
  QVERIFY(QDir().mkpath(deep));
  WriteRecordFile(Bytes(deep) + "/P0001.R01", 1);
  OpenAddAllAnalyse(deep);
  TSDIAppForm& w = *window_;
  QCOMPARE(w.ListBox2->count(), 1);
  QVERIFY2(w.LastErrorText().isEmpty(), qPrintable(w.LastErrorText()));
  QVERIFY(w.Record().RecordPath.size() > 299);
  w.Button1->click();
  QVERIFY(w.Analysis().PeakListCount > 0);
}

void HostileWindowTest::DirectoryPipeAndUnreadableEntriesAreErrorsNotHangs() {
  const QString odd = QDir(dir_->path()).filePath("odd");
  QVERIFY(QDir().mkdir(odd));
  ::chmod(QFile::encodeName(odd).constData(), 0755);
  const std::string base = Bytes(odd);
  QVERIFY(QDir().mkdir(odd + "/folder.r01"));
  QCOMPARE(::mkfifo((base + "/pipe.r02").c_str(), 0644), 0);
  WriteRecordFile(base + "/locked.r03", 1);
  ::chmod((base + "/locked.r03").c_str(), 0);
  WriteRecordFile(base + "/good.r04", 2);
  PipeWatchdog watchdog(base + "/pipe.r02");

  OpenAddAllAnalyse(odd);
  TSDIAppForm& w = *window_;
  QCOMPARE(w.ListBox2->count(), 4);
  // Root reads the locked file anyway; it is checked as "nobody" where that works.
  const bool asNobody = ::geteuid() == 0 && ::seteuid(65534) == 0;
  QStringList errors;
  for (int i = 0; i < 4; ++i) {
    w.ScrollBarFile->setValue(i);
    errors << w.LastErrorText();
  }
  if (asNobody) QCOMPARE(::seteuid(0), 0);
  QVERIFY(!watchdog.Fired());
  for (int i = 0; i < 4; ++i) {
    const QString name = w.ListBox2->item(i)->text();
    if (name == "good.r04") continue;
    if (name == "locked.r03" && ::geteuid() == 0 && !asNobody) continue;
    QVERIFY2(errors[i] == "Cannot read [" + odd + "/" + name + "]", qPrintable(errors[i]));
  }
  // A batch over the same list finishes and leaves the bad rows empty.
  w.Button2->click();
  QVERIFY(!watchdog.Fired());
  QCOMPARE(w.Cursor().BatchRow, 5);
}

QTEST_MAIN(HostileWindowTest)
#include "test_hostile_window.moc"
