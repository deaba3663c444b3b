// Reading the directory, the control variables, the rewrite of calls between the
// variables, and the library object with its tables and CRC.
#include "LibraryBuilder.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <map>
#include <set>
#include <utility>

namespace {

enum Prolog : std::uint32_t
{
    prologSystemBinary = 0x02911,
    prologReal = 0x02933,
    prologArray = 0x029E8,
    prologString = 0x02A2C,
    prologHexString = 0x02A4E,
    prologList = 0x02A74,
    prologDirectory = 0x02A96,
    prologLibrary = 0x02B40,
    prologProgram = 0x02D9D,
    prologGlobalName = 0x02E48,
    prologRomPointer = 0x02E92,
    endMarker = 0x0312B,
};

// Built-in objects that the library's programs point at.
constexpr std::uint32_t kQuote = 0x06E97;  // pushes the next object instead of running it
constexpr std::uint32_t kToSrrp = 0x07709; // attaches a library to the home directory

// Offsets and sizes are 5-nibble fields and wrap at this mask.
constexpr std::uint32_t kFieldMask = 0xFFFFF;

// The property nibble before each named command: a command, not a function.
constexpr std::uint32_t kCommandProperty = 8;

enum Control
{
    romIdVar,
    titleVar,
    configVar,
    visibleVar,
    hiddenVar,
    messageVar,
    controlCount
};
constexpr std::array<const char*, controlCount> kControlNames = {"$ROMID",   "$TITLE",  "$CONFIG",
                                                                 "$VISIBLE", "$HIDDEN", "$MESSAGE"};

std::optional<Control> ControlOf(const std::string& name)
{
    for (std::size_t i = 0; i < kControlNames.size(); ++i) {
        if (name == kControlNames[i]) {
            return static_cast<Control>(i);
        }
    }
    return std::nullopt;
}

// Appends nValue in nWidth nibbles, least significant first; nibbles beyond the eighth
// are 0, so a wide run of zeros is one call.
void Put(Nibbles& out, std::uint32_t nValue, int nWidth)
{
    for (int i = 0; i < nWidth; ++i) {
        out.push_back(i < 8 ? static_cast<std::uint8_t>((nValue >> (4 * i)) & 0xF) : 0);
    }
}

void Set(Nibbles& out, std::size_t nPos, std::uint32_t nValue, int nWidth)
{
    for (int i = 0; i < nWidth; ++i) {
        out[nPos + i] = static_cast<std::uint8_t>((nValue >> (4 * i)) & 0xF);
    }
}

// The value of a self-relative offset field at nField that points at nTarget.
std::uint32_t Offset(std::size_t nField, std::size_t nTarget)
{
    return static_cast<std::uint32_t>(nTarget - nField) & kFieldMask;
}

void PutBytes(Nibbles& out, const std::string& bytes)
{
    for (const char c : bytes) {
        Put(out, static_cast<unsigned char>(c), 2);
    }
}

std::uint32_t ReadWord(CNibbleFile& file, std::uint32_t nWidth)
{
    std::uint32_t nValue = 0;
    file.ReadNibbleWord(&nValue, nWidth);
    return nValue;
}

// nCount nibbles of the file from nPos on; the caller has checked that they lie in it.
Nibbles ReadRun(CNibbleFile& file, std::uint32_t nPos, std::uint32_t nCount)
{
    std::vector<unsigned char> packed(nCount / 2 + 1);
    file.Seek(nPos);
    file.ReadNibbles(packed.data(), nCount);
    Nibbles run(nCount);
    for (std::uint32_t i = 0; i < nCount; ++i) {
        run[i] = (packed[i / 2] >> (4 * (i & 1))) & 0xF;
    }
    return run;
}

// Reads the parts of a control variable's object, failing with a message that names
// the variable when the object is not what the variable must hold.
class CControlReader
{
public:
    CControlReader(const DirectoryVariable& variable, std::string expected)
        : m_object(variable.object), m_name(variable.name), m_expected(std::move(expected))
    {
    }

    std::uint32_t Word(std::size_t nWidth)
    {
        if (m_nPos + nWidth > m_object.size()) {
            Fail();
        }
        std::uint32_t nValue = 0;
        for (std::size_t i = 0; i < nWidth; ++i) {
            nValue |= std::uint32_t{m_object[m_nPos + i]} << (4 * i);
        }
        m_nPos += nWidth;
        return nValue;
    }

