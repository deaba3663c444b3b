#include "Expression.h"

#include <cctype>
#include <cstdint>

namespace sasm {

namespace {

// Arithmetic wraps in 64 bits instead of overflowing.
std::int64_t Wrap(std::uint64_t value)
{
    return static_cast<std::int64_t>(value);
}

class Parser
{
public:
    Parser(std::string_view text, SymbolLookup& lookup, std::string& error, bool& unknown)
        : m_text(text), m_lookup(lookup), m_error(error), m_unknown(unknown)
    {
    }

    bool Whole(Value& value)
    {
        if (m_text.empty()) {
            return Fail("missing operand");
        }
        if (IsAnonymous(m_text)) {
            return m_lookup.Anonymous(m_text, value, m_error, m_unknown);
        }
        if (!Or(value)) {
            return false;
        }
        if (m_pos < m_text.size()) {
            return Fail("unexpected '" + std::string(1, m_text[m_pos]) + "' in expression");
        }
        return true;
    }

private:
    bool Fail(const std::string& message)
    {
        if (m_error.empty()) {
            m_error = message;
        }
        return false;
    }
    bool At(char c) const { return m_pos < m_text.size() && m_text[m_pos] == c; }

    // Combines two values; only sums and differences may involve relocatable values.
    bool Combine(char op, Value& left, const Value& right)
    {
        using Base = Value::Base;
        const auto a = static_cast<std::uint64_t>(left.number);
        const auto b = static_cast<std::uint64_t>(right.number);
        const bool plainBoth = left.base == Base::Absolute && right.base == Base::Absolute;
        if (op == '+') {
            if (left.base != Base::Absolute && right.base != Base::Absolute) {
                return Fail("cannot add two addresses");
            }
            if (left.base == Base::Absolute) {
                left.base = right.base;
                left.symbol = right.symbol;
            }
            left.number = Wrap(a + b);
            return true;
        }
        if (op == '-') {
            if (right.base == Base::Absolute) {
                left.number = Wrap(a - b);
                return true;
            }
            if (left.base == Base::Module && right.base == Base::Module) {
                left.base = Base::Absolute;
                left.number = Wrap(a - b);
                return true;
            }
            return Fail("cannot subtract an address of another module");
        }
        if (!plainBoth) {
            return Fail("only + and - apply to addresses");
        }
        switch (op) {
        case '*':
            left.number = Wrap(a * b);
            return true;
        case '/':
            if (right.number == 0) {
                return Fail("division by zero");
            }
            if (right.number == -1) {
                left.number = Wrap(0 - a);
            } else {
                left.number = left.number / right.number;
            }
            return true;
        case '&':
            left.number = Wrap(a & b);
            return true;
        default:
            left.number = Wrap(a | b);
            return true;
        }
    }

    bool Or(Value& value)
    {
        if (!And(value)) {
            return false;
        }
        while (At('!')) {
            ++m_pos;
            Value right;
            if (!And(right) || !Combine('!', value, right)) {
                return false;
            }
        }
        return true;
    }
    bool And(Value& value)
    {
        if (!Sum(value)) {
            return false;
        }
        while (At('&')) {
            ++m_pos;
            Value right;
            if (!Sum(right) || !Combine('&', value, right)) {
                return false;
            }
        }
        return true;
    }
    bool Sum(Value& value)
    {
        if (!Product(value)) {
            return false;
        }
        while (At('+') || At('-')) {
            const char op = m_text[m_pos++];
            Value right;
            if (!Product(right) || !Combine(op, value, right)) {
                return false;
            }
        }
        return true;
    }
    bool Product(Value& value)
    {
        if (!Unary(value)) {
            return false;
        }
        while (At('*') || At('/')) {
            const char op = m_text[m_pos++];
            Value right;
            if (!Unary(right) || !Combine(op, value, right)) {
                return false;
            }
        }
        return true;
    }
    bool Unary(Value& value)
    {
        if (At('-') && m_depth < kMaxDepth) {
            ++m_pos;
            ++m_depth;
            Value operand;
            const bool ok = Unary(operand);
            --m_depth;
            if (!ok) {
                return false;
            }
            value = Value();
            return Combine('-', value, operand);
        }
        return Primary(value);
    }

