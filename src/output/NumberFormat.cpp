#include "output/NumberFormat.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace wavelet {

namespace {

constexpr int kSignificantDigits = 15;

void StripTrailingZeros(std::string& digits) {
  if (digits.find('.') == std::string::npos) return;
  while (!digits.empty() && digits.back() == '0') digits.pop_back();
  if (!digits.empty() && digits.back() == '.') digits.pop_back();
}

}  // namespace

std::string FormatGeneral(double value) {
  if (value == 0.0) return "0";  // also -0.0
  if (std::isnan(value)) return "nan";
  if (std::isinf(value)) return value < 0 ? "-inf" : "inf";

  // The exponent of the value after rounding to 15 significant digits decides the
  // form, as in printf's %g (9.9999999999999999e14 rounds up into the exponent form).
  char scientific[64];
  std::snprintf(scientific, sizeof scientific, "%.*e", kSignificantDigits - 1, value);
  const char* e = std::strchr(scientific, 'e');
  const int exponent = std::atoi(e + 1);

  if (exponent < -5 || exponent >= kSignificantDigits) {
    std::string mantissa(scientific, static_cast<std::size_t>(e - scientific));
    StripTrailingZeros(mantissa);
    char tail[16];
    std::snprintf(tail, sizeof tail, "e%c%02d", exponent < 0 ? '-' : '+', std::abs(exponent));
    return mantissa + tail;
  }
  char fixed[64];
  std::snprintf(fixed, sizeof fixed, "%.*f", kSignificantDigits - 1 - exponent, value);
  std::string text(fixed);
  StripTrailingZeros(text);
  return text;
}

std::string FormatArea(double area) {
  return FormatGeneral(std::trunc(area) * 0.001);
}

std::string FormatDecimal(int value) { return std::to_string(value); }

std::string FormatFlag(int flag) { return flag != 0 ? "1" : "0"; }

}  // namespace wavelet
