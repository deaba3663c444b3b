// The binary archive that documents are read from and written to: little-endian
// 32-bit words and length-prefixed byte strings, over any QIODevice.
//
// A string is written as its length, then its bytes, without terminator. The length
// takes one byte when below 255; otherwise 0xFF and a 16-bit word when below 0xFFFE;
// otherwise 0xFF, the word 0xFFFF and a 32-bit length. Readers accept all three
// forms; writers always use the shortest.
#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <stdexcept>

// Thrown when an archive can't be read or written. what() is a sentence for the user.
class CArchiveException : public std::runtime_error
{
public:
    enum Cause
    {
        endOfFile,   // the data ended before the value being read
        badLength,   // a string length or a count larger than what is left of the data
        badSchema,   // a format version this program does not know
        writeFailed, // the device refused the bytes
        generic
    };
    CArchiveException(Cause cause, const QString& text);
    Cause m_cause;
};

class CArchive
{
public:
    enum Mode
    {
        load,
        store
    };

    // The device must be open for reading (load) or writing (store) and outlive the
    // archive.
    CArchive(QIODevice& device, Mode mode);
    // An archive over bytes in memory: loading reads them, storing appends to them.
    CArchive(QByteArray& bytes, Mode mode);
    ~CArchive();
    CArchive(const CArchive&) = delete;
    CArchive& operator=(const CArchive&) = delete;

    bool IsLoading() const { return m_mode == load; }
    bool IsStoring() const { return m_mode == store; }
    QIODevice& GetDevice() { return *m_pDevice; }

    quint32 ReadUInt32();
    qint32 ReadInt32() { return static_cast<qint32>(ReadUInt32()); }
    QByteArray ReadString();
    void WriteUInt32(quint32 value);
    void WriteInt32(qint32 value) { WriteUInt32(static_cast<quint32>(value)); }
    void WriteString(const QByteArray& text);

    // Bytes left to read; for a device without a known size (a pipe) a generous
    // ceiling, so that a damaged length can't make the reader allocate without bound.
    qint64 BytesLeft() const;
    // Fails the load with badLength unless count records, each taking at least
    // minBytesEach bytes, can still follow.
    void CheckCount(quint32 count, quint32 minBytesEach) const;

    CArchive& operator<<(quint32 value);
    CArchive& operator<<(qint32 value);
    CArchive& operator<<(const QByteArray& text);
    CArchive& operator>>(quint32& value);
    CArchive& operator>>(qint32& value);
    CArchive& operator>>(QByteArray& text);

    // The ceiling of BytesLeft for devices of unknown size.
    static constexpr qint64 kUnknownSizeLimit = 16 * 1024 * 1024;

private:
    QByteArray ReadBytes(qint64 count);
    void WriteBytes(const char* data, qint64 count);

    QIODevice* m_pDevice = nullptr;
    QIODevice* m_pOwnedDevice = nullptr;
    Mode m_mode;
};
