#pragma once
// Analysing the records and writing their rows in order, on several threads.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "cli/BatchInputs.h"
#include "cli/BatchOutput.h"
#include "session/Workbench.h"

namespace wavelet::cli {

// One record's products (see EntryProducts), with its rows as CSV lines and its page
// serialized for the page program (the products keep no page).
struct RecordRow {
  EntryProducts Products;
  std::string Line;
  std::string Page;               // SerializePage of the record's page, when pages are asked for
  std::string LatePotentialLine;  // its --late-potentials row, when asked for
};

// What the workers make of each readable record besides its row, in the same pass:
// the five pictures, written by the worker that analysed it, and the report's page.
struct OutputRequest {
  std::string PictureDirectory;  // empty: no pictures
  DisplaySettings View;
  int PageWidth = 0;  // 0: no pages
  int PageHeight = 0;
  // The late-potential rows (and, with pictures, NAME_LP.png) in this unit for records
  // that state none; nothing: no late potentials.
  std::optional<double> LatePotentialUnit;
};

struct BatchRunReport {
  int Analysed = 0;
  int Unreadable = 0;
  int PicturesFailed = 0;
  bool OutputFailed = false;
  // Failures found only when a worker's last pictures were put in place.
  std::vector<Outcome> LateFailures;
};

// Called on the writing thread, in record order, after each row is written; the row
// is the callee's to take from.
using RowDone = std::function<void(std::size_t index, RecordRow& row)>;

// Rows are written in input order as soon as each is ready, whatever `jobs` is;
// at most a small window of finished rows waits in memory. Stops early when the
// output fails.
BatchRunReport RunBatch(const std::vector<BatchInput>& records, int jobs, BatchOutput& output,
                        const RowDone& rowDone, const OutputRequest& request = {});

}  // namespace wavelet::cli
