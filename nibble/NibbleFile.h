// Quorvex: files as streams of 4-bit nibbles, the unit in which the HP48 addresses
// memory. Nibble n of a file (or of a caller's buffer) is byte n / 2, even n in the low
// half. Positions, counts and nibble words are 32-bit and wrap around as such.
#pragma once

#include "Framework.h"

#include <cstdint>

// Failures of the nibble library itself: code 0 "Read past end of file",
// 1 "Invalid object"; any other code reads "Unknown error".
class QUORVEX_API CNibbleFileException : public CException
{
public:
    enum
    {
        readPastEnd = 0,
        invalidObject = 1
    };

    CNibbleFileException() = default;
    CNibbleFileException(const CNibbleFileException& other) = default;
    explicit CNibbleFileException(int nCode) : m_nErrorCode(nCode) {}
    ~CNibbleFileException() override;

    int GetErrorCode() const { return m_nErrorCode; }
    void SetErrorCode(int nCode) { m_nErrorCode = nCode; }
    CString GetErrorName() const;
    CString GetErrorMessage() const override { return GetErrorName(); }

private:
    std::int32_t m_nErrorCode = 0;
};

// A binary file addressed in nibbles, with a saved position (the marker), nibble-word
// access and the RPL object walker. Opening throws CFileException on failure.
class QUORVEX_API CNibbleFile : public CFile
{
public:
    CNibbleFile(CString strName, unsigned int nMode);
    ~CNibbleFile() override;

    std::uint32_t FilePos() const { return m_nFilePos; }
    void Seek(std::uint32_t nPos);
    // Seeks forward (bForward non-zero) or backward by nDistance, wrapping at 32 bits.
    void SeekRel(std::uint32_t nDistance, int bForward);

    std::uint32_t GetMarker() const { return m_nMarker; }
    // 0xFFFFFFFF stands for the current file position.
    void SetMarker(std::uint32_t nPos);
    void SeekToMarker();
    // nPos - marker as a signed value; 0xFFFFFFFF stands for the current position.
    std::int32_t GetMarkerOffset(std::uint32_t nPos);

    // Reads nCount nibbles packed from pBuffer[0]; the buffer must hold nCount / 2 + 1
    // bytes. Throws code 0 before anything moves when the data runs past the end.
    int ReadNibbles(unsigned char* pBuffer, std::uint32_t nCount);
    // Writes nCount nibbles from pBuffer; a half-covered byte keeps its other half.
    int WriteNibbles(unsigned char* pBuffer, std::uint32_t nCount);
    int ReadBytes(unsigned char* pBuffer, std::uint32_t nCount);
    int WriteBytes(unsigned char* pBuffer, std::uint32_t nCount);
    // A value stored in nWidth (1 to 8) nibbles, least significant first.
    int ReadNibbleWord(std::uint32_t* pValue, std::uint32_t nWidth);
    int WriteNibbleWord(std::uint32_t nValue, std::uint32_t nWidth);

    // Goes to the start of the file and steps over a binary download header there: 8
    // bytes starting with "HPHP48". Returns false, with the position left at the start,
    // when there is none, also for a file shorter than a header (a bare object), except
    // that a file ending inside "HPHP48" throws code 0: it is a download file cut short.
    bool SkipDownloadHeader();

    // Steps over the RPL object at the file position; returns its size in nibbles
    // (0 for the end marker of a composite).
    int SkipOb();
    // The CRC-16 of the object at the file position; leaves the position behind it
    // and the marker on its start.
    std::uint32_t CRCOb();

private:
    // The byte seek of the base class moves the byte pointer behind the nibble position's
    // back, so callers only get the nibble seek.
    using CFile::Seek;

    std::uint32_t m_nFilePos = 0;
    std::uint32_t m_nMarker = 0;
};
