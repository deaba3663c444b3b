#include "Assembler.h"

#include "Expression.h"
#include "InstructionTable.h"
#include "ToolFiles.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <unordered_map>

namespace sasm {

namespace {

using saturn::FieldCheck;
using saturn::Instruction;
using saturn::Operand;

constexpr int kMaxIncludeDepth = 16;
constexpr int kMaxEquateDepth = 500;
constexpr const char* kNoValue = "symbol has no value: its EQU has an error";
constexpr std::int64_t kMaxExportMagnitude = std::int64_t{1} << 59;

struct Origin
{
    std::uint32_t file = 0;
    std::uint32_t line = 0;
};

enum class Kind : std::uint8_t
{
    Instruction, // a row of the instruction table
    NibHex,      // NIBHEX digits
    NibAsc,      // NIBASC \text\ (width = opcode nibbles before the text, 0)
    Con,         // CON(width) expr
    Rel,         // REL(width) expr
    LoadConst,   // LC(width) expr / LA(width) expr, row = LC or LA
    LoadOpcode,  // LC(N) n / LA(N) n: only the opcode
    PointerStep, // D0+ n ... : n split into steps of at most 16
    Bss,         // BSS n: n zero nibbles
};

struct Statement
{
    Kind kind = Kind::Instruction;
    const Instruction* row = nullptr;
    unsigned field = 0;  // field selector (a-code, 8 = A) for Field operands
    std::string operand; // the modifier text that pass 2 evaluates
    std::int64_t width = 0;
    std::uint32_t address = 0;
    std::uint32_t size = 0;
    Origin origin;
    std::size_t sequence = 0;
};

struct SymbolEntry
{
    enum class Kind : std::uint8_t
    {
        Label,
        Equate,
        Define
    };
    Kind kind = Kind::Label;
    bool global = false;
    Value value;
    std::string expression; // for an equate
    std::size_t statementIndex = 0;
    std::uint32_t address = 0;
    Origin origin;
    std::size_t sequence = 0;
    enum class State : std::uint8_t
    {
        Pending,
        Evaluating,
        Done,
        Failed
    };
    State state = State::Done;
};

struct ListingLine
{
    std::string text;
    std::uint32_t address = 0;
    std::int64_t statement = -1;
};

struct Conditional
{
    bool active;       // this branch assembles
    bool parentActive; // the enclosing branch assembles
    bool seenElse;
    Origin origin;
    std::size_t sequence;
};

std::string Upper(std::string_view text)
{
    std::string out(text);
    for (char& c : out) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return out;
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

std::string HexText(std::int64_t value)
{
    static const char kHex[] = "0123456789ABCDEF";
    if (value < 0) {
        return "-" + HexText(value == INT64_MIN ? INT64_MAX : -value);
    }
    std::string digits;
    auto u = static_cast<std::uint64_t>(value);
    do {
        digits.insert(digits.begin(), kHex[u & 15]);
        u >>= 4;
    } while (u != 0);
    return "#" + digits;
}

// Whether value fits `width` nibbles under the check.
bool FitsField(std::int64_t value, unsigned width, FieldCheck check)
{
    if (check == FieldCheck::Truncate || width >= 16) {
        return !(check == FieldCheck::SignedNonZero && value == 0);
    }
    const std::int64_t span = std::int64_t{1} << (4 * width);
    switch (check) {
    case FieldCheck::Fits:
        return value >= -span / 2 && value < span;
    case FieldCheck::Signed:
        return value >= -span / 2 && value < span / 2;
    case FieldCheck::SignedNonZero:
        return value >= -span / 2 && value < span / 2 && value != 0;
    case FieldCheck::Truncate:
        break;
    }
    return true;
}

class Assembler;

// Resolves symbols for one expression at one place in the source.
class Scope : public SymbolLookup
{
public:
    Scope(Assembler& assembler, std::size_t statementIndex, std::uint32_t address, bool final)
        : m_assembler(assembler), m_statementIndex(statementIndex), m_address(address),
          m_final(final)
    {
    }
    bool Symbol(const std::string& name, bool global, Value& value, std::string& error,
                bool& unknown) override;
    bool Anonymous(std::string_view kind, Value& value, std::string& error, bool& unknown) override;
    Value Here() override;

private:
    Assembler& m_assembler;
    std::size_t m_statementIndex;
    std::uint32_t m_address;
    bool m_final; // second pass: every label is known
};

class Assembler
{
public:
    explicit Assembler(const AssemblerOptions& options) : m_options(options) {}

    AssemblyResult Run(const std::string& sourcePath);

private:
    friend class Scope;

    // An address in the module as a value: relative to the module's start, or absolute
    // when the source is assembled for a fixed origin.
    Value AddressValue(std::uint32_t address) const
    {
        Value value;
        value.number = address;
        value.base = Value::Base::Module;
        if (m_options.origin) {
            value.base = Value::Base::Absolute;
            value.number += *m_options.origin;
        }
        return value;
    }

    // --- messages
    void Error(const Origin& origin, std::size_t sequence, std::string text)
    {
        m_errors.push_back({origin, sequence, std::move(text)});
    }
    void Error(const std::string& text) { Error(m_origin, m_sequence, text); }

    // --- first pass
    void ReadFile(const std::string& path, const std::string& name, int depth);
    void Line(std::string_view line, int depth, const std::string& includingPath);
    bool Directive(const std::string& opcode, const std::string& label, std::string_view rest,
                   int depth, const std::string& includingPath);
    void Code(const std::string& opcode, std::string_view rest);
    void Machine(const std::string& opcode, const std::vector<const Instruction*>& rows,
                 std::string_view rest);
    void DefineLabel(const std::string& label);
    void DefineSymbol(const std::string& label, SymbolEntry entry);
    void Add(Statement statement);
    bool KnownNow(std::string_view text, std::int64_t& number, const char* what);
    std::uint32_t FileIndex(const std::string& name);

    // --- second pass
    void Emit(std::size_t index);
    bool EvaluateFinal(const Statement& statement, std::string_view text, Value& value);
    void EmitField(const Statement& statement, const Value& value, std::uint32_t offset,
                   unsigned width, bool relative, unsigned delta, FieldCheck check,
                   const char* what);
    void Export();
    std::string Listing() const;

    bool EvaluateEquate(SymbolEntry& entry, bool final, Value& value, std::string& error,
                        bool& unknown);

    const AssemblerOptions& m_options;
    std::vector<Statement> m_statements;
    std::unordered_map<std::string, SymbolEntry> m_symbols;
    std::vector<std::string> m_symbolOrder;
    std::unordered_map<std::string, std::vector<std::pair<std::size_t, std::uint32_t>>> m_anonymous;
    std::vector<std::string> m_files;
    std::unordered_map<std::string, std::uint32_t> m_fileIndex;
    std::vector<std::string> m_includeStack;
    std::vector<Conditional> m_conditionals;
    std::vector<ListingLine> m_listing;

    struct Message
    {
        Origin origin;
        std::size_t sequence;
        std::string text;
    };
    std::vector<Message> m_errors;

    // position while reading
    Origin m_origin;
    std::size_t m_sequence = 0;
    std::uint32_t m_address = 0;
    bool m_tooLarge = false;
    bool m_endOfFile = false;
    int m_equateDepth = 0;
    std::int64_t m_allocCounter = 0;
    // a test waiting for its GOYES / RTNYES
    bool m_testPending = false;
    Origin m_testOrigin;
    std::size_t m_testSequence = 0;

    saturn::ObjectModule m_module;
};

// ---------------------------------------------------------------------------------------
// Symbol lookup

bool Scope::Symbol(const std::string& name, bool global, Value& value, std::string& error,
                   bool& unknown)
{
    if (!saturn::IsValidSymbolName(name)) {
        error = "bad symbol " + name + ": longer than 255 characters or with a control character";
        return false;
    }
    const auto found = m_assembler.m_symbols.find(name);
    if (found == m_assembler.m_symbols.end()) {
        if (global) {
            value.base = Value::Base::External;
            value.number = 0;
            value.symbol = name;
            return true;
        }
        if (!m_final) {
            unknown = true;
            error = name + " must be defined before this line";
            return false;
        }
        error = "undefined local label " + name;
        return false;
    }
    SymbolEntry& entry = found->second;
    if (entry.kind == SymbolEntry::Kind::Equate) {
        return m_assembler.EvaluateEquate(entry, m_final, value, error, unknown);
    }
    value = entry.value;
    return true;
}

bool Scope::Anonymous(std::string_view kind, Value& value, std::string& error, bool& unknown)
{
    const auto found = m_assembler.m_anonymous.find(std::string(kind));
    const bool forward = kind[0] == '+';
    if (found != m_assembler.m_anonymous.end()) {
        const auto& labels = found->second;
        if (forward) {
            for (const auto& [index, address] : labels) {
                if (index > m_statementIndex) {
                    value = m_assembler.AddressValue(address);
                    return true;
                }
            }
        } else {
            for (auto it = labels.rbegin(); it != labels.rend(); ++it) {
                if (it->first <= m_statementIndex) {
                    value = m_assembler.AddressValue(it->second);
                    return true;
                }
            }
        }
    }
    if (forward && !m_final) {
        unknown = true;
        error = "the label " + std::string(kind) + " must be defined before this line";
        return false;
    }
    error = "no anonymous label " + std::string(kind) + (forward ? " further down" : " above");
    return false;
}

Value Scope::Here()
{
    return m_assembler.AddressValue(m_address);
}

bool Assembler::EvaluateEquate(SymbolEntry& entry, bool final, Value& value, std::string& error,
                               bool& unknown)
{
    switch (entry.state) {
    case SymbolEntry::State::Done:
        value = entry.value;
        return true;
    case SymbolEntry::State::Evaluating:
        error = "EQU refers to itself";
        return false;
    case SymbolEntry::State::Failed:
        error = kNoValue;
        return false;
    case SymbolEntry::State::Pending:
        break;
    }
    // A long chain of equates each naming the next would otherwise recurse without bound.
    if (m_equateDepth >= kMaxEquateDepth) {
        error = "chain of EQU definitions too long";
        return false;
    }
    entry.state = SymbolEntry::State::Evaluating;
    Scope scope(*this, entry.statementIndex, entry.address, final);
    std::string inner;
    bool innerUnknown = false;
    Value result;
    ++m_equateDepth;
    const bool evaluated = Evaluate(entry.expression, scope, result, inner, innerUnknown);
    --m_equateDepth;
    if (evaluated) {
        entry.value = result;
        entry.state = SymbolEntry::State::Done;
        value = result;
        return true;
    }
    if (innerUnknown) {
        entry.state = SymbolEntry::State::Pending;
        unknown = true;
        error = inner;
        return false;
    }
    entry.state = SymbolEntry::State::Failed;
    if (inner != kNoValue) { // reported already where the first EQU failed
        Error(entry.origin, entry.sequence, inner);
    }
    error = kNoValue;
    return false;
}

// ---------------------------------------------------------------------------------------
// First pass

std::uint32_t Assembler::FileIndex(const std::string& name)
{
    const auto found = m_fileIndex.find(name);
    if (found != m_fileIndex.end()) {
        return found->second;
    }
    const auto index = static_cast<std::uint32_t>(m_files.size());
    m_files.push_back(name);
    m_fileIndex.emplace(name, index);
    return index;
}

void Assembler::ReadFile(const std::string& path, const std::string& name, int depth)
{
    std::string text;
    std::string error;
    const bool read = m_options.readFile ? m_options.readFile(path, text, error)
                                         : saturn::ReadWholeFile(path, text, error);
    if (!read) {
        Error(error);
        return;
    }
    std::error_code ignored;
    m_includeStack.push_back(
        m_options.readFile ? path : std::filesystem::weakly_canonical(path, ignored).string());
    const Origin saved = m_origin;
    m_origin = {FileIndex(name), 0};
    std::uint32_t nextLine = 1;
    std::size_t start = 0;
    m_endOfFile = false;
    while (start < text.size() && !m_endOfFile) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        std::string_view line(text.data() + start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        start = end + 1;
        m_origin.line = nextLine++;
        ++m_sequence;
        // *#line N "FILE": the next line came from line N of FILE.
        if (line.substr(0, 7) == "*#line ") {
            m_listing.push_back({std::string(line), m_address, -1});
            std::string_view rest = line.substr(7);
            std::uint32_t number = 0;
            std::size_t digits = 0;
            while (digits < rest.size() && rest[digits] >= '0' && rest[digits] <= '9' &&
                   number < 100000000) {
                number = number * 10 + static_cast<std::uint32_t>(rest[digits++] - '0');
            }
            rest.remove_prefix(digits);
            const std::size_t open = rest.find('"');
            const std::size_t close =
                open == std::string_view::npos ? open : rest.find('"', open + 1);
            if (digits == 0 || number == 0 || close == std::string_view::npos ||
                rest.substr(0, open).find_first_not_of(" \t") != std::string_view::npos) {
                Error("malformed *#line directive (expected *#line N \"FILE\")");
                continue;
            }
            m_origin.file = FileIndex(std::string(rest.substr(open + 1, close - open - 1)));
            nextLine = number;
            continue;
        }
        Line(line, depth, path);
    }
    m_endOfFile = false;
    m_origin = saved;
    m_includeStack.pop_back();
}

void Assembler::DefineSymbol(const std::string& label, SymbolEntry entry)
{
    std::string name = label;
    entry.global = name[0] == '=';
    if (entry.global) {
        name.erase(0, 1);
    }
    if (name.empty()) {
        Error("missing label name after '='");
        return;
    }
    if (!saturn::IsValidSymbolName(name)) {
        Error("bad label " + name + ": longer than 255 characters or with a control character");
        return;
    }
    entry.origin = m_origin;
    entry.sequence = m_sequence;
    const auto inserted = m_symbols.emplace(name, entry);
    if (!inserted.second) {
        Error("duplicate label " + name);
        return;
    }
    m_symbolOrder.push_back(name);
}

void Assembler::DefineLabel(const std::string& label)
{
    if (label == "+" || label == "++" || label == "-" || label == "--") {
        m_anonymous[label].emplace_back(m_statements.size(), m_address);
        return;
    }
    SymbolEntry entry;
    entry.kind = SymbolEntry::Kind::Label;
    entry.value = AddressValue(m_address);
    DefineSymbol(label, entry);
}

void Assembler::Add(Statement statement)
{
    statement.address = m_address;
    statement.origin = m_origin;
    statement.sequence = m_sequence;
    if (m_tooLarge) {
        return;
    }
    if (statement.size > saturn::kMaxCodeNibbles - m_address) {
        Error("code larger than the address space");
        m_tooLarge = true;
        return;
    }
    const bool followsTest =
        statement.kind == Kind::Instruction && (statement.row->flags & saturn::kFollowsTest);
    if (m_testPending && !followsTest) {
        Error(m_testOrigin, m_testSequence, "a test must be followed by GOYES or RTNYES");
    } else if (!m_testPending && followsTest) {
        Error(statement.row->mnemonic + " must follow a test");
    }
    m_testPending = statement.kind == Kind::Instruction && (statement.row->flags & saturn::kTest);
    if (m_testPending) {
        m_testOrigin = m_origin;
        m_testSequence = m_sequence;
    }
    m_address += statement.size;
    m_listing.back().statement = static_cast<std::int64_t>(m_statements.size());
    m_statements.push_back(std::move(statement));
}

// Evaluates an operand that fixes the size of the code, so it must be known in the first
// pass: only symbols defined further up.
bool Assembler::KnownNow(std::string_view text, std::int64_t& number, const char* what)
{
    Scope scope(*this, m_statements.size(), m_address, false);
    Value value;
    std::string error;
    bool unknown = false;
    if (!Evaluate(text, scope, value, error, unknown)) {
        Error(error);
        return false;
    }
    if (value.base != Value::Base::Absolute) {
        Error(std::string(what) + " must be a number, not an address");
        return false;
    }
    number = value.number;
    return true;
}

void Assembler::Line(std::string_view line, int depth, const std::string& includingPath)
{
    m_listing.push_back({std::string(line), m_address, -1});
    if (line.empty() || line[0] == '*') {
        return;
    }
    std::size_t pos = 0;
    const auto token = [&]() {
        while (pos < line.size() && IsBlank(line[pos])) {
            ++pos;
        }
        const std::size_t start = pos;
        while (pos < line.size() && !IsBlank(line[pos])) {
            ++pos;
        }
        return line.substr(start, pos - start);
    };
    std::string label;
    if (!IsBlank(line[0])) {
        label = std::string(token());
    }
    const std::string opcode = Upper(token());
    const std::string_view rest = line.substr(pos);

    if (Directive(opcode, label, rest, depth, includingPath)) {
        return;
    }
    if (!m_conditionals.empty() && !m_conditionals.back().active) {
        return;
    }
    if (!label.empty()) {
        DefineLabel(label);
    }
    if (!opcode.empty()) {
        Code(opcode, rest);
    }
}

// The first blank-delimited word of the modifier field.
std::string_view Modifier(std::string_view rest)
{
    std::size_t start = 0;
    while (start < rest.size() && IsBlank(rest[start])) {
        ++start;
    }
    std::size_t end = start;
    while (end < rest.size() && !IsBlank(rest[end])) {
        ++end;
    }
    return rest.substr(start, end - start);
}

// A modifier that begins with its own delimiter: \text\ or /text/. Blanks inside count.
bool Delimited(std::string_view rest, std::string& text)
{
    std::size_t start = 0;
    while (start < rest.size() && IsBlank(rest[start])) {
        ++start;
    }
    if (start >= rest.size()) {
        return false;
    }
    const char delimiter = rest[start];
    const std::size_t end = rest.find(delimiter, start + 1);
    if (end == std::string_view::npos) {
        return false;
    }
    text = std::string(rest.substr(start + 1, end - start - 1));
    return true;
}

bool Assembler::Directive(const std::string& opcode, const std::string& label,
                          std::string_view rest, int depth, const std::string& includingPath)
{
    const bool active = m_conditionals.empty() || m_conditionals.back().active;
    if (opcode == "IF") {
        bool condition = false;
        if (active) {
            std::int64_t value = 0;
            condition = KnownNow(Modifier(rest), value, "an IF condition") && value != 0;
        }
        m_conditionals.push_back({active && condition, active, false, m_origin, m_sequence});
        return true;
    }
    if (opcode == "ELSE" || opcode == "ENDIF") {
        if (m_conditionals.empty()) {
            Error(opcode + " without IF");
            return true;
        }
        Conditional& top = m_conditionals.back();
        if (opcode == "ENDIF") {
            m_conditionals.pop_back();
        } else if (top.seenElse) {
            Error("second ELSE for one IF");
        } else {
            top.seenElse = true;
            // The ELSE branch assembles when the IF branch did not.
            top.active = top.parentActive && !top.active;
        }
        return true;
    }
    if (!active) {
        return true;
    }
    if (opcode == "EQU") {
        if (label.empty()) {
            Error("EQU needs a label");
            return true;
        }
        SymbolEntry entry;
        entry.kind = SymbolEntry::Kind::Equate;
        entry.expression = std::string(Modifier(rest));
        entry.statementIndex = m_statements.size();
        entry.address = m_address;
        entry.state = SymbolEntry::State::Pending;
        if (entry.expression.empty()) {
            Error("EQU needs a value");
            return true;
        }
        DefineSymbol(label, entry);
        // Evaluated at once when it can be, so that long lists of equates that build on
        // each other never nest deeply.
        std::string name = label[0] == '=' ? label.substr(1) : label;
        const auto defined = m_symbols.find(name);
        if (defined != m_symbols.end() && defined->second.kind == SymbolEntry::Kind::Equate &&
            defined->second.sequence == m_sequence) {
            Value value;
            std::string error;
            bool unknown = false;
            EvaluateEquate(defined->second, false, value, error, unknown);
        }
        return true;
    }
    if (opcode == "ABASE") {
        std::int64_t value = 0;
        if (KnownNow(Modifier(rest), value, "ABASE")) {
            m_allocCounter = value;
        }
        return true;
    }
    if (opcode == "ALLOC") {
        std::int64_t size = 0;
        if (!KnownNow(Modifier(rest), size, "ALLOC")) {
            return true;
        }
        if (!label.empty()) {
            SymbolEntry entry;
            entry.kind = SymbolEntry::Kind::Label;
            entry.value.number = m_allocCounter;
            DefineSymbol(label, entry);
        }
        m_allocCounter = static_cast<std::int64_t>(static_cast<std::uint64_t>(m_allocCounter) +
                                                   static_cast<std::uint64_t>(size));
        return true;
    }
    if (opcode == "INCLUDE") {
        if (!label.empty()) {
            DefineLabel(label);
        }
        std::string name;
        std::string_view trimmed =
            rest.substr(std::min(rest.size(), rest.find_first_not_of(" \t")));
        if (!trimmed.empty() && trimmed[0] == '"') {
            const std::size_t close = trimmed.find('"', 1);
            name = std::string(trimmed.substr(
                1, close == std::string_view::npos ? std::string_view::npos : close - 1));
        } else {
            name = std::string(Modifier(rest));
        }
        if (name.empty()) {
            Error("INCLUDE needs a file name");
            return true;
        }
        // A name is tried as given (relative to the working folder), then beside the
        // including file.
        std::string path = saturn::ResolveToolPath(name);
        std::error_code ignored;
        if (!m_options.readFile && !std::filesystem::exists(path, ignored)) {
            const std::filesystem::path beside =
                std::filesystem::path(includingPath).parent_path() / path;
            if (std::filesystem::exists(beside, ignored)) {
                // Messages name the file by the path that finds it from the working folder.
                path = beside.lexically_normal().string();
                name = path;
            }
        }
        // The same file under another spelling of its path is still the same file.
        const std::string identity =
            m_options.readFile ? path : std::filesystem::weakly_canonical(path, ignored).string();
        if (depth >= kMaxIncludeDepth) {
            Error("INCLUDE nested too deeply");
        } else if (std::find(m_includeStack.begin(), m_includeStack.end(), identity) !=
                   m_includeStack.end()) {
            Error("INCLUDE of " + path + " would include it within itself");
        } else {
            ReadFile(path, name, depth + 1);
        }
        return true;
    }
    if (opcode == "END") {
        if (!label.empty()) {
            DefineLabel(label);
        }
        m_endOfFile = true;
        return true;
    }
    static const char* const kListingControl[] = {"TITLE",  "STITLE",  "EJECT",  "LIST",
                                                  "UNLIST", "SETLIST", "CLRLIST"};
    if (std::find(std::begin(kListingControl), std::end(kListingControl), opcode) !=
        std::end(kListingControl)) {
        if (!label.empty()) {
            DefineLabel(label);
        }
        return true;
    }
    return false;
}

// Splits "NAME(inner)" into NAME and inner.
bool Parenthesised(const std::string& opcode, std::string& name, std::string& inner)
{
    const std::size_t open = opcode.find('(');
    if (open == std::string::npos || opcode.back() != ')' || open == 0) {
        return false;
    }
    name = opcode.substr(0, open);
    inner = opcode.substr(open + 1, opcode.size() - open - 2);
    return true;
}

void Assembler::Code(const std::string& opcode, std::string_view rest)
{
    const auto& rows = saturn::RowsFor(opcode);
    if (!rows.empty()) {
        Machine(opcode, rows, rest);
        return;
    }
    // "P=5" written together (also "?P=5", "?P#5"): the number is the modifier and the
    // word after it a comment.
    for (const char* numbered : {"P=", "?P=", "?P#"}) {
        const std::string prefix = numbered;
        if (opcode.size() > prefix.size() && opcode.compare(0, prefix.size(), prefix) == 0 &&
            std::isdigit(static_cast<unsigned char>(opcode[prefix.size()]))) {
            Machine(prefix, saturn::RowsFor(prefix), " " + opcode.substr(prefix.size()));
            return;
        }
    }
    Statement statement;
    statement.operand = std::string(Modifier(rest));
    if (opcode == "NIBHEX") {
        const std::string& digits = statement.operand;
        if (digits.empty() ||
            !std::all_of(digits.begin(), digits.end(), [](char c) { return HexDigit(c) >= 0; })) {
            Error("NIBHEX needs hex digits");
            return;
        }
        statement.kind = Kind::NibHex;
        statement.size = static_cast<std::uint32_t>(std::min<std::size_t>(digits.size(), 1u << 21));
        Add(std::move(statement));
        return;
    }
    if (opcode == "NIBASC") {
        if (!Delimited(rest, statement.operand)) {
            Error("NIBASC needs text between two delimiters, as in \\text\\");
            return;
        }
        statement.kind = Kind::NibAsc;
        statement.size = static_cast<std::uint32_t>(
            std::min<std::size_t>(2 * statement.operand.size(), 1u << 21));
        Add(std::move(statement));
        return;
    }
    if (opcode == "BSS") {
        std::int64_t size = 0;
        if (!KnownNow(statement.operand, size, "BSS")) {
            return;
        }
        if (size < 0 || size > saturn::kMaxCodeNibbles) {
            Error("BSS size out of range");
            return;
        }
        statement.kind = Kind::Bss;
        statement.size = static_cast<std::uint32_t>(size);
        Add(std::move(statement));
        return;
    }
    if (opcode == "D0+" || opcode == "D1+" || opcode == "D0-" || opcode == "D1-") {
        std::int64_t amount = 0;
        if (!KnownNow(statement.operand, amount, opcode.c_str())) {
            return;
        }
        if (amount < 0 || amount > saturn::kMaxCodeNibbles) {
            Error(opcode + " amount out of range");
            return;
        }
        statement.kind = Kind::PointerStep;
        statement.row = saturn::RowsFor(opcode.substr(0, 2) + "=" + opcode).front();
        statement.width = amount;
        statement.size = static_cast<std::uint32_t>((amount + 15) / 16 * 3);
        Add(std::move(statement));
        return;
    }

    std::string name;
    std::string inner;
    if (!Parenthesised(opcode, name, inner) ||
        (name != "CON" && name != "REL" && name != "LC" && name != "LA")) {
        Error("unknown mnemonic " + opcode);
        return;
    }
    if (statement.operand.empty()) {
        Error(opcode + " needs an operand");
        return;
    }
    const bool load = name == "LC" || name == "LA";
    if (load) {
        statement.row = saturn::RowsFor(name).front();
    }
    if (load && inner == "N") {
        // LC(N) n: only the opcode; the n nibbles that follow are its constant.
        std::int64_t count = 0;
        if (!KnownNow(statement.operand, count, opcode.c_str())) {
            return;
        }
        if (count < 1 || count > 16) {
            Error("bad count " + std::to_string(count) + " for " + opcode + " (1 to 16)");
            return;
        }
        statement.kind = Kind::LoadOpcode;
        statement.width = count;
        statement.size = static_cast<std::uint32_t>(statement.row->nibbles.size());
        Add(std::move(statement));
        return;
    }
    std::int64_t width = 0;
    if (!KnownNow(inner, width, "a field width")) {
        return;
    }
    if (width < 1 || width > 16) {
        Error("bad field width " + std::to_string(width) + " in " + opcode + " (1 to 16)");
        return;
    }
    statement.width = width;
    if (load) {
        statement.kind = Kind::LoadConst;
        statement.size = static_cast<std::uint32_t>(statement.row->nibbles.size() + width);
    } else {
        statement.kind = name == "CON" ? Kind::Con : Kind::Rel;
        statement.size = static_cast<std::uint32_t>(width);
    }
    Add(std::move(statement));
}

void Assembler::Machine(const std::string& opcode, const std::vector<const Instruction*>& rows,
                        std::string_view rest)
{
    Statement statement;
    const Operand operand = rows.front()->operand;
    if (operand == Operand::LoadAscii) {
        if (!Delimited(rest, statement.operand)) {
            Error(opcode + " needs text between two delimiters, as in \\text\\");
            return;
        }
    } else if (operand != Operand::None) {
        statement.operand = std::string(Modifier(rest));
        if (statement.operand.empty()) {
            Error(opcode + " needs an operand");
            return;
        }
    }
    statement.row = rows.front();

    switch (operand) {
    case Operand::Field:
    case Operand::FieldConst: {
        std::string fieldText = statement.operand;
        if (operand == Operand::FieldConst) {
            const std::size_t comma = fieldText.find(',');
            if (comma == std::string::npos) {
                Error(opcode + " needs field,n");
                return;
            }
            statement.operand = fieldText.substr(comma + 1);
            fieldText.resize(comma);
        }
        const auto field = saturn::FieldCode(Upper(fieldText));
        if (!field) {
            // The DAT transfers also take a nibble count instead of a field.
            const auto count = std::find_if(rows.begin(), rows.end(), [](const auto* row) {
                return row->operand == Operand::Count;
            });
            if (count != rows.end()) {
                statement.row = *count;
                break;
            }
            Error("bad field " + fieldText);
            return;
        }
        const auto row = std::find_if(rows.begin(), rows.end(), [&](const auto* candidate) {
            return candidate->operand == operand &&
                   saturn::FieldNibble(candidate->fields, *field).has_value();
        });
        if (row == rows.end()) {
            Error("bad field " + fieldText + " for " + opcode);
            return;
        }
        statement.row = *row;
        statement.field = *field;
        break;
    }
    case Operand::PointerHex: {
        const auto row = std::find_if(rows.begin(), rows.end(), [&](const auto* candidate) {
            return candidate->VariableCount('v') == statement.operand.size();
        });
        if (row == rows.end() || !std::all_of(statement.operand.begin(), statement.operand.end(),
                                              [](char c) { return HexDigit(c) >= 0; })) {
            Error(opcode + " needs 2, 4 or 5 hex digits");
            return;
        }
        statement.row = *row;
        break;
    }
    case Operand::LoadHex:
        if (statement.operand.empty() || statement.operand.size() > 16 ||
            !std::all_of(statement.operand.begin(), statement.operand.end(),
                         [](char c) { return HexDigit(c) >= 0; })) {
            Error(opcode + " needs 1 to 16 hex digits");
            return;
        }
        statement.width = static_cast<std::int64_t>(statement.operand.size());
        break;
    case Operand::LoadAscii:
        if (statement.operand.empty() || statement.operand.size() > 8) {
            Error(opcode + " needs 1 to 8 characters");
            return;
        }
        statement.width = static_cast<std::int64_t>(2 * statement.operand.size());
        break;
    case Operand::LoadConst:
        // "LC" and "LA" alone carry no count; the count form is LC(m).
        Error(opcode + " needs a count, as in " + opcode + "(5)");
        return;
    default:
        break;
    }
    statement.kind = Kind::Instruction;
    statement.size = static_cast<std::uint32_t>(statement.row->nibbles.size() + statement.width);
    Add(std::move(statement));
}

// ---------------------------------------------------------------------------------------
// Second pass

bool Assembler::EvaluateFinal(const Statement& statement, std::string_view text, Value& value)
{
    const std::size_t index = static_cast<std::size_t>(&statement - m_statements.data());
    Scope scope(*this, index, statement.address, true);
    std::string error;
    bool unknown = false;
    if (!Evaluate(text, scope, value, error, unknown)) {
        Error(statement.origin, statement.sequence, error);
        return false;
    }
    return true;
}

void Assembler::EmitField(const Statement& statement, const Value& value, std::uint32_t offset,
                          unsigned width, bool relative, unsigned delta, FieldCheck check,
                          const char* what)
{
    const auto fail = [&](const std::string& text) {
        Error(statement.origin, statement.sequence, text);
    };
    std::int64_t number = value.number;
    if (value.base == Value::Base::Absolute && relative && m_options.origin) {
        // With a fixed load address an absolute target is just another address.
        number -= static_cast<std::int64_t>(*m_options.origin + offset + delta);
    } else if (value.base == Value::Base::Module && relative) {
        number -= static_cast<std::int64_t>(offset + delta);
    } else if (value.base != Value::Base::Absolute || relative) {
        // Only the loader knows this value.
        if (m_options.raw) {
            fail(value.base == Value::Base::External
                     ? "undefined global =" + value.symbol + " (no loader with -H)"
                     : std::string("address not known without the loader (-H)"));
            return;
        }
        if (width > saturn::kMaxRelocationWidth) {
            fail("an address needs a field of at most 8 nibbles");
            return;
        }
        saturn::Relocation relocation;
        relocation.offset = offset;
        relocation.width = static_cast<std::uint8_t>(width);
        relocation.relative = relative;
        relocation.check = check;
        relocation.addend = value.number - (relative ? static_cast<std::int64_t>(delta) : 0);
        switch (value.base) {
        case Value::Base::Module:
            relocation.base = saturn::RelocationBase::Module;
            break;
        case Value::Base::External:
            relocation.base = saturn::RelocationBase::Symbol;
            relocation.symbol = value.symbol;
            break;
        case Value::Base::Absolute:
            relocation.base = saturn::RelocationBase::Address;
            break;
        }
        if (relocation.addend >= kMaxExportMagnitude || relocation.addend <= -kMaxExportMagnitude) {
            fail("value out of range");
            return;
        }
        m_module.relocations.push_back(std::move(relocation));
        return;
    }
    if (!FitsField(number, width, check)) {
        if (check == FieldCheck::SignedNonZero && number == 0) {
            fail(std::string(what) + " to the address right after its opcode cannot be " +
                 "encoded (offset 0 means a return)");
        } else if (relative) {
            fail(std::string(what) + " out of range: offset " + std::to_string(number) +
                 " does not fit in " + std::to_string(width) + " nibbles");
        } else {
            fail("value too wide for its field: " + HexText(number) + " in " +
                 std::to_string(width) + " nibbles");
        }
        return;
    }
    auto bits = static_cast<std::uint64_t>(number);
    for (unsigned i = 0; i < width; ++i) {
        m_module.code[offset + i] = static_cast<std::uint8_t>(bits & 15);
        bits >>= 4;
    }
}

void Assembler::Emit(std::size_t index)
{
    const Statement& statement = m_statements[index];
    std::vector<std::uint8_t>& code = m_module.code;
    const std::uint32_t at = statement.address;
    code.resize(at + statement.size, 0);
    const auto fail = [&](const std::string& text) {
        Error(statement.origin, statement.sequence, text);
    };
    // A number operand that must be a plain value within [low, high].
    const auto plain = [&](std::int64_t low, std::int64_t high, std::int64_t& number) {
        Value value;
        if (!EvaluateFinal(statement, statement.operand, value)) {
            return false;
        }
        if (value.base != Value::Base::Absolute) {
            fail(statement.row->mnemonic + " needs a number, not an address");
            return false;
        }
        if (value.number < low || value.number > high) {
            fail("value " + std::to_string(value.number) + " out of range " + std::to_string(low) +
                 " to " + std::to_string(high) + " for " + statement.row->mnemonic);
            return false;
        }
        number = value.number;
        return true;
    };

    switch (statement.kind) {
    case Kind::NibHex:
        for (std::size_t i = 0; i < statement.size; ++i) {
            code[at + i] = static_cast<std::uint8_t>(HexDigit(statement.operand[i]));
        }
        return;
    case Kind::NibAsc:
        for (std::size_t i = 0; i < statement.size / 2; ++i) {
            const auto byte = static_cast<unsigned char>(statement.operand[i]);
            code[at + 2 * i] = byte & 15;
            code[at + 2 * i + 1] = static_cast<std::uint8_t>(byte >> 4);
        }
        return;
    case Kind::Bss:
        return;
    case Kind::Con:
    case Kind::Rel: {
        Value value;
        if (EvaluateFinal(statement, statement.operand, value)) {
            const bool rel = statement.kind == Kind::Rel;
            EmitField(statement, value, at, static_cast<unsigned>(statement.width), rel, 0,
                      rel ? FieldCheck::Signed : FieldCheck::Fits, rel ? "REL" : "CON");
        }
        return;
    }
    case Kind::PointerStep: {
        std::int64_t left = statement.width;
        std::uint32_t offset = at;
        while (left > 0) {
            const std::int64_t step = std::min<std::int64_t>(left, 16);
            code[offset] = 1;
            code[offset + 1] = static_cast<std::uint8_t>(HexDigit(statement.row->nibbles[1]));
            code[offset + 2] = static_cast<std::uint8_t>(step - 1);
            left -= step;
            offset += 3;
        }
        return;
    }
    case Kind::LoadOpcode:
    case Kind::LoadConst:
    case Kind::Instruction:
        break;
    }

    const Instruction& row = *statement.row;
    std::size_t fieldStart = row.nibbles.size();
    unsigned fieldWidth = 0;
    for (std::size_t i = 0; i < row.nibbles.size(); ++i) {
        const char c = row.nibbles[i];
        const int digit = HexDigit(c);
        if (digit >= 0 && (c < 'a' || c > 'f')) {
            code[at + i] = static_cast<std::uint8_t>(digit);
        } else if (c == 'f') {
            code[at + i] =
                static_cast<std::uint8_t>(*saturn::FieldNibble(row.fields, statement.field));
        } else if (c == 'd' || c == 'a' || c == 'v') {
            fieldStart = std::min(fieldStart, i);
            ++fieldWidth;
        }
    }
    const std::size_t kAt = row.nibbles.find('k');
    const std::size_t nAt = row.nibbles.find('n');
    std::int64_t number = 0;
    switch (row.operand) {
    case Operand::None:
    case Operand::Field:
        return;
    case Operand::FieldConst:
    case Operand::Count:
        if (plain(1, 16, number)) {
            code[at + kAt] = static_cast<std::uint8_t>(number - 1);
        }
        return;
    case Operand::Number:
        if (plain(0, 15, number)) {
            code[at + nAt] = static_cast<std::uint8_t>(number);
        }
        return;
    case Operand::Branch:
    case Operand::Absolute:
    case Operand::Pointer: {
        Value value;
        if (!EvaluateFinal(statement, statement.operand, value)) {
            return;
        }
        const bool branch = row.operand == Operand::Branch;
        FieldCheck check = FieldCheck::Fits;
        if (branch) {
            check = (row.flags & saturn::kNonZeroOffset) ? FieldCheck::SignedNonZero
                                                         : FieldCheck::Signed;
        } else if (row.operand == Operand::Pointer && fieldWidth < 5) {
            // D0=(2) and D0=(4) load the low part of an address.
            check = FieldCheck::Truncate;
        }
        EmitField(statement, value, at + static_cast<std::uint32_t>(fieldStart), fieldWidth, branch,
                  row.branchDelta, check, branch ? "branch" : row.mnemonic.c_str());
        return;
    }
    case Operand::PointerHex: {
        const std::size_t count = statement.operand.size();
        for (std::size_t i = 0; i < count; ++i) {
            code[at + fieldStart + i] =
                static_cast<std::uint8_t>(HexDigit(statement.operand[count - 1 - i]));
        }
        return;
    }
    case Operand::LoadConst:
    case Operand::LoadHex:
    case Operand::LoadAscii:
        break;
    }

    // LC / LA forms: the count nibble, then the value least significant nibble first.
    const auto width = static_cast<std::uint32_t>(statement.width);
    const std::uint32_t valueAt = at + static_cast<std::uint32_t>(row.nibbles.size());
    if (statement.kind == Kind::LoadOpcode) {
        code[at + kAt] = static_cast<std::uint8_t>(statement.width - 1);
        return;
    }
    if (row.operand == Operand::LoadAscii) {
        code[at + kAt] = static_cast<std::uint8_t>(width - 1);
        const std::string& text = statement.operand;
        for (std::size_t i = 0; i < text.size(); ++i) {
            // The first character is the most significant byte.
            const auto byte = static_cast<unsigned char>(text[text.size() - 1 - i]);
            code[valueAt + 2 * i] = byte & 15;
            code[valueAt + 2 * i + 1] = static_cast<std::uint8_t>(byte >> 4);
        }
        return;
    }
    code[at + kAt] = static_cast<std::uint8_t>(width - 1);
    if (row.operand == Operand::LoadHex) {
        for (std::uint32_t i = 0; i < width; ++i) {
            code[valueAt + i] =
                static_cast<std::uint8_t>(HexDigit(statement.operand[width - 1 - i]));
        }
        return;
    }
    Value value;
    if (EvaluateFinal(statement, statement.operand, value)) {
        EmitField(statement, value, valueAt, width, false, 0, FieldCheck::Fits, "LC");
    }
}

void Assembler::Export()
{
    for (const std::string& name : m_symbolOrder) {
        SymbolEntry& entry = m_symbols.at(name);
        if (entry.kind == SymbolEntry::Kind::Define) {
            continue;
        }
        Value value;
        std::string error;
        bool unknown = false;
        if (entry.kind == SymbolEntry::Kind::Equate) {
            if (!EvaluateEquate(entry, true, value, error, unknown)) {
                continue; // reported at the EQU
            }
        } else {
            value = entry.value;
        }
        if (value.base == Value::Base::External) {
            if (entry.global) {
                Error(entry.origin, entry.sequence,
                      "=" + name + " cannot be defined as a global of another module");
            }
            continue;
        }
        if (value.number >= kMaxExportMagnitude || value.number <= -kMaxExportMagnitude) {
            if (entry.global) {
                Error(entry.origin, entry.sequence, "value of =" + name + " too large");
            }
            continue;
        }
        saturn::ObjectSymbol symbol;
        symbol.name = name;
        symbol.value = value.number;
        symbol.global = entry.global;
        symbol.relocatable = value.base == Value::Base::Module;
        m_module.symbols.push_back(std::move(symbol));
    }
}

std::string Assembler::Listing() const
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const ListingLine& line : m_listing) {
        std::string nibbles;
        std::uint32_t address = line.address;
        std::uint32_t size = 0;
        if (line.statement >= 0) {
            const Statement& statement = m_statements[static_cast<std::size_t>(line.statement)];
            address = statement.address;
            size = statement.size;
        }
        for (std::uint32_t i = 0; i < size && address + i < m_module.code.size(); ++i) {
            nibbles += kHex[m_module.code[address + i]];
        }
        std::string prefix;
        for (int shift = 16; shift >= 0; shift -= 4) {
            prefix += kHex[(address >> shift) & 15];
        }
        out += prefix + " " + nibbles.substr(0, 16);
        out.append(nibbles.size() < 16 ? 17 - std::min<std::size_t>(nibbles.size(), 16) : 1, ' ');
        out += line.text + "\r\n";
        for (std::size_t more = 16; more < nibbles.size(); more += 16) {
            out += "      " + nibbles.substr(more, 16) + "\r\n";
        }
    }
    return out;
}

AssemblyResult Assembler::Run(const std::string& sourcePath)
{
    for (const auto& [name, value] : m_options.defines) {
        SymbolEntry entry;
        entry.kind = SymbolEntry::Kind::Define;
        entry.value.number = value;
        if (m_symbols.emplace(name, entry).second) {
            m_symbolOrder.push_back(name);
        }
    }
    m_origin = {FileIndex(sourcePath), 0};
    ReadFile(sourcePath, sourcePath, 0);
    for (const Conditional& open : m_conditionals) {
        Error(open.origin, open.sequence, "IF without ENDIF");
    }
    if (m_testPending) {
        Error(m_testOrigin, m_testSequence, "a test must be followed by GOYES or RTNYES");
    }

    m_module.code.reserve(m_address);
    for (std::size_t i = 0; i < m_statements.size(); ++i) {
        Emit(i);
        const Statement& statement = m_statements[i];
        if (statement.size > 0 &&
            (m_module.lines.empty() || m_module.lines.back().file != statement.origin.file ||
             m_module.lines.back().line != statement.origin.line)) {
            m_module.lines.push_back(
                {statement.address, statement.origin.file, statement.origin.line});
        }
    }
    Export();
    m_module.sourceName = sourcePath;
    m_module.files = m_files;

    AssemblyResult result;
    std::stable_sort(m_errors.begin(), m_errors.end(),
                     [](const Message& a, const Message& b) { return a.sequence < b.sequence; });
    for (const Message& message : m_errors) {
        if (result.errors.size() == kMaxErrors) {
            result.moreErrors = true;
            break;
        }
        result.errors.push_back({m_files[message.origin.file], message.origin.line, message.text});
    }
    if (m_options.listing) {
        result.listing = Listing();
    }
    result.module = std::move(m_module);
    return result;
}

} // namespace

AssemblyResult Assemble(const std::string& sourcePath, const AssemblerOptions& options)
{
    Assembler assembler(options);
    return assembler.Run(sourcePath);
}

std::string FormatError(const Diagnostic& diagnostic)
{
    return "*** ERROR in \"" + diagnostic.file + "\" on line " + std::to_string(diagnostic.line) +
           ": " + diagnostic.text;
}

} // namespace sasm
