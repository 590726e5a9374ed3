#include "acquisition/Units.h"

#include "acquisition/Text.h"

namespace wavelet {

std::optional<double> MicrovoltsPerUnit(std::string_view unit) {
  const std::string lowered = AsciiLowered(Trimmed(unit));
  if (lowered == "v") return 1e6;
  // No recorder measures megavolts: "MV" is millivolts written in capitals.
  if (lowered == "mv") return 1e3;
  // The micro sign (U+00B5) and the Greek mu (U+03BC) in UTF-8, or the ASCII stand-ins.
  if (lowered == "uv" || lowered == "\xc2\xb5v" || lowered == "\xce\xbcv" || lowered == "mcv") return 1.0;
  if (lowered == "nv") return 1e-3;
  return std::nullopt;
}

}  // namespace wavelet
