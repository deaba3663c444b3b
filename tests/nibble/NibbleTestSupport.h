// Helpers for the Quorvex tests: temporary files, building objects nibble by nibble,
// and an independent CRC-16/KERMIT.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

namespace nibbletest {

using Bytes = std::vector<unsigned char>;
using Nibbles = std::vector<unsigned char>;

// A fresh directory, removed with its contents. It lies in memory (/dev/shm) where the
// system offers that, since the tests rewrite small files thousands of times.
class TempDir
{
public:
    TempDir()
    {
        std::filesystem::path base = std::filesystem::temp_directory_path();
        if (!std::getenv("TMPDIR") && access("/dev/shm", W_OK) == 0) {
            base = "/dev/shm";
        }
        std::string strTemplate = base / "quorvex-XXXXXX";
        if (!mkdtemp(strTemplate.data())) {
            std::abort();
        }
        m_path = strTemplate;
    }
    ~TempDir()
    {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::string File(const std::string& strName) const { return (m_path / strName).string(); }

private:
    std::filesystem::path m_path;
};

inline void WriteFileBytes(const std::string& strPath, const Bytes& bytes)
{
    std::ofstream out(strPath, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

inline Bytes ReadFileBytes(const std::string& strPath)
{
    std::ifstream in(strPath, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Nibble i of a packed buffer: byte i / 2, low half first.
inline unsigned char NibbleAt(const Bytes& bytes, std::size_t i)
{
    return (bytes[i / 2] >> (4 * (i & 1))) & 0x0F;
}

// Packs nibbles two to a byte, low half first; the unused half of an odd end is 0.
inline Bytes Pack(const Nibbles& nibbles)
{
    Bytes bytes((nibbles.size() + 1) / 2, 0);
    for (std::size_t i = 0; i < nibbles.size(); ++i) {
        bytes[i / 2] |= static_cast<unsigned char>((nibbles[i] & 0x0F) << (4 * (i & 1)));
    }
    return bytes;
}

inline Nibbles Unpack(const Bytes& bytes)
{
    Nibbles nibbles;
    for (std::size_t i = 0; i < 2 * bytes.size(); ++i) {
        nibbles.push_back(NibbleAt(bytes, i));
    }
    return nibbles;
}

// Objects as nibble sequences, laid out as the calculator stores them.
struct Ob
{
    Nibbles n;

    Ob& Word(std::uint32_t nValue, int nWidth)
    {
        for (int i = 0; i < nWidth; ++i) {
            n.push_back((nValue >> (4 * i)) & 0x0F);
        }
        return *this;
    }
    Ob& Chars(const std::string& str)
    {
        for (unsigned char c : str) {
            Word(c, 2);
        }
        return *this;
    }
    Ob& Add(const Ob& other)
    {
        n.insert(n.end(), other.n.begin(), other.n.end());
        return *this;
    }
    std::size_t Size() const { return n.size(); }
};

inline Ob Prolog(std::uint32_t nProlog)
{
    return Ob().Word(nProlog, 5);
}

inline Ob Real(std::uint32_t nSeed = 1)
{
    return Prolog(0x02933).Word(nSeed, 8).Word(0x12345678, 8);
}

inline Ob String(const std::string& str)
{
    return Prolog(0x02A2C).Word(std::uint32_t(5 + 2 * str.size()), 5).Chars(str);
}

inline Ob Composite(std::uint32_t nProlog, const std::vector<Ob>& elements)
{
    Ob ob = Prolog(nProlog);
    for (const Ob& e : elements) {
        ob.Add(e);
    }
    return ob.Word(0x0312B, 5);
}

inline Ob List(const std::vector<Ob>& elements)
{
    return Composite(0x02A74, elements);
}

inline Ob Tagged(const std::string& strTag, const Ob& object)
{
    return Prolog(0x02AFC).Word(std::uint32_t(strTag.size()), 2).Chars(strTag).Add(object);
}

inline Ob Name(std::uint32_t nProlog, const std::string& str)
{
    return Prolog(nProlog).Word(std::uint32_t(str.size()), 2).Chars(str);
}

// A directory as the directory tool writes it: each entry is a back link, the name with
// its length on both sides (one length only for an empty name) and the object.
inline Ob Directory(const std::vector<std::pair<std::string, Ob>>& entries)
{
    Ob body;
    std::uint32_t nLink = 0;
    std::size_t nLastName = 0;
    for (const auto& [strName, object] : entries) {
        body.Word(nLink, 5);
        nLastName = body.Size();
        body.Word(std::uint32_t(strName.size()), 2).Chars(strName);
        if (!strName.empty()) {
            body.Word(std::uint32_t(strName.size()), 2);
        }
        body.Add(object);
        nLink = std::uint32_t(body.Size() - nLastName);
    }
    const std::uint32_t nOffset = entries.empty() ? 0 : std::uint32_t(5 + nLastName);
    return Prolog(0x02A96).Word(0x7FF, 3).Word(nOffset, 5).Add(body);
}

// CRC-16/KERMIT over bytes, the textbook reflected form (polynomial 0x8408, initial 0).
inline std::uint16_t KermitCrc(const Bytes& bytes)
{
    std::uint16_t nCrc = 0;
    for (unsigned char b : bytes) {
        nCrc ^= b;
        for (int bit = 0; bit < 8; ++bit) {
            nCrc = (nCrc & 1) ? static_cast<std::uint16_t>((nCrc >> 1) ^ 0x8408)
                              : static_cast<std::uint16_t>(nCrc >> 1);
        }
    }
    return nCrc;
}

} // namespace nibbletest
