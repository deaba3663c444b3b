// Nibble reads, writes, seeks, the marker and the file classes underneath, case by case.
#include "NibbleFile.h"
#include "NibbleTestSupport.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

using namespace nibbletest;

namespace {

class NibbleFileTest : public ::testing::Test
{
protected:
    // A file holding bytes, opened with mode.
    std::string Make(const Bytes& bytes)
    {
        std::string strName(1, 'f');
        strName += std::to_string(m_nFiles++);
        std::string strPath = m_dir.File(strName);
        WriteFileBytes(strPath, bytes);
        return strPath;
    }

    TempDir m_dir;
    int m_nFiles = 0;
};

TEST_F(NibbleFileTest, ReadsAWordAtAnEvenAndAnOddPosition)
{
    CNibbleFile even(Make({0x2C, 0x2A, 0x00}), 0);
    unsigned char buf[4] = {0xEE, 0xEE, 0xEE, 0xEE};
    EXPECT_EQ(even.ReadNibbles(buf, 5), 5);
    EXPECT_EQ(buf[0], 0x2C);
    EXPECT_EQ(buf[1], 0x2A);
    EXPECT_EQ(buf[2], 0x00); // the high half past the fifth nibble is cleared
    EXPECT_EQ(buf[3], 0xEE);
    EXPECT_EQ(even.FilePos(), 5u);

    CNibbleFile odd(Make({0xC0, 0xA2, 0x02}), 0);
    odd.Seek(1);
    std::uint32_t nValue = 0;
    EXPECT_EQ(odd.ReadNibbleWord(&nValue, 5), 5);
    EXPECT_EQ(nValue, 0x02A2Cu);
    EXPECT_EQ(odd.FilePos(), 6u);
}

TEST_F(NibbleFileTest, ReadAtAnOddPositionPacksFromByteZero)
{
    CNibbleFile file(Make({0x21, 0x43, 0x65}), 0);
    file.Seek(1);
    unsigned char buf[3] = {0xEE, 0xEE, 0xEE};
    EXPECT_EQ(file.ReadNibbles(buf, 3), 3);
    EXPECT_EQ(buf[0], 0x32);
    EXPECT_EQ(buf[1], 0x04);
    EXPECT_EQ(buf[2], 0xEE);
    EXPECT_EQ(file.FilePos(), 4u);
    EXPECT_EQ(file.GetPosition(), 2u);

    // An even count at an odd position clears the byte just past the data.
    file.Seek(1);
    EXPECT_EQ(file.ReadNibbles(buf, 2), 2);
    EXPECT_EQ(buf[0], 0x32);
    EXPECT_EQ(buf[1], 0x00);
    EXPECT_EQ(file.GetPosition(), 1u);

    // An even count at an even position leaves that byte alone.
    buf[1] = 0xEE;
    file.Seek(2);
    EXPECT_EQ(file.ReadBytes(buf, 1), 2);
    EXPECT_EQ(buf[0], 0x43);
    EXPECT_EQ(buf[1], 0xEE);
}

TEST_F(NibbleFileTest, ReadPastTheEndThrowsAndMovesNothing)
{
    CNibbleFile file(Make({0x21, 0x43}), 0);
    unsigned char buf[4] = {0xEE, 0xEE, 0xEE, 0xEE};
    file.Seek(3);
    EXPECT_EQ(file.ReadNibbles(buf, 1), 1);
    EXPECT_EQ(buf[0], 0x04);
    EXPECT_EQ(file.FilePos(), 4u);

    buf[0] = 0xEE;
    try {
        file.ReadNibbles(buf, 1);
        FAIL() << "no exception";
    } catch (CNibbleFileException& e) {
        EXPECT_EQ(e.GetErrorCode(), 0);
        EXPECT_EQ(e.GetErrorName(), "Read past end of file");
    }
    EXPECT_EQ(file.FilePos(), 4u);
    EXPECT_EQ(file.GetPosition(), 2u);
    EXPECT_EQ(buf[0], 0xEE);

    file.Seek(1);
    EXPECT_THROW(file.ReadNibbles(buf, 4), CNibbleFileException);
    EXPECT_EQ(file.FilePos(), 1u);
    std::uint32_t nValue = 99;
    EXPECT_THROW(file.ReadNibbleWord(&nValue, 5), CNibbleFileException);
    EXPECT_EQ(nValue, 0u);
}

TEST_F(NibbleFileTest, EndCheckDividesSignedTowardZero)
{
    // (0 + 0 - 1) / 2 is 0, not 0x7FFFFFFF: an empty read at the start fails only on an
    // empty file.
    unsigned char buf[2] = {0xEE, 0xEE};
    CNibbleFile empty(Make({}), 0);
    EXPECT_THROW(empty.ReadNibbles(buf, 0), CNibbleFileException);
    CNibbleFile one(Make({0x21}), 0);
    EXPECT_EQ(one.ReadNibbles(buf, 0), 0);
    EXPECT_EQ(buf[0], 0xEE);
    EXPECT_EQ(one.FilePos(), 0u);
}

TEST_F(NibbleFileTest, ReadsAtWrappedPositionsFail)
{
    CNibbleFile file(Make({0x21, 0x43, 0x65, 0x87}), 0);
    unsigned char buf[8] = {};
    file.Seek(3);
    file.SeekRel(5, 0);
    EXPECT_EQ(file.FilePos(), 0xFFFFFFFEu);
    // The end check sees (0xFFFFFFFE + 5 - 1) wrap to a small byte number, yet the data
    // lies 2 GiB into the file.
    EXPECT_THROW(file.ReadNibbles(buf, 5), CNibbleFileException);
    EXPECT_EQ(file.FilePos(), 0xFFFFFFFEu);
    file.Seek(0x80000001);
    EXPECT_THROW(file.ReadNibbles(buf, 1), CNibbleFileException);
    EXPECT_EQ(file.GetPosition(), 0x40000000u);
}

TEST_F(NibbleFileTest, SeekRelWrapsAt32Bits)
{
    CNibbleFile file(Make({0x21}), 0);
    file.Seek(3);
    file.SeekRel(5, 0);
    EXPECT_EQ(file.FilePos(), 0xFFFFFFFEu);
    file.SeekRel(7, 1);
    EXPECT_EQ(file.FilePos(), 5u);
    EXPECT_EQ(file.GetPosition(), 2u);
}

TEST_F(NibbleFileTest, SingleNibbleWritesMergeIntoOneByte)
{
    std::string strPath = m_dir.File("new");
    {
        CNibbleFile file(strPath, 0x1002);
        unsigned char a = 0x0A;
        unsigned char b = 0xFB; // only the low half is written
        file.WriteNibbles(&a, 1);
        EXPECT_EQ(file.GetPosition(), 0u);
        file.WriteNibbles(&b, 1);
        EXPECT_EQ(file.FilePos(), 2u);
        EXPECT_EQ(file.GetPosition(), 1u);
    }
    EXPECT_EQ(ReadFileBytes(strPath), Bytes{0xBA});

    std::string strOld = Make({0x21, 0x43});
    {
        CNibbleFile file(strOld, 0x0002);
        unsigned char c = 0x0C;
        file.Seek(1);
        file.WriteNibbles(&c, 1);
    }
    EXPECT_EQ(ReadFileBytes(strOld), (Bytes{0xC1, 0x43}));
}

TEST_F(NibbleFileTest, WriteAtAnOddPositionKeepsTheNibblesAround)
{
    std::string strPath = Make({0x10, 0x32, 0x54, 0x76});
    unsigned char data[2] = {0xBA, 0xDC};
    {
        CNibbleFile file(strPath, 0x0002);
        file.Seek(1);
        EXPECT_EQ(file.WriteNibbles(data, 4), 4);
        EXPECT_EQ(file.FilePos(), 5u);
        EXPECT_EQ(file.GetPosition(), 2u);
    }
    EXPECT_EQ(ReadFileBytes(strPath), (Bytes{0xA0, 0xCB, 0x5D, 0x76}));
    EXPECT_EQ(data[0], 0xBA); // the caller's buffer is left as it was
    EXPECT_EQ(data[1], 0xDC);

    // An odd count at an even position keeps the high half of the last byte.
    {
        CNibbleFile file(strPath, 0x0002);
        file.Seek(4);
        unsigned char d = 0xFE;
        file.WriteNibbles(&d, 1);
        EXPECT_EQ(file.GetPosition(), 2u);
    }
    EXPECT_EQ(ReadFileBytes(strPath), (Bytes{0xA0, 0xCB, 0x5E, 0x76}));
}

TEST_F(NibbleFileTest, WritesExtendTheFile)
{
    std::string strPath = m_dir.File("grow");
    CNibbleFile file(strPath, 0x1002);
    unsigned char data[3] = {0x21, 0x43, 0x65};
    file.Seek(5);
    file.WriteNibbles(data, 5);
    EXPECT_EQ(file.FilePos(), 10u);
    EXPECT_EQ(ReadFileBytes(strPath), (Bytes{0x00, 0x00, 0x10, 0x32, 0x54}));
    EXPECT_EQ(file.GetLength(), 5u);
}

TEST_F(NibbleFileTest, ConsecutiveWritesMatchOneWrite)
{
    const Nibbles nibbles = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13};
    for (std::uint32_t nStart = 0; nStart < 3; ++nStart) {
        for (std::uint32_t nStep = 1; nStep < 5; ++nStep) {
            std::string strWhole = Make(Bytes(10, 0x77));
            std::string strPieces = Make(Bytes(10, 0x77));
            {
                CNibbleFile whole(strWhole, 0x0002);
                whole.Seek(nStart);
                Bytes packed = Pack(nibbles);
                whole.WriteNibbles(packed.data(), std::uint32_t(nibbles.size()));
                CNibbleFile pieces(strPieces, 0x0002);
                pieces.Seek(nStart);
                for (std::size_t i = 0; i < nibbles.size(); i += nStep) {
                    Nibbles part(nibbles.begin() + i,
                                 nibbles.begin() + std::min(i + nStep, nibbles.size()));
                    Bytes p = Pack(part);
                    pieces.WriteNibbles(p.data(), std::uint32_t(part.size()));
                }
            }
            EXPECT_EQ(ReadFileBytes(strWhole), ReadFileBytes(strPieces))
                << "start " << nStart << " step " << nStep;
        }
    }
}

