// Fuzzes usrlib over the directory file it reads. The first byte picks whether -r is
// given; the rest is the file. A run may refuse the input, but it must never crash, never
// end in an unexpected exception, leave nothing behind when it fails, and a library it
// reports as written must walk to exactly its own length.
#include "../ScratchFolder.h"
#include "NibbleFile.h"
#include "Usrlib.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {

void Fail(const char* what, const std::string& transcript)
{
    std::fprintf(stderr, "%s\n%s\n", what, transcript.c_str());
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    if (nSize == 0) {
        return 0;
    }
    EnterScratchFolder("usrlib-fuzz");
    std::ofstream("in.dir", std::ios::binary)
        .write(reinterpret_cast<const char*>(pData + 1), static_cast<std::streamsize>(nSize - 1));
    std::ostringstream out;
    const int nCode = pData[0] & 1 ? RunUsrlib({"-r", "1234", "in.dir", "out.lib"}, out)
                                   : RunUsrlib({"in.dir", "out.lib"}, out);
    const std::string transcript = out.str();
    if (transcript.find("Fatal Error: ") != std::string::npos) {
        Fail("unexpected exception", transcript);
    }
    const auto files = std::distance(std::filesystem::directory_iterator("."), {});
    if (nCode != 0) {
        if (files != 1) {
            Fail("a failed run left a file behind", transcript);
        }
        return 0;
    }
    try {
        CNibbleFile file("out.lib", CFile::modeRead);
        file.Seek(16);
        const int nLibrary = file.SkipOb();
        const std::uint64_t nEnd = 16 + static_cast<std::uint64_t>(nLibrary);
        if (nLibrary <= 0 || (nEnd != 2 * file.GetLength() && nEnd + 1 != 2 * file.GetLength())) {
            Fail("library size does not match the file", transcript);
        }
    } catch (const CException& e) {
        Fail(("library does not walk: " + e.GetErrorMessage()).c_str(), transcript);
    }
    return 0;
}
