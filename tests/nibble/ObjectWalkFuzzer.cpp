// Arbitrary bytes as an object file: SkipOb and CRCOb may only succeed or throw
// CNibbleFileException. SkipOb must also agree with the plain recursive walk wherever
// that one is not too deep, and CRCOb must leave the position and marker as promised.
// Any other exception, a crash, a hang or a sanitizer report is a finding.
#include "NibbleFile.h"
#include "ReferenceWalk.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

namespace {

// The input lives in an in-memory file, reopened by name for each run.
const std::string& InputFile()
{
    static const std::string strPath = [] {
        const int fd = memfd_create("quorvex-fuzz", 0);
        if (fd < 0) {
            std::abort();
        }
        return "/proc/self/fd/" + std::to_string(fd);
    }();
    return strPath;
}

void Require(bool bCondition)
{
    if (!bCondition) {
        std::abort();
    }
}

struct Outcome
{
    bool bThrew = false;
    int nValue = 0; // the size, or the error code
    std::uint32_t nPos = 0;

    bool operator==(const Outcome&) const = default;
};

template <typename Walk> Outcome Run(CNibbleFile& file, Walk walk)
{
    Outcome outcome;
    try {
        outcome.nValue = walk();
    } catch (CNibbleFileException& e) {
        outcome.bThrew = true;
        outcome.nValue = e.GetErrorCode();
    }
    outcome.nPos = file.FilePos();
    return outcome;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    const std::string& strPath = InputFile();
    {
        const int fd = open(strPath.c_str(), O_WRONLY | O_TRUNC);
        Require(fd >= 0 && write(fd, pData, nSize) == static_cast<ssize_t>(nSize));
        close(fd);
    }
    CNibbleFile file(strPath, 0);

    // A download file's object starts behind its 8-byte header.
    const std::uint32_t nStart = nSize >= 6 && std::memcmp(pData, "HPHP48", 6) == 0 ? 16 : 0;

    file.Seek(nStart);
    const Outcome walked = Run(file, [&] { return file.SkipOb(); });
    file.Seek(nStart);
    try {
        nibbletest::ReferenceWalk reference(file, 200);
        const Outcome expected =
            Run(file, [&] { return static_cast<std::int32_t>(reference.Skip()); });
        Require(walked == expected);
    } catch (nibbletest::TooDeep&) {
    }

    file.Seek(nStart);
    file.SetMarker(7);
    const Outcome crc = Run(file, [&] { return static_cast<int>(file.CRCOb()); });
    Require(file.GetMarker() == nStart);
    if (walked.bThrew) {
        Require(crc.bThrew && crc.nValue == walked.nValue);
    } else if (crc.bThrew) {
        // Only an object that runs past the end of the file, found by the read.
        Require(crc.nValue == 0 && crc.nPos == nStart);
    } else {
        Require(crc.nValue >= 0 && crc.nValue <= 0xFFFF);
        // The walked size is read from the start, even where the walk went further.
        Require(crc.nPos == nStart + static_cast<std::uint32_t>(walked.nValue));
    }

    // Then the objects behind it, as a reader of several objects would walk them.
    file.Seek(walked.bThrew ? nStart : walked.nPos);
    for (int i = 0; i < 64; ++i) {
        if (Run(file, [&] { return file.SkipOb(); }).bThrew) {
            break;
        }
    }
    return 0;
}