TEST_F(NibbleFileTest, MarkerOffsets)
{
    CNibbleFile file(Make(Bytes(20, 0x5A)), 0);
    file.Seek(12);
    file.SetMarker(0xFFFFFFFF);
    EXPECT_EQ(file.GetMarker(), 12u);
    unsigned char buf[4];
    for (int i = 0; i < 3; ++i) {
        file.ReadNibbles(buf, 5);
    }
    EXPECT_EQ(file.GetMarkerOffset(0xFFFFFFFF), 15);
    EXPECT_EQ(file.GetMarkerOffset(10), -2);
    EXPECT_EQ(file.GetMarker(), 12u); // reads leave the marker alone

    file.SeekToMarker();
    EXPECT_EQ(file.FilePos(), 12u);
    EXPECT_EQ(file.GetPosition(), 6u);
    file.SetMarker(0x80000000);
    EXPECT_EQ(file.GetMarkerOffset(0), std::numeric_limits<std::int32_t>::min());
}

TEST_F(NibbleFileTest, NibbleWords)
{
    std::string strPath = m_dir.File("words");
    CNibbleFile file(strPath, 0x1002);
    file.Seek(1);
    EXPECT_EQ(file.WriteNibbleWord(0x89ABCDEF, 8), 8);
    EXPECT_EQ(file.WriteNibbleWord(0x12345, 3), 3); // only the low 3 nibbles
    EXPECT_EQ(file.FilePos(), 12u);
    file.Seek(1);
    std::uint32_t nValue = 0;
    EXPECT_EQ(file.ReadNibbleWord(&nValue, 8), 8);
    EXPECT_EQ(nValue, 0x89ABCDEFu);
    EXPECT_EQ(file.ReadNibbleWord(&nValue, 3), 3);
    EXPECT_EQ(nValue, 0x345u);
    file.Seek(9);
    EXPECT_EQ(file.ReadNibbleWord(&nValue, 1), 1);
    EXPECT_EQ(nValue, 0x5u);
    EXPECT_EQ(ReadFileBytes(strPath), (Bytes{0xF0, 0xDE, 0xBC, 0x9A, 0x58, 0x34}));

    // Wider fields keep the low 8 nibbles; the value has nothing above them.
    file.Seek(1);
    EXPECT_EQ(file.ReadNibbleWord(&nValue, 10), 10);
    EXPECT_EQ(nValue, 0x89ABCDEFu);
    file.Seek(2);
    EXPECT_EQ(file.WriteNibbleWord(0x87654321, 9), 9);
    EXPECT_EQ(ReadFileBytes(strPath), (Bytes{0xF0, 0x21, 0x43, 0x65, 0x87, 0x30}));
}

