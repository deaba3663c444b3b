// One whole usrlib run, as the packaging step starts it, on a directory of 500 commands:
// programs that call each other by name, half of them visible, with a title. It reads
// the directory, rewrites the calls, builds the tables and writes the library file.
// The goal is under 20 ms per run.
#include "Usrlib.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {

std::string W(std::uint32_t v, int n)
{
    std::string s;
    for (int i = 0; i < n; ++i) {
        s += "0123456789ABCDEF"[(v >> (4 * i)) & 0xF];
    }
    return s;
}

std::string Id(const std::string& name)
{
    std::string s = W(0x02E48, 5) + W(static_cast<std::uint32_t>(name.size()), 2);
    for (const unsigned char c : name) {
        s += W(c, 2);
    }
    return s;
}

std::string Name(int i)
{
    return "CMD" + std::to_string(i);
}

// The directory file: 500 programs, each calling the next two and doing some work.
std::string Directory()
{
    std::vector<std::pair<std::string, std::string>> entries;
    std::string visible;
    for (int i = 0; i < 500; ++i) {
        std::string body = W(0x02D9D, 5) + W(0x18A1E, 5);
        for (int k = 0; k < 10; ++k) {
            body += W(0x03188, 5) + W(0x02911, 5) + W(static_cast<std::uint32_t>(k), 5);
        }
        body += Id(Name((i + 1) % 500)) + Id(Name((i + 2) % 500)) + W(0x0312B, 5);
        entries.push_back({Name(i), body});
        if (i % 2 == 0) {
            visible += Id(Name(i));
        }
    }
    entries.push_back({"$VISIBLE", W(0x02A74, 5) + visible + W(0x0312B, 5)});
    std::string nibbles;
    std::size_t nLastName = 0;
    for (const auto& [name, object] : entries) {
        const std::size_t nHere = 13 + nibbles.size();
        std::string nameField = Id(name).substr(5);
        nibbles += W(static_cast<std::uint32_t>(nLastName ? nHere - nLastName : 0), 5) + nameField +
                   nameField.substr(0, 2) + object;
        nLastName = nHere + 5;
    }
    nibbles =
        W(0x02A96, 5) + W(0x7FF, 3) + W(static_cast<std::uint32_t>(nLastName - 8), 5) + nibbles;
    if (nibbles.size() % 2) {
        nibbles += '0';
    }
    std::string bytes = "HPHP48-R";
    for (std::size_t i = 0; i < nibbles.size(); i += 2) {
        bytes += static_cast<char>(
            std::stoi(nibbles.substr(i + 1, 1) + nibbles.substr(i, 1), nullptr, 16));
    }
    return bytes;
}

void UsrlibRun(benchmark::State& state)
{
    std::string folder = (std::filesystem::temp_directory_path() / "usrlib-bench-XXXXXX");
    if (!mkdtemp(folder.data())) {
        std::abort();
    }
    const std::string input = folder + "/BENCH.DIR";
    const std::string output = folder + "/$$$$!!!!.LIB";
    std::ofstream(input, std::ios::binary) << Directory();
    for (auto _ : state) {
        std::ostringstream out;
        if (RunUsrlib({"-r", "1000", input, output}, out) != 0) {
            state.SkipWithError(out.str().c_str());
            break;
        }
    }
    std::filesystem::remove_all(folder);
}
BENCHMARK(UsrlibRun)->Unit(benchmark::kMillisecond);

} // namespace
