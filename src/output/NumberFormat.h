#pragma once
// The one set of number texts used by the calculation sheet, the batch grid and the
// CSV file.

#include <string>

namespace wavelet {

// Rounded to 15 significant digits, shortest form: no trailing zeros or point; the
// exponent form ("1.5e-06", "1e+15") only for magnitudes below 1e-5 or from 1e15.
// Zero of either sign is "0"; NaN and infinities give "nan", "inf", "-inf".
std::string FormatGeneral(double value);

// An area as shown and exported: trunc(area) * 0.001 in the general format. The
// truncation is done in double precision, which equals a 64-bit integer truncation
// wherever that exists; beyond it the value is already whole and is kept as it is,
// and NaN or infinities pass through (no undefined conversion).
std::string FormatArea(double area);

std::string FormatDecimal(int value);

// "1" for a set flag (any non-zero value), "0" otherwise.
std::string FormatFlag(int flag);

}  // namespace wavelet
