// A real XModem receiver, lrzsz's rx in checksum mode, on the other end of the line gets
// every file intact, although the name announcement reaches it before its first NAK.
#include "LinkTestSupport.h"
#include "PtyLink.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace {

constexpr int kPort = 8;

// rx receiving one file from its standard input and output, a terminal.
class CRx
{
public:
    // rx refuses paths with directories in them, so it runs in the folder it writes to.
    CRx(int terminal, const QString& dir, const QString& outName)
    {
        const QByteArray folder = dir.toLocal8Bit();
        const QByteArray out = outName.toLocal8Bit();
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, terminal, 0);
        posix_spawn_file_actions_adddup2(&actions, terminal, 1);
        posix_spawn_file_actions_addchdir_np(&actions, folder.constData());
        posix_spawn_file_actions_addopen(&actions, 2, "rx.log", O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const char* argv[] = {"rx", "-b", "-q", out.constData(), nullptr};
        m_nSpawnError =
            posix_spawnp(&m_pid, "rx", &actions, nullptr, const_cast<char* const*>(argv), environ);
        posix_spawn_file_actions_destroy(&actions);
    }
    ~CRx()
    {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
    }
    CRx(const CRx&) = delete;
    CRx& operator=(const CRx&) = delete;

    int SpawnError() const { return m_nSpawnError; }
    // rx's exit code, or -1 when it has not ended within nSeconds.
    int Wait(int nSeconds)
    {
        for (int i = 0; i < nSeconds * 20; ++i) {
            int status = 0;
            if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_pid = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
            }
            ::usleep(50000);
        }
        return -1;
    }

private:
    pid_t m_pid = -1;
    int m_nSpawnError = 0;
};

TEST(RxPeer, ReceivesFilesAroundBlockBoundariesAndALargeOne)
{
    for (int size : {1, 127, 128, 129, 256, 257, 100 * 1024}) {
        SCOPED_TRACE(size);
        QTemporaryDir dir;
        const QByteArray data = Pattern(size);
        TransferJob job;
        job.nPort = kPort;
        job.strFilePath = WriteFile(dir, QStringLiteral("in.bin"), data);
        const QString received = dir.filePath(QStringLiteral("received.bin"));

        CPtyPort sender(kPort);
        CPtyPort receiver;
        CPtyWire wire(sender, receiver);
        CRx rx(receiver.Slave(), dir.path(), QStringLiteral("received.bin"));
        ASSERT_EQ(rx.SpawnError(), 0) << "lrzsz's rx is needed";
        CTransferRun run(std::move(job));
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
