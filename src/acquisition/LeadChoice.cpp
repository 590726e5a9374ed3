#include "acquisition/LeadChoice.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "acquisition/Text.h"

namespace wavelet {
namespace {

constexpr std::array<const char*, 8> kStandardLeads = {"I", "II", "V1", "V2", "V3", "V4", "V5", "V6"};

// Kors' regression from the standard leads to the Frank leads: J.A. Kors, G. van Herpen,
// A.C. Sittig, J.H. van Bemmel, "Reconstruction of the Frank vectorcardiogram from
// standard electrocardiographic leads: diagnostic comparison of different methods",
// Eur Heart J 1990;11:1083-1092. Rows X, Y, Z; columns I, II, V1 .. V6.
constexpr double kKors[3][8] = {
    {0.38, -0.07, -0.13, 0.05, -0.01, 0.14, 0.06, 0.54},
    {-0.07, 0.93, 0.06, -0.02, -0.05, 0.06, -0.17, 0.13},
    {0.11, -0.23, -0.43, -0.06, -0.14, -0.20, -0.11, 0.31},
};

bool StripPrefix(std::string& text, std::string_view prefix) {
  if (text.size() <= prefix.size() || text.compare(0, prefix.size(), prefix) != 0) return false;
  text.erase(0, prefix.size());
  return true;
}

std::optional<std::size_t> FindLead(const std::vector<std::string>& canonical, std::string_view wanted) {
  for (std::size_t i = 0; i < canonical.size(); ++i) {
    if (canonical[i] == wanted) return i;
  }
  return std::nullopt;
}

// The labels of the recording for a refusal; a long list is cut after 24.
std::string FoundText(const std::vector<std::string>& labels) {
  if (labels.empty()) return "no leads at all";
  std::string text = "found ";
  for (std::size_t i = 0; i < labels.size() && i < 24; ++i) {
    if (i > 0) text += ", ";
    text += labels[i].empty() ? "(no label)" : labels[i];
  }
  if (labels.size() > 24) text += ", ...";
  return text;
}

Loaded<LeadChoice> NamedLeads(const std::vector<std::string>& labels,
                              const std::vector<std::string>& canonical,
                              const std::array<std::string, 3>& names) {
  LeadChoice choice;
  for (std::size_t axis = 0; axis < 3; ++axis) {
    const std::optional<std::size_t> found = FindLead(canonical, CanonicalLeadLabel(names[axis]));
    if (!found) return Refusal("no lead named '" + names[axis] + "'; " + FoundText(labels));
    choice.Channels.push_back(*found);
    choice.Labels[axis] = labels[*found];
  }
  return choice;
}

bool FindAll(const std::vector<std::string>& canonical, std::span<const char* const> wanted,
             std::vector<std::size_t>& channels) {
  channels.clear();
  for (const char* lead : wanted) {
    const std::optional<std::size_t> found = FindLead(canonical, lead);
    if (!found) return false;
    channels.push_back(*found);
  }
  return true;
}

constexpr double kFlatMicrovolts = 10.0;
constexpr double kLargestSwingMicrovolts = 5000.0;

// The median over whole seconds (all of a shorter recording) of max - min.
double TypicalSwing(const std::vector<double>& lead, double hz) {
  const std::size_t second = std::max<std::size_t>(1, static_cast<std::size_t>(std::lround(hz)));
  std::vector<double> swings;
  for (std::size_t from = 0; from < lead.size(); from += second) {
    if (from > 0 && lead.size() - from < second) break;
    const std::size_t to = std::min(lead.size(), from + second);
    const auto [low, high] = std::minmax_element(lead.begin() + static_cast<std::ptrdiff_t>(from),
                                                 lead.begin() + static_cast<std::ptrdiff_t>(to));
    swings.push_back(*high - *low);
  }
  if (swings.empty()) return 0.0;
  const auto middle = swings.begin() + static_cast<std::ptrdiff_t>(swings.size() / 2);
  std::nth_element(swings.begin(), middle, swings.end());
  return *middle;
}

std::string Listed(const std::vector<std::string>& names) {
  std::string text;
  for (std::size_t i = 0; i < names.size(); ++i) text += (i == 0 ? "" : ", ") + names[i];
  return text;
}

}  // namespace

KorsLeadCheck CheckKorsLeads(std::span<const std::vector<double>> microvolts, std::span<const std::string> labels,
                             double hz) {
  std::vector<std::string> flat;
  bool allZero = true;
  std::vector<std::string> large;
  for (std::size_t lead = 0; lead < microvolts.size() && lead < labels.size(); ++lead) {
    const double swing = TypicalSwing(microvolts[lead], hz);
    if (swing < kFlatMicrovolts) {
      flat.push_back(labels[lead]);
      allZero = allZero && std::all_of(microvolts[lead].begin(), microvolts[lead].end(), [](double v) { return v == 0.0; });
    } else if (swing > kLargestSwingMicrovolts) {
      large.push_back(labels[lead] + " " + NumberText(std::round(swing / 100.0) / 10.0) + " mV");
    }
  }
  KorsLeadCheck check;
  if (!flat.empty()) {
    check.Refusal = std::string(flat.size() == 1 ? "lead " : "leads ") + Listed(flat) + (flat.size() == 1 ? " is" : " are") +
                    (allZero ? " all zero" : " flat") +
                    ", so Kors' regression cannot make X, Y and Z from the eight standard leads";
  }
  if (!large.empty()) {
    check.Warning = "swing beyond an ECG's few millivolts in a typical second (" + Listed(large) +
                    "): the file's stated unit or resolution may be wrong; X, Y and Z were made from them as stated";
  }
  return check;
}

std::string CanonicalLeadLabel(std::string_view label) {
  std::string text;
  for (char c : Trimmed(label)) {
    if (c == ' ' || c == '\t' || c == '-' || c == '_') continue;
    text.push_back(c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c);
  }
  // Whatever precedes the lead name proper; a label that is nothing but a prefix stays.
  StripPrefix(text, "MDCECGLEAD");
  StripPrefix(text, "LEAD");
  StripPrefix(text, "ECG");
  StripPrefix(text, "FRANK");
  if (text == "VX" || text == "VY" || text == "VZ") text.erase(0, 1);
  return text;
}

Loaded<LeadChoice> ChooseLeads(const std::vector<std::string>& labels, const ReadOptions& options) {
  std::vector<std::string> canonical;
  canonical.reserve(labels.size());
  for (const std::string& label : labels) canonical.push_back(CanonicalLeadLabel(label));
  if (options.LeadNames) return NamedLeads(labels, canonical, *options.LeadNames);

  LeadChoice choice;
  constexpr std::array<const char*, 3> kFrank = {"X", "Y", "Z"};
  if (FindAll(canonical, kFrank, choice.Channels)) {
    for (std::size_t axis = 0; axis < 3; ++axis) choice.Labels[axis] = labels[choice.Channels[axis]];
    choice.Source = LeadSource::Frank;
    return choice;
  }
  if (FindAll(canonical, kStandardLeads, choice.Channels)) {
    choice.Labels = {"Kors X", "Kors Y", "Kors Z"};
    choice.Source = LeadSource::Kors;
    return choice;
  }
  return Refusal("neither the Frank leads (vx, vy, vz or X, Y, Z) nor the standard leads I, II, "
                 "V1-V6; " + FoundText(labels));
}

std::array<std::vector<double>, 3> CombineLeads(LeadSource source, std::span<std::vector<double>> chosen) {
  std::array<std::vector<double>, 3> xyz;
  if (source == LeadSource::Frank) {
    for (std::size_t axis = 0; axis < 3; ++axis) xyz[axis] = std::move(chosen[axis]);
    return xyz;
  }
  const std::size_t length = chosen[0].size();
  for (std::size_t axis = 0; axis < 3; ++axis) {
    std::vector<double>& out = xyz[axis];
    out.assign(length, 0.0);
    // Lead by lead, so each sum adds its eight terms in the order of the matrix.
    for (std::size_t lead = 0; lead < kStandardLeads.size(); ++lead) {
      const double weight = kKors[axis][lead];
      const std::vector<double>& in = chosen[lead];
      for (std::size_t n = 0; n < length; ++n) out[n] += weight * in[n];
    }
  }
  return xyz;
}

}  // namespace wavelet
