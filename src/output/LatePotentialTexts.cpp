#include "output/LatePotentialTexts.h"

#include <cstdio>

#include "output/NumberFormat.h"
#include "base/FixedDecimals.h"

namespace wavelet {
namespace {

std::string Flag(bool flag) { return flag ? "1" : "0"; }

}  // namespace

std::string UnitText(double microvoltsPerUnit) { return FormatGeneral(microvoltsPerUnit); }

std::vector<LatePotentialLine> LatePotentialLines(const LatePotentialFigures& f) {
  const bool found = f.QrsFound;
  return {
      {"fQRSd", found ? std::to_string(f.FqrsdMs) + " ms" : std::string(),
       "> " + std::to_string(kFqrsdLimitMs) + " ms", found && f.FqrsdAbnormal},
      {"RMS40", found ? FixedDecimals(f.Rms40Uv, 2) + " uV" : std::string(),
       "< " + FormatGeneral(kRms40LimitUv) + " uV", found && f.Rms40Abnormal},
      {"LAS40", found ? std::to_string(f.Las40Ms) + " ms" : std::string(),
       "> " + std::to_string(kLas40LimitMs) + " ms", found && f.Las40Abnormal},
  };
}

std::string LatePotentialVerdict(const LatePotentialFigures& f) {
  if (!f.QrsFound) return "QRS not found";
  return f.LatePotentials ? "late potentials present" : "no late potentials";
}

std::string NoiseText(const LatePotentialFigures& f) {
  return "noise " + FixedDecimals(f.NoiseMeanUv, 3) + " uV (" + std::to_string(f.NoiseStart) + "-" +
         std::to_string(f.NoiseStart + 59) + " ms), threshold " + FixedDecimals(f.ThresholdUv, 3) + " uV";
}

std::string LatePotentialSummary(const LatePotentialFigures& f) {
  if (!f.QrsFound) return "QRS NOT FOUND";
  std::string line;
  for (const LatePotentialLine& entry : LatePotentialLines(f)) {
    line += entry.Caption + " " + entry.Value + (entry.Abnormal ? " (+)" : "") + "   ";
  }
  return line + (f.LatePotentials ? "LATE POTENTIALS" : "NO LATE POTENTIALS");
}

std::vector<std::string> LatePotentialTitles() {
  return {"Filename",       "unit_uv",        "noise_uv",       "qrs_onset",     "qrs_offset",
          "fqrs_ms",        "rms40_uv",       "las40_ms",       "fqrs_abnormal", "rms40_abnormal",
          "las40_abnormal", "late_potentials", "header_onset", "header_offset"};
}

std::vector<std::string> LatePotentialCells(const std::string& fileName,
                                            const std::optional<LatePotentialFigures>& figures,
                                            int headerOnset, int headerOffset) {
  static const std::size_t kColumns = LatePotentialTitles().size();
  std::vector<std::string> cells(kColumns);
  cells[0] = fileName;
  if (!figures) return cells;
  const LatePotentialFigures& f = *figures;
  cells[1] = UnitText(f.MicrovoltsPerUnit);
  cells[2] = FixedDecimals(f.NoiseMeanUv, 3);
  if (f.QrsFound) {
    cells[3] = std::to_string(f.Onset);
    cells[4] = std::to_string(f.Offset);
    cells[5] = std::to_string(f.FqrsdMs);
    cells[6] = FixedDecimals(f.Rms40Uv, 2);
    cells[7] = std::to_string(f.Las40Ms);
    cells[8] = Flag(f.FqrsdAbnormal);
    cells[9] = Flag(f.Rms40Abnormal);
    cells[10] = Flag(f.Las40Abnormal);
    cells[11] = Flag(f.LatePotentials);
  }
  cells[12] = std::to_string(headerOnset);
  cells[13] = std::to_string(headerOffset);
  return cells;
}

}  // namespace wavelet
