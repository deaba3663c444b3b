#include "Loader.h"

#include "ControlFile.h"
#include "EntryTable.h"
#include "ToolFiles.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <optional>
#include <sstream>
#include <unordered_map>

namespace {

using saturn::FieldCheck;
using saturn::ObjectModule;
using saturn::RelocationBase;

constexpr std::size_t kMaxErrorsPerFile = 100;
constexpr std::uint64_t kAddressSpace = 0x100000;
constexpr const char* kUsage = "usage: sload [-H] [-X] CONTROL-FILE";

std::string Hex5(std::uint64_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%05llX", static_cast<unsigned long long>(value & 0xFFFFF));
    return text;
}

// Prints error lines, at most kMaxErrorsPerFile for each file named.
class Reporter
{
public:
    explicit Reporter(std::ostream& out) : m_out(out) {}

    void Error(const std::string& file, std::uint32_t line, const std::string& text)
    {
        ++m_errors;
        std::size_t& count = m_perFile[file];
        if (++count > kMaxErrorsPerFile) {
            if (count == kMaxErrorsPerFile + 1)
                m_out << "*** ERROR in \"" << file << "\": more than " << kMaxErrorsPerFile
                      << " errors, the rest are not shown\r\n";
            return;
        }
        m_out << "*** ERROR in \"" << file << '"';
        if (line != 0)
            m_out << " on line " << line;
        m_out << ": " << text << "\r\n";
    }
    // A line that is already complete (from the control-file or entry-table readers).
    void Line(const std::string& text)
    {
        ++m_errors;
        m_out << text << "\r\n";
    }
    void Warning(const std::string& text) { m_out << "Warning: " << text << "\r\n"; }
    std::size_t Errors() const { return m_errors; }

private:
    std::ostream& m_out;
    std::map<std::string, std::size_t> m_perFile;
    std::size_t m_errors = 0;
};

// Where a piece of code came from: the source file and line of the line map, else the
// module's own source without a line.
struct Origin
{
    std::string file;
    std::uint32_t line = 0;
};

Origin OriginOf(const ObjectModule& module, std::uint32_t offset)
{
    const saturn::LineMapEntry* entry = module.LineAt(offset);
    if (!entry)
        return {module.sourceName, 0};
    return {module.files[entry->file], entry->line};
}

// A name in a listing column: padded so that what follows lines up.
std::string Column(const std::string& name)
{
    return name + std::string(name.size() < 16 ? 16 - name.size() : 1, ' ');
}

std::string Describe(const Origin& origin)
{
    return origin.line ? origin.file + " line " + std::to_string(origin.line) : origin.file;
}

struct LoadedModule
{
    ControlOperand operand;
    ObjectModule object;
    std::uint64_t start = 0;
};

// A name the load can resolve: a global of a loaded module or an entry.
struct Definition
{
    std::uint64_t value = 0;
    bool movesWithLoad = false;           // an address inside a relocatable load
    const LoadedModule* module = nullptr; // null for an entry-table name
};

struct Use
{
    std::string name;
    std::uint64_t value = 0;
    std::vector<Origin> where;
};

class Load
{
public:
    Load(const LoadControl& control, Reporter& report) : m_control(control), m_report(report) {}

    bool ReadInputs()
    {
        for (const ControlOperand& table : m_control.tables) {
            std::vector<Entry> entries;
            std::string error;
            if (!ReadEntryTable(saturn::ResolveToolPath(table.path), entries, error)) {
                m_report.Line(error);
                continue;
            }
            // Looked up once per reference: a map instead of a walk over the table.
            std::unordered_map<std::string, std::uint32_t> byName;
            for (Entry& entry : entries)
                byName.try_emplace(std::move(entry.name), entry.address);
            m_tables.push_back(std::move(byName));
        }
        for (const ControlOperand& operand : m_control.modules) {
            LoadedModule loaded{operand, {}, 0};
            std::string error;
            if (!saturn::ReadObjectFile(saturn::ResolveToolPath(operand.path), loaded.object,
                                        error)) {
                m_report.Error(operand.file, static_cast<std::uint32_t>(operand.line), error);
                continue;
            }
            m_modules.push_back(std::move(loaded));
        }
        return m_report.Errors() == 0;
    }

