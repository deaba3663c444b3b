// Nibble-addressed file access: positions, the marker, nibble reads and writes that
// realign data at odd positions, and nibble words.
#include "NibbleFile.h"

#include <cstring>
#include <memory>
#include <vector>

CNibbleFileException::~CNibbleFileException() = default;

CString CNibbleFileException::GetErrorName() const
{
    switch (m_nErrorCode) {
    case readPastEnd:
        return "Read past end of file";
    case invalidObject:
        return "Invalid object";
    default:
        return "Unknown error";
    }
}

namespace {

// Reads the byte at nOffset, 0 when it lies beyond the end of the file.
unsigned char ReadByteAt(CFile& file, std::uint64_t nOffset)
{
    unsigned char nByte = 0;
    file.Seek(static_cast<std::int64_t>(nOffset), CFile::begin);
    file.Read(&nByte, 1);
    return nByte;
}

// Bytes touched by nCount nibbles starting at an even or odd nibble.
std::uint32_t BytesSpanned(bool bOdd, std::uint32_t nCount)
{
    return nCount / 2 + ((bOdd || (nCount & 1)) ? 1 : 0);
}

} // namespace

CNibbleFile::CNibbleFile(CString strName, unsigned int nMode) : CFile(strName, nMode) {}

CNibbleFile::~CNibbleFile() = default;

void CNibbleFile::Seek(std::uint32_t nPos)
{
    m_nFilePos = nPos;
    CFile::Seek(nPos / 2, begin);
}

void CNibbleFile::SeekRel(std::uint32_t nDistance, int bForward)
{
    Seek(bForward ? m_nFilePos + nDistance : m_nFilePos - nDistance);
}

void CNibbleFile::SetMarker(std::uint32_t nPos)
{
    m_nMarker = nPos == 0xFFFFFFFF ? m_nFilePos : nPos;
}

void CNibbleFile::SeekToMarker()
{
    Seek(m_nMarker);
}

std::int32_t CNibbleFile::GetMarkerOffset(std::uint32_t nPos)
{
    if (nPos == 0xFFFFFFFF) {
        nPos = m_nFilePos;
    }
    return static_cast<std::int32_t>(nPos - m_nMarker);
}

int CNibbleFile::ReadNibbles(unsigned char* pBuffer, std::uint32_t nCount)
{
    const std::uint32_t nPos = m_nFilePos;
    // The byte that holds the last nibble, by a signed division that truncates toward
    // zero; it must lie inside the file before anything is read.
    const std::int32_t nLast = static_cast<std::int32_t>(nPos + nCount - 1) / 2;
    if (static_cast<std::int64_t>(nLast) >= static_cast<std::int64_t>(GetLength())) {
        throw CNibbleFileException(CNibbleFileException::readPastEnd);
    }

    const bool bOdd = nPos & 1;
    const std::uint32_t nBytes = BytesSpanned(bOdd, nCount);
    const std::uint32_t nGot = Read(pBuffer, nBytes);
    if (nGot != nBytes) {
        // Only a position that wrapped around 32 bits passes the check above and still
        // runs off the file; it is the same failure.
        CFile::Seek(-static_cast<std::int64_t>(nGot), current);
        throw CNibbleFileException(CNibbleFileException::readPastEnd);
    }

    if (bOdd) {
        // Realign by one nibble so that the data starts in the low half of byte 0.
        for (std::uint32_t i = 0; i + 1 < nBytes; ++i) {
            pBuffer[i] = static_cast<unsigned char>((pBuffer[i + 1] << 4) | (pBuffer[i] >> 4));
        }
        pBuffer[nBytes - 1] >>= 4;
        if (!(nCount & 1)) {
            // The last byte read holds the next nibble in its high half.
            pBuffer[nBytes - 1] = 0;
            CFile::Seek(-1, current);
        }
    } else if (nCount & 1) {
        CFile::Seek(-1, current);
        pBuffer[nBytes - 1] &= 0x0F;
    }

    m_nFilePos = nPos + nCount;
    if (m_nFilePos < nPos) {
        Seek(m_nFilePos);
    }
    return static_cast<int>(nCount);
}

