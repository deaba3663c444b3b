// The jump from a build message to the source line it names. Tool error lines come in
// three shapes:
//   *** ERROR in "MAIN.S" on line 12: message      (error form)
//   "MAIN.S", line 12: message                     (comma form)
//   MAIN.S: 12: message                            (colon form)
// Lines that only begin like one of them, or name no usable line, lead nowhere.
#pragma once

#include <QDir>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

struct SourceReference
{
    QString fileName; // as written in the message
    int line = 0;     // counted from 1
};

// The file name and line number that a message line names, or nothing when the line
// has no ": ", fits no form, or its line number is missing or 0.
std::optional<SourceReference> ParseSourceReference(const QString& message);

// The file at path (relative to base when not absolute), each part of the path matched
// ignoring case, returned as an absolute clean path spelled as the file system stores
// it. Backslashes count as separators. Empty when there is no such file.
QString FindFileIgnoringCase(const QString& path, const QDir& base = QDir::current());

// Both steps: the stored path and the line a message line leads to, or nothing. A
// relative file name is looked for in each of folders in turn (empty ones skipped).
std::optional<SourceReference>
ResolveSourceReference(const QString& message, const QStringList& folders = {QDir::currentPath()});

// How the messages window shows a line: an error names a source file and line (the
// lines a double-click jumps from), an echo is the "[tool arguments]" line written
// before a tool runs, everything else is plain.
enum class MessageKind
{
    Plain,
    Error,
    Echo
};
MessageKind ClassifyMessage(const QString& message);

// The error line that F4 (step 1) or Shift+F4 (step -1) moves to from line current
// (-1: none yet) among count lines, going round at the ends; -1 when no line is an
// error. kindOf gives the kind of a line.
int NextErrorRow(int count, int current, int step, const std::function<MessageKind(int)>& kindOf);
