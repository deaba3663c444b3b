// File form of an object module, one record per line, in this order:
//   SATURN OBJECT 1
//   SOURCE "name"
//   FILE "name"                      (zero or more; numbered from 0 in order)
//   CODE count                       then the nibbles as hex digits, 64 per line
//   SYMBOL name G|L R|A value        (value in decimal)
//   RELOC offset width ABS|REL check addend MODULE|ADDRESS|SYMBOL name
//   LINE offset file line
//   END
// Strings are in double quotes with \\, \" and \xHH escapes. Lines end in LF or CR LF.
#include "ObjectFile.h"
#include "ToolFiles.h"

#include <algorithm>
#include <charconv>
#include <iterator>
#include <set>

namespace saturn {

namespace {

constexpr std::string_view kMagic = "SATURN OBJECT 1";
constexpr std::size_t kMaxNameLength = 255;
constexpr std::size_t kMaxStringLength = 4096;
// Symbol values and addends stay small enough that a loader may add and subtract them
// and a 20-bit address in 64-bit arithmetic without overflow.
constexpr std::int64_t kMaxMagnitude = std::int64_t{1} << 60;
constexpr unsigned kNibblesPerLine = 64;

const char* CheckName(FieldCheck check)
{
    switch (check) {
    case FieldCheck::Truncate:
        return "TRUNCATE";
    case FieldCheck::Fits:
        return "FITS";
    case FieldCheck::Signed:
        return "SIGNED";
    case FieldCheck::SignedNonZero:
        return "NONZERO";
    }
    return "TRUNCATE";
}

bool IsNameCharacter(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return u > 0x20 && u != 0x7F;
}

std::string NameFault(std::string_view name)
{
    if (name.empty()) {
        return "empty symbol name";
    }
    if (name.size() > kMaxNameLength) {
        return "symbol name longer than 255 characters";
    }
    if (!std::all_of(name.begin(), name.end(), IsNameCharacter)) {
        return "symbol name with a blank or control character";
    }
    return {};
}

void AppendQuoted(std::string& out, std::string_view text)
{
    static const char kHex[] = "0123456789ABCDEF";
    out += '"';
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u < 0x20 || u == 0x7F) {
            out += "\\x";
            out += kHex[u >> 4];
            out += kHex[u & 15];
        } else {
            out += c;
        }
    }
    out += '"';
}

// Reads the file form line by line and token by token.
class Reader
{
public:
    explicit Reader(std::string_view text) : m_text(text) {}

    bool NextLine()
    {
        if (m_pos >= m_text.size()) {
            return false;
        }
        std::size_t end = m_text.find('\n', m_pos);
        if (end == std::string_view::npos) {
            end = m_text.size();
        }
        m_line = m_text.substr(m_pos, end - m_pos);
        if (!m_line.empty() && m_line.back() == '\r') {
            m_line.remove_suffix(1);
        }
        m_pos = end + 1;
        ++m_lineNumber;
        m_col = 0;
        return true;
    }
    std::string_view Line() const { return m_line; }
    std::size_t LineNumber() const { return m_lineNumber; }
    bool AtEndOfLine() const { return m_col >= m_line.size(); }
    // Peeks at the first word of the current line.
    bool StartsWith(std::string_view keyword) const
    {
        return m_line.substr(0, keyword.size()) == keyword &&
               (m_line.size() == keyword.size() || m_line[keyword.size()] == ' ');
    }

