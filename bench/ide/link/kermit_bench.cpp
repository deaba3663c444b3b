// Kermit to the calculator against C-Kermit, over the same line to the same receiver.
//
//   link_kermit_bench [SIZE [BAUD [LENGTH]]]   (defaults: 102400 bytes, 9600 baud, 64)
//
// A file goes to G-Kermit (gkermit -r) over two pseudo-terminals joined by a relay that
// delivers bytes no faster than a real line at BAUD (10 bit times per byte, 8N1). It is
// sent once by Velmora's Kermit sender and once by C-Kermit, both with packets of
// LENGTH, block check 3, every control character prefixed, one packet in flight (C-Kermit:
// no windows, no streaming, no long packets, no attribute packet, as with an HP48). The rate
// counts the file's bytes over the time from the first packet leaving the sender until
// the last byte the sender sent reaches the receiver.
#include "LinkTestSupport.h"
#include "Lrzsz.h"
#include "PtyLink.h"
#include "TransferWorker.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <termios.h>

namespace {

constexpr int kPort = 6;

struct Measure
{
    double seconds = 0;
    bool ok = false;
};

// Sends data to gkermit over a line at baud; start() starts the sender on the terminal
// pair it is given and returns a function that waits for it and tells whether it
// succeeded.
template <typename Start> Measure Run(const QByteArray& data, int baud, Start start)
{
    QTemporaryDir dir;
    QTemporaryDir receiveDir;
    WriteFile(dir, QStringLiteral("in.bin"), data);
    CPtyPort a(kPort);
    CPtyPort b;
    CPtyWire wire(a, b, baud);
    CLrzsz receiver(b.Slave(), receiveDir.path(), {"gkermit", "-r", "-i", "-P", "-w", "-q"});
    const auto finish = start(a, dir);
    const int code = receiver.Wait(data.size() / 200 + 60);
    Measure m;
    // Each sender names the file its own way (in, IN.BIN); the receiver keeps one file.
    QStringList files = QDir(receiveDir.path()).entryList(QDir::Files);
    files.removeAll(QStringLiteral("gkermit.log"));
    QFile got(receiveDir.filePath(files.value(0)));
    m.ok = finish() && code == 0 && got.open(QIODevice::ReadOnly) && got.readAll() == data;
    m.seconds = std::chrono::duration<double>(wire.LastDelivered() - wire.FirstBlockSent()).count();
    return m;
}

} // namespace

int main(int argc, char** argv)
{
    const int size = argc > 1 ? std::atoi(argv[1]) : 100 * 1024;
    const int baud = argc > 2 ? std::atoi(argv[2]) : 9600;
    const int length = argc > 3 ? std::atoi(argv[3]) : 64;
    QByteArray data(size, 0);
    for (int i = 0; i < size; ++i) {
        data[i] = static_cast<char>((i * 7 + 3) % 256);
    }
    std::printf("file %d bytes, line %d baud, packets of %d\n", size, baud, length);
    std::fflush(stdout);
    const auto report = [&](const char* name, const Measure& m) {
        std::printf("%-8s %s  %.2f s  %.1f bytes/s\n", name, m.ok ? "intact" : "FAILED", m.seconds,
                    size / m.seconds);
        std::fflush(stdout);
    };

    const Measure ours = Run(data, baud, [&](CPtyPort&, const QTemporaryDir& dir) {
        TransferJob job;
        job.protocol = TransferProtocol::Kermit;
        job.nPort = kPort;
        job.nBaudRate = baud;
        job.strFilePath = dir.filePath(QStringLiteral("in.bin"));
        job.kermit.nMaxSendLength = length;
        job.kermit.nInitWaitMs = 1000;
        auto run = std::make_shared<CTransferRun>(std::move(job));
        return [run] {
            const bool ok = run->Result() == TransferResult::Completed;
            for (const RecordedMessage& message : run->Sink().Messages()) {
                std::fprintf(stderr, "%s\n", message.text.toUtf8().constData());
            }
            return ok;
        };
    });
    report("velmora", ours);

    const Measure ck = Run(data, baud, [&](CPtyPort& a, const QTemporaryDir& dir) {
        // C-Kermit's packets come out 5 characters longer than its SEND PACKET-LENGTH
        // (a fault of the version tested), so it is asked for 5 less: both put packets
        // of LENGTH on the wire. Options on its command line would undo the prefixing
        // of every control character, so everything goes in one command string.
        const QByteArray commands =
            "set line " + QByteArray::fromStdString(a.SlaveName()) + ", set speed " +
            QByteArray::number(baud) +
            ", set carrier-watch off, set flow none, set file type binary, set block-check 3, "
            "set control prefix all, set send packet-length " +
            QByteArray::number(length - 5) +
            ", set window 1, set streaming off, set attributes off, send in.bin, exit";
        // Its console is not the line.
        const int console = ::open("/dev/null", O_RDWR);
        auto sender = std::make_shared<CLrzsz>(
            console, dir.path(), std::vector<QByteArray>{"kermit", "-Y", "-q", "-C", commands});
        ::close(console);
        return [sender] { return sender->Wait(10) == 0; };
    });
    report("ckermit", ck);
    std::printf("velmora / ckermit: %.1f%%\n", 100.0 * ck.seconds / ours.seconds);
    return ours.ok && ck.ok ? 0 : 1;
}
