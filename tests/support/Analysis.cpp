#include "support/Analysis.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "analysis/BasicAnalysis.h"
#include "session/Workbench.h"

namespace wavelet::testing {

namespace {
class SilentSink final : public HeaderSink {
 public:
  void ShowHeaderField(const PatientHeaderEntry&, const std::string&) override {}
};
}  // namespace

std::vector<std::string> WorkbenchRow(Workbench& bench, const std::string& path, const std::string& name) {
  SilentSink sink;
  AnalysisDriverHooks hooks;
  return bench.ProcessEntry(path, name, sink, EntryRequest{}, hooks).Cells;
}
namespace {

// Collects the name of the first field whose bytes differ; doubles are compared bit
// for bit, so a NaN equals the same NaN.
class FieldComparison {
 public:
  template <typename T>
  FieldComparison& Field(const char* name, const T& a, const T& b) {
    compared_ += sizeof(T);
    if (first_.empty() && std::memcmp(&a, &b, sizeof(T)) != 0) first_ = name;
    return *this;
  }
  std::size_t Compared() const { return compared_; }
  const std::string& FirstDifference() const { return first_; }

 private:
  std::size_t compared_ = 0;
  std::string first_;
};

}  // namespace

std::unique_ptr<AnalysisState> FreshState() {
  auto state = std::make_unique<AnalysisState>();
  InitialiseAnalysisState(*state);
  return state;
}

std::unique_ptr<AnalysisState> AnalysedState(const LoadedRecord& record) {
  auto state = FreshState();
  AnalyseRecord(*state, record);
  return state;
}

// Names every field, so the failure says which one differs.
#define FIELD(name) Field(#name, a.name, b.name)

::testing::AssertionResult SameResults(const AnalysisState& a, const AnalysisState& b) {
  FieldComparison fields;
  fields.FIELD(Results.PeakCount).FIELD(Results.LastPeak).FIELD(Results.Fqrs)
      .FIELD(Results.RisePosition).FIELD(Results.FallPosition).FIELD(Results.AreaJudge)
      .FIELD(Results.CountJudge).FIELD(Results.LastPeakJudge).FIELD(Results.Judge1)
      .FIELD(Results.Judge2).FIELD(Results.CountThreshold).FIELD(Results.FqrsThreshold)
      .FIELD(Results.FqrsJudge).FIELD(Results.AreaThreshold).FIELD(Results.LastPeakThreshold)
      .FIELD(Results.Area).FIELD(Results.ScaleArea).FIELD(Results.CombinedPeakCount)
      .FIELD(Results.CombinedFirstPeak).FIELD(Results.CombinedLastPeak);
  // A field added to the results without being compared here fails every comparison.
  if (fields.Compared() != sizeof(AnalysisResults)) {
    return ::testing::AssertionFailure() << "SameResults misses a field of AnalysisResults";
  }
  fields.FIELD(WindowsClamped).FIELD(PeakFlags).FIELD(RidgeFlags).FIELD(PeakListCount)
      .FIELD(PeakList.PeakListPosition).FIELD(PeakList.PeakListHeight)
      .FIELD(PeakList.PeakListLead).FIELD(PeakList.PeakListScale);
  if (fields.FirstDifference().empty()) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "the analyses differ in " << fields.FirstDifference();
}

#undef FIELD

std::uint64_t Fingerprint(const Canvas& image) {
  std::uint64_t hash = 0xcbf29ce484222325ull;
  const auto* bytes = reinterpret_cast<const unsigned char*>(image.Pixels());
  const std::size_t size = sizeof(std::uint32_t) * image.Width() * image.Height();
  for (std::size_t i = 0; i < size; ++i) {
    hash ^= bytes[i];
    hash *= 0x100000001b3ull;
  }
  return hash;
}

std::uint64_t Fingerprint(const LeadImages& images) {
  std::uint64_t hash = 0;
  for (int i = 0; i < kImageCount; ++i) hash = hash * 31 + Fingerprint(images.Lead(i));
  return hash;
}

}  // namespace wavelet::testing
