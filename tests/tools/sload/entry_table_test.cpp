// Entry tables in every form users bring read to the same names and addresses; broken
// tables are refused with the file and line.
#include "EntryTable.h"

#include <gtest/gtest.h>

namespace {

const std::vector<Entry> kExpected = {
    {"DUP", 0x03188}, {"#1+", 0x03DEF}, {"CK&DISPATCH1", 0x18FB2}, {"'", 0x06E97}};

// HP's binary object file: a header record, one code record, then symbol records of six
// 42-byte slots. Unresolved and relocatable symbols sit among the entries, and the
// unresolved one's reference slot spills into the second symbol record.
std::string Saturn3()
{
    struct Symbol
    {
        std::string name;
        unsigned type;
        std::uint32_t value;
    };
    const std::vector<Symbol> symbols = {
        {"DUP", 0x8000, 0x03188},          {"#1+", 0x8000, 0x03DEF}, {"LOCAL", 0xC000, 0x10},
        {"CK&DISPATCH1", 0x8000, 0x18FB2}, {"UNDEF", 0x0000, 0},     {"'", 0x8000, 0x06E97}};
    std::string file(4 * 256, '\0');
    file.replace(0, 7, "Saturn3");
    file[8] = 4;   // records
    file[12] = 10; // code nibbles
    file[14] = static_cast<char>(symbols.size());
    std::size_t slot = 0;
    for (const Symbol& s : symbols) {
        for (int i = 0; i < (s.type & 0x8000 ? 1 : 2); ++i, ++slot) {
            const std::size_t record = 2 + slot / 6;
            file.replace(record * 256, 4, "Symb");
            if (i == 1)
                continue;
            const std::size_t at = record * 256 + 4 + (slot % 6) * 42;
            std::string name = s.name + std::string(36 - s.name.size(), ' ');
            file.replace(at, 36, name);
            file[at + 36] = static_cast<char>(s.type >> 8);
            for (int b = 0; b < 4; ++b)
                file[at + 38 + b] = static_cast<char>(s.value >> (8 * (3 - b)));
        }
    }
    return file;
}

TEST(EntryTable, EveryFormReadsToTheSameEntries)
{
    const std::vector<std::pair<const char*, std::string>> forms = {
        {"our table", "* comment\r\n\r\nDUP  #03188 ; pco\r\n#1+\t#03DEF\r\n"
                      "CK&DISPATCH1 #18FB2\r\n'  #06E97\r\n"},
        {"sasm equates", "=DUP EQU #03188 *\n=#1+  EQU #3DEF * comment\n"
                         "=CK&DISPATCH1 EQU #18FB2\n=' EQU #06E97*\n"},
        {"plain equates", "DUP equ $03188\n#1+ EQU #03DEF\nCK&DISPATCH1 equ $18FB2\n' EQU #6E97"},
        {"tab list", "Entries\n\n03188\tDUP\t( ob --> ob ob )\n03DEF\t#1+\t( # --> #+1 )\n"
                     "  notes ( # --> # )\n18F9D\tCK&DISPATCH1\t( GX: 18FB2 )\n06E97\t'\n"},
        {"saturn3", Saturn3()},
        {"own output", FormatEntryTable(kExpected, "title")},
    };
    for (const auto& [form, text] : forms) {
        std::vector<Entry> entries;
        std::string error;
        ASSERT_TRUE(ParseEntryTable(text, "T", entries, error)) << form << ": " << error;
        ASSERT_EQ(entries.size(), kExpected.size()) << form;
        for (std::size_t i = 0; i < entries.size(); ++i) {
            EXPECT_EQ(entries[i].name, kExpected[i].name) << form;
            EXPECT_EQ(entries[i].address, kExpected[i].address) << form << " " << entries[i].name;
        }
    }
}

TEST(EntryTable, BrokenTablesAreRefusedWithFileAndLine)
{
    const std::string truncated = Saturn3().substr(0, 3 * 256);
    std::string noSymb = Saturn3();
    noSymb[2 * 256] = 'X';
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"A #03188\nB #0318\nA #1", "*** ERROR in \"T\" on line 3: \"A\" was already defined on "
                                    "line 1 with another address"},
        {"A #03188\nB #123456\n", "*** ERROR in \"T\" on line 2: \"#123456\" is not an address "
                                  "of one to five hex digits"},
        {"A #03188\nB C\n", "*** ERROR in \"T\" on line 2: not an entry (expected NAME #hhhhh or "
                            "NAME EQU #hhhhh)"},
        {"A EQU 1234\nB #1", "*** ERROR in \"T\" on line 1: the address must be written #hhhhh or "
                             "$hhhhh"},
        {"A #1 junk\nB #1", "*** ERROR in \"T\" on line 1: unexpected text after the address (a "
                            "comment starts with ';' or '*')"},
        {"* only comments\n", "*** ERROR in \"T\": no entries found (expected lines such as NAME "
                              "#hhhhh, =NAME EQU #hhhhh or hhhhh<TAB>NAME)"},
        {std::string("\x7f"
                     "ELF\0\0",
                     6),
         "*** ERROR in \"T\": neither a text entry table nor an "
         "HP object file (\"Saturn3\")"},
        {truncated, "*** ERROR in \"T\": the HP object file ends inside symbol 6 of 6"},
        {noSymb, "*** ERROR in \"T\": symbol record 2 of the HP object file does not start with "
                 "\"Symb\""},
        {"Saturn3", "*** ERROR in \"T\": the HP object file ends inside its header"},
    };
    for (const auto& [text, message] : cases) {
        std::vector<Entry> entries{{"stale", 1}};
        std::string error;
        EXPECT_FALSE(ParseEntryTable(text, "T", entries, error)) << text;
        EXPECT_EQ(error, message);
        EXPECT_TRUE(entries.empty());
    }
    std::vector<Entry> entries;
    std::string error;
    EXPECT_FALSE(ReadEntryTable("no/such/ENTRIES.O", entries, error));
    EXPECT_EQ(error, "*** ERROR in \"no/such/ENTRIES.O\": cannot open no/such/ENTRIES.O");
}

TEST(EntryTable, BundledTableHoldsTheCheckedEntries)
{
    std::vector<Entry> entries;
    std::string error;
    ASSERT_TRUE(ReadEntryTable(BUNDLED_ENTRIES, entries, error)) << error;
    EXPECT_EQ(entries.size(), 504u);
    const std::vector<Entry> spot = {{"DUP", 0x03188}, {"SEMI", 0x0312B}, {"DOCOL", 0x02D9D}};
    for (const Entry& e : spot) {
        const auto it = std::find_if(entries.begin(), entries.end(),
                                     [&](const Entry& x) { return x.name == e.name; });
        ASSERT_NE(it, entries.end()) << e.name;
        EXPECT_EQ(it->address, e.address) << e.name;
    }
}

} // namespace
