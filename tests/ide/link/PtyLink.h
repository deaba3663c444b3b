// Pseudo-terminals standing in for a serial line in the link tests and benchmark.
//
// CPtyPort is one pseudo-terminal pair: the program under test opens the slave by its
// name (as port COM<n>, through VELMORA_COM<n>), and the test reads and writes the
// master, playing the calculator. CPtyWire joins two pairs with a relay thread, so that
// two programs that each open a terminal (our sender and lrzsz's rx) talk as over a
// cable; given a baud rate it delivers bytes no faster than a real line would.
#pragma once

#include <QByteArray>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <deque>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <stdexcept>
#include <string>
#include <termios.h>
#include <thread>
#include <unistd.h>

class CPtyPort
{
public:
    // Opens a raw pair; with nPort > 0 the pair becomes port COM<nPort>.
    explicit CPtyPort(int nPort = 0) : m_nPort(nPort)
    {
        termios raw{};
        ::cfmakeraw(&raw);
        char name[128] = {};
        if (::openpty(&m_master, &m_slave, name, &raw, nullptr) != 0) {
            throw std::runtime_error("openpty failed");
        }
        m_name = name;
        ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
        if (m_nPort > 0) {
            ::setenv(Variable().c_str(), m_name.c_str(), 1);
        }
    }
    ~CPtyPort()
    {
        if (m_nPort > 0) {
            ::unsetenv(Variable().c_str());
        }
        ::close(m_master);
        ::close(m_slave);
    }
    CPtyPort(const CPtyPort&) = delete;
    CPtyPort& operator=(const CPtyPort&) = delete;

    const std::string& SlaveName() const { return m_name; }
    int Master() const { return m_master; }
    int Slave() const { return m_slave; }

    // Reads until n bytes have come or nothing more comes for nQuietMs.
    QByteArray Read(int n, int nQuietMs = 3000)
    {
        QByteArray data;
        while (data.size() < n) {
            pollfd p{m_master, POLLIN, 0};
            if (::poll(&p, 1, nQuietMs) <= 0) {
                break;
            }
            char buffer[4096];
            const ssize_t r =
                ::read(m_master, buffer, std::min<qsizetype>(sizeof buffer, n - data.size()));
            if (r <= 0) {
                break;
            }
            data.append(buffer, r);
        }
        return data;
    }
    // Reads n bytes that follow any whole copies of leading (a text the sender repeats
    // until answered, which may still be on the line when the answer crosses it).
    QByteArray ReadAfter(const QByteArray& leading, int n)
    {
        QByteArray data = Read(n);
        while (!leading.isEmpty() && data.startsWith(leading)) {
            data = data.mid(leading.size()) + Read(leading.size());
        }
        return data;
    }
    // Reads until what came ends with suffix, or nothing more comes for nQuietMs.
    QByteArray ReadUntil(const QByteArray& suffix, int nQuietMs = 3000)
    {
        QByteArray data;
        while (!data.endsWith(suffix)) {
            const QByteArray more = Read(1, nQuietMs);
            if (more.isEmpty()) {
                break;
            }
            data += more;
        }
        return data;
    }
    // Everything that arrives until the line has been quiet for nQuietMs.
    QByteArray Drain(int nQuietMs) { return Read(1 << 30, nQuietMs); }
    void Send(unsigned char c) { Send(QByteArray(1, static_cast<char>(c))); }
    void Send(const QByteArray& data)
    {
        if (::write(m_master, data.constData(), data.size()) != data.size()) {
            throw std::runtime_error("write to pty failed");
        }
    }

private:
    std::string Variable() const { return "VELMORA_COM" + std::to_string(m_nPort); }

    int m_nPort;
    int m_master = -1;
    int m_slave = -1;
    std::string m_name;
};

class CPtyWire
{
public:
    // nBaudRate 0: as fast as the terminals go; otherwise 10 bit times per byte (8N1).
    CPtyWire(CPtyPort& a, CPtyPort& b, int nBaudRate = 0)
        : m_a(a), m_b(b),
          m_byteTime(nBaudRate > 0 ? std::chrono::nanoseconds(10'000'000'000LL / nBaudRate)
                                   : std::chrono::nanoseconds(0))
    {
        m_thread = std::thread([this] { Relay(); });
    }
    ~CPtyWire()
    {
        m_bStop = true;
        m_thread.join();
    }
    CPtyWire(const CPtyWire&) = delete;
    CPtyWire& operator=(const CPtyWire&) = delete;

    using Clock = std::chrono::steady_clock;
    // When the first start-of-block byte (01) left a's side, and when the last byte
    // from a's side reached b's; for measuring a transfer from a to b.
    Clock::time_point FirstBlockSent() const { return m_firstBlock.load(); }
    Clock::time_point LastDelivered() const { return m_lastDelivered.load(); }

private:
    // One direction of the cable: bytes wait in the line until their last bit is in.
    struct Direction
    {
        int from;
        int to;
        std::deque<std::pair<Clock::time_point, char>> line;
        Clock::time_point free = Clock::now();
    };

    void Take(Direction& d)
    {
        char buffer[4096];
        const ssize_t r = ::read(d.from, buffer, sizeof buffer);
        for (ssize_t i = 0; i < r; ++i) {
            if (d.from == m_a.Master() && buffer[i] == 0x01 &&
                m_firstBlock.load() == Clock::time_point()) {
                m_firstBlock = Clock::now();
            }
            d.free = std::max(d.free, Clock::now()) + m_byteTime;
            d.line.emplace_back(d.free, buffer[i]);
        }
    }
    void Deliver(Direction& d)
    {
        std::string out;
        const auto now = Clock::now();
        while (!d.line.empty() && d.line.front().first <= now) {
            out.push_back(d.line.front().second);
            d.line.pop_front();
        }
        if (!out.empty() && d.from == m_a.Master()) {
            m_lastDelivered = now;
        }
        for (std::size_t done = 0; done < out.size();) {
            const ssize_t w = ::write(d.to, out.data() + done, out.size() - done);
            if (w > 0) {
                done += static_cast<std::size_t>(w);
            } else {
                pollfd p{d.to, POLLOUT, 0};
                ::poll(&p, 1, 10);
            }
        }
    }
    void Relay()
    {
        Direction ab{m_a.Master(), m_b.Master(), {}};
        Direction ba{m_b.Master(), m_a.Master(), {}};
        while (!m_bStop) {
            auto next = Clock::now() + std::chrono::milliseconds(20);
            for (Direction* d : {&ab, &ba}) {
                if (!d->line.empty()) {
                    next = std::min(next, d->line.front().first);
                }
            }
            const auto wait =
                std::chrono::duration_cast<std::chrono::microseconds>(next - Clock::now());
            pollfd p[2] = {{ab.from, POLLIN, 0}, {ba.from, POLLIN, 0}};
            timespec ts{0, wait.count() > 0 ? static_cast<long>(wait.count()) * 1000 : 0};
            ::ppoll(p, 2, &ts, nullptr);
            if (p[0].revents & POLLIN) {
                Take(ab);
            }
            if (p[1].revents & POLLIN) {
                Take(ba);
            }
            Deliver(ab);
            Deliver(ba);
        }
    }

    CPtyPort& m_a;
    CPtyPort& m_b;
    std::chrono::nanoseconds m_byteTime;
    std::atomic<bool> m_bStop{false};
    std::atomic<Clock::time_point> m_firstBlock{Clock::time_point()};
    std::atomic<Clock::time_point> m_lastDelivered{Clock::time_point()};
    std::thread m_thread;
};
