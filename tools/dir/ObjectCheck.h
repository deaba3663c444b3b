// Checks that an object read from a file is whole on its own. The object walker reads a
// length field before it knows the size, so a string whose length field is below 5
// measures shorter than the nibbles its walk reads; copied last into a directory, such
// an object would run off the end of the file. The check walks the object again in a
// scratch file that, as far as the walk can tell, ends exactly where the object ends.
#pragma once

#include "KnownLengthFile.h"

#include <cstdint>
#include <memory>
#include <string>

class CObjectCheck
{
public:
    // Creates the scratch file beside besidePath (a file that is being written, so its
    // folder is writable) and removes its name at once. Throws CFileException.
    explicit CObjectCheck(const std::string& besidePath);

    // True when the nSize nibbles of pObject walk to exactly nSize nibbles with nothing
    // behind them.
    bool StandsAlone(unsigned char* pObject, std::uint32_t nSize);

private:
    std::unique_ptr<CKnownLengthFile> m_pFile;
};
