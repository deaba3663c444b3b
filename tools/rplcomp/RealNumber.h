// Decimal numbers as the calculator stores them: a tens-complement exponent, a BCD
// mantissa with its leading digit last, and a sign nibble, all least significant first.
#pragma once

#include <optional>
#include <string>
#include <string_view>

struct RealFormat
{
    int digits;         // mantissa digits
    int exponentDigits; // exponent nibbles
    int maxExponent;    // largest magnitude of the exponent
};

inline constexpr RealFormat kReal{12, 3, 499};
inline constexpr RealFormat kExtendedReal{15, 5, 49999};

// The body of a real (or extended real) number written as text such as "-12.5", ".5" or
// "1E-3": its nibbles in memory order as hex digits, rounded half up to the format's digits.
// Text that is no decimal number, or whose exponent lies out of range, gives nullopt and a
// reason in error.
std::optional<std::string> RealBody(std::string_view text, const RealFormat& format,
                                    std::string& error);
