#include "Disassembler.h"

#include "InstructionTable.h"

#include <algorithm>
#include <array>
#include <map>
#include <set>

namespace sasm {

namespace {

using saturn::Instruction;
using saturn::Operand;

const char kHex[] = "0123456789ABCDEF";

std::string HexDigits(std::uint64_t value, unsigned digits)
{
    std::string out(digits, '0');
    for (unsigned i = digits; i-- > 0;) {
        out[i] = kHex[value & 15];
        value >>= 4;
    }
    return out;
}

std::string Signed(std::int64_t value)
{
    return value < 0 ? "-" + std::to_string(-value) : "+" + std::to_string(value);
}

// One decoded instruction.
struct Decoded
{
    const Instruction* row = nullptr;
    std::uint32_t size = 0;
    unsigned field = 0;
    std::uint64_t number = 0; // n, k+1, or the d / a / v value
    unsigned valueStart = 0;  // first nibble of the d / a / v value (or of LC's value)
    unsigned valueWidth = 0;
};

// Rows the disassembler may print, by the first nibble of their template.
const std::array<std::vector<const Instruction*>, 16>& Candidates()
{
    static const auto table = [] {
        std::array<std::vector<const Instruction*>, 16> byFirst;
        for (const Instruction& row : saturn::InstructionTable()) {
            if ((row.flags & (saturn::kAlias | saturn::kFollowsTest)) ||
                row.operand == Operand::LoadHex || row.operand == Operand::LoadAscii) {
                continue;
            }
            const char first = row.nibbles[0];
            const int nibble = first <= '9' ? first - '0' : first - 'A' + 10;
            byFirst[static_cast<std::size_t>(nibble)].push_back(&row);
        }
        return byFirst;
    }();
    return table;
}

std::size_t FixedCount(const Instruction& row)
{
    return static_cast<std::size_t>(
        std::count_if(row.nibbles.begin(), row.nibbles.end(),
                      [](char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); }));
}

// Matches one row at `pos`; `read` tells how many nibbles were examined on failure.
bool Match(const Instruction& row, const std::vector<std::uint8_t>& code, std::size_t pos,
           Decoded& out, std::size_t& read)
{
    out = Decoded();
    out.row = &row;
    const std::string& t = row.nibbles;
    for (std::size_t i = 0; i < t.size(); ++i) {
        read = i + 1;
        if (pos + i >= code.size()) {
            return false;
        }
        const unsigned nibble = code[pos + i];
        const char c = t[i];
        if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F')) {
            if (static_cast<unsigned>(c <= '9' ? c - '0' : c - 'A' + 10) != nibble) {
                return false;
            }
        } else if (c == 'f') {
            const auto field = saturn::FieldFromNibble(row.fields, nibble);
            if (!field) {
                return false;
            }
            out.field = *field;
        } else if (c == 'n') {
            out.number = nibble;
        } else if (c == 'k') {
            out.number = nibble + 1;
        } else {
            if (out.valueWidth == 0) {
                out.valueStart = static_cast<unsigned>(i);
            }
            out.number |= static_cast<std::uint64_t>(nibble) << (4 * out.valueWidth++);
        }
    }
    if ((row.operand == Operand::Field || row.operand == Operand::FieldConst) &&
        t.find('f') == std::string::npos) {
        out.field = *saturn::FieldFromNibble(row.fields, 0); // a short form for one field
    }
    out.size = static_cast<std::uint32_t>(t.size());
    if (row.operand == Operand::LoadConst) {
        // The count nibble is followed by that many value nibbles.
        const auto count = static_cast<unsigned>(out.number);
        if (pos + t.size() + count > code.size()) {
            read = code.size() - pos;
            return false;
        }
        out.valueStart = static_cast<unsigned>(t.size());
        out.valueWidth = count;
        out.number = 0;
        for (unsigned i = 0; i < count && i < 16; ++i) {
            out.number |= static_cast<std::uint64_t>(code[pos + t.size() + i]) << (4 * i);
        }
        out.size += count;
    }
    if (row.flags & saturn::kTest) {
        // The GOYES / RTNYES field belongs to the test.
        if (pos + out.size + 2 > code.size()) {
            read = code.size() - pos;
            return false;
        }
        out.size += 2;
    }
    return true;
}

// Whether the assembler, given this row's mnemonic and field, picks this very row.
bool AssemblerChooses(const Decoded& decoded)
{
    if (decoded.row->operand != Operand::Field) {
        return true;
    }
    for (const Instruction* row : saturn::RowsFor(decoded.row->mnemonic)) {
        if (row->operand == Operand::Field && saturn::FieldNibble(row->fields, decoded.field)) {
            return row == decoded.row;
        }
    }
    return false;
}

