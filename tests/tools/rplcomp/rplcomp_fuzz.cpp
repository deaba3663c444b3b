// Random RPL source: the compiler must end with output or error lines, never crash or
// hang. INCLUDE reads the input itself again, so nesting and cycles are exercised too.
#include "Compiler.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const CompileResult result =
        CompileRpl("fuzz.s", text,
                   [&text](const std::string&, const std::string& name, std::string& path,
                           std::string& included, std::string&) {
                       path = name;
                       included = text;
                       return name.size() % 2 == 0;
                   });
    if (result.errors.empty() == result.assembly.empty()) {
        __builtin_trap(); // exactly one of output and errors
    }
    return 0;
}
