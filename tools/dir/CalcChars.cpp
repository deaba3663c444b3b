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

std::string TranslateCalcChars(const std::string& text)
{
    std::string result;
    result.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] != '\\') {
            result += text[i++];
            continue;
        }
        const std::size_t after = i + 1;
        const std::string_view rest = std::string_view(text).substr(after);
        bool matched = false;
        for (const CalcCode& entry : kCalcCodes) {
            if (rest.starts_with(entry.text)) {
                result += static_cast<char>(entry.code);
                i = after + std::string_view(entry.text).size();
                matched = true;
                break;
            }
        }
        if (matched) {
            continue;
        }
        if (after + 3 <= text.size() && IsDigit(text[after]) && IsDigit(text[after + 1]) &&
            IsDigit(text[after + 2])) {
            const int value =
                (text[after] - '0') * 100 + (text[after + 1] - '0') * 10 + (text[after + 2] - '0');
            if (value < 256) {
                result += static_cast<char>(value);
                i = after + 3;
                continue;
            }
        }
        result += text[i++];
    }
    return result;
}
