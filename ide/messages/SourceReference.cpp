#include "SourceReference.h"

#include <QFileInfo>
#include <limits>

namespace {

const QString kErrorPrefix = QStringLiteral("*** ERROR in ");

struct RawReference
{
    QString fileName;
    QString lineText;
};

// The text from 'from' up to the next ':' (not included), or nothing without one.
std::optional<QString> UpToColon(const QString& text, qsizetype from)
{
    const qsizetype colon = text.indexOf(QLatin1Char(':'), from);
    if (colon < 0)
        return std::nullopt;
    return text.mid(from, colon - from);
}

std::optional<RawReference> ErrorForm(const QString& t)
{
    // The character right after the prefix is the opening quote.
    const qsizetype nameStart = kErrorPrefix.size() + 1;
    const qsizetype quote = t.indexOf(QLatin1Char('"'), nameStart);
    if (quote < 0)
        return std::nullopt;
    const QString onLine = QStringLiteral(" on line ");
    const qsizetype at = t.indexOf(onLine, quote);
    if (at < 0)
        return std::nullopt;
    const auto lineText = UpToColon(t, at + onLine.size());
    if (!lineText)
        return std::nullopt;
    return RawReference{t.mid(nameStart, quote - nameStart), *lineText};
}

std::optional<RawReference> CommaForm(const QString& t, qsizetype comma)
{
    // The name is quoted: drop its first and last character.
    if (comma < 2)
        return std::nullopt;
    const QString commaLine = QStringLiteral(", line ");
    const qsizetype at = t.indexOf(commaLine);
    if (at < 0)
        return std::nullopt;
    const auto lineText = UpToColon(t, at + commaLine.size());
    if (!lineText)
        return std::nullopt;
    return RawReference{t.mid(1, comma - 2), *lineText};
}

std::optional<RawReference> ColonForm(const QString& t, qsizetype colonBlank)
{
    const auto lineText = UpToColon(t, colonBlank + 2);
    if (!lineText)
        return std::nullopt;
    return RawReference{t.left(colonBlank), *lineText};
}

// Leading blanks, then decimal digits up to the first other character; 0 when there
// are none or the number does not fit.
int ReadLineNumber(const QString& text)
{
    qsizetype i = 0;
    while (i < text.size() && (text[i] == QLatin1Char(' ') || text[i] == QLatin1Char('\t')))
        ++i;
    qint64 n = 0;
    for (; i < text.size() && text[i].isDigit() && text[i].unicode() < 128; ++i) {
        n = n * 10 + (text[i].unicode() - '0');
        if (n > std::numeric_limits<int>::max())
            return 0;
    }
    return static_cast<int>(n);
}

} // namespace

std::optional<SourceReference> ParseSourceReference(const QString& t)
{
    const qsizetype colonBlank = t.indexOf(QStringLiteral(": "));
    if (colonBlank < 0)
        return std::nullopt;
    std::optional<RawReference> raw;
    const qsizetype comma = t.indexOf(QStringLiteral(", "));
    if (t.startsWith(kErrorPrefix))
        raw = ErrorForm(t);
    else if (comma >= 0 && comma < colonBlank)
        raw = CommaForm(t, comma);
    else
        raw = ColonForm(t, colonBlank);
    if (!raw || raw->fileName.isEmpty())
        return std::nullopt;
    const int line = ReadLineNumber(raw->lineText);
    if (line == 0)
        return std::nullopt;
    return SourceReference{raw->fileName, line};
}

QString FindFileIgnoringCase(const QString& path, const QDir& base)
{
    QString wanted = path;
    wanted.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (wanted.isEmpty())
        return {};
    const QString full = QDir::cleanPath(base.absoluteFilePath(wanted));
    const QStringList parts = full.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QString found = QStringLiteral("/");
    for (const QString& part : parts) {
        QDir dir(found);
        QString stored;
        if (dir.exists(part)) {
            stored = part;
        } else {
            const QStringList entries = dir.entryList(
                QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
            for (const QString& entry : entries) {
                if (entry.compare(part, Qt::CaseInsensitive) == 0) {
                    stored = entry;
                    break;
                }
            }
        }
        if (stored.isEmpty())
            return {};
        found = dir.filePath(stored);
    }
    return QFileInfo(found).isFile() ? found : QString();
}

std::optional<SourceReference> ResolveSourceReference(const QString& message,
                                                      const QStringList& folders)
{
    auto ref = ParseSourceReference(message);
    if (!ref)
        return std::nullopt;
    for (const QString& folder : folders) {
        if (folder.isEmpty())
            continue;
        const QString stored = FindFileIgnoringCase(ref->fileName, QDir(folder));
        if (!stored.isEmpty()) {
            ref->fileName = stored;
            return ref;
        }
    }
    return std::nullopt;
}

MessageKind ClassifyMessage(const QString& message)
{
    if (ParseSourceReference(message))
        return MessageKind::Error;
    if (message.startsWith(QLatin1Char('[')) && message.endsWith(QLatin1Char(']')))
        return MessageKind::Echo;
    return MessageKind::Plain;
}

int NextErrorRow(int count, int current, int step, const std::function<MessageKind(int)>& kindOf)
{
    if (count <= 0)
        return -1;
    if (current < 0 || current >= count)
        current = step > 0 ? -1 : count;
    for (int i = 1; i <= count; ++i) {
        const int row = ((current + step * i) % count + count) % count;
        if (kindOf(row) == MessageKind::Error)
            return row;
    }
    return -1;
}