struct Line
{
    std::uint32_t address = 0;
    std::string opcode;
    std::string modifier;
    std::string comment;
};

class Printer
{
public:
    explicit Printer(const DisassemblyInput& input) : m_input(input)
    {
        for (const saturn::ObjectSymbol& symbol : input.symbols) {
            const std::string name = (symbol.global ? "=" : "") + symbol.name;
            if (!UsableAsLabel(symbol.name)) {
                continue; // a name that source cannot spell as a label
            }
            if (symbol.relocatable) {
                m_labels[static_cast<std::uint32_t>(symbol.value)].push_back(name);
                m_sync.insert(static_cast<std::uint32_t>(symbol.value));
            } else {
                // Appended piece by piece: GCC 12 at -O3 takes "#" + string for an
                // overlapping copy and warns.
                std::string equate = name + " EQU ";
                if (symbol.value < 0) {
                    equate += std::to_string(symbol.value);
                } else {
                    equate += '#';
                    equate += HexDigits(static_cast<std::uint64_t>(symbol.value),
                                        symbol.value < 0x100000 ? 5 : 16);
                }
                m_equates.push_back(std::move(equate));
            }
        }
        for (const saturn::Relocation& relocation : input.relocations) {
            m_relocations.emplace(relocation.offset, &relocation);
            m_sync.insert(relocation.offset);
            m_sync.insert(relocation.offset + relocation.width);
        }
    }

    std::string Run()
    {
        const std::vector<std::uint8_t>& code = m_input.code;
        std::uint32_t pos = 0;
        while (pos < code.size()) {
            pos += Statement(pos);
        }
        NameTargets();
        std::string out;
        for (const std::string& equate : m_equates) {
            out += equate + "\r\n";
        }
        if (!m_input.header.empty()) {
            out += "        NIBASC  \\" + m_input.header + "\\\r\n";
        }
        for (const Line& line : m_lines) {
            std::string label;
            const auto labels = m_labels.find(line.address);
            if (labels != m_labels.end()) {
                for (std::size_t i = 0; i + 1 < labels->second.size(); ++i) {
                    out += labels->second[i] + "\r\n";
                }
                label = labels->second.back();
                if (label.size() >= 8) {
                    out += label + "\r\n";
                    label.clear();
                }
                m_labels.erase(labels);
            }
            std::string text = label;
            text.resize(8, ' ');
            text += line.opcode;
            if (!line.modifier.empty()) {
                text.resize(std::max<std::size_t>(text.size() + 1, 16), ' ');
                text += Resolve(line.modifier, line.address);
            }
            if (!line.comment.empty()) {
                text += "  " + line.comment;
            }
            out += text + "\r\n";
        }
        // Labels at the end of the code (or past it) stand alone.
        for (const auto& [address, names] : m_labels) {
            for (const std::string& name : names) {
                out += name + "\r\n";
            }
            (void)address;
        }
        return out;
    }

private:
    // Names that would read as a comment, an anonymous label, a number or an
    // expression are left out.
    static bool UsableAsLabel(const std::string& name)
    {
        return !name.empty() && name[0] != '*' && name[0] != '=' && name[0] != '#' &&
               !(name[0] >= '0' && name[0] <= '9') &&
               name.find_first_of("()") == std::string::npos &&
               name.find_first_not_of("+-") != std::string::npos;
    }
    static std::string GeneratedLabel(std::uint32_t address)
    {
        std::string label(1, 'L');
        label += HexDigits(address, 5);
        return label;
    }

    // Branch targets are written as "@<address>" until the labels are known.
    std::string Resolve(const std::string& modifier, std::uint32_t address) const
    {
        if (modifier.empty() || modifier[0] != '@') {
            return modifier;
        }
        const auto target = static_cast<std::uint32_t>(std::stoul(modifier.substr(1)));
        if (m_starts.count(target)) {
            const auto labels = m_labelsForTargets.find(target);
            if (labels != m_labelsForTargets.end()) {
                return labels->second;
            }
        }
        return "(*)" + Signed(static_cast<std::int64_t>(target) - address);
    }

    void Emit(std::uint32_t address, std::string opcode, std::string modifier = "",
              std::string comment = "")
    {
        m_starts.insert(address);
        m_lines.push_back({address, std::move(opcode), std::move(modifier), std::move(comment)});
    }

    std::uint32_t NextSync(std::uint32_t pos) const
    {
        const auto next = m_sync.upper_bound(pos);
        return next == m_sync.end() ? static_cast<std::uint32_t>(m_input.code.size())
                                    : std::min<std::uint32_t>(
                                          *next, static_cast<std::uint32_t>(m_input.code.size()));
    }