TEST_F(NibbleFileTest, BytesCountInNibbles)
{
    std::string strPath = m_dir.File("bytes");
    CNibbleFile file(strPath, 0x1002);
    unsigned char out[3] = {0x12, 0x34, 0x56};
    file.Seek(1);
    EXPECT_EQ(file.WriteBytes(out, 3), 6);
    EXPECT_EQ(file.FilePos(), 7u);
    file.Seek(1);
    unsigned char in[4] = {};
    EXPECT_EQ(file.ReadBytes(in, 3), 6);
    EXPECT_EQ(Bytes(in, in + 3), Bytes(out, out + 3));
    EXPECT_EQ(in[3], 0);
}

TEST(NibbleFileExceptionTest, CodesAndNames)
{
    CNibbleFileException e;
    EXPECT_EQ(e.GetErrorCode(), 0);
    EXPECT_EQ(e.GetErrorName(), "Read past end of file");
    e.SetErrorCode(1);
    EXPECT_EQ(e.GetErrorName(), "Invalid object");
    CNibbleFileException copy(e);
    EXPECT_EQ(copy.GetErrorCode(), 1);
    e.SetErrorCode(7);
    EXPECT_EQ(e.GetErrorName(), "Unknown error");
    e.SetErrorCode(-1);
    EXPECT_EQ(e.GetErrorName(), "Unknown error");
    const CException& base = e;
    EXPECT_EQ(base.GetErrorMessage(), "Unknown error");
}

