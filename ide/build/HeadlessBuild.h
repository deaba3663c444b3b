// The build without a window: velmora --build PROJECT.hpr [--config NAME]. Each build
// message is a line on standard output, message boxes are lines on standard error,
// Ctrl+C acts as the progress dialog's Cancel button, and the options come from the
// same settings file as in the window.
#pragma once

#include "BuildMessages.h"
#include "BuildProgress.h"

#include <cstdio>

// The build messages as lines on a stream.
class CConsoleMessages : public IBuildMessages
{
public:
    explicit CConsoleMessages(std::FILE* out = stdout) : m_out(out) {}
    void AddMessage(const QString& line) override;
    void ClearMessages() override {}
    void ShowMessages() override {}
    void HideMessages() override {}

private:
    std::FILE* m_out;
};

// A progress without a window whose Cancel button is Ctrl+C (SIGINT), or a termination
// request (SIGTERM), while it exists.
class CConsoleProgress : public CProgressState
{
public:
    CConsoleProgress();
    ~CConsoleProgress() override;
    CConsoleProgress(const CConsoleProgress&) = delete;
    CConsoleProgress& operator=(const CConsoleProgress&) = delete;
    bool PollCancel() override;
};

// The command-line mode: true when argv asks for it (its first argument is --build).
bool IsHeadlessBuild(int argc, char** argv);
// Runs it: 0 when every file compiled and the packaging tools succeeded, 1 otherwise
// (also for a wrong command line, a project that can't be read or an unknown
// configuration). Creates its own application object; call it before any other.
int RunHeadlessBuild(int argc, char** argv);
