#include "output/CsvWriter.h"

#include "base/AtomicFile.h"

namespace wavelet {
namespace {

bool NeedsQuoting(const std::string& cell) {
  return cell.find_first_of(",\"\r\n") != std::string::npos;
}

void AppendField(std::string& out, const std::string& cell) {
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
}

void AppendCell(std::string& out, const std::string& cell) {
  AppendField(out, cell);
  out += ',';
}

}  // namespace

std::string CsvLine(const std::vector<std::string>& cells) {
  std::string line;
  for (const std::string& cell : cells) AppendCell(line, cell);
  line += "\r\n";
  return line;
}

std::string CsvTableLine(const std::vector<std::string>& cells) {
  std::string line;
  for (std::size_t i = 0; i < cells.size(); ++i) {
    if (i > 0) line += ',';
    AppendField(line, cells[i]);
  }
  line += "\r\n";
  return line;
}

std::vector<std::vector<std::string>> CsvRows(std::string_view text) {
  std::vector<std::vector<std::string>> rows;
  std::vector<std::string> row;
  std::string field;
  bool quoted = false;      // inside a quoted field
  bool lineEmpty = true;    // nothing of the current line read yet
  auto endRow = [&] {
    if (!lineEmpty) {
      row.push_back(std::move(field));
      rows.push_back(std::move(row));
    }
    row.clear();
    field.clear();
    lineEmpty = true;
  };
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted) {
      if (c != '"') {
        field += c;
      } else if (i + 1 < text.size() && text[i + 1] == '"') {
        field += '"';
        ++i;
      } else {
        quoted = false;
      }
    } else if (c == '"') {
      quoted = true;
      lineEmpty = false;
    } else if (c == ',') {
      row.push_back(std::move(field));
      field.clear();
      lineEmpty = false;
    } else if (c == '\n' || (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) {
      if (c == '\r') ++i;
      endRow();
    } else {
      field += c;
      lineEmpty = false;
    }
  }
  endRow();
  return rows;
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
