// Nibble-addressed file access: positions, the marker, nibble reads and writes that
// realign data at odd positions, and nibble words.
#include "NibbleFile.h"

#include <algorithm>
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
unsigned char ReadByteAt(const CFile& file, std::uint64_t nOffset)
{
    unsigned char nByte = 0;
    file.ReadAt(&nByte, 1, nOffset);
    return nByte;
}

// pDst[i] = (pSrc[i + 1] << 4) | (pSrc[i] >> 4) for i below nCount: the nibbles of
// pSrc moved down by one, reading nCount + 1 bytes. pDst may be pSrc. Taken as one long
// little-endian number, that is a right shift by 4 bits, done a vector of 64-bit lanes
// at a time.
using Lanes16 = std::uint64_t __attribute__((vector_size(16)));
using Lanes32 = std::uint64_t __attribute__((vector_size(32)));
using Lanes64 = std::uint64_t __attribute__((vector_size(64)));

template <typename Lanes>
[[gnu::always_inline]] inline void ShiftLoop(unsigned char* pDst, const unsigned char* pSrc,
                                             std::size_t nCount)
{
    constexpr std::size_t nLanes = sizeof(Lanes);
    std::size_t i = 0;
    for (; i + nLanes + 8 <= nCount + 1; i += nLanes) {
        // Each 64-bit lane takes its top nibble from the lane's next byte; both loads
        // come before the store, so working in place is safe.
        Lanes here;
        Lanes next;
        std::memcpy(&here, pSrc + i, nLanes);
        std::memcpy(&next, pSrc + i + 8, nLanes);
        const Lanes shifted = (here >> 4) | (next << 60);
        std::memcpy(pDst + i, &shifted, nLanes);
    }
    for (; i < nCount; ++i) {
        pDst[i] = static_cast<unsigned char>((pSrc[i + 1] << 4) | (pSrc[i] >> 4));
    }
}

[[gnu::target("avx512f")]] void ShiftDownAvx512(unsigned char* pDst, const unsigned char* pSrc,
                                                std::size_t nCount)
{
    ShiftLoop<Lanes64>(pDst, pSrc, nCount);
}

[[gnu::target("avx2")]] void ShiftDownAvx2(unsigned char* pDst, const unsigned char* pSrc,
                                           std::size_t nCount)
{
    ShiftLoop<Lanes32>(pDst, pSrc, nCount);
}

void ShiftDownSse2(unsigned char* pDst, const unsigned char* pSrc, std::size_t nCount)
{
    ShiftLoop<Lanes16>(pDst, pSrc, nCount);
}

// The widest vector unit of the machine, chosen once.
void ShiftDown(unsigned char* pDst, const unsigned char* pSrc, std::size_t nCount)
{
    static const auto pShift = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx512f") ? &ShiftDownAvx512
               : __builtin_cpu_supports("avx2")  ? &ShiftDownAvx2
                                                 : &ShiftDownSse2;
    }();
    pShift(pDst, pSrc, nCount);
}

// A long write at an odd position is realigned and written in slices of about this size:
// few enough system calls, and a work buffer that mostly stays in the cache.
constexpr std::uint32_t kSliceBytes = 512 * 1024;

// Bytes touched by nCount nibbles starting at an even or odd nibble.
std::uint32_t BytesSpanned(bool bOdd, std::uint32_t nCount)
{
    return nCount / 2 + ((bOdd || (nCount & 1)) ? 1 : 0);
}

