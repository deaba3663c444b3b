#include "Sasm.h"

#include "Assembler.h"
#include "Expression.h"
#include "ToolFiles.h"

#include <filesystem>
#include <ostream>

namespace sasm {

namespace {

constexpr const char* kUsage[] = {
    "Usage: sasm [-E] [-N] [-A] [-H] [-a LISTFILE] [-o OBJFILE] [-D SYM[=VAL]]",
    "            [-t OPCFILE] FILE.a",
    "Assembles Saturn source FILE.a into the object file FILE.o beside it.",
    "  -E, -e       errors as: *** ERROR in \"FILE\" on line N: text (always so)",
    "  -N           no listing (the default)",
    "  -A           listing to standard output",
    "  -a LISTFILE  listing to LISTFILE",
    "  -o OBJFILE   object file name",
    "  -D SYM=VAL   define SYM for IF and expressions (VAL defaults to 1)",
    "  -H           raw code: the nibbles packed two per byte, for use without a loader",
    "  -t OPCFILE   opcode table file (must be readable; the table is built in)",
    "Options may be grouped (-EH). Exit code 0 on success, 1 on any error.",
};

int Usage(std::ostream& out)
{
    for (const char* line : kUsage) {
        out << line << "\r\n";
    }
    return 1;
}

int Failure(std::ostream& out, const std::string& message)
{
    out << "Error: " << message << "\r\n";
    return 1;
}

// Values of -D: a number only, no symbols.
class NoSymbols : public SymbolLookup
{
public:
    bool Symbol(const std::string& name, bool, Value&, std::string& error, bool&) override
    {
        error = "symbol " + name + " in a -D value";
        return false;
    }
    bool Anonymous(std::string_view, Value&, std::string& error, bool&) override
    {
        error = "label in a -D value";
        return false;
    }
    Value Here() override { return Value(); }
};

std::string ObjectNameFor(const std::string& source)
{
    std::filesystem::path path(source);
    path.replace_extension(".o");
    return path.string();
}

// Raw output: the code nibbles packed two per byte, low nibble first.
std::string PackNibbles(const std::vector<std::uint8_t>& nibbles)
{
    std::string bytes((nibbles.size() + 1) / 2, '\0');
    for (std::size_t i = 0; i < nibbles.size(); ++i) {
        bytes[i / 2] = static_cast<char>(static_cast<unsigned char>(bytes[i / 2]) |
                                         (nibbles[i] << (i % 2 ? 4 : 0)));
    }
    return bytes;
}

} // namespace

int RunSasm(const std::vector<std::string>& arguments, std::ostream& out)
{
    AssemblerOptions options;
    std::string source;
    std::string objectPath;
    std::string listPath;
    bool listToOutput = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument.size() < 2 || argument[0] != '-') {
            if (!source.empty()) {
                return Usage(out);
            }
            source = argument;
            continue;
        }
        for (std::size_t j = 1; j < argument.size(); ++j) {
            const char option = argument[j];
            if (option == 'E' || option == 'e' || option == 'N') {
                continue;
            }
            if (option == 'A') {
                listToOutput = true;
                continue;
            }
            if (option == 'H') {
                options.raw = true;
                continue;
            }
            if (option != 'a' && option != 'o' && option != 'D' && option != 't') {
                return Usage(out);
            }
            // The option's value is the rest of this argument or the next argument.
            std::string value = argument.substr(j + 1);
            if (value.empty()) {
                if (++i >= arguments.size()) {
                    return Usage(out);
                }
                value = arguments[i];
            }
            if (option == 'a') {
                listPath = saturn::ResolveToolPath(value);
            } else if (option == 'o') {
                objectPath = saturn::ResolveToolPath(value);
            } else if (option == 't') {
                std::string table;
                std::string error;
                if (!saturn::ReadWholeFile(saturn::ResolveToolPath(value), table, error)) {
                    return Failure(out, "opcode file: " + error);
                }
            } else {
                const std::size_t equals = value.find('=');
                const std::string name = value.substr(0, equals);
                Value number;
                number.number = 1;
                if (equals != std::string::npos) {
                    NoSymbols none;
                    std::string error;
                    bool unknown = false;
                    if (!Evaluate(value.substr(equals + 1), none, number, error, unknown)) {
                        return Failure(out, "-D " + value + ": " + error);
                    }
                }
                if (name.empty()) {
                    return Usage(out);
                }
                options.defines.emplace_back(name, number.number);
            }
            break;
        }
    }
    if (source.empty()) {
        return Usage(out);
    }
    const std::string sourcePath = saturn::ResolveToolPath(source);
    if (objectPath.empty()) {
        objectPath = ObjectNameFor(sourcePath);
    }
    std::string text;
    std::string error;
    if (!saturn::ReadWholeFile(sourcePath, text, error)) { // the clearer message comes first
        return Failure(out, error);
    }
    options.listing = listToOutput || !listPath.empty();
    // Messages name the source as it was given.
    AssemblyResult result = Assemble(sourcePath, options);
    if (sourcePath != source) {
        for (Diagnostic& diagnostic : result.errors) {
            if (diagnostic.file == sourcePath) {
                diagnostic.file = source;
            }
        }
    }
    if (listToOutput) {
        out << result.listing;
    }
    if (!listPath.empty() && !saturn::WriteFileReplacing(listPath, result.listing, error)) {
        result.errors.push_back({source, 0, error});
    }
    std::error_code ignored;
    if (!result.errors.empty()) {
        for (const Diagnostic& diagnostic : result.errors) {
            out << FormatError(diagnostic) << "\r\n";
        }
        if (result.moreErrors) {
            out << "Too many errors: only the first " << kMaxErrors << " are shown.\r\n";
        }
        // A stale object from an earlier run must not pass for this one's result.
        std::filesystem::remove(objectPath, ignored);
        return 1;
    }
    const bool written =
        options.raw ? saturn::WriteFileReplacing(objectPath, PackNibbles(result.module.code), error)
                    : saturn::WriteObjectFile(result.module, objectPath, error);
    if (!written) {
        std::filesystem::remove(objectPath, ignored);
        return Failure(out, error);
    }
    return 0;
}

} // namespace sasm
