#pragma once
// A study of labelled records, as wavelet-cohort and the Python module make it: the
// labels read and matched to the records given (everything that makes them unusable
// found before any record is read), then every labelled record through the batch
// tool's one step and the tables built from their cells.

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "cli/BatchInputs.h"
#include "cli/CohortOptions.h"
#include "cohort/CohortTables.h"
#include "cohort/Labels.h"

namespace wavelet::cli {

struct StudyPlan {
  std::string Refusal;  // why the labels cannot serve (nothing is read then); empty: they can
  std::vector<BatchInput> Labelled;
  std::vector<cohort::Label> LabelOf;  // of each labelled record
  std::string NegativeGroup;           // the other group's name, or "not <positive>"
  std::vector<std::string> InputErrors;  // paths that gave no record list
  std::vector<std::string> Warnings;     // records without a label, labels without a record...
};

StudyPlan PlanStudy(const CohortOptions& options);

struct StudyResult {
  std::vector<cohort::CohortRecord> Records;
  cohort::CohortReport Report;
  std::vector<std::string> LoadErrors;  // one per unreadable record
};

// `progress` is told how many records are done, in input order.
StudyResult RunStudy(const StudyPlan& plan, const CohortOptions& options,
                     const std::function<void(std::size_t)>& progress = {});

}  // namespace wavelet::cli
