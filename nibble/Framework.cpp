// The binary file over a POSIX descriptor and the exception classes it throws.
#include "Framework.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

CException::~CException() = default;

CFileException::CFileException(int nErrno, CString strFileName)
    : m_nErrno(nErrno), m_strFileName(std::move(strFileName))
{
}

CString CFileException::GetErrorMessage() const
{
    return m_strFileName + ": " + std::strerror(m_nErrno);
}

namespace {

int OpenFlagsFor(unsigned int nOpenFlags)
{
    int nFlags = O_RDONLY;
    if (nOpenFlags & CFile::modeReadWrite) {
        nFlags = O_RDWR;
    } else if (nOpenFlags & CFile::modeWrite) {
        nFlags = O_WRONLY;
    }
    if (nOpenFlags & CFile::modeCreate) {
        nFlags |= O_CREAT;
        if (!(nOpenFlags & CFile::modeNoTruncate)) {
            nFlags |= O_TRUNC;
        }
    }
    return nFlags | O_CLOEXEC;
}

// The window of a regular file's bytes kept in memory. Reads at least this long go
// straight to the caller's buffer.
constexpr std::uint32_t kWindowBytes = 4096;

// Calls fnCall(nDone) until nCount bytes are moved or it reports the end (0); retries an
// interrupted call. fnCall moves what is left from nDone on and returns what the system
// call returned. nDone counts the bytes moved, also when a failure is thrown.
template <typename Call>
void Transfer(const Call& fnCall, std::uint32_t nCount, std::uint32_t& nDone,
              const CString& strFileName)
{
    while (nDone < nCount) {
        const ssize_t nMoved = fnCall(nDone);
        if (nMoved < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw CFileException(errno, strFileName);
        }
        if (nMoved == 0) {
            break;
        }
        nDone += static_cast<std::uint32_t>(nMoved);
    }
}

// Reads nCount bytes at byte nOffset with pread(), as Transfer does.
void ReadAtOffset(int hFile, unsigned char* pBuf, std::uint32_t nCount, std::uint64_t nOffset,
                  std::uint32_t& nDone, const CString& strFileName)
{
    Transfer(
        [&](std::uint32_t k) {
            return ::pread(hFile, pBuf + k, nCount - k, static_cast<off_t>(nOffset + k));
        },
        nCount, nDone, strFileName);
}

} // namespace

CFile::CFile(const CString& strFileName, unsigned int nOpenFlags) : m_strFileName(strFileName)
{
    do {
        m_hFile = ::open(strFileName.c_str(), OpenFlagsFor(nOpenFlags), 0666);
    } while (m_hFile < 0 && errno == EINTR);
    if (m_hFile < 0) {
        throw CFileException(errno, strFileName);
    }
    // A folder opens on Linux but cannot be read as a file: refuse it here, where the
    // caller expects a file that cannot be opened to fail.
    struct stat st;
    const bool bKnown = ::fstat(m_hFile, &st) == 0;
    if (bKnown && S_ISDIR(st.st_mode)) {
        ::close(m_hFile);
        m_hFile = -1;
        throw CFileException(EISDIR, strFileName);
    }
    if (bKnown && S_ISREG(st.st_mode)) {
        m_bRegular = true;
        m_nLength = static_cast<std::uint64_t>(st.st_size);
        // A file opened for writing only has no window: reading it must fail.
        if ((OpenFlagsFor(nOpenFlags) & O_ACCMODE) != O_WRONLY) {
            m_pWindow = std::make_unique_for_overwrite<unsigned char[]>(kWindowBytes);
        }
    }
}

CFile::~CFile()
{
    if (m_hFile >= 0) {
        ::close(m_hFile);
    }
}

std::uint32_t CFile::Read(void* pBuf, std::uint32_t nCount)
{
    auto* pBytes = static_cast<unsigned char*>(pBuf);
    std::uint32_t nDone = 0;
    if (!m_bRegular) {
        Transfer([&](std::uint32_t k) { return ::read(m_hFile, pBytes + k, nCount - k); }, nCount,
                 nDone, m_strFileName);
        return nDone;
    }
    // As the descriptor's own pointer would, the byte pointer moves past whatever was
    // read before a failure.
    try {
        ReadThroughWindow(pBytes, nCount, m_nPosition, nDone);
    } catch (const CFileException&) {
        m_nPosition += nDone;
        throw;
    }
    m_nPosition += nDone;
    return nDone;
}

std::uint32_t CFile::ReadAt(void* pBuf, std::uint32_t nCount, std::uint64_t nOffset) const
{
    auto* pBytes = static_cast<unsigned char*>(pBuf);
    std::uint32_t nDone = 0;
    if (!m_bRegular) {
        ReadAtOffset(m_hFile, pBytes, nCount, nOffset, nDone, m_strFileName);
        return nDone;
    }
    ReadThroughWindow(pBytes, nCount, nOffset, nDone);
    return nDone;
}

void CFile::ReadThroughWindow(unsigned char* pBuf, std::uint32_t nCount, std::uint64_t nOffset,
                              std::uint32_t& nDone) const
{
    while (nDone < nCount) {
        const std::uint64_t nAt = nOffset + nDone;
        const std::uint32_t nLeft = nCount - nDone;
        if (nAt >= m_nWindowStart && nAt < m_nWindowStart + m_nWindowBytes) {
            const auto nTake = static_cast<std::uint32_t>(
                std::min<std::uint64_t>(nLeft, m_nWindowStart + m_nWindowBytes - nAt));
            std::memcpy(pBuf + nDone, m_pWindow.get() + (nAt - m_nWindowStart), nTake);
            nDone += nTake;
        } else if (nLeft >= kWindowBytes || !m_pWindow) {
            // Straight to the caller; this stops short only at the end.
            ReadAtOffset(m_hFile, pBuf, nCount, nOffset, nDone, m_strFileName);
            break;
        } else {
            FillWindow(nAt);
            if (m_nWindowBytes == 0) {
                break;
            }
        }
    }
}

