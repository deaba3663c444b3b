// The loader: exact nibbles of a load against values worked out by hand, and every
// fault named at the use's source line with exit 1 and no download file.
#include "Loader.h"

#include "../ScratchFolder.h"
#include "ToolFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

namespace {

using saturn::FieldCheck;
using saturn::ObjectModule;
using saturn::RelocationBase;

std::vector<std::uint8_t> Nibbles(const std::string& hex)
{
    std::vector<std::uint8_t> nibbles;
    for (const char c : hex)
        nibbles.push_back(static_cast<std::uint8_t>(std::stoi(std::string(1, c), nullptr, 16)));
    return nibbles;
}

// "HPHP48-R" as the code a NIBASC line makes: each byte low nibble first.
const std::string kHeaderNibbles = "840584054383D225";

saturn::Relocation Field(std::uint32_t offset, RelocationBase base, std::string symbol,
                         std::int64_t addend = 0, bool relative = false,
                         FieldCheck check = FieldCheck::Fits, std::uint8_t width = 5)
{
    return {offset, width, relative, check, base, std::move(symbol), addend};
}

class LoaderTest : public ScratchFolderTest
{
protected:
    LoaderTest() : ScratchFolderTest("sload") {}
    static void Write(const std::string& path, const std::string& text)
    {
        std::string error;
        ASSERT_TRUE(saturn::WriteFileReplacing(path, text, error)) << error;
    }
    static void WriteModule(const std::string& path, const ObjectModule& module)
    {
        std::string error;
        ASSERT_TRUE(saturn::WriteObjectFile(module, path, error)) << error;
    }
    static std::string Read(const std::string& path)
    {
        std::string bytes, error;
        saturn::ReadWholeFile(path, bytes, error);
        return bytes;
    }
    int Run(const std::string& control)
    {
        std::ostringstream out;
        const int code = RunSload({"-H", control}, out);
        m_transcript = out.str();
        return code;
    }