    void Place()
    {
        std::uint64_t next = m_control.origin.value_or(0);
        for (LoadedModule& module : m_modules) {
            module.start = next;
            next += module.object.code.size();
            if (next > kAddressSpace) {
                m_report.Error(module.operand.file, static_cast<std::uint32_t>(module.operand.line),
                               "the load runs past address #FFFFF");
                return;
            }
        }
        m_image.assign(next - m_control.origin.value_or(0), 0);
        for (const LoadedModule& module : m_modules)
            std::copy(module.object.code.begin(), module.object.code.end(),
                      m_image.begin() + static_cast<std::ptrdiff_t>(module.start - Origin0()));
    }

    void DefineGlobals()
    {
        for (const LoadedModule& module : m_modules) {
            for (const saturn::ObjectSymbol& symbol : module.object.symbols) {
                if (!symbol.global)
                    continue;
                const Definition definition{static_cast<std::uint64_t>(symbol.value) +
                                                (symbol.relocatable ? module.start : 0),
                                            symbol.relocatable && Relocatable(), &module};
                const auto [it, added] = m_globals.try_emplace(symbol.name, definition);
                if (!added) {
                    const Origin at =
                        symbol.relocatable
                            ? OriginOf(module.object, static_cast<std::uint32_t>(symbol.value))
                            : Origin{module.object.sourceName, 0};
                    m_report.Error(at.file, at.line,
                                   "\"" + symbol.name + "\" is defined twice, in " +
                                       it->second.module->operand.path + " and in " +
                                       module.operand.path);
                }
            }
        }
    }

    void Relocate()
    {
        for (const LoadedModule& module : m_modules)
            for (const saturn::Relocation& relocation : module.object.relocations)
                Complete(module, relocation);
    }

    void WriteListing(const std::string& controlPath, bool outputWritten) const
    {
        if (!m_control.listing)
            return;
        std::ostringstream text;
        text << "Load listing of " << controlPath;
        if (!m_control.title.empty())
            text << "  " << m_control.title;
        text << "\r\n";
        if (m_control.output)
            text << "Output " << m_control.output->path << "  "
                 << (outputWritten ? std::to_string(m_image.size()) + " nibbles"
                                   : std::string("not written (errors)"))
                 << "\r\n";
        text << (Relocatable() ? "Relocatable load; addresses count from its start\r\n"
                               : "Loaded at #" + Hex5(Origin0()) + "\r\n");
        text << "\r\nModules\r\n  Start  Size   File  (source)\r\n";
        for (const LoadedModule& module : m_modules)
            text << "  " << Hex5(module.start) << "  " << Hex5(module.object.code.size()) << "  "
                 << module.operand.path << "  (" << module.object.sourceName << ")\r\n";
        const bool anySymbol = std::any_of(m_modules.begin(), m_modules.end(),
                                           [](const auto& m) { return !m.object.symbols.empty(); });
        if (anySymbol)
            text << "\r\nSymbols\r\n  Value  " << Column("Name") << "Module\r\n";
        for (const LoadedModule& module : m_modules)
            for (const saturn::ObjectSymbol& symbol : module.object.symbols)
                text << "  "
                     << Hex5(static_cast<std::uint64_t>(symbol.value) +
                             (symbol.relocatable ? module.start : 0))
                     << "  " << Column(symbol.name) << module.operand.path
                     << (symbol.global ? "" : " (local)") << "\r\n";
        if (!m_unresolved.empty()) {
            text << "\r\nUnresolved names\r\n";
            for (const auto& [name, use] : m_unresolved)
                text << "  " << Column(name) << "used at " << Where(use.where) << "\r\n";
        }
        if (m_control.crossReference && !m_uses.empty()) {
            text << "\r\nCross reference\r\n  Value  " << Column("Name") << "Used at\r\n";
            for (const auto& [name, use] : m_uses)
                text << "  " << Hex5(use.value) << "  " << Column(name) << Where(use.where)
                     << "\r\n";
        }
        std::string error;
        if (!saturn::WriteFileReplacing(saturn::ResolveToolPath(m_control.listing->path),
                                        text.str(), error))
            m_report.Line("*** ERROR in \"" + m_control.listing->file + "\" on line " +
                          std::to_string(m_control.listing->line) + ": " + error);
    }

