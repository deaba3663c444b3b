// Times the RPL compiler as the IDE runs it (its own process, empty environment) on a
// generated 2,000-line source. Prints the median wall time of the runs.
//
//   rplcomp_bench [lines] [runs]
#include "GeneratedSource.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace {

// Runs program with args in dir, output discarded; returns the wall time in ms, or -1.
double Run(const std::string& dir, std::vector<std::string> args)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, dir.c_str());
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    std::vector<char*> argv;
    for (std::string& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    char* env[] = {nullptr};
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    int status = 0;
    const bool ok = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), env) == 0 &&
                    waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
                    WEXITSTATUS(status) == 0;
    posix_spawn_file_actions_destroy(&actions);
    const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
    return ok ? took.count() : -1;
}

} // namespace

int main(int argc, char** argv)
{
    const int lines = argc > 1 ? std::atoi(argv[1]) : 2000;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 21;
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "rplcomp_bench";
    std::filesystem::create_directories(dir);
    std::ofstream(dir / "bench.s", std::ios::binary) << GeneratedRplSource(lines);
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const double ms = Run(dir.string(), {RPLCOMP_PROGRAM, "bench.s", "bench.a"});
        if (ms < 0) {
            std::fprintf(stderr, "rplcomp failed on %s\n", (dir / "bench.s").c_str());
            return 1;
        }
        times.push_back(ms);
    }
    std::sort(times.begin(), times.end());
    std::printf("rplcomp, %d source lines: median %.2f ms over %d runs (%ju bytes of output)\n",
                lines, times[times.size() / 2], runs,
                static_cast<std::uintmax_t>(std::filesystem::file_size(dir / "bench.a")));
    std::filesystem::remove_all(dir);
    return 0;
}
