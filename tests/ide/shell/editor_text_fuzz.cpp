// Any file loads without a crash into text under the limit whose every line ends in
// CR LF, and bytes without line feeds pass through the display unchanged.
#include "SourceText.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray file(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    if (const auto text = SourceText::FromFileBytes(file)) {
        if (text->size() >= SourceText::kMaxChars)
            std::abort();
        if (!text->isEmpty() && !text->endsWith("\r\n"))
            std::abort();
        for (qsizetype i = text->indexOf('\n'); i >= 0; i = text->indexOf('\n', i + 1)) {
            if (i == 0 || text->at(i - 1) != '\r')
                std::abort();
        }
    }
    QByteArray noLf = file;
    noLf.replace('\n', ' ');
    if (SourceText::FromDisplay(SourceText::ToDisplay(noLf)) != noLf)
        std::abort();
    return 0;
}
