// The binary file over a POSIX descriptor and the exception classes it throws.
#include "Framework.h"

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
    if (::fstat(m_hFile, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(m_hFile);
        m_hFile = -1;
        throw CFileException(EISDIR, strFileName);
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
    while (nDone < nCount) {
        ssize_t nGot = ::read(m_hFile, pBytes + nDone, nCount - nDone);
        if (nGot < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw CFileException(errno, m_strFileName);
        }
        if (nGot == 0) {
            break;
        }
        nDone += static_cast<std::uint32_t>(nGot);
    }
    return nDone;
}

std::uint32_t CFile::ReadAt(void* pBuf, std::uint32_t nCount, std::uint64_t nOffset) const
{
    auto* pBytes = static_cast<unsigned char*>(pBuf);
    std::uint32_t nDone = 0;
    while (nDone < nCount) {
        ssize_t nGot =
            ::pread(m_hFile, pBytes + nDone, nCount - nDone, static_cast<off_t>(nOffset + nDone));
        if (nGot < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw CFileException(errno, m_strFileName);
        }
        if (nGot == 0) {
            break;
        }
        nDone += static_cast<std::uint32_t>(nGot);
    }
    return nDone;
}

void CFile::Write(const void* pBuf, std::uint32_t nCount)
{
    const auto* pBytes = static_cast<const unsigned char*>(pBuf);
    std::uint32_t nDone = 0;
    while (nDone < nCount) {
        ssize_t nPut = ::write(m_hFile, pBytes + nDone, nCount - nDone);
        if (nPut < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw CFileException(errno, m_strFileName);
        }
        nDone += static_cast<std::uint32_t>(nPut);
    }
}

std::uint64_t CFile::Seek(std::int64_t lOff, SeekPosition nFrom)
{
    int nWhence = nFrom == begin ? SEEK_SET : nFrom == current ? SEEK_CUR : SEEK_END;
    off_t nPos = ::lseek(m_hFile, static_cast<off_t>(lOff), nWhence);
    if (nPos < 0) {
        throw CFileException(errno, m_strFileName);
    }
    return static_cast<std::uint64_t>(nPos);
}

std::uint64_t CFile::GetPosition() const
{
    off_t nPos = ::lseek(m_hFile, 0, SEEK_CUR);
    if (nPos < 0) {
        throw CFileException(errno, m_strFileName);
    }
    return static_cast<std::uint64_t>(nPos);
}

std::uint64_t CFile::GetLength() const
{
    struct stat st;
    if (::fstat(m_hFile, &st) < 0) {
        throw CFileException(errno, m_strFileName);
    }
    return static_cast<std::uint64_t>(st.st_size);
}
