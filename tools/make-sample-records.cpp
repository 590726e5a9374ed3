// make-sample-records DIR [--count N] [--seed S]: writes N synthetic records.

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "record/RecordFile.h"
#include "record/SampleRecords.h"

namespace {

int Usage() {
  std::fprintf(stderr, "usage: make-sample-records DIR [--count N] [--seed S]\n");
  return 2;
}

bool ParseNumber(const char* text, unsigned long long max, unsigned long long& value) {
  if (!text || !*text || *text == '-') return false;
  char* end = nullptr;
  errno = 0;
  value = std::strtoull(text, &end, 10);
  return errno == 0 && *end == '\0' && value <= max;
}

}  // namespace

int main(int argc, char** argv) {
  std::string directory;
  unsigned long long count = 12, seed = 1;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--count" && i + 1 < argc) {
      if (!ParseNumber(argv[++i], 10000000, count)) return Usage();
    } else if (arg == "--seed" && i + 1 < argc) {
      if (!ParseNumber(argv[++i], ~0ull, seed)) return Usage();
    } else if (!arg.empty() && arg[0] != '-' && directory.empty()) {
      directory = arg;
    } else {
      return Usage();
    }
  }
  if (directory.empty()) return Usage();

  std::error_code error;
  std::filesystem::create_directories(directory, error);
  if (error) {
    std::fprintf(stderr, "Cannot create [%s]: %s\n", directory.c_str(), error.message().c_str());
    return 1;
  }
  for (unsigned long long i = 0; i < count; ++i) {
    const int index = static_cast<int>(i);
    const wavelet::RecordBytes bytes = wavelet::MakeSampleRecord(seed, index);
    const std::string path = wavelet::JoinPath(directory, wavelet::SampleRecordName(index));
    std::FILE* file = std::fopen(path.c_str(), "wb");
    const bool written = file && std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (!file || std::fclose(file) != 0 || !written) {
      std::fprintf(stderr, "Cannot write [%s]\n", path.c_str());
      return 1;
    }
  }
  return 0;
}
