// The Wendrix run: command line, index file, reading each object, the console report,
// the listing file and the final check of the directory that was written.
#include "Wendrix.h"

#include "CalcChars.h"
#include "DirectoryWriter.h"
#include "ObjectCheck.h"

#include <charconv>
#include <exception>
#include <filesystem>
#include <memory>
#include <system_error>

namespace {

constexpr const char* kUsage[] = {
    "Create directories in HP48 RPL format",
    "",
    "Wendrix -in \"input-file\" -out \"output-directory\" [-list \"listing-file\"] [-v]",
    "",
    "  -in input-file",
    "              Specifies the index file to create the directory from.",
    "  -out output-directory",
    "              Specifies the file to output the directory to.",
    "  -list listing-file",
    "              Specifies the file to list the directory information in.",
    "  -v          Enables verbose mode.",
    "",
    "Quotes are required around any filename that contains spaces.",
};

// Two of the run's files that are one and the same: creating the second would truncate
// the first (the index, or the directory as it is being written).
struct SameFileError
{
    const char* text;
};

// Throws SameFileError when both names reach one existing file.
void RefuseSameFile(const std::string& first, const std::string& second, const char* text)
{
    std::error_code error;
    if (std::filesystem::equivalent(first, second, error)) {
        throw SameFileError{text};
    }
}

// A variable name is counted by a 2-nibble field.
constexpr std::size_t kMaxNameLength = 255;

void PrintUsage(std::ostream& out)
{
    for (const char* line : kUsage) {
        out << line << '\n';
    }
}

// Lowercase hexadecimal without leading zeros.
std::string Hex(std::uint32_t nValue)
{
    char text[8];
    const auto result = std::to_chars(text, text + sizeof text, nValue, 16);
    return std::string(text, result.ptr);
}

std::string Trim(const std::string& text)
{
    const char* space = " \t\n\v\f\r";
    const std::size_t first = text.find_first_not_of(space);
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(space) - first + 1);
}

