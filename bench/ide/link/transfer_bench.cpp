// How close the transfer to the calculator comes to what the line allows.
//
//   link_transfer_bench [SIZE [BAUD]]     (defaults: 102400 bytes, 9600 baud)
//
// A file goes to lrzsz's rx over two pseudo-terminals joined by a relay that delivers
// bytes no faster than a real line at BAUD (10 bit times per byte, 8N1); both ends are
// set to BAUD too. The same file then goes the same way from lrzsz's own sx. The rate
// counts the file's bytes over the time from the first block leaving the sender to the
// end byte reaching rx. The wire limit is 128 data bytes per 133 bytes on the line (a
// 132-byte block and its 1-byte answer), one block at a time.
#include "Lrzsz.h"
#include "PtyLink.h"
#include "TransferWorker.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <termios.h>

namespace {

constexpr int kPort = 5;

class CNullSink : public ITransferSink
{
public:
    void OnStatus(const QString&) override {}
    void OnProgress(int) override {}
    void OnMessage(const QString& text, const QString&, unsigned) override
    {
        std::fprintf(stderr, "%s\n", text.toUtf8().constData());
    }
    void OnFinished(TransferResult) override {}
};

void SetSpeed(int fd, int baud)
{
    termios tio{};
    ::tcgetattr(fd, &tio);
    const speed_t speed = baud == 9600 ? B9600 : baud == 19200 ? B19200 : B38400;
    ::cfsetispeed(&tio, speed);
    ::cfsetospeed(&tio, speed);
    ::tcsetattr(fd, TCSANOW, &tio);
}

bool ReceivedIntact(const QTemporaryDir& dir, const QByteArray& data)
{
    QFile file(dir.filePath(QStringLiteral("received.bin")));
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    const QByteArray got = file.readAll();
    return got.startsWith(data) && got.mid(data.size()) == QByteArray(got.size() - data.size(), 0);
}

struct Measure
{
    double seconds = 0;
    bool ok = false;
};

// Sends data to rx over a line at baud; sender() runs the sending side on the
// terminal it is given and returns whether it succeeded.
template <typename Sender> Measure Run(const QByteArray& data, int baud, Sender sender)
{
    QTemporaryDir dir;
    CPtyPort a(kPort);
    CPtyPort b;
    SetSpeed(a.Slave(), baud);
    SetSpeed(b.Slave(), baud);
    CPtyWire wire(a, b, baud);
    CLrzsz rx(b.Slave(), dir.path(), {"rx", "-b", "-q", "received.bin"});
    const bool sent = sender(a, dir);
    const int rxCode = rx.Wait(30);
    Measure m;
    m.seconds = std::chrono::duration<double>(wire.LastDelivered() - wire.FirstBlockSent()).count();
    m.ok = sent && rxCode == 0 && ReceivedIntact(dir, data);
    return m;
}

} // namespace

int main(int argc, char** argv)
{
    const int size = argc > 1 ? std::atoi(argv[1]) : 100 * 1024;
    const int baud = argc > 2 ? std::atoi(argv[2]) : 9600;
    QByteArray data(size, 0);
    for (int i = 0; i < size; ++i) {
        data[i] = static_cast<char>((i * 7 + 3) % 256);
    }
    const double wireLimit = baud / 10.0 * 128.0 / 133.0;

    const Measure ours = Run(data, baud, [&](CPtyPort&, const QTemporaryDir& dir) {
        TransferJob job;
        job.nPort = kPort;
        job.nBaudRate = baud;
        job.strFilePath = dir.filePath(QStringLiteral("in.bin"));
        QFile file(job.strFilePath);
        file.open(QIODevice::WriteOnly);
        file.write(data);
        file.close();
        CTransferWorker worker(std::move(job), std::make_shared<CNullSink>());
        return worker.Run() == TransferResult::Completed;
    });
    const Measure sx = Run(data, baud, [&](CPtyPort& a, const QTemporaryDir& dir) {
        QFile file(dir.filePath(QStringLiteral("in.bin")));
        file.open(QIODevice::WriteOnly);
        file.write(data);
        file.close();
        CLrzsz sender(a.Slave(), dir.path(), {"sx", "-b", "-q", "in.bin"});
        return sender.SpawnError() == 0 && sender.Wait(size / 50 + 60) == 0;
    });

    std::printf("file %d bytes, line %d baud, wire limit %.1f bytes/s\n", size, baud, wireLimit);
    for (const auto& [name, m] : {std::pair{"velmora", ours}, std::pair{"lrzsz sx", sx}}) {
        const double rate = size / m.seconds;
        std::printf("%-9s %s  %.2f s  %.1f bytes/s  %.1f%% of the wire limit\n", name,
                    m.ok ? "intact" : "FAILED", m.seconds, rate, 100.0 * rate / wireLimit);
    }
    std::printf("velmora / sx: %.1f%%\n", 100.0 * sx.seconds / ours.seconds);
    return ours.ok && sx.ok ? 0 : 1;
}
