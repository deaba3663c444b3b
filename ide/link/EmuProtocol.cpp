#include "EmuProtocol.h"

#include <cerrno>
#include <cstdlib>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

std::string EmuSocketPath()
{
    if (const char* dir = std::getenv("XDG_RUNTIME_DIR"); dir && *dir) {
        return std::string(dir) + "/CEmu48";
    }
    return "/tmp/CEmu48-" + std::to_string(::getuid());
}

void EmuPutWord(unsigned char* pOut, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i) {
        pOut[i] = static_cast<unsigned char>(value >> (8 * i));
    }
}

std::uint32_t EmuGetWord(const unsigned char* pIn)
{
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) {
        value = (value << 8) | pIn[i];
    }
    return value;
}

bool EmuReadAll(int fd, unsigned char* pData, std::size_t n, int nTimeoutMs)
{
    std::size_t got = 0;
    while (got < n) {
        pollfd p{fd, POLLIN, 0};
        const int ready = ::poll(&p, 1, nTimeoutMs);
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready <= 0) {
            return false;
        }
        const ssize_t r = ::read(fd, pData + got, n - got);
        if (r < 0 && errno == EINTR) {
            continue;
        }
        if (r <= 0) {
            return false;
        }
        got += static_cast<std::size_t>(r);
    }
    return true;
}

bool EmuWriteAll(int fd, const unsigned char* pData, std::size_t n)
{
    std::size_t done = 0;
    while (done < n) {
        const ssize_t w = ::send(fd, pData + done, n - done, MSG_NOSIGNAL);
        if (w < 0 && errno == EINTR) {
            continue;
        }
        if (w <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(w);
    }
    return true;
}
