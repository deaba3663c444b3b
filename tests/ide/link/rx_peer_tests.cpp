// A real XModem receiver, lrzsz's rx in checksum mode, on the other end of the line gets
// every file intact, although the name announcement is on the line before its first NAK.
#include "LinkTestSupport.h"
#include "Lrzsz.h"
#include "PtyLink.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

constexpr int kPort = 8;

TEST(RxPeer, ReceivesFilesAroundBlockBoundariesAndALargeOne)
{
    for (int size : {1, 127, 128, 129, 256, 257, 100 * 1024}) {
        SCOPED_TRACE(size);
        QTemporaryDir dir;
        const QByteArray data = Pattern(size);
        TransferJob job;
        job.nPort = kPort;
        job.nBaudRate = 230400;
        job.strFilePath = WriteFile(dir, QStringLiteral("in.bin"), data);
        const QString received = dir.filePath(QStringLiteral("received.bin"));

        CPtyPort sender(kPort);
        CPtyPort receiver;
        CPtyWire wire(sender, receiver);
        // As a user would: the sender first, announcing, then the receiver.
        CTransferRun run(std::move(job));
        for (int i = 0; i < 250 && !run.Sink().Statuses().contains("Waiting for NAK..."); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        CLrzsz rx(receiver.Slave(), dir.path(), {"rx", "-b", "-q", "received.bin"});
        ASSERT_EQ(rx.SpawnError(), 0) << "lrzsz's rx is needed";
        EXPECT_EQ(run.Result(), TransferResult::Completed);
        EXPECT_EQ(rx.Wait(20), 0);

        // XModem pads the last block; everything past the file's own bytes is zero.
        QFile file(received);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray got = file.readAll();
        const int blocks = (size + Xmodem::DataSize - 1) / Xmodem::DataSize;
        ASSERT_EQ(got.size(), blocks * Xmodem::DataSize);
        EXPECT_TRUE(got.startsWith(data));
        EXPECT_EQ(got.mid(size), QByteArray(got.size() - size, '\0'));
    }
}

} // namespace