void CFile::FillWindow(std::uint64_t nOffset) const
{
    // Up to the known end, so that one call fills it; from the end on, whatever the
    // system has (nothing, unless the file grew behind our back).
    std::uint32_t nWanted = kWindowBytes;
    if (nOffset < m_nLength && m_nLength - nOffset < kWindowBytes) {
        nWanted = static_cast<std::uint32_t>(m_nLength - nOffset);
    }
    m_nWindowStart = nOffset;
    m_nWindowBytes = 0;
    std::uint32_t nGot = 0;
    ReadAtOffset(m_hFile, m_pWindow.get(), nWanted, nOffset, nGot, m_strFileName);
    m_nWindowBytes = nGot;
}

void CFile::Write(const void* pBuf, std::uint32_t nCount)
{
    const auto* pBytes = static_cast<const unsigned char*>(pBuf);
    std::uint32_t nDone = 0;
    if (!m_bRegular) {
        Transfer([&](std::uint32_t k) { return ::write(m_hFile, pBytes + k, nCount - k); }, nCount,
                 nDone, m_strFileName);
        return;
    }
    // What reached the file before a failure is in the file: the window, the length and
    // the byte pointer take it in either way.
    const std::uint64_t nAt = m_nPosition;
    try {
        Transfer(
            [&](std::uint32_t k) {
                return ::pwrite(m_hFile, pBytes + k, nCount - k, static_cast<off_t>(nAt + k));
            },
            nCount, nDone, m_strFileName);
    } catch (const CFileException&) {
        NoteWritten(pBytes, nDone, nAt);
        throw;
    }
    NoteWritten(pBytes, nDone, nAt);
}

void CFile::NoteWritten(const unsigned char* pBuf, std::uint32_t nCount, std::uint64_t nOffset)
{
    m_nPosition = nOffset + nCount;
    if (nCount == 0) {
        return;
    }
    m_nLength = std::max(m_nLength, m_nPosition);
    if (!m_pWindow) {
        return;
    }
    const std::uint64_t nWindowEnd = m_nWindowStart + m_nWindowBytes;
    const std::uint64_t nEnd = nOffset + nCount;
    // The part of the window that the write changed.
    const std::uint64_t nFrom = std::max(nOffset, m_nWindowStart);
    const std::uint64_t nTo = std::min(nEnd, nWindowEnd);
    unsigned char* pWindow = m_pWindow.get();
    if (nOffset >= m_nWindowStart && nOffset <= nWindowEnd &&
        nEnd - m_nWindowStart <= kWindowBytes) {
        // Inside the window or just behind it: the window takes it all and grows.
        std::memcpy(pWindow + (nOffset - m_nWindowStart), pBuf, nCount);
        m_nWindowBytes = static_cast<std::uint32_t>(std::max(nWindowEnd, nEnd) - m_nWindowStart);
    } else if (nFrom < nTo) {
        // Across the window's edge: the part inside it changes.
        std::memcpy(pWindow + (nFrom - m_nWindowStart), pBuf + (nFrom - nOffset), nTo - nFrom);
    } else if (nCount <= kWindowBytes) {
        // Elsewhere: the bytes just written are the likeliest to be read back next (a
        // nibble write reads the byte it half covers).
        m_nWindowStart = nOffset;
        m_nWindowBytes = nCount;
        std::memcpy(pWindow, pBuf, nCount);
    }
}

std::uint64_t CFile::Seek(std::int64_t lOff, SeekPosition nFrom)
{
    if (!m_bRegular) {
        int nWhence = nFrom == begin ? SEEK_SET : nFrom == current ? SEEK_CUR : SEEK_END;
        off_t nPos = ::lseek(m_hFile, static_cast<off_t>(lOff), nWhence);
        if (nPos < 0) {
            throw CFileException(errno, m_strFileName);
        }
        return static_cast<std::uint64_t>(nPos);
    }
    // What lseek() refuses, refused the same way.
    const std::uint64_t nBase = nFrom == begin ? 0 : nFrom == current ? m_nPosition : m_nLength;
    std::int64_t nPos = 0;
    if (__builtin_add_overflow(static_cast<std::int64_t>(nBase), lOff, &nPos)) {
        throw CFileException(EOVERFLOW, m_strFileName);
    }
    if (nPos < 0) {
        throw CFileException(EINVAL, m_strFileName);
    }
    m_nPosition = static_cast<std::uint64_t>(nPos);
    return m_nPosition;
}

std::uint64_t CFile::GetPosition() const
{
    if (m_bRegular) {
        return m_nPosition;
    }
    off_t nPos = ::lseek(m_hFile, 0, SEEK_CUR);
    if (nPos < 0) {
        throw CFileException(errno, m_strFileName);
    }
    return static_cast<std::uint64_t>(nPos);
}

std::uint64_t CFile::GetLength() const
{
    if (m_bRegular) {
        return m_nLength;
    }
    struct stat st;
    if (::fstat(m_hFile, &st) < 0) {
        throw CFileException(errno, m_strFileName);
    }
    return static_cast<std::uint64_t>(st.st_size);
}
