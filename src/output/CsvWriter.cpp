#include "output/CsvWriter.h"

#include "base/AtomicFile.h"

namespace wavelet {
namespace {

bool NeedsQuoting(const std::string& cell) {
  return cell.find_first_of(",\"\r\n") != std::string::npos;
}

void AppendCell(std::string& out, const std::string& cell) {
  if (!NeedsQuoting(cell)) {
    out += cell;
  } else {
    out += '"';
    for (char c : cell) {
      if (c == '"') out += '"';
      out += c;
    }
    out += '"';
  }
  out += ',';
}

}  // namespace

std::string CsvLine(const std::vector<std::string>& cells) {
  std::string line;
  for (const std::string& cell : cells) AppendCell(line, cell);
  line += "\r\n";
  return line;
}

void AppendGridRowCsv(std::string& out, const BatchGrid& grid, int row) {
  for (int column = 0; column < kBatchGridColumns; ++column) AppendCell(out, grid.Cell(column, row));
  out += "\r\n";
}

Outcome WriteGridCsv(const std::string& path, const BatchGrid& grid, int recordCount) {
  AtomicFileWriter writer(path);
  std::string line;
  for (int row = 0; row <= recordCount && writer.Good(); ++row) {
    line.clear();
    AppendGridRowCsv(line, grid, row);
    writer.Write(line);
  }
  return writer.Commit();
}

}  // namespace wavelet
