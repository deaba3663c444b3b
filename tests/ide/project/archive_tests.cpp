// The archive's byte layout: little-endian words and the three string length forms.
#include "Archive.h"

#include <QBuffer>
#include <gtest/gtest.h>

namespace {

QByteArray Stored(const QByteArray& text)
{
    QByteArray bytes;
    CArchive ar(bytes, CArchive::store);
    ar.WriteString(text);
    return bytes;
}

QByteArray Loaded(QByteArray bytes)
{
    CArchive ar(bytes, CArchive::load);
    return ar.ReadString();
}

CArchiveException::Cause FailureOfLoading(QByteArray bytes)
{
    CArchive ar(bytes, CArchive::load);
    try {
        ar.ReadString();
    } catch (const CArchiveException& e) {
        return e.m_cause;
    }
    ADD_FAILURE() << "no exception";
    return CArchiveException::generic;
}

} // namespace

TEST(Archive, WordsAreLittleEndian)
{
    QByteArray bytes;
    {
        CArchive ar(bytes, CArchive::store);
        ar << quint32(0x12345678) << qint32(-2);
    }
    EXPECT_EQ(bytes, QByteArray::fromHex("78563412feffffff"));
    CArchive ar(bytes, CArchive::load);
    EXPECT_EQ(ar.ReadUInt32(), 0x12345678u);
    EXPECT_EQ(ar.ReadInt32(), -2);
}

TEST(Archive, StringsUseTheShortestLengthForm)
{
    struct Case
    {
        qsizetype length;
        QByteArray prefix;
    };
    const Case cases[] = {
        {0, QByteArray::fromHex("00")},
        {3, QByteArray::fromHex("03")},
        {254, QByteArray::fromHex("fe")},
        {255, QByteArray::fromHex("ffff00")},
        {0xFFFD, QByteArray::fromHex("fffdff")},
        {0xFFFE, QByteArray::fromHex("ffffff"
                                     "feff0000")},
        {70000, QByteArray::fromHex("ffffff"
                                    "70110100")},
    };
    for (const Case& c : cases) {
        QByteArray text(c.length, 'x');
        for (qsizetype i = 0; i < text.size(); ++i) {
            text[i] = char(i * 7);
        }
        const QByteArray bytes = Stored(text);
        EXPECT_EQ(bytes.left(c.prefix.size()), c.prefix) << c.length;
        EXPECT_EQ(bytes.size(), c.prefix.size() + c.length) << c.length;
        EXPECT_EQ(Loaded(bytes), text) << c.length;
    }
}

TEST(Archive, LongerLengthFormsAreReadForShortStrings)
{
    EXPECT_EQ(Loaded(QByteArray::fromHex("ff0300") + "abc"), "abc");
    EXPECT_EQ(Loaded(QByteArray::fromHex("ffffff03000000") + "abc"), "abc");
    EXPECT_EQ(Loaded(QByteArray::fromHex("ffffff00000000")), "");
}

TEST(Archive, ReadingPastTheEndFails)
{
    EXPECT_EQ(FailureOfLoading(""), CArchiveException::endOfFile);
    EXPECT_EQ(FailureOfLoading(QByteArray::fromHex("ff03")), CArchiveException::endOfFile);
    EXPECT_EQ(FailureOfLoading(QByteArray::fromHex("ffffff0300")), CArchiveException::endOfFile);
    QByteArray word = QByteArray::fromHex("010203");
    CArchive ar(word, CArchive::load);
    EXPECT_THROW(ar.ReadUInt32(), CArchiveException);
}

TEST(Archive, LengthsBeyondTheDataFailBeforeAllocating)
{
    EXPECT_EQ(FailureOfLoading(QByteArray::fromHex("05") + "abcd"), CArchiveException::badLength);
    EXPECT_EQ(FailureOfLoading(QByteArray::fromHex("ffffffffffffff") + "abcd"),
              CArchiveException::badLength);

    QByteArray bytes(100, '\0');
    CArchive ar(bytes, CArchive::load);
    EXPECT_NO_THROW(ar.CheckCount(20, 5));
    EXPECT_THROW(ar.CheckCount(21, 5), CArchiveException);
    EXPECT_THROW(ar.CheckCount(0xFFFFFFFF, 1), CArchiveException);
}

TEST(Archive, AFailedWriteIsReported)
{
    QBuffer closed;
    CArchive ar(closed, CArchive::store);
    EXPECT_THROW(ar.WriteUInt32(1), CArchiveException);
    EXPECT_THROW(ar.WriteString("abc"), CArchiveException);
}
