// The 80-bit extended floating-point format of the stored files (x87 layout:
// 64-bit mantissa with an explicit integer bit, 15-bit exponent biased by
// 16383, sign; ten bytes, little-endian). Converted bit by bit, so the
// result is the same on every host whatever its long double is.
#pragma once

#include <array>
#include <cstdint>

namespace vorlin {

using TExtended80 = std::array<uint8_t, 10>;

// Exact: every double is an extended.
TExtended80 DoubleToExtended(double value);
// Rounded to nearest, ties to even; out-of-range values become infinities
// or (denormal) zeros, NaNs stay NaNs.
double ExtendedToDouble(const TExtended80& value);
// The extended nearest to numerator / denominator (denominator > 0).
TExtended80 ExtendedFromRatio(uint64_t numerator, uint64_t denominator);
// The extended nearest to the decimal number the double stands for (its
// shortest round-trip form): 0.97 is written as the extended 0.97, as a
// program that keeps its constants in extended precision writes it, not as
// the widened double. Falls back to DoubleToExtended when that decimal does
// not convert back to the same double.
TExtended80 NearestExtendedOf(double value);

} // namespace vorlin