    std::string_view Word()
    {
        SkipBlank();
        const std::size_t start = m_col;
        while (m_col < m_line.size() && m_line[m_col] != ' ') {
            ++m_col;
        }
        return m_line.substr(start, m_col - start);
    }
    template <typename T> bool Number(T& value)
    {
        const std::string_view word = Word();
        const auto result = std::from_chars(word.data(), word.data() + word.size(), value);
        return !word.empty() && result.ec == std::errc() && result.ptr == word.data() + word.size();
    }
    bool QuotedString(std::string& value)
    {
        SkipBlank();
        if (m_col >= m_line.size() || m_line[m_col] != '"') {
            return false;
        }
        ++m_col;
        value.clear();
        while (m_col < m_line.size()) {
            const char c = m_line[m_col++];
            if (c == '"') {
                return value.size() <= kMaxStringLength;
            }
            if (c != '\\') {
                value += c;
                continue;
            }
            if (m_col >= m_line.size()) {
                return false;
            }
            const char escaped = m_line[m_col++];
            if (escaped == '"' || escaped == '\\') {
                value += escaped;
            } else if (escaped == 'x' && m_col + 2 <= m_line.size()) {
                unsigned byte = 0;
                const char* first = m_line.data() + m_col;
                const auto result = std::from_chars(first, first + 2, byte, 16);
                if (result.ptr != first + 2) {
                    return false;
                }
                value += static_cast<char>(byte);
                m_col += 2;
            } else {
                return false;
            }
        }
        return false;
    }

private:
    void SkipBlank()
    {
        if (m_col < m_line.size() && m_line[m_col] == ' ') {
            ++m_col;
        }
    }

    std::string_view m_text;
    std::size_t m_pos = 0;
    std::string_view m_line;
    std::size_t m_lineNumber = 0;
    std::size_t m_col = 0;
};

bool Fail(std::string& error, const Reader& reader, const std::string& what)
{
    error = "line " + std::to_string(reader.LineNumber()) + ": " + what;
    return false;
}

bool ParseRecords(Reader& in, ObjectModule& module, std::string& error)
{
    if (!in.NextLine() || in.Line() != kMagic) {
        error = "not a Saturn object file";
        return false;
    }
    if (!in.NextLine() || in.Word() != "SOURCE" || !in.QuotedString(module.sourceName) ||
        !in.AtEndOfLine()) {
        return Fail(error, in, "expected SOURCE \"name\"");
    }
    bool haveLine = in.NextLine();
    while (haveLine && in.StartsWith("FILE")) {
        in.Word();
        std::string name;
        if (!in.QuotedString(name) || !in.AtEndOfLine()) {
            return Fail(error, in, "expected FILE \"name\"");
        }
        module.files.push_back(std::move(name));
        haveLine = in.NextLine();
    }

    std::uint32_t count = 0;
    if (!haveLine || in.Word() != "CODE" || !in.Number(count) || !in.AtEndOfLine()) {
        return Fail(error, in, "expected CODE count");
    }
    if (count > kMaxCodeNibbles) {
        return Fail(error, in, "code larger than the address space");
    }
    module.code.reserve(count);
    while (module.code.size() < count) {
        if (!in.NextLine()) {
            return Fail(error, in, "code ends early");
        }
        const std::string_view digits = in.Line();
        if (digits.empty() || digits.size() > count - module.code.size() ||
            (digits.size() != kNibblesPerLine && digits.size() != count - module.code.size())) {
            return Fail(error, in, "code line of the wrong length");
        }
        for (const char c : digits) {
            if (c >= '0' && c <= '9') {
                module.code.push_back(static_cast<std::uint8_t>(c - '0'));
            } else if (c >= 'A' && c <= 'F') {
                module.code.push_back(static_cast<std::uint8_t>(c - 'A' + 10));
            } else {
                return Fail(error, in, "code line with a character that is not a hex digit");
            }
        }
    }

    haveLine = in.NextLine();
    while (haveLine && in.StartsWith("SYMBOL")) {
        in.Word();
        ObjectSymbol symbol;
        symbol.name = in.Word();
        const std::string_view scope = in.Word();
        const std::string_view kind = in.Word();
        if ((scope != "G" && scope != "L") || (kind != "R" && kind != "A") ||
            !in.Number(symbol.value) || !in.AtEndOfLine()) {
            return Fail(error, in, "expected SYMBOL name G|L R|A value");
        }
        symbol.global = scope == "G";
        symbol.relocatable = kind == "R";
        module.symbols.push_back(std::move(symbol));
        haveLine = in.NextLine();
    }

    while (haveLine && in.StartsWith("RELOC")) {
        in.Word();
        Relocation relocation;
        unsigned width = 0;
        if (!in.Number(relocation.offset) || !in.Number(width) || width > 255) {
            return Fail(error, in, "expected RELOC offset width");
        }
        relocation.width = static_cast<std::uint8_t>(width);
        const std::string_view kind = in.Word();
        const std::string_view check = in.Word();
        if (kind != "ABS" && kind != "REL") {
            return Fail(error, in, "relocation kind must be ABS or REL");
        }
        relocation.relative = kind == "REL";
        bool known = false;
        for (const FieldCheck candidate : {FieldCheck::Truncate, FieldCheck::Fits,
                                           FieldCheck::Signed, FieldCheck::SignedNonZero}) {
            if (check == CheckName(candidate)) {
                relocation.check = candidate;
                known = true;
            }
        }
        if (!known || !in.Number(relocation.addend)) {
            return Fail(error, in, "expected RELOC check and addend");
        }
        const std::string_view base = in.Word();
        if (base == "MODULE") {
            relocation.base = RelocationBase::Module;
        } else if (base == "ADDRESS") {
            relocation.base = RelocationBase::Address;
        } else if (base == "SYMBOL") {
            relocation.base = RelocationBase::Symbol;
            relocation.symbol = in.Word();
        } else {
            return Fail(error, in, "relocation base must be MODULE, ADDRESS or SYMBOL");
        }
        if (!in.AtEndOfLine()) {
            return Fail(error, in, "text after the relocation's target");
        }
        module.relocations.push_back(std::move(relocation));
        haveLine = in.NextLine();
    }

    while (haveLine && in.StartsWith("LINE")) {
        in.Word();
        LineMapEntry entry;
        if (!in.Number(entry.offset) || !in.Number(entry.file) || !in.Number(entry.line) ||
            !in.AtEndOfLine()) {
            return Fail(error, in, "expected LINE offset file line");
        }
        module.lines.push_back(entry);
        haveLine = in.NextLine();
    }

    if (!haveLine || in.Line() != "END") {
        return Fail(error, in, haveLine ? "unknown record" : "missing END");
    }
    while (in.NextLine()) {
        if (!in.Line().empty()) {
            return Fail(error, in, "text after END");
        }
    }
    const std::string fault = ValidateObject(module);
    if (!fault.empty()) {
        error = fault;
        return false;
    }
    return true;
}

} // namespace

