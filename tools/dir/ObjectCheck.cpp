// The scratch file lives beside the output and has no name while it is used; the
// descriptor kept here cuts it back to nothing before each check.
#include "ObjectCheck.h"

#include <cerrno>
#include <cstdlib>
#include <unistd.h>
#include <vector>

CObjectCheck::CObjectCheck(const std::string& besidePath) : m_strName(besidePath + ".XXXXXX")
{
    std::vector<char> name(m_strName.begin(), m_strName.end());
    name.push_back('\0');
    m_hScratch = ::mkstemp(name.data());
    if (m_hScratch < 0) {
        throw CFileException(errno, m_strName);
    }
    m_strName = name.data();
    try {
        m_pFile = std::make_unique<CKnownLengthFile>(m_strName, CFile::modeReadWrite);
    } catch (...) {
        ::unlink(m_strName.c_str());
        ::close(m_hScratch);
        throw;
    }
    ::unlink(m_strName.c_str());
}

CObjectCheck::~CObjectCheck()
{
    m_pFile.reset();
    ::close(m_hScratch);
}

bool CObjectCheck::StandsAlone(unsigned char* pObject, std::uint32_t nSize)
{
    if (::ftruncate(m_hScratch, 0) != 0) {
        throw CFileException(errno, m_strName);
    }
    // An odd-sized object starts at nibble 1, so that it ends on a byte boundary and the
    // file holds not a nibble more than the object.
    const std::uint32_t nStart = nSize & 1;
    m_pFile->Seek(nStart);
    m_pFile->WriteNibbles(pObject, nSize);
    m_pFile->SetKnownLength((std::uint64_t{nStart} + nSize) / 2);
    m_pFile->Seek(nStart);
    try {
        return m_pFile->SkipOb() == static_cast<int>(nSize) && m_pFile->FilePos() == nStart + nSize;
    } catch (const CNibbleFileException&) {
        return false;
    }
}
