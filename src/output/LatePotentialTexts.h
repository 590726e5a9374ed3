#pragma once
// The late-potential figures as the window's tab, the picture and the CSV show them:
// fQRSd and LAS40 in whole ms, RMS40 with two decimals, the noise with three, flags
// 0/1, and blanks where the filtered QRS is not found.

#include <optional>
#include <string>
#include <vector>

#include "analysis/LatePotentials.h"

namespace wavelet {

// "0.1": the unit in use, in microvolts per unit.
std::string UnitText(double microvoltsPerUnit);

struct LatePotentialLine {
  std::string Caption;  // "fQRSd"
  std::string Value;    // "118 ms", or "" when the QRS is not found
  std::string Limit;    // "> 114 ms": abnormal when this holds
  bool Abnormal = false;
};

// fQRSd, RMS40, LAS40 in that order.
std::vector<LatePotentialLine> LatePotentialLines(const LatePotentialFigures& figures);
// "late potentials present", "no late potentials" or "QRS not found".
std::string LatePotentialVerdict(const LatePotentialFigures& figures);
// "noise 0.412 uV (mean of the filtered magnitude over 20-79 ms), threshold 0.9 uV"
std::string NoiseText(const LatePotentialFigures& figures);
// One line for a picture: "FQRSD 118 ms  RMS40 12.34 uV  LAS40 45 ms  LP PRESENT".
std::string LatePotentialSummary(const LatePotentialFigures& figures);

// The batch tool's --late-potentials table: the title row and one record's cells; an
// unreadable record (no figures) keeps only its file name.
std::vector<std::string> LatePotentialTitles();
std::vector<std::string> LatePotentialCells(const std::string& fileName,
                                            const std::optional<LatePotentialFigures>& figures,
                                            int headerOnset, int headerOffset);

}  // namespace wavelet
