#include "ToolRunner.h"

#include "BuildMessages.h"
#include "BuildProgress.h"
#include "ChildProcess.h"
#include "Paths.h"

namespace {

constexpr int kSliceMs = 100;
constexpr int kMaxLine = 1023;

} // namespace

QStringList SplitCommandLine(const QString& args)
{
    QStringList out;
    QString cur;
    bool inArg = false;
    bool inQuotes = false;
    const qsizetype n = args.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = args[i];
        if (!inQuotes && (c == u' ' || c == u'\t')) {
            if (inArg)
                out << cur;
            cur.clear();
            inArg = false;
            continue;
        }
        inArg = true;
        if (c == u'\\') {
            qsizetype k = i;
            while (k < n && args[k] == u'\\')
                ++k;
            const qsizetype count = k - i;
            if (k < n && args[k] == u'"') {
                cur += QString(count / 2, u'\\');
                if (count % 2 == 1) {
                    cur += u'"';
                    i = k;
                } else {
                    i = k - 1;
                }
            } else {
                cur += QString(count, u'\\');
                i = k - 1;
            }
        } else if (c == u'"') {
            if (inQuotes && i + 1 < n && args[i + 1] == u'"') {
                cur += u'"';
                ++i;
            } else {
                inQuotes = !inQuotes;
            }
        } else {
            cur += c;
        }
    }
    if (inArg)
        out << cur;
    return out;
}

QString QuoteIfBlank(const QString& path)
{
    return path.contains(u' ') || path.contains(u'\t') ? u'"' + path + u'"' : path;
}

QString QuoteArgument(const QString& path, bool always)
{
    if (!always && !path.isEmpty() && !path.contains(u' ') && !path.contains(u'\t') &&
        !path.contains(u'"'))
        return path;
    QString quoted(1, u'"');
    qsizetype backslashes = 0;
    for (const QChar c : path) {
        if (c == u'\\') {
            ++backslashes;
            continue;
        }
        // Backslashes count as escapes only before a quote: there they are doubled, and
        // one more makes the quote itself literal.
        if (c == u'"')
            quoted += QString(2 * backslashes + 1, u'\\');
        else
            quoted += QString(backslashes, u'\\');
        quoted += c;
        backslashes = 0;
    }
    // The closing quote follows the trailing backslashes.
    return quoted + QString(2 * backslashes, u'\\') + u'"';
}

QStringList SplitToolOutput(const QByteArray& text)
{
    QStringList lines;
    qsizetype start = 0;
    for (;;) {
        qsizetype end = text.indexOf('\n', start);
        const bool last = end < 0;
        if (last)
            end = text.size();
        qsizetype len = end - start;
        if (len > 0 && text[end - 1] == '\r')
            --len;
        const QString line = DecodeUtf8OrLatin1(QByteArrayView(text.constData() + start, len));
        qsizetype at = 0;
        for (; line.size() - at > kMaxLine; at += kMaxLine)
            lines << line.mid(at, kMaxLine);
        lines << line.mid(at);
        if (last)
            return lines;
        start = end + 1;
    }
}

bool CToolRunner::RunTool(QString tool, const QString& args, const QString& workDir,
                          IBuildProgress& progress)
{
    m_bRunEvent = false;
    m_strLastWorkDir = workDir;
    m_messages.AddMessage(u'[' + tool + u' ' + args + u']');

    bool result = false;
    CChildProcess child;
    if (const int err = child.Start(tool, SplitCommandLine(args), workDir)) {
        const QString cmdLine = u'"' + tool + QStringLiteral("\" ") + args;
        m_messages.AddMessage(QStringLiteral("Error ") + QString::number(err) +
                              QStringLiteral(" executing command line: ") + tool + u' ' + cmdLine);
    } else {
        result = true;
        bool cancelled = false;
        // Each complete line is shown as soon as it has arrived, so that a long run
        // shows its progress; shown counts the output bytes already on the screen.
        qsizetype shown = 0;
        const auto showCompleteLines = [&] {
            const qsizetype lineFeed = child.Output().lastIndexOf('\n');
            if (lineFeed < shown)
                return;
            for (const QString& line : SplitToolOutput(child.Output().mid(shown, lineFeed - shown)))
                m_messages.AddMessage(line);
            shown = lineFeed + 1;
        };
        while (!child.WaitFor(kSliceMs)) {
            showCompleteLines();
            if (!cancelled && progress.PollCancel()) {
                child.Kill();
                result = false;
                cancelled = true;
            }
            // A run event set from outside ends the wait; the tool does not outlive it.
            if (m_bRunEvent) {
                child.Kill();
                break;
            }
        }
        child.DrainOutput();
        if (!child.Output().isEmpty()) {
            for (const QString& line : SplitToolOutput(child.Output().mid(shown)))
                m_messages.AddMessage(line);
        }
        // After everything the tool said before it was stopped, in time order.
        if (cancelled)
            m_messages.AddMessage(QStringLiteral("Execution cancelled"));
        if (!cancelled) {
            if (child.HasEnded() && child.ExitCode() == 0) {
                m_messages.AddMessage(QStringLiteral("No Errors"));
            } else {
                result = false;
                m_messages.AddMessage(QStringLiteral("Error(s) encountered during execution"));
            }
        }
    }
    m_bRunEvent = true;
    return result;
}
