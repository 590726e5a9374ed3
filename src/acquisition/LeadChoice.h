#pragma once
// Which leads of a recording become X, Y and Z: the Frank leads where the recording
// has them, the leads the user named, or else the eight independent standard leads
// from which Kors' regression reconstructs X, Y and Z.

#include <array>
#include <cstddef>
#include <span>
#include <string>
#include <vector>

#include "acquisition/RecordingParts.h"
#include "base/Outcome.h"

namespace wavelet {

struct LeadChoice {
  LeadSource Source = LeadSource::Frank;
  // Indices into the recording's labels: X, Y, Z for Frank (and named) leads;
  // I, II, V1, V2, V3, V4, V5, V6 for Kors.
  std::vector<std::size_t> Channels;
  std::array<std::string, 3> Labels;  // what Recording::LeadLabels reports
};

// The failure's text says what was looked for and what was found. The first channel
// of each wanted label counts; labels compare in any case, with
// blanks, '-' and '_' and the prefixes "lead", "ECG", "Frank" and "MDC_ECG_LEAD_"
// disregarded ("Frank X", "vx" and "X" are all lead X).
Loaded<LeadChoice> ChooseLeads(const std::vector<std::string>& labels, const ReadOptions& options);

// X, Y and Z from the chosen signals, given in the order of LeadChoice::Channels, all
// of one length: moved through for Frank leads, Kors' regression for the standard leads.
std::array<std::vector<double>, 3> CombineLeads(LeadSource source, std::span<std::vector<double>> chosen);

// What the eight standard leads, given in the order of LeadChoice::Channels with their
// labels, say of Kors' regression over them, judged by each lead's typical swing (the
// median over whole seconds of the largest minus the smallest sample). A lead that
// barely swings (below 10 uV) carries no ECG: the regression would make X, Y and Z
// without it, so Refusal names such leads. A lead swinging more than 5 mV is beyond an
// ECG's few millivolts, most likely a wrong stated unit or resolution, yet the signal is
// there: Warning names such leads and their swing (to follow "the standard leads of
// [file] "). Both empty for leads that do.
struct KorsLeadCheck {
  std::string Refusal;
  std::string Warning;
};
KorsLeadCheck CheckKorsLeads(std::span<const std::vector<double>> microvolts,
                             std::span<const std::string> labels, double hz);

// The label as the lead rule sees it: "Frank X" -> "X", "MDC_ECG_LEAD_V1" -> "V1".
std::string CanonicalLeadLabel(std::string_view label);

}  // namespace wavelet
