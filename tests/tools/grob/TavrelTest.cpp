// The tool from the command line to the written file: exact console transcripts, exit
// codes and output bytes; every refusal; and whole files against the literal reference,
// with each written file expanded back to the GROB's data.
#include "Tavrel.h"
#include "GrobTestSupport.h"
#include "ReferenceTavrel.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <sstream>

namespace {

using grobtest::Bytes;
using grobtest::Grob;
using grobtest::GrobSpec;

const char kUsage[] =
    "Create compressed GROBs\n"
    "\n"
    "Tavrel \"input-file\" \"output-file\"\n"
    "\n"
    "  input-file\n"
    "              Specifies the input GROB to compress.\n"
    "  output-directory\n"
    "              Specifies the file to write the hex string to.\n"
    "\n"
    "A compressed GROB can be uncompressed by recalling the hex string to the stack\n"
    "and entering the command #E3063h LIBEVAL (ROMPTR E3 63).  The decompression\n"
    "routine is built into the HP48.\n"
    "\n"
    "Quotes are required around any filename that contains spaces.\n";

struct ToolRun
{
    int nExit = -1;
    std::string strOutput;
};

class TavrelTest : public testing::Test
{
protected:
    ToolRun Tavrel(const std::vector<std::string>& arguments)
    {
        std::ostringstream out;
        const int nExit = grob::RunTavrel(arguments, out);
        return ToolRun{nExit, out.str()};
    }
    // Compresses a GROB file made from spec into m_strOutput.
    ToolRun Compress(const GrobSpec& spec)
    {
        grobtest::WriteFile(m_strInput, grobtest::GrobFile(spec));
        return Tavrel({m_strInput, m_strOutput});
    }
    // The written file must expand to exactly the GROB's data nibbles.
    void ExpectRoundTrip(const GrobSpec& spec)
    {
        std::string strProblem;
        const auto decoded = grobtest::DecodeFile(grobtest::ReadFile(m_strOutput), &strProblem);
        ASSERT_TRUE(decoded) << strProblem;
        EXPECT_EQ(decoded->nHeight, spec.nHeight);
        EXPECT_EQ(decoded->nWidth, spec.nWidth);
        EXPECT_TRUE(decoded->stream == grobtest::DataStream(spec.data));
    }

