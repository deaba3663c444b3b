#include "SourceText.h"

namespace SourceText {

bool IsBinaryFile(const QString& fileName, const QByteArray& head)
{
    for (const char* ext : {".gx", ".dir", ".lib"}) {
        if (fileName.endsWith(QLatin1String(ext), Qt::CaseInsensitive))
            return true;
    }
    return head.startsWith("HPHP48") || head.contains('\0');
}

bool FitsInEditor(qsizetype shownChars, qsizetype lines)
{
    // Loaded again, every line, the last one too, ends in CR LF: one character more
    // per line than the widget counts, and one more for the last line's end.
    return shownChars + lines + 1 < kMaxChars;
}

std::optional<QByteArray> FromFileBytes(const QByteArray& file)
{
    // Conversion only ever adds characters, so a file of kMaxChars bytes or more can
    // be turned away without converting it.
    if (file.size() >= kMaxChars)
        return std::nullopt;
    QByteArray text;
    text.reserve(file.size() + file.size() / 8 + 2);
    qsizetype start = 0;
    while (start < file.size()) {
        qsizetype lf = file.indexOf('\n', start);
        qsizetype next = lf < 0 ? file.size() : lf + 1;
        qsizetype end = lf < 0 ? file.size() : lf;
        if (lf > start && file[lf - 1] == '\r')
            --end;
        text.append(file.constData() + start, end - start);
        text.append("\r\n", 2);
        start = next;
    }
    if (text.size() >= kMaxChars)
        return std::nullopt;
    return text;
}

QString ToDisplay(const QByteArray& editorBytes)
{
    QString shown = QString::fromLatin1(editorBytes);
    // The widget takes a bare CR for a line end; shown as a symbol it stays one byte.
    for (qsizetype i = 0; i < shown.size(); ++i) {
        if (shown[i] == QLatin1Char('\r') &&
            (i + 1 == shown.size() || shown[i + 1] != QLatin1Char('\n')))
            shown[i] = kLoneCr;
    }
    return shown;
}

QByteArray FromDisplay(QStringView shown)
{
    QByteArray bytes;
    bytes.reserve(shown.size() + shown.size() / 16 + 2);
    for (QChar c : shown) {
        const char16_t u = c.unicode();
        if (u == u'\n' || u == 0x2028 || u == 0x2029)
            bytes.append("\r\n", 2);
        else if (u == kLoneCr)
            bytes.append('\r');
        else
            bytes.append(u < 256 ? static_cast<char>(u) : '?');
    }
    return bytes;
}

QString ToEditable(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u == 0x2028 || u == 0x2029)
            out.append(QLatin1Char('\n'));
        else
            out.append(u < 256 || u == kLoneCr ? c : QLatin1Char('?'));
    }
    return out;
}

int CaretColumn(QStringView lineStart)
{
    int column = 1;
    for (QChar c : lineStart) {
        if (c == QLatin1Char('\t') && column % 2 == 1)
            ++column;
        ++column;
    }
    return column;
}

QString LineColText(int line, int column)
{
    return QStringLiteral("Ln: %1 Col: %2").arg(line).arg(column);
}

int IndentAfterEnter(const std::function<QString(int)>& lineText, int noted)
{
    for (int l = noted; l >= 0 && l > noted - kIndentLookBack; --l) {
        const QString text = lineText(l).left(kIndentLineLimit);
        qsizetype tabs = 0;
        while (tabs < text.size() && text[tabs] == QLatin1Char('\t'))
            ++tabs;
        if (!text.isEmpty() && tabs == 0)
            return 0;
        if (tabs > 0 && text.size() > tabs)
            return static_cast<int>(tabs);
    }
    return 0;
}

} // namespace SourceText
