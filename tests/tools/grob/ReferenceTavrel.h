// A literal rendering of the compressor, kept as the yardstick for the fast one: the
// three phases (split, optimise, write) step by step on a growable array of blocks that
// hold their nibbles, the optimiser restarting its scan at the first pair after every
// merge, and the run order of the tool writing through CNibbleFile nibble by nibble.
// Written to be obviously right, not fast.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

namespace reference {

struct Block
{
    int nKind = 0; // 1 for a run, 0 for a random block
    int nValue = 0;
    unsigned nCount = 0;
    std::vector<std::uint32_t> nibbles; // a random block's nibbles
};

struct Split
{
    std::vector<Block> blocks;
    unsigned nRandom = 0;
    unsigned nRuns = 0;
};

Split SplitStream(const std::vector<std::uint8_t>& stream);
void Optimize(std::vector<Block>& blocks);

// Writes each header with WriteNibbleWord of width 2 and each nibble with width 1.
template <class Sink> void WriteBlocks(const std::vector<Block>& blocks, Sink& sink)
{
    for (const Block& block : blocks) {
        unsigned nLeft = block.nCount;
        if (block.nKind == 1) {
            while (nLeft > 128) {
                sink.WriteNibbleWord(0xFF, 2);
                sink.WriteNibbleWord(block.nValue, 1);
                nLeft -= 128;
            }
            if (nLeft > 0) {
                sink.WriteNibbleWord(0x80 | (nLeft - 1), 2);
                sink.WriteNibbleWord(block.nValue, 1);
            }
        } else {
            std::size_t nNext = 0;
            while (nLeft > 128) {
                sink.WriteNibbleWord(0x7F, 2);
                for (int i = 0; i < 128; ++i)
                    sink.WriteNibbleWord(block.nibbles[nNext++], 1);
                nLeft -= 128;
            }
            if (nLeft > 0) {
                sink.WriteNibbleWord(nLeft - 1, 2);
                for (unsigned i = 0; i < nLeft; ++i)
                    sink.WriteNibbleWord(block.nibbles[nNext++], 1);
            }
        }
    }
}

// Keeps written nibble words as single nibbles, least significant first.
struct NibbleSink
{
    std::vector<std::uint8_t> nibbles;
    void WriteNibbleWord(std::uint32_t nValue, std::uint32_t nWidth)
    {
        for (std::uint32_t i = 0; i < nWidth; ++i)
            nibbles.push_back((nValue >> (4 * i)) & 0x0F);
    }
};

// The stream of the three phases in memory: split, optimise, write.
std::vector<std::uint8_t> CodeStream(const std::vector<std::uint8_t>& stream);

// The whole tool on two files, without the mends of the real one; returns the exit code.
int Compress(const std::string& strInput, const std::string& strOutput, std::ostream& out);

} // namespace reference
