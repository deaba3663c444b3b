// A nibble file that ends, as far as the nibble reads can tell, where its owner says: the
// end check before every read uses the length set here rather than the file's own. The
// object check walks an object in a scratch file that holds older bytes behind it.
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
    // Sets where the file ends for the nibble reads from now on.
    void SetKnownLength(std::uint64_t nLength) { m_nLength = nLength; }

private:
    std::uint64_t m_nLength;
};
