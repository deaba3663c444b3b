// Any message line is parsed without a crash, and what it names is a non-empty file
// and a positive line.
#include "SourceReference.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString line =
        QString::fromLatin1(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const auto ref = ParseSourceReference(line);
    if (ref && (ref->fileName.isEmpty() || ref->line <= 0))
        std::abort();
    return 0;
}
