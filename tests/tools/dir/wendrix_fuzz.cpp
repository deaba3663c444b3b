// Fuzzes Wendrix over an index file and the object files it names. The input is the
// index text, then up to six object files o1 .. o6, separated by lines "==". A run may
// reject lines and objects, but it must never crash, never fail its own verification,
// and a directory it reports as written must walk to exactly its own length.
#include "../ScratchFolder.h"
#include "NibbleFile.h"
#include "Wendrix.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <unistd.h>

namespace {

void Fail(const char* what, const std::string& transcript)
{
    std::fprintf(stderr, "%s\n%s\n", what, transcript.c_str());
    std::abort();
}

// The directory as written must walk, from its prolog, to the end of the file.
void CheckDirectory(const std::string& transcript)
{
    try {
        CNibbleFile file("out.dir", CFile::modeRead);
        const std::uint64_t nNibbles = 2 * file.GetLength();
        file.Seek(16);
        const int nSize = file.SkipOb();
        const std::uint64_t nEnd = 16 + static_cast<std::uint64_t>(nSize);
        if (nSize <= 0 || (nEnd != nNibbles && nEnd + 1 != nNibbles)) {
            Fail("directory size does not match the file", transcript);
        }
        file.Seek(16);
        file.CRCOb();
    } catch (const CException& e) {
        Fail(("directory does not walk: " + e.GetErrorMessage()).c_str(), transcript);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    const std::string_view input(reinterpret_cast<const char*>(pData), nSize);
    const std::string_view separator = "\n==\n";
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (parts.size() < 7) {
        const std::size_t end = input.find(separator, start);
        parts.push_back(input.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos) {
            break;
        }
        start = end + separator.size();
    }
    // Index lines name files in the scratch folder only: no paths to devices or pipes.
    if (parts[0].find('/') != std::string_view::npos) {
        return 0;
    }

    EnterScratchFolder("wendrix-fuzz");
    std::ofstream("index", std::ios::binary) << parts[0];
    for (std::size_t i = 1; i < parts.size(); ++i) {
        std::ofstream("o" + std::to_string(i), std::ios::binary) << parts[i];
    }

    std::ostringstream out;
    const int nCode =
        RunWendrix({"-in", "index", "-out", "out.dir", "-list", "out.lst", "-v"}, out);
    const std::string transcript = out.str();
    // Echoed index lines hold any text but no line end, so the tool's own lines are
    // found by the line end before them.
    if (transcript.find("\nFatal Error: ") != std::string::npos) {
        Fail("unexpected exception", transcript);
    }
    const std::size_t verifying = transcript.find("\nVerifying... ");
    if (verifying != std::string::npos &&
        transcript.compare(verifying, 28, "\nVerifying... SkipOb passed\n") != 0) {
        Fail("the directory failed its own verification", transcript);
    }
    if (nCode == 0) {
        CheckDirectory(transcript);
    }
    return 0;
}
