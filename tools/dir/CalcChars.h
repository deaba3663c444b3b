// The HP48 character escapes. Names and texts meant for the calculator are written in
// ASCII; a backslash followed by one of 41 short codes (\-> for the arrow, \pi, \<<,
// \\ for the backslash itself ...) or by three decimal digits below 256 (\065) stands
// for one character of the calculator's 8-bit character set.
//
// Self-contained on purpose: the directory tool and the IDE link this same library.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Decodes the one escape at the start of text (which begins with a backslash): stores the
// character in code and returns how many characters of text the escape spans, or 0 when the
// backslash starts no known code and no three-digit value below 256.
std::size_t DecodeCalcEscape(std::string_view text, unsigned char& code);

// Replaces every escape in text by the character it stands for. The codes are matched
// case-sensitively, the first match in table order wins, and a character produced by a
// replacement is never examined again (\\-> gives a backslash, '-' and '>'). A backslash
// that starts no known code and no three-digit value below 256 stays as written.
std::string TranslateCalcChars(const std::string& text);
