#include "KermitSession.h"

#include <algorithm>
#include <chrono>

using Kermit::Packet;

namespace {

using Clock = std::chrono::steady_clock;

// How often a wait looks at the cancel check.
constexpr int kSliceMs = 100;
// How much of the file is read at a time.
constexpr long long kChunk = 4096;

bool IsFirstOfExchange(char chType)
{
    return chType == 'S' || chType == 'I' || chType == 'C' || chType == 'G' || chType == 'R';
}

} // namespace

CKermitSession::CKermitSession(IKermitLine& line, KermitOptions options,
                               std::function<bool()> cancelled)
    : m_line(line), m_options(options), m_cancelled(std::move(cancelled))
{
}

Kermit::Params CKermitSession::OurParams() const
{
    Kermit::Params p;
    p.nMaxLength = Kermit::MaxPacketLength;
    p.nTimeout = std::clamp(m_options.nWaitMs / 1000, 1, Kermit::MaxPacketLength);
    p.nPadCount = 0;
    p.chPad = 0;
    p.chEol = '\r';
    p.chCtlPrefix = '#';
    // Agree to 8th-bit prefixing only if the peer needs it, as the HP48 itself does.
    p.chBinPrefix = 'Y';
    p.nCheckType = m_options.nCheckType == 3 ? 3 : 1;
    // Repeat counts are offered; they are used only when the peer offers them too.
    p.chRepeatPrefix = '~';
    return p;
}

void CKermitSession::ResetAgreement()
{
    m_agreement = Kermit::Agreement{};
    m_bAgreed = false;
    m_reader.SetCheckType(1);
    m_reader.Reset();
}

int CKermitSession::PeerWaitMs() const
{
    return m_bAgreed ? m_agreement.nPeerTimeout * 1000 : m_options.nWaitMs;
}

KermitStatus CKermitSession::Send(const Packet& packet, int nCheckType)
{
    const std::string wire = Kermit::EncodePacket(packet, nCheckType, m_agreement.nPadCount,
                                                  m_agreement.chPad, m_agreement.chEol);
    return m_line.Write(wire) ? KermitStatus::Ok : KermitStatus::LineError;
}

KermitStatus CKermitSession::Receive(Packet* pPacket, int nWaitMs)
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(nWaitMs);
    for (;;) {
        if (m_cancelled && m_cancelled()) {
            return KermitStatus::Cancelled;
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
            return KermitStatus::NoAnswer;
        }
        const int c = m_line.ReadByte(static_cast<int>(std::min<long long>(left, kSliceMs)));
        if (c < 0) {
            continue;
        }
        switch (m_reader.Feed(static_cast<char>(c))) {
        case Kermit::CPacketReader::Event::Packet:
            *pPacket = m_reader.Take();
            if (pPacket->chType == 'E') {
                m_strPeerMessage = Kermit::Decode(pPacket->data, m_agreement.chPeerCtlPrefix,
                                                  m_agreement.chBinPrefix);
                return KermitStatus::PeerError;
            }
            return KermitStatus::Ok;
        case Kermit::CPacketReader::Event::Long:
            SendError("Long packets are not supported");
            return KermitStatus::LongPacket;
        default:
            break;
        }
    }
}

KermitStatus CKermitSession::Exchange(const Packet& packet, Packet* pAnswer, int nTries,
                                      int nWaitMs)
{
    const bool first = IsFirstOfExchange(packet.chType);
    for (int attempt = 0; attempt < nTries; ++attempt) {
        if (m_cancelled && m_cancelled()) {
            return KermitStatus::Cancelled;
        }
        if (const KermitStatus sent = Send(packet, m_agreement.nCheckType);
            sent != KermitStatus::Ok) {
            return sent;
        }
        const auto deadline = Clock::now() + std::chrono::milliseconds(nWaitMs);
        for (;;) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now())
                    .count();
            Packet answer;
            const KermitStatus got =
                left > 0 ? Receive(&answer, static_cast<int>(left)) : KermitStatus::NoAnswer;
            if (got == KermitStatus::NoAnswer) {
                break;
            }
            if (got != KermitStatus::Ok) {
                return got;
            }
            if (answer.nSeq == packet.nSeq &&
                (answer.chType == 'Y' ||
                 (answer.chType == 'S' && (packet.chType == 'C' || packet.chType == 'G')))) {
                *pAnswer = std::move(answer);
                return KermitStatus::Ok;
            }
            if (answer.chType == 'N' && answer.nSeq == (packet.nSeq + 1) % 64 && !first) {
                // The receiver wants the next packet: it got this one, its ACK was lost.
                *pAnswer = Packet{packet.nSeq, 'Y', {}};
                return KermitStatus::Ok;
            }
            if (answer.chType == 'N' && answer.nSeq == packet.nSeq) {
                break;
            }
            // An answer to an earlier packet, or anything else: keep waiting.
        }
    }
    return KermitStatus::NoAnswer;
}

