#include "output/CsvWriter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace wavelet {
namespace {

constexpr std::size_t kFlushSize = 1 << 16;

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

// The file the export finally replaces: through a symbolic link to its target, so the
// link stays a link.
std::string ResolvedTarget(const std::string& path) {
  std::error_code error;
  if (std::filesystem::is_symlink(path, error)) {
    const auto target = std::filesystem::canonical(path, error);
    if (!error) return target.string();
  }
  return path;
}

}  // namespace

std::string CannotWriteText(const std::string& path) { return "Cannot write [" + path + "]"; }

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

CsvWriteResult WriteGridCsv(const std::string& path, const BatchGrid& grid, int recordCount) {
  CsvFileWriter writer(path);
  std::string line;
  for (int row = 0; row <= recordCount && writer.Good(); ++row) {
    line.clear();
    AppendGridRowCsv(line, grid, row);
    writer.WriteLine(line);
  }
  return writer.Commit();
}

CsvFileWriter::CsvFileWriter(std::string path, InPlaceFallback fallback)
    : path_(std::move(path)) {
  const std::string target = ResolvedTarget(path_);
  struct stat existing {};
  const bool exists = ::stat(target.c_str(), &existing) == 0;
  // Refuse what opening the file for writing would refuse, although a rename would
  // get past it: a directory, or a file we may not write.
  if (exists && (S_ISDIR(existing.st_mode) || ::access(target.c_str(), W_OK) != 0)) return;
  // A device or a pipe (/dev/stdout, a named pipe) is written in place: renaming a
  // file over it would destroy it.
  if (exists && !S_ISREG(existing.st_mode)) {
    fd_ = FileDescriptor(::open(path_.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC));
    direct_ = fd_.Valid();
    good_ = direct_;
    return;
  }

  const std::filesystem::path targetPath(target);
  const std::string directory = targetPath.parent_path().string();
  const std::string base = targetPath.filename().string();
  static std::atomic<unsigned> counter{0};
  for (int attempt = 0; attempt < 100 && !fd_.Valid(); ++attempt) {
    tempPath_ = (directory.empty() ? std::string() : directory + "/") + "." + base + "." +
                std::to_string(::getpid()) + "." + std::to_string(counter++) + ".tmp";
    const int flags = O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC;
    fd_ = FileDescriptor(::open(tempPath_.c_str(), flags, 0666));
    if (!fd_.Valid() && errno != EEXIST) break;
  }
  if (!fd_.Valid()) {
    tempPath_.clear();
    // A directory we may not write in still lets us replace the contents of a file
    // we may write: then in place, with the same checks but no protection of the
    // old contents against a failure half way.
    if (fallback != InPlaceFallback::Allowed || !exists || !S_ISREG(existing.st_mode)) return;
    fd_ = FileDescriptor(::open(path_.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC));
    direct_ = fd_.Valid();
    good_ = direct_;
    if (good_) buffer_.reserve(kFlushSize * 2);
    return;
  }
  // A replaced file keeps its permissions.
  if (exists) (void)::fchmod(fd_.Get(), existing.st_mode & 07777);
  good_ = true;
  buffer_.reserve(kFlushSize * 2);
}

CsvFileWriter::~CsvFileWriter() {
  if (!done_) Discard();
}

void CsvFileWriter::WriteLine(std::string_view line) {
  if (!good_) return;
  buffer_.append(line);
  if (buffer_.size() >= kFlushSize) FlushBuffer();
}

void CsvFileWriter::FlushBuffer() {
  if (good_ && !buffer_.empty() && !fd_.WriteAll(buffer_)) good_ = false;
  buffer_.clear();
}

void CsvFileWriter::Discard() {
  fd_.Close();
  if (!tempPath_.empty()) ::unlink(tempPath_.c_str());
  tempPath_.clear();
  good_ = false;
  done_ = true;
}

CsvWriteResult CsvFileWriter::Commit() {
  CsvWriteResult result;
  if (done_) {
    result.ErrorText = CannotWriteText(path_);
    return result;
  }
  FlushBuffer();
  // Data still in the kernel's hands can fail to reach the disk; only fsync and close
  // tell us.
  if (good_ && ::fsync(fd_.Get()) != 0 && !(direct_ && (errno == EINVAL || errno == ENOTSUP))) {
    good_ = false;
  }
  if (!fd_.Close()) good_ = false;
  if (good_ && !direct_ && std::rename(tempPath_.c_str(), ResolvedTarget(path_).c_str()) != 0) {
    good_ = false;
  }
  if (!good_) {
    Discard();
    result.ErrorText = CannotWriteText(path_);
    return result;
  }
  tempPath_.clear();
  done_ = true;
  result.Ok = true;
  return result;
}

}  // namespace wavelet
