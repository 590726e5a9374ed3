#pragma once
// The labels of a study: a CSV file with a title row whose first column names the
// record and one column holds its group. A record is known by its key, the file name
// before its first dot in lower case, so "s0303lre", "S0303LRE.R01" and
// "s0303lre.r01" are one record.

#include <string>
#include <string_view>
#include <vector>

namespace wavelet::cohort {

// "s0303lre" for "S0303LRE.R01", "/a/b/s0303lre.hea" or "s0303lre".
std::string RecordKey(std::string_view fileName);

struct Label {
  std::string Key;    // RecordKey of the first cell
  std::string Name;   // the first cell as written
  std::string Group;  // trimmed
};

struct LabelsRead {
  bool Ok = false;
  std::string Error;  // one line: why the file cannot serve
  std::vector<Label> Labels;  // one per key, in the file's order
};

// The labels of `text` (the file `shownName`), the group read from the column titled
// `groupColumn` (case and surrounding spaces aside). Rows with an empty name or group
// label nothing; a key given twice with one group is one label, with two groups a
// refusal.
LabelsRead ParseLabels(std::string_view text, const std::string& groupColumn,
                       const std::string& shownName);
// The same from the file at `path`; a file that cannot be read is refused.
LabelsRead ReadLabels(const std::string& path, const std::string& groupColumn);

struct Matching {
  // For each record name given, the index of its label, or -1.
  std::vector<int> LabelOf;
  std::vector<std::string> Unlabelled;       // record names without a label
  // Names of a record given already under another name (S0303LRE.R01 after
  // s0303lre.r01): one record counts once, as the first name given (-1 here).
  std::vector<std::string> Repeated;
  std::vector<std::string> UnusedLabels;     // label names without a record
};

Matching MatchLabels(const std::vector<Label>& labels, const std::vector<std::string>& recordNames);

// The groups of the labels that some record matched, in the labels' order.
std::vector<std::string> MatchedGroups(const std::vector<Label>& labels, const Matching& matching);

}  // namespace wavelet::cohort
