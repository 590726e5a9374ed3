#include "session/AnalysisDriver.h"

#include "analysis/BasicAnalysis.h"
#include "analysis/Transform.h"
#include "views/BasicView.h"
#include "views/MapView.h"
#include "views/Overlays.h"
#include "views/SpectrogramView.h"

namespace wavelet {

namespace {

// The sweeps transform for display only: this index leaves every feature and result
// as the last basic analysis left them.
constexpr int kDisplayOnlyScaleIndex = -1;

// Hides the progress bar however the sweep ends.
class MapProgress {
 public:
  explicit MapProgress(AnalysisDriverHooks& hooks) : hooks_(hooks) { hooks_.MapStarted(); }
  ~MapProgress() { hooks_.MapFinished(); }
  MapProgress(const MapProgress&) = delete;
  MapProgress& operator=(const MapProgress&) = delete;

 private:
  AnalysisDriverHooks& hooks_;
};

// One row per sweep scale: transformed for display only, drawn, then reported.
template <typename DrawRow, typename RowDone>
void Sweep(AnalysisState& state, const LoadedRecord& record, double step, DrawRow drawRow,
           RowDone rowDone) {
  int row = 0;
  for (double b : SweepScales(step)) {
    TransformAtScale(state, record, b, kDisplayOnlyScaleIndex);
    drawRow(row);
    ++row;
    rowDone(row);
  }
}

void RunSpectrogram(AnalysisState& state, const LoadedRecord& record, LeadImages& images,
                    AnalysisDriverHooks& hooks) {
  Sweep(state, record, kSpectrogramStep, [&](int row) { DrawWaterfallRow(images, state, row); },
        [&](int rows) { hooks.SpectrogramRowDone(rows); });
  DrawWaterfallQrsMarkers(images, record);
  DrawTimeRuler(images);
}

void RunMap(AnalysisState& state, const LoadedRecord& record, LeadImages& images,
            AnalysisDriverHooks& hooks) {
  MapProgress progress(hooks);
  Sweep(state, record, kMapStep, [&](int row) { DrawMapRow(images, state, row); },
        [&](int rows) { hooks.MapRowDone(rows); });
  DrawQrsMarkers(images, record);
  DrawRiseFallMarkers(images, state);
  DrawTimeRuler(images);
}

}  // namespace

void RunAnalysis(AnalysisState& state, const LoadedRecord& record, LeadImages& images,
                 const DisplaySettings& options, AnalysisDriverHooks& hooks) {
  state.PeakListCount = 0;
  ClearLeadImages(images);
  // Exactly one branch, even if a hook changes the mode meanwhile.
  const int mode = state.Display.DisplayMode;
  if (mode == kDisplayBasic) RunBasicAnalysis(state, record, images, options, hooks);
  if (mode == kDisplaySpectrogram) RunSpectrogram(state, record, images, hooks);
  if (mode == kDisplayMap) RunMap(state, record, images, hooks);
}

BasicDrawing::BasicDrawing(const AnalysisState& state, const LoadedRecord& record,
                           LeadImages& images, const DisplaySettings& options)
    : state_(state), record_(record), images_(images), options_(options) {}

void BasicDrawing::ScaleDone(int scaleIndex) { DrawScaleCurves(images_, state_, scaleIndex); }

void BasicDrawing::ScalesDone() {
  DrawQrsMarkers(images_, record_);
  DrawRiseFallMarkers(images_, state_);
  DrawTimeRuler(images_);
}

void BasicDrawing::PeakListClosed() {
  if (options_.Dots) DrawPeakDots(images_, state_);
}

void BasicDrawing::RidgesFound() {
  if (options_.Lines) DrawRidgeLines(images_, state_);
}

void RunBasicAnalysis(AnalysisState& state, const LoadedRecord& record, LeadImages& images,
                      const DisplaySettings& options, AnalysisDriverHooks& hooks) {
  BasicDrawing drawing(state, record, images, options);
  RunBasicAnalysisSequence(state, record, drawing);
  hooks.ShowCalculationData();
}

}  // namespace wavelet
