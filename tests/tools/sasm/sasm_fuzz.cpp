// Fuzzes the assembler with random source text. Whatever the text, the assembler must
// not crash or hang; a clean assembly must give a module that the object-file reader
// accepts, and code that disassembles to source that assembles to the same nibbles.
// A line "INCLUDE inc.a" reads the text after a line "==" as a second file.
#include "Assembler.h"
#include "Disassembler.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

sasm::AssemblyResult AssembleMemory(const std::string& main, const std::string& included)
{
    sasm::AssemblerOptions options;
    options.readFile = [&](const std::string& path, std::string& text, std::string& error) {
        if (path == "fuzz.a" || path == "inc.a") {
            text = path == "fuzz.a" ? main : included;
            return true;
        }
        error = "cannot open " + path;
        return false;
    };
    return sasm::Assemble("fuzz.a", options);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    const std::string input(reinterpret_cast<const char*>(pData), nSize);
    const std::size_t separator = input.find("\n==\n");
    const std::string main = input.substr(0, separator);
    const std::string included =
        separator == std::string::npos ? std::string() : input.substr(separator + 4);
    const sasm::AssemblyResult result = AssembleMemory(main, included);
    if (!result.errors.empty()) {
        return 0;
    }
    saturn::ObjectModule module;
    std::string error;
    if (!saturn::ParseObject(saturn::FormatObject(result.module), module, error)) {
        std::abort();
    }
    if (result.module.code.size() <= 4096) {
        sasm::DisassemblyInput code;
        code.code = result.module.code;
        const sasm::AssemblyResult again = AssembleMemory(sasm::Disassemble(code), "");
        if (!again.errors.empty() || again.module.code != result.module.code) {
            std::abort();
        }
    }
    return 0;
}