bool IsValidSymbolName(std::string_view name)
{
    return NameFault(name).empty();
}

const LineMapEntry* ObjectModule::LineAt(std::uint32_t offset) const
{
    const auto after = std::upper_bound(
        lines.begin(), lines.end(), offset,
        [](std::uint32_t value, const LineMapEntry& entry) { return value < entry.offset; });
    return after == lines.begin() ? nullptr : &*std::prev(after);
}

const ObjectSymbol* ObjectModule::FindSymbol(std::string_view name) const
{
    for (const ObjectSymbol& symbol : symbols) {
        if (symbol.name == name) {
            return &symbol;
        }
    }
    return nullptr;
}

std::string ValidateObject(const ObjectModule& module)
{
    if (module.code.size() > kMaxCodeNibbles) {
        return "code larger than the address space";
    }
    if (module.sourceName.size() > kMaxStringLength) {
        return "source name too long";
    }
    for (const std::uint8_t nibble : module.code) {
        if (nibble > 15) {
            return "code holds a value that is not a nibble";
        }
    }
    for (const std::string& file : module.files) {
        if (file.size() > kMaxStringLength) {
            return "file name too long";
        }
    }
    std::set<std::string_view> names;
    for (const ObjectSymbol& symbol : module.symbols) {
        const std::string fault = NameFault(symbol.name);
        if (!fault.empty()) {
            return fault;
        }
        if (!names.insert(symbol.name).second) {
            return "symbol " + symbol.name + " defined twice";
        }
        if (symbol.relocatable &&
            (symbol.value < 0 || symbol.value > static_cast<std::int64_t>(module.code.size()))) {
            return "label " + symbol.name + " lies outside the code";
        }
        if (symbol.value >= kMaxMagnitude || symbol.value <= -kMaxMagnitude) {
            return "value of " + symbol.name + " out of range";
        }
    }
    for (const Relocation& relocation : module.relocations) {
        if (relocation.width == 0 || relocation.width > kMaxRelocationWidth) {
            return "relocation width must be 1 to 8 nibbles";
        }
        if (relocation.offset > module.code.size() ||
            module.code.size() - relocation.offset < relocation.width) {
            return "relocation field lies outside the code";
        }
        if (relocation.addend >= kMaxMagnitude || relocation.addend <= -kMaxMagnitude) {
            return "relocation addend out of range";
        }
        if (relocation.base == RelocationBase::Symbol) {
            const std::string fault = NameFault(relocation.symbol);
            if (!fault.empty()) {
                return fault;
            }
        } else if (!relocation.symbol.empty()) {
            return "relocation names a symbol but does not use it";
        }
    }
    for (std::size_t i = 0; i < module.lines.size(); ++i) {
        const LineMapEntry& entry = module.lines[i];
        if (entry.file >= module.files.size()) {
            return "line map names a file that is not listed";
        }
        if (entry.offset > module.code.size()) {
            return "line map entry lies outside the code";
        }
        if (i > 0 && entry.offset < module.lines[i - 1].offset) {
            return "line map is not in code order";
        }
    }
    return {};
}