KermitStatus CKermitSession::SendInit()
{
    ResetAgreement();
    m_nSeq = 0;
    const Kermit::Params ours = OurParams();
    Packet answer;
    const KermitStatus status = Exchange({0, 'S', Kermit::EncodeParams(ours)}, &answer,
                                         m_options.nInitTries, m_options.nInitWaitMs);
    if (status != KermitStatus::Ok) {
        return status;
    }
    m_agreement = Kermit::Agree(ours, Kermit::DecodeParams(answer.data),
                                std::clamp(m_options.nMaxSendLength, 10, Kermit::MaxPacketLength));
    m_bAgreed = true;
    m_reader.SetCheckType(m_agreement.nCheckType);
    return KermitStatus::Ok;
}

KermitStatus CKermitSession::SendFile(
    const std::string& name, long long size,
    const std::function<std::optional<std::string>(long long, long long)>& read,
    const std::function<void(long long)>& progress)
{
    const Kermit::CEncoder encoder(m_agreement);
    const std::size_t room = static_cast<std::size_t>(m_agreement.nSendLength - 2 -
                                                      Kermit::CheckLength(m_agreement.nCheckType));
    Packet answer;
    std::string header;
    std::size_t namePos = 0;
    encoder.Fill(name, &namePos, room, &header);
    m_nSeq = (m_nSeq + 1) % 64;
    KermitStatus status = Exchange({m_nSeq, 'F', header}, &answer, m_options.nTries, PeerWaitMs());
    if (status != KermitStatus::Ok) {
        return status;
    }

    std::string chunk;
    long long chunkStart = 0;
    std::size_t pos = 0;
    long long sent = 0;
    while (sent < size) {
        std::string data;
        while (chunkStart + static_cast<long long>(pos) < size) {
            if (pos == chunk.size()) {
                chunkStart += static_cast<long long>(chunk.size());
                pos = 0;
                const std::optional<std::string> more =
                    read(chunkStart, std::min(kChunk, size - chunkStart));
                if (!more || more->empty()) {
                    chunk.clear();
                    SendError("File could not be read");
                    return KermitStatus::SourceFailed;
                }
                chunk = more->substr(0, static_cast<std::size_t>(size - chunkStart));
            }
            const std::size_t before = pos;
            encoder.Fill(chunk, &pos, room, &data);
            if (pos == before) {
                break; // the next unit does not fit into this packet
            }
        }
        m_nSeq = (m_nSeq + 1) % 64;
        status = Exchange({m_nSeq, 'D', data}, &answer, m_options.nTries, PeerWaitMs());
        if (status != KermitStatus::Ok) {
            return status;
        }
        sent = chunkStart + static_cast<long long>(pos);
        if (progress) {
            progress(sent);
        }
        if (answer.data == "X" || answer.data == "Z") {
            // The receiver wants no more of this file (Z: of the batch): discard it.
            m_nSeq = (m_nSeq + 1) % 64;
            Exchange({m_nSeq, 'Z', "D"}, &answer, m_options.nTries, PeerWaitMs());
            m_nSeq = (m_nSeq + 1) % 64;
            Exchange({m_nSeq, 'B', {}}, &answer, m_options.nTries, PeerWaitMs());
            return KermitStatus::PeerCancelled;
        }
    }
    m_nSeq = (m_nSeq + 1) % 64;
    return Exchange({m_nSeq, 'Z', {}}, &answer, m_options.nTries, PeerWaitMs());
}

