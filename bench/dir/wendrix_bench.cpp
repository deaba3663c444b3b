// Times wendrix against cat over the same object files: 10,000 objects of mixed kinds
// (reals, complex numbers, characters, strings, binary integers, lists, programs,
// names, GROBs, code objects) gathered into directories, and the same files simply
// concatenated into one file. Prints the median wall time of several runs of each.
//
//   wendrix_bench [objects] [total-bytes] [runs]
//
// One HP48 directory addresses at most 0xFFFFF nibbles (512 KB), so the objects are
// spread over as many index files as that needs, each run as its own wendrix process;
// the default 10,000 objects of about 4 MB take eight.
#include "NibbleFile.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <random>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

constexpr std::uint32_t kEnd = 0x0312B;

// Writes one object file: download header, then fields of the given widths.
class CObjectWriter
{
public:
    explicit CObjectWriter(const std::string& path)
        : m_file(path, CFile::modeCreate | CFile::modeReadWrite)
    {
        unsigned char header[] = {'H', 'P', 'H', 'P', '4', '8', '-', 'R'};
        m_file.WriteBytes(header, sizeof header);
    }
    void Word(std::uint32_t nValue, std::uint32_t nWidth)
    {
        m_file.WriteNibbleWord(nValue, nWidth);
    }
    void Body(std::mt19937& random, std::uint32_t nNibbles)
    {
        for (std::uint32_t i = 0; i < nNibbles; ++i) {
            Word(random() & 0xF, 1);
        }
    }
    void Real(std::mt19937& random)
    {
        Word(0x02933, 5);
        Body(random, 16);
    }

private:
    CNibbleFile m_file;
};

// One object of a kind picked at random; nTarget steers the size of the variable kinds.
void WriteObject(const std::string& path, std::mt19937& random, std::uint32_t nTarget)
{
    CObjectWriter ob(path);
    const std::uint32_t nVariable = std::max<std::uint32_t>(10, nTarget / 2 + random() % nTarget);
    switch (random() % 10) {
    case 0:
        ob.Real(random);
        break;
    case 1:
        ob.Word(0x02977, 5); // complex
        ob.Body(random, 32);
        break;
    case 2:
        ob.Word(0x029BF, 5); // character
        ob.Body(random, 2);
        break;
    case 3: // string
    case 4:
        ob.Word(0x02A2C, 5);
        ob.Word(5 + 2 * (nVariable / 2), 5);
        ob.Body(random, 2 * (nVariable / 2));
        break;
    case 5: // list of reals
        ob.Word(0x02A74, 5);
        for (std::uint32_t i = 0; i < std::max<std::uint32_t>(1, nVariable / 21); ++i) {
            ob.Real(random);
        }
        ob.Word(kEnd, 5);
        break;
    case 6: // program of built-in pointers and a global name
        ob.Word(0x02D9D, 5);
        for (std::uint32_t i = 0; i < nVariable / 5; ++i) {
            ob.Word(0x05000 + (random() & 0xFFF), 5);
        }
        ob.Word(0x02E48, 5);
        ob.Word(3, 2);
        ob.Body(random, 6);
        ob.Word(kEnd, 5);
        break;
    case 7: // GROB
        ob.Word(0x02B1E, 5);
        ob.Word(5 + nVariable, 5);
        ob.Body(random, nVariable);
        break;
    case 8: // code object
        ob.Word(0x02DCC, 5);
        ob.Word(5 + nVariable, 5);
        ob.Body(random, nVariable);
        break;
    default: // binary integer
        ob.Word(0x02A4E, 5);
        ob.Word(5 + 16, 5);
        ob.Body(random, 16);
        break;
    }
}

// Runs a program with the given arguments, standard output to outPath; returns seconds.
double Time(const std::vector<std::string>& args, const std::string& outPath)
{
    std::vector<char*> argv;
    for (const std::string& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
        std::perror(argv[0]);
        std::exit(1);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    const auto end = std::chrono::steady_clock::now();
    posix_spawn_file_actions_destroy(&actions);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s failed\n", argv[0]);
        std::exit(1);
    }
    return std::chrono::duration<double>(end - start).count();
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    const std::uint32_t nObjects = argc > 1 ? std::atoi(argv[1]) : 10000;
    const std::uint64_t nBytes = argc > 2 ? std::atoll(argv[2]) : 4'000'000;
    const int nRuns = argc > 3 ? std::atoi(argv[3]) : 5;

    std::string folder = std::filesystem::temp_directory_path() / "wendrix-bench-XXXXXX";
    if (!mkdtemp(folder.data()) || chdir(folder.c_str()) != 0) {
        std::perror("bench folder");
        return 1;
    }

    // Objects about nBytes in all, gathered into indexes whose directories stay below
    // 0xFFFFF nibbles.
    std::mt19937 random(48);
    // Six of the ten kinds grow with nTarget nibbles on average; the rest are small.
    const auto nTarget = static_cast<std::uint32_t>(10 * nBytes / (3 * nObjects));
    std::vector<std::string> files;
    std::vector<std::string> indexes;
    std::ofstream index;
    std::uint64_t nInIndex = 0;
    std::uint64_t nTotal = 0;
    for (std::uint32_t i = 0; i < nObjects; ++i) {
        std::string name("o");
        name.append(std::to_string(i)).append(".gx");
        WriteObject(name, random, nTarget);
        const std::uint64_t nSize = std::filesystem::file_size(name);
        nTotal += nSize;
        // The entry: the object's nibbles behind the header, plus link, name and counts.
        const std::uint64_t nEntry = 2 * (nSize - 8) + 20;
        if (indexes.empty() || nInIndex + nEntry > 1'000'000) {
            indexes.push_back("index" + std::to_string(indexes.size()) + ".lst");
            index = std::ofstream(indexes.back(), std::ios::binary);
            nInIndex = 0;
        }
        index << name << ";V" << i << "\r\n";
        nInIndex += nEntry;
        files.push_back(name);
    }
    index.close();

    std::vector<std::string> cat{"cat"};
    cat.insert(cat.end(), files.begin(), files.end());
    std::vector<double> wendrixTimes;
    std::vector<double> catTimes;
    for (int run = 0; run < nRuns; ++run) {
        double seconds = 0;
        for (std::size_t k = 0; k < indexes.size(); ++k) {
            seconds += Time(
                {WENDRIX_PROGRAM, "-in", indexes[k], "-out", "out" + std::to_string(k) + ".dir"},
                "/dev/null");
        }
        wendrixTimes.push_back(seconds);
        catTimes.push_back(Time(cat, "all.cat"));
    }

    const double wendrix = Median(wendrixTimes);
    const double catSeconds = Median(catTimes);
    std::printf("%u objects, %.2f MB in object files, %zu index file(s)\n", nObjects, nTotal / 1e6,
                indexes.size());
    std::printf("wendrix: %.1f ms   cat: %.1f ms   ", wendrix * 1e3, catSeconds * 1e3);
    std::printf("ratio %.2f (median of %d runs)\n", wendrix / catSeconds, nRuns);
    std::filesystem::current_path("/");
    std::filesystem::remove_all(folder);
    return 0;
}
