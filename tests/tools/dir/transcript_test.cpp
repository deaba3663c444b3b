// What the console shows, and the exit code, for each way a run can go wrong; and that
// a run that goes wrong never leaves part of an entry in the directory.
#include "WendrixFixture.h"

namespace {

const std::string kStart = "Reading input index: index.lst\nCreating directory: out.dir\n";

TEST_F(WendrixTest, CommandLineErrorsShowTheUsageAndEndWithZero)
{
    EXPECT_EQ(Run({"-in", "index.lst", "-IN", "x"}), 0);
    EXPECT_EQ(m_transcript, "Command-line error: Invalid argument (-IN)\n\n" + kUsage);
    EXPECT_EQ(Run({"index.lst"}), 0);
    EXPECT_EQ(m_transcript, "Command-line error: Invalid argument (index.lst)\n\n" + kUsage);
    EXPECT_EQ(Run({"-"}), 0);
    EXPECT_EQ(m_transcript, "Command-line error: Invalid argument (-)\n\n" + kUsage);
    for (const char* last : {"-in", "-out", "/list"}) {
        EXPECT_EQ(Run({"-v", last}), 0);
        EXPECT_EQ(m_transcript,
                  "Command-line error: No parameter given at end of command line\n\n" + kUsage);
    }
}

TEST_F(WendrixTest, UsageWhenAskedOrWhenANameIsMissing)
{
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{},
                                               {"-help", "-bogus"},
                                               {"/?"},
                                               {"-in", "index.lst", "-v"},
                                               {"-out", "out.dir", "-in", ""}}) {
        EXPECT_EQ(Run(args), 0);
        EXPECT_EQ(m_transcript, kUsage);
    }
    EXPECT_FALSE(Exists("out.dir"));
}

TEST_F(WendrixTest, SlashOptionsAndRepeatedOptions)
{
    Write("index.lst", "");
    // The last -in wins; /out works like -out; the listing file need not exist.
    EXPECT_EQ(Run({"-in", "missing.lst", "/in", "index.lst", "/out", "out.dir", "-list", "l"}), 0);
    EXPECT_EQ(m_transcript.substr(0, kStart.size()), kStart);
    EXPECT_TRUE(Exists("l"));
}

TEST_F(WendrixTest, BadLinesAndNamesAreSkippedWithAWarning)
{
    Write("a.real", kHeader + kReal1);
    const std::string tooLong(256, 'N');
    // 100 arrows are 300 characters as written but 100 bytes as translated.
    std::string arrows;
    for (int i = 0; i < 100; ++i) {
        arrows += "\\->";
    }
    ASSERT_EQ(Build("no semicolon\n\na.real;my name\na.real;" + tooLong + "\na.real;" + arrows +
                    "\na.real;A;B\na.real;A;B\n"),
              0);
    EXPECT_EQ(m_transcript.substr(0, m_transcript.rfind("CRC: #")),
              kStart +
                  "Warning: Bad input line ignored (no semicolon)\n"
                  "Warning: Bad input line ignored ()\n"
                  "Warning: Invalid HP name ignored (my name)\n"
                  "Warning: Invalid HP name ignored (" +
                  tooLong + ")\n  a.real -> '" + arrows +
                  "'  OK\n"
                  "  a.real -> 'A;B'  OK\n"
                  "  a.real -> 'A;B'  OK\n"
                  "Successfully created output directory (3 entries)\n"
                  "Verifying... OK\n"
                  "Nibbles: 315 (157.5 bytes)\n");
}

TEST_F(WendrixTest, BrokenObjectsAreSkippedWithoutATrace)
{
    Write("a.real", kHeader + kReal1);
    Write("short.bin", "HPHP");
    // A string whose length field claims 0x100 nibbles in a file that holds 12.
    Write("long.str", kHeader + Bytes({0x2C, 0x2A, 0x00, 0x01, 0x00, 0x41}));
    // A list around a tagged object that tags an end marker: the list's count and the
    // walk disagree.
    Write("bad.list",
          kHeader + Bytes({0x74, 0x2A, 0xC0, 0xAF, 0x02, 0x00, 0x2B, 0x31, 0xB0, 0x12, 0x03}));
    // A string whose length field is 0 measures 5 nibbles, but its walk reads 10; copied
    // last into the directory it would run off the file's end.
    Write("zero.str", kHeader + Bytes({0x2C, 0x2A, 0x00, 0x00, 0x00, 0x41, 0x42}));
    ASSERT_EQ(Build("a.real;A\nshort.bin;S\nlong.str;L\nbad.list;B\nzero.str;Z\n"), 0);
    EXPECT_EQ(m_transcript, kStart + "  a.real -> 'A'  OK\n"
                                     "  short.bin -> 'S'  Error: Read past end of file\n"
                                     "  long.str -> 'L'  Error: Read past end of file\n"
                                     "  bad.list -> 'B'  Error: Invalid object\n"
                                     "  zero.str -> 'Z'  Error: Invalid object\n"
                                     "Successfully created output directory (1 entries)\n"
                                     "Verifying... OK\n"
                                     "Nibbles: 45 (22.5 bytes)\n"
                                     "CRC: #469eh\n");
    // Exactly the one-entry directory: nothing of the skipped entries stays behind.
    EXPECT_EQ(Read("out.dir"), kHeader + Bytes({0x96, 0x2A, 0xF0, 0x7F, 0x0A, 0x00, 0x00, 0x00,
                                                0x00, 0x01, 0x41, 0x01, 0x33, 0x29, 0x00, 0x00,
                                                0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00}));
}