    std::string Bytes(std::size_t nCount)
    {
        std::string bytes;
        for (std::size_t i = 0; i < nCount; ++i) {
            bytes.push_back(static_cast<char>(Word(2)));
        }
        return bytes;
    }

    // The characters of a string object's body, from its length field on.
    std::string StringBody()
    {
        const std::uint32_t nLength = Word(5);
        if (nLength < 5 || (nLength - 5) % 2 != 0) {
            Fail();
        }
        return Bytes((nLength - 5) / 2);
    }

    std::size_t Pos() const { return m_nPos; }
    bool AtEnd() const { return m_nPos == m_object.size(); }
    [[noreturn]] void Fail() const { throw CLibraryError(m_name + " must hold " + m_expected); }

private:
    const Nibbles& m_object;
    std::size_t m_nPos = 0;
    std::string m_name;
    std::string m_expected;
};

// $ROMID: a real number, a system binary or a user binary integer.
std::uint64_t ReadRomId(const DirectoryVariable& variable)
{
    CControlReader reader(variable, "a whole number from 0 to 4095");
    const std::uint32_t nProlog = reader.Word(5);
    if (nProlog == prologSystemBinary) {
        return reader.Word(5);
    }
    if (nProlog == prologHexString) {
        const std::uint32_t nLength = reader.Word(5);
        if (nLength < 5) {
            reader.Fail();
        }
        std::uint64_t nValue = 0;
        for (std::uint32_t i = 0; i < nLength - 5; ++i) {
            const std::uint64_t nDigit = reader.Word(1);
            if (i >= 8 && nDigit != 0) {
                return std::uint64_t{1} << 32; // far beyond any library number
            }
            nValue |= i < 8 ? nDigit << (4 * i) : 0;
        }
        return nValue;
    }
    if (nProlog != prologReal) {
        reader.Fail();
    }
    // Exponent (3 BCD digits, tens complement), mantissa (12 BCD digits, the leading one
    // last) and sign; the value must be a whole number that is not negative.
    std::array<std::uint32_t, 16> digits{};
    for (std::uint32_t& nDigit : digits) {
        nDigit = reader.Word(1);
    }
    for (std::size_t i = 0; i < 15; ++i) {
        if (digits[i] > 9) {
            reader.Fail();
        }
    }
    const int nRaw = static_cast<int>(digits[0] + 10 * digits[1] + 100 * digits[2]);
    const int nExponent = nRaw < 500 ? nRaw : nRaw - 1000;
    const auto mantissa = [&](int i) { return digits[3 + i]; }; // 0 = least significant
    bool bZero = true;
    for (int i = 0; i < 12; ++i) {
        bZero = bZero && mantissa(i) == 0;
    }
    if (bZero) {
        return 0;
    }
    if (digits[15] != 0 || nExponent < 0) {
        reader.Fail();
    }
    if (nExponent > 11) {
        return std::uint64_t{1} << 32;
    }
    std::uint64_t nValue = 0;
    for (int i = 11; i >= 0; --i) {
        if (i >= 11 - nExponent) {
            nValue = nValue * 10 + mantissa(i);
        } else if (mantissa(i) != 0) {
            reader.Fail(); // a fraction
        }
    }
    return nValue;
}

std::string ReadTitle(const DirectoryVariable& variable)
{
    CControlReader reader(variable, "a string");
    if (reader.Word(5) != prologString) {
        reader.Fail();
    }
    std::string title = reader.StringBody();
    if (title.size() > kMaxTitle) {
        throw CLibraryError("$TITLE is " + std::to_string(title.size()) +
                            " characters long; a library title has at most 255");
    }
    return title;
}

std::vector<std::string> ReadNameList(const DirectoryVariable& variable)
{
    CControlReader reader(variable, "a list of global names");
    if (reader.Word(5) != prologList) {
        reader.Fail();
    }
    std::vector<std::string> names;
    for (std::uint32_t nProlog = reader.Word(5); nProlog != endMarker; nProlog = reader.Word(5)) {
        if (nProlog != prologGlobalName) {
            reader.Fail();
        }
        names.push_back(reader.Bytes(reader.Word(2)));
    }
    return names;
}

// $MESSAGE as the message table: an array of strings, kept as it is, or a list of
// strings, turned into such an array. Empty when there are no messages.
Nibbles ReadMessages(const DirectoryVariable& variable)
{
    CControlReader reader(variable, "a list of strings");
    const std::uint32_t nProlog = reader.Word(5);
    if (nProlog == prologArray) {
        reader.Word(5);
        if (reader.Word(5) != prologString || reader.Word(5) != 1) {
            reader.Fail();
        }
        return reader.Word(5) == 0 ? Nibbles() : variable.object;
    }
    if (nProlog != prologList) {
        reader.Fail();
    }
    Nibbles bodies;
    std::uint32_t nCount = 0;
    for (std::uint32_t nElement = reader.Word(5); nElement != endMarker;
         nElement = reader.Word(5)) {
        if (nElement != prologString) {
            reader.Fail();
        }
        const std::size_t nBody = reader.Pos();
        reader.StringBody();
        bodies.insert(bodies.end(), variable.object.begin() + static_cast<std::ptrdiff_t>(nBody),
                      variable.object.begin() + static_cast<std::ptrdiff_t>(reader.Pos()));
        ++nCount;
    }
    if (nCount == 0) {
        return {};
    }
    Nibbles array;
    Put(array, prologArray, 5);
    Put(array, static_cast<std::uint32_t>(20 + bodies.size()), 5);
    Put(array, prologString, 5);
    Put(array, 1, 5);
    Put(array, nCount, 5);
    array.insert(array.end(), bodies.begin(), bodies.end());
    return array;
}

// The name of a global-name object at nPos of a run of nibbles.
std::string NameAt(const Nibbles& object, std::size_t nPos)
{
    const std::size_t nCount = object[nPos + 5] | (object[nPos + 6] << 4);
    std::string name;
    for (std::size_t i = 0; i < nCount; ++i) {
        const std::size_t n = nPos + 7 + 2 * i;
        name.push_back(static_cast<char>(object[n] | (object[n + 1] << 4)));
    }
    return name;
}

// Whether the whole object is one global name.
bool IsGlobalName(const Nibbles& object)
{
    if (object.size() < 7) {
        return false;
    }
    std::uint32_t nProlog = 0;
    for (int i = 0; i < 5; ++i) {
        nProlog |= std::uint32_t{object[i]} << (4 * i);
    }
    const std::size_t nCount = object[5] | (object[6] << 4);
    return nProlog == prologGlobalName && object.size() == 7 + 2 * nCount;
}

// The variable's object with each global name that a program runs (one not quoted by the
// word before it) and that names a command replaced by the XLIB name of that command.
// Programs nested in the program are rewritten too; any other object is copied as it is:
// names in lists and algebraics are data, not calls.
Nibbles RewriteCalls(CNibbleFile& file, const DirectoryVariable& variable,
                     const std::map<std::string, std::uint32_t>& commands, std::uint32_t nRomId)
{
    const Nibbles& object = variable.object;
    file.Seek(variable.nFilePos);
    if (ReadWord(file, 5) != prologProgram) {
        return object;
    }
    Nibbles out;
    std::size_t nPos = 0; // within the object
    int nDepth = 0;       // programs entered and not yet left
    bool bQuoted = false;
    do {
        if (nPos + 5 > object.size()) {
            throw CNibbleFileException(CNibbleFileException::invalidObject);
        }
        file.Seek(variable.nFilePos + static_cast<std::uint32_t>(nPos));
        const std::uint32_t nProlog = ReadWord(file, 5);
        if (nProlog == prologProgram || nProlog == endMarker) {
            Put(out, nProlog, 5);
            nDepth += nProlog == prologProgram ? 1 : -1;
            nPos += 5;
            bQuoted = false;
            continue;
        }
        file.Seek(variable.nFilePos + static_cast<std::uint32_t>(nPos));
        const auto nSize = static_cast<std::uint32_t>(file.SkipOb());
        if (nSize == 0 || nPos + nSize > object.size()) {
            throw CNibbleFileException(CNibbleFileException::invalidObject);
        }
        const auto found = nProlog == prologGlobalName && !bQuoted
                               ? commands.find(NameAt(object, nPos))
                               : commands.end();
        if (found != commands.end()) {
            Put(out, prologRomPointer, 5);
            Put(out, nRomId, 3);
            Put(out, found->second, 3);
        } else {
            out.insert(out.end(), object.begin() + static_cast<std::ptrdiff_t>(nPos),
                       object.begin() + static_cast<std::ptrdiff_t>(nPos + nSize));
        }
        nPos += nSize;
        bQuoted = nProlog == kQuote;
    } while (nDepth > 0);
    return out;
}

struct Command
{
    const DirectoryVariable* variable;
    bool bNamed;
};

} // namespace