// Writes the bytes that nCount nibbles at nibble nPos touch, from the current byte.
// Half-covered bytes keep their other half as the file holds it (0 beyond the end), so
// consecutive writes merge into the same bytes as one write.
void WriteSpan(CFile& file, std::uint32_t nPos, const unsigned char* pBuffer, std::uint32_t nCount)
{
    const bool bOdd = nPos & 1;
    const std::uint32_t nBytes = nCount / 2 + (nCount & 1);
    const std::uint32_t nSpan = BytesSpanned(bOdd, nCount);
    const bool bHalfTail = (nPos + nCount) & 1;
    if (!bOdd && !bHalfTail) {
        file.Write(pBuffer, nBytes);
    } else {
        const std::uint64_t nStart = file.GetPosition();
        const unsigned char nHead = bOdd ? ReadByteAt(file, nStart) : 0;
        unsigned char nTail = nHead;
        if (bHalfTail && !(bOdd && nSpan == 1)) {
            nTail = ReadByteAt(file, nStart + nSpan - 1);
        }

        // The bytes to write, built and written a slice at a time, so that a long write
        // needs no copy of the whole buffer, and a short one is a single write.
        const std::uint32_t nSlices = std::max<std::uint32_t>(1, nSpan / kSliceBytes);
        const std::uint32_t nSlice = nSpan / nSlices + (nSpan % nSlices ? 1 : 0);
        auto pWork = std::make_unique_for_overwrite<unsigned char[]>(nSlice);
        for (std::uint32_t nFrom = 0; nFrom < nSpan; nFrom += nSlice) {
            const std::uint32_t nTo = nFrom + std::min(nSlice, nSpan - nFrom);
            if (!bOdd) {
                // The data as it is, its last byte's high half kept.
                std::memcpy(pWork.get(), pBuffer + nFrom, nTo - nFrom);
                if (nTo == nSpan) {
                    pWork[nTo - 1 - nFrom] =
                        static_cast<unsigned char>((pBuffer[nBytes - 1] & 0x0F) | (nTail & 0xF0));
                }
            } else {
                // The data moved up by one nibble. Work byte k goes to pWork[k - nFrom].
                std::uint32_t k = nFrom;
                if (k == 0 && nBytes > 0) {
                    pWork[0] = static_cast<unsigned char>((pBuffer[0] << 4) | (nHead & 0x0F));
                    k = 1;
                }
                // Work byte k = (pBuffer[k] << 4) | (pBuffer[k - 1] >> 4) inside the data.
                const std::uint32_t nDataEnd = std::min(nTo, nBytes);
                if (k < nDataEnd) {
                    ShiftDown(pWork.get() + (k - nFrom), pBuffer + k - 1, nDataEnd - k);
                    k = nDataEnd;
                }
                if (k < nTo) {
                    const unsigned char nLow = nBytes ? pBuffer[nBytes - 1] >> 4 : nHead & 0x0F;
                    pWork[k - nFrom] = static_cast<unsigned char>((nTail & 0xF0) | nLow);
                }
            }
            file.Write(pWork.get(), nTo - nFrom);
        }
    }
}

// After a failed system call: the byte pointer back to where the nibble position says.
void RestoreBytePointer(CFile& file, std::uint32_t nPos)
{
    try {
        file.Seek(nPos / 2, CFile::begin);
    } catch (const CFileException&) {
        // The failure already on its way says more than this one.
    }
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
    std::uint32_t nGot = 0;
    try {
        nGot = Read(pBuffer, nBytes);
    } catch (const CFileException&) {
        RestoreBytePointer(*this, nPos);
        throw;
    }
    if (nGot != nBytes) {
        // Only a position that wrapped around 32 bits passes the check above and still
        // runs off the file; it is the same failure.
        CFile::Seek(-static_cast<std::int64_t>(nGot), current);
        throw CNibbleFileException(CNibbleFileException::readPastEnd);
    }

    if (bOdd) {
        // Realign by one nibble so that the data starts in the low half of byte 0.
        ShiftDown(pBuffer, pBuffer, nBytes - 1);
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
    // The last byte is only half covered when the write ends on an odd position.
    const bool bHalfTail = (nPos + nCount) & 1;

    try {
        WriteSpan(*this, nPos, pBuffer, nCount);
    } catch (const CFileException&) {
        RestoreBytePointer(*this, nPos);
        throw;
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

bool CNibbleFile::SkipDownloadHeader()
{
    constexpr std::uint32_t kHeaderBytes = 8;
    constexpr std::uint32_t kTestedBytes = 6;
    const std::uint32_t nBytes =
        static_cast<std::uint32_t>(std::min<std::uint64_t>(GetLength(), kHeaderBytes));
    // ReadBytes may fill one byte beyond the data.
    unsigned char header[kHeaderBytes + 1] = {};
    Seek(0);
    if (nBytes == 0) {
        return false;
    }
    ReadBytes(header, nBytes);
    const bool bHeaderStart = std::memcmp(header, "HPHP48", std::min(nBytes, kTestedBytes)) == 0;
    if (bHeaderStart && nBytes < kHeaderBytes) {
        // A file that ends inside the header is a download file cut short.
        throw CNibbleFileException(CNibbleFileException::readPastEnd);
    }
    if (bHeaderStart) {
        return true;
    }
    Seek(0);
    return false;
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