    bool WriteOutput()
    {
        if (!m_control.output)
            return true;
        static const char kHeader[] = "HPHP48";
        bool header = m_image.size() >= 12;
        for (std::size_t i = 0; header && i < 6; ++i)
            header = m_image[2 * i] == (kHeader[i] & 0xF) &&
                     m_image[2 * i + 1] == ((kHeader[i] >> 4) & 0xF);
        if (!header)
            m_report.Warning("the loaded code does not begin with a download header (NIBASC "
                             "/HPHP48-R/), so the calculator will not read " +
                             m_control.output->path + " as an object");
        std::string bytes((m_image.size() + 1) / 2, '\0');
        for (std::size_t i = 0; i < m_image.size(); ++i)
            bytes[i / 2] = static_cast<char>(bytes[i / 2] | (m_image[i] << (i % 2 ? 4 : 0)));
        std::string error;
        if (saturn::WriteFileReplacing(saturn::ResolveToolPath(m_control.output->path), bytes,
                                       error))
            return true;
        m_report.Line("*** ERROR in \"" + m_control.output->file + "\" on line " +
                      std::to_string(m_control.output->line) + ": " + error);
        return false;
    }

private:
    bool Relocatable() const { return !m_control.origin.has_value(); }
    std::uint64_t Origin0() const { return m_control.origin.value_or(0); }

    static std::string Where(const std::vector<Origin>& where)
    {
        std::string text;
        for (const Origin& origin : where)
            text += (text.empty() ? "" : ", ") + Describe(origin);
        return text;
    }

    std::optional<Definition> Find(const std::string& name) const
    {
        if (const auto it = m_globals.find(name); it != m_globals.end())
            return it->second;
        for (const auto& table : m_tables)
            if (const auto it = table.find(name); it != table.end())
                return Definition{it->second, false, nullptr};
        return std::nullopt;
    }

    void Complete(const LoadedModule& module, const saturn::Relocation& relocation)
    {
        const Origin at = OriginOf(module.object, relocation.offset);
        const auto fail = [&](const std::string& text) { m_report.Error(at.file, at.line, text); };
        Definition target;
        std::string what = "an address inside the relocatable object";
        switch (relocation.base) {
        case RelocationBase::Module:
            target = {module.start, Relocatable(), &module};
            break;
        case RelocationBase::Address:
            target = {0, false, nullptr};
            what = "the fixed address #" + Hex5(static_cast<std::uint64_t>(relocation.addend));
            break;
        case RelocationBase::Symbol: {
            const auto found = Find(relocation.symbol);
            if (!found) {
                m_unresolved[relocation.symbol].where.push_back(at);
                fail("unresolved name \"" + relocation.symbol + "\"");
                return;
            }
            target = *found;
            Use& use = m_uses[relocation.symbol];
            use.value = target.value;
            use.where.push_back(at);
            what = "\"" + relocation.symbol + "\"";
            break;
        }
        }
        const std::uint64_t place = module.start + relocation.offset;
        const std::int64_t value = static_cast<std::int64_t>(target.value) + relocation.addend -
                                   (relocation.relative ? static_cast<std::int64_t>(place) : 0);
        // In a relocatable load only distances between its own addresses, and fixed
        // addresses stored as such, stay true wherever the calculator puts the object.
        if (!relocation.relative && target.movesWithLoad) {
            fail("absolute reference to " + what +
                 (relocation.base == RelocationBase::Symbol
                      ? ", an address inside the relocatable object"
                      : std::string()));
            return;
        }
        if (relocation.relative && Relocatable() && !target.movesWithLoad) {
            fail("relative reference to " + what +
                 " from the relocatable object (use an absolute jump such as GOVLNG or GOSBVL)");
            return;
        }
        if (!FieldValueFits(value, relocation.width, relocation.check)) {
            fail(relocation.check == FieldCheck::SignedNonZero && value == 0
                     ? "a branch distance of 0 to " + what + " is not possible (0 means return)"
                     : "the value " + std::to_string(value) + " of " + what + " does not fit in " +
                           std::to_string(relocation.width) + " nibbles");
            return;
        }
        const auto bits = static_cast<std::uint64_t>(value);
        for (unsigned i = 0; i < relocation.width; ++i)
            m_image[place - Origin0() + i] = static_cast<std::uint8_t>((bits >> (4 * i)) & 0xF);
    }

