// The texts that the build writes for the tools: the three generated project sources,
// the loader control file and the index file, plus the time-stamp test that decides
// whether a generated or compiled file is out of date. All texts are bytes with CR LF
// line ends, as the calculator's tools expect them.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

class CProjectDocument;

// True exactly when both files exist and file's last-write time, to the second, is later
// than reference's.
bool IsFileNewer(const QString& reference, const QString& file);
// True when object exists and one of sources is newer than it (as IsFileNewer tells).
bool IsOlderThanAny(const QString& object, const QStringList& sources);

// The generation time as the header shows it, always in English:
// "%H:%M:%S %A, %B %d, %Y" of local time.
QByteArray FormatGeneratedTime(const QDateTime& when);
// The four header lines of generated source fileName.
QByteArray GeneratedHeader(const QString& fileName, const QByteArray& time);
// The bodies: the $VISIBLE list of the entries compiled in the current configuration,
// the $CONFIG program attaching library romId, and the $TITLE string.
QByteArray VisibleListBody(const CProjectDocument& project);
QByteArray ConfigProgramBody(int romId);
QByteArray TitleStringBody(const QByteArray& title);

// The loader control file for the object outBase + ".o" (outBase: output folder and
// short name), searching toolDir's ENTRIES.O.
QByteArray LoaderControlFile(const QString& outBase, const QString& toolDir);

// The index file for the directory object: one line "object;name" per entry compiled in
// the current configuration, the last entry first. Each object is named where the
// compile step puts it: compiledDir (ending in '/') + the entry's file name without
// ".s" + ".gx". Unless the project is a library, the entries of the library's generated
// objects ($TITLE, $CONFIG, $VISIBLE) are left out and named in leftOut.
QByteArray IndexFileText(const CProjectDocument& project, const QString& compiledDir,
                         QStringList* leftOut = nullptr);

// The name that the compile step gives a source's object: the file-name part of path
// (backslashes read as separators) with a trailing ".s" and then a trailing ".S" removed.
QString LongNameOf(const QString& path);
