// Writes one HP48 directory object, behind a binary download header, into a nibble file:
// the header as soon as the writer exists, then one variable per AddEntry, and the
// offset of the last entry when the directory is finished.
#pragma once

#include "NibbleFile.h"

#include <cstdint>
#include <string>

// An entry that the directory cannot take: its link or the last-entry offset would not
// fit the 5-nibble fields, which address at most 0xFFFFF nibbles.
class CDirectoryFullException : public CException
{
public:
    CString GetErrorMessage() const override { return "Directory too large"; }
};

class CDirectoryWriter
{
public:
    // Where the directory object starts in the file: just behind "HPHP48-R".
    static constexpr std::uint32_t kObjectStart = 16;
    // The largest value of a 5-nibble link or offset field.
    static constexpr std::uint32_t kMaxField = 0xFFFFF;

    // Positions of an entry's parts, in nibbles from the directory's prolog.
    struct Placement
    {
        std::uint32_t nameStart;
        std::uint32_t dataStart;
    };

    // Writes the download header, the prolog and a last-entry offset of 0.
    explicit CDirectoryWriter(CNibbleFile& file);

    // Appends a variable named by the (translated, at most 255 bytes) name, holding the
    // nSize nibbles of pObject. Throws CDirectoryFullException before writing anything
    // when the entry would not fit.
    Placement AddEntry(const std::string& name, unsigned char* pObject, std::uint32_t nSize);

    // Fills in the last-entry offset and returns it; the file position is left on it.
    std::uint32_t Finish();

    int Entries() const { return m_nEntries; }
    // The first nibble behind the directory object.
    std::uint32_t End() const { return m_nEnd; }

private:
    CNibbleFile& m_file;
    std::uint32_t m_nNextLink = 0;
    std::uint32_t m_nLastOffset = 0;
    std::uint32_t m_nEnd = 0;
    int m_nEntries = 0;
};
