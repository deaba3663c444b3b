#include "Paths.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>

QString FullPath(const QString& path)
{
    if (path.isEmpty()) {
        return QString();
    }
    return QDir::cleanPath(QDir::current().absoluteFilePath(path));
}

QString DirectoryPart(const QString& path)
{
    return path.left(path.lastIndexOf(QLatin1Char('/')) + 1);
}

QString FileNamePart(const QString& path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

bool IsAbsoluteEntryPath(const QByteArray& path)
{
    if (path.startsWith('/') || path.startsWith("\\\\")) {
        return true;
    }
    const char drive = path.size() >= 2 ? static_cast<char>(path.at(0) | 0x20) : 0;
    return drive >= 'a' && drive <= 'z' && path.at(1) == ':';
}

QString EntryPathToFile(const QByteArray& path, const QString& projectDir)
{
    QString file = QFile::decodeName(path);
    file.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (IsAbsoluteEntryPath(path)) {
        return file;
    }
    return projectDir + file;
}

QString DecodeUtf8OrLatin1(QByteArrayView bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(bytes);
    return utf8.hasError() ? QString::fromLatin1(bytes) : text;
}

QByteArray EncodeEditedPath(const QString& text, const QByteArray& stored)
{
    return text == DecodeUtf8OrLatin1(stored) ? stored : text.toUtf8();
}