std::uint32_t LibraryCrc(const Nibbles& object, std::size_t nFirst, std::size_t nEnd)
{
    std::uint32_t nCrc = 0;
    for (std::size_t i = nFirst; i < nEnd; ++i) {
        nCrc = (nCrc >> 4) ^ (((nCrc ^ object[i]) & 0xF) * 0x1081);
    }
    return nCrc;
}

std::vector<DirectoryVariable> ReadDirectoryVariables(CNibbleFile& file)
{
    // The object starts behind a download header when the file has one.
    unsigned char header[6] = {};
    const bool bHeader = file.ReadAt(header, 6, 0) == 6 && std::memcmp(header, "HPHP48", 6) == 0;
    const std::uint32_t nStart = bHeader ? 16 : 0;
    const std::uint64_t nFileNibbles = 2 * file.GetLength();
    file.Seek(nStart);
    if (nFileNibbles < nStart + 5 || ReadWord(file, 5) != prologDirectory) {
        throw CLibraryError(file.GetFileName() + " does not hold a directory object");
    }
    file.Seek(nStart);
    const int nSize = file.SkipOb();
    const std::uint64_t nEnd = std::uint64_t{nStart} + static_cast<std::uint32_t>(nSize);
    if (nSize < 13 || nEnd > nFileNibbles) {
        throw CNibbleFileException(CNibbleFileException::invalidObject);
    }

    // Each entry: link to the previous one, name count, name, the count again (absent for
    // an empty name), object. The entries must fill the directory exactly.
    std::vector<DirectoryVariable> variables;
    std::uint64_t nPos = nStart + 13;
    while (nPos < nEnd) {
        file.Seek(static_cast<std::uint32_t>(nPos + 5));
        const std::uint32_t nChars = ReadWord(file, 2);
        DirectoryVariable variable;
        for (std::uint32_t i = 0; i < nChars; ++i) {
            variable.name.push_back(static_cast<char>(ReadWord(file, 2)));
        }
        if (nChars > 0 && ReadWord(file, 2) != nChars) {
            throw CNibbleFileException(CNibbleFileException::invalidObject);
        }
        variable.nFilePos = file.FilePos();
        const int nObject = file.SkipOb();
        if (nObject <= 0 || variable.nFilePos + std::uint64_t(nObject) > nEnd) {
            throw CNibbleFileException(CNibbleFileException::invalidObject);
        }
        nPos = variable.nFilePos + std::uint64_t(nObject);
        // The calculator's hidden entry has an empty name; it is no variable.
        if (nChars > 0) {
            variable.object = ReadRun(file, variable.nFilePos, static_cast<std::uint32_t>(nObject));
            variables.push_back(std::move(variable));
        }
    }
    if (nPos != nEnd) {
        throw CNibbleFileException(CNibbleFileException::invalidObject);
    }
    return variables;
}

