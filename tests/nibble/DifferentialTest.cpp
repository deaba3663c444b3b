// Long random sequences of nibble operations, run on a real file and on a model that
// keeps the file as a plain vector of nibbles. Returned buffers, results, positions,
// the marker, the byte pointer and the file's bytes must agree after every step.
#include "NibbleFile.h"
#include "NibbleTestSupport.h"

#include <gtest/gtest.h>
#include <optional>
#include <random>

using namespace nibbletest;

namespace {

// The file as nibbles, two to a byte: the file always holds an even number of them.
class Model
{
public:
    explicit Model(const Bytes& bytes) : m_nibbles(Unpack(bytes)) {}

    std::uint32_t m_nPos = 0;
    std::uint32_t m_nMarker = 0;

    Bytes FileBytes() const { return Pack(m_nibbles); }
    std::size_t Length() const { return m_nibbles.size() / 2; }

    // Fills buffer as a read does; false when the read fails (nothing changes then).
    bool Read(Bytes& buffer, std::uint32_t nCount)
    {
        const std::int32_t nLast = static_cast<std::int32_t>(m_nPos + nCount - 1) / 2;
        if (nLast >= static_cast<std::int64_t>(Length())) {
            return false;
        }
        // Every nibble asked for, and the one that shares the last byte, must exist.
        const std::uint64_t nEnd = std::uint64_t(m_nPos) + nCount;
        if (nCount > 0 && nEnd + (nEnd & 1) > m_nibbles.size()) {
            return false;
        }
        if (nCount == 0 && (m_nPos & 1) && m_nPos >= m_nibbles.size()) {
            return false;
        }
        for (std::uint32_t i = 0; i < nCount; ++i) {
            unsigned char& b = buffer[i / 2];
            const int nShift = 4 * (i & 1);
            b = static_cast<unsigned char>((b & ~(0x0F << nShift)) |
                                           (m_nibbles[m_nPos + i] << nShift));
        }
        if (nCount & 1) {
            buffer[nCount / 2] &= 0x0F;
        } else if (m_nPos & 1) {
            buffer[nCount / 2] = 0;
        }
        m_nPos += nCount;
        return true;
    }

    void Write(const Bytes& buffer, std::uint32_t nCount)
    {
        // The bytes a write touches come into being, zero where nothing was written.
        const std::uint64_t nEnd = std::uint64_t(m_nPos) + nCount;
        if (nCount > 0 || (m_nPos & 1)) {
            const std::uint64_t nWanted = nEnd + ((nEnd & 1) || nCount == 0 ? 1 : 0);
            if (nWanted > m_nibbles.size()) {
                m_nibbles.resize(nWanted, 0);
            }
        }
        for (std::uint32_t i = 0; i < nCount; ++i) {
            m_nibbles[m_nPos + i] = NibbleAt(buffer, i);
        }
        m_nPos += nCount;
    }

private:
    Nibbles m_nibbles;
};

class Runner
{
public:
    // nLongCount: the longest transfer, in nibbles.
    Runner(const std::string& strPath, const Bytes& initial, std::uint32_t nSeed,
           std::uint32_t nLongCount = 600)
        : m_strPath(strPath), m_model(initial), m_random(nSeed), m_nLongCount(nLongCount)
    {
        WriteFileBytes(strPath, initial);
        m_file.emplace(strPath, 0x0002);
    }

    void Run(int nSteps)
    {
        for (m_nStep = 0; m_nStep < nSteps; ++m_nStep) {
            Step();
            ASSERT_EQ(m_file->FilePos(), m_model.m_nPos) << Where();
            ASSERT_EQ(m_file->GetMarker(), m_model.m_nMarker) << Where();
            ASSERT_EQ(m_file->GetPosition(), m_model.m_nPos / 2) << Where();
            ASSERT_EQ(m_file->GetLength(), m_model.Length()) << Where();
            if (m_nStep % 64 == 0) {
                ASSERT_EQ(ReadFileBytes(m_strPath), m_model.FileBytes()) << Where();
            }
        }
        ASSERT_EQ(ReadFileBytes(m_strPath), m_model.FileBytes()) << Where();
        ASSERT_EQ(m_file->GetLength(), m_model.Length());
    }

private:
    std::string Where() const { return "step " + std::to_string(m_nStep) + ": " + m_strOp; }

