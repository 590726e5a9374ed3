#pragma once
// The CSV form of the batch grid, and a file writer that never leaves a partial file.

#include <string>
#include <string_view>
#include <vector>

#include "base/FileDescriptor.h"
#include "output/BatchGrid.h"

namespace wavelet {

// Every cell followed by a comma, CR LF at the end. A cell holding a comma, a double
// quote, CR or LF is quoted (inner quotes doubled) so it cannot shift or split the
// line; every other cell is written byte for byte.
std::string CsvLine(const std::vector<std::string>& cells);
// Appends the CSV line of a grid row (157 cells) to `out`.
void AppendGridRowCsv(std::string& out, const BatchGrid&, int row);

struct CsvWriteResult {
  bool Ok = false;
  std::string ErrorText;  // "Cannot write [" + path + "]"
};

// Rows 0 to recordCount (cells beyond the grid are empty), through CsvFileWriter.
CsvWriteResult WriteGridCsv(const std::string& path, const BatchGrid&, int recordCount);

// Writes into a temporary file beside `path`; Commit flushes, syncs, closes and
// renames it over `path`. Any failure (at open, write, sync, close or rename) makes
// Commit report "Cannot write [" + path + "]" and removes the temporary file, so the
// previous file of that name stays as it was. Destroying an uncommitted writer
// removes the temporary file too. A target that exists and is not a regular file (a
// device, a named pipe) is written in place instead, with the same error checks; so,
// when the caller allows it, is a writable regular file in a directory where no
// temporary file can be created (then a failure half way leaves a partial file).
enum class InPlaceFallback { Refused, Allowed };

class CsvFileWriter {
 public:
  explicit CsvFileWriter(std::string path, InPlaceFallback fallback = InPlaceFallback::Refused);
  ~CsvFileWriter();
  CsvFileWriter(const CsvFileWriter&) = delete;
  CsvFileWriter& operator=(const CsvFileWriter&) = delete;

  // False once anything has failed (including the open).
  bool Good() const { return good_; }
  void WriteLine(std::string_view line);
  CsvWriteResult Commit();
  const std::string& Path() const { return path_; }
  // The file the bytes go to until Commit (the temporary file, or the target when it
  // is written in place), for a writer that fills it by name, such as a PDF printer.
  const std::string& WritePath() const { return direct_ ? path_ : tempPath_; }

 private:
  void FlushBuffer();
  void Discard();

  std::string path_;
  std::string tempPath_;
  std::string buffer_;
  FileDescriptor fd_;
  bool good_ = false;
  bool done_ = false;
  bool direct_ = false;
};

std::string CannotWriteText(const std::string& path);

}  // namespace wavelet
