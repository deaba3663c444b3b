#include "SerialPort.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

speed_t SpeedOf(int nBaudRate)
{
    struct Rate
    {
        int n;
        speed_t speed;
    };
    static const Rate kRates[] = {
        {50, B50},       {75, B75},         {110, B110},       {134, B134},       {150, B150},
        {200, B200},     {300, B300},       {600, B600},       {1200, B1200},     {1800, B1800},
        {2400, B2400},   {4800, B4800},     {9600, B9600},     {19200, B19200},   {38400, B38400},
        {57600, B57600}, {115200, B115200}, {230400, B230400}, {460800, B460800}, {921600, B921600},
    };
    for (const Rate& rate : kRates) {
        if (rate.n == nBaudRate) {
            return rate.speed;
        }
    }
    return B0;
}

// Milliseconds left until deadline, never negative.
int MsLeft(Clock::time_point deadline)
{
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// Waits for events on fd until the deadline. A port that reports an error or a hang-up
// (a pulled adapter, a closed pseudo-terminal) is waited out instead of polled in a
// tight loop, so a dead port costs one time-out per try, like a silent one.
bool WaitFor(int fd, short events, Clock::time_point deadline)
{
    for (;;) {
        pollfd p{fd, events, 0};
        const int n = ::poll(&p, 1, MsLeft(deadline));
        if (n > 0 && (p.revents & events)) {
            return true;
        }
        if (n < 0 && errno == EINTR) {
            if (MsLeft(deadline) == 0) {
                return false;
            }
            continue;
        }
        if (n > 0) {
            std::this_thread::sleep_until(deadline);
        }
        return false;
    }
}

} // namespace

bool IsSupportedBaudRate(int nBaudRate)
{
    return SpeedOf(nBaudRate) != B0;
}

QByteArray SerialDevicePath(int nPort)
{
    const QByteArray variable = "VELMORA_COM" + QByteArray::number(nPort);
    if (const char* device = std::getenv(variable.constData()); device && *device) {
        return device;
    }
    return "/dev/ttyS" + QByteArray::number(nPort - 1);
}

SerialPortChoice PortChoice(const QString& setting, int number)
{
    SerialPortChoice choice(number);
    const QString trimmed = setting.trimmed();
    if (trimmed.startsWith(QLatin1Char('/'))) {
        choice.devicePath = QFile::encodeName(trimmed);
    }
    return choice;
}

CSerialPort::~CSerialPort()
{
    Close();
}

int CSerialPort::Open(const QByteArray& devicePath)
{
    Close();
    // Non-blocking, so that a port without carrier does not hold up the open; every
    // read and write below waits with poll under its own time-out.
    const int fd = ::open(devicePath.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return errno;
    }
    ::ioctl(fd, TIOCEXCL);
    m_fd = fd;
    return 0;
}

void CSerialPort::Close()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

void CSerialPort::Configure(int nBaudRate, const SerialTimeouts& timeouts)
{
    m_timeouts = timeouts;
    termios tio{};
    if (::tcgetattr(m_fd, &tio) != 0) {
        return;
    }
    // Binary data must pass untouched: no echo, no line editing, no character mapping.
    ::cfmakeraw(&tio);
    tio.c_cflag &= ~(CSIZE | PARENB | CSTOPB | CRTSCTS);
    tio.c_cflag |= CS8 | CLOCAL | CREAD;
    tio.c_iflag &= ~(IXON | IXOFF | IXANY);
    // With the descriptor non-blocking, VMIN 1 makes a read without data fail with
    // EAGAIN, so that a read of 0 bytes only ever means a hung-up line.
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    if (const speed_t speed = SpeedOf(nBaudRate); speed != B0) {
        ::cfsetispeed(&tio, speed);
        ::cfsetospeed(&tio, speed);
        m_nBaudRate = nBaudRate;
    }
    ::tcsetattr(m_fd, TCSANOW, &tio);
    int lines = TIOCM_DTR | TIOCM_RTS;
    ::ioctl(m_fd, TIOCMBIC, &lines);
}

void CSerialPort::PurgeOutput()
{
    ::tcflush(m_fd, TCOFLUSH);
}

void CSerialPort::PurgeInput()
{
    ::tcflush(m_fd, TCIFLUSH);
}

std::size_t CSerialPort::Write(const char* pData, std::size_t n)
{
    const auto start = Clock::now();
    const auto deadline =
        start + std::chrono::milliseconds(m_timeouts.nWritePerByte * static_cast<int>(n) +
                                          m_timeouts.nWriteConstant);
    std::size_t done = 0;
    while (done < n) {
        const ssize_t w = ::write(m_fd, pData + done, n - done);
        if (w > 0) {
            done += static_cast<std::size_t>(w);
            continue;
        }
        if (w < 0 && errno == EINTR) {
            continue;
        }
        if (w < 0 && errno != EAGAIN) {
            m_nWriteError = errno;
            std::this_thread::sleep_until(deadline);
            break;
        }
        if (!WaitFor(m_fd, POLLOUT, deadline)) {
            break;
        }
    }
    WaitUntilSent(done, start, deadline);
    return done;
}

void CSerialPort::WaitUntilSent(std::size_t n, Clock::time_point start, Clock::time_point deadline)
{
    // A byte takes ten bit times on the line (start bit, 8 data bits, stop bit). A
    // pseudo-terminal reports nothing queued at once, so the line's own time is the
    // lower bound.
    if (m_nBaudRate > 0) {
        const auto lineTime =
            std::chrono::microseconds(10'000'000LL * static_cast<long long>(n) / m_nBaudRate);
        std::this_thread::sleep_until(std::min(start + lineTime, deadline));
    }
    int queued = 0;
    while (::ioctl(m_fd, TIOCOUTQ, &queued) == 0 && queued > 0 && Clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

int CSerialPort::ReadByte()
{
    return ReadByte(m_timeouts.nReadPerByte + m_timeouts.nReadConstant);
}

int CSerialPort::ReadByte(int nTimeoutMs)
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(nTimeoutMs);
    for (;;) {
        unsigned char c = 0;
        const ssize_t r = ::read(m_fd, &c, 1);
        if (r == 1) {
            return c;
        }
        if (r < 0 && errno == EINTR) {
            continue;
        }
        if (r == 0 || errno != EAGAIN) {
            // End of file or an error (a hung-up line, a device that is not a terminal):
            // no answer this time.
            std::this_thread::sleep_until(deadline);
            return -1;
        }
        if (!WaitFor(m_fd, POLLIN, deadline)) {
            return -1;
        }
    }
}
