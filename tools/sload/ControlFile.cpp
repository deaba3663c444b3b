#include "ControlFile.h"

#include "ToolFiles.h"

#include <algorithm>
#include <cctype>

namespace {

// LI files may name each other; deeper nesting than this is taken for a loop.
constexpr int kMaxNesting = 8;

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v';
}

std::string LineError(const std::string& file, std::size_t line, const std::string& text)
{
    return "*** ERROR in \"" + file + "\" on line " + std::to_string(line) + ": " + text;
}

std::string Upper(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

std::size_t SkipBlanks(const std::string& text, std::size_t i)
{
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    return i;
}

// The operand starting at i: a quoted name up to its closing quote (or the end of the
// line), else the run of non-blank characters.
std::string Operand(const std::string& line, std::size_t i)
{
    i = SkipBlanks(line, i);
    if (i < line.size() && line[i] == '"') {
        const std::size_t close = line.find('"', i + 1);
        return line.substr(i + 1, close == std::string::npos ? std::string::npos : close - i - 1);
    }
    std::size_t end = i;
    while (end < line.size() && !IsBlank(line[end]))
        ++end;
    return line.substr(i, end - i);
}

std::optional<std::uint32_t> ParseAddress(std::string text)
{
    if (!text.empty() && (text.front() == '#' || text.front() == '$'))
        text.erase(0, 1);
    if (text.empty() || text.size() > 5)
        return std::nullopt;
    std::uint32_t value = 0;
    for (const char c : text) {
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return std::nullopt;
        value = value * 16 + static_cast<std::uint32_t>(
                                 std::isdigit(static_cast<unsigned char>(c))
                                     ? c - '0'
                                     : std::toupper(static_cast<unsigned char>(c)) - 'A' + 10);
    }
    return value;
}

void Parse(const std::string& text, const std::string& fileName, LoadControl& control,
           std::vector<std::string>& errors, int depth);

void Read(const std::string& path, const std::string& fileName, LoadControl& control,
          std::vector<std::string>& errors, int depth)
{
    std::string text;
    std::string error;
    if (!saturn::ReadWholeFile(saturn::ResolveToolPath(path), text, error)) {
        errors.push_back("*** ERROR in \"" + fileName + "\": " + error);
        return;
    }
    Parse(text, fileName, control, errors, depth);
}

void Parse(const std::string& text, const std::string& fileName, LoadControl& control,
           std::vector<std::string>& errors, int depth)
{
    std::size_t number = 0;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        while (!line.empty() && IsBlank(line.back()))
            line.pop_back();
        start = end + 1;
        ++number;
        const auto fail = [&](const std::string& message) {
            errors.push_back(LineError(fileName, number, message));
        };

        const std::size_t wordStart = SkipBlanks(line, 0);
        if (wordStart == line.size() || line[wordStart] == '*')
            continue;
        std::size_t wordEnd = wordStart;
        while (wordEnd < line.size() && !IsBlank(line[wordEnd]))
            ++wordEnd;
        const std::string word = Upper(line.substr(wordStart, wordEnd - wordStart));
        const std::string key = word.substr(0, 2);
        const std::string operand = Operand(line, wordEnd);
        const ControlOperand named{operand, fileName, number};
        const bool needsOperand = key == "OU" || key == "LL" || key == "SE" || key == "RE" ||
                                  key == "LI" || key == "AB" || key == "ST";
        if (needsOperand && operand.empty()) {
            fail("\"" + word + "\" needs an operand");
            continue;
        }

        if (key == "TI") {
            const std::size_t from = SkipBlanks(line, wordEnd);
            std::size_t to = line.size();
            while (to > from && IsBlank(line[to - 1]))
                --to;
            control.title = line.substr(from, to - from);
        } else if (key == "OU" || key == "LL") {
            auto& slot = key == "OU" ? control.output : control.listing;
            if (slot)
                fail("a second " + word + " line (the first is line " + std::to_string(slot->line) +
                     " of \"" + slot->file + "\")");
            else
                slot = named;
        } else if (key == "SU") {
            // Only the cross reference can be left out; other items are accepted as the
            // control files of other loaders write them, and change nothing.
            for (std::size_t i = SkipBlanks(line, wordEnd); i < line.size();) {
                const std::size_t itemStart = i;
                while (i < line.size() && !IsBlank(line[i]))
                    ++i;
                const std::string item =
                    line.substr(itemStart, std::min<std::size_t>(i - itemStart, 2));
                if (Upper(item) == "XR")
                    control.crossReference = false;
                i = SkipBlanks(line, i);
            }
        } else if (key == "SE") {
            control.tables.push_back(named);
        } else if (key == "RE") {
            control.modules.push_back(named);
        } else if (key == "AB" || key == "ST") {
            const auto address = ParseAddress(operand);
            if (!address)
                fail("\"" + operand + "\" is not an address of one to five hex digits");
            else if (!control.modules.empty())
                fail(word + " must come before the first object to load");
            else
                control.origin = address;
        } else if (key == "LI") {
            if (depth >= kMaxNesting)
                fail("control files nested more than " + std::to_string(kMaxNesting) +
                     " deep (does one name itself?)");
            else
                Read(operand, operand, control, errors, depth + 1);
        } else if (key == "EN") {
            return;
        } else {
            fail("unknown command \"" + word + "\"");
        }
    }
}

} // namespace

void ReadControlFile(const std::string& path, LoadControl& control,
                     std::vector<std::string>& errors)
{
    Read(path, path, control, errors, 0);
}

void ParseControlFile(const std::string& text, const std::string& fileName, LoadControl& control,
                      std::vector<std::string>& errors)
{
    Parse(text, fileName, control, errors, 0);
}
