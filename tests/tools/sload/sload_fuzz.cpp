// Random control files, object modules and entry tables through the whole loader. The
// input holds the three texts separated by lines "====="; the control file may name the
// other two as a.o and t.txt.
#include "Loader.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::filesystem::path folder = [] {
        std::string pattern = std::filesystem::temp_directory_path() / "sload-fuzz-XXXXXX";
        if (!mkdtemp(pattern.data()))
            std::abort();
        return std::filesystem::path(pattern);
    }();
    // The loader works in the current directory; libFuzzer's own files are relative to
    // the one it was started in.
    const std::filesystem::path home = std::filesystem::current_path();
    std::filesystem::current_path(folder);
    const std::string input(reinterpret_cast<const char*>(data), size);
    const char* names[] = {"load.m", "a.o", "t.txt"};
    std::size_t from = 0;
    for (const char* name : names) {
        const std::size_t cut = input.find("\n=====\n", from);
        std::ofstream(name, std::ios::binary | std::ios::trunc)
            << input.substr(from, cut == std::string::npos ? std::string::npos : cut - from);
        from = cut == std::string::npos ? input.size() : cut + 7;
    }
    std::ostringstream out;
    RunSload({"-H", "load.m"}, out);
    std::filesystem::current_path(home);
    return 0;
}