    std::uint32_t Pick(std::uint32_t nMax)
    {
        return std::uniform_int_distribution<std::uint32_t>(0, nMax)(m_random);
    }

    // Mostly short counts, now and then a long one.
    std::uint32_t Count() { return Pick(9) == 0 ? Pick(m_nLongCount) : Pick(20); }

    // Positions around the data, a little past its end too.
    std::uint32_t Position() { return Pick(std::uint32_t(2 * m_model.Length() + 12)); }

    Bytes Noise(std::size_t nSize)
    {
        Bytes bytes(nSize);
        for (auto& b : bytes) {
            b = static_cast<unsigned char>(Pick(255));
        }
        return bytes;
    }

    // Reads and writes run only near the data; a wrapped position is read once (it
    // must fail) and then left.
    bool FarOff() const { return m_model.m_nPos > 2 * m_model.Length() + 64; }

    void Step()
    {
        const std::uint32_t nKind = Pick(13);
        if (FarOff() && nKind <= 7) {
            m_strOp = "read far off";
            CheckRead(Count(), false);
            const std::uint32_t nPos = Position();
            m_file->Seek(nPos);
            m_model.m_nPos = nPos;
            return;
        }
        switch (nKind) {
        case 0:
        case 1:
            m_strOp = "ReadNibbles";
            CheckRead(Count(), false);
            break;
        case 2:
            m_strOp = "ReadBytes";
            CheckRead(Pick(12), true);
            break;
        case 3:
        case 4: {
            const std::uint32_t nCount = Count();
            m_strOp = "WriteNibbles " + std::to_string(nCount);
            Bytes data = Noise(nCount / 2 + 1);
            const Bytes copy = data;
            ASSERT_EQ(m_file->WriteNibbles(data.data(), nCount), int(nCount));
            ASSERT_EQ(data, copy);
            m_model.Write(data, nCount);
            break;
        }
        case 5: {
            const std::uint32_t nCount = Pick(12);
            m_strOp = "WriteBytes " + std::to_string(nCount);
            Bytes data = Noise(nCount + 1);
            ASSERT_EQ(m_file->WriteBytes(data.data(), nCount), int(2 * nCount));
            m_model.Write(data, 2 * nCount);
            break;
        }
        case 6: {
            const std::uint32_t nWidth = 1 + Pick(7);
            m_strOp = "ReadNibbleWord " + std::to_string(nWidth);
            std::uint32_t nValue = 0xDEADBEEF;
            Bytes expected(5, 0);
            const bool bOk = m_model.Read(expected, nWidth);
            if (bOk) {
                ASSERT_EQ(m_file->ReadNibbleWord(&nValue, nWidth), int(nWidth));
                ASSERT_EQ(nValue, std::uint32_t(expected[0] | expected[1] << 8 | expected[2] << 16 |
                                                expected[3] << 24));
            } else {
                ASSERT_THROW(m_file->ReadNibbleWord(&nValue, nWidth), CNibbleFileException);
                ASSERT_EQ(nValue, 0u);
            }
            break;
        }
        case 7: {
            const std::uint32_t nWidth = 1 + Pick(7);
            const std::uint32_t nValue = Pick(0xFFFFFFFF);
            m_strOp = "WriteNibbleWord " + std::to_string(nWidth);
            ASSERT_EQ(m_file->WriteNibbleWord(nValue, nWidth), int(nWidth));
            m_model.Write(Bytes{static_cast<unsigned char>(nValue),
                                static_cast<unsigned char>(nValue >> 8),
                                static_cast<unsigned char>(nValue >> 16),
                                static_cast<unsigned char>(nValue >> 24), 0},
                          nWidth);
            break;
        }
        case 8: {
            const std::uint32_t nPos = Position();
            m_strOp = "Seek " + std::to_string(nPos);
            m_file->Seek(nPos);
            m_model.m_nPos = nPos;
            break;
        }
        case 9: {
            // Backward steps may wrap below 0.
            const std::uint32_t nDistance = Pick(30);
            const int bForward = int(Pick(1));
            m_strOp = "SeekRel " + std::to_string(nDistance) + (bForward ? " +" : " -");
            m_file->SeekRel(nDistance, bForward);
            m_model.m_nPos = bForward ? m_model.m_nPos + nDistance : m_model.m_nPos - nDistance;
            break;
        }
        case 10: {
            const std::uint32_t nPos = Pick(1) ? 0xFFFFFFFF : Position();
            m_strOp = "SetMarker";
            m_file->SetMarker(nPos);
            m_model.m_nMarker = nPos == 0xFFFFFFFF ? m_model.m_nPos : nPos;
            break;
        }
        case 11:
            m_strOp = "SeekToMarker";
            m_file->SeekToMarker();
            m_model.m_nPos = m_model.m_nMarker;
            break;
        default: {
            const std::uint32_t nPos = Pick(1) ? 0xFFFFFFFF : Position();
            m_strOp = "GetMarkerOffset";
            const std::uint32_t nFrom = nPos == 0xFFFFFFFF ? m_model.m_nPos : nPos;
            ASSERT_EQ(m_file->GetMarkerOffset(nPos),
                      static_cast<std::int32_t>(nFrom - m_model.m_nMarker));
            break;
        }
        }
    }

