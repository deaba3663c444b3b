// A stand-in for the calculator's tool chain, used only by the build tests. One program
// plays RPLCOMP, SASM, SLOAD and USRLIB according to the name it was started under; it
// takes exactly the arguments the build passes, leaves exactly the files the build
// expects and writes its lines with CR LF. It compiles nothing: the .a and .o files are
// copies of the source, and the loaded object is an HP48 string holding that text.
//
// Tests steer it from the source text with comment lines
//     * STANDIN <tool> <action> [argument...]
// where tool is RPLCOMP, SASM, SLOAD or USRLIB and the actions are
//     SAY text          print the line
//     ERROR form n text print an error about line n in the form STAR, COMMA or COLON
//     EXIT n            end with exit code n, leaving no output file
//     SLEEP ms          wait
//     FLOOD bytes       print that many bytes of output
//     GRANDCHILD ms     start a process that keeps the output pipe open for ms
// Started as TOOL, it takes such actions as pairs of arguments (SAY a EXIT 1);
// started as ECHOARGS, it prints its arguments, working directory, environment size,
// what standard input gives and how many descriptors it holds.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using Bytes = std::string;

void Print(const std::string& line)
{
    const std::string out = line + "\r\n";
    if (write(1, out.data(), out.size()) < 0)
        _exit(3);
}

[[noreturn]] void Fail(const std::string& why)
{
    Print("stand-in tool: " + why);
    exit(2);
}

bool ReadFile(const std::string& path, Bytes& out)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream s;
    s << in.rdbuf();
    out = s.str();
    return true;
}

void WriteFile(const std::string& path, const Bytes& data)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << data;
    if (!out)
        Fail("cannot write " + path + " (" + strerror(errno) + ")");
}

std::vector<std::string> Words(const std::string& line)
{
    std::istringstream s(line);
    std::vector<std::string> w;
    for (std::string x; s >> x;)
        w.push_back(x);
    return w;
}

std::string Rest(const std::vector<std::string>& w, size_t from)
{
    std::string r;
    for (size_t i = from; i < w.size(); ++i)
        r += (r.empty() ? "" : " ") + w[i];
    return r;
}

// Carries out one action; returns the exit code it asks for (0 for none).
int Act(const std::vector<std::string>& w, const std::string& file)
{
    if (w.empty())
        return 0;
    const std::string& a = w[0];
    const long n = w.size() > 1 ? atol(w[1].c_str()) : 0;
    if (a == "SAY") {
        Print(Rest(w, 1));
    } else if (a == "ERROR" && w.size() > 2) {
        const std::string line = w[2], text = Rest(w, 3);
        if (w[1] == "STAR")
            Print("*** ERROR in \"" + file + "\" on line " + line + ": " + text);
        else if (w[1] == "COMMA")
            Print("\"" + file + "\", line " + line + ": " + text);
        else
            Print(file + ": " + line + ": " + text);
    } else if (a == "EXIT") {
        return static_cast<int>(n);
    } else if (a == "SLEEP") {
        usleep(static_cast<useconds_t>(n) * 1000);
    } else if (a == "FLOOD") {
        const std::string chunk = std::string(78, 'x') + "\r\n";
        for (long done = 0; done < n; done += static_cast<long>(chunk.size()))
            if (write(1, chunk.data(), chunk.size()) < 0)
                _exit(3);
    } else if (a == "GRANDCHILD") {
        if (fork() == 0) {
            usleep(static_cast<useconds_t>(n) * 1000);
            _exit(0);
        }
    }
    return 0;
}

// Runs the actions addressed to tool in text; returns the first exit code asked for.
int Steer(const Bytes& text, const std::string& tool, const std::string& file)
{
    const std::string mark = "* STANDIN " + tool + " ";
    int code = 0;
    for (size_t at = text.find(mark); at != std::string::npos; at = text.find(mark, at + 1)) {
        size_t end = text.find_first_of("\r\n", at);
        const std::string line = text.substr(at + mark.size(), end - at - mark.size());
        const int c = Act(Words(line), file);
        if (code == 0)
            code = c;
    }
    return code;
}