    const LoadControl& m_control;
    Reporter& m_report;
    std::vector<std::unordered_map<std::string, std::uint32_t>> m_tables;
    std::vector<LoadedModule> m_modules;
    std::map<std::string, Definition> m_globals;
    std::map<std::string, Use> m_unresolved;
    std::map<std::string, Use> m_uses;
    std::vector<std::uint8_t> m_image;
};

void RemoveStaleOutput(const LoadControl& control)
{
    if (!control.output)
        return;
    std::error_code ignored;
    std::filesystem::remove(saturn::ResolveToolPath(control.output->path), ignored);
}

} // namespace

bool FieldValueFits(std::int64_t value, unsigned widthNibbles, FieldCheck check)
{
    const unsigned bits = 4 * widthNibbles;
    const std::int64_t signedLow = -(std::int64_t{1} << (bits - 1));
    const std::int64_t signedHigh = (std::int64_t{1} << (bits - 1)) - 1;
    switch (check) {
    case FieldCheck::Truncate:
        return true;
    case FieldCheck::Fits:
        return value >= signedLow && value <= (std::int64_t{1} << bits) - 1;
    case FieldCheck::Signed:
        return value >= signedLow && value <= signedHigh;
    case FieldCheck::SignedNonZero:
        return value != 0 && value >= signedLow && value <= signedHigh;
    }
    return false;
}

int RunSload(const std::vector<std::string>& args, std::ostream& out)
{
    std::string controlPath;
    for (const std::string& arg : args) {
        if (arg == "-H" || arg == "-h" || arg == "-X" || arg == "-x") {
            // -H: write the loaded code as it is (the only form we write); -X: fail when
            // names stay unresolved (always the case here).
            continue;
        }
        if (!arg.empty() && arg.front() == '-') {
            out << "Error: unknown option " << arg << "\r\n" << kUsage << "\r\n";
            return 1;
        }
        if (!controlPath.empty()) {
            out << "Error: more than one control file\r\n" << kUsage << "\r\n";
            return 1;
        }
        controlPath = arg;
    }
    if (controlPath.empty()) {
        out << kUsage << "\r\n";
        return 1;
    }

    Reporter report(out);
    LoadControl control;
    std::vector<std::string> errors;
    ReadControlFile(controlPath, control, errors);
    if (errors.empty() && control.modules.empty())
        errors.push_back("*** ERROR in \"" + controlPath +
                         "\": nothing to load (no RE line names an object)");
    for (const std::string& error : errors)
        report.Line(error);
    if (report.Errors() != 0) {
        RemoveStaleOutput(control);
        return 1;
    }

    Load load(control, report);
    if (!load.ReadInputs()) {
        RemoveStaleOutput(control);
        return 1;
    }
    load.Place();
    if (report.Errors() == 0) {
        load.DefineGlobals();
        load.Relocate();
    }
    const bool ok = report.Errors() == 0 && load.WriteOutput();
    if (!ok)
        RemoveStaleOutput(control);
    load.WriteListing(controlPath, ok && control.output.has_value());
    return ok && report.Errors() == 0 ? 0 : 1;
}
