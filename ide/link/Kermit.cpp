#include "Kermit.h"

#include <algorithm>

namespace Kermit {

namespace {

// A character that may serve as a prefix: printable, not a digit, letter or space.
bool IsPrefixChar(char c)
{
    const int n = static_cast<unsigned char>(c);
    return (n >= 33 && n <= 62) || (n >= 96 && n <= 126);
}

// The field at index i of Send-Init data, if the other side sent it.
std::optional<char> Field(std::string_view data, std::size_t i)
{
    return i < data.size() ? std::optional<char>(data[i]) : std::nullopt;
}

} // namespace

unsigned Crc16(std::string_view bytes)
{
    unsigned crc = 0;
    for (const char ch : bytes) {
        // Two steps per byte, low nibble first.
        const unsigned c = static_cast<unsigned char>(ch);
        unsigned q = (crc ^ c) & 15;
        crc = (crc >> 4) ^ (q * 0x1081);
        q = (crc ^ (c >> 4)) & 15;
        crc = (crc >> 4) ^ (q * 0x1081);
    }
    return crc & 0xFFFF;
}

std::string BlockCheck(int nType, std::string_view bytes)
{
    if (nType == 3) {
        const unsigned crc = Crc16(bytes);
        return {ToChar(static_cast<int>((crc >> 12) & 0x0F)),
                ToChar(static_cast<int>((crc >> 6) & 0x3F)), ToChar(static_cast<int>(crc & 0x3F))};
    }
    unsigned sum = 0;
    for (const char ch : bytes) {
        sum += static_cast<unsigned char>(ch);
    }
    if (nType == 2) {
        sum &= 0xFFF;
        return {ToChar(static_cast<int>((sum >> 6) & 0x3F)), ToChar(static_cast<int>(sum & 0x3F))};
    }
    return {ToChar(static_cast<int>((sum + ((sum & 0xC0) >> 6)) & 0x3F))};
}

std::string EncodeParams(const Params& p)
{
    std::string data;
    data += ToChar(p.nMaxLength);
    data += ToChar(p.nTimeout);
    data += ToChar(p.nPadCount);
    data += Ctl(p.chPad);
    data += ToChar(p.chEol);
    data += p.chCtlPrefix;
    data += p.chBinPrefix;
    data += static_cast<char>('0' + p.nCheckType);
    data += p.chRepeatPrefix ? p.chRepeatPrefix : ' ';
    return data;
}

Params DecodeParams(std::string_view data)
{
    Params p;
    if (const auto c = Field(data, 0)) {
        // A space (0) means "the default"; anything shorter than a packet holding one
        // unit with the longest check would leave no room for data.
        const int n = UnChar(*c);
        p.nMaxLength = n <= 0 ? 80 : std::clamp(n, 10, MaxPacketLength);
    }
    if (const auto c = Field(data, 1)) {
        const int n = UnChar(*c);
        p.nTimeout = n <= 0 ? 10 : std::min(n, MaxPacketLength);
    }
    if (const auto c = Field(data, 2)) {
        p.nPadCount = std::clamp(UnChar(*c), 0, MaxPacketLength);
    }
    if (const auto c = Field(data, 3)) {
        p.chPad = Ctl(*c);
    }
    if (const auto c = Field(data, 4)) {
        const int n = UnChar(*c);
        p.chEol = n > 0 && n < 32 ? static_cast<char>(n) : '\r';
    }
    if (const auto c = Field(data, 5); c && IsPrefixChar(*c)) {
        p.chCtlPrefix = *c;
    }
    if (const auto c = Field(data, 6); c && (*c == 'Y' || *c == 'N' || IsPrefixChar(*c))) {
        p.chBinPrefix = *c;
    }
    if (const auto c = Field(data, 7); c && *c >= '1' && *c <= '3') {
        p.nCheckType = *c - '0';
    }
    if (const auto c = Field(data, 8); c && IsPrefixChar(*c)) {
        p.chRepeatPrefix = *c;
    }
    if (const auto c = Field(data, 9)) {
        p.nCapabilities = std::max(UnChar(*c), 0);
    }
    return p;
}

Agreement Agree(const Params& ours, const Params& peer, int nMaxSend)
{
    Agreement a;
    a.nCheckType = ours.nCheckType == peer.nCheckType ? ours.nCheckType : 1;
    a.nSendLength = std::min(peer.nMaxLength, nMaxSend);
    a.nPadCount = peer.nPadCount;
    a.chPad = peer.chPad;
    a.chEol = peer.chEol;
    a.chCtlPrefix = ours.chCtlPrefix;
    a.chPeerCtlPrefix = peer.chCtlPrefix;
    a.nPeerTimeout = peer.nTimeout;
    // 8th-bit prefixing only when one side names the prefix and the other agrees (or
    // names the same); 'Y' and 'N' are answers, never prefixes.
    const auto named = [](char c) { return c != 'Y' && c != 'N' && IsPrefixChar(c); };
    if (named(ours.chBinPrefix) &&
        (peer.chBinPrefix == 'Y' || peer.chBinPrefix == ours.chBinPrefix)) {
        a.chBinPrefix = ours.chBinPrefix;
    } else if (named(peer.chBinPrefix) && ours.chBinPrefix == 'Y') {
        a.chBinPrefix = peer.chBinPrefix;
    }
    if (ours.chRepeatPrefix && ours.chRepeatPrefix == peer.chRepeatPrefix) {
        a.chRepeatPrefix = ours.chRepeatPrefix;
    }
    // Prefixes that collide would make the data ambiguous; drop the optional ones.
    if (a.chBinPrefix == a.chCtlPrefix || a.chBinPrefix == a.chPeerCtlPrefix) {
        a.chBinPrefix = 0;
    }
    if (a.chRepeatPrefix == a.chCtlPrefix || a.chRepeatPrefix == a.chPeerCtlPrefix ||
        a.chRepeatPrefix == a.chBinPrefix) {
        a.chRepeatPrefix = 0;
    }
    return a;
}

std::string EncodePacket(const Packet& packet, int nCheckType, int nPadCount, char chPad,
                         char chEol)
{
    std::string wire(static_cast<std::size_t>(nPadCount), chPad);
    wire += Mark;
    const std::size_t start = wire.size();
    wire += ToChar(static_cast<int>(2 + packet.data.size()) + CheckLength(nCheckType));
    wire += ToChar(packet.nSeq & 63);
    wire += packet.chType;
    wire += packet.data;
    wire += BlockCheck(nCheckType, std::string_view(wire).substr(start));
    wire += chEol;
    return wire;
}

CEncoder::CEncoder(const Agreement& agreement)
    : m_chCtl(agreement.chCtlPrefix), m_chBin(agreement.chBinPrefix),
      m_chRepeat(agreement.chRepeatPrefix)
{
}

std::string CEncoder::Unit(unsigned char c, int nRepeat) const
{
    std::string unit;
    if (nRepeat > 1) {
        unit += m_chRepeat;
        unit += ToChar(nRepeat);
    }
    if (m_chBin && (c & 0x80)) {
        unit += m_chBin;
        c &= 0x7F;
    }
    const unsigned char low = c & 0x7F;
    if (low < 32 || low == 127) {
        // Every control byte is prefixed, with or without its 8th bit.
        unit += m_chCtl;
        unit += static_cast<char>(c ^ 0x40);
    } else if (low == static_cast<unsigned char>(m_chCtl) ||
               (m_chBin && low == static_cast<unsigned char>(m_chBin)) ||
               (m_chRepeat && low == static_cast<unsigned char>(m_chRepeat))) {
        unit += m_chCtl;
        unit += static_cast<char>(c);
    } else {
        unit += static_cast<char>(c);
    }
    return unit;
}

void CEncoder::Fill(std::string_view bytes, std::size_t* pos, std::size_t nRoom,
                    std::string* out) const
{
    while (*pos < bytes.size()) {
        const char c = bytes[*pos];
        std::size_t run = 1;
        if (m_chRepeat) {
            while (*pos + run < bytes.size() && run < MaxPacketLength && bytes[*pos + run] == c) {
                ++run;
            }
            // Two equal bytes are no shorter as a repeat unit.
            if (run < 3) {
                run = 1;
            }
        }
        const std::string unit = Unit(static_cast<unsigned char>(c), static_cast<int>(run));
        if (out->size() + unit.size() > nRoom) {
            return;
        }
        *out += unit;
        *pos += run;
    }
}

std::string CEncoder::Encode(std::string_view bytes) const
{
    std::string out;
    std::size_t pos = 0;
    Fill(bytes, &pos, std::string::npos, &out);
    return out;
}

std::string Decode(std::string_view data, char chCtlPrefix, char chBinPrefix, char chRepeatPrefix)
{
    std::string out;
    std::size_t i = 0;
    while (i < data.size()) {
        int repeat = 1;
        if (chRepeatPrefix && data[i] == chRepeatPrefix) {
            if (i + 1 >= data.size()) {
                break;
            }
            repeat = std::max(UnChar(data[i + 1]), 0);
            i += 2;
        }
        unsigned char high = 0;
        if (chBinPrefix && i < data.size() && data[i] == chBinPrefix) {
            high = 0x80;
            ++i;
        }
        const bool prefixed = i < data.size() && data[i] == chCtlPrefix;
        if (prefixed) {
            ++i;
        }
        if (i >= data.size()) {
            break;
        }
        unsigned char c = static_cast<unsigned char>(data[i]);
        if (prefixed) {
            const unsigned char low = c & 0x7F;
            if (low >= 63 && low <= 95) {
                c ^= 0x40;
            }
        }
        ++i;
        out.append(static_cast<std::size_t>(repeat), static_cast<char>(c | high));
    }
    return out;
}

void CPacketReader::Reset()
{
    m_bInPacket = false;
    m_nLength = -1;
    m_body.clear();
}

CPacketReader::Event CPacketReader::Feed(char c)
{
    if (c == Mark) {
        Reset();
        m_bInPacket = true;
        return Event::None;
    }
    if (!m_bInPacket) {
        return Event::None;
    }
    if (m_nLength < 0) {
        const int n = UnChar(c);
        if (n == 0) {
            Reset();
            return Event::Long;
        }
        if (n < 2 + CheckLength(m_nCheckType) || n > MaxPacketLength) {
            Reset();
            return Event::Damaged;
        }
        m_nLength = n;
        m_body.assign(1, c);
        return Event::None;
    }
    m_body += c;
    if (static_cast<int>(m_body.size()) < 1 + m_nLength) {
        return Event::None;
    }
    const std::size_t checkLength = static_cast<std::size_t>(CheckLength(m_nCheckType));
    const std::string_view body(m_body);
    const std::string_view checked = body.substr(0, body.size() - checkLength);
    const int seq = UnChar(body[1]);
    const bool good =
        seq >= 0 && seq < 64 && BlockCheck(m_nCheckType, checked) == body.substr(checked.size());
    if (good) {
        m_packet.nSeq = seq;
        m_packet.chType = body[2];
        m_packet.data.assign(checked.substr(3));
    }
    Reset();
    return good ? Event::Packet : Event::Damaged;
}

} // namespace Kermit
