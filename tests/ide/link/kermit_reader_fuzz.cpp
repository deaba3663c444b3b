// Bytes from the line, as a calculator or an emulator might send them: the packet
// reader, the Send-Init field reader and the data decoder must take anything.
#include "Kermit.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) {
        return 0;
    }
    Kermit::CPacketReader reader;
    reader.SetCheckType(data[0] % 3 + 1);
    for (std::size_t i = 1; i < size; ++i) {
        if (reader.Feed(static_cast<char>(data[i])) == Kermit::CPacketReader::Event::Packet) {
            const Kermit::Packet packet = reader.Take();
            const Kermit::Params params = Kermit::DecodeParams(packet.data);
            const Kermit::Agreement agreed = Kermit::Agree(params, params, 94);
            Kermit::Decode(packet.data, agreed.chPeerCtlPrefix, agreed.chBinPrefix,
                           agreed.chRepeatPrefix);
        }
    }
    return 0;
}