TEST_F(WendrixTest, FileErrorsEndTheRunWithOne)
{
    EXPECT_EQ(Run({"-in", "missing.lst", "-out", "out.dir"}), 1);
    EXPECT_EQ(m_transcript, "Reading input index: missing.lst\n"
                            "Error: missing.lst: No such file or directory\n");
    EXPECT_FALSE(Exists("out.dir"));

    Write("index.lst", "");
    EXPECT_EQ(Run({"-in", "index.lst", "-out", "no/out.dir"}), 1);
    EXPECT_EQ(m_transcript, "Reading input index: index.lst\n"
                            "Creating directory: no/out.dir\n"
                            "Error: no/out.dir: No such file or directory\n");

    // The listing is created before the directory, so the directory is never touched.
    EXPECT_EQ(Run({"-in", "index.lst", "-out", "out.dir", "-list", "no/out.lst"}), 1);
    EXPECT_EQ(m_transcript, "Reading input index: index.lst\n"
                            "Error: no/out.lst: No such file or directory\n");
    EXPECT_FALSE(Exists("out.dir"));
}

TEST_F(WendrixTest, NoFileOfTheRunIsAnotherOne)
{
    Write("a.real", kHeader + kReal1);
    const std::string index = "a.real;A\n";
    Write("index.lst", index);
    Write("old.dir", "old");

    // The listing would truncate the index or the directory it lists.
    EXPECT_EQ(Run({"-in", "index.lst", "-out", "out.dir", "-list", "index.lst"}), 1);
    EXPECT_EQ(m_transcript, "Reading input index: index.lst\n"
                            "Error: Listing and input are the same file\n");
    EXPECT_EQ(Read("index.lst"), index);
    EXPECT_FALSE(Exists("out.dir"));
    EXPECT_EQ(Run({"-in", "index.lst", "-out", "old.dir", "-list", "./old.dir"}), 1);
    EXPECT_EQ(m_transcript, "Reading input index: index.lst\n"
                            "Error: Listing and output are the same file\n");
    EXPECT_EQ(Read("old.dir"), "old");

    // Neither exists yet: the listing is created, the directory is refused.
    EXPECT_EQ(Run({"-in", "index.lst", "-out", "new.dir", "-list", "new.dir"}), 1);
    EXPECT_EQ(m_transcript, "Reading input index: index.lst\n"
                            "Creating directory: new.dir\n"
                            "Error: Listing and output are the same file\n");

    // The directory would overwrite its own index.
    EXPECT_EQ(Run({"-in", "index.lst", "-out", "index.lst"}), 1);
    EXPECT_EQ(m_transcript, "Reading input index: index.lst\n"
                            "Creating directory: index.lst\n"
                            "Error: Input and output are the same file\n");
    EXPECT_EQ(Read("index.lst"), index);
}

TEST_F(WendrixTest, MissingObjectHalfwayKeepsTheEntriesBefore)
{
    Write("a.real", kHeader + kReal1);
    Write("b.real", kHeader + kReal2);
    EXPECT_EQ(Build("a.real;A\nmissing.real;M\nb.real;B\n"), 1);
    EXPECT_EQ(m_transcript, kStart + "  a.real -> 'A'  OK\n"
                                     "  missing.real -> 'M'  "
                                     "Error: missing.real: No such file or directory\n");
    // Entry A is written; the last-entry offset was never filled in.
    EXPECT_EQ(Read("out.dir"), kHeader + Bytes({0x96, 0x2A, 0xF0, 0x7F, 0x00, 0x00, 0x00, 0x00,
                                                0x00, 0x01, 0x41, 0x01, 0x33, 0x29, 0x00, 0x00,
                                                0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00}));
}

TEST_F(WendrixTest, DirectoryBeyondTheFiveNibbleOffsetEndsTheRun)
{
    // Strings of 0x80000 nibbles each: the third one's name would lie more than 0xFFFFF
    // nibbles behind the offset field.
    Write("big.str", kHeader + Bytes({0x2C, 0x2A, 0xB0, 0xFF, 0x7F}) + std::string(0x3FFFB, 'x'));
    EXPECT_EQ(Build("big.str;A\nbig.str;B\nbig.str;C\n"), 1);
    EXPECT_EQ(m_transcript, kStart + "  big.str -> 'A'  OK\n"
                                     "  big.str -> 'B'  OK\n"
                                     "  big.str -> 'C'  Error: Directory too large\n");
    // Two entries of 5 + 2 + 2 + 2 + 0x80000 nibbles behind the 29-nibble start.
    EXPECT_EQ(Read("out.dir").size(), (29 + 2 * (11 + 0x80000) + 1) / 2);
}

} // namespace
