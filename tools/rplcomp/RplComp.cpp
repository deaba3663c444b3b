// Command line, files and messages of rplcomp.
#include "RplComp.h"

#include "Compiler.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

constexpr char kEol[] = "\r\n";

// A path as given, or with backslashes read as separators when only that form exists
// (projects written on Windows name their files so).
std::string Resolve(const std::string& path)
{
    std::error_code ec;
    if (path.find('\\') == std::string::npos || fs::exists(path, ec)) {
        return path;
    }
    std::string slashed = path;
    for (char& c : slashed) {
        c = c == '\\' ? '/' : c;
    }
    return fs::exists(slashed, ec) ? slashed : path;
}

bool ReadFile(const std::string& path, std::string& text, std::string& reason)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        reason = std::strerror(errno);
        return false;
    }
    char buffer[65536];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        text.append(buffer, got);
    }
    const bool failed = std::ferror(file) != 0;
    const int error = errno;
    std::fclose(file);
    if (failed) {
        reason = std::strerror(error);
        return false;
    }
    return true;
}

// Writes beside path under a temporary name and renames it into place, so an interrupted
// or failed write never leaves a partial file under the real name.
bool WriteFileAtomically(const std::string& path, const std::string& data, std::string& reason)
{
    std::string temp = path + ".XXXXXX";
    const int fd = mkstemp(temp.data());
    if (fd < 0) {
        reason = std::strerror(errno);
        return false;
    }
    std::size_t written = 0;
    bool ok = true;
    while (ok && written < data.size()) {
        const ssize_t n = write(fd, data.data() + written, data.size() - written);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        ok = n > 0;
        written += ok ? static_cast<std::size_t>(n) : 0;
    }
    ok = ok && fchmod(fd, 0644) == 0;
    const int error = errno;
    ok = close(fd) == 0 && ok;
    if (ok && std::rename(temp.c_str(), path.c_str()) == 0) {
        return true;
    }
    reason = std::strerror(ok ? errno : error);
    std::remove(temp.c_str());
    return false;
}

bool SameFile(const std::string& a, const std::string& b)
{
    struct stat sa {};
    struct stat sb {};
    return stat(a.c_str(), &sa) == 0 && stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

// INCLUDE names a file beside the including one, or relative to the working directory.
bool ReadInclude(const std::string& includer, const std::string& name, std::string& path,
                 std::string& text, std::string& reason)
{
    std::vector<std::string> candidates;
    const std::string resolved = Resolve(name);
    if (!fs::path(resolved).is_absolute() && includer != "-") {
        const std::string dir = fs::path(Resolve(includer)).parent_path().string();
        if (!dir.empty()) {
            candidates.push_back(Resolve(dir + "/" + name));
        }
    }
    candidates.push_back(resolved);
    for (const std::string& candidate : candidates) {
        std::error_code ec;
        if (fs::is_regular_file(candidate, ec)) {
            path = candidate;
            return ReadFile(candidate, text, reason);
        }
    }
    reason = "no such file";
    return false;
}

int Fail(std::ostream& out, const std::string& message)
{
    out << "Error: " << message << kEol;
    return 1;
}

} // namespace

int RunRplcomp(const std::vector<std::string>& args, std::istream& in, std::ostream& out)
{
    for (const std::string& arg : args) {
        if (arg.size() > 1 && arg.front() == '-') {
            return Fail(out, "unknown option " + arg +
                                 "; usage: rplcomp [SOURCE.s [OUTPUT.a [EXTERNALS]]] (- for "
                                 "standard input or output)");
        }
    }
    if (args.size() > 3) {
        return Fail(out, "too many arguments; usage: rplcomp [SOURCE.s [OUTPUT.a [EXTERNALS]]]");
    }
    const std::string source = args.size() > 0 ? Resolve(args[0]) : "-";
    const std::string output = args.size() > 1 ? args[1] : "-";
    const std::string externals = args.size() > 2 ? args[2] : "";
    const std::string sourceName = args.size() > 0 ? args[0] : "-";

    std::string text;
    std::string reason;
    if (source == "-") {
        text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    } else if (!ReadFile(source, text, reason)) {
        return Fail(out, "cannot read \"" + sourceName + "\": " + reason);
    }
    for (const std::string& target : {output, externals}) {
        if (source != "-" && target != "-" && !target.empty() && SameFile(source, target)) {
            return Fail(out, "\"" + target + "\" is the source itself; it would be overwritten");
        }
    }

    const CompileResult result = CompileRpl(sourceName, text, ReadInclude);
    if (!result.errors.empty()) {
        for (const std::string& line : result.errors) {
            out << line << kEol;
        }
        // A stale output from an earlier run must not pass for this one's.
        for (const std::string& target : {output, externals}) {
            if (target != "-" && !target.empty()) {
                std::remove(target.c_str());
            }
        }
        return 1;
    }
    if (!externals.empty()) {
        std::string list;
        for (const std::string& name : result.externals) {
            list += name + kEol;
        }
        if (externals == "-") {
            out << list;
        } else if (!WriteFileAtomically(externals, list, reason)) {
            return Fail(out, "cannot write \"" + externals + "\": " + reason);
        }
    }
    if (output == "-") {
        out << result.assembly;
        out.flush();
        return out ? 0 : 1;
    }
    if (!WriteFileAtomically(output, result.assembly, reason)) {
        return Fail(out, "cannot write \"" + output + "\": " + reason);
    }
    return 0;
}
