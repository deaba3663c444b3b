// Random bytes as an entry table, in every form the reader detects.
#include "EntryTable.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::vector<Entry> entries;
    std::string error;
    ParseEntryTable(std::string_view(reinterpret_cast<const char*>(data), size), "fuzz", entries,
                    error);
    return 0;
}
