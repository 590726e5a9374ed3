#pragma once
// Analysis states and pictures for the tests: fresh and analysed states, the one
// comparison of analysis results, and fingerprints of pictures recorded as literals.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "analysis/AnalysisState.h"
#include "record/RecordFormat.h"
#include "views/LeadImages.h"

namespace wavelet {
class Workbench;
}

namespace testing {
class AssertionResult;  // GoogleTest's; only its tests compare results
}

namespace wavelet::testing {

// The state is large (hundreds of kilobytes): keep it off the stack.
std::unique_ptr<AnalysisState> FreshState();
// A fresh state after the basic analysis of `record`.
std::unique_ptr<AnalysisState> AnalysedState(const LoadedRecord& record);

// Every field of AnalysisResults bit for bit, the clamping flag, the peak and ridge
// flags, PeakListCount and the whole peak list (entries past the terminator too);
// names the first field that differs.
::testing::AssertionResult SameResults(const AnalysisState& a, const AnalysisState& b);

// FNV-1a over the pixels of one image or of all five, to compare pictures with
// fingerprints recorded from agreed output.
std::uint64_t Fingerprint(const Canvas& image);
std::uint64_t Fingerprint(const LeadImages& images);

// One record's row from a started workbench's step, as the batch tool makes it.
std::vector<std::string> WorkbenchRow(Workbench& bench, const std::string& path, const std::string& name);

}  // namespace wavelet::testing
