// Parses RPL source into a tree of objects, then writes the SASM statements for the tree.
#include "Compiler.h"

#include "CalcChars.h"
#include "RealNumber.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <unordered_map>
#include <unordered_set>

namespace {

constexpr int kMaxNesting = 500;       // objects inside objects; deeper is refused
constexpr std::size_t kTextChunk = 32; // characters per NIBASC line
constexpr std::size_t kHexChunk = 64;  // digits per NIBHEX line
constexpr char kEol[] = "\r\n";
constexpr char kHexDigits[] = "0123456789ABCDEF";

std::string Hex(std::uint32_t value)
{
    std::string digits;
    do {
        digits.insert(digits.begin(), kHexDigits[value & 0xF]);
        value >>= 4;
    } while (value != 0);
    return "#" + digits;
}

bool IsHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

// Hex digits, optionally after one '#', as a value no greater than max.
std::optional<std::uint32_t> ParseHex(std::string_view text, std::uint32_t max)
{
    if (!text.empty() && text.front() == '#') {
        text.remove_prefix(1);
    }
    if (text.empty()) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    for (const char c : text) {
        if (!IsHexDigit(c)) {
            return std::nullopt;
        }
        const int digit = c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10;
        value = value * 16 + static_cast<std::uint64_t>(digit);
        if (value > max) {
            return std::nullopt;
        }
    }
    return static_cast<std::uint32_t>(value);
}

std::optional<std::uint32_t> ParseDecimal(std::string_view text, std::uint32_t max)
{
    if (text.empty()) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
        if (value > max) {
            return std::nullopt;
        }
    }
    return static_cast<std::uint32_t>(value);
}

