#pragma once
// Analysing the records and writing their rows in order, on several threads.

#include <functional>
#include <string>
#include <vector>

#include "cli/BatchInputs.h"
#include "cli/BatchOutput.h"
#include "session/Workbench.h"

namespace wavelet::cli {

// One record's row as a CSV line, and what went wrong with it.
struct RecordRow {
  std::string Line;
  std::string ErrorText;  // empty when the record was read
  bool WindowsClamped = false;
  std::string PictureError;  // "Cannot write [...]" of a picture, or empty
};

// The five pictures of every readable record, written by the worker that analysed it.
struct PictureRequest {
  std::string Directory;  // empty: no pictures
  ViewSettings View;
};

struct BatchRunReport {
  int Analysed = 0;
  int Unreadable = 0;
  int PicturesFailed = 0;
  bool OutputFailed = false;
};

// Called on the writing thread, in record order, after each row is written.
using RowDone = std::function<void(std::size_t index, const RecordRow& row)>;

// Rows are written in input order as soon as each is ready, whatever `jobs` is;
// at most a small window of finished rows waits in memory. Stops early when the
// output fails.
BatchRunReport RunBatch(const std::vector<BatchInput>& records, int jobs, BatchOutput& output,
                        const RowDone& rowDone, const PictureRequest& pictures = {});

}  // namespace wavelet::cli
