// One Kermit conversation with a calculator (or any Kermit receiver or server) over a
// line: the Send-Init exchange, sending a file as F, D..., Z and ending the batch with B,
// and server commands (REMOTE HOST, FINISH) whose replies may come as a single ACK or as
// a whole text transfer. One packet is in flight at a time; a packet is sent again when
// it is NAKed or not answered, up to a number of tries.
#pragma once

#include "Kermit.h"

#include <functional>
#include <optional>
#include <string>

// The line a session talks over.
class IKermitLine
{
public:
    virtual ~IKermitLine() = default;
    // Sends all of data; false when the line failed (the port is gone).
    virtual bool Write(const std::string& data) = 0;
    // One byte within nTimeoutMs; -1 when none came.
    virtual int ReadByte(int nTimeoutMs) = 0;
};

struct KermitOptions
{
    int nCheckType = 3;      // block check asked for: 1 or 3 (the peer may settle on 1)
    int nMaxSendLength = 64; // longest packet sent (LEN value), lower if the peer asks
    int nWaitMs = 10000;     // wait for an answer before the peer has said how long
    int nTries = 10;         // tries of one packet before giving up
    // The Send-Init is retried on its own terms: an emulator drops what arrives until
    // the calculator listens, so Simulate knocks often and for longer.
    int nInitTries = 10;
    int nInitWaitMs = 10000;
};

enum class KermitStatus
{
    Ok,
    Cancelled,     // the cancel check said so
    NoAnswer,      // a packet went unanswered (or was refused) every try
    PeerError,     // the peer sent an E packet; PeerMessage() holds its text
    PeerCancelled, // the receiver asked to stop (X or Z in an ACK); it was told so
    LineError,     // writing to the line failed
    SourceFailed,  // the file's reader gave up
    LongPacket,    // the peer sent an extended-length packet, which is not supported
};

class CKermitSession
{
public:
    CKermitSession(IKermitLine& line, KermitOptions options, std::function<bool()> cancelled);

    // Exchanges Send-Init parameters; the packets that follow use what was agreed.
    KermitStatus SendInit();
    // Sends one file under name (calculator characters). read(offset, n) gives up to n
    // bytes from offset, fewer only at the end, or nothing when the file can't be read;
    // it may be called again for the same offset. progress(sent) follows every
    // acknowledged data packet. A file that yields fewer than size bytes fails with
    // SourceFailed after telling the peer.
    KermitStatus
    SendFile(const std::string& name, long long size,
             const std::function<std::optional<std::string>(long long, long long)>& read,
             const std::function<void(long long)>& progress);
    // Ends the batch (B).
    KermitStatus EndBatch();
    // A server command: 'C' (REMOTE HOST) with a command line, or 'G' with a generic
    // command ("F" for FINISH). The reply text goes to *reply.
    KermitStatus ServerCommand(char chType, const std::string& text, std::string* reply);
    // Tells the peer that we stop, with a short reason; no answer is awaited.
    void SendError(const std::string& text);

    const std::string& PeerMessage() const { return m_strPeerMessage; }
    const Kermit::Agreement& Agreement() const { return m_agreement; }
    // Our own Send-Init parameters.
    Kermit::Params OurParams() const;

private:
    // Sends packet and waits for its answer, trying up to nTries times.
    KermitStatus Exchange(const Kermit::Packet& packet, Kermit::Packet* pAnswer, int nTries,
                          int nWaitMs);
    // Waits up to nWaitMs for a good packet; damaged ones are skipped, and a time-out
    // gives NoAnswer. An E packet gives PeerError.
    KermitStatus Receive(Kermit::Packet* pPacket, int nWaitMs);
    // Receives a long reply after its Send-Init was acknowledged with lastAck.
    KermitStatus ReceiveReply(std::string* reply, std::string lastAck);
    KermitStatus Send(const Kermit::Packet& packet, int nCheckType);
    // Back to the state before any Send-Init: type 1 checks, default line settings.
    void ResetAgreement();
    int PeerWaitMs() const;

    IKermitLine& m_line;
    const KermitOptions m_options;
    const std::function<bool()> m_cancelled;
    Kermit::CPacketReader m_reader;
    Kermit::Agreement m_agreement;
    int m_nSeq = 0;
    bool m_bAgreed = false;
    std::string m_strPeerMessage;
};
