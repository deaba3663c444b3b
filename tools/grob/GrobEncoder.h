// Run-length coding of GROB pixel data into the blocks that the calculator's built-in
// decompression routine (#E3063h LIBEVAL) expands again. Coding runs in three steps:
// split the nibble stream into runs and random blocks, merge short runs into their
// random neighbours and join neighbouring random blocks, then code the blocks.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace grob {

// A stretch of the nibble stream: a run of one repeated nibble, or random (literal)
// nibbles. Blocks always cover the stream without gaps, so a random block's nibbles
// are the stream's nibbles from nStart on and need not be copied.
struct Block
{
    bool bRun = false;
    std::uint8_t nValue = 0;  // the repeated nibble of a run
    std::uint32_t nStart = 0; // the block's first stream nibble
    std::uint32_t nCount = 0; // stream nibbles covered, 1 or more

    bool operator==(const Block&) const = default;
};

struct SplitResult
{
    std::vector<Block> blocks;
    unsigned nRandom = 0; // random blocks found
    unsigned nRuns = 0;   // runs found
};

// Each data byte enters the stream high half first: the byte 0x0F gives 0, then F.
std::vector<std::uint8_t> StreamFromBytes(std::span<const std::uint8_t> bytes);

// Cuts the stream into maximal runs of two or more equal nibbles and the random blocks
// between them. Two neighbouring blocks are never both random, nor runs of one value.
SplitResult SplitStream(std::span<const std::uint8_t> stream);

// Absorbs short runs into neighbouring random blocks and joins neighbouring random
// blocks. The pair scan restarts at the first pair after every merge, and the
// threshold for a short run is 3 in the first pair and 5 elsewhere.
void OptimizeBlocks(std::vector<Block>& blocks);

// The coded blocks as nibbles: each block becomes one or more pieces of at most 128
// stream nibbles, each a 2-nibble header (low nibble first) and its data.
std::vector<std::uint8_t> CodeBlocks(std::span<const std::uint8_t> stream,
                                     std::span<const Block> blocks);

} // namespace grob
