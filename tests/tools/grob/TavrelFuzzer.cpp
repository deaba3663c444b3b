// Feeds arbitrary files to the tool. It must never crash or hang, and every file that
// it accepts must expand back to the input's data and equal the literal reference's.
#include "GrobTestSupport.h"
#include "ReferenceTavrel.h"
#include "Tavrel.h"

#include <cstdlib>
#include <cstring>
#include <sstream>

namespace {

const grobtest::ScratchDir& Scratch()
{
    static const grobtest::ScratchDir dir;
    return dir;
}

// The accepted input's data bytes: after the optional download header and the four
// 5-nibble fields, whose length says how many nibbles follow.
grobtest::Bytes DataOf(const std::uint8_t* pData, std::size_t nSize)
{
    const std::size_t nStart = nSize >= 8 && std::memcmp(pData, "HPHP48", 6) == 0 ? 8 : 0;
    const std::uint8_t* pFields = pData + nStart;
    const std::uint32_t nLength = (pFields[2] >> 4) | pFields[3] << 4 | pFields[4] << 12;
    return grobtest::Bytes(pFields + 10, pFields + 10 + (nLength - 15) / 2);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    const std::string strInput = Scratch().File("input");
    const std::string strOutput = Scratch().File("output");
    grobtest::WriteFile(strInput, grobtest::Bytes(pData, pData + nSize));
    std::ostringstream transcript;
    if (grob::RunTavrel({strInput, strOutput}, transcript) != 0)
        return 0;

    std::string strProblem;
    const auto decoded = grobtest::DecodeFile(grobtest::ReadFile(strOutput), &strProblem);
    if (!decoded || decoded->stream != grobtest::DataStream(DataOf(pData, nSize)))
        std::abort();
    const grobtest::Bytes written = grobtest::ReadFile(strOutput);
    std::ostringstream expected;
    if (reference::Compress(strInput, strOutput, expected) != 0 ||
        expected.str() != transcript.str() || grobtest::ReadFile(strOutput) != written)
        std::abort();
    return 0;
}
