// Fuzzes the object-file reader: any text is either rejected with a message or read
// into a module that passes validation and prints back to a text that reads the same.
#include "ObjectFile.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    const std::string_view text(reinterpret_cast<const char*>(pData), nSize);
    saturn::ObjectModule module;
    std::string error;
    if (!saturn::ParseObject(text, module, error)) {
        if (error.empty()) {
            std::abort();
        }
        return 0;
    }
    const std::string printed = saturn::FormatObject(module);
    saturn::ObjectModule again;
    if (!saturn::ParseObject(printed, again, error) || saturn::FormatObject(again) != printed) {
        std::abort();
    }
    return 0;
}
