// velmora --transfer and --simulate run as a program: the port, baud rate and emulator
// come from the settings file, status lines go to standard output, messages to standard
// error, Ctrl+C cancels, and the exit code tells whether the file went over.
#include "EmuProtocol.h"
#include "LinkTestSupport.h"
#include "PtyLink.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>

#include <csignal>
#include <thread>

namespace {

constexpr int kPort = 4;

class ConsoleTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QFile config(m_dir.filePath(QStringLiteral("config/Velmora/Velmora.conf")));
        ASSERT_TRUE(QDir().mkpath(m_dir.filePath(QStringLiteral("config/Velmora"))));
        ASSERT_TRUE(config.open(QIODevice::WriteOnly));
        config.write("[Options]\nCOMPort=" + QByteArray::number(kPort) +
                     "\nBaudRate=115200\nEMU48Location=" +
                     QFile::encodeName(m_dir.filePath(QStringLiteral("Emu48.exe"))) + "\n");
        m_strFile = WriteFile(m_dir, QStringLiteral("prog.gx"), Pattern(5));
    }
    void Start(const QStringList& args)
    {
        QProcessEnvironment env;
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir.filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_dir.path());
        env.insert(QStringLiteral("HOME"), m_dir.path());
        env.insert(QStringLiteral("VELMORA_COM%1").arg(kPort),
                   QString::fromStdString(m_calc.SlaveName()));
        m_process.setProcessEnvironment(env);
        m_process.start(QStringLiteral(VELMORA_LINK_PROGRAM), args);
        ASSERT_TRUE(m_process.waitForStarted());
    }
    int Finish()
    {
        EXPECT_TRUE(m_process.waitForFinished(15000));
        m_out = QString::fromUtf8(m_process.readAllStandardOutput());
        m_err = QString::fromUtf8(m_process.readAllStandardError());
        return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
    }

    QTemporaryDir m_dir;
    QString m_strFile;
    CPtyPort m_calc;
    QProcess m_process;
    QString m_out;
    QString m_err;
};

TEST_F(ConsoleTest, TransferSendsTheFileWithTheNameGivenAndPrintsItsProgress)
{
    Start({QStringLiteral("--transfer"), m_strFile, QStringLiteral("--name"),
           QStringLiteral("\\GS")});
    const QByteArray announcement("Filename: '\x85'");
    ASSERT_EQ(m_calc.Read(announcement.size() * 2), announcement.repeated(2));
    m_calc.Send(Xmodem::NAK);
    ASSERT_EQ(m_calc.ReadAfter(announcement, Xmodem::BlockSize), XmodemBlock(1, Pattern(5)));
    m_calc.Send(Xmodem::ACK);
    EXPECT_EQ(m_calc.Read(1), QByteArray(1, Xmodem::EOT));
    EXPECT_EQ(Finish(), 0) << m_err.toStdString();
    EXPECT_EQ(m_out, QStringLiteral("Waiting for NAK...\n0 of 5 bytes sent (0%)\n"
                                    "5 of 5 bytes sent (100%)\n"));
    EXPECT_EQ(m_err, QString());
}

TEST_F(ConsoleTest, CtrlCCancelsTheTransfer)
{
    Start({QStringLiteral("--transfer"), m_strFile});
    const QByteArray announcement("Filename: 'prog.gx'");
    ASSERT_EQ(m_calc.Read(announcement.size() * 2), announcement.repeated(2));
    ::kill(static_cast<pid_t>(m_process.processId()), SIGINT);
    const QByteArray tail = m_calc.ReadUntil("HH", 2500);
    EXPECT_TRUE(tail == "HH" || tail == announcement + "HH") << tail.constData();
    EXPECT_EQ(Finish(), 1);
    EXPECT_EQ(m_err, QStringLiteral("Transfer cancelled.\n"));
}

TEST_F(ConsoleTest, FailuresGiveAMessageAndExitCode1)
{
    const QString missing = m_dir.filePath(QStringLiteral("none.gx"));
    Start({QStringLiteral("--transfer"), missing});
    EXPECT_EQ(Finish(), 1);
    EXPECT_TRUE(m_err.contains(QStringLiteral("Couldn't open file %1 (Error: 2)!").arg(missing)))
        << m_err.toStdString();

    Start({QStringLiteral("--simulate"), missing});
    EXPECT_EQ(Finish(), 1);
    EXPECT_TRUE(
        m_err.contains(QStringLiteral("The destination project file must be built first.")));

    // No emulator listening, and the configured one is not there.
    Start({QStringLiteral("--simulate"), m_strFile});
    EXPECT_EQ(Finish(), 1);
    EXPECT_TRUE(m_err.contains(QStringLiteral("(error #00000002)"))) << m_err.toStdString();

    // A wrong command line: the usage and a failure (2 from velmora's own check of the
    // line, 1 from the mode's reader in the program without a window).
    Start({QStringLiteral("--transfer")});
    EXPECT_NE(Finish(), 0);
    EXPECT_TRUE(m_err.contains(QStringLiteral("velmora --transfer FILE [--name NAME]")));
}

TEST_F(ConsoleTest, SimulateHandsThePathToTheEmulator)
{
    QProcess peer;
    QProcessEnvironment env;
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_dir.path());
    peer.setProcessEnvironment(env);
    peer.start(QStringLiteral(EMU48PEER_PATH), {QStringLiteral("--once")});
    ASSERT_TRUE(peer.waitForStarted());
    const QString socket = m_dir.filePath(QStringLiteral("CEmu48"));
    for (int i = 0; i < 250 && !QFile::exists(socket); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    Start({QStringLiteral("--simulate"), m_strFile});
    EXPECT_EQ(Finish(), 0) << m_err.toStdString();
    EXPECT_TRUE(peer.waitForFinished(5000));
    EXPECT_EQ(QString::fromUtf8(peer.readAllStandardOutput()),
              QStringLiteral("load %1 %1 %2\nactivate 1\n")
                  .arg(QFile::encodeName(m_strFile).size() + 1)
                  .arg(m_strFile));
}

} // namespace
