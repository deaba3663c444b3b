// A client of libquorvex.so that sees nothing but the installed headers: it writes a
// binary download file holding a directory, reads it back with every exported member,
// and catches the library's exceptions across the library boundary.
#include <quorvex/NibbleFile.h>

#include <cerrno>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

namespace {

std::string TempName(const char* pszName)
{
    const char* pszDir = std::getenv("TMPDIR");
    return std::string(pszDir ? pszDir : "/tmp") + "/quorvex-api-" + std::to_string(getpid()) +
           "-" + pszName;
}

TEST(ExportedApiTest, WritesAndWalksADownloadFile)
{
    const std::string strPath = TempName("dir");
    std::uint32_t nEnd = 0;
    {
        CNibbleFile out(strPath, 0x1002);
        unsigned char header[] = "HPHP48-R";
        EXPECT_EQ(out.WriteBytes(header, 8), 16);
        out.WriteNibbleWord(0x02A96, 5); // a directory
        out.WriteNibbleWord(0x7FF, 3);
        out.SetMarker(0xFFFFFFFF);
        out.WriteNibbleWord(0, 5); // its last-entry offset, filled in below
        out.WriteNibbleWord(0, 5); // the first entry's link
        const std::int32_t nOffset = out.GetMarkerOffset(0xFFFFFFFF);
        unsigned char name[] = {'X'};
        out.WriteNibbleWord(1, 2);
        out.WriteBytes(name, 1);
        out.WriteNibbleWord(1, 2);
        out.WriteNibbleWord(0x02933, 5); // a real number
        unsigned char mantissa[] = {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x41, 0x03};
        EXPECT_EQ(out.WriteNibbles(mantissa, 16), 16);
        nEnd = out.FilePos();
        out.SeekToMarker();
        out.WriteNibbleWord(std::uint32_t(nOffset), 5);
        EXPECT_EQ(out.GetMarker(), 24u);
    }

    CNibbleFile in(strPath, 0);
    unsigned char header[9] = {};
    EXPECT_EQ(in.ReadBytes(header, 6), 12);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(header)), "HPHP48");
    in.SeekRel(4, 1);
    EXPECT_EQ(in.FilePos(), 16u);
    EXPECT_EQ(in.SkipOb(), int(nEnd - 16));
    EXPECT_EQ(in.FilePos(), nEnd);
    in.Seek(16);
    const std::uint32_t nCrc = in.CRCOb();
    EXPECT_LE(nCrc, 0xFFFFu);
    EXPECT_EQ(in.GetMarker(), 16u);
    in.SeekRel(nEnd - 16, 0);
    EXPECT_EQ(in.CRCOb(), nCrc);

    in.Seek(16 + 13 + 5 + 6);
    std::uint32_t nProlog = 0;
    EXPECT_EQ(in.ReadNibbleWord(&nProlog, 5), 5);
    EXPECT_EQ(nProlog, 0x02933u);
    unsigned char buf[9] = {};
    EXPECT_EQ(in.ReadNibbles(buf, 16), 16);
    EXPECT_EQ(buf[6], 0x41);

    try {
        in.ReadNibbles(buf, 2); // the last nibble and the unused half behind it
        FAIL() << "read past the end";
    } catch (CNibbleFileException& e) {
        CNibbleFileException copy(e);
        EXPECT_EQ(copy.GetErrorCode(), 0);
        EXPECT_EQ(copy.GetErrorName(), "Read past end of file");
        copy.SetErrorCode(1);
        EXPECT_EQ(copy.GetErrorName(), "Invalid object");
    }
    unlink(strPath.c_str());
}

TEST(ExportedApiTest, FileErrorsCrossTheLibraryBoundary)
{
    const std::string strPath = TempName("missing");
    try {
        CNibbleFile file(strPath, 0);
        FAIL() << "opened a missing file";
    } catch (CFileException& e) {
        EXPECT_EQ(e.GetErrno(), ENOENT);
        EXPECT_EQ(e.GetErrorMessage(), strPath + ": No such file or directory");
    }
    try {
        CNibbleFile file(strPath, 0);
    } catch (CException& e) {
        EXPECT_FALSE(e.GetErrorMessage().empty());
    }
    try {
        throw CNibbleFileException();
    } catch (CException& e) {
        EXPECT_EQ(e.GetErrorMessage(), "Read past end of file");
    }
}

} // namespace
