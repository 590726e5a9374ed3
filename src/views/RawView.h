#pragma once
// The raw signal view: the three averaged leads in ImageW4 with dotted grey markers
// at QRS onset and offset.

#include "analysis/AnalysisState.h"
#include "record/RecordFormat.h"
#include "views/Canvas.h"

namespace wavelet {

inline constexpr int kScrollBar2Initial = DisplaySettings{}.GainPosition;  // gain 30 at start

// The gain the view draws with for a position of the gain slider (0 = top).
inline int DisplayGain(int scrollBar2Position) { return 100 - scrollBar2Position; }

// Redraws the whole view from the record and the slider. Leaves the pen grey and
// dotted; the brush (solid black since start-up) is never changed.
void DrawRawSignal(Canvas& image, const LoadedRecord& record, int scrollBar2Position);

}  // namespace wavelet
