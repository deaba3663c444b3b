// What the Tavrel tests share: GROB input files built nibble by nibble, a decoder that
// reads compressed output from its layout and block format alone, and scratch folders.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace grobtest {

using Bytes = std::vector<std::uint8_t>;

// Nibbles packed two to a byte, low half first, as HP48 files hold them.
class NibbleBuilder
{
public:
    // Appends the low nWidth nibbles of nValue, least significant first.
    NibbleBuilder& Word(std::uint32_t nValue, std::uint32_t nWidth);
    NibbleBuilder& Raw(const Bytes& bytes);
    Bytes Packed() const;

private:
    std::vector<std::uint8_t> m_nibbles;
};

struct GrobSpec
{
    std::uint32_t nHeight = 1;
    std::uint32_t nWidth = 8;
    Bytes data;                           // pixel data bytes
    std::optional<std::uint32_t> nLength; // the length field; by default 15 + data nibbles
    bool bDownloadHeader = true;
    std::uint32_t nProlog = 0x02B1E;
};

GrobSpec Grob(std::uint32_t nHeight, std::uint32_t nWidth, Bytes data);
GrobSpec WithLength(GrobSpec spec, std::uint32_t nLength);
GrobSpec WithProlog(GrobSpec spec, std::uint32_t nProlog);

// The bytes of an input file holding the described GROB.
Bytes GrobFile(const GrobSpec& spec);

// The data nibbles in the coder's order: per byte, the high half first.
Bytes DataStream(const Bytes& data);

struct DecodedGrob
{
    std::uint32_t nHeight = 0;
    std::uint32_t nWidth = 0;
    Bytes stream; // the expanded blocks
};

// Reads a compressed GROB file: "HPHP48-R", prolog 0x02A4E, the length (which must end
// the object in the file's last byte), height, width, then blocks: a 2-nibble header h,
// low nibble first; bit 7 set means (h & 0x7F) + 1 copies of the next nibble, clear
// means (h & 0x7F) + 1 literal nibbles. Returns nothing and names the problem in
// *pstrProblem when the file breaks the format.
std::optional<DecodedGrob> DecodeFile(const Bytes& file, std::string* pstrProblem);

// Expands coded blocks alone; nothing when they run past the end.
std::optional<Bytes> DecodeBlocks(const Bytes& coded);

Bytes ReadFile(const std::filesystem::path& path);
void WriteFile(const std::filesystem::path& path, const Bytes& bytes);

// A fresh folder under the system's temporary folder, removed with its contents.
class ScratchDir
{
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    std::string File(const std::string& strName) const { return (m_path / strName).string(); }

private:
    std::filesystem::path m_path;
};

} // namespace grobtest
