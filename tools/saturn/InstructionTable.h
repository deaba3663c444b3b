// The Saturn instruction table: every statement the assembler accepts and the
// disassembler prints, with its operand kind, its nibbles in memory order and the way
// its field selector is coded. The assembler, the disassembler and the SASM.OPC listing
// all read this one table.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace saturn {

// What follows the opcode in the modifier field.
enum class Operand : std::uint8_t
{
    None,       // nothing; the rest of the line is comment
    Field,      // a field selector (P WP XS X S M B W A)
    FieldConst, // "field,n" with n 1..16 (A=A+CON)
    Number,     // 0..15 into the 'n' nibble
    Count,      // 1..16, stored as n-1 in the 'k' nibble
    Branch,     // a target address, stored relative in the 'd' nibbles
    Absolute,   // an address in the 'a' nibbles
    Pointer,    // a value whose low nibbles fill the 'v' nibbles (D0=(2) ...)
    PointerHex, // bare hex digits, exactly as many as 'v' nibbles (D0=HEX)
    LoadConst,  // LC(m) / LA(m): m value nibbles after the 'k' nibble
    LoadHex,    // LCHEX / LAHEX: bare hex digits, most significant first
    LoadAscii,  // LCASC / LAASC: delimited text, first character most significant
};

// How the field selector becomes the 'f' nibble, or which single field a short form
// stands for.
enum class FieldScheme : std::uint8_t
{
    None,
    ACode,  // P..W as 0..7; field A not allowed
    ACode8, // P..W as 8..15; field A not allowed
    FCode,  // P..W as 0..7 and A as 15
    OnlyA,  // no 'f' nibble; this row is the form for field A
    OnlyB,  // no 'f' nibble; this row is the form for field B
    OnlyW,  // no 'f' nibble; this row is the form for field W
};

enum InstructionFlags : std::uint8_t
{
    kTest = 1,          // must be followed by GOYES or RTNYES
    kFollowsTest = 2,   // GOYES / RTNYES: only right after a test
    kAlias = 4,         // an accepted spelling that the disassembler never prints
    kNonZeroOffset = 8, // a branch whose offset 0 is reserved (it means a return)
};

struct Instruction
{
    std::string mnemonic; // the opcode field, upper case
    Operand operand = Operand::None;
    std::string nibbles; // memory order; hex digits fixed, f n k d a v variable
    FieldScheme fields = FieldScheme::None;
    std::uint8_t flags = 0;
    // For branches: the base that offset 0 designates, minus the field's address.
    std::uint8_t branchDelta = 0;

    std::size_t VariableCount(char letter) const;
};

// Field selector names in a-code order; "A" is handled by each scheme.
constexpr std::string_view kFieldNames[] = {"P", "WP", "XS", "X", "S", "M", "B", "W"};
// The a-code (0..7) of a field name, 8 for "A", nothing for anything else.
std::optional<unsigned> FieldCode(std::string_view name);
// The 'f' nibble for the field (a-code or 8 for A) under the scheme, or nothing when the
// scheme does not admit that field.
std::optional<unsigned> FieldNibble(FieldScheme scheme, unsigned field);
// The field (a-code or 8 for A) that an 'f' nibble stands for under the scheme.
std::optional<unsigned> FieldFromNibble(FieldScheme scheme, unsigned nibble);
std::string_view FieldName(unsigned field);

const std::vector<Instruction>& InstructionTable();
// Rows with this mnemonic (upper case), in table order; the assembler takes the first
// row whose scheme admits the statement's operand.
const std::vector<const Instruction*>& RowsFor(std::string_view mnemonic);

// A readable listing of the whole table (the SASM.OPC file), CR LF lines.
std::string OpcodeListing();

} // namespace saturn
