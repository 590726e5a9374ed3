#include "cli/BatchRun.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "output/CsvWriter.h"
#include "output/RecordedPage.h"
#include "session/Workbench.h"

namespace wavelet::cli {
namespace {

// What one thread reuses from record to record: a workbench of its own, whose step is
// exactly one record of the window's batch, with the pictures and the page asked for.
struct Worker {
  explicit Worker(const OutputRequest& output) {
    bench.StartUp();
    if (!output.PictureDirectory.empty()) {
      step.View = &output.View;
      step.PictureDirectory = output.PictureDirectory;
      step.PictureRenames = &renames;
    }
    step.PageWidth = output.PageWidth;
    step.PageHeight = output.PageHeight;
    step.LatePotentialUnit = output.LatePotentialUnit;
  }
  // The pictures are synced once per checkpoint, not once per file: until then they
  // exist under temporary names only, so a crash never leaves a truncated picture
  // under a final name.
  Outcome Checkpoint(bool last) {
    if (!last && ++sinceCheckpoint < kRecordsPerCheckpoint) return Outcome::Success();
    sinceCheckpoint = 0;
    return renames.Finish();
  }

  static constexpr int kRecordsPerCheckpoint = 64;
  EntryRequest step;
  Workbench bench;
  DeferredRenames renames;
  int sinceCheckpoint = 0;
};

class NoHeaderSink final : public HeaderSink {
 public:
  void ShowHeaderField(const PatientHeaderEntry&, const std::string&) override {}
};

RecordRow AnalyseInput(const BatchInput& input, Worker& worker) {
  NoHeaderSink sink;
  AnalysisDriverHooks hooks;
  RecordRow row;
  row.Products = worker.bench.ProcessEntry(input.Path, input.Name, sink, worker.step, hooks);
  EntryProducts& made = row.Products;
  row.Line = CsvLine(made.Cells);
  if (made.Page) {
    row.Page = SerializePage(*made.Page);
    made.Page.reset();
  }
  if (worker.step.LatePotentialUnit) row.LatePotentialLine = CsvTableLine(made.LatePotentialCells);
  if (worker.step.View != nullptr) {
    const Outcome synced = worker.Checkpoint(false);
    if (!synced.Ok && made.Pictures.Ok) made.Pictures = synced;
  }
  return row;
}

void Account(BatchRunReport& report, const RecordRow& row) {
  if (row.Products.Load.Ok) {
    ++report.Analysed;
  } else {
    ++report.Unreadable;
  }
  if (!row.Products.Pictures.Ok) ++report.PicturesFailed;
}

BatchRunReport RunSequential(const std::vector<BatchInput>& records, BatchOutput& output,
                             const RowDone& rowDone, const OutputRequest& request) {
  BatchRunReport report;
  auto worker = std::make_unique<Worker>(request);
  for (std::size_t i = 0; i < records.size() && output.Good(); ++i) {
    RecordRow row = AnalyseInput(records[i], *worker);
    output.Write(row.Line);
    Account(report, row);
    if (rowDone) rowDone(i, row);
  }
  const Outcome synced = worker->Checkpoint(true);
  if (!synced.Ok) report.LateFailures.push_back(synced);
  report.OutputFailed = !output.Good();
  return report;
}

// Workers take the next record index as long as it lies within a window ahead of the
// writer; finished rows wait in their slot of the ring until the writer reaches them.
class OrderedRun {
 public:
  OrderedRun(const std::vector<BatchInput>& records, int jobs, const OutputRequest& request)
      : records_(records), request_(request), jobs_(jobs), window_(static_cast<std::size_t>(jobs) * 16), slots_(window_) {}

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
    report.LateFailures = std::move(lateFailures_);
    return report;
  }

 private:
  struct Slot {
    RecordRow row;
    bool ready = false;
  };

  void Work() {
    auto worker = std::make_unique<Worker>(request_);
    for (;;) {
      std::size_t index;
      {
        std::unique_lock lock(mutex_);
        spaceFree_.wait(lock, [&] {
          return stopped_ || next_ >= records_.size() || next_ < written_ + window_;
        });
        if (stopped_ || next_ >= records_.size()) {
          lock.unlock();
          const Outcome synced = worker->Checkpoint(true);
          lock.lock();
          if (!synced.Ok) lateFailures_.push_back(synced);
          return;
        }
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
  const OutputRequest& request_;
  const int jobs_;
  const std::size_t window_;
  std::vector<Slot> slots_;
  std::mutex mutex_;
  std::condition_variable rowReady_;
  std::condition_variable spaceFree_;
  std::size_t next_ = 0;
  std::size_t written_ = 0;
  bool stopped_ = false;
  std::vector<Outcome> lateFailures_;
};

}  // namespace

BatchRunReport RunBatch(const std::vector<BatchInput>& records, int jobs, BatchOutput& output,
                        const RowDone& rowDone, const OutputRequest& request) {
  if (jobs <= 1 || records.size() <= 1) return RunSequential(records, output, rowDone, request);
  OrderedRun run(records, jobs, request);
  return run.Run(output, rowDone);
}

}  // namespace wavelet::cli
