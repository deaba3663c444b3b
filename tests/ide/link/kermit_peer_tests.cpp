// Real Kermit receivers, G-Kermit and C-Kermit, on the far end of a line get files of
// every size around the packet boundaries intact, with either block check and when
// they ask for packets shorter than ours.
#include "LinkTestSupport.h"
#include "Lrzsz.h"
#include "PtyLink.h"

#include <gtest/gtest.h>

namespace {

constexpr int kPort = 9;

// Every byte value, then runs of equal bytes (which repeat counts shorten).
QByteArray Data(int nSize)
{
    QByteArray data(nSize, '\0');
    for (int i = 0; i < nSize; ++i) {
        data[i] = static_cast<char>(i % 512 < 256 ? i % 256 : (i / 7) % 256);
    }
    return data;
}

struct Peer
{
    const char* name;
    int nPacketLength; // the receiver's own limit; 0 for its default
};

std::vector<QByteArray> ReceiverArgs(const Peer& peer, const std::string& device)
{
    const QByteArray length = QByteArray::number(peer.nPacketLength);
    if (QByteArray(peer.name) == "gkermit") {
        std::vector<QByteArray> args{"gkermit", "-r", "-i", "-P", "-w", "-q"};
        if (peer.nPacketLength > 0) {
            args.insert(args.end(), {"-e", length});
        }
        return args;
    }
    QByteArray commands = "set carrier-watch off, set flow none, set file names literal";
    if (peer.nPacketLength > 0) {
        commands += ", set receive packet-length " + length;
    }
    return {"kermit", "-Y",   "-q", "-i",     "-l", QByteArray::fromStdString(device),
            "-b",     "9600", "-C", commands, "-r"};
}

TEST(KermitPeer, FilesArriveIntactWithBothChecksAndShortPackets)
{
    const Peer peers[] = {{"gkermit", 0}, {"kermit", 0}, {"gkermit", 40}, {"kermit", 40}};
    for (const Peer& peer : peers) {
        for (const int check : {1, 3}) {
            for (const int size : {0, 1, 63, 64, 65, 1000, 100000}) {
                if (peer.nPacketLength > 0 && size != 1000) {
                    continue;
                }
                SCOPED_TRACE(testing::Message() << peer.name << " -e " << peer.nPacketLength
                                                << " check " << check << " size " << size);
                QTemporaryDir dir;
                QTemporaryDir receiveDir;
                const QByteArray data = Data(size);
                TransferJob job;
                job.protocol = TransferProtocol::Kermit;
                job.nPort = kPort;
                job.nBaudRate = 0; // as fast as the terminals go
                job.strFilePath = WriteFile(dir, QStringLiteral("data.bin"), data);
                job.kermit.nCheckType = check;
                job.kermit.nInitWaitMs = 500;
                job.kermit.nInitTries = 20;

                CPtyPort sender(kPort);
                CPtyPort receiver;
                CPtyWire wire(sender, receiver);
                // C-Kermit opens the line itself; its console must not be that line, or
                // it would take the packets for keystrokes.
                const bool ownLine = QByteArray(peer.name) == "kermit";
                const int console = ownLine ? ::open("/dev/null", O_RDWR) : receiver.Slave();
                CLrzsz peerProcess(console, receiveDir.path(),
                                   ReceiverArgs(peer, receiver.SlaveName()));
                if (ownLine) {
                    ::close(console);
                }
                ASSERT_EQ(peerProcess.SpawnError(), 0) << peer.name << " is needed";
                CTransferRun run(std::move(job));
                // Generous bounds: a sanitizer build on a busy machine is slow, and
                // both waits end as soon as the transfer does.
                EXPECT_EQ(run.Result(180), TransferResult::Completed);
                EXPECT_EQ(peerProcess.Wait(60), 0);
                EXPECT_TRUE(run.Sink().Messages().empty());
                // Without a given name the file goes as the calculator would name it.
                QFile file(receiveDir.filePath(QStringLiteral("data")));
                ASSERT_TRUE(file.open(QIODevice::ReadOnly));
                EXPECT_TRUE(file.readAll() == data);
            }
        }
    }
}

} // namespace
