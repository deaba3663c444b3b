// Small stand-ins for the file, string and exception classes that the nibble library
// and the console tools build on: CString is a byte string, CFile a binary file over a
// POSIX descriptor, and every failure derives from CException.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

// Marks the classes that libquorvex.so exports; everything else in the library stays
// hidden. The file and exception classes are exported too, so that the tools can use
// them and catch them (their type information) across the library boundary.
#ifndef QUORVEX_API
#define QUORVEX_API __attribute__((visibility("default")))
#endif

using CString = std::string;

class QUORVEX_API CException
{
public:
    virtual ~CException();
    // A one-line description of the failure.
    virtual CString GetErrorMessage() const = 0;
};

// A failed open, read, write or seek of a CFile. Carries errno and the system's text.
class QUORVEX_API CFileException : public CException
{
public:
    CFileException(int nErrno, CString strFileName);
    int GetErrno() const { return m_nErrno; }
    const CString& GetFileName() const { return m_strFileName; }
    // The system's text for the error, naming the file: "name: No such file or directory".
    CString GetErrorMessage() const override;

private:
    int m_nErrno;
    CString m_strFileName;
};

// A binary file. The open-mode word is passed through unchanged: 0 opens an existing
// file read-only, 0x1002 (modeCreate | modeReadWrite) creates or truncates it and opens
// it for reading and writing. modeWrite alone opens write-only; modeNoTruncate with
// modeCreate keeps an existing file's contents. Other flag bits are ignored. The
// descriptor is never inherited by child processes. Every failure throws CFileException.
//
// A regular file keeps its byte pointer, its length and a window of its bytes here, so
// that the many small reads and seeks of a nibble walk cost no system call: reads and
// writes go to the system at the position kept here, every write goes through to the file
// at once and also into the window, so the window always holds what the file holds. The
// file is taken to change only through this object while it is open. Anything else (a
// pipe, a terminal, a device) is read, written and moved through the descriptor itself.
class QUORVEX_API CFile
{
public:
    enum OpenFlags : unsigned int
    {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        modeCreate = 0x1000,
        modeNoTruncate = 0x2000,
    };
    enum SeekPosition
    {
        begin = 0,
        current = 1,
        end = 2
    };

    CFile(const CString& strFileName, unsigned int nOpenFlags);
    virtual ~CFile();
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    // Reads up to nCount bytes; returns how many were read (fewer only at the end).
    virtual std::uint32_t Read(void* pBuf, std::uint32_t nCount);
    virtual void Write(const void* pBuf, std::uint32_t nCount);
    // Moves the byte pointer; returns the new position.
    virtual std::uint64_t Seek(std::int64_t lOff, SeekPosition nFrom);
    virtual std::uint64_t GetPosition() const;
    // Reads up to nCount bytes at byte nOffset without moving the byte pointer; returns
    // how many were read (fewer only at the end).
    std::uint32_t ReadAt(void* pBuf, std::uint32_t nCount, std::uint64_t nOffset) const;
    virtual std::uint64_t GetLength() const;
    const CString& GetFileName() const { return m_strFileName; }

private:
    // Copies bytes from nOffset on into pBuf through the window, counting them in nDone
    // (also when a failure is thrown); stops early only at the end of the file.
    void ReadThroughWindow(unsigned char* pBuf, std::uint32_t nCount, std::uint64_t nOffset,
                           std::uint32_t& nDone) const;
    // Loads the window with the bytes from nOffset on; empty at the end of the file.
    void FillWindow(std::uint64_t nOffset) const;
    // Takes nCount bytes just written at nOffset into the window and the length.
    void NoteWritten(const unsigned char* pBuf, std::uint32_t nCount, std::uint64_t nOffset);

    int m_hFile = -1;
    CString m_strFileName;
    // Only for a regular file: the byte pointer, the length and the window.
    bool m_bRegular = false;
    std::uint64_t m_nPosition = 0;
    std::uint64_t m_nLength = 0;
    std::unique_ptr<unsigned char[]> m_pWindow;
    mutable std::uint64_t m_nWindowStart = 0;
    mutable std::uint32_t m_nWindowBytes = 0;
};
