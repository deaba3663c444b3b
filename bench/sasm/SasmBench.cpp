// The whole sasm process, as the build starts it, on a generated source of 20,000 lines:
// comments, origin lines, labels, equates, instructions of every group, tests with
// GOYES, branches back and ahead, references to globals of other modules and data
// pseudo-ops. The goal is under 100 ms per run. A second benchmark assembles the same
// text in the process, without start-up and file writing.
#include "Assembler.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

constexpr int kLines = 20000;

std::string GeneratedSource()
{
    static const char* const kBody[] = {
        "        C=DAT0  A",        "        A=A+B   W",      "        D0=D0+  5",
        "        LC(5)   #12345",   "        ?A=0    A",      "        GOYES   {ahead}",
        "        GOSBVL  =SAVPTR",  "        CON(5)  =DOCOL", "        GOTO    {back}",
        "        NIBASC  \\text\\", "        C=C+CON A,3",    "        GOSUB   {ahead}",
        "        ST=1    11",       "        D1=(5)  =IOREG", "        REL(5)  {ahead}",
        "        LCHEX   0123FF",   "        ?ST=1   3",      "        RTNYES",
        "        A=R2.F  M",        "* a comment line",
    };
    std::string text;
    int line = 0;
    int label = 0;
    while (line < kLines) {
        text.append("L").append(std::to_string(label)).append("     RTN\n");
        ++line;
        if (label % 50 == 0) {
            text.append("*#line ").append(std::to_string(label + 1)).append(" \"main.s\"\n");
            text.append("N").append(std::to_string(label)).append("     EQU     (L");
            text.append(std::to_string(label)).append(")+5\n");
            line += 2;
        }
        for (const char* body : kBody) {
            std::string statement = body;
            const auto replace = [&](const std::string& key, int target) {
                const std::size_t at = statement.find(key);
                if (at != std::string::npos) {
                    statement.replace(at, key.size(),
                                      std::string("L").append(std::to_string(target)));
                }
            };
            replace("{ahead}", label + 1);
            replace("{back}", label);
            text.append(statement).append("\n");
            ++line;
        }
        ++label;
    }
    text.append("L").append(std::to_string(label)).append("     RTN\n");
    return text;
}

// A folder holding the generated source, removed at the end.
struct Workspace
{
    std::string folder;
    Workspace()
    {
        folder = std::filesystem::temp_directory_path() / "sasm-bench-XXXXXX";
        if (!mkdtemp(folder.data())) {
            std::abort();
        }
        std::ofstream(folder + "/big.a", std::ios::binary) << GeneratedSource();
    }
    ~Workspace() { std::filesystem::remove_all(folder); }
};

void WholeProcess(benchmark::State& state)
{
    Workspace workspace;
    const std::string source = workspace.folder + "/big.a";
    const std::string opcodes = std::string(SASM_TOOL_DIR) + "/SASM.OPC";
    std::vector<std::string> args{SASM_PROGRAM, "-E", "-t", opcodes, source};
    std::vector<char*> argv;
    for (std::string& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    for (auto _ : state) {
        pid_t pid = 0;
        int status = 0;
        if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0 ||
            waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("sasm failed");
            break;
        }
    }
    posix_spawn_file_actions_destroy(&actions);
}
BENCHMARK(WholeProcess)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void InProcess(benchmark::State& state)
{
    const std::string text = GeneratedSource();
    sasm::AssemblerOptions options;
    options.readFile = [&](const std::string&, std::string& contents, std::string&) {
        contents = text;
        return true;
    };
    for (auto _ : state) {
        const sasm::AssemblyResult result = sasm::Assemble("big.a", options);
        if (!result.errors.empty()) {
            state.SkipWithError(sasm::FormatError(result.errors.front()).c_str());
            break;
        }
        benchmark::DoNotOptimize(result.module.code.data());
    }
}
BENCHMARK(InProcess)->Unit(benchmark::kMillisecond);

} // namespace