    void CheckRead(std::uint32_t nCount, bool bBytes)
    {
        const std::uint32_t nNibbles = bBytes ? 2 * nCount : nCount;
        m_strOp += " " + std::to_string(nNibbles) + " at " + std::to_string(m_model.m_nPos);
        // Both buffers start with the same noise: bytes the read must not touch stay.
        Bytes actual = Noise(nNibbles / 2 + 2);
        Bytes expected = actual;
        const Bytes before = actual;
        const bool bOk = m_model.Read(expected, nNibbles);
        if (bOk) {
            const int nResult = bBytes ? m_file->ReadBytes(actual.data(), nCount)
                                       : m_file->ReadNibbles(actual.data(), nCount);
            ASSERT_EQ(nResult, int(nNibbles)) << Where();
            ASSERT_EQ(actual, expected) << Where();
        } else {
            try {
                if (bBytes) {
                    m_file->ReadBytes(actual.data(), nCount);
                } else {
                    m_file->ReadNibbles(actual.data(), nCount);
                }
                FAIL() << "no exception, " << Where();
            } catch (CNibbleFileException& e) {
                ASSERT_EQ(e.GetErrorCode(), 0);
            }
            // A read that the end check stops leaves the buffer alone.
            const std::int32_t nLast = static_cast<std::int32_t>(m_model.m_nPos + nNibbles - 1) / 2;
            if (nLast >= static_cast<std::int64_t>(m_model.Length())) {
                ASSERT_EQ(actual, before) << Where();
            }
        }
    }

