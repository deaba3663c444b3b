// Tavrel's coder against the literal reference on 255 by 255 GROBs (255 rows of 32
// bytes: 16320 nibbles), on the streams that cost the reference most:
//   front:     1, 2, 2, ...: a short run after every random nibble, so that every merge
//              joins the first pair and the reference shifts the whole block array;
//   cascade:   runs of two in turn, then a random tail: the runs are absorbed one by
//              one from the back, each after a scan from the front;
//   blocked:   runs of two in turn throughout: nothing merges, the scan passes once;
//   picture:   a sparse random picture, as real GROBs are.
// "Coder" times the three phases in memory; "Tool" times the whole program on a file.
#include "GrobEncoder.h"
#include "GrobTestSupport.h"
#include "ReferenceTavrel.h"
#include "Tavrel.h"

#include <benchmark/benchmark.h>

#include <random>
#include <sstream>

namespace {

using grobtest::Bytes;

constexpr std::size_t kNibbles = 255 * 64;

Bytes Pattern(int nPattern)
{
    Bytes stream;
    std::mt19937 random(7);
    switch (nPattern) {
    case 0:
        while (stream.size() < kNibbles)
            stream.insert(stream.end(), {1, 2, 2});
        break;
    case 1:
        for (int i = 0; stream.size() < kNibbles - 2; ++i)
            stream.insert(stream.end(), 2, i % 2);
        stream.insert(stream.end(), {2, 3});
        break;
    case 2:
        for (int i = 0; stream.size() < kNibbles; ++i)
            stream.insert(stream.end(), 2, i % 2);
        break;
    default:
        for (std::size_t i = 0; i < kNibbles / 2; ++i) {
            const std::uint8_t byte = random() % 10 == 0 ? random() : 0;
            stream.insert(stream.end(), {std::uint8_t(byte >> 4), std::uint8_t(byte & 0x0F)});
        }
    }
    stream.resize(kNibbles);
    return stream;
}

const char* PatternName(int nPattern)
{
    static const char* const names[] = {"front", "cascade", "blocked", "picture"};
    return names[nPattern];
}

void Coder(benchmark::State& state)
{
    const Bytes stream = Pattern(static_cast<int>(state.range(0)));
    state.SetLabel(PatternName(static_cast<int>(state.range(0))));
    for (auto _ : state) {
        grob::SplitResult split = grob::SplitStream(stream);
        grob::OptimizeBlocks(split.blocks);
        benchmark::DoNotOptimize(grob::CodeBlocks(stream, split.blocks));
    }
}

void ReferenceCoder(benchmark::State& state)
{
    const Bytes stream = Pattern(static_cast<int>(state.range(0)));
    state.SetLabel(PatternName(static_cast<int>(state.range(0))));
    for (auto _ : state)
        benchmark::DoNotOptimize(reference::CodeStream(stream));
}

void Tool(benchmark::State& state)
{
    const Bytes stream = Pattern(static_cast<int>(state.range(0)));
    state.SetLabel(PatternName(static_cast<int>(state.range(0))));
    Bytes data;
    for (std::size_t i = 0; i < stream.size(); i += 2)
        data.push_back(static_cast<std::uint8_t>(stream[i] << 4 | stream[i + 1]));
    const grobtest::ScratchDir dir;
    const std::string strInput = dir.File("in.grob");
    const std::string strOutput = dir.File("out.cgrob");
    grobtest::WriteFile(strInput, grobtest::GrobFile(grobtest::Grob(255, 255, data)));
    for (auto _ : state) {
        std::ostringstream out;
        if (grob::RunTavrel({strInput, strOutput}, out) != 0)
            state.SkipWithError("tavrel failed");
    }
}

BENCHMARK(Coder)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(ReferenceCoder)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(Tool)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