TEST_F(NibbleFileTest, OpenModes)
{
    std::string strMissing = m_dir.File("missing");
    try {
        CNibbleFile file(strMissing, 0);
        FAIL() << "opened a missing file";
    } catch (CFileException& e) {
        EXPECT_EQ(e.GetErrno(), ENOENT);
        EXPECT_EQ(e.GetFileName(), strMissing);
        EXPECT_EQ(e.GetErrorMessage(), strMissing + ": No such file or directory");
    }

    // 0x1002 creates, then truncates.
    {
        CNibbleFile file(strMissing, 0x1002);
    }
    EXPECT_TRUE(ReadFileBytes(strMissing).empty());
    WriteFileBytes(strMissing, {1, 2, 3});
    {
        CNibbleFile file(strMissing, 0x1002);
        EXPECT_EQ(file.GetLength(), 0u);
    }

    // modeNoTruncate keeps the contents; modeWrite alone cannot read.
    WriteFileBytes(strMissing, {1, 2, 3});
    {
        CFile file(strMissing, CFile::modeCreate | CFile::modeNoTruncate | CFile::modeWrite);
        EXPECT_EQ(file.GetLength(), 3u);
        unsigned char b = 0;
        EXPECT_THROW(file.Read(&b, 1), CFileException);
        file.Seek(0, CFile::end);
        file.Write("\x04", 1);
    }
    EXPECT_EQ(ReadFileBytes(strMissing), (Bytes{1, 2, 3, 4}));

    // A read-only file refuses writes with the system's error.
    CNibbleFile readOnly(strMissing, 0);
    unsigned char d = 0x0F;
    try {
        readOnly.WriteNibbles(&d, 2);
        FAIL() << "wrote to a read-only file";
    } catch (CFileException& e) {
        EXPECT_EQ(e.GetErrno(), EBADF);
    }
    EXPECT_EQ(ReadFileBytes(strMissing), (Bytes{1, 2, 3, 4}));
    // A failed write leaves the position and the byte pointer as they were.
    readOnly.Seek(3);
    EXPECT_THROW(readOnly.WriteNibbles(&d, 2), CFileException);
    EXPECT_EQ(readOnly.FilePos(), 3u);
    EXPECT_EQ(readOnly.GetPosition(), 1u);

    // A folder is no file.
    try {
        CNibbleFile folder(m_dir.File(""), 0);
        FAIL() << "opened a folder";
    } catch (CFileException& e) {
        EXPECT_EQ(e.GetErrno(), EISDIR);
    }
}