bool IsDecimal(std::string_view text)
{
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Text as the calculator stores it: \" quote, \n line feed, \t tab, and the calculator's
// own escapes (\-> and the other codes, \\ backslash, \nnn a decimal byte).
std::string DecodeText(std::string_view raw)
{
    std::string out;
    for (std::size_t i = 0; i < raw.size();) {
        if (raw[i] == '\\' && i + 1 < raw.size()) {
            const char next = raw[i + 1];
            if (next == '"' || next == 'n' || next == 't') {
                out += next == '"' ? '"' : next == 'n' ? '\n' : '\t';
                i += 2;
                continue;
            }
            unsigned char code = 0;
            if (const std::size_t used = DecodeCalcEscape(raw.substr(i), code); used != 0) {
                out += static_cast<char>(code);
                i += used;
                continue;
            }
        }
        out += raw[i++];
    }
    return out;
}

struct OutLine
{
    std::string text;
    Origin at;
    bool statement = true; // a generated statement, which a pending label may go in front of
};

OutLine Statement(std::string_view op, std::string_view operand, Origin at)
{
    std::string text(8, ' ');
    text += op;
    if (!operand.empty()) {
        text.resize(std::max<std::size_t>(text.size() + 1, 16), ' ');
        text += operand;
    }
    return {text, at};
}

// NIBASC lines for printable text (with a delimiter the text does not hold), NIBHEX lines
// with two nibbles per byte, low nibble first, for anything else.
void AddBytes(std::vector<OutLine>& lines, std::string_view bytes, Origin at)
{
    for (std::size_t from = 0; from < bytes.size(); from += kTextChunk) {
        const std::string_view chunk = bytes.substr(from, kTextChunk);
        const bool printable = std::all_of(chunk.begin(), chunk.end(), [](char c) {
            return static_cast<unsigned char>(c) >= 0x20 && static_cast<unsigned char>(c) < 0x7F;
        });
        const char* delimiter = nullptr;
        for (const char* d : {"\\", "/", "|", "!", "'", "\""}) {
            if (printable && chunk.find(*d) == std::string_view::npos) {
                delimiter = d;
                break;
            }
        }
        if (delimiter != nullptr) {
            lines.push_back(
                Statement("NIBASC", std::string(delimiter) + std::string(chunk) + delimiter, at));
            continue;
        }
        std::string hex;
        for (const char c : chunk) {
            hex += kHexDigits[static_cast<unsigned char>(c) & 0xF];
            hex += kHexDigits[static_cast<unsigned char>(c) >> 4];
        }
        lines.push_back(Statement("NIBHEX", hex, at));
    }
}

void AddHex(std::vector<OutLine>& lines, std::string_view digits, Origin at)
{
    for (std::size_t from = 0; from < digits.size(); from += kHexChunk) {
        lines.push_back(Statement("NIBHEX", digits.substr(from, kHexChunk), at));
    }
}

enum class Kind
{
    Leaf,      // prolog and body
    Pointer,   // a 5-nibble reference to an object elsewhere
    Composite, // prolog, elements, SEMI
    Tag,       // prolog, tag text (lines), one object
    Code,      // code object around assembly lines
    Raw,       // lines copied to the output, no object
    Label,     // names the object that follows
};

struct Obj
{
    Kind kind = Kind::Leaf;
    Origin at;
    std::string symbol;         // Leaf, Composite, Tag: the prolog; Pointer, Label: the name
    bool global = true;         // Pointer, Label: =name (false: a label local to the file)
    std::vector<OutLine> lines; // Leaf: the body; Tag: the tag; Code, Raw: the lines
    std::size_t bodySize = 0;   // Leaf: nibbles of the body
    std::vector<Obj> children;  // Composite: the elements; Tag: the tagged object
    Origin end;                 // Composite, Code: the token that closed it

    bool IsObject() const { return kind != Kind::Raw && kind != Kind::Label; }
};

Obj Leaf(Origin at, std::string prolog, std::size_t bodySize, std::vector<OutLine> lines)
{
    Obj obj;
    obj.at = at;
    obj.symbol = std::move(prolog);
    obj.bodySize = bodySize;
    obj.lines = std::move(lines);
    return obj;
}

bool IsPointerTo(const Obj& obj, std::string_view name)
{
    return obj.kind == Kind::Pointer && obj.symbol == name;
}

// Between WHILE and its REPEAT a loop body of more than one object becomes one secondary,
// because WHILE skips exactly one object when the loop ends.
void WrapLoopBodies(std::vector<Obj>& elements)
{
    std::vector<Obj> out;
    std::vector<std::size_t> whiles;
    for (Obj& element : elements) {
        if (IsPointerTo(element, "REPEAT") && !whiles.empty()) {
            const std::size_t first = whiles.back() + 1;
            whiles.pop_back();
            const auto body = out.begin() + static_cast<std::ptrdiff_t>(first);
            if (std::count_if(body, out.end(), [](const Obj& o) { return o.IsObject(); }) > 1) {
                Obj wrapped;
                wrapped.kind = Kind::Composite;
                wrapped.at = body->at;
                wrapped.symbol = "DOCOL";
                wrapped.end = element.at;
                wrapped.children.assign(std::make_move_iterator(body),
                                        std::make_move_iterator(out.end()));
                out.erase(body, out.end());
                out.push_back(std::move(wrapped));
            }
        }
        const bool isWhile = IsPointerTo(element, "WHILE");
        out.push_back(std::move(element));
        if (isWhile) {
            whiles.push_back(out.size() - 1);
        }
    }
    elements = std::move(out);
}

class Compiler
{
public:
    Compiler(const std::string& fileName, const std::string& text, const IncludeReader& include)
        : m_diagnostics(m_fileNames), m_in(fileName, text, include, m_fileNames, m_diagnostics)
    {
    }

    CompileResult Run();

private:
    using Handler = void (Compiler::*)(const Token&, std::vector<Obj>&, int);

    void Error(Origin at, const std::string& text) { m_diagnostics.Add(at, text); }
    std::string Where(Origin at, Origin from) const;
    static bool IsCloser(const Token& t) { return !t.quoted && (t.text == ";" || t.text == "}"); }
    std::optional<Token> Argument(const Token& key, const char* what);
    std::optional<std::uint32_t> HexArgument(const Token& key, const char* what, std::uint32_t max);
    std::optional<std::string> HexDigits(const Token& key, std::uint32_t count);

    void Item(const Token& t, std::vector<Obj>& into, int depth);
    void Composite(const Token& open, const char* prolog, std::string_view closer,
                   std::vector<Obj>& into, int depth);
    void Program(const Token& t, std::vector<Obj>& into, int depth);
    void List(const Token& t, std::vector<Obj>& into, int depth);
    void Symbolic(const Token& t, std::vector<Obj>& into, int depth);
    void Unit(const Token& t, std::vector<Obj>& into, int depth);
    void Closer(const Token& t, std::vector<Obj>& into, int depth);
    void Bint(const Token& t, std::vector<Obj>& into, int depth);
    void Real(const Token& t, std::vector<Obj>& into, int depth);
    void ExtendedReal(const Token& t, std::vector<Obj>& into, int depth);
    void Complex(const Token& t, std::vector<Obj>& into, int depth);
    void ExtendedComplex(const Token& t, std::vector<Obj>& into, int depth);
    // A real literal: one number of the given format after the prefix.
    void RealLiteral(const Token& t, std::vector<Obj>& into, const RealFormat& format,
                     const char* prolog, int size, const char* what);
    // A complex literal: two numbers of the given format after the prefix.
    void ComplexPair(const Token& t, std::vector<Obj>& into, const RealFormat& format,
                     const char* prolog, int size, const char* what);
    void String(const Token& t, std::vector<Obj>& into, int depth);
    void Character(const Token& t, std::vector<Obj>& into, int depth);
    void GlobalName(const Token& t, std::vector<Obj>& into, int depth);
    void LocalName(const Token& t, std::vector<Obj>& into, int depth);
    void Tagged(const Token& t, std::vector<Obj>& into, int depth);
    void HexString(const Token& t, std::vector<Obj>& into, int depth);
    void Grob(const Token& t, std::vector<Obj>& into, int depth);
    void RomPointer(const Token& t, std::vector<Obj>& into, int depth);
    void RawPointer(const Token& t, std::vector<Obj>& into, int depth);
    void AccessPointer(const Token& t, std::vector<Obj>& into, int depth);
    // A prolog and two hex fields of `width` nibbles each (ROMPTR, ACPTR).
    void HexPair(const Token& t, std::vector<Obj>& into, const char* prolog, int width,
                 std::uint32_t max, const char* first, const char* second);
    void Array(const Token& t, std::vector<Obj>& into, int depth);
    void LinkedArray(const Token& t, std::vector<Obj>& into, int depth);
    void Code(const Token& t, std::vector<Obj>& into, int depth);
    void Assemble(const Token& t, std::vector<Obj>& into, int depth);
    void Nibbles(const Token& t, std::vector<Obj>& into, int depth);
    void Definition(const Token& t, std::vector<Obj>& into, int depth);
    void Local(const Token& t, std::vector<Obj>& into, int depth);
    void External(const Token& t, std::vector<Obj>& into, int depth);
    void LibraryRecord(const Token& t, std::vector<Obj>& into, int depth);
    void Listing(const Token& t, std::vector<Obj>& into, int depth);
    void Stray(const Token& t, std::vector<Obj>& into, int depth);

    std::optional<Obj> NameObject(const Token& t, const char* prolog);
    std::optional<Obj> ArrayElement(const Token& t, int depth);
    void ArrayObject(const Token& t, bool linked, std::vector<Obj>& into, int depth);

    static const std::unordered_map<std::string_view, Handler>& Keywords();

    std::vector<std::string> m_fileNames;
    Diagnostics m_diagnostics;
    SourceReader m_in;
    std::set<std::string, std::less<>> m_locals;
    std::set<std::string, std::less<>> m_defined;
    std::set<std::string, std::less<>> m_declared;
};

const std::unordered_map<std::string_view, Compiler::Handler>& Compiler::Keywords()
{
    static const std::unordered_map<std::string_view, Handler> table = {
        {"::", &Compiler::Program},
        {"{", &Compiler::List},
        {"SYMBOL", &Compiler::Symbolic},
        {"UNIT", &Compiler::Unit},
        {";", &Compiler::Closer},
        {"}", &Compiler::Closer},
        {"#", &Compiler::Bint},
        {"%", &Compiler::Real},
        {"%%", &Compiler::ExtendedReal},
        {"C%", &Compiler::Complex},
        {"C%%", &Compiler::ExtendedComplex},
        {"$", &Compiler::String},
        {"CHR", &Compiler::Character},
        {"ID", &Compiler::GlobalName},
        {"LAM", &Compiler::LocalName},
        {"TAG", &Compiler::Tagged},
        {"HXS", &Compiler::HexString},
        {"GROB", &Compiler::Grob},
        {"ROMPTR", &Compiler::RomPointer},
        {"PTR", &Compiler::RawPointer},
        {"ACPTR", &Compiler::AccessPointer},
        {"ARRY", &Compiler::Array},
        {"LNKARRY", &Compiler::LinkedArray},
        {"CODE", &Compiler::Code},
        {"ASSEMBLE", &Compiler::Assemble},
        {"NIBB", &Compiler::Nibbles},
        {"NULLNAME", &Compiler::Definition},
        {"xNAME", &Compiler::Definition},
        {"NAME", &Compiler::Definition},
        {"LABEL", &Compiler::Definition},
        {"LOCAL", &Compiler::Local},
        {"EXTERNAL", &Compiler::External},
        {"xROMID", &Compiler::LibraryRecord},
        {"xTITLE", &Compiler::LibraryRecord},
        {"xCONFIG", &Compiler::LibraryRecord},
        {"xMESSAGE", &Compiler::LibraryRecord},
        {"TITLE", &Compiler::Listing},
        {"STITLE", &Compiler::Listing},
        {"EJECT", &Compiler::Listing},
        {"ENDCODE", &Compiler::Stray},
        {"RPL", &Compiler::Stray},
    };
    return table;
}

std::string Compiler::Where(Origin at, Origin from) const
{
    std::string where = "line " + std::to_string(at.line);
    if (at.file != from.file) {
        where += " of \"" + m_fileNames[static_cast<std::size_t>(at.file)] + "\"";
    }
    return where;
}

std::optional<Token> Compiler::Argument(const Token& key, const char* what)
{
    Token t = m_in.Next();
    if (t.end || IsCloser(t)) {
        Error(key.at, key.text + " needs " + what);
        if (!t.end) {
            m_in.Unget(std::move(t));
        }
        return std::nullopt;
    }
    return t;
}

std::optional<std::uint32_t> Compiler::HexArgument(const Token& key, const char* what,
                                                   std::uint32_t max)
{
    const std::optional<Token> t = Argument(key, what);
    if (!t) {
        return std::nullopt;
    }
    const std::optional<std::uint32_t> value = ParseHex(t->text, max);
    if (!value) {
        Error(t->at, key.text + " needs " + what + ", not \"" + t->text + "\"");
    }
    return value;
}

// count hex digits, read from as many tokens as they are written in.
std::optional<std::string> Compiler::HexDigits(const Token& key, std::uint32_t count)
{
    std::string digits;
    while (digits.size() < count) {
        Token t = m_in.Next();
        const bool hex =
            !t.end && !t.quoted && std::all_of(t.text.begin(), t.text.end(), IsHexDigit);
        if (!hex || digits.size() + t.text.size() > count) {
            Error(key.at, key.text + " announces " + std::to_string(count) + " hex digits but " +
                              (hex ? "more follow" : std::to_string(digits.size()) + " follow"));
            if (!t.end && !hex) {
                m_in.Unget(std::move(t));
            }
            return std::nullopt;
        }
        digits += t.text;
    }
    std::transform(digits.begin(), digits.end(), digits.begin(),
                   [](char c) { return static_cast<char>(c >= 'a' ? c - 'a' + 'A' : c); });
    return digits;
}

CompileResult Compiler::Run()
{
    std::vector<Obj> top;
    for (Token t = m_in.Next(); !t.end; t = m_in.Next()) {
        Item(t, top, 0);
    }
    CompileResult result;
    result.errors = m_diagnostics.Lines();
    if (!result.errors.empty()) {
        return result;
    }

    // Writes the statements, with a *#line comment wherever the origin of the next line is
    // not the line after the origin of the previous one.
    std::string& out = result.assembly;
    out.reserve(1 << 16);
    int file = -1;
    int nextLine = 0;
    std::optional<OutLine> label;
    int codeLabels = 0;
    std::unordered_set<std::string_view> referenced; // views into the tree and the name sets
    const auto put = [&](const OutLine& line) {
        if (line.at.file != file || line.at.line != nextLine) {
            out += "*#line " + std::to_string(line.at.line) + " \"" +
                   m_fileNames[static_cast<std::size_t>(line.at.file)] + "\"" + kEol;
            file = line.at.file;
        }
        out += line.text;
        out += kEol;
        nextLine = line.at.line + 1;
    };
    const auto flushLabel = [&] {
        if (label) {
            put(*label);
            label.reset();
        }
    };
    const auto emit = [&](const OutLine& line) {
        if (label && line.statement) {
            OutLine labelled = line;
            const std::string& name = label->text;
            labelled.text =
                (name.size() < 8 ? name + std::string(8 - name.size(), ' ') : name + " ") +
                line.text.substr(8);
            label.reset();
            put(labelled);
            return;
        }
        flushLabel();
        put(line);
    };
    // A pointer to a global name: the name is kept for the list of external names.
    const auto pointer = [&](std::string_view name, Origin at) {
        referenced.insert(name);
        emit(Statement("CON(5)", "=" + std::string(name), at));
    };
    const std::function<void(const Obj&)> object = [&](const Obj& obj) {
        switch (obj.kind) {
        case Kind::Leaf:
            pointer(obj.symbol, obj.at);
            for (const OutLine& line : obj.lines) {
                emit(line);
            }
            break;
        case Kind::Pointer:
            if (obj.global) {
                pointer(obj.symbol, obj.at);
            } else {
                emit(Statement("CON(5)", obj.symbol, obj.at));
            }
            break;
        case Kind::Composite:
            pointer(obj.symbol, obj.at);
            for (const Obj& child : obj.children) {
                object(child);
            }
            pointer("SEMI", obj.end);
            break;
        case Kind::Tag:
            pointer("DOTAG", obj.at);
            for (const OutLine& line : obj.lines) {
                emit(line);
            }
            object(obj.children.front());
            break;
        case Kind::Code: {
            // The length field counts itself and the code, up to the end label.
            const std::string end = "ENDCODE$" + std::to_string(++codeLabels);
            pointer("DOCODE", obj.at);
            emit(Statement("REL(5)", end, obj.at));
            for (const OutLine& line : obj.lines) {
                emit(line);
            }
            flushLabel();
            put({end, obj.end, false});
            break;
        }
        case Kind::Raw:
            for (const OutLine& line : obj.lines) {
                emit(line);
            }
            break;
        case Kind::Label:
            flushLabel();
            label = OutLine{obj.global ? "=" + obj.symbol : obj.symbol, obj.at, false};
            break;
        }
    };
    out += "* rplcomp output for \"" + m_fileNames.front() + "\"" + kEol;
    for (const Obj& obj : top) {
        object(obj);
    }
    flushLabel();

    for (const std::string& name : m_declared) {
        referenced.insert(name);
    }
    for (const std::string_view name : referenced) {
        if (!m_defined.contains(name)) {
            result.externals.emplace_back(name);
        }
    }
    std::sort(result.externals.begin(), result.externals.end());
    return result;
}

void Compiler::Item(const Token& t, std::vector<Obj>& into, int depth)
{
    if (depth > kMaxNesting) {
        Error(t.at, "objects nest deeper than " + std::to_string(kMaxNesting) + " levels");
        while (!m_in.Next().end) {
        }
        return;
    }
    if (t.quoted) {
        Token text = t;
        String(text, into, depth);
        return;
    }
    const auto& keywords = Keywords();
    if (const auto found = keywords.find(t.text); found != keywords.end()) {
        (this->*(found->second))(t, into, depth);
        return;
    }
    if (IsDecimal(t.text)) {
        const std::optional<std::uint32_t> value = ParseDecimal(t.text, 0xFFFFF);
        if (!value) {
            Error(t.at, "the binary integer " + t.text + " is larger than 1048575");
            return;
        }
        into.push_back(Leaf(t.at, "DOBINT", 5, {Statement("CON(5)", Hex(*value), t.at)}));
        return;
    }
    Obj pointer;
    pointer.kind = Kind::Pointer;
    pointer.at = t.at;
    pointer.symbol = t.text;
    pointer.global = !m_locals.contains(t.text);
    into.push_back(std::move(pointer));
}

void Compiler::Composite(const Token& open, const char* prolog, std::string_view closer,
                         std::vector<Obj>& into, int depth)
{
    Obj obj;
    obj.kind = Kind::Composite;
    obj.at = open.at;
    obj.symbol = prolog;
    for (;;) {
        Token t = m_in.Next();
        if (t.end) {
            Error(open.at,
                  "\"" + open.text + "\" is not closed by \"" + std::string(closer) + "\"");
            obj.end = t.at;
            break;
        }
        if (IsCloser(t)) {
            if (t.text != closer) {
                Error(t.at, "\"" + t.text + "\" does not close \"" + open.text + "\" opened on " +
                                Where(open.at, t.at));
            }
            obj.end = t.at;
            break;
        }
        Item(t, obj.children, depth + 1);
    }
    if (obj.symbol == "DOCOL") {
        WrapLoopBodies(obj.children);
    }
    into.push_back(std::move(obj));
}

void Compiler::Program(const Token& t, std::vector<Obj>& into, int depth)
{
    Composite(t, "DOCOL", ";", into, depth);
}

void Compiler::List(const Token& t, std::vector<Obj>& into, int depth)
{
    Composite(t, "DOLIST", "}", into, depth);
}

void Compiler::Symbolic(const Token& t, std::vector<Obj>& into, int depth)
{
    Composite(t, "DOSYMB", ";", into, depth);
}

void Compiler::Unit(const Token& t, std::vector<Obj>& into, int depth)
{
    Composite(t, "DOEXT", ";", into, depth);
}

void Compiler::Closer(const Token& t, std::vector<Obj>&, int)
{
    Error(t.at, "\"" + t.text + "\" closes nothing");
}

void Compiler::Stray(const Token& t, std::vector<Obj>&, int)
{
    Error(t.at, "\"" + t.text + "\" without " + (t.text == "RPL" ? "ASSEMBLE" : "CODE"));
}

void Compiler::Bint(const Token& t, std::vector<Obj>& into, int)
{
    if (const auto value = HexArgument(t, "a hex value from 0 to FFFFF", 0xFFFFF)) {
        into.push_back(Leaf(t.at, "DOBINT", 5, {Statement("CON(5)", Hex(*value), t.at)}));
    }
}

void Compiler::RealLiteral(const Token& t, std::vector<Obj>& into, const RealFormat& format,
                           const char* prolog, int size, const char* what)
{
    const std::optional<Token> number = Argument(t, "a decimal number");
    if (!number) {
        return;
    }
    std::string error;
    if (const auto body = RealBody(number->text, format, error)) {
        into.push_back(Leaf(t.at, prolog, size, {Statement("NIBHEX", *body, t.at)}));
    } else {
        Error(number->at, std::string("bad ").append(what).append(": ").append(error));
    }
}

void Compiler::Real(const Token& t, std::vector<Obj>& into, int)
{
    RealLiteral(t, into, kReal, "DOREAL", 16, "real number");
}

void Compiler::ExtendedReal(const Token& t, std::vector<Obj>& into, int)
{
    RealLiteral(t, into, kExtendedReal, "DOEREL", 21, "extended real number");
}

void Compiler::ComplexPair(const Token& t, std::vector<Obj>& into, const RealFormat& format,
                           const char* prolog, int size, const char* what)
{
    std::vector<OutLine> lines;
    for (const char* part : {"a real part", "an imaginary part"}) {
        const std::optional<Token> number = Argument(t, part);
        std::string error;
        if (!number) {
            return;
        }
        const auto body = RealBody(number->text, format, error);
        if (!body) {
            Error(number->at, std::string("bad ") + what + ": " + error);
            return;
        }
        lines.push_back(Statement("NIBHEX", *body, t.at));
    }
    into.push_back(Leaf(t.at, prolog, size, std::move(lines)));
}

void Compiler::Complex(const Token& t, std::vector<Obj>& into, int)
{
    ComplexPair(t, into, kReal, "DOCMP", 32, "complex number");
}

void Compiler::ExtendedComplex(const Token& t, std::vector<Obj>& into, int)
{
    ComplexPair(t, into, kExtendedReal, "DOECMP", 42, "extended complex number");
}

void Compiler::String(const Token& t, std::vector<Obj>& into, int)
{
    std::optional<Token> quoted = t;
    if (!t.quoted) {
        quoted = Argument(t, "a text in double quotes");
        if (!quoted) {
            return;
        }
        if (!quoted->quoted) {
            Error(quoted->at, "$ needs a text in double quotes, not " + quoted->text);
            return;
        }
    }
    const std::string text = DecodeText(quoted->text);
    if (text.size() > (0xFFFFF - 5) / 2) {
        Error(t.at, "the string is too long for one object");
        return;
    }
    std::vector<OutLine> lines{
        Statement("CON(5)", Hex(static_cast<std::uint32_t>(5 + 2 * text.size())), t.at)};
    AddBytes(lines, text, t.at);
    into.push_back(Leaf(t.at, "DOCSTR", 5 + 2 * text.size(), std::move(lines)));
}

void Compiler::Character(const Token& t, std::vector<Obj>& into, int)
{
    const std::optional<Token> c = Argument(t, "a character");
    if (!c) {
        return;
    }
    const std::string text = c->text.size() == 1 && !c->quoted ? c->text : DecodeText(c->text);
    if (text.size() != 1) {
        Error(c->at,
              "CHR needs one character (or one escape such as \\065), not \"" + c->text + "\"");
        return;
    }
    into.push_back(Leaf(t.at, "DOCHAR", 2,
                        {Statement("CON(2)", Hex(static_cast<unsigned char>(text[0])), t.at)}));
}

std::optional<Obj> Compiler::NameObject(const Token& t, const char* prolog)
{
    const std::optional<Token> name = Argument(t, "a name");
    if (!name) {
        return std::nullopt;
    }
    const std::string text = DecodeText(name->text);
    if (text.size() > 255) {
        Error(name->at, "the name is longer than 255 characters");
        return std::nullopt;
    }
    std::vector<OutLine> lines{
        Statement("CON(2)", Hex(static_cast<std::uint32_t>(text.size())), t.at)};
    AddBytes(lines, text, t.at);
    return Leaf(t.at, prolog, 2 + 2 * text.size(), std::move(lines));
}

void Compiler::GlobalName(const Token& t, std::vector<Obj>& into, int)
{
    if (auto obj = NameObject(t, "DOIDNT")) {
        into.push_back(std::move(*obj));
    }
}

void Compiler::LocalName(const Token& t, std::vector<Obj>& into, int)
{
    if (auto obj = NameObject(t, "DOLAM")) {
        into.push_back(std::move(*obj));
    }
}

void Compiler::Tagged(const Token& t, std::vector<Obj>& into, int depth)
{
    std::optional<Obj> tag = NameObject(t, "DOTAG");
    if (!tag) {
        return;
    }
    const std::optional<Token> next = Argument(t, "an object after its tag");
    if (!next) {
        return;
    }
    std::vector<Obj> items;
    Item(*next, items, depth + 1);
    if (items.size() != 1 || !items.front().IsObject()) {
        if (!items.empty()) {
            Error(next->at, "TAG needs an object after its tag");
        }
        return;
    }
    tag->kind = Kind::Tag;
    tag->children = std::move(items);
    into.push_back(std::move(*tag));
}

void Compiler::HexString(const Token& t, std::vector<Obj>& into, int)
{
    const auto count = HexArgument(t, "its digit count in hex", 0xFFFFF - 5);
    if (!count) {
        return;
    }
    const auto digits = HexDigits(t, *count);
    if (!digits) {
        return;
    }
    std::vector<OutLine> lines{Statement("CON(5)", Hex(5 + *count), t.at)};
    AddHex(lines, *digits, t.at);
    into.push_back(Leaf(t.at, "DOHSTR", 5 + *count, std::move(lines)));
}

void Compiler::Grob(const Token& t, std::vector<Obj>& into, int)
{
    const auto count = HexArgument(t, "its digit count in hex", 0xFFFFF - 5);
    if (!count) {
        return;
    }
    const auto digits = HexDigits(t, *count);
    if (!digits) {
        return;
    }
    // Height and width come first, low nibble first; the rows then fill the rest exactly.
    const auto field = [&](std::size_t at) {
        std::uint64_t value = 0;
        for (std::size_t i = 5; i-- > 0;) {
            value = value * 16 + static_cast<std::uint64_t>(
                                     ParseHex((*digits).substr(at + i, 1), 15).value_or(0));
        }
        return value;
    };
    if (*count < 10 || field(0) * ((field(5) + 7) / 8) * 2 != *count - 10) {
        Error(t.at, "the GROB data does not match its height and width");
        return;
    }
    std::vector<OutLine> lines{Statement("CON(5)", Hex(5 + *count), t.at)};
    AddHex(lines, *digits, t.at);
    into.push_back(Leaf(t.at, "DOGROB", 5 + *count, std::move(lines)));
}

void Compiler::HexPair(const Token& t, std::vector<Obj>& into, const char* prolog, int width,
                       std::uint32_t max, const char* first, const char* second)
{
    const auto a = HexArgument(t, first, max);
    if (!a) {
        return;
    }
    const auto b = HexArgument(t, second, max);
    if (!b) {
        return;
    }
    const std::string field = std::string("CON(").append(std::to_string(width)).append(")");
    into.push_back(Leaf(t.at, prolog, 2 * width,
                        {Statement(field, Hex(*a), t.at), Statement(field, Hex(*b), t.at)}));
}

void Compiler::RomPointer(const Token& t, std::vector<Obj>& into, int)
{
    HexPair(t, into, "DOROMP", 3, 0xFFF, "a library number in hex", "a command number in hex");
}

void Compiler::RawPointer(const Token& t, std::vector<Obj>& into, int)
{
    if (const auto address = HexArgument(t, "an address in hex", 0xFFFFF)) {
        Obj pointer;
        pointer.kind = Kind::Pointer;
        pointer.at = t.at;
        pointer.symbol = Hex(*address);
        pointer.global = false;
        into.push_back(std::move(pointer));
    }
}

void Compiler::AccessPointer(const Token& t, std::vector<Obj>& into, int)
{
    HexPair(t, into, "DOACPTR", 5, 0xFFFFF, "an address in hex",
            "the address of its bank code in hex");
}

std::optional<Obj> Compiler::ArrayElement(const Token& t, int depth)
{
    std::vector<Obj> items;
    Item(t, items, depth + 1);
    if (items.size() == 1 && items.front().kind == Kind::Leaf && items.front().symbol != "DOARRY" &&
        items.front().symbol != "DOLNKARRY") {
        return std::move(items.front());
    }
    if (!items.empty()) {
        Error(t.at, "an array element must be a number, string or other literal object");
    }
    return std::nullopt;
}

void Compiler::Array(const Token& t, std::vector<Obj>& into, int depth)
{
    ArrayObject(t, false, into, depth);
}

void Compiler::LinkedArray(const Token& t, std::vector<Obj>& into, int depth)
{
    ArrayObject(t, true, into, depth);
}

// ARRY [ e1 e2 ... ] is a vector, ARRY [ [ ... ] [ ... ] ] a matrix of equal rows; the
// element type is that of the first element.
void Compiler::ArrayObject(const Token& t, bool linked, std::vector<Obj>& into, int depth)
{
    const std::optional<Token> open = Argument(t, "its elements in [ ]");
    if (!open) {
        return;
    }
    if (open->text != "[" || open->quoted) {
        Error(open->at, t.text + " needs its elements in [ ], not \"" + open->text + "\"");
        return;
    }
    std::vector<Obj> elements;
    std::vector<std::size_t> rows; // elements per row of a matrix
    bool ok = true;
    // Reads elements up to the "]" that closes bracket; at the outer level also rows.
    std::function<bool(const Token&, bool)> read = [&](const Token& bracket, bool outer) {
        for (;;) {
            Token e = m_in.Next();
            if (e.end || IsCloser(e)) {
                Error(bracket.at, "\"[\" is not closed by \"]\"");
                if (!e.end) {
                    m_in.Unget(std::move(e));
                }
                return false;
            }
            if (!e.quoted && e.text == "]") {
                return true;
            }
            if (outer && !e.quoted && e.text == "[" && (!rows.empty() || elements.empty())) {
                const std::size_t before = elements.size();
                if (!read(e, false)) {
                    return false;
                }
                rows.push_back(elements.size() - before);
                continue;
            }
            if (outer && !rows.empty()) {
                Error(e.at, "a matrix holds only rows in [ ]");
                ok = false;
                continue;
            }
            if (std::optional<Obj> element = ArrayElement(e, depth)) {
                elements.push_back(std::move(*element));
            } else {
                ok = false;
            }
        }
    };
    if (!read(*open, true) || !ok) {
        return;
    }
    if (elements.empty()) {
        Error(t.at, t.text + " needs at least one element (its type comes from the first)");
        return;
    }
    for (const Obj& e : elements) {
        if (e.symbol != elements.front().symbol) {
            Error(e.at, "the array elements are not all of one type");
            return;
        }
    }
    std::vector<std::uint32_t> dims{static_cast<std::uint32_t>(elements.size())};
    if (!rows.empty()) {
        if (std::any_of(rows.begin(), rows.end(),
                        [&](std::size_t n) { return n != rows.front(); }) ||
            rows.front() == 0) {
            Error(t.at, "the rows of the matrix differ in length");
            return;
        }
        dims = {static_cast<std::uint32_t>(rows.size()), static_cast<std::uint32_t>(rows.front())};
    }
    std::size_t bodies = 0;
    for (const Obj& e : elements) {
        bodies += e.bodySize;
    }
    const std::size_t k = elements.size();
    const std::size_t size = 5 + 5 + 5 + 5 * dims.size() + (linked ? 5 * k : 0) + bodies;
    if (size > 0xFFFFF) {
        Error(t.at, "the array is too large for one object");
        return;
    }
    std::vector<OutLine> lines{
        Statement("CON(5)", Hex(static_cast<std::uint32_t>(size)), t.at),
        Statement("CON(5)", "=" + elements.front().symbol, t.at),
        Statement("CON(5)", Hex(static_cast<std::uint32_t>(dims.size())), t.at)};
    for (const std::uint32_t d : dims) {
        lines.push_back(Statement("CON(5)", Hex(d), t.at));
    }
    if (linked) {
        // Each offset counts from its own field to the element's body.
        std::size_t before = 0;
        for (std::size_t i = 0; i < k; ++i) {
            lines.push_back(
                Statement("CON(5)", Hex(static_cast<std::uint32_t>(5 * (k - i) + before)), t.at));
            before += elements[i].bodySize;
        }
    }
    for (const Obj& e : elements) {
        lines.insert(lines.end(), e.lines.begin(), e.lines.end());
    }
    into.push_back(Leaf(t.at, linked ? "DOLNKARRY" : "DOARRY", size, std::move(lines)));
}

void Compiler::Code(const Token& t, std::vector<Obj>& into, int)
{
    std::vector<std::pair<std::string, Origin>> lines;
    Obj obj;
    obj.kind = Kind::Code;
    obj.at = t.at;
    if (!m_in.ReadLines("ENDCODE", lines)) {
        Error(t.at, "CODE is not closed by ENDCODE");
        return;
    }
    for (auto& [text, at] : lines) {
        obj.lines.push_back({std::move(text), at, false});
    }
    // The end label stands on the ENDCODE line.
    obj.end = lines.empty() ? t.at : Origin{lines.back().second.file, lines.back().second.line + 1};
    into.push_back(std::move(obj));
}

void Compiler::Assemble(const Token& t, std::vector<Obj>& into, int)
{
    std::vector<std::pair<std::string, Origin>> lines;
    if (!m_in.ReadLines("RPL", lines)) {
        Error(t.at, "ASSEMBLE is not closed by RPL");
        return;
    }
    Obj obj;
    obj.kind = Kind::Raw;
    obj.at = t.at;
    for (auto& [text, at] : lines) {
        obj.lines.push_back({std::move(text), at, false});
    }
    into.push_back(std::move(obj));
}

void Compiler::Nibbles(const Token& t, std::vector<Obj>& into, int)
{
    const std::optional<Token> count = Argument(t, "a nibble count from 1 to 8");
    if (!count) {
        return;
    }
    const std::optional<std::uint32_t> n = ParseDecimal(count->text, 8);
    if (!n || *n == 0) {
        Error(count->at, "NIBB needs a nibble count from 1 to 8, not \"" + count->text + "\"");
        return;
    }
    const std::uint32_t max = *n == 8 ? 0xFFFFFFFFu : (1u << (4 * *n)) - 1;
    if (const auto value = HexArgument(t, "a hex value that fits its nibbles", max)) {
        Obj obj;
        obj.kind = Kind::Raw;
        obj.at = t.at;
        obj.lines.push_back(Statement("CON(" + std::to_string(*n) + ")", Hex(*value), t.at));
        into.push_back(std::move(obj));
    }
}

void Compiler::Definition(const Token& t, std::vector<Obj>& into, int)
{
    const std::optional<Token> name = Argument(t, "a name");
    if (!name) {
        return;
    }
    Obj label;
    label.kind = Kind::Label;
    label.at = t.at;
    label.symbol = (t.text == "xNAME" ? "x" : "") + name->text;
    label.global = !m_locals.contains(label.symbol);
    if (!m_defined.insert(label.symbol).second) {
        Error(name->at, "\"" + label.symbol + "\" is defined twice");
        return;
    }
    if (t.text == "xNAME" || t.text == "NULLNAME") {
        // A record for building a library from this file: the command and whether its name
        // is visible.
        Obj record;
        record.kind = Kind::Raw;
        record.at = t.at;
        record.lines.push_back(
            {std::string("*#lib ") + (t.text == "xNAME" ? "VISIBLE " : "HIDDEN ") + name->text,
             t.at, false});
        into.push_back(std::move(record));
    }
    into.push_back(std::move(label));
}

void Compiler::Local(const Token& t, std::vector<Obj>&, int)
{
    if (const std::optional<Token> name = Argument(t, "a name")) {
        m_locals.insert(name->text);
    }
}

void Compiler::External(const Token& t, std::vector<Obj>&, int)
{
    if (const std::optional<Token> name = Argument(t, "a name")) {
        m_declared.insert(name->text);
    }
}

void Compiler::LibraryRecord(const Token& t, std::vector<Obj>& into, int)
{
    std::string value;
    if (t.text == "xTITLE") {
        value = m_in.RestOfLine();
    } else if (t.text == "xROMID") {
        const auto number = HexArgument(t, "a library number in hex", 0x7FF);
        if (!number) {
            return;
        }
        value = Hex(*number);
    } else if (const std::optional<Token> label = Argument(t, "a label")) {
        value = label->text;
    } else {
        return;
    }
    Obj record;
    record.kind = Kind::Raw;
    record.at = t.at;
    record.lines.push_back({"*#lib " + t.text.substr(1) + " " + value, t.at, false});
    into.push_back(std::move(record));
}

void Compiler::Listing(const Token& t, std::vector<Obj>& into, int)
{
    Obj obj;
    obj.kind = Kind::Raw;
    obj.at = t.at;
    obj.lines.push_back(Statement(t.text, t.text == "EJECT" ? "" : m_in.RestOfLine(), t.at));
    into.push_back(std::move(obj));
}

} // namespace

CompileResult CompileRpl(const std::string& fileName, const std::string& text,
                         const IncludeReader& include)
{
    return Compiler(fileName, text, include).Run();
}
