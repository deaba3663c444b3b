#include "EntryTable.h"

#include "ToolFiles.h"

#include <algorithm>
#include <map>
#include <optional>
#include <sstream>

namespace {

constexpr std::uint32_t kMaxAddress = 0xFFFFF;

std::string FileError(const std::string& file, const std::string& text)
{
    return "*** ERROR in \"" + file + "\": " + text;
}

std::string LineError(const std::string& file, std::size_t line, const std::string& text)
{
    return "*** ERROR in \"" + file + "\" on line " + std::to_string(line) + ": " + text;
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v';
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// The value of up to five hex digits at the start of text, and how many there were.
struct HexRun
{
    std::uint32_t value = 0;
    std::size_t digits = 0;
};
HexRun ReadHex(std::string_view text)
{
    HexRun run;
    while (run.digits < text.size() && HexDigit(text[run.digits]) >= 0 && run.digits < 6) {
        run.value = run.value * 16 + static_cast<std::uint32_t>(HexDigit(text[run.digits]));
        ++run.digits;
    }
    return run;
}

std::vector<std::string_view> Tokens(std::string_view line)
{
    std::vector<std::string_view> tokens;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && IsBlank(line[i]))
            ++i;
        const std::size_t start = i;
        while (i < line.size() && !IsBlank(line[i]))
            ++i;
        if (i > start)
            tokens.push_back(line.substr(start, i - start));
    }
    return tokens;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

// What one text line holds.
struct LineEntry
{
    enum Kind
    {
        comment,    // blank or a comment line
        definition, // our table or an equate
        tabList,    // hhhhh<TAB>NAME...
        other       // none of these
    };
    Kind kind = other;
    Entry entry;
    std::string problem; // why a line that looks like a definition is not one
};

// "#hhhhh" or "$hhhhh", optionally followed directly or after blanks by a comment that
// starts with ';' or '*'. rest is the line after the address token's start.
LineEntry ReadAddressed(std::string_view name, std::string_view rest)
{
    LineEntry result;
    result.kind = LineEntry::definition;
    if (!name.empty() && name.front() == '=')
        name.remove_prefix(1);
    if (name.empty()) {
        result.problem = "the name is missing";
        return result;
    }
    if (rest.empty() || (rest.front() != '#' && rest.front() != '$')) {
        result.problem = "the address must be written #hhhhh or $hhhhh";
        return result;
    }
    const HexRun hex = ReadHex(rest.substr(1));
    std::string_view after = rest.substr(1 + hex.digits);
    if (hex.digits == 0 || hex.digits > 5 || hex.value > kMaxAddress ||
        (!after.empty() && !IsBlank(after.front()) && after.front() != ';' &&
         after.front() != '*')) {
        result.problem = std::string(1, '"')
                             .append(Tokens(rest).front())
                             .append("\" is not an address of one to five hex digits");
        return result;
    }
    while (!after.empty() && IsBlank(after.front()))
        after.remove_prefix(1);
    if (!after.empty() && after.front() != ';' && after.front() != '*') {
        result.problem = "unexpected text after the address (a comment starts with ';' or '*')";
        return result;
    }
    result.entry = Entry{std::string(name), hex.value};
    return result;
}

// The G/GX address of a tab-list line, written "( GX: hhhhh )" after the name.
std::optional<std::uint32_t> GxAddress(std::string_view rest)
{
    const std::size_t at = rest.find("GX:");
    if (at == std::string_view::npos)
        return std::nullopt;
    std::string_view digits = rest.substr(at + 3);
    while (!digits.empty() && IsBlank(digits.front()))
        digits.remove_prefix(1);
    const HexRun hex = ReadHex(digits);
    if (hex.digits != 5)
        return std::nullopt;
    return hex.value;
}

LineEntry ClassifyLine(std::string_view line)
{
    const std::vector<std::string_view> tokens = Tokens(line);
    if (tokens.empty() || tokens[0].front() == '*' || tokens[0].front() == ';')
        return {LineEntry::comment, {}, {}};
    const std::size_t secondAt =
        tokens.size() > 1 ? static_cast<std::size_t>(tokens[1].data() - line.data()) : 0;
    if (tokens.size() > 2 && EqualsIgnoringCase(tokens[1], "EQU")) {
        const std::size_t thirdAt = static_cast<std::size_t>(tokens[2].data() - line.data());
        return ReadAddressed(tokens[0], line.substr(thirdAt));
    }
    std::optional<LineEntry> addressed;
    if (tokens.size() > 1 && (tokens[1].front() == '#' || tokens[1].front() == '$'))
        addressed = ReadAddressed(tokens[0], line.substr(secondAt));
    if (addressed && addressed->problem.empty())
        return *addressed;
    // The tab list: exactly five hex digits in column 1, a tab, the name.
    const HexRun hex = ReadHex(line);
    if (hex.digits == 5 && line.size() > 5 && line[5] == '\t' && tokens.size() > 1) {
        LineEntry result{LineEntry::tabList, Entry{std::string(tokens[1]), hex.value}, {}};
        const std::size_t nameEnd = secondAt + tokens[1].size();
        if (const auto gx = GxAddress(line.substr(nameEnd)))
            result.entry.address = *gx;
        return result;
    }
    if (addressed)
        return *addressed;
    return {};
}

bool ParseText(std::string_view content, const std::string& file, std::vector<Entry>& out,
               std::string& error)
{
    if (content.find('\0') != std::string_view::npos) {
        error = FileError(file, "neither a text entry table nor an HP object file (\"Saturn3\")");
        return false;
    }
    std::vector<std::pair<std::size_t, LineEntry>> lines;
    std::size_t definitions = 0;
    std::size_t tabListLines = 0;
    std::size_t lineNumber = 0;
    for (std::size_t start = 0; start < content.size();) {
        std::size_t end = content.find('\n', start);
        if (end == std::string_view::npos)
            end = content.size();
        ++lineNumber;
        LineEntry entry = ClassifyLine(content.substr(start, end - start));
        definitions += entry.kind == LineEntry::definition && entry.problem.empty();
        tabListLines += entry.kind == LineEntry::tabList;
        if (entry.kind != LineEntry::comment)
            lines.emplace_back(lineNumber, std::move(entry));
        start = end + 1;
    }
    if (definitions == 0 && tabListLines == 0) {
        error = FileError(file, "no entries found (expected lines such as NAME #hhhhh, "
                                "=NAME EQU #hhhhh or hhhhh<TAB>NAME)");
        return false;
    }
    // The form most lines take is the table's form. A tab list carries stack diagrams
    // and notes between its address lines: only the address lines count. The other
    // forms hold nothing but entries and comments, so any other line is an error.
    const LineEntry::Kind wanted =
        tabListLines > definitions ? LineEntry::tabList : LineEntry::definition;
    std::map<std::string, std::pair<std::uint32_t, std::size_t>, std::less<>> seen;
    std::vector<Entry> entries;
    for (auto& [number, line] : lines) {
        if (line.kind != wanted) {
            if (wanted == LineEntry::tabList)
                continue;
            error = LineError(file, number,
                              line.problem.empty()
                                  ? "not an entry (expected NAME #hhhhh or NAME EQU #hhhhh)"
                                  : line.problem);
            return false;
        }
        if (!line.problem.empty()) {
            error = LineError(file, number, line.problem);
            return false;
        }
        const auto [it, added] = seen.try_emplace(line.entry.name, line.entry.address, number);
        if (!added) {
            // The same definition twice is harmless; two different addresses are not.
            if (it->second.first != line.entry.address) {
                error = LineError(file, number,
                                  "\"" + line.entry.name + "\" was already defined on line " +
                                      std::to_string(it->second.second) + " with another address");
                return false;
            }
            continue;
        }
        entries.push_back(std::move(line.entry));
    }
    out = std::move(entries);
    return true;
}

// HP's binary object file: 256-byte records, numbers big-endian. Record 0 is the header;
// the code follows in 512-nibble records, then the symbol records, each "Symb" and six
// 42-byte slots. A symbol without a value is followed by one slot of reference data.
constexpr std::size_t kRecord = 256;
constexpr std::size_t kSlot = 42;
constexpr std::size_t kSlotsPerRecord = 6;
constexpr std::size_t kNameBytes = 36;
constexpr std::uint32_t kResolved = 0x8000;

std::uint32_t BigEndian(std::string_view bytes, std::size_t at, std::size_t count)
{
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < count; ++i)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

bool ParseSaturn3(std::string_view content, const std::string& file, std::vector<Entry>& out,
                  std::string& error)
{
    if (content.size() < kRecord) {
        error = FileError(file, "the HP object file ends inside its header");
        return false;
    }
    const std::uint64_t codeNibbles = BigEndian(content, 9, 4);
    const std::uint32_t symbols = BigEndian(content, 13, 2);
    const std::uint64_t firstSymbolRecord = 1 + (codeNibbles + 511) / 512;
    std::vector<Entry> entries;
    std::uint64_t slot = 0;
    for (std::uint32_t i = 0; i < symbols; ++i) {
        const std::uint64_t record = firstSymbolRecord + slot / kSlotsPerRecord;
        const std::uint64_t at = record * kRecord + 4 + (slot % kSlotsPerRecord) * kSlot;
        if (at + kSlot > content.size()) {
            error = FileError(file, "the HP object file ends inside symbol " +
                                        std::to_string(i + 1) + " of " + std::to_string(symbols));
            return false;
        }
        if (content.substr(static_cast<std::size_t>(record * kRecord), 4) != "Symb") {
            error = FileError(file, "symbol record " + std::to_string(record) +
                                        " of the HP object file does not start with \"Symb\"");
            return false;
        }
        const std::string_view slotBytes = content.substr(static_cast<std::size_t>(at), kSlot);
        const std::uint32_t type = BigEndian(slotBytes, kNameBytes, 2);
        std::string_view name = slotBytes.substr(0, kNameBytes);
        while (!name.empty() && (name.back() == ' ' || name.back() == '\0'))
            name.remove_suffix(1);
        // Only resolved absolute symbols are entries; relocatable ones belong to the
        // object's own code, unresolved ones carry a slot of reference data.
        if (type == kResolved && !name.empty())
            entries.push_back(Entry{std::string(name), BigEndian(slotBytes, kNameBytes + 2, 4)});
        slot += (type & kResolved) ? 1 : 2;
    }
    out = std::move(entries);
    return true;
}

} // namespace

bool ParseEntryTable(std::string_view content, const std::string& fileName, std::vector<Entry>& out,
                     std::string& error)
{
    out.clear();
    if (content.substr(0, 7) == "Saturn3")
        return ParseSaturn3(content, fileName, out, error);
    return ParseText(content, fileName, out, error);
}

bool ReadEntryTable(const std::string& path, std::vector<Entry>& out, std::string& error)
{
    out.clear();
    std::string content;
    if (!saturn::ReadWholeFile(path, content, error)) {
        error = FileError(path, error);
        return false;
    }
    return ParseEntryTable(content, path, out, error);
}

std::string FormatEntryTable(const std::vector<Entry>& entries, std::string_view title)
{
    std::ostringstream text;
    text << "* " << title << "\r\n* NAME  #ADDRESS\r\n";
    static const char digits[] = "0123456789ABCDEF";
    for (const Entry& e : entries) {
        std::string address = "#00000";
        for (int i = 0; i < 5; ++i)
            address[5 - i] = digits[(e.address >> (4 * i)) & 0xF];
        text << e.name << std::string(e.name.size() < 16 ? 16 - e.name.size() : 1, ' ') << address
             << "\r\n";
    }
    return text.str();
}