    std::string m_transcript;
};

TEST_F(LoaderTest, ModulesLinkAgainstTheirGlobalsThenEachTableInOrder)
{
    // a: header, DUP, SWAP, OVER, a relative distance to b's label, one nibble.
    ObjectModule a{"a.s", Nibbles(kHeaderNibbles + "00000000000000000000F"), {}, {}, {}, {}};
    a.relocations = {Field(16, RelocationBase::Symbol, "DUP"),
                     Field(21, RelocationBase::Symbol, "SWAP"),
                     Field(26, RelocationBase::Symbol, "OVER"),
                     Field(31, RelocationBase::Symbol, "bar", 0, true, FieldCheck::Signed)};
    // b: its label bar at its offset 1, a fixed ROM address, and its own SWAP.
    ObjectModule b{"b.s", Nibbles("A00000"), {}, {}, {}, {}};
    b.symbols = {{"bar", 1, true, true}, {"SWAP", 0x12345, true, false}};
    b.relocations = {Field(1, RelocationBase::Address, "", 0x0679B)};
    WriteModule("a.o", a);
    WriteModule("b.o", b);
    Write("t1.txt", "DUP #03188\nSWAP #03223\n");
    Write("t2.a", "=DUP EQU #11111\n=OVER EQU #03244 *\n");
    Write("more.m", "SE t2.a\r\n");
    std::filesystem::create_directory("out");
    Write("load.m",
          "* the long spellings, a quoted name, '\\' separators\r\n"
          "TITLE Two modules\r\nOUTPUT out\\two.gx\r\n"
          "LLIST \"out\\two list.lr\" comment\r\nSUPPRESS XREF SU\r\n"
          "SEARCH t1.txt\r\nLINK more.m\r\nRELOCATE a.o\r\n  re \"b.o\r\nEND\r\nnot read\r\n");

    ASSERT_EQ(Run("load.m"), 0) << m_transcript;
    EXPECT_EQ(m_transcript, "");
    // DUP 03188 (first table), SWAP 12345 (module before tables), OVER 03244 (second
    // table), bar at 37+1 from the field at 31: 7; then F, A, 0679B, one pad nibble.
    const unsigned char expected[] = {0x88, 0x31, 0x50, 0x34, 0x12, 0x44, 0x32,
                                      0x70, 0x00, 0x00, 0xAF, 0x9B, 0x67, 0x00};
    EXPECT_EQ(Read("out/two.gx"),
              "HPHP48-R" + std::string(std::begin(expected), std::end(expected)));
    const std::string listing = Read("out/two list.lr");
    EXPECT_NE(listing.find("  00025  00006  b.o  (b.s)\r\n"), std::string::npos) << listing;
    EXPECT_NE(listing.find("  00026  bar             b.o\r\n"), std::string::npos) << listing;
    EXPECT_EQ(listing.find("Cross reference"), std::string::npos) << listing;
}

TEST_F(LoaderTest, FaultsNameTheUseAndLeaveNoDownloadFile)
{
    struct Case
    {
        std::vector<saturn::Relocation> relocations;
        std::string control; // after the OU, LL and SE lines
        std::string message;
    };
    const std::vector<Case> cases = {
        {{Field(5, RelocationBase::Symbol, "NOPE")},
         "RE a.o\r\n",
         "*** ERROR in \"hello.s\" on line 9: unresolved name \"NOPE\""},
        {{Field(0, RelocationBase::Module, "", 3)},
         "RE a.o\r\n",
         "*** ERROR in \"hello.s\" on line 7: absolute reference to an address inside the "
         "relocatable object"},
        {{Field(0, RelocationBase::Symbol, "bar")},
         "RE a.o\r\nRE b.o\r\n",
         "*** ERROR in \"hello.s\" on line 7: absolute reference to \"bar\", an address inside "
         "the relocatable object"},
        {{Field(5, RelocationBase::Symbol, "DUP", -5, true, FieldCheck::Signed)},
         "RE a.o\r\n",
         "*** ERROR in \"hello.s\" on line 9: relative reference to \"DUP\" from the relocatable "
         "object (use an absolute jump such as GOVLNG or GOSBVL)"},
        {{Field(0, RelocationBase::Address, "", 0x123, false, FieldCheck::Fits, 2)},
         "RE a.o\r\n",
         "*** ERROR in \"hello.s\" on line 7: the value 291 of the fixed address #00123 does not "
         "fit in 2 nibbles"},
        {{},
         "RE a.o\r\nRE b.o\r\nRE b.o\r\n",
         "*** ERROR in \"b.s\" on line 1: \"bar\" is defined twice, in b.o and in b.o"},
        {{},
         "RE a.o\r\nRE missing.o\r\n",
         "*** ERROR in \"load.m\" on line 6: cannot open missing.o"},
        {{}, "RE a.o\r\nXX a.o\r\n", "*** ERROR in \"load.m\" on line 6: unknown command \"XX\""},
        {{},
         "SE bad.txt\r\nRE a.o\r\n",
         "*** ERROR in \"bad.txt\" on line 2: not an entry (expected NAME #hhhhh or NAME EQU "
         "#hhhhh)"},
        {{}, "", "*** ERROR in \"load.m\": nothing to load (no RE line names an object)"},
    };
    ObjectModule b{"b.s", Nibbles("00"), {{"bar", 1, true, true}}, {}, {"b.s"}, {{0, 0, 1}}};
    WriteModule("b.o", b);
    Write("t.txt", "DUP #03188\n");
    Write("bad.txt", "DUP #03188\nDROP 03244\n");
    for (const Case& c : cases) {
        ObjectModule a{"hello.a",     Nibbles("0000000000"), {},
                       c.relocations, {"hello.s"},           {{0, 0, 7}, {5, 0, 9}}};
        WriteModule("a.o", a);
        Write("out.gx", "stale");
        Write("load.m", "OU out.gx\r\nLL out.lr\r\nSU XR SU\r\nSE t.txt\r\n" + c.control);
        EXPECT_EQ(Run("load.m"), 1) << c.message;
        EXPECT_EQ(m_transcript, c.message + "\r\n");
        EXPECT_FALSE(std::filesystem::exists("out.gx")) << c.message;
    }
}

TEST_F(LoaderTest, ListingNamesUnresolvedUsesAndCrossReferences)
{
    ObjectModule a{"hello.a", Nibbles("0000000000"), {}, {}, {"hello.s"}, {{0, 0, 7}, {5, 0, 9}}};
    a.relocations = {Field(0, RelocationBase::Symbol, "NOPE"),
                     Field(5, RelocationBase::Symbol, "NOPE")};
    WriteModule("a.o", a);
    Write("load.m", "OU out.gx\r\nLL out.lr\r\nRE a.o\r\n");
    EXPECT_EQ(Run("load.m"), 1);
    EXPECT_NE(Read("out.lr").find("  NOPE            used at hello.s line 7, hello.s line 9\r\n"),
              std::string::npos)
        << Read("out.lr");

    // At a fixed address, addresses inside the load are known: absolute references work.
    a.relocations = {Field(0, RelocationBase::Module, "", 3),
                     Field(5, RelocationBase::Symbol, "DUP", 0, true, FieldCheck::Signed)};
    WriteModule("a.o", a);
    Write("t.txt", "DUP #80002\n");
    Write("load.m", "AB 80000\r\nOU out.gx\r\nLL out.lr\r\nSE t.txt\r\nRE a.o\r\n");
    EXPECT_EQ(Run("load.m"), 0) << m_transcript;
    EXPECT_EQ(Read("out.gx"), std::string("\x03\x00\xD8\xFF\xFF", 5));
    EXPECT_NE(Read("out.lr").find("  80002  DUP             hello.s line 9\r\n"), std::string::npos)
        << Read("out.lr");
}

TEST(FieldValueFits, EdgesOfEachCheck)
{
    EXPECT_TRUE(FieldValueFits(0xFF, 2, FieldCheck::Fits));
    EXPECT_TRUE(FieldValueFits(-0x80, 2, FieldCheck::Fits));
    EXPECT_FALSE(FieldValueFits(0x100, 2, FieldCheck::Fits));
    EXPECT_FALSE(FieldValueFits(0x80, 2, FieldCheck::Signed));
    EXPECT_TRUE(FieldValueFits(-0x80, 2, FieldCheck::Signed));
    EXPECT_FALSE(FieldValueFits(0, 2, FieldCheck::SignedNonZero));
    EXPECT_TRUE(FieldValueFits(0x12345678, 1, FieldCheck::Truncate));
    EXPECT_TRUE(FieldValueFits(0xFFFFFFFF, 8, FieldCheck::Fits));
}

} // namespace
