// What the build tests share: a build messages recorder, a progress that can be made
// to cancel, and the folder of the stand-in tool chain.
#pragma once

#include "BuildMessages.h"
#include "BuildProgress.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>

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
