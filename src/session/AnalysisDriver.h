#pragma once
// Runs the analysis of the loaded record in the chosen display mode and draws it into
// the lead images: the basic analysis over the eight scales with its curves, overlays,
// squares and ridge lines; or a display-only sweep of fine scales for the spectrogram
// (25 rows) or the map (134 rows). The window supplies the hooks that show progress
// and refresh the calculation sheet; everything here is headless.

#include <vector>

#include "analysis/AnalysisState.h"
#include "analysis/BasicAnalysis.h"
#include "analysis/Sweeps.h"
#include "record/RecordFormat.h"
#include "views/LeadImages.h"

namespace wavelet {

inline constexpr int kDisplayBasic = 0;
inline constexpr int kDisplaySpectrogram = 1;
inline constexpr int kDisplayMap = 2;


// What the window does around the core work. The defaults do nothing.
class AnalysisDriverHooks {
 public:
  virtual ~AnalysisDriverHooks() = default;
  // The map sweep: show the progress bar, move it after every row (the window must
  // repaint it there), hide it at the end. MapFinished is called even if the sweep
  // is abandoned by an exception.
  virtual void MapStarted() {}
  virtual void MapRowDone(int /*rowsDone*/) {}
  virtual void MapFinished() {}
  virtual void SpectrogramRowDone(int /*rowsDone*/) {}
  // Last step of a basic analysis, after the judgements: fill the calculation sheet.
  virtual void ShowCalculationData() {}
};

// The lead images' part of a basic analysis: each scale's curves as soon as it is
// transformed, then the QRS and rise/fall markers and the ruler, the squares (if
// Dots) and the ridge lines (if Lines).
class BasicDrawing final : public BasicAnalysisObserver {
 public:
  BasicDrawing(const AnalysisState& state, const LoadedRecord& record, LeadImages& images,
               const DisplaySettings& options);
  void ScaleDone(int scaleIndex) override;
  void ScalesDone() override;
  void PeakListClosed() override;
  void RidgesFound() override;

 private:
  const AnalysisState& state_;
  const LoadedRecord& record_;
  LeadImages& images_;
  DisplaySettings options_;
};

// PeakListCount = 0, clear the four lead images, then the branch of DisplayMode
// (any other value only clears).
void RunAnalysis(AnalysisState& state, const LoadedRecord& record, LeadImages& images,
                 const DisplaySettings& options, AnalysisDriverHooks& hooks);

// The basic branch alone (it does not clear the images): the analysis over the eight
// scales with each scale's curves drawn as soon as it is transformed, then the QRS
// and rise/fall markers and the ruler, the squares (if Dots), the ridge lines (if
// Lines) and ShowCalculationData.
void RunBasicAnalysis(AnalysisState& state, const LoadedRecord& record, LeadImages& images,
                      const DisplaySettings& options, AnalysisDriverHooks& hooks);

}  // namespace wavelet
