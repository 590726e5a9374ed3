#pragma once
// What every analysis view shares in the four lead images: clearing before an
// analysis, QRS and rise/fall markers, the spectrogram's diagonal QRS markers and the
// tick ruler along the bottom edge. Each routine sets the pen and brush it needs and
// leaves them so; the pen width is 1 whenever none of them is running.

#include "analysis/AnalysisState.h"
#include "record/RecordFormat.h"
#include "views/LeadImages.h"

namespace wavelet {

// Black solid brush, white pen, whole image filled.
void ClearLeadImages(LeadImages& images);
// Grey dotted lines at QRS onset and offset (x = sample - 260), clear brush.
void DrawQrsMarkers(LeadImages& images, const LoadedRecord& record);
// Dark green dotted lines at RisePosition and FallPosition of scale index 4.
void DrawRiseFallMarkers(LeadImages& images, const AnalysisState& state);
// White diagonals from (sample - 260, 285) rising 50 pixels over 50.
void DrawWaterfallQrsMarkers(LeadImages& images, const LoadedRecord& record);
// 41 white ticks rising from the bottom edge every 10 pixels; the pen width is left
// at 1.
void DrawTimeRuler(LeadImages& images);

}  // namespace wavelet
