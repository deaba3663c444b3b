// Every form in the instruction table, with sample operands, assembles; its nibbles
// disassemble to source that assembles to the same nibbles. Random nibbles do the same.
#include "Disassembler.h"
#include "InstructionTable.h"
#include "SasmTestSupport.h"

#include <gtest/gtest.h>

#include <random>

namespace {

using saturn::Operand;

// Sample modifiers for one row.
std::vector<std::string> Modifiers(const saturn::Instruction& row)
{
    std::vector<std::string> fields;
    for (unsigned field = 0; field <= 8; ++field) {
        if (saturn::FieldNibble(row.fields, field)) {
            fields.emplace_back(saturn::FieldName(field));
        }
    }
    switch (row.operand) {
    case Operand::None:
        return {""};
    case Operand::Field:
        return fields;
    case Operand::FieldConst: {
        std::vector<std::string> out;
        for (const std::string& field : fields) {
            out.push_back(field + ",1");
            out.push_back(field + ",16");
        }
        return out;
    }
    case Operand::Number:
        return {"0", "9", "15"};
    case Operand::Count:
        return {"1", "16"};
    case Operand::Branch:
        return {"back", "ahead"};
    case Operand::Absolute:
    case Operand::Pointer:
        return {"#12345", "#F0"};
    case Operand::PointerHex:
        return {std::string("12345").substr(0, row.VariableCount('v'))};
    case Operand::LoadConst:
        return {};
    case Operand::LoadHex:
        return {"5", "0803F", "FEDCBA9876543210"};
    case Operand::LoadAscii:
        return {"\\AB\\", "/a b/", "\\12345678\\"};
    }
    return {};
}

// Sample statements (opcode and modifier) for one row.
std::vector<std::string> Samples(const saturn::Instruction& row)
{
    if (row.operand == Operand::LoadConst) {
        return {row.mnemonic + "(1) 5", row.mnemonic + "(8) #87654321",
                row.mnemonic + "(16) #FEDCBA9876543210", row.mnemonic + "(N) 2\n  RTN"};
    }
    std::vector<std::string> out;
    for (const std::string& modifier : Modifiers(row)) {
        out.push_back(row.mnemonic + " " + modifier);
    }
    return out;
}

std::string RoundTrip(const std::vector<std::uint8_t>& nibbles, std::string& source)
{
    sasm::DisassemblyInput input;
    input.code = nibbles;
    source = sasm::Disassemble(input);
    const sasm::AssemblyResult again = AssembleText(source);
    return Errors(again) + HexNibbles(again.module.code);
}

TEST(SasmRoundTrip, EveryTableFormAssemblesDisassemblesAndAssemblesAgain)
{
    std::size_t forms = 0;
    for (const saturn::Instruction& row : saturn::InstructionTable()) {
        if (row.flags & saturn::kFollowsTest) {
            continue; // GOYES and RTNYES come with every test below
        }
        for (const std::string& statement : Samples(row)) {
            // A label on each side, so that branches reach both ways.
            std::string text = "back    NOP5\n        " + statement + "\n";
            if (row.flags & saturn::kTest) {
                text += "        GOYES   ahead\n        " + statement + "\n        RTNYES\n";
            }
            text += "ahead   RTN\n";
            const sasm::AssemblyResult first = AssembleText(text);
            ASSERT_EQ(Errors(first), "") << text;
            std::string source;
            EXPECT_EQ(RoundTrip(first.module.code, source), HexNibbles(first.module.code))
                << text << "disassembled as\n"
                << source;
            ++forms;
        }
    }
    EXPECT_GT(forms, 900u);
}

TEST(SasmSpellings, EveryVariantGivesTheNibblesOfItsUsualForm)
{
    const std::pair<const char*, const char*> pairs[] = {
        {"A=B+A A", "A=A+B A"},
        {"a=a+b wp", "A=A+B WP"},
        {"CAEX W", "ACEX W"},
        {"?B<A B\n RTNYES", "?A>B B\n RTNYES"},
        {"?ST#1 3\n RTNYES", "?ST=0 3\n RTNYES"},
        {"P=5", "P= 5"},
        {"D0=HEX 1F", "D0=(2) #1F"},
        {"C=C+P+1", "C+P+1"},
        {"R0=A.F W", "R0=A"},
        {"D1+ 40", "D1=D1+ 16\n D1=D1+ 16\n D1=D1+ 8"},
        {"LC(N) 2\n NIBHEX 34", "LC(2) #43"},
    };
    for (const auto& [variant, usual] : pairs) {
        const sasm::AssemblyResult a = AssembleText(std::string(" ") + variant + "\n");
        const sasm::AssemblyResult b = AssembleText(std::string(" ") + usual + "\n");
        EXPECT_EQ(Errors(a) + HexNibbles(a.module.code), Errors(b) + HexNibbles(b.module.code))
            << variant;
    }
}

TEST(SasmRoundTrip, RandomNibblesComeBackUnchanged)
{
    std::mt19937 random(20261208);
    for (int run = 0; run < 300; ++run) {
        std::vector<std::uint8_t> nibbles(1 + random() % 200);
        for (std::uint8_t& nibble : nibbles) {
            nibble = static_cast<std::uint8_t>(random() % 16);
        }
        std::string source;
        EXPECT_EQ(RoundTrip(nibbles, source), HexNibbles(nibbles)) << source;
    }
}

} // namespace
