// Path helpers shared by the project and the build: the separator is '/', and a path
// made on Windows (a drive letter, or two leading backslashes) still counts as absolute.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// The absolute, lexically normalised form of path (relative to the current directory;
// symbolic links are not resolved).
QString FullPath(const QString& path);
// The part of path up to and including its last '/'; empty when it has none.
QString DirectoryPart(const QString& path);
// The part of path after its last '/'.
QString FileNamePart(const QString& path);

// Whether a path as stored in a project is absolute: it starts with '/', with a drive
// letter and a colon, or with two backslashes.
bool IsAbsoluteEntryPath(const QByteArray& path);
// The file that a stored path names, with backslashes read as separators; a relative
// path is taken from projectDir (which ends with '/').
QString EntryPathToFile(const QByteArray& path, const QString& projectDir);

// Names and lines from the file system and from tools: UTF-8, as the file system stores
// names, when the bytes are valid UTF-8; otherwise each byte as its Latin-1 character,
// so that no byte is lost.
QString DecodeUtf8OrLatin1(QByteArrayView bytes);
// The bytes to store for a path edited from its shown text DecodeUtf8OrLatin1(stored):
// stored itself while the text is unchanged, else the text in UTF-8, as the file system
// names files.
QByteArray EncodeEditedPath(const QString& text, const QByteArray& stored);