std::string SwapExt(const std::string& path, const std::string& ext)
{
    const size_t dot = path.rfind('.');
    const size_t slash = path.rfind('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return path + ext;
    return path.substr(0, dot) + ext;
}

// A nibble word of five nibbles, least significant first, appended to a nibble list.
void PutWord5(std::vector<int>& nibs, unsigned v)
{
    for (int i = 0; i < 5; ++i)
        nibs.push_back((v >> (4 * i)) & 0xF);
}

// A binary download file holding one HP48 string object with text.
Bytes StringObjectFile(const Bytes& text)
{
    std::vector<int> nibs;
    PutWord5(nibs, 0x02A2C);
    PutWord5(nibs, static_cast<unsigned>(5 + 2 * text.size()));
    for (unsigned char c : text) {
        nibs.push_back(c & 0xF);
        nibs.push_back(c >> 4);
    }
    Bytes out = "HPHP48-R";
    for (size_t i = 0; i < nibs.size(); i += 2)
        out += static_cast<char>(nibs[i] | (i + 1 < nibs.size() ? nibs[i + 1] << 4 : 0));
    return out;
}

std::string Unquote(const std::string& s)
{
    if (s.size() >= 2 && s.front() == '"' && s.back() == '"')
        return s.substr(1, s.size() - 2);
    return s;
}

int Rplcomp(int argc, char** argv)
{
    if (argc != 3)
        Fail("usage: RPLCOMP source.s output.a");
    Bytes src;
    if (!ReadFile(argv[1], src))
        Fail(std::string("cannot read ") + argv[1]);
    if (int code = Steer(src, "RPLCOMP", argv[1]))
        return code;
    WriteFile(argv[2], src);
    Print(std::string("stand-in RPLCOMP wrote ") + argv[2]);
    return 0;
}

int Sasm(int argc, char** argv)
{
    std::string a;
    if (argc == 5 && !strcmp(argv[1], "-E") && !strcmp(argv[2], "-t")) {
        Bytes opc;
        if (!ReadFile(argv[3], opc))
            Fail(std::string("no opcode table ") + argv[3]);
        a = argv[4];
    } else if (argc == 4 && !strcmp(argv[1], "-E") && !strcmp(argv[2], "-N")) {
        a = argv[3];
    } else {
        Fail("usage: SASM -E -t opcodes file.a | SASM -E -N file.a");
    }
    Bytes text;
    if (!ReadFile(a, text))
        Fail("cannot read " + a);
    if (int code = Steer(text, "SASM", a))
        return code;
    WriteFile(SwapExt(a, ".o"), text);
    Print("stand-in SASM wrote " + SwapExt(a, ".o"));
    return 0;
}

int Sload(int argc, char** argv)
{
    if (argc != 3 || strcmp(argv[1], "-H") != 0)
        Fail("usage: SLOAD -H control.m");
    Bytes ctl;
    if (!ReadFile(argv[2], ctl))
        Fail(std::string("cannot read ") + argv[2]);
    std::string ou, ll, se, re;
    std::istringstream lines(ctl);
    for (std::string line; std::getline(lines, line);) {
        if (line.empty() || line.back() != '\r')
            Fail("control file line without CR LF");
        line.pop_back();
        const std::string word = line.substr(0, 3), arg = Unquote(line.substr(3));
        if (word == "OU ")
            ou = arg;
        else if (word == "LL ")
            ll = arg;
        else if (word == "SE ")
            se = arg;
        else if (word == "RE ")
            re = arg;
        else if (line != "SU XR SU" && line.rfind("** ", 0) != 0)
            Fail("bad control line " + line);
    }
    Bytes entries, obj;
    if (ou.empty() || ll.empty() || !ReadFile(se, entries))
        Fail("control file without output, listing or entries");
    if (!ReadFile(re, obj))
        Fail("cannot read " + re);
    if (int code = Steer(obj, "SLOAD", re))
        return code;
    const Bytes out = StringObjectFile(obj);
    WriteFile(ou, out);
    WriteFile(ll, "Stand-in loader listing\r\nObject " + ou + "\r\nSize " +
                      std::to_string(out.size()) + " bytes\r\n");
    Print("stand-in SLOAD wrote " + ou);
    return 0;
}

int Usrlib(int argc, char** argv)
{
    if (argc != 5 || strcmp(argv[1], "-r") != 0 || strcmp(argv[4], "$$$$!!!!.LIB") != 0 ||
        strchr(argv[3], '/') != nullptr)
        Fail("usage: USRLIB -r romid directory $$$$!!!!.LIB");
    Bytes dir;
    if (!ReadFile(argv[3], dir) || dir.compare(0, 6, "HPHP48") != 0)
        Fail(std::string("no directory object in ") + argv[3]);
    // The texts in the directory may start on an odd nibble: look at both alignments.
    Bytes shifted;
    for (size_t i = 0; i + 1 < dir.size(); ++i)
        shifted += static_cast<char>(((unsigned char)dir[i] >> 4) | (dir[i + 1] << 4));
    if (int code = Steer(dir + "\n" + shifted, "USRLIB", argv[3]))
        return code;
    WriteFile(argv[4], "HPHP48-R" + std::string(argv[2]) + "\n" + dir.substr(8));
    Print(std::string("stand-in USRLIB wrote library ") + argv[2]);
    return 0;
}

// Actions given as pairs of arguments: TOOL SAY a SAY b EXIT 1.
int Tool(int argc, char** argv)
{
    int code = 0;
    for (int i = 1; i + 1 < argc; i += 2) {
        const int c = Act({argv[i], argv[i + 1]}, "tool");
        if (code == 0)
            code = c;
    }
    return code;
}

int EchoArgs(int argc, char** argv)
{
    Print("argc=" + std::to_string(argc - 1));
    for (int i = 1; i < argc; ++i)
        Print(std::string("<") + argv[i] + ">");
    char cwd[4096];
    Print(std::string("cwd=") + (getcwd(cwd, sizeof cwd) ? cwd : "?"));
    int env = 0;
    while (environ && environ[env])
        ++env;
    Print("env=" + std::to_string(env));
    char c;
    Print("stdin=" + std::to_string(read(0, &c, 1)));
    // Open descriptors besides the one that reads the list itself.
    int fds = -1;
    if (DIR* d = opendir("/proc/self/fd")) {
        while (dirent* e = readdir(d))
            fds += e->d_name[0] != '.';
        closedir(d);
    }
    Print("fds=" + std::to_string(fds));
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    std::string name = argv[0];
    name = name.substr(name.rfind('/') + 1);
    if (name == "RPLCOMP.EXE")
        return Rplcomp(argc, argv);
    if (name == "SASM.EXE")
        return Sasm(argc, argv);
    if (name == "SLOAD.EXE")
        return Sload(argc, argv);
    if (name == "USRLIB.EXE")
        return Usrlib(argc, argv);
    if (name == "ECHOARGS")
        return EchoArgs(argc, argv);
    return Tool(argc, argv);
}
