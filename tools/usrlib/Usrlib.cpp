// The usrlib run: command line, the paths as the IDE writes them, the console report and
// the output file, which appears only when it is complete.
#include "Usrlib.h"

#include "LibraryBuilder.h"
#include "ToolFiles.h"

#include <charconv>
#include <exception>
#include <filesystem>
#include <system_error>

namespace {

constexpr const char* kUsage[] = {
    "usrlib: makes an HP48 library from a directory object",
    "",
    "usrlib [-r NUMBER] IN.dir OUT.lib",
    "",
    "  -r NUMBER   the library number, 0 to 4095 (decimal); replaces $ROMID",
    "  IN.dir      the directory object (binary download file or bare object)",
    "  OUT.lib     the library file to write",
};

constexpr const char* kEol = "\r\n";

void PrintUsage(std::ostream& out)
{
    for (const char* line : kUsage) {
        out << line << kEol;
    }
}

std::string HexUpper(std::uint32_t nValue, int nDigits)
{
    std::string text(static_cast<std::size_t>(nDigits), '0');
    for (int i = nDigits - 1; i >= 0; --i, nValue >>= 4) {
        text[static_cast<std::size_t>(i)] = "0123456789ABCDEF"[nValue & 0xF];
    }
    return text;
}

// The download file: the header, then the nibbles two to a byte, low nibble first.
std::string DownloadFile(const Nibbles& object)
{
    std::string bytes = "HPHP48-R";
    for (std::size_t i = 0; i < object.size(); i += 2) {
        const int nHigh = i + 1 < object.size() ? object[i + 1] : 0;
        bytes.push_back(static_cast<char>(object[i] | (nHigh << 4)));
    }
    return bytes;
}

int Build(const UsrlibCommandLine& commandLine, std::ostream& out)
{
    const std::string input = saturn::ResolveToolPath(commandLine.inputFile);
    const std::string output = saturn::ResolveToolPath(commandLine.outputFile);
    std::error_code error;
    if (std::filesystem::equivalent(input, output, error)) {
        throw CLibraryError("Input and output are the same file");
    }
    out << "Reading directory " << commandLine.inputFile << kEol << std::flush;
    LibraryResult library;
    {
        CNibbleFile file(input, CFile::modeRead);
        try {
            library = BuildLibrary(file, commandLine.romId);
        } catch (const CNibbleFileException& e) {
            throw CLibraryError(commandLine.inputFile + " holds a broken directory object (" +
                                e.GetErrorName() + ")");
        }
    }
    out << "Library " << library.nRomId << " (#" << HexUpper(library.nRomId, 3) << ")";
    if (!library.title.empty()) {
        out << " \"" << library.title << "\"";
    }
    out << ": " << library.nCommands << (library.nCommands == 1 ? " command" : " commands") << ", "
        << library.nNamed << " named" << kEol;
    std::string failure;
    if (!saturn::WriteFileReplacing(output, DownloadFile(library.object), failure)) {
        throw CLibraryError(failure);
    }
    out << "Library written to " << commandLine.outputFile << ": " << library.object.size()
        << " nibbles, CRC #" << HexUpper(library.nCrc, 4) << "h" << kEol;
    return 0;
}

} // namespace

UsrlibCommandLine ParseUsrlibCommandLine(const std::vector<std::string>& args)
{
    UsrlibCommandLine result;
    const auto fail = [&result](std::string message) {
        result.action = UsrlibCommandLine::error;
        result.message = std::move(message);
        return result;
    };
    std::vector<std::string> files;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "-h" || arg == "-?" || arg == "--help" || arg == "/?") {
            result.action = UsrlibCommandLine::usage;
            return result;
        }
        if (arg.rfind("-r", 0) == 0 || arg.rfind("/r", 0) == 0) {
            std::string number = arg.substr(2);
            if (number.empty()) {
                if (i + 1 == args.size()) {
                    return fail("-r needs a library number");
                }
                number = args[++i];
            }
            std::uint64_t nValue = 0;
            const auto parsed =
                std::from_chars(number.data(), number.data() + number.size(), nValue);
            if (parsed.ec == std::errc::result_out_of_range ||
                (parsed.ec == std::errc() && parsed.ptr == number.data() + number.size() &&
                 nValue > kMaxRomId)) {
                return fail("Library number " + number +
                            " does not fit in three hexadecimal digits (0 to 4095)");
            }
            if (parsed.ec != std::errc() || parsed.ptr != number.data() + number.size()) {
                return fail("Invalid library number (" + number + ")");
            }
            result.romId = static_cast<std::uint32_t>(nValue);
        } else if (arg.size() > 1 && arg[0] == '-') {
            return fail("Invalid argument (" + arg + ")");
        } else {
            files.push_back(arg);
        }
    }
    if (files.size() != 2) {
        return fail(files.size() < 2 ? "Give the directory file and the library file"
                                     : "Too many file names (" + files[2] + ")");
    }
    result.inputFile = files[0];
    result.outputFile = files[1];
    return result;
}

int RunUsrlib(const std::vector<std::string>& args, std::ostream& out)
{
    const UsrlibCommandLine commandLine = ParseUsrlibCommandLine(args);
    if (commandLine.action == UsrlibCommandLine::usage) {
        PrintUsage(out);
        return 0;
    }
    if (commandLine.action == UsrlibCommandLine::error) {
        out << "Error: " << commandLine.message << kEol << kEol;
        PrintUsage(out);
        return 1;
    }
    try {
        return Build(commandLine, out);
    } catch (const CLibraryError& e) {
        out << "Error: " << e.what() << kEol;
    } catch (const CFileException& e) {
        out << "Error: " << e.GetErrorMessage() << kEol;
    } catch (const CException& e) {
        out << "Fatal Error: " << e.GetErrorMessage() << kEol;
    } catch (const std::exception& e) {
        out << "Fatal Error: " << e.what() << kEol;
    }
    out.flush();
    return 1;
}
