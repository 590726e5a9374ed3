#include "cli/CohortStudy.h"

#include <algorithm>
#include <thread>

#include "cli/BatchOutput.h"
#include "cli/BatchRun.h"

namespace wavelet::cli {
namespace {

// The rows go to the study's own tables, not to a batch table.
class NoOutput final : public BatchOutput {
 public:
  bool Good() const override { return true; }
  void Write(std::string_view) override {}
  bool Finish() override { return true; }
  std::string Name() const override { return {}; }
};

std::string Quoted(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names) text += (text.empty() ? "\"" : ", \"") + name + "\"";
  return text;
}

std::string Listed(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names) text += (text.empty() ? "" : ", ") + name;
  return text;
}

}  // namespace

StudyPlan PlanStudy(const CohortOptions& options) {
  StudyPlan plan;
  const cohort::LabelsRead labels = cohort::ReadLabels(options.LabelsPath, options.GroupColumn);
  if (!labels.Ok) {
    plan.Refusal = labels.Error;
    return plan;
  }
  ExpandedInputs inputs = ExpandBatchInputs(options.Paths);
  std::vector<std::string> names;
  for (const BatchInput& input : inputs.Records) names.push_back(input.Name);
  const cohort::Matching matching = cohort::MatchLabels(labels.Labels, names);
  const std::vector<std::string> groups = cohort::MatchedGroups(labels.Labels, matching);
  if (std::find(groups.begin(), groups.end(), options.PositiveGroup) == groups.end()) {
    plan.Refusal = "no labelled record given is in the group \"" + options.PositiveGroup + "\"" +
                   (groups.empty() ? std::string(" (no record given has a label)")
                                   : " (their groups: " + Quoted(groups) + ")");
    return plan;
  }
  std::vector<std::string> others;
  for (const std::string& group : groups) {
    if (group != options.PositiveGroup) others.push_back(group);
  }
  plan.NegativeGroup = others.size() == 1 ? others[0] : "not " + options.PositiveGroup;
  for (std::size_t i = 0; i < inputs.Records.size(); ++i) {
    if (matching.LabelOf[i] < 0) continue;
    plan.Labelled.push_back(inputs.Records[i]);
    plan.LabelOf.push_back(labels.Labels[static_cast<std::size_t>(matching.LabelOf[i])]);
  }
  plan.InputErrors = std::move(inputs.Errors);
  if (!matching.Unlabelled.empty()) {
    plan.Warnings.push_back(std::to_string(matching.Unlabelled.size()) +
                            " records have no label and are left out: " + Listed(matching.Unlabelled));
  }
  if (!matching.Repeated.empty()) {
    plan.Warnings.push_back(std::to_string(matching.Repeated.size()) +
                            " files name a record given already and are left out: " +
                            Listed(matching.Repeated));
  }
  if (!matching.UnusedLabels.empty()) {
    plan.Warnings.push_back(std::to_string(matching.UnusedLabels.size()) +
                            " labels name no record given: " + Listed(matching.UnusedLabels));
  }
  return plan;
}

StudyResult RunStudy(const StudyPlan& plan, const CohortOptions& options,
                     const std::function<void(std::size_t)>& progress) {
  StudyResult result;
  int jobs = options.Jobs;
  if (jobs == 0) jobs = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  OutputRequest request;
  request.LatePotentialUnit = options.UnitUv;
  result.Records.reserve(plan.Labelled.size());
  NoOutput nowhere;
  RunBatch(
      plan.Labelled, jobs, nowhere,
      [&](std::size_t index, const RecordRow& row) {
        const EntryProducts& made = row.Products;
        if (!made.Load.Ok) result.LoadErrors.push_back(made.Load.Message());
        const cohort::Label& label = plan.LabelOf[index];
        result.Records.push_back(cohort::MakeCohortRecord(plan.Labelled[index].Name, label.Group,
                                                          label.Group == options.PositiveGroup, made.Cells,
                                                          made.LatePotentialCells));
        if (progress) progress(index + 1);
      },
      request);
  result.Report = cohort::BuildReport(result.Records, options.PositiveGroup, plan.NegativeGroup);
  return result;
}

}  // namespace wavelet::cli