int CNibbleFile::WriteNibbles(unsigned char* pBuffer, std::uint32_t nCount)
{
    const std::uint32_t nPos = m_nFilePos;
    const bool bOdd = nPos & 1;
    const std::uint32_t nBytes = nCount / 2 + (nCount & 1);
    const std::uint32_t nSpan = BytesSpanned(bOdd, nCount);
    // The last byte is only half covered when the write ends on an odd position.
    const bool bHalfTail = (nPos + nCount) & 1;

    if (!bOdd && !bHalfTail) {
        Write(pBuffer, nBytes);
    } else {
        // Half-covered bytes keep their other half as the file holds it (0 beyond the
        // end), so consecutive writes merge into the same bytes as one write.
        const std::uint64_t nStart = GetPosition();
        const unsigned char nHead = bOdd ? ReadByteAt(*this, nStart) : 0;
        unsigned char nTail = nHead;
        if (bHalfTail && !(bOdd && nSpan == 1)) {
            nTail = ReadByteAt(*this, nStart + nSpan - 1);
        }
        CFile::Seek(static_cast<std::int64_t>(nStart), begin);

        auto pWork = std::make_unique_for_overwrite<unsigned char[]>(nSpan);
        if (!bOdd) {
            std::memcpy(pWork.get(), pBuffer, nBytes);
            pWork[nSpan - 1] =
                static_cast<unsigned char>((pWork[nSpan - 1] & 0x0F) | (nTail & 0xF0));
        } else {
            if (nBytes > 0) {
                pWork[0] = static_cast<unsigned char>((pBuffer[0] << 4) | (nHead & 0x0F));
            }
            for (std::uint32_t k = 1; k < nBytes; ++k) {
                pWork[k] = static_cast<unsigned char>((pBuffer[k] << 4) | (pBuffer[k - 1] >> 4));
            }
            if (bHalfTail) {
                const unsigned char nLow = nBytes > 0 ? pBuffer[nBytes - 1] >> 4 : nHead & 0x0F;
                pWork[nBytes] = static_cast<unsigned char>((nTail & 0xF0) | nLow);
            }
        }
        Write(pWork.get(), nSpan);
    }
    if (bHalfTail) {
        CFile::Seek(-1, current);
    }

    m_nFilePos = nPos + nCount;
    if (m_nFilePos < nPos) {
        Seek(m_nFilePos);
    }
    return static_cast<int>(nCount);
}

int CNibbleFile::ReadBytes(unsigned char* pBuffer, std::uint32_t nCount)
{
    return ReadNibbles(pBuffer, 2 * nCount);
}

int CNibbleFile::WriteBytes(unsigned char* pBuffer, std::uint32_t nCount)
{
    return WriteNibbles(pBuffer, 2 * nCount);
}

// A nibble word travels as a little-endian 4-byte buffer. Reading needs one byte more,
// since a read at an odd position fills the byte just past the data; a field wider than
// 8 nibbles keeps only its low 8.
int CNibbleFile::ReadNibbleWord(std::uint32_t* pValue, std::uint32_t nWidth)
{
    *pValue = 0;
    unsigned char aWord[5] = {};
    std::vector<unsigned char> wide;
    unsigned char* pWord = aWord;
    if (nWidth > 8) {
        wide.resize(nWidth / 2 + 1);
        pWord = wide.data();
    }
    ReadNibbles(pWord, nWidth);
    *pValue = static_cast<std::uint32_t>(pWord[0]) | static_cast<std::uint32_t>(pWord[1]) << 8 |
              static_cast<std::uint32_t>(pWord[2]) << 16 |
              static_cast<std::uint32_t>(pWord[3]) << 24;
    return static_cast<int>(nWidth);
}

int CNibbleFile::WriteNibbleWord(std::uint32_t nValue, std::uint32_t nWidth)
{
    unsigned char aWord[5] = {};
    std::vector<unsigned char> wide;
    unsigned char* pWord = aWord;
    if (nWidth > 8) {
        wide.resize(nWidth / 2 + 1);
        pWord = wide.data();
    }
    for (int i = 0; i < 4; ++i) {
        pWord[i] = static_cast<unsigned char>(nValue >> (8 * i));
    }
    WriteNibbles(pWord, nWidth);
    return static_cast<int>(nWidth);
}
