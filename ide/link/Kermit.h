// The Kermit file-transfer protocol as the HP48 speaks it: short packets (at most 94
// characters), one packet in flight, no attribute packets, no sliding windows.
//
// This header holds the pieces without any state of a session: the packet layout and
// its block checks, the Send-Init parameters and how two sides' values combine, the
// encoding of data bytes into printable characters and back, and a reader that picks
// packets out of the bytes arriving on a line. CKermitSession (KermitSession.h) drives a
// transfer with them.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace Kermit {

constexpr char Mark = 0x01; // SOH, the start of every packet
constexpr int MaxPacketLength = 94;

// Numbers 0..94 travel as the printable characters 32..126.
constexpr char ToChar(int n)
{
    return static_cast<char>(n + 32);
}
constexpr int UnChar(char c)
{
    return static_cast<unsigned char>(c) - 32;
}
// Control characters travel as their printable partners (0x01 <-> 'A', 0x7F <-> '?').
constexpr char Ctl(char c)
{
    return static_cast<char>(c ^ 0x40);
}

// Number of check characters for block check type 1, 2 or 3.
constexpr int CheckLength(int nType)
{
    return nType == 3 ? 3 : nType == 2 ? 2 : 1;
}
// The check characters over bytes (LEN, SEQ, TYPE and DATA as transmitted).
std::string BlockCheck(int nType, std::string_view bytes);
// CRC-16 in the reflected CCITT form Kermit uses (polynomial 0x8408, start 0).
unsigned Crc16(std::string_view bytes);

// One side's Send-Init fields, decoded. The defaults are those that apply to a field
// the other side left out.
struct Params
{
    int nMaxLength = 80; // longest packet (its LEN value) this side can receive
    int nTimeout = 10;   // seconds the other side should wait for this one
    int nPadCount = 0;   // pad characters this side needs before each packet
    char chPad = 0;
    char chEol = '\r';       // character this side wants after each packet
    char chCtlPrefix = '#';  // prefix this side uses for control characters
    char chBinPrefix = 'N';  // 'Y' agree, 'N' refuse, or the 8th-bit prefix wanted
    int nCheckType = 1;      // block check wanted
    char chRepeatPrefix = 0; // repeat-count prefix offered, 0 for none
    int nCapabilities = 0;   // first capability byte; never acted on here
};

// The data of an S packet (or of its ACK) carrying params; only the nine basic fields.
std::string EncodeParams(const Params& params);
// Reads the fields the other side sent; missing ones keep their defaults, unknown ones
// after them are ignored, out-of-range values are brought into range.
Params DecodeParams(std::string_view data);

// What both sides use once the Send-Init exchange is done.
struct Agreement
{
    int nCheckType = 1;
    int nSendLength = 80; // longest packet we send (LEN value)
    int nPadCount = 0;    // what the peer asked for in front of our packets
    char chPad = 0;
    char chEol = '\r';
    char chCtlPrefix = '#'; // ours, for what we send
    char chPeerCtlPrefix = '#';
    char chBinPrefix = 0;    // 0: no 8th-bit prefixing
    char chRepeatPrefix = 0; // 0: no repeat counts
    int nPeerTimeout = 10;   // seconds to wait for the peer
};
// Combines our Send-Init with the peer's answer. nMaxSend caps the packets we send
// below what the peer accepts.
Agreement Agree(const Params& ours, const Params& peer, int nMaxSend);

struct Packet
{
    int nSeq = 0;
    char chType = 0;
    std::string data; // as on the wire (still encoded)
};

// The whole packet on the wire: padding, MARK, LEN, SEQ, TYPE, data, check, EOL.
std::string EncodePacket(const Packet& packet, int nCheckType, int nPadCount = 0, char chPad = 0,
                         char chEol = '\r');

// Turns file bytes into packet data. Each byte becomes one unit of 1 to 5 characters
// ([repeat count] [8th-bit prefix] [control prefix] character); units are never split
// across packets.
class CEncoder
{
public:
    explicit CEncoder(const Agreement& agreement);
    // Appends to out the units for bytes starting at *pos, as many as fit within nRoom
    // characters of out, and advances *pos past the bytes taken.
    void Fill(std::string_view bytes, std::size_t* pos, std::size_t nRoom, std::string* out) const;
    // Encodes text that must go whole into one packet (a file name, a command).
    std::string Encode(std::string_view bytes) const;

private:
    std::string Unit(unsigned char c, int nRepeat) const;

    char m_chCtl;
    char m_chBin;
    char m_chRepeat;
};

// Turns packet data back into bytes, with the peer's prefixes. Malformed endings (a
// prefix as the last character) are dropped.
std::string Decode(std::string_view data, char chCtlPrefix, char chBinPrefix = 0,
                   char chRepeatPrefix = 0);

// Picks packets out of what arrives on the line: everything before a MARK is skipped,
// a MARK inside a packet starts over at it, and a packet whose length is impossible or
// whose check is wrong counts as damaged.
class CPacketReader
{
public:
    enum class Event
    {
        None,    // needs more bytes
        Packet,  // a good packet: see Take()
        Damaged, // a packet arrived but its length or check was wrong
        Long,    // an extended-length packet, which this side does not accept
    };

    // The block check that arriving packets carry.
    void SetCheckType(int nType) { m_nCheckType = nType; }
    int CheckType() const { return m_nCheckType; }
    // Forgets a packet in progress.
    void Reset();
    Event Feed(char c);
    Packet Take() { return std::move(m_packet); }

private:
    int m_nCheckType = 1;
    bool m_bInPacket = false;
    int m_nLength = -1; // characters still expected after LEN, -1 before LEN
    std::string m_body; // LEN onward
    Packet m_packet;
};

} // namespace Kermit
