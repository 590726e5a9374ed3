#include "record/RecordFileName.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace wavelet {

bool MatchesRecordPattern(std::string_view name) {
  for (std::size_t i = 0; i + 1 < name.size(); ++i) {
    if (name[i] == '.' && (name[i + 1] == 'r' || name[i + 1] == 'R')) return true;
  }
  return false;
}

bool ForEachRecordFile(const std::string& directory,
                       const std::function<void(const std::string& name)>& found) {
  std::error_code error;
  std::filesystem::directory_iterator it(std::filesystem::path(directory), error);
  if (error) return false;
  for (const std::filesystem::directory_iterator end; it != end; it.increment(error)) {
    if (error) return false;
    std::string name = it->path().filename().string();
    if (MatchesRecordPattern(name)) found(name);
  }
  return !error;
}

std::vector<std::string> ListRecordFiles(const std::string& directory) {
  std::vector<std::string> names;
  ForEachRecordFile(directory, [&](const std::string& name) { names.push_back(name); });
  return names;
}

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

unsigned char Folded(char c) {
  const auto u = static_cast<unsigned char>(c);
  return u >= 'A' && u <= 'Z' ? static_cast<unsigned char>(u - 'A' + 'a') : u;
}

// The end of the digit run that starts at `from`.
std::size_t DigitsEnd(std::string_view s, std::size_t from) {
  while (from < s.size() && IsDigit(s[from])) ++from;
  return from;
}

// <0, 0, >0 as `a` comes before, with or after `b` by folded letters and digit values.
int CompareNatural(std::string_view a, std::string_view b) {
  std::size_t i = 0;
  std::size_t j = 0;
  while (i < a.size() && j < b.size()) {
    if (IsDigit(a[i]) && IsDigit(b[j])) {
      while (i + 1 < a.size() && a[i] == '0' && IsDigit(a[i + 1])) ++i;
      while (j + 1 < b.size() && b[j] == '0' && IsDigit(b[j + 1])) ++j;
      const std::size_t endA = DigitsEnd(a, i);
      const std::size_t endB = DigitsEnd(b, j);
      if (endA - i != endB - j) return endA - i < endB - j ? -1 : 1;
      const int digits = a.substr(i, endA - i).compare(b.substr(j, endB - j));
      if (digits != 0) return digits;
      i = endA;
      j = endB;
      continue;
    }
    const unsigned char ca = Folded(a[i]);
    const unsigned char cb = Folded(b[j]);
    if (ca != cb) return ca < cb ? -1 : 1;
    ++i;
    ++j;
  }
  if (i == a.size() && j == b.size()) return 0;
  return i == a.size() ? -1 : 1;
}

}  // namespace

bool RecordNameBefore(std::string_view a, std::string_view b) {
  const int natural = CompareNatural(a, b);
  return natural != 0 ? natural < 0 : a < b;
}

void SortRecordNames(std::vector<std::string>& names) {
  std::sort(names.begin(), names.end(),
            [](const std::string& a, const std::string& b) { return RecordNameBefore(a, b); });
}

}  // namespace wavelet
