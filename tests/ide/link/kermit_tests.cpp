// The Kermit packet layer against values worked out by hand from the protocol's
// definition (and checked on the wire against other Kermit programs).
#include "Kermit.h"

#include <gtest/gtest.h>

using namespace Kermit;

namespace {

std::string Bytes(std::initializer_list<int> values)
{
    std::string s;
    for (const int v : values) {
        s += static_cast<char>(v);
    }
    return s;
}

std::string AllBytes()
{
    std::string s;
    for (int i = 0; i < 256; ++i) {
        s += static_cast<char>(i);
    }
    return s + std::string(10, 'A') + std::string(5, '\0') + "~~&&##";
}

} // namespace

TEST(Kermit, BlockChecksOfWorkedExamples)
{
    struct Case
    {
        int type;
        std::string bytes, check;
    } cases[] = {
        {1, "'!FTEST", "1"}, {2, "(!FTEST", "'/"}, {3, ")!FTEST", "\"Q$"},  {3, "%\"Y", ".5!"},
        {3, "%#Z", ",X\""},  {3, "%$B", "!_#"},    {1, "+ S~* @-#Y3", "$"}, // an HP48's own
                                                                            // Send-Init
    };
    for (const Case& c : cases) {
        EXPECT_EQ(BlockCheck(c.type, c.bytes), c.check) << c.bytes;
    }
    EXPECT_EQ(Crc16("123456789"), 0x2189u);
}

TEST(Kermit, PacketsOnTheWire)
{
    EXPECT_EQ(EncodePacket({0, 'S', "~* @-#Y3"}, 1), "\x01+ S~* @-#Y3$\r");
    // The data packet of a 20-byte object: every control byte, 0x80-0x9F and 0xFF
    // prefixed with their 8th bit kept; '&' and '~' literal while unused as prefixes.
    const std::string object = Bytes({0x48, 0x50, 0x48, 0x50, 0x34, 0x38, 0x2D, 0x45, 0x00, 0x01,
                                      0x0D, 0x1F, 0x20, 0x23, 0x26, 0x7E, 0x7F, 0x80, 0x8D, 0xFF});
    Agreement plain;
    const std::string data = CEncoder(plain).Encode(object);
    EXPECT_EQ(data, "HPHP48-E#@#A#M#_ ##&~#?#" + Bytes({0xC0, '#', 0xCD, '#', 0xBF}));
    EXPECT_EQ(EncodePacket({2, 'D', data}, 3), "\x01"
                                               "B\"D" +
                                                   data + " 93\r");
    // Padding the peer asked for goes before the mark, its end-of-line after the check.
    EXPECT_EQ(EncodePacket({1, 'Y', ""}, 1, 2, 'x', '\n'), "xx\x01#!Y?\n");
}

TEST(Kermit, PrefixingModesAndTheirInverse)
{
    struct Case
    {
        char bin, rept;
        std::string in, out;
    } cases[] = {
        {'&', 0, Bytes({0xC1}), "&A"},
        {'&', 0, Bytes({0x80}), "&#@"},
        {'&', 0, Bytes({0xFF}), "&#?"},
        {'&', 0, "&", "#&"},
        {0, '~', std::string(10, 'A'), "~*A"},
        {0, '~', std::string(5, '\0'), "~%#@"},
        {0, '~', "~", "#~"},
        {0, '~', "AA", "AA"},
        {0, 0, Bytes({0xA3}), Bytes({'#', 0xA3})},
    };
    for (const Case& c : cases) {
        Agreement a;
        a.chBinPrefix = c.bin;
        a.chRepeatPrefix = c.rept;
        EXPECT_EQ(CEncoder(a).Encode(c.in), c.out);
    }
    for (const char bin : {'\0', '&'}) {
        for (const char rept : {'\0', '~'}) {
            Agreement a;
            a.chBinPrefix = bin;
            a.chRepeatPrefix = rept;
            EXPECT_EQ(Decode(CEncoder(a).Encode(AllBytes()), '#', bin, rept), AllBytes());
        }
    }
}