    std::string m_strPath;
    Model m_model;
    std::mt19937 m_random;
    std::uint32_t m_nLongCount;
    std::optional<CNibbleFile> m_file;
    int m_nStep = 0;
    std::string m_strOp;
};

TEST(NibbleDifferentialTest, RandomOperationsAgreeWithTheModel)
{
    TempDir dir;
    for (std::uint32_t nSeed = 1; nSeed <= 12; ++nSeed) {
        SCOPED_TRACE("seed " + std::to_string(nSeed));
        std::mt19937 random(nSeed * 7919);
        Bytes initial(random() % 40);
        for (auto& b : initial) {
            b = static_cast<unsigned char>(random());
        }
        Runner runner(dir.File("diff" + std::to_string(nSeed)), initial, nSeed);
        runner.Run(4000);
        if (HasFatalFailure()) {
            return;
        }
    }
}

TEST(NibbleDifferentialTest, RandomOperationsOnFilesOfManyPages)
{
    // Files of tens of kilobytes, read and written all over, with transfers from a nibble
    // to several kilobytes: the bytes kept in memory must always be the file's own.
    TempDir dir;
    for (std::uint32_t nSeed = 1; nSeed <= 8; ++nSeed) {
        SCOPED_TRACE("seed " + std::to_string(nSeed));
        std::mt19937 random(nSeed * 104729);
        Bytes initial(8000 + random() % 30000);
        for (auto& b : initial) {
            b = static_cast<unsigned char>(random());
        }
        Runner runner(dir.File("pages" + std::to_string(nSeed)), initial, nSeed, 24000);
        runner.Run(3000);
        if (HasFatalFailure()) {
            return;
        }
    }
}

TEST(NibbleDifferentialTest, LongTransfers)
{
    // Long writes at odd positions are realigned in slices of about 512 KiB, and 4 KiB of
    // a file's bytes are kept in memory: counts on and around both edges, into a file that
    // already holds data, and read back.
    TempDir dir;
    std::mt19937 random(99);
    const std::uint32_t kSlice = 2 * 512 * 1024; // in nibbles
    const std::uint32_t kPage = 2 * 4096;
    for (std::uint32_t nCount : {kPage - 3, kPage - 1, kPage, kPage + 1, kPage + 2, kSlice - 3,
                                 kSlice + 1, 2 * kSlice, 2 * kSlice - 1, 3 * kSlice + 5}) {
        for (std::uint32_t nPos : {1u, 2u, 7u}) {
            SCOPED_TRACE(std::to_string(nCount) + " nibbles at " + std::to_string(nPos));
            Bytes initial(kSlice);
            for (auto& b : initial) {
                b = static_cast<unsigned char>(random());
            }
            Bytes data(nCount / 2 + 1);
            for (auto& b : data) {
                b = static_cast<unsigned char>(random());
            }
            const std::string strPath = dir.File("long");
            WriteFileBytes(strPath, initial);
            Model model(initial);
            CNibbleFile file(strPath, 0x0002);
            file.Seek(nPos);
            model.m_nPos = nPos;
            ASSERT_EQ(file.WriteNibbles(data.data(), nCount), int(nCount));
            model.Write(data, nCount);
            ASSERT_EQ(ReadFileBytes(strPath), model.FileBytes());
            ASSERT_EQ(file.GetPosition(), (nPos + nCount) / 2);

            file.Seek(nPos);
            model.m_nPos = nPos;
            Bytes actual(nCount / 2 + 2, 0xEE);
            Bytes expected = actual;
            ASSERT_TRUE(model.Read(expected, nCount));
            ASSERT_EQ(file.ReadNibbles(actual.data(), nCount), int(nCount));
            ASSERT_EQ(actual, expected);
        }
    }
}

TEST(NibbleDifferentialTest, ModelMatchesTheDocumentedCases)
{
    // The model itself, on cases worked out by hand.
    Model model(Bytes{0xC0, 0xA2, 0x02});
    model.m_nPos = 1;
    Bytes buffer(4, 0xEE);
    ASSERT_TRUE(model.Read(buffer, 5));
    EXPECT_EQ(buffer, (Bytes{0x2C, 0x2A, 0x00, 0xEE}));
    EXPECT_FALSE(model.Read(buffer, 1));

    Model empty(Bytes{});
    empty.Write(Bytes{0x0A}, 1);
    empty.Write(Bytes{0x0B}, 1);
    EXPECT_EQ(empty.FileBytes(), Bytes{0xBA});
}

} // namespace