TEST_F(NibbleFileTest, WriteThatTheSystemStopsHalfway)
{
    // A file size limit lets the system write the first part of a write and refuse the
    // rest: the write fails, and what did reach the file is what reads and the length see.
    std::string strPath = m_dir.File("limited");
    CNibbleFile file(strPath, 0x1002);
    Bytes first(50, 0x11);
    file.WriteBytes(first.data(), 50);
    Bytes second(40, 0x22);
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit limited = old;
    limited.rlim_cur = 60;
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    file.Seek(80);
    try {
        file.WriteBytes(second.data(), 40);
        ADD_FAILURE() << "wrote past the size limit";
    } catch (CFileException& e) {
        EXPECT_EQ(e.GetErrno(), EFBIG);
    }
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    Bytes expected(60, 0x22);
    std::fill_n(expected.begin(), 40, 0x11);
    EXPECT_EQ(ReadFileBytes(strPath), expected);
    EXPECT_EQ(file.GetLength(), 60u);
    EXPECT_EQ(file.FilePos(), 80u);
    file.Seek(0);
    Bytes actual(61, 0xEE);
    file.ReadBytes(actual.data(), 60);
    actual.pop_back();
    EXPECT_EQ(actual, expected);
    EXPECT_THROW(file.ReadNibbles(actual.data(), 1), CNibbleFileException);
}

TEST_F(NibbleFileTest, PipesAreReadThroughTheirDescriptor)
{
    // A pipe has no position: it reads in order, and a seek fails where it is asked for.
    int aPipe[2];
    ASSERT_EQ(pipe(aPipe), 0);
    ASSERT_EQ(write(aPipe[1], "\x21\x43", 2), 2);
    // Opened while the writing end is still open, so that the open does not wait.
    CFile file("/proc/self/fd/" + std::to_string(aPipe[0]), 0);
    close(aPipe[0]);
    close(aPipe[1]);
    unsigned char buf[4] = {};
    EXPECT_EQ(file.Read(buf, 1), 1u);
    EXPECT_EQ(buf[0], 0x21);
    try {
        file.Seek(0, CFile::begin);
        ADD_FAILURE() << "sought in a pipe";
    } catch (CFileException& e) {
        EXPECT_EQ(e.GetErrno(), ESPIPE);
    }
    EXPECT_EQ(file.Read(buf, 4), 1u);
    EXPECT_EQ(buf[0], 0x43);
    EXPECT_EQ(file.Read(buf, 4), 0u);
}

TEST_F(NibbleFileTest, FileExceptionsAreCExceptions)
{
    try {
        CNibbleFile file(m_dir.File("no/such/dir"), 0x1002);
        FAIL() << "created a file in a missing folder";
    } catch (CException& e) {
        EXPECT_NE(dynamic_cast<CFileException*>(&e), nullptr);
        EXPECT_NE(e.GetErrorMessage().find("No such file or directory"), std::string::npos);
    }
    CFile file(Make({1}), 0);
    EXPECT_THROW(file.Seek(-5, CFile::begin), CFileException);
}

} // namespace
