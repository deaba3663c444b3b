#include "GrobEncoder.h"

#include <algorithm>

namespace grob {

namespace {

constexpr std::uint32_t kMaxPiece = 128;
constexpr std::uint8_t kRunFlag = 0x80;

// Merges the pair (first, second) into first when the rules allow it. A run shorter
// than the threshold joins a neighbouring random block; two random blocks join; two
// runs never do.
bool MergePair(Block& first, const Block& second, std::uint32_t nThreshold)
{
    if (first.bRun && second.bRun)
        return false;
    if ((first.bRun && first.nCount >= nThreshold) || (second.bRun && second.nCount >= nThreshold))
        return false;
    first = Block{false, 0, first.nStart, first.nCount + second.nCount};
    return true;
}

} // namespace

std::vector<std::uint8_t> StreamFromBytes(std::span<const std::uint8_t> bytes)
{
    std::vector<std::uint8_t> stream;
    stream.reserve(bytes.size() * 2);
    for (std::uint8_t byte : bytes) {
        stream.push_back(byte >> 4);
        stream.push_back(byte & 0x0F);
    }
    return stream;
}

SplitResult SplitStream(std::span<const std::uint8_t> stream)
{
    SplitResult result;
    const std::size_t nSize = stream.size();
    std::size_t i = 0;
    while (i < nSize) {
        std::size_t nEnd = i + 1;
        while (nEnd < nSize && stream[nEnd] == stream[i])
            ++nEnd;
        const auto nStart = static_cast<std::uint32_t>(i);
        const auto nCount = static_cast<std::uint32_t>(nEnd - i);
        if (nCount >= 2) {
            result.blocks.push_back(Block{true, stream[i], nStart, nCount});
            ++result.nRuns;
        } else if (!result.blocks.empty() && !result.blocks.back().bRun) {
            ++result.blocks.back().nCount;
        } else {
            result.blocks.push_back(Block{false, 0, nStart, 1});
            ++result.nRandom;
        }
        i = nEnd;
    }
    return result;
}

void OptimizeBlocks(std::vector<Block>& blocks)
{
    // A merge changes only the pair it joins, so every earlier pair that the scan has
    // already passed stays unmergeable: the restarted scan's first candidate is the pair
    // just before the merge. The settled blocks therefore form a stack whose top pair is
    // tested after every push and every merge; the pair index of blocks[nTop - 2] is
    // nTop - 2, which decides the threshold.
    std::size_t nTop = 0;
    for (const Block& block : blocks) {
        blocks[nTop++] = block;
        while (nTop >= 2 && MergePair(blocks[nTop - 2], blocks[nTop - 1], nTop == 2 ? 3 : 5))
            --nTop;
    }
    blocks.resize(nTop);
}

std::vector<std::uint8_t> CodeBlocks(std::span<const std::uint8_t> stream,
                                     std::span<const Block> blocks)
{
    std::vector<std::uint8_t> coded;
    for (const Block& block : blocks) {
        for (std::uint32_t nDone = 0; nDone < block.nCount;) {
            const std::uint32_t nPiece = std::min(block.nCount - nDone, kMaxPiece);
            const auto nHeader =
                static_cast<std::uint8_t>((block.bRun ? kRunFlag : 0) | (nPiece - 1));
            coded.push_back(nHeader & 0x0F);
            coded.push_back(nHeader >> 4);
            if (block.bRun) {
                coded.push_back(block.nValue);
            } else {
                const auto first = stream.begin() + block.nStart + nDone;
                coded.insert(coded.end(), first, first + nPiece);
            }
            nDone += nPiece;
        }
    }
    return coded;
}

} // namespace grob
