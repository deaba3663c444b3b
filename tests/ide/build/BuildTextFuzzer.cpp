// Tool output and argument strings from anywhere: cutting them into message lines and
// arguments never fails, loses no byte of a line and keeps every line within its limit;
// any text quoted as an argument comes back whole from the split.
#include "Paths.h"
#include "ToolRunner.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray text(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QStringList lines = SplitToolOutput(text);
    // Each line of the input comes back, decoded as one line is, in pieces of at most
    // 1023 characters; only its line feed and the carriage return before it are dropped.
    qsizetype piece = 0;
    for (QByteArray line : text.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        const QString decoded = DecodeUtf8OrLatin1(line);
        if (decoded.toUtf8() != line && decoded.toLatin1() != line)
            std::abort();
        QString joined;
        do {
            if (piece == lines.size() || lines.at(piece).size() > 1023)
                std::abort();
            joined += lines.at(piece++);
        } while (joined.size() < decoded.size());
        if (joined != decoded)
            std::abort();
    }
    if (piece != lines.size())
        std::abort();

    const QString args = QString::fromLatin1(text);
    for (const QString& arg : SplitCommandLine(args)) {
        // An argument holds a blank only where quotes grouped it.
        if ((arg.contains(u' ') || arg.contains(u'\t')) && !args.contains(u'"'))
            std::abort();
    }
    for (const bool always : {false, true}) {
        if (SplitCommandLine(QuoteArgument(args, always)) != QStringList{args})
            std::abort();
    }
    return 0;
}
