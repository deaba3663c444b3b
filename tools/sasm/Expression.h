// Operand expressions of the assembler: decimal numbers, #hex, \c\ characters, symbols,
// (*) for the current address, parentheses, unary minus and the binary operators
// * / (strongest), + -, & (and), ! (or, weakest), all left to right.
//
// A symbol outside parentheses runs to the end of the operand, and one inside
// parentheses runs to the closing parenthesis, because symbol names may contain
// operator characters (=%1+, VER$st-): write (LABEL)+2 to add to a label.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace sasm {

// A value with the base it is relative to: a plain number, an offset into this module
// (moves when the loader places the module) or a global that the loader supplies.
struct Value
{
    enum class Base : std::uint8_t
    {
        Absolute,
        Module,
        External
    };
    Base base = Base::Absolute;
    std::int64_t number = 0; // the offset for Module, the addend for External
    std::string symbol;      // the global's name for External
};

// Looks up what expressions name. Each returns false with a message, setting `unknown`
// instead when the value is simply not known yet (a label further down, in the first
// pass).
class SymbolLookup
{
public:
    virtual ~SymbolLookup() = default;
    // `name` without a leading '='; `global` when it was written with one.
    virtual bool Symbol(const std::string& name, bool global, Value& value, std::string& error,
                        bool& unknown) = 0;
    // "+", "++", "-", "--": the nearest anonymous label of that kind in its direction.
    virtual bool Anonymous(std::string_view kind, Value& value, std::string& error,
                           bool& unknown) = 0;
    virtual Value Here() = 0; // (*)
};

// Evaluates the whole text. False with a message (or with `unknown` set).
bool Evaluate(std::string_view text, SymbolLookup& lookup, Value& value, std::string& error,
              bool& unknown);

} // namespace sasm
