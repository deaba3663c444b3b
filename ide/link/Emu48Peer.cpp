// emu48peer: plays the emulator's side of Velmora's emulator link, for tests and for
// anyone writing an emulator front end. It listens on the emulator's socket, reads each
// path that Velmora hands over through the shared-memory section, records it, and
// answers with an accepted value (or any value it is told to).
//
// Settings come from options or, because Velmora starts the emulator without
// arguments, from the environment:
//   --socket PATH     EMU48PEER_SOCKET   where to listen (default: the emulator's socket)
//   --reply VALUE     EMU48PEER_REPLY    the answer to a hand-over (default 0x87654321)
//   --record FILE     EMU48PEER_RECORD   append one line per frame to FILE
//   --delay MS        EMU48PEER_DELAY    wait this long before listening
//   --once            EMU48PEER_ONCE=1   end after the first connection that handed over
//   --idle-exit MS    EMU48PEER_IDLE_EXIT  end after MS without a connection
//
// Record lines: "load <wParam> <section size> <path>" for a hand-over, and
// "activate <wParam>" for the bring-to-front frame.
#include "EmuProtocol.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace {

struct PeerSettings
{
    std::string socketPath = EmuSocketPath();
    std::uint32_t reply = kEmuReplyAccepted1;
    std::string recordPath;
    long delayMs = 0;
    bool once = false;
    long idleExitMs = 0;
};

std::atomic<bool> g_stop{false};

void OnSignal(int)
{
    g_stop = true;
}

[[noreturn]] void Usage(const char* message)
{
    std::fprintf(stderr, "emu48peer: %s\n", message);
    std::fprintf(stderr, "usage: emu48peer [--socket PATH] [--reply VALUE] [--record FILE] "
                         "[--delay MS] [--once] [--idle-exit MS]\n");
    std::exit(2);
}

long Number(const char* text, const char* what)
{
    char* end = nullptr;
    errno = 0;
    const unsigned long long value = std::strtoull(text, &end, 0);
    if (errno != 0 || end == text || *end != '\0' || value > 0xFFFFFFFFull) {
        Usage(what);
    }
    return static_cast<long>(value);
}

PeerSettings ReadSettings(int argc, char** argv)
{
    PeerSettings s;
    auto fromEnv = [](const char* name) -> const char* {
        const char* v = std::getenv(name);
        return v && *v ? v : nullptr;
    };
    if (const char* v = fromEnv("EMU48PEER_SOCKET")) {
        s.socketPath = v;
    }
    if (const char* v = fromEnv("EMU48PEER_REPLY")) {
        s.reply = static_cast<std::uint32_t>(Number(v, "EMU48PEER_REPLY is not a number"));
    }
    if (const char* v = fromEnv("EMU48PEER_RECORD")) {
        s.recordPath = v;
    }
    if (const char* v = fromEnv("EMU48PEER_DELAY")) {
        s.delayMs = Number(v, "EMU48PEER_DELAY is not a number");
    }
    if (const char* v = fromEnv("EMU48PEER_ONCE")) {
        s.once = std::strcmp(v, "0") != 0;
    }
    if (const char* v = fromEnv("EMU48PEER_IDLE_EXIT")) {
        s.idleExitMs = Number(v, "EMU48PEER_IDLE_EXIT is not a number");
    }
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&]() -> const char* {
            if (i + 1 >= argc) {
                Usage(("missing value after " + arg).c_str());
            }
            return argv[++i];
        };
        if (arg == "--socket") {
            s.socketPath = value();
        } else if (arg == "--reply") {
            s.reply = static_cast<std::uint32_t>(Number(value(), "--reply needs a number"));
        } else if (arg == "--record") {
            s.recordPath = value();
        } else if (arg == "--delay") {
            s.delayMs = Number(value(), "--delay needs a number");
        } else if (arg == "--once") {
            s.once = true;
        } else if (arg == "--idle-exit") {
            s.idleExitMs = Number(value(), "--idle-exit needs a number");
        } else {
            Usage(("unknown argument " + arg).c_str());
        }
    }
    return s;
}

void Record(const PeerSettings& s, const std::string& line)
{
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
    if (s.recordPath.empty()) {
        return;
    }
    if (std::FILE* f = std::fopen(s.recordPath.c_str(), "a")) {
        std::fprintf(f, "%s\n", line.c_str());
        std::fclose(f);
    }
}