LibraryResult BuildLibrary(CNibbleFile& file, std::optional<std::uint32_t> nRomIdArgument)
{
    const std::vector<DirectoryVariable> variables = ReadDirectoryVariables(file);

    // The control variables, and the others by name.
    std::array<const DirectoryVariable*, controlCount> control{};
    std::map<std::string, const DirectoryVariable*> byName;
    for (const DirectoryVariable& variable : variables) {
        const std::optional<Control> which = ControlOf(variable.name);
        const bool bNew = which ? !std::exchange(control[*which], &variable)
                                : byName.emplace(variable.name, &variable).second;
        if (!bNew) {
            throw CLibraryError("The directory holds two variables named " + variable.name);
        }
    }

    LibraryResult result;
    std::uint64_t nRomId = 0;
    if (nRomIdArgument) {
        nRomId = *nRomIdArgument;
    } else if (control[romIdVar]) {
        nRomId = ReadRomId(*control[romIdVar]);
    } else {
        throw CLibraryError("No library number: store it in $ROMID or give it with -r");
    }
    if (nRomId > kMaxRomId) {
        throw CLibraryError("Library number " + std::to_string(nRomId) +
                            " does not fit in three hexadecimal digits (0 to 4095)");
    }
    result.nRomId = static_cast<std::uint32_t>(nRomId);
    if (control[titleVar]) {
        result.title = ReadTitle(*control[titleVar]);
    }

    // Command numbers: the visible names, the hidden ones, then every other variable.
    std::vector<Command> commands;
    std::set<const DirectoryVariable*> placed;
    const auto place = [&](const std::string& name, bool bNamed, const char* list) {
        if (ControlOf(name)) {
            return; // the control variables are no commands, whatever the lists say
        }
        const auto found = byName.find(name);
        if (found == byName.end()) {
            throw CLibraryError(std::string(list) + " names " + name +
                                ", but the directory has no variable of that name");
        }
        if (placed.insert(found->second).second) {
            commands.push_back({found->second, bNamed});
        }
    };
    const std::vector<std::string> hidden =
        control[hiddenVar] ? ReadNameList(*control[hiddenVar]) : std::vector<std::string>();
    if (control[visibleVar]) {
        for (const std::string& name : ReadNameList(*control[visibleVar])) {
            place(name, true, "$VISIBLE");
        }
    } else {
        const std::set<std::string> hiddenSet(hidden.begin(), hidden.end());
        for (auto it = variables.rbegin(); it != variables.rend(); ++it) {
            if (!ControlOf(it->name) && !hiddenSet.contains(it->name)) {
                place(it->name, true, "The directory");
            }
        }
    }
    for (const std::string& name : hidden) {
        place(name, false, "$HIDDEN");
    }
    // The rest in the order of the VAR menu, which shows the last entry first.
    for (auto it = variables.rbegin(); it != variables.rend(); ++it) {
        if (!ControlOf(it->name)) {
            place(it->name, false, "The directory");
        }
    }
    if (commands.size() > kMaxCommands) {
        throw CLibraryError("The directory holds " + std::to_string(commands.size()) +
                            " variables; a library has at most 4096 commands");
    }
    std::map<std::string, std::uint32_t> numbers;
    for (std::size_t i = 0; i < commands.size(); ++i) {
        const std::string& name = commands[i].variable->name;
        if (commands[i].bNamed && name.size() > kMaxCommandName) {
            throw CLibraryError("The command name " + name + " has " + std::to_string(name.size()) +
                                " characters; a library command name has at most 16");
        }
        numbers.emplace(name, static_cast<std::uint32_t>(i));
        result.nNamed += commands[i].bNamed ? 1 : 0;
    }
    result.nCommands = static_cast<int>(commands.size());

    // The configuration object: a command that $CONFIG names, $CONFIG itself, or the
    // program that attaches the library to the home directory.
    std::optional<std::uint32_t> nConfigCommand;
    Nibbles config;
    if (const DirectoryVariable* pConfig = control[configVar]) {
        if (IsGlobalName(pConfig->object)) {
            const std::string name = NameAt(pConfig->object, 0);
            const auto found = numbers.find(name);
            if (found == numbers.end()) {
                throw CLibraryError("$CONFIG names " + name +
                                    ", but the directory has no variable of that name");
            }
            nConfigCommand = found->second;
        } else {
            config = RewriteCalls(file, *pConfig, numbers, result.nRomId);
        }
    } else {
        Put(config, prologProgram, 5);
        Put(config, prologSystemBinary, 5);
        Put(config, result.nRomId, 5);
        Put(config, kToSrrp, 5);
        Put(config, endMarker, 5);
    }
    const Nibbles messages = control[messageVar] ? ReadMessages(*control[messageVar]) : Nibbles();

    // Head: prolog, size, title, library number and the four table offsets.
    Nibbles& lib = result.object;
    Put(lib, prologLibrary, 5);
    const std::size_t nSizeField = lib.size();
    Put(lib, 0, 5);
    const auto nTitle = static_cast<std::uint32_t>(result.title.size());
    Put(lib, nTitle, 2);
    PutBytes(lib, result.title);
    if (nTitle > 0) {
        Put(lib, nTitle, 2);
    }
    Put(lib, result.nRomId, 3);
    const std::size_t nHashField = lib.size();
    const std::size_t nMessageField = nHashField + 5;
    const std::size_t nLinkField = nHashField + 10;
    const std::size_t nConfigField = nHashField + 15;
    Put(lib, 0, 20);

    // The commands, a named one behind its property nibble and XLIB prefix.
    std::vector<std::size_t> commandAt;
    for (std::size_t i = 0; i < commands.size(); ++i) {
        if (commands[i].bNamed) {
            Put(lib, kCommandProperty, 1);
            Put(lib, result.nRomId, 3);
            Put(lib, static_cast<std::uint32_t>(i), 3);
        }
        commandAt.push_back(lib.size());
        const Nibbles body = RewriteCalls(file, *commands[i].variable, numbers, result.nRomId);
        lib.insert(lib.end(), body.begin(), body.end());
    }
    if (nConfigCommand) {
        Set(lib, nConfigField, Offset(nConfigField, commandAt[*nConfigCommand]), 5);
    } else {
        Set(lib, nConfigField, Offset(nConfigField, lib.size()), 5);
        lib.insert(lib.end(), config.begin(), config.end());
    }
    if (!messages.empty()) {
        Set(lib, nMessageField, Offset(nMessageField, lib.size()), 5);
        lib.insert(lib.end(), messages.begin(), messages.end());
    }

    // Link table: one offset per command, to its object.
    Set(lib, nLinkField, Offset(nLinkField, lib.size()), 5);
    Put(lib, prologHexString, 5);
    Put(lib, static_cast<std::uint32_t>(5 + 5 * commands.size()), 5);
    for (const std::size_t nAt : commandAt) {
        Put(lib, Offset(lib.size(), nAt), 5);
    }

    // Hash table: a slot per name length, the name records grouped by length in command
    // order, and the number table from each named command back to its record.
    Set(lib, nHashField, Offset(nHashField, lib.size()), 5);
    Put(lib, prologHexString, 5);
    const std::size_t nHashLength = lib.size();
    Put(lib, 0, 5);
    const std::size_t nSlots = lib.size();
    Put(lib, 0, 5 * kMaxCommandName);
    const std::size_t nNumberField = lib.size();
    Put(lib, 0, 5);
    std::vector<std::size_t> recordAt(commands.size());
    std::size_t nNumbered = 0; // number-table entries: up to the last named command
    for (std::size_t nLength = 1; nLength <= kMaxCommandName; ++nLength) {
        const std::size_t nSlot = nSlots + 5 * (nLength - 1);
        bool bFirst = true;
        for (std::size_t i = 0; i < commands.size(); ++i) {
            const std::string& name = commands[i].variable->name;
            if (!commands[i].bNamed || name.size() != nLength) {
                continue;
            }
            if (std::exchange(bFirst, false)) {
                Set(lib, nSlot, Offset(nSlot, lib.size()), 5);
            }
            recordAt[i] = lib.size();
            Put(lib, static_cast<std::uint32_t>(nLength), 2);
            PutBytes(lib, name);
            Put(lib, static_cast<std::uint32_t>(i), 3);
            nNumbered = std::max(nNumbered, i + 1);
        }
    }
    Set(lib, nNumberField, Offset(nNumberField, lib.size()), 5);
    for (std::size_t i = 0; i < nNumbered; ++i) {
        Put(lib, commands[i].bNamed ? Offset(recordAt[i], lib.size()) : 0, 5);
    }
    Set(lib, nHashLength, static_cast<std::uint32_t>(lib.size() - nHashLength), 5);

    // The size counts from its own field to the end, CRC included.
    const std::size_t nSize = lib.size() + 4 - nSizeField;
    if (nSize > kFieldMask) {
        throw CLibraryError("The library would be " + std::to_string(lib.size() + 4) +
                            " nibbles long; its size field holds at most 1048575");
    }
    Set(lib, nSizeField, static_cast<std::uint32_t>(nSize), 5);
    result.nCrc = LibraryCrc(lib, nSizeField, lib.size());
    Put(lib, result.nCrc, 4);
    return result;
}
