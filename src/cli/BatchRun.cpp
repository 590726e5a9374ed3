#include "cli/BatchRun.h"

#include <sys/stat.h>

#include <cerrno>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "output/CsvWriter.h"
#include "session/Workbench.h"

namespace wavelet::cli {
namespace {

// What one thread reuses from record to record: a workbench of its own, whose rows
// are built exactly as one record of the window's batch.
// The pictures come from a second workbench, which shows each record as the
// analysis tab does; the rows' workbench stays exactly as it is without pictures.
struct Worker {
  explicit Worker(const PictureRequest& request) : pictures(request) {
    bench.StartUp();
    if (!pictures.Directory.empty()) {
      view = std::make_unique<Workbench>();
      view->StartUp();
    }
  }
  const PictureRequest& pictures;
  Workbench bench;
  std::unique_ptr<Workbench> view;
};

class NoHeaderSink final : public HeaderSink {
 public:
  void ShowHeaderField(const PatientHeaderEntry&, const std::string&) override {}
};

RecordRow AnalyseInput(const BatchInput& input, Worker& worker) {
  AnalysedRow analysed = worker.bench.AnalyseRecordRow(input.Path, input.Name);
  RecordRow row;
  row.Line = CsvLine(analysed.Cells);
  row.ErrorText = std::move(analysed.ErrorText);
  // A path that names nothing at all says so: the usual slip on a command line.
  struct stat status {};
  if (!row.ErrorText.empty() && row.ErrorText == "Cannot read [" + input.Path + "]" &&
      ::lstat(input.Path.c_str(), &status) != 0 && errno == ENOENT) {
    row.ErrorText += ": No such file or directory";
  }
  row.WindowsClamped = analysed.WindowsClamped;
  if (worker.view && analysed.Read) {
    NoHeaderSink sink;
    AnalysisDriverHooks hooks;
    if (worker.view->ShowRecord(input.Path, input.Name, sink, worker.pictures.View, hooks).Ok) {
      row.PictureError = worker.view->WritePictures(worker.pictures.Directory, input.Name).ErrorText;
    }
  }
  return row;
}

void Account(BatchRunReport& report, const RecordRow& row) {
  if (row.ErrorText.empty()) {
    ++report.Analysed;
  } else {
    ++report.Unreadable;
  }
  if (!row.PictureError.empty()) ++report.PicturesFailed;
}

BatchRunReport RunSequential(const std::vector<BatchInput>& records, BatchOutput& output,
                             const RowDone& rowDone, const PictureRequest& pictures) {
  BatchRunReport report;
  auto worker = std::make_unique<Worker>(pictures);
  for (std::size_t i = 0; i < records.size() && output.Good(); ++i) {
    const RecordRow row = AnalyseInput(records[i], *worker);
    output.Write(row.Line);
    Account(report, row);
    if (rowDone) rowDone(i, row);
  }
  report.OutputFailed = !output.Good();
  return report;
}

// Workers take the next record index as long as it lies within a window ahead of the
// writer; finished rows wait in their slot of the ring until the writer reaches them.
class OrderedRun {
 public:
  OrderedRun(const std::vector<BatchInput>& records, int jobs, const PictureRequest& pictures)
      : records_(records), pictures_(pictures), jobs_(jobs), window_(static_cast<std::size_t>(jobs) * 16), slots_(window_) {}

  BatchRunReport Run(BatchOutput& output, const RowDone& rowDone) {
    std::vector<std::thread> threads;
    for (int t = 0; t < jobs_; ++t) threads.emplace_back([this] { Work(); });
    BatchRunReport report;
    for (std::size_t i = 0; i < records_.size(); ++i) {
      RecordRow row;
      {
        std::unique_lock lock(mutex_);
        Slot& slot = slots_[i % window_];
        rowReady_.wait(lock, [&] { return slot.ready; });
        row = std::move(slot.row);
        slot.ready = false;
        ++written_;
      }
      spaceFree_.notify_all();
      output.Write(row.Line);
      Account(report, row);
      if (rowDone) rowDone(i, row);
      if (!output.Good()) break;
    }
    {
      std::lock_guard lock(mutex_);
      stopped_ = true;
    }
    spaceFree_.notify_all();
    for (std::thread& thread : threads) thread.join();
    report.OutputFailed = !output.Good();
    return report;
  }

 private:
  struct Slot {
    RecordRow row;
    bool ready = false;
  };

  void Work() {
    auto worker = std::make_unique<Worker>(pictures_);
    for (;;) {
      std::size_t index;
      {
        std::unique_lock lock(mutex_);
        spaceFree_.wait(lock, [&] {
          return stopped_ || next_ >= records_.size() || next_ < written_ + window_;
        });
        if (stopped_ || next_ >= records_.size()) return;
        index = next_++;
      }
      RecordRow row = AnalyseInput(records_[index], *worker);
      bool writerWaits;
      {
        std::lock_guard lock(mutex_);
        Slot& slot = slots_[index % window_];
        slot.row = std::move(row);
        slot.ready = true;
        writerWaits = index == written_;
      }
      if (writerWaits) rowReady_.notify_one();
    }
  }

  const std::vector<BatchInput>& records_;
  const PictureRequest& pictures_;
  const int jobs_;
  const std::size_t window_;
  std::vector<Slot> slots_;
  std::mutex mutex_;
  std::condition_variable rowReady_;
  std::condition_variable spaceFree_;
  std::size_t next_ = 0;
  std::size_t written_ = 0;
  bool stopped_ = false;
};

}  // namespace

BatchRunReport RunBatch(const std::vector<BatchInput>& records, int jobs, BatchOutput& output,
                        const RowDone& rowDone, const PictureRequest& pictures) {
  if (jobs <= 1 || records.size() <= 1) return RunSequential(records, output, rowDone, pictures);
  OrderedRun run(records, jobs, pictures);
  return run.Run(output, rowDone);
}

}  // namespace wavelet::cli
