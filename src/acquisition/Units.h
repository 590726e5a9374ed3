#pragma once
// Physical units of a lead, as recordings name them, in microvolts.

#include <optional>
#include <string_view>

namespace wavelet {

// Microvolts per one `unit`: "V", "mV", "uV" (also with the micro sign), "nV", in any
// case; nothing for a unit that is no voltage or that cannot be told (empty, "?").
std::optional<double> MicrovoltsPerUnit(std::string_view unit);

}  // namespace wavelet
