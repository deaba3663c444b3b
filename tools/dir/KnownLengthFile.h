// A nibble file whose length is known without asking the system. The nibble reads check
// the length before every read; for an input file that nobody changes while it is read,
// or a scratch file whose every write we make ourselves, the length is kept here instead
// of being asked of the system each time, which saves a system call per field.
#pragma once

#include "NibbleFile.h"

#include <cstdint>
#include <string>

class CKnownLengthFile : public CNibbleFile
{
public:
    CKnownLengthFile(const std::string& strName, unsigned int nMode)
        : CNibbleFile(strName, nMode), m_nLength(CNibbleFile::GetLength())
    {
    }

    std::uint64_t GetLength() const override { return m_nLength; }
    // Records the length after a change made by the owner (a write or a truncation).
    void SetKnownLength(std::uint64_t nLength) { m_nLength = nLength; }

private:
    std::uint64_t m_nLength;
};
