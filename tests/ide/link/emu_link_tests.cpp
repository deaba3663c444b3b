// The emulator link against emu48peer, the program that plays a cooperating emulator:
// what crosses the link, what the user is told, and starting an emulator that is not
// running yet.
#include "EmuLink.h"
#include "EmuProtocol.h"
#include "LinkCommands.h"
#include "Prompt.h"
#include "Strings.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <vector>

extern char** environ;

namespace {

struct Box
{
    QString text;
    unsigned type;
};

// Records every box; the answer comes from a function the test sets (default: OK).
class CTestPrompt : public IPrompt
{
public:
    std::vector<Box> m_boxes;
    std::function<int()> m_answer = [] { return IDOK; };

    int MessageBox(const QString& text, const QString&, unsigned type) override
    {
        m_boxes.push_back({text, type});
        return m_answer();
    }
    QStringList GetOpenFileNames(const QString&, const QString&, const QString&, bool) override
    {
        return {};
    }
    QString GetSaveFileName(const QString&, const QString&, const QString&) override { return {}; }
};

bool WaitForEmulator(int nMs = 5000)
{
    for (int waited = 0; waited <= nMs; waited += 20) {
        if (const int fd = ConnectToEmulator(); fd >= 0) {
            ::close(fd);
            return true;
        }
        if (waited == nMs) {
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

class EmuLinkTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ::setenv("XDG_RUNTIME_DIR", QFile::encodeName(m_dir.path()).constData(), 1);
        // Emulators that Velmora starts read their settings from the environment, and
        // end on their own once they have served one hand-over or stayed idle.
        ::setenv("EMU48PEER_RECORD", QFile::encodeName(RecordPath()).constData(), 1);
        ::setenv("EMU48PEER_ONCE", "1", 1);
        ::setenv("EMU48PEER_IDLE_EXIT", "3000", 1);
        m_strFile = m_dir.filePath(QStringLiteral("My Project.lib"));
        QFile file(m_strFile);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("HPHP48-R");
    }
    void TearDown() override
    {
        for (pid_t pid : m_peers) {
            ::kill(pid, SIGTERM);
            ::waitpid(pid, nullptr, 0);
        }
        for (const char* name : {"XDG_RUNTIME_DIR", "EMU48PEER_RECORD", "EMU48PEER_ONCE",
                                 "EMU48PEER_IDLE_EXIT", "EMU48PEER_DELAY"}) {
            ::unsetenv(name);
        }
    }

    QString RecordPath() const { return m_dir.filePath(QStringLiteral("record.txt")); }
    QStringList Record() const
    {
        QFile file(RecordPath());
        if (!file.open(QIODevice::ReadOnly)) {
            return {};
        }
        return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
    // Runs a peer as the emulator, already listening when this returns.
    void RunPeer(std::vector<const char*> args = {})
    {
        args.insert(args.begin(), EMU48PEER_PATH);
        args.push_back(nullptr);
        pid_t pid = -1;
        ASSERT_EQ(posix_spawn(&pid, EMU48PEER_PATH, nullptr, nullptr,
                              const_cast<char* const*>(args.data()), environ),
                  0);
        m_peers.push_back(pid);
        ASSERT_TRUE(WaitForEmulator());
    }
    void WaitForPeers()
    {
        for (pid_t pid : m_peers) {
            ::waitpid(pid, nullptr, 0);
        }
        m_peers.clear();
    }
    QString LoadLine(const QString& path) const
    {
        const qsizetype size = QFile::encodeName(path).size() + 1;
        return QStringLiteral("load %1 %1 %2").arg(size).arg(path);
    }

    QTemporaryDir m_dir;
    QString m_strFile;
    CTestPrompt m_prompt;
    std::vector<pid_t> m_peers;
};

TEST_F(EmuLinkTest, HandsThePathToARunningEmulator)
{
    for (const char* reply : {"0x87654321", "0x12345678"}) {
        SCOPED_TRACE(reply);
        RunPeer({"--reply", reply});
        EXPECT_EQ(SendToEmulator(m_strFile, QStringLiteral("/nonexistent/emu"), m_prompt),
                  EmuResult::HandedOver);
        EXPECT_TRUE(m_prompt.m_boxes.empty());
        // The path and its NUL, in a section of exactly that size; then the window is
        // brought forward.
        EXPECT_EQ(Record(), QStringList({LoadLine(m_strFile), QStringLiteral("activate 1")}));
        QFile::remove(RecordPath());
        WaitForPeers(); // each ends after its hand-over
    }
}

TEST_F(EmuLinkTest, WarnsAboutAnIncompatibleEmulatorButStillHandsOver)
{
    RunPeer({"--reply", "0x1"});
    EXPECT_TRUE(SimulateInEmulator(m_strFile, QString(), m_prompt));
    ASSERT_EQ(m_prompt.m_boxes.size(), 1u);
    EXPECT_EQ(m_prompt.m_boxes[0].text,
              QStringLiteral("An incompatible version of EMU48 is running.  Please obtain the "
                             "Velmora compatible version."));
    EXPECT_EQ(m_prompt.m_boxes[0].type, Mb::Ok);
    EXPECT_EQ(Record(), QStringList({LoadLine(m_strFile), QStringLiteral("activate 1")}));
}

TEST_F(EmuLinkTest, AMissingFileIsNotHandedOver)
{
    RunPeer();
    EXPECT_FALSE(
        SimulateInEmulator(m_dir.filePath(QStringLiteral("none.dir")), QString(), m_prompt));
    ASSERT_EQ(m_prompt.m_boxes.size(), 1u);
    EXPECT_EQ(m_prompt.m_boxes[0].text,
              QStringLiteral("The destination project file must be built first."));
    EXPECT_EQ(m_prompt.m_boxes[0].type, Mb::IconError);
    EXPECT_TRUE(Record().isEmpty());
}

TEST_F(EmuLinkTest, AWrongEmulatorLocationShowsTheSystemErrorCode)
{
    EXPECT_FALSE(
        SimulateInEmulator(m_strFile, m_dir.filePath(QStringLiteral("Emu48.exe")), m_prompt));
    ASSERT_EQ(m_prompt.m_boxes.size(), 1u);
    EXPECT_EQ(m_prompt.m_boxes[0].text,
              QStringLiteral("Error while trying to execute EMU48 (error #00000002).  Please "
                             "ensure path and file settings are correct."));
    EXPECT_EQ(m_prompt.m_boxes[0].type, Mb::IconError);
    // A file that is there but cannot be run.
    m_prompt.m_boxes.clear();
    EXPECT_FALSE(SimulateInEmulator(m_strFile, m_strFile, m_prompt));
    ASSERT_EQ(m_prompt.m_boxes.size(), 1u);
    EXPECT_TRUE(m_prompt.m_boxes[0].text.contains(QStringLiteral("(error #0000000d)")));
}

TEST_F(EmuLinkTest, StartsTheEmulatorAndAsksUntilItIsUp)
{
    const QString question = LoadString(IDS_EMU_NOT_RUNNING);
    // The first OK comes before the emulator listens: it is started again and the
    // question repeats; the second OK comes once it is up.
    ::setenv("EMU48PEER_DELAY", "300", 1);
    int asked = 0;
    m_prompt.m_answer = [&] {
        if (++asked > 1) {
            WaitForEmulator();
        }
        return IDOK;
    };
    EXPECT_TRUE(SimulateInEmulator(m_strFile, QStringLiteral(EMU48PEER_PATH), m_prompt));
    ASSERT_EQ(m_prompt.m_boxes.size(), 2u);
    EXPECT_EQ(m_prompt.m_boxes[0].text, question);
    EXPECT_EQ(m_prompt.m_boxes[0].type, Mb::OkCancel);
    EXPECT_EQ(Record(), QStringList({LoadLine(m_strFile), QStringLiteral("activate 1")}));
}

TEST_F(EmuLinkTest, CancellingTheStartQuestionHandsNothingOver)
{
    ::setenv("EMU48PEER_IDLE_EXIT", "500", 1);
    m_prompt.m_answer = [] { return IDCANCEL; };
    EXPECT_FALSE(SimulateInEmulator(m_strFile, QStringLiteral(EMU48PEER_PATH), m_prompt));
    EXPECT_EQ(m_prompt.m_boxes.size(), 1u);
    EXPECT_TRUE(Record().isEmpty());
}

TEST_F(EmuLinkTest, WithoutAWindowTheStartedEmulatorIsWaitedFor)
{
    ::setenv("EMU48PEER_DELAY", "300", 1);
    const LinkSettings settings{2, 9600, QStringLiteral(EMU48PEER_PATH)};
    EXPECT_EQ(RunLinkCommand({QStringLiteral("--simulate"), m_strFile}, settings), 0);
    EXPECT_EQ(Record(), QStringList({LoadLine(m_strFile), QStringLiteral("activate 1")}));

    // A program that never listens: the wait ends with a message. (First the emulator
    // above must have gone.)
    for (int i = 0; i < 250 && WaitForEmulator(0); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EmuLinkOptions options;
    options.bAskWhenStarted = false;
    options.nStartWaitMs = 300;
    EXPECT_EQ(SendToEmulator(m_strFile, QStringLiteral("/bin/true"), m_prompt, options),
              EmuResult::Failed);
    ASSERT_EQ(m_prompt.m_boxes.size(), 1u);
    EXPECT_EQ(m_prompt.m_boxes[0].text, LoadString(IDS_EMU_START_TIMEOUT));

    EXPECT_EQ(RunLinkCommand({QStringLiteral("--simulate")}, settings), 2);
}

TEST_F(EmuLinkTest, AnEmulatorThatNeverAnswersIsNotWaitedForForever)
{
    // A socket that accepts connections but never answers.
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string path = EmuSocketPath();
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    ASSERT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(fd, 4), 0);
    EmuLinkOptions options;
    options.nReplyTimeoutMs = 200;
    EXPECT_EQ(SendToEmulator(m_strFile, QString(), m_prompt, options), EmuResult::Failed);
    ASSERT_EQ(m_prompt.m_boxes.size(), 1u);
    EXPECT_EQ(m_prompt.m_boxes[0].text, LoadString(IDS_EMU_NO_ANSWER));
    ::close(fd);
}

} // namespace
