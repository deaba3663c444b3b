// The link between Velmora and a cooperating EMU48 emulator, as both sides see it.
//
// The emulator listens on a Unix-domain stream socket (EmuSocketPath). To load a file,
// Velmora puts its path, followed by one NUL byte, in the POSIX shared-memory object
// kEmuSectionName, sized to exactly that, and writes a 12-byte frame: message, wParam,
// lParam, each an unsigned 32-bit little-endian number (kEmuLoadMessage, the section's
// size, 0). The emulator reads the section while it handles the frame and answers with
// a 4-byte little-endian reply, one of the two accepted values from a cooperating
// build. A second frame, kEmuActivateMessage with wParam 1, brings the emulator's
// window to the front; its reply means nothing.
#pragma once

#include <cstdint>
#include <string>

constexpr const char* kEmuSectionName = "/Velmora_EMU48_NameTransferBuffer";
constexpr std::uint32_t kEmuLoadMessage = 0x0400;
constexpr std::uint32_t kEmuActivateMessage = 0x0006;
constexpr std::uint32_t kEmuReplyAccepted1 = 0x87654321;
constexpr std::uint32_t kEmuReplyAccepted2 = 0x12345678;
constexpr int kEmuFrameSize = 12;
constexpr int kEmuReplySize = 4;

// $XDG_RUNTIME_DIR/CEmu48, else /tmp/CEmu48-<uid>.
std::string EmuSocketPath();

void EmuPutWord(unsigned char* pOut, std::uint32_t value);
std::uint32_t EmuGetWord(const unsigned char* pIn);

// Reads or writes exactly n bytes on a socket; false on error, end of stream, or when
// nothing moves for nTimeoutMs (a negative time-out waits for ever).
bool EmuReadAll(int fd, unsigned char* pData, std::size_t n, int nTimeoutMs);
bool EmuWriteAll(int fd, const unsigned char* pData, std::size_t n);
