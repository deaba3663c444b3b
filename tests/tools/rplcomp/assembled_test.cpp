// The compiler's output through the assembler: the nibbles of each object, with the
// prolog and entry addresses filled in as the loader would, against the layouts worked
// out by hand.
#include "Assembler.h"
#include "Compiler.h"

#include <gtest/gtest.h>

#include <map>

namespace {

const std::map<std::string, std::uint32_t> kEntries = {
    {"DOBINT", 0x02911}, {"DOREAL", 0x02933}, {"DOEREL", 0x02955}, {"DOCMP", 0x02977},
    {"DOCHAR", 0x029BF}, {"DOARRY", 0x029E8}, {"DOCSTR", 0x02A2C}, {"DOHSTR", 0x02A4E},
    {"DOLIST", 0x02A74}, {"DOTAG", 0x02AFC},  {"DOGROB", 0x02B1E}, {"DOCOL", 0x02D9D},
    {"DOCODE", 0x02DCC}, {"DOIDNT", 0x02E48}, {"DOROMP", 0x02E92}, {"SEMI", 0x0312B},
    {"DUP", 0x03188}};

// Compiles and assembles source; returns the code as hex digits in memory order.
std::string Nibbles(const std::string& source)
{
    const CompileResult compiled = CompileRpl("t.s", source, {});
    EXPECT_TRUE(compiled.errors.empty()) << source;
    sasm::AssemblerOptions options;
    options.readFile = [&](const std::string&, std::string& text, std::string&) {
        text = compiled.assembly;
        return true;
    };
    const sasm::AssemblyResult assembled = sasm::Assemble("t.a", options);
    for (const sasm::Diagnostic& error : assembled.errors) {
        ADD_FAILURE() << sasm::FormatError(error) << "\n" << compiled.assembly;
    }
    std::vector<std::uint8_t> code = assembled.module.code;
    for (const saturn::Relocation& r : assembled.module.relocations) {
        // Entries are absolute addresses; a label inside the code is relative to the field.
        const std::int64_t value = r.base == saturn::RelocationBase::Symbol
                                       ? kEntries.at(r.symbol) + r.addend
                                       : r.addend - (r.relative ? r.offset : 0);
        for (unsigned i = 0; i < r.width; ++i) {
            code[r.offset + i] = static_cast<std::uint8_t>((value >> (4 * i)) & 0xF);
        }
    }
    std::string hex;
    for (const std::uint8_t n : code) {
        hex += "0123456789ABCDEF"[n];
    }
    return hex;
}

TEST(RplCompilerThroughAssembler, GivesTheObjectsNibbles)
{
    const std::pair<const char*, const char*> cases[] = {
        {"# 1C", "11920C1000"},
        {"% -12.5", "339201000000000005219"},
        {"%% 1", "55920000000000000000000010"},
        {"C% 1 2", "7792000000000000000100000000000000020"},
        {"CHR A", "FB92014"},
        {"$ \"AB\"", "C2A20900001424"},
        {"ID A TAG t 5", "84E201014"
                         "CFA201047"
                         "1192050000"},
        {"HXS 3 008", "E4A2080000008"},
        {"GROB C 1000080000F0", "E1B20110001000080000F0"},
        {"ROMPTR 4D2 1", "29E202D4100"},
        {"ARRY [ % 1 ]", "8E92042000339201000010000"
                         "0000000000000010"},
        {":: DUP { } ;", "D9D2088130"
                         "47A20B2130"
                         "B2130"},
        {"CODE\n NOP3\nENDCODE", "CCD2080000820"},
    };
    for (const auto& [source, expected] : cases) {
        EXPECT_EQ(Nibbles(source), expected) << source;
    }
}

} // namespace
