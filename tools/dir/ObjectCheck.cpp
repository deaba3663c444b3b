// The scratch file lives beside the output and has no name while it is used. It keeps
// whatever earlier objects left behind the current one; the walk never sees that part,
// because the file's known length ends with the object.
#include "ObjectCheck.h"

#include <cerrno>
#include <cstdlib>
#include <unistd.h>
#include <vector>

CObjectCheck::CObjectCheck(const std::string& besidePath)
{
    std::string strName = besidePath + ".XXXXXX";
    std::vector<char> name(strName.begin(), strName.end());
    name.push_back('\0');
    const int hScratch = ::mkstemp(name.data());
    if (hScratch < 0) {
        throw CFileException(errno, strName);
    }
    strName = name.data();
    try {
        m_pFile = std::make_unique<CKnownLengthFile>(strName, CFile::modeReadWrite);
    } catch (...) {
        ::unlink(strName.c_str());
        ::close(hScratch);
        throw;
    }
    ::unlink(strName.c_str());
    ::close(hScratch);
}

bool CObjectCheck::StandsAlone(unsigned char* pObject, std::uint32_t nSize)
{
    // An odd-sized object starts at nibble 1, so that it ends on a byte boundary and the
    // file, as the walk sees it, holds not a nibble more than the object.
    const std::uint32_t nStart = nSize & 1;
    m_pFile->Seek(nStart);
    m_pFile->WriteNibbles(pObject, nSize);
    m_pFile->SetKnownLength((std::uint64_t{nStart} + nSize) / 2);
    m_pFile->Seek(nStart);
    try {
        const int nWalked = m_pFile->SkipOb();
        return nWalked == static_cast<int>(nSize) && m_pFile->FilePos() == nStart + nSize;
    } catch (const CNibbleFileException&) {
        return false;
    }
}