    // The expression that reproduces a relocated field. `delta` is the distance from the
    // field to the point a branch counts from.
    std::string RelocationText(const saturn::Relocation& relocation, std::uint32_t statement,
                               unsigned delta) const
    {
        const std::int64_t addend = relocation.addend + (relocation.relative ? delta : 0);
        switch (relocation.base) {
        case saturn::RelocationBase::Symbol:
            return addend == 0 ? "=" + relocation.symbol
                               : "(=" + relocation.symbol + ")" + Signed(addend);
        case saturn::RelocationBase::Module:
            return "(*)" + Signed(addend - statement);
        case saturn::RelocationBase::Address:
            break;
        }
        return addend < 0 ? "-" + std::to_string(-addend)
                          : "#" + HexDigits(static_cast<std::uint64_t>(addend), 5);
    }

    // Prints the statement at `pos`; returns its size.
    std::uint32_t Statement(std::uint32_t pos)
    {
        const std::vector<std::uint8_t>& code = m_input.code;
        const auto relocation = m_relocations.find(pos);
        if (relocation != m_relocations.end() && pos + relocation->second->width <= code.size()) {
            const saturn::Relocation& r = *relocation->second;
            Emit(pos, (r.relative ? "REL(" : "CON(") + std::to_string(r.width) + ")",
                 RelocationText(r, pos, 0));
            return r.width;
        }
        const std::uint32_t limit = NextSync(pos);
        Decoded best;
        std::size_t bestFixed = 0;
        std::size_t furthest = 1;
        for (const Instruction* row : Candidates()[code[pos]]) {
            Decoded decoded;
            std::size_t read = 0;
            if (!Match(*row, code, pos, decoded, read)) {
                furthest = std::max(furthest, read);
                continue;
            }
            const std::size_t fixed = FixedCount(*row);
            if (!best.row || fixed > bestFixed) {
                best = decoded;
                bestFixed = fixed;
            }
        }
        // An instruction may run over a relocated field only when that field is its own
        // operand; it never runs over a label.
        const saturn::Relocation* operandRelocation = nullptr;
        if (best.row && pos + best.size > limit) {
            const auto inside = m_relocations.find(pos + best.valueStart);
            const bool ownOperand = inside != m_relocations.end() && best.valueWidth > 0 &&
                                    inside->second->width == best.valueWidth &&
                                    NextSync(inside->first) == inside->first + best.valueWidth &&
                                    pos + best.size <= NextSync(inside->first) &&
                                    !LabelInside(pos, pos + best.size);
            if (ownOperand) {
                operandRelocation = inside->second;
            } else {
                best.row = nullptr;
                furthest = limit - pos;
            }
        }
        if (!best.row || !AssemblerChooses(best)) {
            const std::uint32_t count = static_cast<std::uint32_t>(
                std::min<std::size_t>({furthest, limit - pos, code.size() - pos}));
            std::string digits;
            for (std::uint32_t i = 0; i < count; ++i) {
                digits += kHex[code[pos + i]];
            }
            Emit(pos, "NIBHEX", digits,
                 best.row ? best.row->mnemonic + " " + std::string(saturn::FieldName(best.field)) +
                                ", a form sasm does not choose"
                          : "");
            return std::max<std::uint32_t>(count, 1);
        }
        Print(pos, best, operandRelocation);
        return best.size;
    }

    bool LabelInside(std::uint32_t from, std::uint32_t to) const
    {
        const auto label = m_labels.upper_bound(from);
        return label != m_labels.end() && label->first < to;
    }

