// One call that reads or writes 1 MiB at an odd nibble position, against a plain read()
// or write() of the same number of bytes on the same file. The data stays in the page
// cache, so both sides measure the system call and what the library adds to it: the
// one-nibble realignment and the merged edge bytes.
#include "NibbleFile.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr std::uint32_t kBytes = 1u << 20;

// A file of 1 MiB and a little more, filled with a pattern, removed at exit.
const std::string& BenchFile()
{
    static const std::string strPath = [] {
        std::string strTemplate =
            (std::filesystem::temp_directory_path() / "quorvex-bench-XXXXXX").string();
        const int fd = mkstemp(strTemplate.data());
        std::vector<unsigned char> data(kBytes + 16);
        for (std::size_t i = 0; i < data.size(); ++i) {
            data[i] = static_cast<unsigned char>(i * 131 + 7);
        }
        if (fd < 0 || write(fd, data.data(), data.size()) != ssize_t(data.size())) {
            std::abort();
        }
        close(fd);
        static const std::string strKeep = strTemplate;
        std::atexit([] { unlink(strKeep.c_str()); });
        return strTemplate;
    }();
    return strPath;
}

std::vector<unsigned char> Buffer()
{
    std::vector<unsigned char> buffer(kBytes + 1);
    for (std::size_t i = 0; i < buffer.size(); ++i) {
        buffer[i] = static_cast<unsigned char>(i * 17 + 3);
    }
    return buffer;
}

void NibbleRead(benchmark::State& state)
{
    CNibbleFile file(BenchFile(), 0x0002);
    std::vector<unsigned char> buffer = Buffer();
    const auto nPos = static_cast<std::uint32_t>(state.range(0));
    for (auto _ : state) {
        file.Seek(nPos);
        benchmark::DoNotOptimize(file.ReadNibbles(buffer.data(), 2 * kBytes));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * kBytes);
}

void NibbleWrite(benchmark::State& state)
{
    CNibbleFile file(BenchFile(), 0x0002);
    std::vector<unsigned char> buffer = Buffer();
    const auto nPos = static_cast<std::uint32_t>(state.range(0));
    for (auto _ : state) {
        file.Seek(nPos);
        benchmark::DoNotOptimize(file.WriteNibbles(buffer.data(), 2 * kBytes));
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * kBytes);
}

void PlainRead(benchmark::State& state)
{
    const int fd = open(BenchFile().c_str(), O_RDWR);
    std::vector<unsigned char> buffer = Buffer();
    for (auto _ : state) {
        lseek(fd, 0, SEEK_SET);
        benchmark::DoNotOptimize(read(fd, buffer.data(), kBytes));
        benchmark::ClobberMemory();
    }
    close(fd);
    state.SetBytesProcessed(std::int64_t(state.iterations()) * kBytes);
}

void PlainWrite(benchmark::State& state)
{
    const int fd = open(BenchFile().c_str(), O_RDWR);
    std::vector<unsigned char> buffer = Buffer();
    for (auto _ : state) {
        lseek(fd, 0, SEEK_SET);
        benchmark::DoNotOptimize(write(fd, buffer.data(), kBytes));
    }
    close(fd);
    state.SetBytesProcessed(std::int64_t(state.iterations()) * kBytes);
}

} // namespace

BENCHMARK(PlainRead)->Unit(benchmark::kMicrosecond);
BENCHMARK(NibbleRead)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);
BENCHMARK(PlainWrite)->Unit(benchmark::kMicrosecond);
BENCHMARK(NibbleWrite)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);
