// Batch rows from wavelet-batch's worker pool, handed to Python in input order as
// they are made.

#include <pybind11/stl.h>
#include <pybind11/stl/filesystem.h>

#include <cmath>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <mutex>
#include <optional>
#include <thread>

#include "Binding.h"
#include "cli/BatchInputs.h"
#include "cli/BatchOutput.h"
#include "cli/BatchRun.h"
#include "output/BatchGrid.h"
#include "output/LatePotentialTexts.h"

namespace wavelet::python {
namespace {

struct BatchRow {
  std::string Name, Path;
  std::vector<std::string> Cells;
  std::optional<std::vector<std::string>> LatePotentials;
  std::optional<std::string> Error;
  bool WindowsClamped = false;
};

// The pool runs on a thread of its own and passes each row, in order, through a short
// queue; a reader that stops early stops the pool as a failed output would.
class BatchRun {
 public:
  BatchRun(std::vector<cli::BatchInput> inputs, int jobs, cli::OutputRequest request)
      : inputs_(std::move(inputs)), request_(std::move(request)), output_(*this) {
    runner_ = std::thread([this, jobs] { Run(jobs); });
  }
  ~BatchRun() {
    {
      std::lock_guard lock(mutex_);
      cancelled_ = true;
    }
    changed_.notify_all();
    py::gil_scoped_release release;
    runner_.join();
  }
  BatchRun(const BatchRun&) = delete;
  BatchRun& operator=(const BatchRun&) = delete;

  // The GIL is given up before the queue's lock is taken, so that another thread of
  // the same iterator cannot hold one while it waits for the other.
  BatchRow Next() {
    std::optional<BatchRow> row;
    std::string failure;
    {
      py::gil_scoped_release release;
      std::unique_lock lock(mutex_);
      changed_.wait(lock, [&] { return !rows_.empty() || finished_; });
      if (!rows_.empty()) {
        row = std::move(rows_.front());
        rows_.pop_front();
      }
      failure = failure_;
    }
    changed_.notify_all();
    if (row) return std::move(*row);
    if (!failure.empty()) throw std::runtime_error(failure);
    throw py::stop_iteration();
  }

 private:
  class Discard final : public cli::BatchOutput {
   public:
    explicit Discard(BatchRun& run) : run_(run) {}
    bool Good() const override {
      std::lock_guard lock(run_.mutex_);
      return !run_.cancelled_;
    }
    void Write(std::string_view) override {}
    bool Finish() override { return true; }
    std::string Name() const override { return {}; }

   private:
    BatchRun& run_;
  };

  void Run(int jobs) {
    try {
      cli::RunBatch(inputs_, jobs, output_, [this](std::size_t i, const cli::RecordRow& row) { Take(i, row); },
                    request_);
    } catch (const std::exception& error) {
      std::lock_guard lock(mutex_);
      failure_ = error.what();
    }
    {
      std::lock_guard lock(mutex_);
      finished_ = true;
    }
    changed_.notify_all();
  }

  void Take(std::size_t index, const cli::RecordRow& made) {
    BatchRow row{inputs_[index].Name, inputs_[index].Path, made.Cells, std::nullopt, std::nullopt,
                 made.WindowsClamped};
    if (request_.LatePotentialUnit) row.LatePotentials = made.LatePotentialCells;
    if (!made.Load.Ok) row.Error = made.Load.Message();
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return rows_.size() < kQueued || cancelled_; });
    if (cancelled_) return;
    rows_.push_back(std::move(row));
    lock.unlock();
    changed_.notify_all();
  }

  static constexpr std::size_t kQueued = 256;
  const std::vector<cli::BatchInput> inputs_;
  const cli::OutputRequest request_;
  Discard output_;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<BatchRow> rows_;
  bool finished_ = false;
  bool cancelled_ = false;
  std::string failure_;
  std::thread runner_;
};

std::unique_ptr<BatchRun> StartBatch(const py::object& paths, std::optional<int> jobs, bool latePotentials,
                                     double unit) {
  std::vector<std::string> arguments;
  if (py::isinstance<py::str>(paths) || py::hasattr(paths, "__fspath__")) {
    arguments.push_back(paths.cast<std::filesystem::path>().string());
  } else {
    for (const py::handle path : paths) arguments.push_back(path.cast<std::filesystem::path>().string());
  }
  if (jobs && *jobs < 1) throw py::value_error("jobs must be at least 1");
  if (!(std::isfinite(unit) && unit > 0.0)) {
    throw py::value_error("unit_uv needs a number of microvolts above 0");
  }
  cli::ExpandedInputs inputs = cli::ExpandBatchInputs(arguments);
  if (!inputs.Errors.empty()) {
    // A folder that cannot be listed: the tool goes on without it and fails the run.
    PyErr_SetString(PyExc_OSError, inputs.Errors.front().c_str());
    throw py::error_already_set();
  }
  cli::OutputRequest request;
  if (latePotentials) request.LatePotentialUnit = unit;
  const int threads = jobs ? *jobs : static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  return std::make_unique<BatchRun>(std::move(inputs.Records), threads, std::move(request));
}

}  // namespace

void BindBatch(py::module_& m) {
  py::class_<BatchRow>(m, "BatchRow", "One record's row of a batch.")
      .def_readonly("name", &BatchRow::Name)
      .def_readonly("path", &BatchRow::Path)
      .def_readonly("cells", &BatchRow::Cells,
                    "The row exactly as wavelet-batch writes it (BATCH_COLUMNS); an unreadable\n"
                    "record keeps its file name only.")
      .def_readonly("late_potentials", &BatchRow::LatePotentials,
                    "The row of wavelet-batch --late-potentials (LATE_POTENTIAL_COLUMNS), or None.")
      .def_readonly("error", &BatchRow::Error, "Why the record could not be read, or None.")
      .def_readonly("windows_clamped", &BatchRow::WindowsClamped)
      .def("__repr__", [](const BatchRow& r) { return "<wavelet_ecg.BatchRow " + r.Name + ">"; });

  py::class_<BatchRun>(m, "BatchRun", "The rows of a batch, in input order, as they are made.")
      .def("__iter__", [](py::object self) { return self; })
      .def("__next__", &BatchRun::Next);

  m.def("batch", &StartBatch, py::arg("paths"), py::arg("jobs") = py::none(),
        py::arg("late_potentials") = true, py::arg("unit_uv") = 0.1,
        "Analyses records (files, or folders of records in the window's order) on\n"
        "wavelet-batch's worker pool, `jobs` threads (default: one per core), with the GIL\n"
        "released; yields a BatchRow per record in input order. An unreadable record gives a\n"
        "row with its error, as in the tool. unit_uv: the unit of records whose tag states\n"
        "none (--unit-uv). Raises OSError for a folder that cannot be listed.");
  m.attr("BATCH_COLUMNS") = BatchGridColumns();
  m.attr("LATE_POTENTIAL_COLUMNS") = LatePotentialTitles();
}

}  // namespace wavelet::python
