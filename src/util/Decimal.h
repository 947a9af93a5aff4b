// Exact conversion of decimal numbers to the nearest double.
#pragma once

#include <cstdint>
#include <string>

// The double nearest to the decimal integer `digits` times ten to the power `exponent`, ties
// rounded to the even mantissa, as the C library's strtod rounds: subnormal numbers included,
// 0 below half the least subnormal, infinity from the first number that rounds above the largest
// double. `digits` holds only '0' to '9', any number of them (none reads as 0). Exact for every
// input, however long, without the C library's reader (whose hexadecimal, locale and error
// handling come with 20 KB of code that the Windows launcher does not need).
double nearestDouble(const std::string& digits, std::int64_t exponent);