    grobtest::ScratchDir m_dir;
    const std::string m_strInput = m_dir.File("in.grob");
    const std::string m_strOutput = m_dir.File("out.cgrob");
};

Bytes HeaderBytes()
{
    return Bytes{'H', 'P', 'H', 'P', '4', '8', '-', 'R'};
}

TEST_F(TavrelTest, SmallestGrobGivesTheWorkedBytes)
{
    const GrobSpec spec = Grob(1, 8, Bytes{0x00});
    const ToolRun run = Compress(spec);
    EXPECT_EQ(run.nExit, 0);
    EXPECT_EQ(run.strOutput, "GROB: 8x1\n"
                             "Read 1 block(s)\n"
                             "  random: 0\n"
                             "  run:    1\n"
                             "Optimizing...\n"
                             "1 block(s) remaining\n"
                             "17 -> 12 (29%)\n");
    Bytes file = grobtest::ReadFile(m_strOutput);
    ASSERT_EQ(file.size(), 17u);
    EXPECT_EQ(file[16] & 0x0F, 0); // the high half lies beyond the object
    file.pop_back();
    Bytes expected = HeaderBytes();
    expected.insert(expected.end(), {0x4E, 0x2A, 0xC0, 0x00, 0x00, 0x01, 0x08, 0x81});
    EXPECT_EQ(file, expected);
    ExpectRoundTrip(spec);
}

TEST_F(TavrelTest, BlankGrobBecomesSeventeenFullRuns)
{
    const GrobSpec spec = Grob(64, 131, Bytes(64 * 17, 0x00));
    const ToolRun run = Compress(spec);
    EXPECT_EQ(run.nExit, 0);
    EXPECT_EQ(run.strOutput, "GROB: 131x64\nRead 1 block(s)\n  random: 0\n  run:    1\n"
                             "Optimizing...\n1 block(s) remaining\n2191 -> 60 (97%)\n");
    Bytes expected = HeaderBytes();
    expected.insert(expected.end(), {0x4E, 0x2A, 0xC0, 0x03, 0x00, 0x40, 0x83});
    for (int i = 0; i < 8; ++i) // headers 0xFF with the value 0: F F 0, F F 0, ...
        expected.insert(expected.end(), {0xFF, 0xF0, 0x0F});
    expected.insert(expected.end(), {0xFF, 0x00});
    EXPECT_EQ(grobtest::ReadFile(m_strOutput), expected);
    ExpectRoundTrip(spec);
}

TEST_F(TavrelTest, BareGrobIsCompressedAfterAWarning)
{
    GrobSpec spec = Grob(2, 16, Bytes{0x12, 0x34, 0x56, 0x78});
    ASSERT_EQ(Compress(spec).nExit, 0);
    const Bytes withHeader = grobtest::ReadFile(m_strOutput);
    spec.bDownloadHeader = false;
    const ToolRun run = Compress(spec);
    EXPECT_EQ(run.nExit, 0);
    EXPECT_EQ(run.strOutput, "Warning: No binary download header\nGROB: 16x2\nRead 1 block(s)\n"
                             "  random: 1\n  run:    0\nOptimizing...\n1 block(s) remaining\n"
                             "23 -> 19 (17%)\n");
    EXPECT_EQ(grobtest::ReadFile(m_strOutput), withHeader);
}

TEST_F(TavrelTest, UsageForAnyOtherNumberOfArguments)
{
    for (const auto& arguments : std::vector<std::vector<std::string>>{
             {}, {m_strInput}, {m_strInput, m_strOutput, "extra"}}) {
        const ToolRun run = Tavrel(arguments);
        EXPECT_EQ(run.nExit, 1);
        EXPECT_EQ(run.strOutput, kUsage);
    }
}

struct Refusal
{
    const char* pszName;
    GrobSpec spec;
    std::size_t nTruncate; // bytes cut from the end of the input file
    const char* pszOutput;
};

TEST_F(TavrelTest, RefusedInputLeavesAnEmptyOutput)
{
    const Refusal refusals[] = {
        {"string object", grobtest::WithProlog(Grob(1, 8, Bytes{0x41}), 0x02A2C), 0,
         "Error: Can't compress non-GROB objects\n"},
        {"width above 255", Grob(1, 256, Bytes{0x00}), 0,
         "GROB: 256x1\nError: Maximum for height and width is 255 pixels\n"},
        {"300 by 0: the limit is checked first", Grob(0, 300, Bytes{0x00}), 0,
         "GROB: 300x0\nError: Maximum for height and width is 255 pixels\n"},
        {"zero height", Grob(0, 8, Bytes{0x00}), 0,
         "GROB: 8x0\nError: Can't compress a GROB with zero dimensions\n"},
        {"zero width", Grob(4, 0, Bytes{0x00}), 0,
         "GROB: 0x4\nError: Can't compress a GROB with zero dimensions\n"},
        {"truncated pixel data", Grob(2, 8, Bytes{0x12, 0x34}), 1,
         "GROB: 8x2\nError: Read past end of file\n"},
        {"truncated fields", Grob(2, 8, Bytes{}), 3, "Error: Read past end of file\n"},
        {"shorter than a download header", Grob(1, 8, Bytes{}), 12,
         "Error: Read past end of file\n"},
        {"length field below 15", grobtest::WithLength(Grob(1, 8, Bytes{0x00}), 14), 0,
         "GROB: 8x1\nError: GROB length is too small to hold its dimensions\n"},
        {"odd data length", grobtest::WithLength(Grob(1, 8, Bytes{0x00}), 16), 0,
         "GROB: 8x1\nError: Can't compress a GROB with an odd number of data nibbles\n"},
    };
    for (const Refusal& refusal : refusals) {
        SCOPED_TRACE(refusal.pszName);
        Bytes input = grobtest::GrobFile(refusal.spec);
        input.resize(input.size() - refusal.nTruncate);
        grobtest::WriteFile(m_strInput, input);
        grobtest::WriteFile(m_strOutput, Bytes{1, 2, 3});
        const ToolRun run = Tavrel({m_strInput, m_strOutput});
        EXPECT_EQ(run.nExit, 1);
        EXPECT_EQ(run.strOutput, refusal.pszOutput);
        EXPECT_TRUE(std::filesystem::exists(m_strOutput));
        EXPECT_EQ(std::filesystem::file_size(m_strOutput), 0u);
    }
}

TEST_F(TavrelTest, FileErrorsAreFatalAndNameTheFile)
{
    const std::string strMissing = m_dir.File("missing.grob");
    ToolRun run = Tavrel({strMissing, m_strOutput});
    EXPECT_EQ(run.nExit, 1);
    EXPECT_EQ(run.strOutput, "Fatal Error: " + strMissing + ": No such file or directory\n");
    EXPECT_FALSE(std::filesystem::exists(m_strOutput));

    const std::string strFolder = m_dir.File("folder");
    std::filesystem::create_directory(strFolder);
    run = Tavrel({strFolder, m_strOutput});
    EXPECT_EQ(run.nExit, 1);
    EXPECT_EQ(run.strOutput, "Fatal Error: " + strFolder + ": Is a directory\n");

    grobtest::WriteFile(m_strInput, grobtest::GrobFile(Grob(1, 8, Bytes{0x00})));
    const std::string strNoFolder = m_dir.File("no/such/folder.cgrob");
    run = Tavrel({m_strInput, strNoFolder});
    EXPECT_EQ(run.nExit, 1);
    EXPECT_EQ(run.strOutput, "Fatal Error: " + strNoFolder + ": No such file or directory\n");
}

TEST_F(TavrelTest, OutputNamingTheInputLeavesTheInputIntact)
{
    const Bytes input = grobtest::GrobFile(Grob(1, 8, Bytes{0x00}));
    grobtest::WriteFile(m_strInput, input);
    const std::string strOtherName = m_dir.File(".") + "/in.grob";
    const ToolRun run = Tavrel({m_strInput, strOtherName});
    EXPECT_EQ(run.nExit, 1);
    EXPECT_EQ(run.strOutput, "Error: Input and output are the same file\n");
    EXPECT_EQ(grobtest::ReadFile(m_strInput), input);
}

// Data of n nibbles with no two equal neighbours: one random block.
Bytes Incompressible(std::size_t nNibbles)
{
    Bytes data(nNibbles / 2);
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = i % 2 ? 0x34 : 0x12;
    return data;
}

TEST_F(TavrelTest, OutputLengthMustFitItsField)
{
    // 1032434 random nibbles code to 1048566 (8066 headers): a length of exactly 0xFFFFF.
    const GrobSpec largest = Grob(255, 255, Incompressible(1032434));
    ToolRun run = Compress(largest);
    EXPECT_EQ(run.nExit, 0);
    EXPECT_EQ(run.strOutput, "GROB: 255x255\nRead 1 block(s)\n  random: 1\n  run:    0\n"
                             "Optimizing...\n1 block(s) remaining\n"
                             "1032449 -> 1048575 (-1%)\n");
    ExpectRoundTrip(largest);

    // Two nibbles more no longer fit: refused, not written with a cut length.
    run = Compress(Grob(255, 255, Incompressible(1032436)));
    EXPECT_EQ(run.nExit, 1);
    EXPECT_EQ(run.strOutput, "GROB: 255x255\nRead 1 block(s)\n  random: 1\n  run:    0\n"
                             "Optimizing...\n1 block(s) remaining\n"
                             "Error: Compressed GROB is too large for its length field\n");
    EXPECT_EQ(std::filesystem::file_size(m_strOutput), 0u);
}

TEST_F(TavrelTest, FilesMatchTheReference)
{
    std::mt19937 random(2026);
    std::vector<GrobSpec> specs;
    for (int nCase = 0; nCase < 60; ++nCase) {
        GrobSpec spec;
        spec.nHeight = 1 + random() % 255;
        spec.nWidth = 1 + random() % 255;
        spec.bDownloadHeader = nCase % 4 != 0;
        spec.data.resize(spec.nHeight * ((spec.nWidth + 7) / 8));
        // Sparse pictures: mostly blank bytes, some random ones.
        const unsigned nInk = random() % 100;
        for (std::uint8_t& byte : spec.data)
            byte = random() % 100 < nInk ? static_cast<std::uint8_t>(random()) : 0;
        specs.push_back(spec);
    }
    GrobSpec worst = Grob(255, 255, {}); // runs of two alternating, then a random tail
    for (int i = 0; i < 255 * 32 - 1; ++i)
        worst.data.push_back(i % 2 ? 0x11 : 0x00);
    worst.data.push_back(0x23);
    specs.push_back(worst);
    specs.push_back(Grob(255, 255, Bytes(255 * 32, 0x12)));
    specs.push_back(Grob(1, 8, Bytes{})); // no data at all: no blocks

    const std::string strExpected = m_dir.File("expected.cgrob");
    for (const GrobSpec& spec : specs) {
        SCOPED_TRACE(std::to_string(spec.nWidth) + "x" + std::to_string(spec.nHeight));
        const ToolRun run = Compress(spec);
        std::ostringstream expected;
        ASSERT_EQ(reference::Compress(m_strInput, strExpected, expected), 0);
        EXPECT_EQ(run.nExit, 0);
        EXPECT_EQ(run.strOutput, expected.str());
        EXPECT_TRUE(grobtest::ReadFile(m_strOutput) == grobtest::ReadFile(strExpected));
        ExpectRoundTrip(spec);
    }
}

TEST_F(TavrelTest, BundledSampleMatchesTheReference)
{
    const Bytes sample = grobtest::ReadFile(TAVREL_SAMPLE);
    grobtest::WriteFile(m_strInput, sample);
    const ToolRun run = Tavrel({m_strInput, m_strOutput});
    const std::string strExpected = m_dir.File("expected.cgrob");
    std::ostringstream expected;
    ASSERT_EQ(reference::Compress(m_strInput, strExpected, expected), 0);
    EXPECT_EQ(run.nExit, 0);
    EXPECT_EQ(run.strOutput, expected.str());
    EXPECT_EQ(grobtest::ReadFile(m_strOutput), grobtest::ReadFile(strExpected));
    // Download header and the four fields take 18 bytes; the pixel data follows.
    ExpectRoundTrip(Grob(64, 131, Bytes(sample.begin() + 18, sample.end())));
}

} // namespace
