// The coder's three phases against hand-worked examples, and against the literal
// reference on thousands of random streams and on hand-made worst cases: the same
// blocks after each phase and the same coded nibbles, which expand back to the stream.
#include "GrobEncoder.h"
#include "GrobTestSupport.h"
#include "ReferenceTavrel.h"

#include <gtest/gtest.h>

#include <random>

namespace {

using grobtest::Bytes;

Bytes Code(const Bytes& stream)
{
    grob::SplitResult split = grob::SplitStream(stream);
    grob::OptimizeBlocks(split.blocks);
    return grob::CodeBlocks(stream, split.blocks);
}

testing::AssertionResult SameBlocks(const std::vector<grob::Block>& ours,
                                    const std::vector<reference::Block>& theirs,
                                    const Bytes& stream)
{
    if (ours.size() != theirs.size())
        return testing::AssertionFailure() << ours.size() << " blocks instead of " << theirs.size();
    for (std::size_t i = 0; i < ours.size(); ++i) {
        const grob::Block& block = ours[i];
        const reference::Block& expected = theirs[i];
        const std::vector<std::uint32_t> nibbles(stream.begin() + block.nStart,
                                                 stream.begin() + block.nStart + block.nCount);
        if (block.bRun != (expected.nKind == 1) || block.nCount != expected.nCount ||
            (block.bRun ? block.nValue != expected.nValue : nibbles != expected.nibbles))
            return testing::AssertionFailure() << "block " << i << " differs";
    }
    return testing::AssertionSuccess();
}

// Every phase gives what the reference gives, and the coded result expands to the stream.
testing::AssertionResult MatchesReference(const Bytes& stream)
{
    grob::SplitResult split = grob::SplitStream(stream);
    reference::Split expected = reference::SplitStream(stream);
    if (split.nRandom != expected.nRandom || split.nRuns != expected.nRuns)
        return testing::AssertionFailure() << "split counters differ";
    if (auto result = SameBlocks(split.blocks, expected.blocks, stream); !result)
        return result << " after splitting";
    grob::OptimizeBlocks(split.blocks);
    reference::Optimize(expected.blocks);
    if (auto result = SameBlocks(split.blocks, expected.blocks, stream); !result)
        return result << " after optimising";
    const Bytes coded = grob::CodeBlocks(stream, split.blocks);
    reference::NibbleSink sink;
    reference::WriteBlocks(expected.blocks, sink);
    if (coded != sink.nibbles)
        return testing::AssertionFailure() << "coded nibbles differ";
    if (grobtest::DecodeBlocks(coded) != stream)
        return testing::AssertionFailure() << "coded nibbles do not expand to the stream";
    return testing::AssertionSuccess();
}

// A run of nCount copies of nValue appended to the stream.
void Append(Bytes& stream, std::size_t nCount, std::uint8_t nValue)
{
    stream.insert(stream.end(), nCount, nValue);
}

// Data of a 255 by 255 GROB: 255 rows of 32 bytes.
constexpr std::size_t kFullStream = 255 * 64;

TEST(GrobEncoder, WorkedExamples)
{
    // 5, 3 | 7, 7 | 2: the run of two joins block 0 (2 < 3), then the random blocks join.
    const Bytes mixed{5, 3, 7, 7, 2};
    const grob::SplitResult split = grob::SplitStream(mixed);
    EXPECT_EQ(split.blocks,
              (std::vector<grob::Block>{{false, 0, 0, 2}, {true, 7, 2, 2}, {false, 0, 4, 1}}));
    EXPECT_EQ(split.nRandom, 2u);
    EXPECT_EQ(split.nRuns, 1u);
    EXPECT_EQ(Code(mixed), (Bytes{0x4, 0x0, 5, 3, 7, 7, 2}));

    // The data byte 0x0F enters the stream as 0, then F.
    EXPECT_EQ(grob::StreamFromBytes(Bytes{0x0F, 0xA5}), (Bytes{0, 0xF, 0xA, 5}));

    // 300 equal nibbles: 128 + 128 + 44, headers 0xFF, 0xFF, 0xAB.
    Bytes run(300, 9);
    EXPECT_EQ(Code(run), (Bytes{0xF, 0xF, 9, 0xF, 0xF, 9, 0xB, 0xA, 9}));

    // 129 random nibbles: 0x7F with 128 nibbles, then 0x00 with the last one.
    Bytes random;
    for (int i = 0; i < 129; ++i)
        random.push_back(i % 2);
    Bytes expected = random;
    expected.insert(expected.begin() + 128, {0x0, 0x0});
    expected.insert(expected.begin(), {0xF, 0x7});
    EXPECT_EQ(Code(random), expected);

    EXPECT_TRUE(grob::SplitStream(Bytes{}).blocks.empty());
    EXPECT_TRUE(Code(Bytes{}).empty());
}

TEST(GrobEncoder, ThresholdDependsOnThePairIndex)
{
    // A run of 4 leading the stream stays (4 >= 3) ...
    EXPECT_EQ(Code(Bytes{6, 6, 6, 6, 1, 2}), (Bytes{0x3, 0x8, 6, 0x1, 0x0, 1, 2}));
    // ... while between two random blocks further on it is absorbed (4 < 5).
    EXPECT_EQ(Code(Bytes{1, 2, 6, 6, 6, 6, 1, 2}), (Bytes{0x7, 0x0, 1, 2, 6, 6, 6, 6, 1, 2}));
    // A run of 5 is never absorbed; nor are runs next to runs, however short.
    EXPECT_EQ(Code(Bytes{1, 2, 6, 6, 6, 6, 6, 1}),
              (Bytes{0x1, 0x0, 1, 2, 0x4, 0x8, 6, 0x0, 0x0, 1}));
    EXPECT_EQ(Code(Bytes{3, 3, 4, 4}), (Bytes{0x1, 0x8, 3, 0x1, 0x8, 4}));
    // The pair (random, run of 4) at index 0 uses 3, the pair (run, random) behind it 5.
    EXPECT_EQ(Code(Bytes{1, 6, 6, 6, 6, 2}), (Bytes{0x5, 0x0, 1, 6, 6, 6, 6, 2}));
}

TEST(GrobEncoder, MatchesReferenceOnRandomStreams)
{
    std::mt19937 random(4811);
    for (int nCase = 0; nCase < 4000; ++nCase) {
        const int nAlphabet = 2 + nCase % 15;
        const std::size_t nLength = random() % (nCase % 10 == 0 ? 3000 : 300);
        Bytes stream;
        while (stream.size() < nLength) {
            // Mostly short runs around the thresholds, sometimes long ones near 128.
            const unsigned nKind = random() % 10;
            const std::size_t nRun =
                nKind < 7 ? 1 + random() % 6 : (nKind < 9 ? 124 + random() % 8 : random() % 300);
            Append(stream, nRun, static_cast<std::uint8_t>(random() % nAlphabet));
        }
        stream.resize(nLength);
        ASSERT_TRUE(MatchesReference(stream)) << "case " << nCase;
    }
}

TEST(GrobEncoder, MatchesReferenceOnEveryShortLayout)
{
    // Every sequence of four runs of the given lengths (length 1 is a random nibble),
    // in values that make neighbours differ but let runs of one value recur.
    const std::size_t lengths[] = {1, 2, 3, 4, 5, 6, 127, 128, 129};
    for (const std::size_t a : lengths)
        for (const std::size_t b : lengths)
            for (const std::size_t c : lengths)
                for (const std::size_t d : lengths)
                    for (std::uint8_t nStep : {1, 2}) {
                        Bytes stream;
                        std::uint8_t nValue = 0;
                        for (const std::size_t nLength : {a, b, c, d}) {
                            Append(stream, nLength, nValue);
                            nValue = (nValue + nStep) % 3;
                        }
                        ASSERT_TRUE(MatchesReference(stream))
                            << a << ' ' << b << ' ' << c << ' ' << d << ' ' << int(nStep);
                    }
}

TEST(GrobEncoder, MatchesReferenceOnWorstCases)
{
    std::vector<Bytes> cases;
    Bytes stream;
    for (std::size_t i = 0; i < kFullStream; ++i) // alternating: one random block
        stream.push_back(i % 2 ? 0xF : 0);
    cases.push_back(stream);
    for (const std::size_t nRun : {2, 3, 4, 5, 128}) { // runs of one length, alternating
        stream.clear();
        for (std::uint8_t nValue = 0; stream.size() < kFullStream; nValue ^= 1)
            Append(stream, nRun, nValue);
        cases.push_back(stream);
    }
    stream.clear(); // 1, 2, 2, ...: every merge at the front of a long array
    while (stream.size() < kFullStream)
        stream.insert(stream.end(), {1, 2, 2});
    cases.push_back(stream);
    stream.clear(); // runs of two, then a random tail: merges cascading from the back
    for (std::uint8_t nValue = 0; stream.size() < kFullStream - 2; nValue ^= 1)
        Append(stream, 2, nValue);
    stream.insert(stream.end(), {2, 3});
    cases.push_back(stream);
    for (const Bytes& worst : cases)
        EXPECT_TRUE(MatchesReference(worst)) << worst.size() << " nibbles";
}

} // namespace
