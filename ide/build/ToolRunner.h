// Runs the outside tools of a build and shows what they say in the build messages:
// the echo of the command line, the tool's output, and one summary line.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

class IBuildMessages;
class IBuildProgress;

// Splits an argument string the way a Windows program splits its command line: blanks
// and tabs separate arguments, double quotes group words (a blank inside stays), a
// backslash before a quote makes it literal, and 2n backslashes before a quote stand
// for n backslashes; "" inside quotes is one literal quote.
QStringList SplitCommandLine(const QString& args);

// Puts a path that holds a blank or a tab in double quotes, for the loader's control
// file, whose operands are quoted without escapes; other paths are returned as written.
QString QuoteIfBlank(const QString& path);
// A path as one argument of an argument string: returned as written when it holds no
// blank, tab or double quote (and is not empty) and always is false; else in double
// quotes, with its quotes and the backslashes before them escaped, so that
// SplitCommandLine gives it back.
QString QuoteArgument(const QString& path, bool always = false);

// Cuts tool output or a listing into the lines that the messages show: at each line
// feed, with a trailing carriage return removed, long lines cut into pieces of at most
// 1023 characters. The piece after the last line feed counts as a line too, so text
// ending in a line break gives a closing empty line. Each line is read as UTF-8, the
// encoding of the paths the tools are given, when it is valid UTF-8, else as Latin-1
// (DecodeUtf8OrLatin1), so that nothing a tool writes is lost.
QStringList SplitToolOutput(const QByteArray& text);

class CToolRunner
{
public:
    explicit CToolRunner(IBuildMessages& messages) : m_messages(messages) {}

    // Runs tool with the argument string in workDir, waiting in 100 ms slices and
    // polling progress for Cancel after each; a cancel kills the tool. Each line of
    // the tool's output is shown as soon as it is complete. True when the
    // tool started, was not cancelled and ended with exit code 0.
    bool RunTool(QString tool, const QString& args, const QString& workDir,
                 IBuildProgress& progress);

    // The run event: reset when a run starts, set when it ends. Setting it while a
    // tool runs (the Cancel Build command) ends the wait; the tool is then stopped.
    void ResetRunEvent() { m_bRunEvent = false; }
    void SetRunEvent() { m_bRunEvent = true; }
    bool IsRunEventSet() const { return m_bRunEvent; }
    // Whether the Cancel Build command is offered. Never raised: while a build runs
    // its progress dialog's Cancel button is the way to stop it.
    bool CanCancelBuild() const { return m_bCanCancelBuild; }
    // The folder the last tool ran in: the file names in its messages are relative to it.
    const QString& LastWorkDir() const { return m_strLastWorkDir; }

private:
    IBuildMessages& m_messages;
    bool m_bRunEvent = false;
    bool m_bCanCancelBuild = false;
    QString m_strLastWorkDir;
};
