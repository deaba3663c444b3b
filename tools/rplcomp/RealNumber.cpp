// Decimal text to the BCD bodies of real and extended real numbers.
#include "RealNumber.h"

#include <algorithm>
#include <cstdint>

namespace {

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

} // namespace

std::optional<std::string> RealBody(std::string_view text, const RealFormat& format,
                                    std::string& error)
{
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // The significant digits (leading zeros dropped) and the power of ten of the first one.
    std::string digits;
    std::int64_t integerDigits = 0;
    std::int64_t leadingFractionZeros = 0;
    bool anyDigit = false;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        anyDigit = true;
        if (!digits.empty() || text[i] != '0') {
            digits += text[i];
            ++integerDigits;
        }
    }
    if (i < text.size() && text[i] == '.') {
        for (++i; i < text.size() && IsDigit(text[i]); ++i) {
            anyDigit = true;
            if (digits.empty() && text[i] == '0') {
                ++leadingFractionZeros;
            } else {
                digits += text[i];
            }
        }
    }
    std::int64_t exponent = 0;
    if (anyDigit && i < text.size() && (text[i] == 'E' || text[i] == 'e')) {
        ++i;
        bool negativeExponent = false;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
            negativeExponent = text[i] == '-';
            ++i;
        }
        const std::size_t first = i;
        for (; i < text.size() && IsDigit(text[i]); ++i) {
            // Saturates far beyond any valid exponent, so long digit runs cannot overflow.
            exponent = std::min<std::int64_t>(exponent * 10 + (text[i] - '0'), 1'000'000'000);
        }
        if (i == first) {
            anyDigit = false;
        }
        if (negativeExponent) {
            exponent = -exponent;
        }
    }
    if (!anyDigit || i != text.size()) {
        error = std::string(1, '"').append(text).append("\" is not a decimal number");
        return std::nullopt;
    }

    const auto size = static_cast<std::size_t>(format.digits);
    std::string body;
    if (digits.empty()) {
        // Zero has a zero exponent and a positive sign whatever was written.
        return std::string(static_cast<std::size_t>(format.exponentDigits) + size + 1, '0');
    }
    exponent += integerDigits > 0 ? integerDigits - 1 : -(leadingFractionZeros + 1);
    if (digits.size() > size) {
        const bool roundUp = digits[size] >= '5';
        digits.resize(size);
        if (roundUp) {
            std::size_t at = size;
            while (at > 0 && digits[at - 1] == '9') {
                digits[--at] = '0';
            }
            if (at == 0) {
                digits.assign(size, '0'); // 99...9 rounds up to 100...0
                digits[0] = '1';
                ++exponent;
            } else {
                ++digits[at - 1];
            }
        }
    }
    digits.resize(size, '0');
    if (exponent > format.maxExponent || exponent < -format.maxExponent) {
        error = std::string(1, '"').append(text).append("\" is out of range (exponent beyond ") +
                std::to_string(format.maxExponent) + ")";
        return std::nullopt;
    }
    std::int64_t field = exponent;
    std::int64_t modulus = 1;
    for (int d = 0; d < format.exponentDigits; ++d) {
        modulus *= 10;
    }
    if (field < 0) {
        field += modulus; // tens complement
    }
    for (int d = 0; d < format.exponentDigits; ++d) {
        body += static_cast<char>('0' + field % 10);
        field /= 10;
    }
    body.append(digits.rbegin(), digits.rend());
    body += negative ? '9' : '0';
    return body;
}
