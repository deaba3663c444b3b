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
