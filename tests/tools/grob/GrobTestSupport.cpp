#include "GrobTestSupport.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace grobtest {

NibbleBuilder& NibbleBuilder::Word(std::uint32_t nValue, std::uint32_t nWidth)
{
    for (std::uint32_t i = 0; i < nWidth; ++i)
        m_nibbles.push_back((nValue >> (4 * i)) & 0x0F);
    return *this;
}

NibbleBuilder& NibbleBuilder::Raw(const Bytes& bytes)
{
    for (std::uint8_t byte : bytes)
        Word(byte, 2);
    return *this;
}

Bytes NibbleBuilder::Packed() const
{
    Bytes bytes((m_nibbles.size() + 1) / 2);
    for (std::size_t i = 0; i < m_nibbles.size(); ++i)
        bytes[i / 2] |= m_nibbles[i] << (i % 2 * 4);
    return bytes;
}

GrobSpec Grob(std::uint32_t nHeight, std::uint32_t nWidth, Bytes data)
{
    GrobSpec spec;
    spec.nHeight = nHeight;
    spec.nWidth = nWidth;
    spec.data = std::move(data);
    return spec;
}

GrobSpec WithLength(GrobSpec spec, std::uint32_t nLength)
{
    spec.nLength = nLength;
    return spec;
}

GrobSpec WithProlog(GrobSpec spec, std::uint32_t nProlog)
{
    spec.nProlog = nProlog;
    return spec;
}

Bytes GrobFile(const GrobSpec& spec)
{
    NibbleBuilder builder;
    if (spec.bDownloadHeader)
        builder.Raw(Bytes{'H', 'P', 'H', 'P', '4', '8', '-', 'R'});
    const auto nData = static_cast<std::uint32_t>(spec.data.size() * 2);
    builder.Word(spec.nProlog, 5)
        .Word(spec.nLength.value_or(15 + nData), 5)
        .Word(spec.nHeight, 5)
        .Word(spec.nWidth, 5)
        .Raw(spec.data);
    return builder.Packed();
}

Bytes DataStream(const Bytes& data)
{
    Bytes stream;
    for (std::uint8_t byte : data) {
        stream.push_back(byte >> 4);
        stream.push_back(byte & 0x0F);
    }
    return stream;
}

std::optional<Bytes> DecodeBlocks(const Bytes& coded)
{
    Bytes stream;
    std::size_t nPos = 0;
    while (nPos < coded.size()) {
        if (nPos + 2 > coded.size())
            return std::nullopt;
        const unsigned nHeader = coded[nPos] | coded[nPos + 1] << 4;
        const std::size_t nCount = (nHeader & 0x7F) + 1;
        nPos += 2;
        if (nHeader & 0x80) {
            if (nPos + 1 > coded.size())
                return std::nullopt;
            stream.insert(stream.end(), nCount, coded[nPos]);
            nPos += 1;
        } else {
            if (nPos + nCount > coded.size())
                return std::nullopt;
            stream.insert(stream.end(), coded.begin() + nPos, coded.begin() + nPos + nCount);
            nPos += nCount;
        }
    }
    return stream;
}

std::optional<DecodedGrob> DecodeFile(const Bytes& file, std::string* pstrProblem)
{
    const auto fail = [pstrProblem](const char* pszProblem) {
        *pstrProblem = pszProblem;
        return std::nullopt;
    };
    const std::size_t nNibbles = file.size() * 2;
    const auto nibble = [&file](std::size_t i) { return (file[i / 2] >> (i % 2 * 4)) & 0x0F; };
    const auto word = [&nibble](std::size_t nPos, unsigned nWidth) {
        std::uint32_t nValue = 0;
        for (unsigned i = 0; i < nWidth; ++i)
            nValue |= nibble(nPos + i) << (4 * i);
        return nValue;
    };
    if (nNibbles < 30 || std::string(file.begin(), file.begin() + 8) != "HPHP48-R")
        return fail("no download header and fields");
    if (word(16, 5) != 0x02A4E)
        return fail("prolog is not a binary integer");
    const std::uint32_t nLength = word(21, 5);
    const std::size_t nEnd = 21 + nLength;
    if (nLength < 9 || nEnd > nNibbles || nEnd + 1 < nNibbles)
        return fail("length does not end the object in the file's last byte");
    Bytes coded;
    for (std::size_t i = 30; i < nEnd; ++i)
        coded.push_back(nibble(i));
    std::optional<Bytes> stream = DecodeBlocks(coded);
    if (!stream)
        return fail("a block runs past the end of the object");
    return DecodedGrob{word(26, 2), word(28, 2), std::move(*stream)};
}

Bytes ReadFile(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        throw std::runtime_error("cannot read " + path.string());
    return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void WriteFile(const std::filesystem::path& path, const Bytes& bytes)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    if (!file)
        throw std::runtime_error("cannot write " + path.string());
}

ScratchDir::ScratchDir()
{
    std::string strTemplate = (std::filesystem::temp_directory_path() / "tavrel-XXXXXX").string();
    if (mkdtemp(strTemplate.data()) == nullptr)
        throw std::runtime_error("cannot create a scratch folder");
    m_path = strTemplate;
}

ScratchDir::~ScratchDir()
{
    std::error_code error;
    std::filesystem::remove_all(m_path, error);
}

} // namespace grobtest
