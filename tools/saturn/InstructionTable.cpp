#include "InstructionTable.h"

#include <algorithm>
#include <unordered_map>

namespace saturn {

namespace {

const char kHex[] = "0123456789ABCDEF";

std::string Hex(unsigned nibble)
{
    return std::string(1, kHex[nibble & 15]);
}

class TableBuilder
{
public:
    std::vector<Instruction> rows;

    void Add(std::string mnemonic, Operand operand, std::string nibbles,
             FieldScheme fields = FieldScheme::None, std::uint8_t flags = 0,
             std::uint8_t branchDelta = 0)
    {
        rows.push_back(
            {std::move(mnemonic), operand, std::move(nibbles), fields, flags, branchDelta});
    }
    void Plain(std::string mnemonic, std::string nibbles, std::uint8_t flags = 0)
    {
        Add(std::move(mnemonic), Operand::None, std::move(nibbles), FieldScheme::None, flags);
    }
    // An accepted second spelling of every row already added under `mnemonic`.
    void Alias(const std::string& alias, const std::string& mnemonic)
    {
        const std::size_t count = rows.size();
        for (std::size_t i = 0; i < count; ++i) {
            if (rows[i].mnemonic == mnemonic && !(rows[i].flags & kAlias)) {
                Instruction copy = rows[i];
                copy.mnemonic = alias;
                copy.flags |= kAlias;
                rows.push_back(copy);
            }
        }
    }
};

// "?A>B" -> "?B<A": the same test with its registers written the other way round.
std::string Mirrored(const std::string& test)
{
    const std::size_t op = test.find_first_of("=#<>", 2);
    std::string relation = test.substr(op, test.size() - op - 1);
    if (relation[0] == '<') {
        relation[0] = '>';
    } else if (relation[0] == '>') {
        relation[0] = '<';
    }
    return "?" + test.substr(test.size() - 1) + relation + test.substr(1, 1);
}

void AddGroup0To3(TableBuilder& t)
{
    const char* group0[] = {"RTNSXM", "RTN",   "RTNSC", "RTNCC", "SETHEX", "SETDEC", "RSTK=C",
                            "C=RSTK", "CLRST", "C=ST",  "ST=C",  "CSTEX",  "P=P+1",  "P=P-1"};
    for (unsigned x = 0; x < 14; ++x) {
        t.Plain(group0[x], "0" + Hex(x));
    }
    t.Plain("RTI", "0F");

    const char* logic[] = {"A=A&B", "B=B&C", "C=C&A", "D=D&C", "B=B&A", "C=C&B", "A=A&C", "C=C&D"};
    for (unsigned x = 0; x < 16; ++x) {
        std::string name = logic[x & 7];
        if (x >= 8) {
            name[3] = '!';
        }
        t.Add(name, Operand::Field, "0Ef" + Hex(x), FieldScheme::FCode);
    }
    for (unsigned x = 0; x < 16; ++x) {
        std::string name = logic[x & 7];
        if (x >= 8) {
            name[3] = '!';
        }
        // X=X&Y is also written X=Y&X.
        t.Alias(name.substr(0, 2) + name[4] + name[3] + name[2], name);
    }

    for (unsigned r = 0; r < 13; ++r) {
        if (r > 4 && r < 8) {
            continue;
        }
        const std::string reg = r < 8 ? "A" : "C";
        const std::string scratch = "R" + std::to_string(r & 7);
        t.Plain(scratch + "=" + reg, "10" + Hex(r));
        t.Plain(reg + "=" + scratch, "11" + Hex(r));
        t.Plain(reg + scratch + "EX", "12" + Hex(r));
    }

    const char* pointers[] = {"D0=A",  "D1=A",  "AD0EX", "AD1EX", "D0=C",  "D1=C",
                              "CD0EX", "CD1EX", "D0=AS", "D1=AS", "AD0XS", "AD1XS",
                              "D0=CS", "D1=CS", "CD0XS", "CD1XS"};
    for (unsigned x = 0; x < 16; ++x) {
        t.Plain(pointers[x], "13" + Hex(x));
    }

    const char* data[] = {"DAT0=A", "DAT1=A", "A=DAT0", "A=DAT1",
                          "DAT0=C", "DAT1=C", "C=DAT0", "C=DAT1"};
    for (unsigned x = 0; x < 8; ++x) {
        t.Add(data[x], Operand::Field, "14" + Hex(x), FieldScheme::OnlyA);
        t.Add(data[x], Operand::Field, "14" + Hex(x + 8), FieldScheme::OnlyB);
        t.Add(data[x], Operand::Field, "15" + Hex(x) + "f", FieldScheme::ACode);
        t.Add(data[x], Operand::Count, "15" + Hex(x + 8) + "k");
    }

    t.Add("D0=D0+", Operand::Count, "16k");
    t.Add("D1=D1+", Operand::Count, "17k");
    t.Add("D0=D0-", Operand::Count, "18k");
    t.Add("D1=D1-", Operand::Count, "1Ck");
    for (const char* pointer : {"D0", "D1"}) {
        const bool one = pointer[1] == '1';
        const std::string name = pointer;
        t.Add(name + "=(2)", Operand::Pointer, (one ? "1D" : "19") + std::string("vv"));
        t.Add(name + "=(4)", Operand::Pointer, (one ? "1E" : "1A") + std::string("vvvv"));
        t.Add(name + "=(5)", Operand::Pointer, (one ? "1F" : "1B") + std::string("vvvvv"));
        t.Add(name + "=HEX", Operand::PointerHex, (one ? "1D" : "19") + std::string("vv"),
              FieldScheme::None, kAlias);
        t.Add(name + "=HEX", Operand::PointerHex, (one ? "1E" : "1A") + std::string("vvvv"),
              FieldScheme::None, kAlias);
        t.Add(name + "=HEX", Operand::PointerHex, (one ? "1F" : "1B") + std::string("vvvvv"),
              FieldScheme::None, kAlias);
    }

    t.Add("P=", Operand::Number, "2n");
    t.Add("LC", Operand::LoadConst, "3k");
    t.Add("LCHEX", Operand::LoadHex, "3k");
    t.Add("LCASC", Operand::LoadAscii, "3k");
}

void AddBranches(TableBuilder& t)
{
    t.Plain("RTNC", "400");
    t.Add("GOC", Operand::Branch, "4dd", FieldScheme::None, kNonZeroOffset, 0);
    t.Plain("RTNNC", "500");
    t.Add("GONC", Operand::Branch, "5dd", FieldScheme::None, kNonZeroOffset, 0);
    t.Plain("NOP4", "6300");
    t.Plain("NOP5", "64000");
    t.Add("GOTO", Operand::Branch, "6ddd", FieldScheme::None, 0, 0);
    t.Add("GOSUB", Operand::Branch, "7ddd", FieldScheme::None, 0, 3);
    t.Add("GOYES", Operand::Branch, "dd", FieldScheme::None, kFollowsTest | kNonZeroOffset, 0);
    t.Plain("RTNYES", "00", kFollowsTest);
}

void AddGroup8(TableBuilder& t)
{
    const char* chip[] = {"OUT=CS", "OUT=C",  "A=IN",  "C=IN",  "UNCNFG", "CONFIG",
                          "C=ID",   "SHUTDN", nullptr, "C+P+1", "RESET",  "BUSCC"};
    for (unsigned x = 0; x < 12; ++x) {
        if (chip[x]) {
            t.Plain(chip[x], "80" + Hex(x));
        }
    }
    t.Alias("C=C+P+1", "C+P+1");
    t.Add("C=P", Operand::Number, "80Cn");
    t.Add("P=C", Operand::Number, "80Dn");
    t.Plain("SREQ?", "80E");
    t.Add("CPEX", Operand::Number, "80Fn");

    t.Plain("INTON", "8080");
    t.Plain("RSI", "80810");
    t.Add("LA", Operand::LoadConst, "8082k");
    t.Add("LAHEX", Operand::LoadHex, "8082k");
    t.Add("LAASC", Operand::LoadAscii, "8082k");
    t.Plain("BUSCB", "8083");
    t.Add("ABIT=0", Operand::Number, "8084n");
    t.Add("ABIT=1", Operand::Number, "8085n");
    t.Add("?ABIT=0", Operand::Number, "8086n", FieldScheme::None, kTest);
    t.Add("?ABIT=1", Operand::Number, "8087n", FieldScheme::None, kTest);
    t.Add("CBIT=0", Operand::Number, "8088n");
    t.Add("CBIT=1", Operand::Number, "8089n");
    t.Add("?CBIT=0", Operand::Number, "808An", FieldScheme::None, kTest);
    t.Add("?CBIT=1", Operand::Number, "808Bn", FieldScheme::None, kTest);
    t.Plain("PC=(A)", "808C");
    t.Plain("BUSCD", "808D");
    t.Plain("PC=(C)", "808E");
    t.Plain("INTOFF", "808F");

    const std::string regs = "ABCD";
    for (unsigned x = 0; x < 4; ++x) {
        t.Plain(regs.substr(x, 1) + "SLC", "81" + Hex(x));
        t.Plain(regs.substr(x, 1) + "SRC", "81" + Hex(x + 4));
    }
    for (unsigned x = 0; x < 4; ++x) {
        const std::string r = regs.substr(x, 1);
        t.Add(r + "=" + r + "+CON", Operand::FieldConst, "818f" + Hex(x) + "k", FieldScheme::FCode);
        t.Add(r + "=" + r + "-CON", Operand::FieldConst, "818f" + Hex(x + 8) + "k",
              FieldScheme::FCode);
    }
    // Field W of a ".F" form is the whole-register instruction, which the disassembler
    // prints under its own name.
    for (unsigned x = 0; x < 4; ++x) {
        t.Add(regs.substr(x, 1) + "SRB.F", Operand::Field, "81" + Hex(x + 12), FieldScheme::OnlyW,
              kAlias);
        t.Add(regs.substr(x, 1) + "SRB.F", Operand::Field, "819f" + Hex(x), FieldScheme::FCode);
    }
    for (unsigned r = 0; r < 13; ++r) {
        if (r > 4 && r < 8) {
            continue;
        }
        const std::string reg = r < 8 ? "A" : "C";
        const std::string scratch = "R" + std::to_string(r & 7);
        const std::string names[] = {scratch + "=" + reg, reg + "=" + scratch,
                                     reg + scratch + "EX"};
        for (unsigned o = 0; o < 3; ++o) {
            t.Add(names[o] + ".F", Operand::Field, "1" + Hex(o) + Hex(r), FieldScheme::OnlyW,
                  kAlias);
            t.Add(names[o] + ".F", Operand::Field, "81Af" + Hex(o) + Hex(r), FieldScheme::FCode);
        }
    }
    const char* pc[] = {"PC=A", "PC=C", "A=PC", "C=PC", "APCEX", "CPCEX"};
    for (unsigned x = 0; x < 6; ++x) {
        t.Plain(pc[x], "81B" + Hex(x + 2));
    }
    for (unsigned x = 0; x < 4; ++x) {
        t.Plain(regs.substr(x, 1) + "SRB", "81" + Hex(x + 12));
    }

    t.Plain("NOP3", "820");
    const char* status[] = {"XM", "SB", "SR", "MP"};
    for (unsigned bit = 0; bit < 4; ++bit) {
        t.Plain(std::string(status[bit]) + "=0", "82" + Hex(1u << bit));
    }
    t.Plain("CLRHST", "82F");
    t.Add("HS=0", Operand::Number, "82n");
    for (unsigned bit = 0; bit < 4; ++bit) {
        t.Plain("?" + std::string(status[bit]) + "=0", "83" + Hex(1u << bit), kTest);
    }
    t.Add("?HS=0", Operand::Number, "83n", FieldScheme::None, kTest);
    t.Add("ST=0", Operand::Number, "84n");
    t.Add("ST=1", Operand::Number, "85n");
    t.Add("?ST=0", Operand::Number, "86n", FieldScheme::None, kTest);
    t.Add("?ST=1", Operand::Number, "87n", FieldScheme::None, kTest);
    t.Alias("?ST#1", "?ST=0");
    t.Alias("?ST#0", "?ST=1");
    t.Add("?P#", Operand::Number, "88n", FieldScheme::None, kTest);
    t.Add("?P=", Operand::Number, "89n", FieldScheme::None, kTest);

    const char* equality[] = {"?A=B", "?B=C", "?A=C", "?C=D", "?A#B", "?B#C", "?A#C", "?C#D",
                              "?A=0", "?B=0", "?C=0", "?D=0", "?A#0", "?B#0", "?C#0", "?D#0"};
    const char* order[] = {"?A>B",  "?B>C",  "?C>A",  "?D>C",  "?A<B",  "?B<C",  "?C<A",  "?D<C",
                           "?A>=B", "?B>=C", "?C>=A", "?D>=C", "?A<=B", "?B<=C", "?C<=A", "?D<=C"};
    for (unsigned x = 0; x < 16; ++x) {
        t.Add(equality[x], Operand::Field, "8A" + Hex(x), FieldScheme::OnlyA, kTest);
        t.Add(equality[x], Operand::Field, "9f" + Hex(x), FieldScheme::ACode, kTest);
    }
    for (unsigned x = 0; x < 16; ++x) {
        t.Add(order[x], Operand::Field, "8B" + Hex(x), FieldScheme::OnlyA, kTest);
        t.Add(order[x], Operand::Field, "9f" + Hex(x), FieldScheme::ACode8, kTest);
    }
    for (unsigned x = 0; x < 16; ++x) {
        if (x < 8) {
            t.Alias(Mirrored(equality[x]), equality[x]);
        }
        t.Alias(Mirrored(order[x]), order[x]);
    }

    t.Add("GOLONG", Operand::Branch, "8Cdddd", FieldScheme::None, 0, 0);
    t.Add("GOVLNG", Operand::Absolute, "8Daaaaa");
    t.Add("GOSUBL", Operand::Branch, "8Edddd", FieldScheme::None, 0, 4);
    t.Add("GOSBVL", Operand::Absolute, "8Faaaaa");
}

void AddArithmetic(TableBuilder& t)
{
    const char* aa[] = {"A=A+B", "B=B+C", "C=C+A", "D=D+C", "A=A+A", "B=B+B", "C=C+C", "D=D+D",
                        "B=B+A", "C=C+B", "A=A+C", "C=C+D", "A=A-1", "B=B-1", "C=C-1", "D=D-1"};
    const char* ab[] = {"A=0", "B=0", "C=0", "D=0", "A=B",  "B=C",  "C=A",  "D=C",
                        "B=A", "C=B", "A=C", "C=D", "ABEX", "BCEX", "ACEX", "CDEX"};
    const char* ba[] = {"A=A-B", "B=B-C", "C=C-A", "D=D-C", "A=A+1", "B=B+1", "C=C+1", "D=D+1",
                        "B=B-A", "C=C-B", "A=A-C", "C=C-D", "A=B-A", "B=C-B", "C=A-C", "D=C-D"};
    const char* bb[] = {"ASL",  "BSL",  "CSL",  "DSL",  "ASR",    "BSR",    "CSR",    "DSR",
                        "A=-A", "B=-B", "C=-C", "D=-D", "A=-A-1", "B=-B-1", "C=-C-1", "D=-D-1"};
    const struct
    {
        const char* const* names;
        char shortForm;
        char group;
        FieldScheme scheme;
    } tables[] = {{aa, 'C', 'A', FieldScheme::ACode},
                  {ab, 'D', 'A', FieldScheme::ACode8},
                  {ba, 'E', 'B', FieldScheme::ACode},
                  {bb, 'F', 'B', FieldScheme::ACode8}};
    for (const auto& table : tables) {
        for (unsigned x = 0; x < 16; ++x) {
            t.Add(table.names[x], Operand::Field, std::string(1, table.shortForm) + Hex(x),
                  FieldScheme::OnlyA);
            t.Add(table.names[x], Operand::Field, std::string(1, table.group) + "f" + Hex(x),
                  table.scheme);
        }
    }
    // X=X+Y is also written X=Y+X.
    for (const char* name : aa) {
        const std::string sum = name;
        if (sum[4] != '1' && sum[2] != sum[4]) {
            t.Alias(sum.substr(0, 2) + sum[4] + "+" + sum[2], sum);
        }
    }
    t.Alias("BAEX", "ABEX");
    t.Alias("CBEX", "BCEX");
    t.Alias("CAEX", "ACEX");
    t.Alias("DCEX", "CDEX");
}

std::vector<Instruction> BuildTable()
{
    TableBuilder t;
    AddGroup0To3(t);
    AddBranches(t);
    AddGroup8(t);
    AddArithmetic(t);
    return std::move(t.rows);
}

} // namespace

std::size_t Instruction::VariableCount(char letter) const
{
    return static_cast<std::size_t>(std::count(nibbles.begin(), nibbles.end(), letter));
}

std::optional<unsigned> FieldCode(std::string_view name)
{
    for (unsigned code = 0; code < 8; ++code) {
        if (kFieldNames[code] == name) {
            return code;
        }
    }
    if (name == "A") {
        return 8u;
    }
    return std::nullopt;
}

std::optional<unsigned> FieldNibble(FieldScheme scheme, unsigned field)
{
    switch (scheme) {
    case FieldScheme::ACode:
        return field < 8 ? std::optional<unsigned>(field) : std::nullopt;
    case FieldScheme::ACode8:
        return field < 8 ? std::optional<unsigned>(field + 8) : std::nullopt;
    case FieldScheme::FCode:
        return field < 8 ? field : 15u;
    case FieldScheme::OnlyA:
        return field == 8 ? std::optional<unsigned>(0) : std::nullopt;
    case FieldScheme::OnlyB:
        return field == 6 ? std::optional<unsigned>(0) : std::nullopt;
    case FieldScheme::OnlyW:
        return field == 7 ? std::optional<unsigned>(0) : std::nullopt;
    case FieldScheme::None:
        break;
    }
    return std::nullopt;
}

std::optional<unsigned> FieldFromNibble(FieldScheme scheme, unsigned nibble)
{
    switch (scheme) {
    case FieldScheme::ACode:
        return nibble < 8 ? std::optional<unsigned>(nibble) : std::nullopt;
    case FieldScheme::ACode8:
        return nibble >= 8 ? std::optional<unsigned>(nibble - 8) : std::nullopt;
    case FieldScheme::FCode:
        if (nibble < 8) {
            return nibble;
        }
        return nibble == 15 ? std::optional<unsigned>(8) : std::nullopt;
    case FieldScheme::OnlyA:
        return 8u;
    case FieldScheme::OnlyB:
        return 6u;
    case FieldScheme::OnlyW:
        return 7u;
    case FieldScheme::None:
        break;
    }
    return std::nullopt;
}

std::string_view FieldName(unsigned field)
{
    return field < 8 ? kFieldNames[field] : std::string_view("A");
}

const std::vector<Instruction>& InstructionTable()
{
    static const std::vector<Instruction> table = BuildTable();
    return table;
}

const std::vector<const Instruction*>& RowsFor(std::string_view mnemonic)
{
    static const auto index = [] {
        std::unordered_map<std::string_view, std::vector<const Instruction*>> map;
        for (const Instruction& row : InstructionTable()) {
            map[row.mnemonic].push_back(&row);
        }
        return map;
    }();
    static const std::vector<const Instruction*> none;
    const auto found = index.find(mnemonic);
    return found == index.end() ? none : found->second;
}

std::string OpcodeListing()
{
    const auto operandText = [](const Instruction& row) -> std::string {
        switch (row.operand) {
        case Operand::None:
            return "-";
        case Operand::Field:
            switch (row.fields) {
            case FieldScheme::OnlyA:
                return "A";
            case FieldScheme::OnlyB:
                return "B";
            case FieldScheme::OnlyW:
                return "W";
            case FieldScheme::FCode:
                return "field";
            default:
                return "field(not A)";
            }
        case Operand::FieldConst:
            return "field,1..16";
        case Operand::Number:
            return "0..15";
        case Operand::Count:
            return "1..16";
        case Operand::Branch:
            return "label";
        case Operand::Absolute:
            return "address";
        case Operand::Pointer:
            return "expr";
        case Operand::PointerHex:
            return std::to_string(row.VariableCount('v')) + " hex digits";
        case Operand::LoadConst:
            return "(1..16) expr";
        case Operand::LoadHex:
            return "1..16 hex digits";
        case Operand::LoadAscii:
            return "\\1..8 chars\\";
        }
        return "?";
    };
    const auto schemeText = [](const Instruction& row) -> std::string {
        switch (row.fields) {
        case FieldScheme::ACode:
            return "f=a-code";
        case FieldScheme::ACode8:
            return "f=a-code+8";
        case FieldScheme::FCode:
            return "f=f-code";
        default:
            return "";
        }
    };
    std::string out;
    out += "* SASM.OPC: the Saturn instruction table of Velmora's sasm.\r\n"
           "* Generated from the table the assembler and disassembler use; do not edit.\r\n"
           "* Nibbles in memory order: hex digits are fixed; f field code, n number,\r\n"
           "* k count-1, d relative offset, a absolute address, v value, all least\r\n"
           "* significant nibble first. Flags: T test (GOYES/RTNYES follows), Y follows a\r\n"
           "* test, S spelling accepted but never printed by the disassembler.\r\n"
           "*\r\n"
           "* mnemonic   operand          nibbles    field code   flags\r\n";
    for (const Instruction& row : InstructionTable()) {
        std::string line = row.mnemonic;
        line.resize(std::max<std::size_t>(line.size() + 1, 13), ' ');
        line += operandText(row);
        line.resize(std::max<std::size_t>(line.size() + 1, 30), ' ');
        line += row.nibbles;
        if (row.operand == Operand::LoadConst || row.operand == Operand::LoadHex ||
            row.operand == Operand::LoadAscii) {
            line += "v..";
        }
        line.resize(std::max<std::size_t>(line.size() + 1, 41), ' ');
        line += schemeText(row);
        line.resize(std::max<std::size_t>(line.size() + 1, 54), ' ');
        if (row.flags & kTest) {
            line += 'T';
        }
        if (row.flags & kFollowsTest) {
            line += 'Y';
        }
        if (row.flags & kAlias) {
            line += 'S';
        }
        while (!line.empty() && line.back() == ' ') {
            line.pop_back();
        }
        out += line + "\r\n";
    }
    return out;
}

} // namespace saturn
