// Feeds arbitrary bytes to the project-file reader. It must never crash or hang, and
// what it allocates must stay within a small multiple of the input's size: counts and
// lengths that the rest of the input cannot hold are refused before anything is
// allocated for them.
#include "Archive.h"
#include "ProjectDocument.h"
#include "Prompt.h"

#include <cstdio>
#include <cstdlib>
#include <sanitizer/allocator_interface.h>

namespace {

class CSilentPrompt : public IPrompt
{
public:
    int MessageBox(const QString&, const QString&, unsigned type) override
    {
        return DefaultAnswer(type);
    }
    QStringList GetOpenFileNames(const QString&, const QString&, const QString&, bool) override
    {
        return {};
    }
    QString GetSaveFileName(const QString&, const QString&, const QString&) override { return {}; }
};

bool g_counting = false;
size_t g_allocated = 0;

void CountMalloc(const volatile void*, size_t size)
{
    if (g_counting) {
        g_allocated += size;
    }
}

void IgnoreFree(const volatile void*) {}

// Room for the containers' fixed parts and Qt's own small allocations.
constexpr size_t kFixedAllowance = 64 * 1024;
// Every record and string costs at least one input byte for each 32 bytes it may take.
constexpr size_t kBytesPerInputByte = 32;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static CSilentPrompt prompt;
    static const bool hooked = [] {
        SetPrompt(&prompt);
        __sanitizer_install_malloc_and_free_hooks(CountMalloc, IgnoreFree);
        return true;
    }();
    (void)hooked;

    QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    CProjectDocument doc;
    g_allocated = 0;
    g_counting = true;
    try {
        CArchive ar(bytes, CArchive::load);
        doc.Serialize(ar);
    } catch (const CArchiveException&) {
    }
    g_counting = false;

    if (g_allocated > kFixedAllowance + kBytesPerInputByte * size) {
        std::fprintf(stderr, "%zu input bytes made the reader allocate %zu bytes\n", size,
                     g_allocated);
        std::abort();
    }
    if (doc.m_configs.isEmpty() || doc.m_nCurConfig < 0 ||
        doc.m_nCurConfig >= doc.m_configs.size()) {
        std::fprintf(stderr, "the project read has no valid current configuration\n");
        std::abort();
    }
    return 0;
}
