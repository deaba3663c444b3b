#include "Tavrel.h"

#include "GrobEncoder.h"
#include "NibbleFile.h"

#include <filesystem>
#include <ostream>
#include <system_error>

namespace grob {

namespace {

constexpr std::uint32_t kGrobProlog = 0x02B1E;
constexpr std::uint32_t kBinaryIntegerProlog = 0x02A4E;
constexpr std::uint32_t kMaxDimension = 255;
// The GROB's length counts itself and the two dimension fields, 5 nibbles each.
constexpr std::uint32_t kGrobFieldsLength = 15;
// The output's length counts itself (5 nibbles) and the two 2-nibble dimension fields.
constexpr std::uint32_t kOutputFieldsLength = 9;
// The largest value of a 5-nibble length field.
constexpr std::uint32_t kMaxLength = 0xFFFFF;
constexpr std::uint32_t kCurrentPosition = 0xFFFFFFFF;

constexpr const char* kUsage[] = {
    "Create compressed GROBs",
    "",
    "Tavrel \"input-file\" \"output-file\"",
    "",
    "  input-file",
    "              Specifies the input GROB to compress.",
    "  output-directory",
    "              Specifies the file to write the hex string to.",
    "",
    "A compressed GROB can be uncompressed by recalling the hex string to the stack",
    "and entering the command #E3063h LIBEVAL (ROMPTR E3 63).  The decompression",
    "routine is built into the HP48.",
    "",
    "Quotes are required around any filename that contains spaces.",
};

// Input that the tool refuses; reported as "Error: " and the text.
struct InputError
{
    const char* m_pszText;
};

std::uint32_t ReadWord(CNibbleFile& file, std::uint32_t nWidth)
{
    std::uint32_t nValue = 0;
    file.ReadNibbleWord(&nValue, nWidth);
    return nValue;
}

// Creating the output truncates it, so naming the input as the output would destroy
// the GROB before it is read.
void RefuseSameFile(const std::string& strInput, const std::string& strOutput)
{
    std::error_code error;
    if (std::filesystem::equivalent(strInput, strOutput, error))
        throw InputError{"Input and output are the same file"};
}

void Compress(CNibbleFile& input, CNibbleFile& output, std::ostream& out)
{
    if (!input.SkipDownloadHeader()) {
        out << "Warning: No binary download header\n";
    }
    if (ReadWord(input, 5) != kGrobProlog)
        throw InputError{"Can't compress non-GROB objects"};
    const std::uint32_t nLength = ReadWord(input, 5);
    const std::uint32_t nHeight = ReadWord(input, 5);
    const std::uint32_t nWidth = ReadWord(input, 5);
    out << "GROB: " << nWidth << "x" << nHeight << '\n';
    if (nHeight > kMaxDimension || nWidth > kMaxDimension)
        throw InputError{"Maximum for height and width is 255 pixels"};
    if (nHeight == 0 || nWidth == 0)
        throw InputError{"Can't compress a GROB with zero dimensions"};
    if (nLength < kGrobFieldsLength)
        throw InputError{"GROB length is too small to hold its dimensions"};
    // The calculator stores whole bytes per row; an odd count would lose a nibble.
    const std::uint32_t nDataNibbles = nLength - kGrobFieldsLength;
    if (nDataNibbles % 2 != 0)
        throw InputError{"Can't compress a GROB with an odd number of data nibbles"};

    // All of the data is read before the output is touched, so that a truncated input
    // leaves the output empty rather than holding a header with no blocks.
    std::vector<std::uint8_t> data(nDataNibbles / 2 + 1);
    input.ReadNibbles(data.data(), nDataNibbles);
    const std::vector<std::uint8_t> stream =
        StreamFromBytes(std::span(data.data(), nDataNibbles / 2));

    SplitResult split = SplitStream(stream);
    out << "Read " << split.blocks.size() << " block(s)\n"
        << "  random: " << split.nRandom << '\n'
        << "  run:    " << split.nRuns << '\n'
        << "Optimizing...\n";
    OptimizeBlocks(split.blocks);
    out << split.blocks.size() << " block(s) remaining\n";
    std::vector<std::uint8_t> coded = CodeBlocks(stream, split.blocks);
    if (coded.size() > kMaxLength - kOutputFieldsLength)
        throw InputError{"Compressed GROB is too large for its length field"};

    // The length is written last: until then the file says 0, never a wrong length.
    unsigned char downloadHeader[] = "HPHP48-R";
    output.WriteBytes(downloadHeader, 8);
    output.WriteNibbleWord(kBinaryIntegerProlog, 5);
    output.SetMarker(kCurrentPosition);
    output.WriteNibbleWord(0, 5);
    output.WriteNibbleWord(nHeight, 2);
    output.WriteNibbleWord(nWidth, 2);
    std::vector<std::uint8_t> packed(coded.size() / 2 + 1);
    for (std::size_t i = 0; i < coded.size(); ++i)
        packed[i / 2] |= static_cast<std::uint8_t>(coded[i] << (i % 2 * 4));
    output.WriteNibbles(packed.data(), static_cast<std::uint32_t>(coded.size()));

    const std::int64_t nOutLength = output.GetMarkerOffset(kCurrentPosition);
    const std::int64_t nInLength = nLength;
    out << nInLength << " -> " << nOutLength << " (" << (nInLength - nOutLength) * 100 / nInLength
        << "%)\n";
    output.SeekToMarker();
    output.WriteNibbleWord(static_cast<std::uint32_t>(nOutLength), 5);
}

} // namespace

int RunTavrel(const std::vector<std::string>& arguments, std::ostream& out)
{
    if (arguments.size() != 2) {
        for (const char* pszLine : kUsage)
            out << pszLine << '\n';
        return 1;
    }
    try {
        CNibbleFile input(arguments[0], CFile::modeRead);
        RefuseSameFile(arguments[0], arguments[1]);
        CNibbleFile output(arguments[1], CFile::modeCreate | CFile::modeReadWrite);
        Compress(input, output, out);
        return 0;
    } catch (const InputError& error) {
        out << "Error: " << error.m_pszText << '\n';
    } catch (const CNibbleFileException& exception) {
        out << "Error: " << exception.GetErrorName() << '\n';
    } catch (const CException& exception) {
        out << "Fatal Error: " << exception.GetErrorMessage() << '\n';
    } catch (const std::exception& exception) {
        out << "Fatal Error: " << exception.what() << '\n';
    }
    return 1;
}

} // namespace grob