    void Print(std::uint32_t pos, const Decoded& d, const saturn::Relocation* relocation)
    {
        const Instruction& row = *d.row;
        const auto target = [&](std::int64_t offset, unsigned width, unsigned delta) {
            // Sign-extend the offset field and count from the branch's base.
            const std::int64_t span = std::int64_t{1} << (4 * width);
            if (offset >= span / 2) {
                offset -= span;
            }
            const std::int64_t address = pos + d.valueStart + delta + offset;
            if (address < 0 || address > static_cast<std::int64_t>(m_input.code.size())) {
                return "(*)" + Signed(address - pos);
            }
            m_targets.insert(static_cast<std::uint32_t>(address));
            return "@" + std::to_string(address);
        };
        std::string modifier;
        switch (row.operand) {
        case Operand::None:
            break;
        case Operand::Field:
            modifier = saturn::FieldName(d.field);
            break;
        case Operand::FieldConst:
            modifier = std::string(saturn::FieldName(d.field)) + "," + std::to_string(d.number);
            break;
        case Operand::Number:
        case Operand::Count:
            modifier = std::to_string(d.number);
            break;
        case Operand::Branch:
            modifier = relocation ? RelocationText(*relocation, pos, row.branchDelta)
                                  : target(static_cast<std::int64_t>(d.number), d.valueWidth,
                                           row.branchDelta);
            break;
        case Operand::Absolute:
        case Operand::Pointer:
            modifier = relocation ? RelocationText(*relocation, pos, 0)
                                  : "#" + HexDigits(d.number, d.valueWidth);
            break;
        case Operand::LoadConst:
            if (relocation) {
                Emit(pos, row.mnemonic + "(" + std::to_string(d.valueWidth) + ")",
                     RelocationText(*relocation, pos, 0));
                return;
            }
            if (d.valueWidth > 8) {
                std::string digits;
                for (unsigned i = d.valueWidth; i-- > 0;) {
                    digits += kHex[m_input.code[pos + d.valueStart + i]];
                }
                Emit(pos, row.mnemonic + "HEX", digits);
                return;
            }
            Emit(pos, row.mnemonic + "(" + std::to_string(d.valueWidth) + ")",
                 "#" + HexDigits(d.number, d.valueWidth));
            return;
        default:
            break;
        }
        Emit(pos, row.mnemonic, modifier);
        if (row.flags & saturn::kTest) {
            const std::uint32_t yes = pos + static_cast<std::uint32_t>(d.size) - 2;
            const auto yesRelocation = m_relocations.find(yes);
            if (yesRelocation != m_relocations.end()) {
                Emit(yes, "GOYES", RelocationText(*yesRelocation->second, yes, 0));
                return;
            }
            const unsigned offset = m_input.code[yes] | (m_input.code[yes + 1] << 4);
            if (offset == 0) {
                Emit(yes, "RTNYES");
            } else {
                const std::int64_t signedOffset =
                    offset >= 128 ? std::int64_t{offset} - 256 : offset;
                const std::int64_t address = yes + signedOffset;
                if (address < 0 || address > static_cast<std::int64_t>(m_input.code.size())) {
                    Emit(yes, "GOYES", "(*)" + Signed(signedOffset));
                } else {
                    m_targets.insert(static_cast<std::uint32_t>(address));
                    Emit(yes, "GOYES", "@" + std::to_string(address));
                }
            }
        }
    }

    // Branch targets that start a statement get a label, their own or a generated one.
    void NameTargets()
    {
        for (const std::uint32_t target : m_targets) {
            if (!m_starts.count(target)) {
                continue;
            }
            auto& names = m_labels[target];
            if (names.empty()) {
                names.push_back(GeneratedLabel(target));
            }
            m_labelsForTargets[target] = names.back();
        }
    }

    const DisassemblyInput& m_input;
    std::vector<Line> m_lines;
    std::map<std::uint32_t, std::vector<std::string>> m_labels;
    std::map<std::uint32_t, std::string> m_labelsForTargets;
    std::multimap<std::uint32_t, const saturn::Relocation*> m_relocations;
    std::set<std::uint32_t> m_sync;
    std::set<std::uint32_t> m_targets;
    std::set<std::uint32_t> m_starts;
    std::vector<std::string> m_equates;
};

} // namespace

std::string Disassemble(const DisassemblyInput& input)
{
    Printer printer(input);
    return printer.Run();
}

bool ReadDisassemblyInput(const std::string& bytes, DisassemblyInput& input, std::string& error)
{
    input = DisassemblyInput();
    if (bytes.compare(0, 15, "SATURN OBJECT 1") == 0) {
        saturn::ObjectModule module;
        if (!saturn::ParseObject(bytes, module, error)) {
            return false;
        }
        input.code = std::move(module.code);
        input.symbols = std::move(module.symbols);
        input.relocations = std::move(module.relocations);
        return true;
    }
    if (bytes.compare(0, 6, "HPHP48") == 0) {
        if (bytes.size() < 8) {
            error = "download file shorter than its header";
            return false;
        }
        input.header = bytes.substr(0, 8);
        if (input.header.find('\\') != std::string::npos ||
            std::any_of(input.header.begin(), input.header.end(),
                        [](char c) { return static_cast<unsigned char>(c) < 0x20; })) {
            error = "download file header holds unusual characters";
            return false;
        }
        for (std::size_t i = 8; i < bytes.size(); ++i) {
            const auto byte = static_cast<unsigned char>(bytes[i]);
            input.code.push_back(byte & 15);
            input.code.push_back(static_cast<std::uint8_t>(byte >> 4));
        }
        return true;
    }
    for (const char c : bytes) {
        if (c >= '0' && c <= '9') {
            input.code.push_back(static_cast<std::uint8_t>(c - '0'));
        } else if ((c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f')) {
            input.code.push_back(static_cast<std::uint8_t>((c | 0x20) - 'a' + 10));
        } else if (c != ' ' && c != '\t' && c != '\r' && c != '\n') {
            error = "not a Saturn object, a download file or hex text";
            return false;
        }
    }
    return true;
}

} // namespace sasm
