// The build without a window: standard output carries the build messages, standard
// error the message boxes, Ctrl+C cancels, and the exit code tells the outcome.
#include "HeadlessBuild.h"
#include "BuildTestSupport.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QThread>
#include <csignal>
#include <cstdio>
#include <gtest/gtest.h>

namespace {

class HeadlessBuildTest : public BuilderFixture
{
protected:
    void SetUp() override
    {
        // The settings file that the program reads, in a config folder of the test's own.
        Write("config/Velmora/Velmora.conf",
              "[Options]\nToolLocation=" + QFile::encodeName(StandInDir()) +
                  "\nOutputDir=Output\nCompiledDir=Compiled\n");
        NewProject("Individual");
        m_project->m_configs.append({"DEBUG", "Debug", "t"});
        AddEntry("main.s");
        AddEntry("debug.s");
        m_pProject->m_files[1].configMode = 1;
        m_pProject->m_files[1].configList = "DEBUG";
        ASSERT_TRUE(m_pProject->OnSaveDocument(m_pProject->GetPathName()));
    }
    void Start(const QStringList& args)
    {
        QProcessEnvironment env;
        env.insert("XDG_CONFIG_HOME", m_dir.filePath("config"));
        env.insert("HOME", m_dir.path());
        m_process.setProcessEnvironment(env);
        m_process.start(qEnvironmentVariable("VELMORA_HEADLESS_BUILD"), args);
        ASSERT_TRUE(m_process.waitForStarted());
    }
    int Finish()
    {
        EXPECT_TRUE(m_process.waitForFinished(30000));
        m_out = QString::fromLatin1(m_process.readAllStandardOutput()).split('\n');
        m_err = QString::fromLatin1(m_process.readAllStandardError());
        return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
    }
    int Build(const QStringList& args)
    {
        Start(args);
        return Finish();
    }
    // Starts a build whose compiler sleeps, waits until the tool runs, then sends signal
    // to the build as a terminal (Ctrl+C) or a supervisor (SIGTERM) would.
    void InterruptRunningTool(int signal)
    {
        Write("main.s", "* STANDIN RPLCOMP SLEEP 20000\r\n");
        Start({"--build", m_dir.filePath("demo.hpr")});
        QElapsedTimer t;
        t.start();
        while (!m_process.peek(4096).contains("Running RPLCOMP.EXE:") && t.elapsed() < 10000)
            m_process.waitForReadyRead(50);
        QThread::msleep(200);
        kill(static_cast<pid_t>(m_process.processId()), signal);
    }

    QProcess m_process;
    QStringList m_out;
    QString m_err;
};

TEST_F(HeadlessBuildTest, BuildsTheCurrentOrTheChosenConfigurationAndPrintsEveryMessage)
{
    const QString project = m_dir.filePath("demo.hpr");
    EXPECT_EQ(Build({"--build", project}), 0) << m_err.toStdString();
    EXPECT_EQ(m_out.first(), "--- Configuration: DEFAULT ---");
    EXPECT_EQ(m_out.mid(m_out.size() - 3),
              QStringList({"Successfully built main.gx", "Successfully built all files", ""}));
    EXPECT_FALSE(m_out.contains("Successfully built debug.gx"));
    EXPECT_EQ(m_err, "");

    EXPECT_EQ(Build({"--build", project, "--config", "DEBUG"}), 0);
    EXPECT_EQ(m_out.first(), "--- Configuration: DEBUG ---");
    EXPECT_TRUE(m_out.contains("Successfully built debug.gx"));
}

TEST_F(HeadlessBuildTest, BadInputGivesAClearLineOnStandardErrorAndExitCode1)
{
    EXPECT_EQ(Build({"--build"}), 1);
    EXPECT_TRUE(m_err.startsWith("usage: velmora --build PROJECT.hpr [--config NAME]"));
    EXPECT_EQ(Build({"--build", m_dir.filePath("none.hpr")}), 1);
    EXPECT_TRUE(m_err.contains(m_dir.filePath("none.hpr")));
    EXPECT_EQ(m_out, QStringList({""}));
    EXPECT_EQ(Build({"--build", m_dir.filePath("demo.hpr"), "--config", "NOPE"}), 1);
    EXPECT_TRUE(m_err.contains("No configuration named \"NOPE\""));
}

TEST_F(HeadlessBuildTest, FailedCompileGivesExitCode1)
{
    Write("main.s", "* STANDIN SASM EXIT 1\r\n");
    EXPECT_EQ(Build({"--build", m_dir.filePath("demo.hpr")}), 1);
    EXPECT_TRUE(m_out.contains("There were errors during compile process"));
}

TEST_F(HeadlessBuildTest, ATerminationRequestCancelsAsCtrlCDoes)
{
    InterruptRunningTool(SIGTERM);
    EXPECT_EQ(Finish(), 1);
    EXPECT_EQ(m_out.mid(m_out.size() - 2), QStringList({"The compile process was cancelled", ""}));
}

TEST_F(HeadlessBuildTest, CtrlCCancelsTheRunningToolAndTheBuild)
{
    InterruptRunningTool(SIGINT);
    QElapsedTimer t;
    t.start();
    EXPECT_EQ(Finish(), 1);
    EXPECT_LT(t.elapsed(), 3000);
    EXPECT_TRUE(m_out.contains("Execution cancelled"));
    EXPECT_EQ(m_out.mid(m_out.size() - 2), QStringList({"The compile process was cancelled", ""}));
}

TEST(ConsoleMessages, EachMessageIsAUtf8Line)
{
    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    CConsoleMessages messages(file);
    messages.AddMessage(QString::fromUtf8("Writing a.s [/home/jos\u00e9/a.s]"));
    messages.AddMessage(QString());
    std::rewind(file);
    char buf[64] = {};
    const size_t n = std::fread(buf, 1, sizeof buf, file);
    std::fclose(file);
    EXPECT_EQ(QByteArray(buf, static_cast<qsizetype>(n)),
              "Writing a.s [/home/jos\xC3\xA9/a.s]\n\n");
}

} // namespace
