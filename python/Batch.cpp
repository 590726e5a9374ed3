// Batch rows from wavelet-batch's worker pool, handed to Python in input order as
// they are made.

#include <pybind11/stl.h>
#include <pybind11/stl/filesystem.h>

#include <chrono>
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
#include "cli/CohortStudy.h"
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
    spaceFree_.notify_all();
    py::gil_scoped_release release;
    runner_.join();
  }
  BatchRun(const BatchRun&) = delete;
  BatchRun& operator=(const BatchRun&) = delete;

  // The GIL is given up before the queue's lock is taken, so that another thread of
  // the same iterator cannot hold one while it waits for the other. The pool hands
  // rows over a chunk at a time, and a slow one at least every kPoll, so that the
  // reader is not woken for every row.
  BatchRow Next() {
    std::optional<BatchRow> row;
    std::string failure;
    bool wakePool = false;
    {
      py::gil_scoped_release release;
      std::unique_lock lock(mutex_);
      while (rows_.empty() && !finished_) rowsReady_.wait_for(lock, kPoll);
      if (!rows_.empty()) {
        row = std::move(rows_.front());
        rows_.pop_front();
        wakePool = poolWaits_ && rows_.size() <= kQueued / 2;
      }
      failure = failure_;
    }
    if (wakePool) spaceFree_.notify_one();
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
      cli::RunBatch(inputs_, jobs, output_, [this](std::size_t i, cli::RecordRow& row) { Take(i, row); },
                    request_);
    } catch (const std::exception& error) {
      std::lock_guard lock(mutex_);
      failure_ = error.what();
    }
    {
      std::lock_guard lock(mutex_);
      finished_ = true;
    }
    rowsReady_.notify_all();
  }

  void Take(std::size_t index, cli::RecordRow& taken) {
    EntryProducts& made = taken.Products;
    BatchRow row{inputs_[index].Name, inputs_[index].Path, std::move(made.Cells), std::nullopt, std::nullopt,
                 made.WindowsClamped};
    if (request_.LatePotentialUnit) row.LatePotentials = std::move(made.LatePotentialCells);
    if (!made.Load.Ok) row.Error = made.Load.Message();
    std::unique_lock lock(mutex_);
    poolWaits_ = true;
    spaceFree_.wait(lock, [&] { return rows_.size() < kQueued || cancelled_; });
    poolWaits_ = false;
    if (cancelled_) return;
    rows_.push_back(std::move(row));
    const bool chunk = rows_.size() % kChunk == 0;
    lock.unlock();
    if (chunk) rowsReady_.notify_one();
  }

  static constexpr std::size_t kQueued = 256;
  static constexpr std::size_t kChunk = 32;
  static constexpr std::chrono::milliseconds kPoll{10};
  const std::vector<cli::BatchInput> inputs_;
  const cli::OutputRequest request_;
  Discard output_;
  mutable std::mutex mutex_;
  std::condition_variable rowsReady_;
  std::condition_variable spaceFree_;
  bool poolWaits_ = false;
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

py::list TableRows(const cohort::Table& table) {
  py::list rows;
  for (const std::vector<std::string>& row : table.Rows) {
    py::dict cells;
    for (std::size_t c = 0; c < table.Titles.size() && c < row.size(); ++c) cells[py::str(table.Titles[c])] = row[c];
    rows.append(std::move(cells));
  }
  return rows;
}

// The study wavelet-cohort makes, its three tables as lists of rows (dicts of the
// tables' cells, exactly as the tool writes them), without its pictures.
py::dict Cohort(const std::vector<std::filesystem::path>& paths, const std::filesystem::path& labels,
                const std::string& positive, const std::string& groupColumn, std::optional<int> jobs,
                double unit) {
  if (jobs && *jobs < 1) throw py::value_error("jobs must be at least 1");
  if (!(std::isfinite(unit) && unit > 0.0)) throw py::value_error("unit_uv needs a number of microvolts above 0");
  cli::CohortOptions options;
  for (const std::filesystem::path& path : paths) options.Paths.push_back(path.string());
  options.LabelsPath = labels.string();
  options.PositiveGroup = positive;
  options.GroupColumn = groupColumn;
  options.UnitUv = unit;
  options.Jobs = jobs.value_or(0);
  cli::StudyPlan plan;
  cli::StudyResult study;
  {
    py::gil_scoped_release released;
    plan = cli::PlanStudy(options);
    if (plan.Refusal.empty()) study = cli::RunStudy(plan, options);
  }
  // A labels file that is missing or unreadable raises as a load does; labels that
  // cannot serve raise ValueError.
  if (!plan.Refusal.empty()) {
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(options.LabelsPath, error);
    const FailureKind kind = !std::filesystem::exists(status)       ? FailureKind::NotFound
                             : std::filesystem::is_directory(status) ? FailureKind::NotAFile
                                                                     : FailureKind::NotARecord;
    RaiseFailure(Outcome::Failure(kind, plan.Refusal), options.LabelsPath);
  }
  py::dict result;
  result["records"] = TableRows(cohort::RecordsTable(study.Records));
  result["cohort"] = TableRows(study.Report.Criteria);
  result["auc"] = TableRows(study.Report.Aucs);
  std::vector<std::string> warnings = plan.InputErrors;
  warnings.insert(warnings.end(), plan.Warnings.begin(), plan.Warnings.end());
  warnings.insert(warnings.end(), study.LoadErrors.begin(), study.LoadErrors.end());
  result["warnings"] = warnings;
  return result;
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
  m.def("cohort", &Cohort, py::arg("paths"), py::arg("labels"), py::arg("positive"),
        py::arg("group_column") = "group", py::arg("jobs") = py::none(), py::arg("unit_uv") = 0.1,
        "The study wavelet-cohort makes of the records `paths` (files or folders) labelled by\n"
        "the CSV file `labels` (its first column names the record, `group_column` its group),\n"
        "`positive` the patients' group: a dict of 'records', 'cohort' and 'auc' (each a list of\n"
        "rows, dicts of the cells exactly as the tool's records.csv, cohort.csv and auc.csv\n"
        "hold them) and 'warnings' (records without a label, labels without a record,\n"
        "unreadable records). Raises ValueError, with the tool's message, for labels that\n"
        "cannot serve. The GIL is released while it works.");
  m.attr("BATCH_COLUMNS") = BatchGridColumns();
  m.attr("LATE_POTENTIAL_COLUMNS") = LatePotentialTitles();
}

}  // namespace wavelet::python
