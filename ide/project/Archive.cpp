#include "Archive.h"

#include <QBuffer>
#include <QtEndian>

CArchiveException::CArchiveException(Cause cause, const QString& text)
    : std::runtime_error(text.toStdString()), m_cause(cause)
{
}

CArchive::CArchive(QIODevice& device, Mode mode) : m_pDevice(&device), m_mode(mode) {}

CArchive::CArchive(QByteArray& bytes, Mode mode) : m_mode(mode)
{
    auto* buffer = new QBuffer(&bytes);
    if (mode == load) {
        buffer->open(QIODevice::ReadOnly);
    } else {
        buffer->open(QIODevice::WriteOnly | QIODevice::Append);
    }
    m_pDevice = m_pOwnedDevice = buffer;
}

CArchive::~CArchive()
{
    delete m_pOwnedDevice;
}

qint64 CArchive::BytesLeft() const
{
    if (m_pDevice->isSequential()) {
        return kUnknownSizeLimit;
    }
    return std::max<qint64>(0, m_pDevice->size() - m_pDevice->pos());
}

void CArchive::CheckCount(quint32 count, quint32 minBytesEach) const
{
    if (minBytesEach > 0 && count > BytesLeft() / minBytesEach) {
        throw CArchiveException(CArchiveException::badLength,
                                QStringLiteral("A count of %1 is larger than the rest of the "
                                               "file can hold.")
                                    .arg(count));
    }
}

QByteArray CArchive::ReadBytes(qint64 count)
{
    QByteArray bytes;
    if (count <= BytesLeft()) {
        bytes = m_pDevice->read(count);
    }
    if (bytes.size() != count) {
        throw CArchiveException(CArchiveException::endOfFile,
                                QStringLiteral("The file ends unexpectedly."));
    }
    return bytes;
}

void CArchive::WriteBytes(const char* data, qint64 count)
{
    if (m_pDevice->write(data, count) != count) {
        throw CArchiveException(
            CArchiveException::writeFailed,
            QStringLiteral("The data could not be written: %1").arg(m_pDevice->errorString()));
    }
}

quint32 CArchive::ReadUInt32()
{
    const QByteArray bytes = ReadBytes(4);
    return qFromLittleEndian<quint32>(bytes.constData());
}

QByteArray CArchive::ReadString()
{
    quint32 length = static_cast<quint8>(ReadBytes(1).at(0));
    if (length == 0xFF) {
        length = qFromLittleEndian<quint16>(ReadBytes(2).constData());
        if (length == 0xFFFF) {
            length = ReadUInt32();
        }
    }
    if (length == 0) {
        return QByteArray();
    }
    if (length > BytesLeft()) {
        throw CArchiveException(CArchiveException::badLength,
                                QStringLiteral("A text of %1 bytes is longer than the rest of "
                                               "the file.")
                                    .arg(length));
    }
    return ReadBytes(length);
}

void CArchive::WriteUInt32(quint32 value)
{
    char bytes[4];
    qToLittleEndian(value, bytes);
    WriteBytes(bytes, 4);
}

void CArchive::WriteString(const QByteArray& text)
{
    const qint64 length = text.size();
    if (length > 0xFFFFFFFFLL) {
        throw CArchiveException(CArchiveException::writeFailed,
                                QStringLiteral("A text is too long to be stored."));
    }
    char prefix[7];
    int prefixSize = 0;
    if (length < 0xFF) {
        prefix[prefixSize++] = static_cast<char>(length);
    } else {
        prefix[prefixSize++] = '\xFF';
        if (length < 0xFFFE) {
            qToLittleEndian(static_cast<quint16>(length), prefix + prefixSize);
            prefixSize += 2;
        } else {
            qToLittleEndian(static_cast<quint16>(0xFFFF), prefix + prefixSize);
            qToLittleEndian(static_cast<quint32>(length), prefix + prefixSize + 2);
            prefixSize += 6;
        }
    }
    WriteBytes(prefix, prefixSize);
    WriteBytes(text.constData(), length);
}

CArchive& CArchive::operator<<(quint32 value)
{
    WriteUInt32(value);
    return *this;
}

CArchive& CArchive::operator<<(qint32 value)
{
    WriteInt32(value);
    return *this;
}

CArchive& CArchive::operator<<(const QByteArray& text)
{
    WriteString(text);
    return *this;
}

CArchive& CArchive::operator>>(quint32& value)
{
    value = ReadUInt32();
    return *this;
}

CArchive& CArchive::operator>>(qint32& value)
{
    value = ReadInt32();
    return *this;
}

CArchive& CArchive::operator>>(QByteArray& text)
{
    text = ReadString();
    return *this;
}