// The index file's lines without their line ends (LF or CR LF).
std::vector<std::string> ReadIndexLines(const std::string& path)
{
    CFile file(path, CFile::modeRead);
    std::string text;
    char chunk[65536];
    while (const std::uint32_t nRead = file.Read(chunk, sizeof chunk)) {
        text.append(chunk, nRead);
    }
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

// An object as read from its file, ready to be copied into the directory.
struct LoadedObject
{
    std::vector<unsigned char> nibbles; // packed from byte 0
    std::uint32_t nSize = 0;
    std::uint32_t nCrc = 0; // computed only when a listing is written
};

class CWendrixRun
{
public:
    CWendrixRun(const WendrixSettings& settings, std::ostream& out)
        : m_settings(settings), m_out(out)
    {
    }

    void Execute();

private:
    void AddLine(const std::string& line);
    LoadedObject Load(const std::string& path);
    void Verify();
    void List(const std::string& text) { m_pListing->Write(text.data(), text.size()); }

    const WendrixSettings& m_settings;
    std::ostream& m_out;
    std::unique_ptr<CFile> m_pListing;
    std::unique_ptr<CNibbleFile> m_pOutput;
    std::unique_ptr<CDirectoryWriter> m_pWriter;
    std::unique_ptr<CObjectCheck> m_pCheck;
};

void CWendrixRun::Execute()
{
    if (m_settings.verbose) {
        m_out << "*** Verbose mode ***\n\n";
    }
    m_out << "Reading input index: " << m_settings.inputFile << '\n';
    const std::vector<std::string> lines = ReadIndexLines(m_settings.inputFile);
    // A listing that cannot be created ends the run before the directory is touched.
    if (!m_settings.listingFile.empty()) {
        RefuseSameFile(m_settings.listingFile, m_settings.inputFile,
                       "Listing and input are the same file");
        RefuseSameFile(m_settings.listingFile, m_settings.outputFile,
                       "Listing and output are the same file");
        m_pListing =
            std::make_unique<CFile>(m_settings.listingFile, CFile::modeCreate | CFile::modeWrite);
    }
    m_out << "Creating directory: " << m_settings.outputFile << '\n';
    RefuseSameFile(m_settings.outputFile, m_settings.inputFile,
                   "Input and output are the same file");
    if (m_pListing) {
        RefuseSameFile(m_settings.outputFile, m_settings.listingFile,
                       "Listing and output are the same file");
    }
    m_pOutput = std::make_unique<CNibbleFile>(m_settings.outputFile,
                                              CFile::modeCreate | CFile::modeReadWrite);
    m_pWriter = std::make_unique<CDirectoryWriter>(*m_pOutput);

    for (const std::string& line : lines) {
        AddLine(line);
    }

    const std::uint32_t nLastOffset = m_pWriter->Finish();
    if (m_settings.verbose) {
        m_out << "  Last object ptr: 0x" << Hex(nLastOffset) << '\n';
    }
    m_out << "Successfully created output directory (" << m_pWriter->Entries() << " entries)\n";
    Verify();
}

void CWendrixRun::AddLine(const std::string& line)
{
    const std::optional<IndexEntry> entry = SplitIndexLine(line);
    if (!entry) {
        m_out << "Warning: Bad input line ignored (" << line << ")\n";
        return;
    }
    const std::string name = TranslateCalcChars(entry->name);
    if (entry->name.find(' ') != std::string::npos || name.size() > kMaxNameLength) {
        m_out << "Warning: Invalid HP name ignored (" << entry->name << ")\n";
        return;
    }
    m_out << "  " << entry->path << " -> '" << entry->name << "'  " << std::flush;

    // A file that cannot be opened or read ends the run; a broken object only its entry.
    try {
        LoadedObject object = Load(entry->path);
        const CDirectoryWriter::Placement placement =
            m_pWriter->AddEntry(name, object.nibbles.data(), object.nSize);
        m_out << "OK\n";
        if (m_settings.verbose) {
            m_out << "    Size: 0x" << Hex(object.nSize) << '\n'
                  << "    Start of name: 0x" << Hex(placement.nameStart) << '\n'
                  << "    Start of data: 0x" << Hex(placement.dataStart) << '\n';
        }
        if (m_pListing) {
            List("'" + entry->name + "'  Name length: " + std::to_string(name.size()) +
                 "  Size: 0x" + Hex(object.nSize) + "  Start of name: 0x" +
                 Hex(placement.nameStart) + "  Start of data: 0x" + Hex(placement.dataStart) +
                 "  CRC: #" + Hex(object.nCrc) + "h\n");
        }
    } catch (const CNibbleFileException& e) {
        m_out << "Error: " << e.GetErrorName() << '\n';
    }
}

// Reads the whole object before anything of its entry is written, so that a broken
// object leaves no trace in the directory.
LoadedObject CWendrixRun::Load(const std::string& path)
{
    CNibbleFile file(path, CFile::modeRead);
    if (!file.SkipDownloadHeader()) {
        m_out << "Warning: No binary download header on file\n";
    }
    const std::uint32_t nStart = file.FilePos();
    file.SetMarker(0xFFFFFFFF);
    const int nSize = file.SkipOb();
    file.SeekToMarker();
    if (nSize <= 0) {
        throw CNibbleFileException(CNibbleFileException::invalidObject);
    }

    LoadedObject object;
    object.nSize = static_cast<std::uint32_t>(nSize);
    // A length field can claim far more than the file holds; fail before the buffer.
    if (object.nSize / 2 > file.GetLength()) {
        throw CNibbleFileException(CNibbleFileException::readPastEnd);
    }
    object.nibbles.resize(object.nSize / 2 + 1);
    file.ReadNibbles(object.nibbles.data(), object.nSize);
    if (m_pListing) {
        file.SeekToMarker();
        object.nCrc = file.CRCOb();
    }

    // When the file ends with the object, the walk above already had nothing behind it.
    if (std::uint64_t{nStart} + object.nSize != 2 * file.GetLength()) {
        if (!m_pCheck) {
            m_pCheck = std::make_unique<CObjectCheck>(m_settings.outputFile);
        }
        if (!m_pCheck->StandsAlone(object.nibbles.data(), object.nSize)) {
            throw CNibbleFileException(CNibbleFileException::invalidObject);
        }
    }
    return object;
}

// Walks the finished directory as the calculator would and checks that it measures
// exactly what was written.
void CWendrixRun::Verify()
{
    m_out << "Verifying... " << std::flush;
    m_pOutput->Seek(CDirectoryWriter::kObjectStart);
    const int nSize = m_pOutput->SkipOb();
    if (static_cast<std::uint32_t>(nSize) != m_pWriter->End() - CDirectoryWriter::kObjectStart) {
        throw CNibbleFileException(CNibbleFileException::invalidObject);
    }
    m_pOutput->Seek(CDirectoryWriter::kObjectStart);
    const std::uint32_t nCrc = m_pOutput->CRCOb();
    m_out << (m_settings.verbose ? "SkipOb passed" : "OK") << '\n';
    m_out << "Nibbles: " << nSize << " (" << nSize / 2 << (nSize % 2 ? ".5" : "") << " bytes)\n";
    m_out << "CRC: #" << Hex(nCrc) << "h\n";
    if (m_pListing) {
        List("Directory: " + std::to_string(nSize) + " nibbles  CRC: #" + Hex(nCrc) + "h\n");
    }
}

} // namespace

