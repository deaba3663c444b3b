// The directory file, byte for byte, against bytes written out by hand: header, prolog
// 02A96, field 7FF, last-entry offset, then link, name count, name, count, object.
#include "WendrixFixture.h"

namespace {

// The last byte of each file below is half used; the directory writes 0 in the half
// that lies beyond the object.
TEST_F(WendrixTest, EmptyIndexGivesThe13NibbleDirectory)
{
    ASSERT_EQ(Build(""), 0);
    EXPECT_EQ(Read("out.dir"), kHeader + Bytes({0x96, 0x2A, 0xF0, 0x7F, 0x00, 0x00, 0x00}));
    EXPECT_EQ(m_transcript, "Reading input index: index.lst\n"
                            "Creating directory: out.dir\n"
                            "Successfully created output directory (0 entries)\n"
                            "Verifying... OK\n"
                            "Nibbles: 13 (6.5 bytes)\n"
                            "CRC: #5e6bh\n");
}

TEST_F(WendrixTest, OneEntry)
{
    Write("a.real", kHeader + kReal1);
    ASSERT_EQ(Build("a.real;A\n"), 0);
    // Offset 0000A: from nibble 24 to the name count at nibble 34.
    EXPECT_EQ(Read("out.dir"), kHeader + Bytes({0x96, 0x2A, 0xF0, 0x7F, 0x0A, 0x00, 0x00, 0x00,
                                                0x00, 0x01, 0x41, 0x01, 0x33, 0x29, 0x00, 0x00,
                                                0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00}));
    EXPECT_EQ(m_transcript, "Reading input index: index.lst\n"
                            "Creating directory: out.dir\n"
                            "  a.real -> 'A'  OK\n"
                            "Successfully created output directory (1 entries)\n"
                            "Verifying... OK\n"
                            "Nibbles: 45 (22.5 bytes)\n"
                            "CRC: #469eh\n");
}

TEST_F(WendrixTest, TwoEntriesLinkBackAndOffsetPointsAtTheLast)
{
    Write("a.real", kHeader + kReal1);
    Write("b.real", kHeader + kReal2);
    ASSERT_EQ(Build("a.real;A\r\nb.real;B\r\n", {"-v"}), 0);
    // B's link 0001B (27) starts at the odd nibble 61; offset 0002A leads to nibble 66.
    EXPECT_EQ(Read("out.dir"),
              kHeader + Bytes({0x96, 0x2A, 0xF0, 0x7F, 0x2A, 0x00, 0x00, 0x00, 0x00, 0x01,
                               0x41, 0x01, 0x33, 0x29, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                               0x00, 0x10, 0xB0, 0x01, 0x00, 0x01, 0x42, 0x01, 0x33, 0x29,
                               0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x20, 0x00}));
    EXPECT_EQ(m_transcript, "*** Verbose mode ***\n"
                            "\n"
                            "Reading input index: index.lst\n"
                            "Creating directory: out.dir\n"
                            "  a.real -> 'A'  OK\n"
                            "    Size: 0x15\n"
                            "    Start of name: 0x12\n"
                            "    Start of data: 0x18\n"
                            "  b.real -> 'B'  OK\n"
                            "    Size: 0x15\n"
                            "    Start of name: 0x32\n"
                            "    Start of data: 0x38\n"
                            "  Last object ptr: 0x2a\n"
                            "Successfully created output directory (2 entries)\n"
                            "Verifying... SkipOb passed\n"
                            "Nibbles: 77 (38.5 bytes)\n"
                            "CRC: #5eb1h\n");
}

TEST_F(WendrixTest, EmptyNameHasASingleCount)
{
    Write("a.real", kHeader + kReal1);
    Write("b.real", kHeader + kReal2);
    ASSERT_EQ(Build("a.real;\nb.real;B\n"), 0);
    // The empty name is the count 00 alone, so B's link is 2 + 21 = 00017.
    EXPECT_EQ(Read("out.dir"),
              kHeader + Bytes({0x96, 0x2A, 0xF0, 0x7F, 0x26, 0x00, 0x00, 0x00, 0x00, 0x00,
                               0x33, 0x29, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10,
                               0x70, 0x01, 0x00, 0x01, 0x42, 0x01, 0x33, 0x29, 0x00, 0x00,
                               0x00, 0x00, 0x00, 0x00, 0x00, 0x20, 0x00}));
    EXPECT_NE(m_transcript.find("  a.real -> ''  OK\n"), std::string::npos);
    EXPECT_NE(m_transcript.find("Nibbles: 73 (36.5 bytes)\nCRC: #9271h\n"), std::string::npos);
}

TEST_F(WendrixTest, NamesAreTranslatedAndObjectsCopiedFromAnyHeader)
{
    // A bare object (no download header) and one behind "HPHP48-E" land alike.
    Write("bare.real", kReal1);
    Write("e.real", "HPHP48-E" + kReal1);
    ASSERT_EQ(Build(" bare.real ;  X\\->Y \ne.real;X\\->Y\n"), 0);
    const std::string dir = Read("out.dir");
    // Name count 3, then X, 141, Y, then 3 again, in both entries.
    const std::string name = Bytes({0x03, 0x58, 0x8D, 0x59, 0x03});
    EXPECT_EQ(dir.substr(17, 5), name);
    EXPECT_NE(dir.find(name, 22), std::string::npos);
    EXPECT_EQ(m_transcript.substr(0, m_transcript.rfind("CRC: #")),
              "Reading input index: index.lst\n"
              "Creating directory: out.dir\n"
              "  bare.real -> 'X\\->Y'  Warning: No binary download header on file\n"
              "OK\n"
              "  e.real -> 'X\\->Y'  OK\n"
              "Successfully created output directory (2 entries)\n"
              "Verifying... OK\n"
              "Nibbles: 85 (42.5 bytes)\n");
}

TEST_F(WendrixTest, BareObjectsShorterThanAHeaderAreRead)
{
    // A system binary and an empty list, 10 nibbles each, in files without a header.
    Write("bint", Bytes({0x11, 0x29, 0x10, 0x00, 0x00}));
    Write("list", Bytes({0x74, 0x2A, 0xB0, 0x12, 0x03}));
    ASSERT_EQ(Build("bint;B\nlist;L\n"), 0) << m_transcript;
    for (const char* entry : {"  bint -> 'B'  Warning", "  list -> 'L'  Warning"}) {
        EXPECT_NE(
            m_transcript.find(entry + std::string(": No binary download header on file\nOK\n")),
            std::string::npos)
            << m_transcript;
    }
    EXPECT_NE(m_transcript.find("(2 entries)\nVerifying... OK\n"), std::string::npos);
}

TEST_F(WendrixTest, ListingNamesEveryVariableWritten)
{
    Write("a.real", kHeader + kReal1);
    ASSERT_EQ(Build("a.real;A\nnosemicolon\n", {"-list", "out.lst"}), 0);
    EXPECT_EQ(Read("out.lst"), "'A'  Name length: 1  Size: 0x15  Start of name: 0x12  "
                               "Start of data: 0x18  CRC: #1d71h\n"
                               "Directory: 45 nibbles  CRC: #469eh\n");
}

} // namespace
