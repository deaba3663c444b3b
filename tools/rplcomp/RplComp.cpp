// Command line, files and messages of rplcomp.
#include "RplComp.h"

#include "Compiler.h"

#include "ToolFiles.h"

#include <cstdio>
#include <filesystem>
#include <iterator>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;

constexpr char kEol[] = "\r\n";
constexpr char kUsage[] =
    "Usage: rplcomp [SOURCE.s [OUTPUT.a [EXTERNALS]]]\r\n"
    "Compiles System RPL source into SASM source; - (or a name left out) is standard\r\n"
    "input or output. EXTERNALS receives the names left to the loader, one a line.\r\n";

bool SameFile(const std::string& a, const std::string& b)
{
    struct stat sa
    {
    };
    struct stat sb
    {
    };
    return stat(a.c_str(), &sa) == 0 && stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

// INCLUDE names a file beside the including one, or relative to the working directory.
bool ReadInclude(const std::string& includer, const std::string& name, std::string& path,
                 std::string& text, std::string& reason)
{
    std::vector<std::string> candidates;
    const std::string resolved = saturn::ResolveToolPath(name);
    if (!fs::path(resolved).is_absolute() && includer != "-") {
        const std::string dir = fs::path(saturn::ResolveToolPath(includer)).parent_path().string();
        if (!dir.empty()) {
            candidates.push_back(saturn::ResolveToolPath(dir + "/" + name));
        }
    }
    candidates.push_back(resolved);
    for (const std::string& candidate : candidates) {
        std::error_code ec;
        if (fs::is_regular_file(candidate, ec)) {
            path = candidate;
            return saturn::ReadWholeFile(candidate, text, reason);
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
    if (args.size() == 1 && (args[0] == "-h" || args[0] == "--help")) {
        out << kUsage;
        return 0;
    }
    for (const std::string& arg : args) {
        if (arg.size() > 1 && arg.front() == '-') {
            out << "Error: unknown option " << arg << kEol << kUsage;
            return 1;
        }
    }
    if (args.size() > 3) {
        out << "Error: too many arguments" << kEol << kUsage;
        return 1;
    }
    const std::string source = args.size() > 0 ? saturn::ResolveToolPath(args[0]) : "-";
    const std::string output = args.size() > 1 ? args[1] : "-";
    const std::string externals = args.size() > 2 ? args[2] : "";
    const std::string sourceName = args.size() > 0 ? args[0] : "-";

    std::string text;
    std::string reason;
    if (source == "-") {
        text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    } else if (!saturn::ReadWholeFile(source, text, reason)) {
        return Fail(out, reason);
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
        } else if (!saturn::WriteFileReplacing(externals, list, reason)) {
            return Fail(out, reason);
        }
    }
    if (output == "-") {
        out << result.assembly;
        out.flush();
        return out ? 0 : 1;
    }
    if (!saturn::WriteFileReplacing(output, result.assembly, reason)) {
        return Fail(out, reason);
    }
    return 0;
}
