// The Saturn disassembler: turns nibbles back into source that the assembler turns into
// the same nibbles. It reads the instruction table the assembler uses; what no row
// decodes, or what a row decodes to a spelling the assembler would encode differently,
// is printed as NIBHEX.
#pragma once

#include "ObjectFile.h"

#include <cstdint>
#include <string>
#include <vector>

namespace sasm {

struct DisassemblyInput
{
    std::vector<std::uint8_t> code; // one nibble per element
    // Labels and the relocated fields of an object module; both are empty for plain
    // nibbles.
    std::vector<saturn::ObjectSymbol> symbols;
    std::vector<saturn::Relocation> relocations;
    std::string header; // the 8 header bytes of a download file, printed as NIBASC
};

// Source text, CR LF lines.
std::string Disassemble(const DisassemblyInput& input);

// Reads a .o module, a download file ("HPHP48-" header) or hex text (digits and white
// space). False with a message for anything else.
bool ReadDisassemblyInput(const std::string& bytes, DisassemblyInput& input, std::string& error);

} // namespace sasm
