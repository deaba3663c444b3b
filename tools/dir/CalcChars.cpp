// The table of calculator character codes and the translation that applies it.
#include "CalcChars.h"

#include <cstddef>
#include <string_view>

namespace {

struct CalcCode
{
    const char* text; // the two characters after the backslash
    unsigned char code;
};

// In the order in which it is searched: 128 to 159, then 171, 176, 181, 187, 215, 216,
// 223, 247 and last the backslash itself.
constexpr CalcCode kCalcCodes[] = {
    {"<)", 128}, {"x-", 129}, {".V", 130}, {"v/", 131}, {".S", 132}, {"GS", 133}, {"|>", 134},
    {"pi", 135}, {".d", 136}, {"<=", 137}, {">=", 138}, {"=/", 139}, {"Ga", 140}, {"->", 141},
    {"<-", 142}, {"|v", 143}, {"|^", 144}, {"Gg", 145}, {"Gd", 146}, {"Ge", 147}, {"Gn", 148},
    {"Gh", 149}, {"Gl", 150}, {"Gr", 151}, {"Gs", 152}, {"Gt", 153}, {"Gw", 154}, {"GD", 155},
    {"PI", 156}, {"GW", 157}, {"[]", 158}, {"oo", 159}, {"<<", 171}, {"^o", 176}, {"Gm", 181},
    {">>", 187}, {".x", 215}, {"O/", 216}, {"Gb", 223}, {":-", 247}, {"\\", 92},
};

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

} // namespace

std::size_t DecodeCalcEscape(std::string_view text, unsigned char& code)
{
    if (text.empty() || text[0] != '\\') {
        return 0;
    }
    const std::string_view rest = text.substr(1);
    for (const CalcCode& entry : kCalcCodes) {
        if (rest.starts_with(entry.text)) {
            code = entry.code;
            return 1 + std::string_view(entry.text).size();
        }
    }
    if (rest.size() >= 3 && IsDigit(rest[0]) && IsDigit(rest[1]) && IsDigit(rest[2])) {
        const int value = (rest[0] - '0') * 100 + (rest[1] - '0') * 10 + (rest[2] - '0');
        if (value < 256) {
            code = static_cast<unsigned char>(value);
            return 4;
        }
    }
    return 0;
}

std::string TranslateCalcChars(const std::string& text)
{
    std::string result;
    result.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        unsigned char code = 0;
        const std::size_t used = DecodeCalcEscape(std::string_view(text).substr(i), code);
        if (used == 0) {
            result += text[i++];
            continue;
        }
        result += static_cast<char>(code);
        i += used;
    }
    return result;
}
