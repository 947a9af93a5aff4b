// Decimal to double by exact decimal arithmetic: the number is scaled by powers of two, digit by
// digit, until it lies in [1/2, 1); its first 53 bits then give the mantissa and the digits beyond
// them decide the rounding.
#include "util/Decimal.h"

#include <array>
#include <cstring>

namespace {

// More digits than any double needs for exact rounding (a halfway point between two subnormal
// numbers has 767 significant digits); the value of the digits dropped beyond them only matters
// as "more than nothing".
constexpr int kMaxDigits = 800;
// The largest shift done in one pass: a digit shifted left by it, plus the carry, fits 64 bits.
constexpr int kMaxShift = 60;

constexpr int kMantissaBits = 52;
constexpr int kExponentBias = 1023;
constexpr int kMaxBiasedExponent = 2047;

// The value 0.d[0]d[1]...d[count-1] times 10^point. The digits are values 0 to 9, the first and
// the last not 0; `truncated` when nonzero digits beyond kMaxDigits were dropped.
struct Decimal {
    std::array<std::uint8_t, kMaxDigits> d{};
    int count = 0;
    int point = 0;
    bool truncated = false;
};

void dropTrailingZeros(Decimal& a) {
    while (a.count > 0 && a.d[a.count - 1] == 0) --a.count;
    if (a.count == 0) a.point = 0;
}

// Keeps `digit` as the next digit of `a`, or records its loss when `a` is full.
void putDigit(Decimal& a, std::uint64_t digit) {
    if (a.count < kMaxDigits) {
        a.d[a.count++] = static_cast<std::uint8_t>(digit);
    } else if (digit != 0) {
        a.truncated = true;
    }
}

// Multiplies `a` by 2^shift, shift at most kMaxShift.
void shiftLeft(Decimal& a, int shift) {
    // The product's digits come lowest first; at most 19 more than `a` had.
    std::array<std::uint8_t, kMaxDigits + 20> lowestFirst;
    int produced = 0;
    std::uint64_t carry = 0;
    for (int read = a.count - 1; read >= 0; --read) {
        carry += std::uint64_t{a.d[read]} << shift;
        lowestFirst[produced++] = static_cast<std::uint8_t>(carry % 10);
        carry /= 10;
    }
    for (; carry > 0; carry /= 10) lowestFirst[produced++] = static_cast<std::uint8_t>(carry % 10);
    a.point += produced - a.count;
    a.count = 0;
    while (produced > 0) putDigit(a, lowestFirst[--produced]);
    dropTrailingZeros(a);
}

// Divides `a` by 2^shift, shift at most kMaxShift, as long division from the first digit.
void shiftRight(Decimal& a, int shift) {
    const std::uint64_t mask = (std::uint64_t{1} << shift) - 1;
    int read = 0;
    std::uint64_t remainder = 0;
    // Enough leading digits (and zeros past the last) for a first quotient digit.
    for (; remainder >> shift == 0; ++read) remainder = remainder * 10 + (read < a.count ? a.d[read] : 0);
    a.point -= read - 1;
    const int digits = a.count;
    a.count = 0;
    for (; read < digits; ++read) {
        const std::uint64_t digit = remainder >> shift;
        remainder = (remainder & mask) * 10 + a.d[read];
        putDigit(a, digit);
    }
    for (; remainder > 0; remainder = (remainder & mask) * 10) putDigit(a, remainder >> shift);
    dropTrailingZeros(a);
}

// Multiplies `a` by 2^bits (divides for negative bits).
void scaleByPowerOfTwo(Decimal& a, int bits) {
    if (a.count == 0) return;
    for (; bits > kMaxShift; bits -= kMaxShift) shiftLeft(a, kMaxShift);
    for (; bits < -kMaxShift; bits += kMaxShift) shiftRight(a, kMaxShift);
    if (bits > 0) shiftLeft(a, bits);
    if (bits < 0) shiftRight(a, -bits);
}

// True when the integer part of `a` (its first a.point digits) must round up: the digits after
// it are above one half, or exactly one half with an odd integer part. Dropped digits make an
// apparent half more than one half.
bool roundsUp(const Decimal& a) {
    if (a.point < 0 || a.point >= a.count) return false;
    const std::uint8_t next = a.d[a.point];
    if (next != 5 || a.point + 1 < a.count) return next >= 5;
    if (a.truncated) return true;
    return a.point > 0 && a.d[a.point - 1] % 2 == 1;
}

// The integer part of `a` rounded to the nearest, `a` below 2^64.
std::uint64_t roundedInteger(const Decimal& a) {
    std::uint64_t value = 0;
    for (int i = 0; i < a.point; ++i) value = value * 10 + (i < a.count ? a.d[i] : 0);
    return value + (roundsUp(a) ? 1 : 0);
}

// The bits to shift by, on the way into [1/2, 1), a number whose decimal point lies `places`
// digits away from that range: the most whose power of two stays below 10^places, so that no step
// overshoots (one bit when the point is already in place).
int stepFor(int places) {
    constexpr int kSteps[] = {1, 3, 6, 9, 13, 16, 19, 23, 26};
    constexpr int kStepCount = sizeof(kSteps) / sizeof(kSteps[0]);
    return places < kStepCount ? kSteps[places] : 27;
}

double fromBits(std::uint64_t bits) {
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

constexpr std::uint64_t kInfinityBits = std::uint64_t{kMaxBiasedExponent} << kMantissaBits;

// The double nearest to `a`, which is not 0 and lies within 10^-330 to 10^310.
double roundToDouble(Decimal& a) {
    // Scale into [1/2, 1), counting the power of two.
    int exponent = 0;
    while (a.point > 0) {
        const int step = stepFor(a.point);
        scaleByPowerOfTwo(a, -step);
        exponent += step;
    }
    while (a.point < 0 || (a.point == 0 && a.d[0] < 5)) {
        const int step = stepFor(-a.point);
        scaleByPowerOfTwo(a, step);
        exponent -= step;
    }
    // A double's mantissa lies in [1, 2); below the least normal exponent the number is
    // subnormal, with fewer bits.
    --exponent;
    if (exponent < 1 - kExponentBias) {
        scaleByPowerOfTwo(a, -(1 - kExponentBias - exponent));
        exponent = 1 - kExponentBias;
    }
    scaleByPowerOfTwo(a, kMantissaBits + 1);
    std::uint64_t mantissa = roundedInteger(a);
    if (mantissa == std::uint64_t{2} << kMantissaBits) {  // rounding carried into a new bit
        mantissa >>= 1;
        ++exponent;
    }
    if (exponent + kExponentBias >= kMaxBiasedExponent) return fromBits(kInfinityBits);
    const bool subnormal = (mantissa >> kMantissaBits) == 0;
    const std::uint64_t biased = subnormal ? 0 : static_cast<std::uint64_t>(exponent + kExponentBias);
    return fromBits((biased << kMantissaBits) | (mantissa & ((std::uint64_t{1} << kMantissaBits) - 1)));
}

}  // namespace

double nearestDouble(const std::string& digits, std::int64_t exponent) {
    Decimal a;
    std::int64_t significant = 0;
    for (const char c : digits) {
        if (significant == 0 && c == '0') continue;
        putDigit(a, static_cast<std::uint64_t>(c - '0'));
        ++significant;
    }
    // digits times 10^exponent is 0.d... times 10^(significant digits + exponent).
    const std::int64_t point = significant + exponent;
    dropTrailingZeros(a);
    if (a.count == 0 || point < -330) return 0;
    if (point > 310) return fromBits(kInfinityBits);
    a.point = static_cast<int>(point);
    return roundToDouble(a);
}