// Reads the path out of the section, as the emulator does while it handles the frame.
std::string ReadSection(std::uint32_t wParam, long long* pSectionSize)
{
    *pSectionSize = -1;
    const int fd = ::shm_open(kEmuSectionName, O_RDONLY, 0);
    if (fd < 0) {
        return std::string();
    }
    struct stat st
    {
    };
    std::string path;
    if (::fstat(fd, &st) == 0 && st.st_size > 0) {
        *pSectionSize = st.st_size;
        const std::size_t size = static_cast<std::size_t>(st.st_size);
        void* view = ::mmap(nullptr, size, PROT_READ, MAP_SHARED, fd, 0);
        if (view != MAP_FAILED) {
            const char* text = static_cast<const char*>(view);
            const std::size_t limit = std::min<std::size_t>(size, wParam);
            path.assign(text, strnlen(text, limit));
            ::munmap(view, size);
        }
    }
    ::close(fd);
    return path;
}

// Serves one connection; true when it carried a hand-over.
bool Serve(const PeerSettings& s, int fd)
{
    bool handedOver = false;
    unsigned char frame[kEmuFrameSize];
    while (!g_stop) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 100) <= 0) {
            continue;
        }
        if (!EmuReadAll(fd, frame, sizeof frame, 1000)) {
            break;
        }
        const std::uint32_t message = EmuGetWord(frame);
        const std::uint32_t wParam = EmuGetWord(frame + 4);
        std::uint32_t reply = 0;
        if (message == kEmuLoadMessage) {
            long long sectionSize = -1;
            const std::string path = ReadSection(wParam, &sectionSize);
            Record(s, "load " + std::to_string(wParam) + " " + std::to_string(sectionSize) + " " +
                          path);
            reply = s.reply;
            handedOver = true;
        } else if (message == kEmuActivateMessage) {
            Record(s, "activate " + std::to_string(wParam));
        }
        unsigned char answer[kEmuReplySize];
        EmuPutWord(answer, reply);
        if (!EmuWriteAll(fd, answer, sizeof answer)) {
            break;
        }
    }
    return handedOver;
}

int Listen(const std::string& path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) {
        std::fprintf(stderr, "emu48peer: socket path too long: %s\n", path.c_str());
        return -1;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return -1;
    }
    const auto* a = reinterpret_cast<const sockaddr*>(&address);
    // Another emulator already answering there: leave it alone. A socket file that
    // nobody answers on is a leftover and is replaced.
    if (::connect(fd, a, sizeof address) == 0) {
        std::fprintf(stderr, "emu48peer: an emulator is already listening on %s\n", path.c_str());
        ::close(fd);
        return -1;
    }
    ::unlink(path.c_str());
    if (::bind(fd, a, sizeof address) != 0 || ::listen(fd, 4) != 0) {
        std::fprintf(stderr, "emu48peer: cannot listen on %s: %s\n", path.c_str(),
                     std::strerror(errno));
        ::close(fd);
        return -1;
    }
    return fd;
}

} // namespace

int main(int argc, char** argv)
{
    const PeerSettings s = ReadSettings(argc, argv);
    struct sigaction action
    {
    };
    action.sa_handler = OnSignal;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    if (s.delayMs > 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(s.delayMs));
    }
    const int listener = Listen(s.socketPath);
    if (listener < 0) {
        return 1;
    }
    auto lastActivity = std::chrono::steady_clock::now();
    while (!g_stop) {
        pollfd p{listener, POLLIN, 0};
        if (::poll(&p, 1, 100) <= 0) {
            const auto idle = std::chrono::steady_clock::now() - lastActivity;
            if (s.idleExitMs > 0 && idle >= std::chrono::milliseconds(s.idleExitMs)) {
                break;
            }
            continue;
        }
        const int client = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0) {
            continue;
        }
        const bool handedOver = Serve(s, client);
        ::close(client);
        lastActivity = std::chrono::steady_clock::now();
        if (handedOver && s.once) {
            break;
        }
    }
    ::close(listener);
    ::unlink(s.socketPath.c_str());
    return 0;
}