    bool Primary(Value& value)
    {
        value = Value();
        if (m_pos >= m_text.size()) {
            return Fail("expression ends early");
        }
        const char c = m_text[m_pos];
        if (c >= '0' && c <= '9') {
            return Decimal(value);
        }
        if (c == '#') {
            return Hexadecimal(value);
        }
        if (c == '\\') {
            if (m_pos + 2 >= m_text.size() || m_text[m_pos + 2] != '\\') {
                return Fail("a character constant is written \\c\\");
            }
            value.number = static_cast<unsigned char>(m_text[m_pos + 1]);
            m_pos += 3;
            return true;
        }
        if (c == '(') {
            return Parenthesised(value);
        }
        // A symbol runs to the end of the operand, or inside parentheses up to ')'.
        const std::size_t start = m_pos;
        if (m_inParentheses > 0) {
            while (m_pos < m_text.size() && m_text[m_pos] != ')') {
                ++m_pos;
            }
        } else {
            m_pos = m_text.size();
        }
        return Name(m_text.substr(start, m_pos - start), value);
    }

    bool Parenthesised(Value& value)
    {
        ++m_pos;
        if (m_text.substr(m_pos, 2) == "*)") {
            m_pos += 2;
            value = m_lookup.Here();
            return true;
        }
        const std::size_t close = m_text.find(')', m_pos);
        if (close != std::string_view::npos && IsAnonymous(m_text.substr(m_pos, close - m_pos))) {
            const std::string_view kind = m_text.substr(m_pos, close - m_pos);
            m_pos = close + 1;
            return m_lookup.Anonymous(kind, value, m_error, m_unknown);
        }
        if (m_depth >= kMaxDepth) {
            return Fail("expression nested too deeply");
        }
        ++m_depth;
        ++m_inParentheses;
        const bool ok = Or(value);
        --m_inParentheses;
        --m_depth;
        if (!ok) {
            return false;
        }
        if (!At(')')) {
            return Fail("missing ')'");
        }
        ++m_pos;
        return true;
    }

    bool Name(std::string_view name, Value& value)
    {
        if (name.empty()) {
            return Fail("missing symbol");
        }
        const bool global = name[0] == '=';
        if (global) {
            name.remove_prefix(1);
            if (name.empty()) {
                return Fail("missing symbol after '='");
            }
        }
        return m_lookup.Symbol(std::string(name), global, value, m_error, m_unknown);
    }

    bool Decimal(Value& value)
    {
        std::uint64_t number = 0;
        while (m_pos < m_text.size() && m_text[m_pos] >= '0' && m_text[m_pos] <= '9') {
            const unsigned digit = static_cast<unsigned>(m_text[m_pos++] - '0');
            if (number > (UINT64_MAX - digit) / 10) {
                return Fail("number too large");
            }
            number = number * 10 + digit;
        }
        if (number > static_cast<std::uint64_t>(INT64_MAX)) {
            return Fail("number too large");
        }
        if (m_pos < m_text.size() && NameCharacter(m_text[m_pos])) {
            return Fail("bad number (hex numbers start with #)");
        }
        value.number = static_cast<std::int64_t>(number);
        return true;
    }
    bool Hexadecimal(Value& value)
    {
        ++m_pos;
        std::uint64_t number = 0;
        std::size_t digits = 0;
        while (m_pos < m_text.size() && std::isxdigit(static_cast<unsigned char>(m_text[m_pos]))) {
            const char d =
                static_cast<char>(std::toupper(static_cast<unsigned char>(m_text[m_pos++])));
            number = number * 16 + static_cast<unsigned>(d <= '9' ? d - '0' : d - 'A' + 10);
            if (++digits > 16) {
                return Fail("hex number longer than 16 digits");
            }
        }
        if (digits == 0) {
            return Fail("# must be followed by hex digits");
        }
        if (m_pos < m_text.size() && NameCharacter(m_text[m_pos])) {
            return Fail("bad hex number");
        }
        value.number = Wrap(number);
        return true;
    }
    static bool IsAnonymous(std::string_view text)
    {
        return text == "+" || text == "++" || text == "-" || text == "--";
    }
    static bool NameCharacter(char c)
    {
        return std::string_view("+-*/&!()").find(c) == std::string_view::npos;
    }

    static constexpr int kMaxDepth = 64;
    std::string_view m_text;
    SymbolLookup& m_lookup;
    std::string& m_error;
    bool& m_unknown;
    std::size_t m_pos = 0;
    int m_depth = 0;
    int m_inParentheses = 0;
};

} // namespace

bool Evaluate(std::string_view text, SymbolLookup& lookup, Value& value, std::string& error,
              bool& unknown)
{
    error.clear();
    unknown = false;
    Parser parser(text, lookup, error, unknown);
    return parser.Whole(value);
}

} // namespace sasm
