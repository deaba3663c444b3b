// The editor's lexer, bracket matching and completion words, driven without a window.
#include "CompletionWords.h"
#include "SourceLexer.h"
#include "SourceMatch.h"

#include <gtest/gtest.h>

using namespace SourceLexer;

namespace {

const QSet<QString> kEntries = {"DUP", "DROP", "SAVPTR", "#+"};

char Letter(Kind k)
{
    return "pcsnSeLmdf"[int(k)];
}

// Lexes lines from state, showing each span as its kind letter and text, lines
// separated by " | ", then the state the last line leaves.
std::string Render(const QStringList& lines, State state)
{
    std::string out;
    for (const QString& line : lines) {
        std::vector<Token> tokens;
        state = LexLine(line, state, &kEntries, tokens);
        if (!out.empty())
            out += " |";
        for (const Token& t : tokens)
            out += std::string(" ") + Letter(t.kind) + "'" +
                   line.mid(t.start, t.length).toStdString() + "'";
    }
    return out + " -> " + std::to_string(int(state));
}

TEST(SourceLexer, SpansAndStatesAcrossLines)
{
    struct Case
    {
        QStringList lines;
        State state;
        std::string expected;
    };
    const Case cases[] = {
        {{"* DUP is a comment", ":: DUP # 1C % 1.5 ;"},
         kRpl,
         " c'* DUP is a comment' | S'::' e'DUP' n'#' n'1C' n'%' n'1.5' S';' -> 0"},
        {{"$ \"a ( b\" \"q\\\"x\" 12 (DO) #+"},
         kRpl,
         " s'$' s'\"a ( b\"' s'\"q\\\"x\"' n'12' e'#+' -> 0"},
        // A "( ... )" comment and a string, each across two lines.
        {{"DUP ( runs", "on ) DROP $ \"two", "lines\" DUP"},
         kRpl,
         " e'DUP' c'( runs' | c'on )' e'DROP' s'$' s'\"two' | s'lines\"' e'DUP' -> 0"},
        {{"HXS 3 008 C% 1 2 ID foo TAG t DUP"},
         kRpl,
         " n'HXS' n'3' n'008' n'C%' n'1' n'2' n'ID' n'foo' n'TAG' n't' e'DUP' -> 0"},
        {{"DEFINE W+ W #+", "NULLNAME foo :: ;"},
         kRpl,
         " S'DEFINE' L'W+' e'#+' | S'NULLNAME' L'foo' S'::' S';' -> 0"},
        // An ASSEMBLE block: assembly rules until the line that starts with RPL.
        {{"ASSEMBLE", "lbl CON(1) 8 property", " RPL DUP ( x )"},
         kRpl,
         " S'ASSEMBLE' | L'lbl' d'CON(1)' n'8' c'property' | S'RPL' e'DUP' c'( x )' -> 0"},
        // CODE inside a program; its column-1 "*" comments and labels.
        {{":: CODE", "* save", "  GOSBVL =SAVPTR  save", "L1 A=DAT0 A   read it",
          "  NIBASC \\HP 48\\", "  RTN  back", "ENDCODE ;"},
         kRpl,
         " S'::' S'CODE' | c'* save' | m'GOSBVL' e'=SAVPTR' c'save' |"
         " L'L1' m'A=DAT0' f'A' c'read it' | d'NIBASC' s'\\HP 48\\' |"
         " m'RTN' c'back' | S'ENDCODE' S';' -> 0"},
        // An assembly file has no end word: RPL is a label there.
        {{"RPL", "=ENTRY AD0EX swap", "  LCHEX 1F  x", "  D0=(5) #12AB"},
         kAsmFile,
         " L'RPL' | L'=ENTRY' m'AD0EX' c'swap' | m'LCHEX' n'1F' c'x' |"
         " m'D0=(5)' n'#12AB' -> 5"},
        {{"ASSEMBLE", "  CON(5) #2"}, kRpl, " S'ASSEMBLE' | d'CON(5)' n'#2' -> 3"},
        {{"x ( open"}, kRpl, " c'( open' -> 1"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Render(c.lines, c.state), c.expected) << c.lines.join('/').toStdString();
}

// Brackets of every line of text, as the editor keeps them per line.
std::vector<std::vector<SourceMatch::Bracket>> BracketLines(const QStringList& lines)
{
    std::vector<std::vector<SourceMatch::Bracket>> out;
    State state = kRpl;
    for (const QString& line : lines) {
        std::vector<Token> tokens;
        state = LexLine(line, state, nullptr, tokens);
        out.push_back(SourceMatch::BracketsOf(line, tokens));
    }
    return out;
}

TEST(SourceMatch, NestedProgramsListsAndBlocks)
{
    const QStringList text = {
        ":: { DUP } ( ; )", // 0
        "  :: DROP ;",      // 1
        "  CODE",           // 2
        "  RTN ;",          // 3  (the ";" is assembly text)
        "  ENDCODE",        // 4
        "; ;",              // 5  (the second ";" has no partner)
    };
    const auto lines = BracketLines(text);
    const SourceMatch::LineBrackets get = [&](int l) { return &lines[l]; };
    struct Case
    {
        int line, column, partnerLine, partnerColumn;
    };
    const Case cases[] = {
        {0, 0, 5, 0},  {0, 2, 5, 0}, {5, 1, 0, 0}, {0, 3, 0, 9},  {0, 10, 0, 3},
        {1, 3, 1, 10}, {2, 2, 4, 2}, {4, 9, 2, 2}, {5, 2, -1, 0},
    };
    for (const Case& c : cases) {
        const auto m = SourceMatch::FindMatch(int(lines.size()), get, c.line, c.column);
        ASSERT_TRUE(m) << c.line << ":" << c.column;
        EXPECT_EQ(m->partner.line, c.partnerLine) << c.line << ":" << c.column;
        if (c.partnerLine >= 0) {
            EXPECT_EQ(m->partner.column, c.partnerColumn) << c.line << ":" << c.column;
        }
    }
    // Not on a paired word: inside the comment, on DUP, past the end.
    EXPECT_FALSE(SourceMatch::FindMatch(int(lines.size()), get, 0, 13));
    EXPECT_FALSE(SourceMatch::FindMatch(int(lines.size()), get, 0, 6));
    EXPECT_FALSE(SourceMatch::FindMatch(int(lines.size()), get, 9, 0));
}

TEST(CompletionWords, MatchesTooltipsAndWords)
{
    CCompletionWords words;
    words.SetEntries({{"DUP", 0x3188}, {"DUPDUP", 0x36C40}, {"DROP", 0x3244}, {"dup", 1}});
    words.SetFileWords({"DUPLABEL", "DUP"});
    EXPECT_EQ(words.Matches(u"dup"), QStringList({"DUP", "dup", "DUPDUP", "DUPLABEL"}));
    EXPECT_EQ(words.Matches(u"DR"), QStringList({"DROP"}));
    EXPECT_TRUE(words.Matches(u"X").isEmpty());
    EXPECT_EQ(words.ToolTip("DUP"), "DUP = #03188");
    EXPECT_EQ(words.ToolTip("DUPLABEL"), "");
    EXPECT_TRUE(words.EntryNames().contains("DROP"));

    int start = -1;
    EXPECT_EQ(CCompletionWords::WordBefore(u"  GOSBVL =SAVP", 14, &start), u"SAVP");
    EXPECT_EQ(start, 10);
    EXPECT_EQ(CCompletionWords::WordAt(u":: DUPDUP ;", 5, &start), u"DUPDUP");
    EXPECT_EQ(start, 3);
    EXPECT_EQ(CCompletionWords::WordBefore(u"a ", 2), u"");

    QStringList defined;
    std::vector<Token> tokens;
    const QString line = "=GLOBAL EQU 5";
    LexLine(line, kAsmFile, nullptr, tokens);
    CCompletionWords::CollectDefinedNames(line, tokens, defined);
    EXPECT_EQ(defined, QStringList({"GLOBAL"}));
}

} // namespace
