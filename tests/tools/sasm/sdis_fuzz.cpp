// Fuzzes the disassembler's reader with any bytes: an object module, a download file or
// hex text. What it accepts must disassemble to source that assembles to the same code
// (relocated fields hold zeros in both).
#include "Assembler.h"
#include "Disassembler.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    const std::string bytes(reinterpret_cast<const char*>(pData), nSize);
    sasm::DisassemblyInput input;
    std::string error;
    if (!sasm::ReadDisassemblyInput(bytes, input, error) || input.code.size() > 8192) {
        return 0;
    }
    for (const saturn::Relocation& relocation : input.relocations) {
        std::fill_n(input.code.begin() + relocation.offset, relocation.width, 0);
    }
    const std::string source = sasm::Disassemble(input);
    sasm::AssemblerOptions options;
    options.readFile = [&](const std::string&, std::string& text, std::string&) {
        text = source;
        return true;
    };
    const sasm::AssemblyResult result = sasm::Assemble("sdis.a", options);
    // The header comes back as a NIBASC line in front of the code.
    std::vector<std::uint8_t> expected;
    for (const char c : input.header) {
        expected.push_back(static_cast<std::uint8_t>(c & 15));
        expected.push_back(static_cast<std::uint8_t>((c >> 4) & 15));
    }
    expected.insert(expected.end(), input.code.begin(), input.code.end());
    if (!result.errors.empty() || result.module.code != expected) {
        std::abort();
    }
    return 0;
}
