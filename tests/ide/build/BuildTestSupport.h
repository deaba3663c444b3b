// What the build tests share: a build messages recorder, a progress that can be made
// to cancel, and the folder of the stand-in tool chain.
#pragma once

#include "BuildMessages.h"
#include "BuildProgress.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <ostream>

// Test failures show texts as text.
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

class RecordingMessages : public IBuildMessages
{
public:
    void AddMessage(const QString& line) override { lines << line; }
    void ClearMessages() override
    {
        lines.clear();
        ++clears;
    }
    void ShowMessages() override { ++shows; }
    void HideMessages() override {}

    QStringList lines;
    int clears = 0;
    int shows = 0;
};

// A progress whose Cancel is pressed on the nth poll (0: never), or when onPoll says so.
class TestProgress : public CProgressState
{
public:
    explicit TestProgress(int cancelAtPoll = 0) : m_nCancelAt(cancelAtPoll) {}
    bool PollCancel() override
    {
        ++polls;
        if ((m_nCancelAt > 0 && polls >= m_nCancelAt) || (onPoll && onPoll()))
            Cancel();
        return CProgressState::PollCancel();
    }
    int StepIt() override
    {
        ++steps;
        return CProgressState::StepIt();
    }

    int polls = 0;
    int steps = 0;
    std::function<bool()> onPoll;

private:
    int m_nCancelAt;
};

// The tool folder with RPLCOMP.EXE, SASM.EXE, SLOAD.EXE, USRLIB.EXE, TOOL, ECHOARGS,
// SASM.OPC, ENTRIES.O and Wendrix.EXE.
inline QString StandInDir()
{
    return qEnvironmentVariable("VELMORA_STANDIN_DIR");
}

#include "Builder.h"
#include "Options.h"
#include "ProjectDocument.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <memory>
#include <sys/stat.h>

// Sets the last-write time of path.
inline void SetTime(const QString& path, const QDateTime& when)
{
    const qint64 ms = when.toMSecsSinceEpoch();
    timespec times[2] = {{ms / 1000, (ms % 1000) * 1000000}, {ms / 1000, (ms % 1000) * 1000000}};
    ASSERT_EQ(utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
}

// A folder of its own, options pointing at the stand-in tools, and a builder whose
// project (when there is one) lives in that folder and is saved by Save All.
class BuilderFixture : public ::testing::Test
{
protected:
    BuilderFixture()
    {
        m_options.AddProgramOptions(QDir::currentPath());
        m_options.SetOption("ToolLocation", StandInDir());
        m_options.SetOption("OutputDir", "Output");
        m_options.SetOption("CompiledDir", "Compiled");
        m_options.SetOption("GNUToolsMode", "No");
        m_builder.SetSaveAll([this] {
            if (m_pProject && m_pProject->IsModified())
                m_pProject->OnSaveDocument(m_pProject->GetPathName());
            if (onSaveAll)
                onSaveAll();
        });
    }

    QString Write(const QString& rel, const QByteArray& text)
    {
        const QString path = m_dir.filePath(rel);
        QDir().mkpath(QFileInfo(path).path());
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text);
        return path;
    }
    QByteArray Read(const QString& rel) const
    {
        QFile f(m_dir.filePath(rel));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    void SetAge(const QString& rel, int seconds)
    {
        SetTime(m_dir.filePath(rel), QDateTime::currentDateTime().addSecs(-seconds));
    }

    // A saved project demo.hpr of type in the folder.
    void NewProject(const QByteArray& type)
    {
        m_project = std::make_unique<CProjectDocument>();
        m_project->OnNewDocument();
        m_project->m_strProjectType = type;
        ASSERT_TRUE(m_project->OnSaveDocument(m_dir.filePath("demo.hpr")));
        m_pProject = m_project.get();
    }
    // Adds the file rel (written with text) to the project.
    void AddEntry(const QString& rel, const QByteArray& text = "x\r\n",
                  const QByteArray& compiledName = {})
    {
        ASSERT_TRUE(m_pProject->AddFile(Write(rel, text), compiledName));
    }

    QTemporaryDir m_dir;
    RecordingMessages m_messages;
    COptionTable m_options;
    std::unique_ptr<CProjectDocument> m_project;
    CProjectDocument* m_pProject = nullptr;
    CBuilder m_builder{m_messages, m_options, &m_pProject};
    TestProgress m_progress;
    std::function<void()> onSaveAll;
};