KermitStatus CKermitSession::EndBatch()
{
    Packet answer;
    m_nSeq = (m_nSeq + 1) % 64;
    const KermitStatus status =
        Exchange({m_nSeq, 'B', {}}, &answer, m_options.nTries, PeerWaitMs());
    ResetAgreement();
    return status;
}

void CKermitSession::SendError(const std::string& text)
{
    const Kermit::CEncoder encoder(m_agreement);
    Send({m_nSeq, 'E', encoder.Encode(text)}, m_agreement.nCheckType);
}

KermitStatus CKermitSession::ServerCommand(char chType, const std::string& text, std::string* reply)
{
    // A command starts a new exchange: number 0, type 1 checks, nothing agreed yet.
    ResetAgreement();
    m_nSeq = 0;
    reply->clear();
    const Kermit::CEncoder encoder(m_agreement);
    std::string data;
    std::size_t pos = 0;
    encoder.Fill(text, &pos, Kermit::MaxPacketLength - 3, &data);
    Packet answer;
    const KermitStatus status =
        Exchange({0, chType, data}, &answer, m_options.nTries, m_options.nWaitMs);
    if (status != KermitStatus::Ok) {
        return status;
    }
    if (answer.chType == 'Y') {
        *reply = Kermit::Decode(answer.data, m_agreement.chPeerCtlPrefix);
        return KermitStatus::Ok;
    }
    // A long reply: the server sends it as a file of text, after its own Send-Init.
    const Kermit::Params ours = OurParams();
    const Kermit::Agreement agreed =
        Kermit::Agree(ours, Kermit::DecodeParams(answer.data),
                      std::clamp(m_options.nMaxSendLength, 10, Kermit::MaxPacketLength));
    const Packet ack{0, 'Y', Kermit::EncodeParams(ours)};
    m_agreement = agreed;
    if (const KermitStatus sent = Send(ack, 1); sent != KermitStatus::Ok) {
        return sent;
    }
    m_bAgreed = true;
    m_reader.SetCheckType(agreed.nCheckType);
    std::string lastAck =
        Kermit::EncodePacket(ack, 1, agreed.nPadCount, agreed.chPad, agreed.chEol);
    const KermitStatus received = ReceiveReply(reply, lastAck);
    ResetAgreement();
    return received;
}

KermitStatus CKermitSession::ReceiveReply(std::string* reply, std::string lastAck)
{
    int expected = 1;
    int misses = 0;
    for (;;) {
        Packet packet;
        const KermitStatus status = Receive(&packet, PeerWaitMs());
        if (status == KermitStatus::NoAnswer) {
            if (++misses >= m_options.nTries) {
                return KermitStatus::NoAnswer;
            }
            if (const KermitStatus sent = Send({expected, 'N', {}}, m_agreement.nCheckType);
                sent != KermitStatus::Ok) {
                return sent;
            }
            continue;
        }
        if (status != KermitStatus::Ok) {
            return status;
        }
        if (packet.nSeq == (expected + 63) % 64) {
            // Our last ACK was lost: the peer sent its packet again.
            if (!m_line.Write(lastAck)) {
                return KermitStatus::LineError;
            }
            continue;
        }
        if (packet.nSeq != expected) {
            continue;
        }
        misses = 0;
        if (packet.chType == 'D') {
            *reply += Kermit::Decode(packet.data, m_agreement.chPeerCtlPrefix,
                                     m_agreement.chBinPrefix, m_agreement.chRepeatPrefix);
        }
        lastAck = Kermit::EncodePacket({expected, 'Y', {}}, m_agreement.nCheckType,
                                       m_agreement.nPadCount, m_agreement.chPad, m_agreement.chEol);
        if (!m_line.Write(lastAck)) {
            return KermitStatus::LineError;
        }
        if (packet.chType == 'B') {
            return KermitStatus::Ok;
        }
        expected = (expected + 1) % 64;
    }
}