TEST(Kermit, FillNeverSplitsAUnitOrOverrunsThePacket)
{
    const std::string bytes = AllBytes();
    Agreement a;
    a.chRepeatPrefix = '~';
    const CEncoder encoder(a);
    std::string decoded;
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        std::string data;
        encoder.Fill(bytes, &pos, 7, &data);
        ASSERT_LE(data.size(), 7u);
        ASSERT_FALSE(data.empty());
        decoded += Decode(data, '#', 0, '~');
    }
    EXPECT_EQ(decoded, bytes);
}

TEST(Kermit, SendInitFieldsAndAgreement)
{
    // A C-Kermit answer with more fields than we know, then one that gives only MAXL.
    const Params ck = DecodeParams("~' @-#Y3~*!J*0+++N\"U1A");
    EXPECT_EQ(ck.nMaxLength, 94);
    EXPECT_EQ(ck.nTimeout, 7);
    EXPECT_EQ(ck.nCheckType, 3);
    EXPECT_EQ(ck.chRepeatPrefix, '~');
    const Params bare = DecodeParams("H");
    EXPECT_EQ(bare.nMaxLength, 40);
    EXPECT_EQ(bare.chEol, '\r');
    EXPECT_EQ(bare.nCheckType, 1);
    EXPECT_EQ(DecodeParams(EncodeParams(ck)).chRepeatPrefix, '~');

    struct Case
    {
        std::string peer;
        int check, length;
        char bin, rept;
    } cases[] = {
        {"~* @-#Y3", 3, 64, 0, 0},    // an HP48: type 3, our 64, no 8th-bit, no repeats
        {"H* @-#Y1~", 1, 40, 0, '~'}, // a smaller packet, type 1 only, repeats offered
        {"~* @-#&2", 1, 64, '&', 0},  // asks for 8th-bit prefixing; type 2 is not ours
        {"~* @-#N3", 3, 64, 0, 0},
    };
    Params ours;
    ours.chBinPrefix = 'Y';
    ours.nCheckType = 3;
    ours.chRepeatPrefix = '~';
    for (const Case& c : cases) {
        const Agreement a = Agree(ours, DecodeParams(c.peer), 64);
        EXPECT_EQ(a.nCheckType, c.check) << c.peer;
        EXPECT_EQ(a.nSendLength, c.length) << c.peer;
        EXPECT_EQ(a.chBinPrefix, c.bin) << c.peer;
        EXPECT_EQ(a.chRepeatPrefix, c.rept) << c.peer;
    }
}

TEST(Kermit, ReaderSkipsNoiseAndRejectsDamage)
{
    const std::string good = EncodePacket({5, 'Y', "ok"}, 3);
    std::string corrupt = good;
    corrupt[4] ^= 1;
    struct Case
    {
        std::string wire;
        std::vector<CPacketReader::Event> events;
    } cases[] = {
        {"\r\n`" + good, {CPacketReader::Event::Packet}},
        {corrupt + good, {CPacketReader::Event::Damaged, CPacketReader::Event::Packet}},
        {good.substr(0, 4) + good, {CPacketReader::Event::Packet}}, // cut short by a new mark
        {"\x01\x22" + good, {CPacketReader::Event::Damaged, CPacketReader::Event::Packet}},
        {"\x01 !D", {CPacketReader::Event::Long}},
    };
    for (const Case& c : cases) {
        CPacketReader reader;
        reader.SetCheckType(3);
        std::vector<CPacketReader::Event> events;
        Packet last;
        for (const char ch : c.wire) {
            if (const auto e = reader.Feed(ch); e != CPacketReader::Event::None) {
                events.push_back(e);
                if (e == CPacketReader::Event::Packet) {
                    last = reader.Take();
                }
            }
        }
        EXPECT_EQ(events, c.events);
        if (events.back() == CPacketReader::Event::Packet) {
            EXPECT_EQ(last.nSeq, 5);
            EXPECT_EQ(last.chType, 'Y');
            EXPECT_EQ(last.data, "ok");
        }
    }
}
