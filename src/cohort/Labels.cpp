#include "cohort/Labels.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unordered_map>

#include "output/CsvWriter.h"

namespace wavelet::cohort {
namespace {

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

std::string Trim(std::string_view text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(" \t");
  return std::string(text.substr(first, last - first + 1));
}

}  // namespace

std::string RecordKey(std::string_view fileName) {
  const auto slash = fileName.find_last_of('/');
  if (slash != std::string_view::npos) fileName.remove_prefix(slash + 1);
  return Lower(fileName.substr(0, fileName.find('.')));
}

LabelsRead ParseLabels(std::string_view text, const std::string& groupColumn,
                       const std::string& shownName) {
  LabelsRead read;
  // A spreadsheet's export may start with a byte-order mark.
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  const std::vector<std::vector<std::string>> rows = CsvRows(text);
  const std::string wanted = Lower(Trim(groupColumn));
  std::size_t column = 0;
  if (!rows.empty()) {
    const std::vector<std::string>& titles = rows.front();
    for (std::size_t i = 1; i < titles.size() && column == 0; ++i) {
      if (Lower(Trim(titles[i])) == wanted) column = i;
    }
  }
  if (column == 0) {
    read.Error = "[" + shownName + "] has no column \"" + groupColumn + "\" after its first";
    return read;
  }
  std::unordered_map<std::string, std::size_t> byKey;
  for (std::size_t r = 1; r < rows.size(); ++r) {
    const std::vector<std::string>& row = rows[r];
    if (row.size() <= column) continue;
    const std::string name = Trim(row[0]);
    const std::string group = Trim(row[column]);
    if (name.empty() || group.empty()) continue;
    const std::string key = RecordKey(name);
    const auto [at, added] = byKey.emplace(key, read.Labels.size());
    if (added) {
      read.Labels.push_back({key, name, group});
    } else if (read.Labels[at->second].Group != group) {
      read.Error = "[" + shownName + "] names the record " + name + " twice, as \"" +
                   read.Labels[at->second].Group + "\" and as \"" + group + "\"";
      read.Labels.clear();
      return read;
    }
  }
  read.Ok = true;
  return read;
}

LabelsRead ReadLabels(const std::string& path, const std::string& groupColumn) {
  LabelsRead refused;
  auto cannotRead = [&](int error) {
    refused.Error = "Cannot read [" + path + "]: " + std::strerror(error);
    return refused;
  };
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return cannotRead(errno);
  struct stat status {};
  if (::fstat(fd, &status) != 0 || S_ISDIR(status.st_mode)) {
    const int error = S_ISDIR(status.st_mode) ? EISDIR : errno;
    ::close(fd);
    return cannotRead(error);
  }
  std::string text;
  char buffer[1 << 16];
  for (;;) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      const int error = errno;
      ::close(fd);
      return cannotRead(error);
    }
    if (got == 0) break;
    text.append(buffer, static_cast<std::size_t>(got));
  }
  ::close(fd);
  return ParseLabels(text, groupColumn, path);
}

Matching MatchLabels(const std::vector<Label>& labels, const std::vector<std::string>& recordNames) {
  std::unordered_map<std::string, int> byKey;
  for (std::size_t i = 0; i < labels.size(); ++i) byKey.emplace(labels[i].Key, static_cast<int>(i));
  Matching matching;
  std::vector<bool> used(labels.size(), false);
  for (const std::string& name : recordNames) {
    const auto found = byKey.find(RecordKey(name));
    if (found == byKey.end()) {
      matching.LabelOf.push_back(-1);
      matching.Unlabelled.push_back(name);
    } else if (used[static_cast<std::size_t>(found->second)]) {
      matching.LabelOf.push_back(-1);
      matching.Repeated.push_back(name);
    } else {
      matching.LabelOf.push_back(found->second);
      used[static_cast<std::size_t>(found->second)] = true;
    }
  }
  for (std::size_t i = 0; i < labels.size(); ++i) {
    if (!used[i]) matching.UnusedLabels.push_back(labels[i].Name);
  }
  return matching;
}

std::vector<std::string> MatchedGroups(const std::vector<Label>& labels, const Matching& matching) {
  std::vector<bool> used(labels.size(), false);
  for (const int index : matching.LabelOf) {
    if (index >= 0) used[static_cast<std::size_t>(index)] = true;
  }
  std::vector<std::string> groups;
  for (std::size_t i = 0; i < labels.size(); ++i) {
    if (used[i] && std::find(groups.begin(), groups.end(), labels[i].Group) == groups.end()) {
      groups.push_back(labels[i].Group);
    }
  }
  return groups;
}

}  // namespace wavelet::cohort