std::string FormatObject(const ObjectModule& module)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(64 + module.code.size() * 66 / 64 + 48 * module.lines.size() +
                48 * (module.symbols.size() + module.relocations.size()));
    out += kMagic;
    out += "\nSOURCE ";
    AppendQuoted(out, module.sourceName);
    out += '\n';
    for (const std::string& file : module.files) {
        out += "FILE ";
        AppendQuoted(out, file);
        out += '\n';
    }
    out += "CODE " + std::to_string(module.code.size()) + '\n';
    for (std::size_t i = 0; i < module.code.size(); ++i) {
        out += kHex[module.code[i] & 15];
        if (i % kNibblesPerLine == kNibblesPerLine - 1 || i + 1 == module.code.size()) {
            out += '\n';
        }
    }
    for (const ObjectSymbol& symbol : module.symbols) {
        out += "SYMBOL " + symbol.name + (symbol.global ? " G" : " L") +
               (symbol.relocatable ? " R " : " A ") + std::to_string(symbol.value) + '\n';
    }
    for (const Relocation& relocation : module.relocations) {
        out += "RELOC " + std::to_string(relocation.offset) + ' ' +
               std::to_string(relocation.width) + (relocation.relative ? " REL " : " ABS ") +
               CheckName(relocation.check) + ' ' + std::to_string(relocation.addend);
        switch (relocation.base) {
        case RelocationBase::Module:
            out += " MODULE";
            break;
        case RelocationBase::Address:
            out += " ADDRESS";
            break;
        case RelocationBase::Symbol:
            out += " SYMBOL " + relocation.symbol;
            break;
        }
        out += '\n';
    }
    for (const LineMapEntry& entry : module.lines) {
        out += "LINE " + std::to_string(entry.offset) + ' ' + std::to_string(entry.file) + ' ' +
               std::to_string(entry.line) + '\n';
    }
    out += "END\n";
    return out;
}

bool ParseObject(std::string_view text, ObjectModule& module, std::string& error)
{
    module = ObjectModule();
    Reader reader(text);
    return ParseRecords(reader, module, error);
}

bool WriteObjectFile(const ObjectModule& module, const std::string& path, std::string& error)
{
    const std::string fault = ValidateObject(module);
    if (!fault.empty()) {
        error = "cannot write " + path + ": " + fault;
        return false;
    }
    return WriteFileReplacing(path, FormatObject(module), error);
}

bool ReadObjectFile(const std::string& path, ObjectModule& module, std::string& error)
{
    std::string text;
    if (!ReadWholeFile(path, text, error)) {
        return false;
    }
    if (!ParseObject(text, module, error)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}

} // namespace saturn
