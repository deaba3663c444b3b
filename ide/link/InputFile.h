// The file a transfer sends, read by offset so that a block can be read again, and
// closed on every way out.
#pragma once

#include <QFile>
#include <QString>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

class CInputFile
{
public:
    explicit CInputFile(const QString& path)
        : m_fd(::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC))
    {
        m_nError = m_fd < 0 ? errno : 0;
        struct stat st
        {
        };
        if (m_fd >= 0 && ::fstat(m_fd, &st) == 0) {
            if (S_ISDIR(st.st_mode)) {
                m_nError = EISDIR;
            }
            m_nSize = st.st_size;
        }
    }
    ~CInputFile()
    {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    CInputFile(const CInputFile&) = delete;
    CInputFile& operator=(const CInputFile&) = delete;

    int Error() const { return m_nError; }
    long long Size() const { return m_nSize; }

    // Reads n bytes at offset into pBuffer; returns the count read, which is short
    // only at the end of the file or on an error (then errno tells which).
    long long ReadAt(char* pBuffer, long long n, long long offset)
    {
        long long got = 0;
        while (got < n) {
            const ssize_t r = ::pread(m_fd, pBuffer + got, n - got, offset + got);
            if (r < 0 && errno == EINTR) {
                continue;
            }
            if (r <= 0) {
                if (r == 0) {
                    errno = 0;
                }
                break;
            }
            got += r;
        }
        return got;
    }

private:
    int m_fd;
    int m_nError = 0;
    long long m_nSize = 0;
};

// The message for a file that gave fewer bytes than its size promised: a read error
// (error is its errno), or a file that shrank while it was being sent (error 0).
inline QString ShortReadText(const QString& path, int error, long long got, long long size)
{
    return error != 0
               ? QStringLiteral("Couldn't read file %1 (Error: %2)!").arg(path).arg(error)
               : QStringLiteral("File %1 ended after %2 of %3 bytes!").arg(path).arg(got).arg(size);
}
