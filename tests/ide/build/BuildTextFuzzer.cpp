// Tool output and argument strings from anywhere: cutting them into message lines and
// arguments never fails, loses no byte of a line and keeps every line within its limit.
#include "ToolRunner.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray text(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QStringList lines = SplitToolOutput(text);
    qsizetype kept = 0;
    for (const QString& line : lines) {
        if (line.size() > 1023)
            std::abort();
        kept += line.size();
    }
    // Only the line feeds and the carriage returns that end a line are dropped.
    const qsizetype lastCr = text.endsWith('\r') ? 1 : 0;
    const qsizetype dropped = text.count('\n') + text.count("\r\n") + lastCr;
    if (kept + dropped != text.size())
        std::abort();

    const QString args = QString::fromLatin1(text);
    for (const QString& arg : SplitCommandLine(args)) {
        // An argument holds a blank only where quotes grouped it.
        if ((arg.contains(u' ') || arg.contains(u'\t')) && !args.contains(u'"'))
            std::abort();
    }
    return 0;
}
