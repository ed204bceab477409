#include "project/Extended80.h"

#include <bit>
#include <charconv>
#include <cmath>

namespace vorlin {

namespace {

constexpr int kExtendedBias = 16383;
constexpr int kDoubleBias = 1023;
constexpr uint64_t kTopBit = uint64_t{1} << 63;

TExtended80 Pack(bool negative, int exponent, uint64_t mantissa) {
    TExtended80 out{};
    for (int i = 0; i < 8; ++i) out[i] = static_cast<uint8_t>(mantissa >> (8 * i));
    uint16_t top = static_cast<uint16_t>((negative ? 0x8000 : 0) | (exponent & 0x7FFF));
    out[8] = static_cast<uint8_t>(top);
    out[9] = static_cast<uint8_t>(top >> 8);
    return out;
}

} // namespace

TExtended80 DoubleToExtended(double value) {
    uint64_t bits = std::bit_cast<uint64_t>(value);
    bool negative = bits >> 63;
    int exponent = static_cast<int>((bits >> 52) & 0x7FF);
    uint64_t fraction = bits & ((uint64_t{1} << 52) - 1);
    if (exponent == 0x7FF) return Pack(negative, 0x7FFF, kTopBit | (fraction << 11));
    if (exponent == 0) {
        if (fraction == 0) return Pack(negative, 0, 0);
        // A denormal double is a normal extended.
        int shift = std::countl_zero(fraction);
        return Pack(negative, kExtendedBias + 63 - 1074 - shift, fraction << shift);
    }
    return Pack(negative, exponent - kDoubleBias + kExtendedBias, kTopBit | (fraction << 11));
}

double ExtendedToDouble(const TExtended80& value) {
    uint64_t mantissa = 0;
    for (int i = 7; i >= 0; --i) mantissa = (mantissa << 8) | value[i];
    uint16_t top = static_cast<uint16_t>(value[8] | (value[9] << 8));
    bool negative = top & 0x8000;
    int exponent = top & 0x7FFF;
    uint64_t sign = negative ? kTopBit : 0;

    if (exponent == 0x7FFF) {
        uint64_t fraction = (mantissa << 1) >> 12;
        if ((mantissa << 1) == 0) return std::bit_cast<double>(sign | (uint64_t{0x7FF} << 52));
        if (fraction == 0) fraction = uint64_t{1} << 51;
        return std::bit_cast<double>(sign | (uint64_t{0x7FF} << 52) | fraction);
    }
    if (mantissa == 0) return std::bit_cast<double>(sign);

    // value = mantissa * 2^(e - bias - 63), e being 1 for extended denormals.
    int shift = std::countl_zero(mantissa);
    mantissa <<= shift;
    int unbiased = (exponent == 0 ? 1 : exponent) - kExtendedBias - shift;
    int biased = unbiased + kDoubleBias;
    if (biased >= 0x7FF) return std::bit_cast<double>(sign | (uint64_t{0x7FF} << 52));

    if (biased >= 1) {
        uint64_t kept = mantissa >> 11;
        uint64_t rest = mantissa & 0x7FF;
        if (rest > 0x400 || (rest == 0x400 && (kept & 1))) {
            if (++kept == (uint64_t{1} << 53)) {
                kept >>= 1;
                if (++biased >= 0x7FF) return std::bit_cast<double>(sign | (uint64_t{0x7FF} << 52));
            }
        }
        return std::bit_cast<double>(sign | (static_cast<uint64_t>(biased) << 52) |
                                     (kept & ((uint64_t{1} << 52) - 1)));
    }
    // A denormal double: fraction = mantissa * 2^(unbiased + 1011), rounded.
    int right = -(unbiased + 1011);
    if (right > 64) return std::bit_cast<double>(sign);
    uint64_t kept = right == 64 ? 0 : mantissa >> right;
    uint64_t rest = right == 64 ? mantissa : mantissa & ((uint64_t{1} << right) - 1);
    uint64_t half = uint64_t{1} << (right - 1);
    if (rest > half || (rest == half && (kept & 1))) ++kept;
    return std::bit_cast<double>(sign | kept);  // a carry makes it the smallest normal
}

TExtended80 ExtendedFromRatio(uint64_t numerator, uint64_t denominator) {
    if (numerator == 0 || denominator == 0) return Pack(false, 0, 0);
    // Long division, one quotient bit at a time, until 64 significant bits;
    // value = mantissa * 2^power throughout.
    uint64_t mantissa = numerator / denominator;
    unsigned __int128 rest = numerator % denominator;
    int bits = mantissa ? 64 - std::countl_zero(mantissa) : 0;
    int power = 0;
    while (bits < 64) {
        rest <<= 1;
        uint64_t bit = rest >= denominator ? 1 : 0;
        if (bit) rest -= denominator;
        --power;
        if (bits == 0 && !bit) continue;
        mantissa = (mantissa << 1) | bit;
        ++bits;
    }
    rest <<= 1;
    bool guard = rest >= denominator;
    if (guard) rest -= denominator;
    bool sticky = rest != 0;
    if (guard && (sticky || (mantissa & 1))) {
        if (++mantissa == 0) {
            mantissa = kTopBit;
            ++power;
        }
    }
    return Pack(false, power + 63 + kExtendedBias, mantissa);
}

TExtended80 NearestExtendedOf(double value) {
    if (!std::isfinite(value) || value == 0) return DoubleToExtended(value);
    char text[64];
    auto [end, error] = std::to_chars(text, text + sizeof text, std::fabs(value));
    if (error != std::errc()) return DoubleToExtended(value);

    // Digits and decimal exponent: value = digits * 10^exponent.
    uint64_t digits = 0;
    int count = 0, exponent = 0;
    bool afterPoint = false;
    const char* p = text;
    for (; p < end && *p != 'e'; ++p) {
        if (*p == '.') {
            afterPoint = true;
            continue;
        }
        if (count == 19) return DoubleToExtended(value);
        digits = digits * 10 + static_cast<uint64_t>(*p - '0');
        if (digits) ++count;
        if (afterPoint) --exponent;
    }
    if (p < end) {
        int e = 0;
        std::from_chars(p + 1 + (p[1] == '+' ? 1 : 0), end, e);
        exponent += e;
    }
    uint64_t numerator = digits, denominator = 1;
    for (; exponent > 0; --exponent) {
        if (numerator > UINT64_MAX / 10) return DoubleToExtended(value);
        numerator *= 10;
    }
    for (; exponent < 0; ++exponent) {
        if (denominator > UINT64_MAX / 10) return DoubleToExtended(value);
        denominator *= 10;
    }
    TExtended80 result = ExtendedFromRatio(numerator, denominator);
    if (value < 0) result[9] |= 0x80;
    if (ExtendedToDouble(result) != value) return DoubleToExtended(value);
    return result;
}

} // namespace vorlin
