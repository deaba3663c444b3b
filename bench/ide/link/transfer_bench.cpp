// How close the transfer to the calculator comes to what the line allows.
//
//   link_transfer_bench [SIZE [BAUD]]     (defaults: 102400 bytes, 9600 baud)
//
// A file goes to lrzsz's rx over two pseudo-terminals joined by a relay that delivers
// bytes no faster than a real line at BAUD (10 bit times per byte, 8N1); both ends are
// set to BAUD too. The same file then goes the same way from lrzsz's own sx. The rate
// counts the file's bytes over the time from the first block leaving the sender until
// the end byte reaches rx. The wire limit is 128 data bytes per 133 bytes on the line
// (a 132-byte block and its 1-byte answer), one block at a time.
//
// The receiver starts after the sender, as a user would start them; rx drops what was
// on the line before it started (our name announcement). (sx may wait on and send its
// end byte again after rx has ended: rx's last answer can be lost as it leaves the
// terminal; that does not count.)
#include "Lrzsz.h"
#include "PtyLink.h"
#include "TransferWorker.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <future>
#include <termios.h>
#include <thread>

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

// Sends data to rx over a line at baud. start() starts the sending side on the terminal
// it is given and returns a function that ends it (after rx has finished) and tells
// whether it succeeded.
template <typename Start> Measure Run(const QByteArray& data, int baud, Start start)
{
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("in.bin")));
    file.open(QIODevice::WriteOnly);
    file.write(data);
    file.close();
    CPtyPort a(kPort);
    CPtyPort b;
    SetSpeed(a.Slave(), baud);
    SetSpeed(b.Slave(), baud);
    CPtyWire wire(a, b, baud);
    // As a user would: the sender first, then the receiver.
    const auto finish = start(a, dir);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    CLrzsz rx(b.Slave(), dir.path(), {"rx", "-b", "-q", "received.bin"});
    const int rxCode = rx.Wait(data.size() / 400 + 30);
    Measure m;
    m.ok = finish() && rxCode == 0 && ReceivedIntact(dir, data);
    // The end byte's arrival; rx's own end when the sender sent more after it.
    const auto end = std::min(rx.Ended(), wire.LastDelivered());
    m.seconds = std::chrono::duration<double>(end - wire.FirstBlockSent()).count();
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
    std::printf("file %d bytes, line %d baud, wire limit %.1f bytes/s\n", size, baud, wireLimit);
    std::fflush(stdout);
    const auto report = [&](const char* name, const Measure& m) {
        const double rate = size / m.seconds;
        std::printf("%-9s %s  %.2f s  %.1f bytes/s  %.1f%% of the wire limit\n", name,
                    m.ok ? "intact" : "FAILED", m.seconds, rate, 100.0 * rate / wireLimit);
        std::fflush(stdout);
    };

    const Measure ours = Run(data, baud, [&](CPtyPort&, const QTemporaryDir& dir) {
        TransferJob job;
        job.nPort = kPort;
        job.nBaudRate = baud;
        job.strFilePath = dir.filePath(QStringLiteral("in.bin"));
        auto worker =
            std::make_shared<CTransferWorker>(std::move(job), std::make_shared<CNullSink>());
        auto result = std::make_shared<std::future<TransferResult>>(
            std::async(std::launch::async, [worker] { return worker->Run(); }));
        return [worker, result] {
            if (result->wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
                worker->Cancel();
            }
            return result->get() == TransferResult::Completed;
        };
    });
    report("velmora", ours);

    const Measure sx = Run(data, baud, [&](CPtyPort& a, const QTemporaryDir& dir) {
        auto sender = std::make_shared<CLrzsz>(a.Slave(), dir.path(),
                                               std::vector<QByteArray>{"sx", "-b", "-q", "in.bin"});
        return [sender] {
            sender->Wait(2);
            return sender->SpawnError() == 0;
        };
    });
    report("lrzsz sx", sx);
    std::printf("velmora / sx: %.1f%%\n", 100.0 * sx.seconds / ours.seconds);
    return ours.ok && sx.ok ? 0 : 1;
}