WendrixCommandLine ParseWendrixCommandLine(const std::vector<std::string>& args)
{
    WendrixCommandLine result;
    WendrixSettings& settings = result.settings;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool option = arg.size() > 1 && (arg[0] == '-' || arg[0] == '/');
        const std::string word = option ? arg.substr(1) : std::string();
        std::string* value = word == "in"     ? &settings.inputFile
                             : word == "out"  ? &settings.outputFile
                             : word == "list" ? &settings.listingFile
                                              : nullptr;
        if (value) {
            if (i + 1 == args.size()) {
                result.action = WendrixCommandLine::error;
                result.message = "No parameter given at end of command line";
                return result;
            }
            *value = args[++i];
        } else if (word == "help" || word == "?") {
            result.action = WendrixCommandLine::usage;
            return result;
        } else if (word == "v") {
            settings.verbose = true;
        } else {
            result.action = WendrixCommandLine::error;
            result.message = "Invalid argument (" + arg + ")";
            return result;
        }
    }
    return result;
}

std::optional<IndexEntry> SplitIndexLine(const std::string& line)
{
    const std::size_t semicolon = line.find(';');
    if (semicolon == std::string::npos) {
        return std::nullopt;
    }
    return IndexEntry{Trim(line.substr(0, semicolon)), Trim(line.substr(semicolon + 1))};
}

int RunWendrix(const std::vector<std::string>& args, std::ostream& out)
{
    const WendrixCommandLine commandLine = ParseWendrixCommandLine(args);
    const WendrixSettings& settings = commandLine.settings;
    if (commandLine.action == WendrixCommandLine::error) {
        out << "Command-line error: " << commandLine.message << "\n\n";
        PrintUsage(out);
        return 0;
    }
    if (commandLine.action == WendrixCommandLine::usage || settings.inputFile.empty() ||
        settings.outputFile.empty()) {
        PrintUsage(out);
        return 0;
    }

    try {
        CWendrixRun(settings, out).Execute();
        return 0;
    } catch (const SameFileError& e) {
        out << "Error: " << e.text << '\n';
    } catch (const CNibbleFileException& e) {
        out << "Error: " << e.GetErrorName() << '\n';
    } catch (const CFileException& e) {
        out << "Error: " << e.GetErrorMessage() << '\n';
    } catch (const CDirectoryFullException& e) {
        out << "Error: " << e.GetErrorMessage() << '\n';
    } catch (const CException& e) {
        out << "Fatal Error: " << e.GetErrorMessage() << '\n';
    } catch (const std::exception& e) {
        out << "Fatal Error: " << e.what() << '\n';
    }
    out.flush();
    return 1;
}
