// The SASM statements each construct compiles to, checked against nibbles worked out by
// hand from the object layouts; the error lines of bad sources; and the *#line comments
// that lead each statement back to its source line.
#include "Compiler.h"

#include <gtest/gtest.h>

#include <iomanip>
#include <map>
#include <sstream>

namespace {

const std::map<std::string, std::string> kIncludes = {
    {"inc.s", "* included\nSWAP\n"},
    {"bad.s", "\n:: DUP\n"},
    {"self.s", "INCLUDE self.s\n"},
};

CompileResult Compile(const std::string& source)
{
    return CompileRpl("t.s", source,
                      [](const std::string&, const std::string& name, std::string& path,
                         std::string& text, std::string& reason) {
                          const auto found = kIncludes.find(name);
                          if (found == kIncludes.end()) {
                              reason = "no such file";
                              return false;
                          }
                          path = name;
                          text = found->second;
                          return true;
                      });
}

// The statements of the output, comments left out, blanks squeezed, joined by " | ".
std::string Statements(const std::string& source)
{
    const CompileResult result = Compile(source);
    std::string joined;
    for (const std::string& error : result.errors) {
        joined += error + "\n";
    }
    std::istringstream lines(result.assembly);
    for (std::string line; std::getline(lines, line);) {
        if (line.starts_with('*')) {
            continue;
        }
        std::istringstream words(line);
        std::string squeezed;
        for (std::string word; words >> word;) {
            squeezed += (squeezed.empty() ? "" : " ") + word;
        }
        joined += (joined.empty() ? "" : " | ") + squeezed;
    }
    return joined;
}

TEST(RplCompiler, CompilesEachConstructToItsStatements)
{
    const std::pair<const char*, const char*> cases[] = {
        {"# 1C", "CON(5) =DOBINT | CON(5) #1C"},
        {"28", "CON(5) =DOBINT | CON(5) #1C"},
        {"% 1", "CON(5) =DOREAL | NIBHEX 0000000000000010"},
        {"% -12.5", "CON(5) =DOREAL | NIBHEX 1000000000005219"},
        {"% 0.5", "CON(5) =DOREAL | NIBHEX 9990000000000050"},
        {"% 8.72653549837E-3", "CON(5) =DOREAL | NIBHEX 7997389453562780"},
        {"% 9.9999999999995", "CON(5) =DOREAL | NIBHEX 1000000000000010"},
        {"% -0.00", "CON(5) =DOREAL | NIBHEX 0000000000000000"},
        {"% -1E-499", "CON(5) =DOREAL | NIBHEX 1050000000000019"},
        {"%% 1", "CON(5) =DOEREL | NIBHEX 000000000000000000010"},
        {"%% 1.2345E4", "CON(5) =DOEREL | NIBHEX 400000000000000543210"},
        {"C% 1 -2", "CON(5) =DOCMP | NIBHEX 0000000000000010 | NIBHEX 0000000000000029"},
        {"C%% 1 2", "CON(5) =DOECMP | NIBHEX 000000000000000000010 | NIBHEX 000000000000000000020"},
        {"$ \"AB\"", "CON(5) =DOCSTR | CON(5) #9 | NIBASC \\AB\\"},
        {"\"a\\\\b c\"", "CON(5) =DOCSTR | CON(5) #F | NIBASC /a\\b c/"},
        {"$ \"\\->\\065\\\"x\\n\"", "CON(5) =DOCSTR | CON(5) #F | NIBHEX D8142287A0"},
        {"$ \"\"", "CON(5) =DOCSTR | CON(5) #5"},
        {"CHR A CHR \\pi", "CON(5) =DOCHAR | CON(2) #41 | CON(5) =DOCHAR | CON(2) #87"},
        {"ID name", "CON(5) =DOIDNT | CON(2) #4 | NIBASC \\name\\"},
        {"LAM x", "CON(5) =DOLAM | CON(2) #1 | NIBASC \\x\\"},
        {"TAG t 5", "CON(5) =DOTAG | CON(2) #1 | NIBASC \\t\\ | CON(5) =DOBINT | CON(5) #5"},
        {"HXS 3 008", "CON(5) =DOHSTR | CON(5) #8 | NIBHEX 008"},
        {"HXS A FFF05 a4d8e", "CON(5) =DOHSTR | CON(5) #F | NIBHEX FFF05A4D8E"},
        {"GROB C 1000080000F0", "CON(5) =DOGROB | CON(5) #11 | NIBHEX 1000080000F0"},
        {"ROMPTR 4D2 1", "CON(5) =DOROMP | CON(3) #4D2 | CON(3) #1"},
        {"PTR 03188 ACPTR 1 2", "CON(5) #3188 | CON(5) =DOACPTR | CON(5) #1 | CON(5) #2"},
        {"ARRY [ [ # 1 # 2 ] [ # 3 # 4 ] ]",
         "CON(5) =DOARRY | CON(5) #2D | CON(5) =DOBINT | CON(5) #2 | CON(5) #2 | CON(5) #2 | "
         "CON(5) #1 | CON(5) #2 | CON(5) #3 | CON(5) #4"},
        {"LNKARRY [ $ \"a\" $ \"bc\" ]",
         "CON(5) =DOLNKARRY | CON(5) #2E | CON(5) =DOCSTR | CON(5) #1 | CON(5) #2 | CON(5) #A | "
         "CON(5) #C | CON(5) #7 | NIBASC \\a\\ | CON(5) #9 | NIBASC \\bc\\"},
        {"NIBB 1 8 ' (DO) ( a comment ) %>#", "CON(1) #8 | CON(5) =' | CON(5) =(DO) | CON(5) =%>#"},
        {":: DUP { } ;", "CON(5) =DOCOL | CON(5) =DUP | CON(5) =DOLIST | CON(5) =SEMI | "
                         "CON(5) =SEMI"},
        {"SYMBOL ID A ; UNIT % 1 ;",
         "CON(5) =DOSYMB | CON(5) =DOIDNT | CON(2) #1 | NIBASC \\A\\ | CON(5) =SEMI | "
         "CON(5) =DOEXT | CON(5) =DOREAL | NIBHEX 0000000000000010 | CON(5) =SEMI"},
        // A loop body of several objects becomes one secondary, also inside another body.
        {":: BEGIN A WHILE B C REPEAT ;",
         "CON(5) =DOCOL | CON(5) =BEGIN | CON(5) =A | CON(5) =WHILE | CON(5) =DOCOL | "
         "CON(5) =B | CON(5) =C | CON(5) =SEMI | CON(5) =REPEAT | CON(5) =SEMI"},
        {":: BEGIN A WHILE BEGIN B WHILE C REPEAT REPEAT ;",
         "CON(5) =DOCOL | CON(5) =BEGIN | CON(5) =A | CON(5) =WHILE | CON(5) =DOCOL | "
         "CON(5) =BEGIN | CON(5) =B | CON(5) =WHILE | CON(5) =C | CON(5) =REPEAT | "
         "CON(5) =SEMI | CON(5) =REPEAT | CON(5) =SEMI"},
        {"NULLNAME foo CODE\n GOSBVL =SAVPTR\nENDCODE DUP",
         "=foo CON(5) =DOCODE | REL(5) ENDCODE$1 | GOSBVL =SAVPTR | ENDCODE$1 | CON(5) =DUP"},
        {"ASSEMBLE\n CON(1) 8\nRPL xNAME foo DUP", "CON(1) 8 | =xfoo CON(5) =DUP"},
        {"LOCAL h LABEL h DUP h", "h CON(5) =DUP | CON(5) h"},
        {"DEFINE TWICE DUP DUP\nDEFINE FOUR TWICE TWICE\nFOUR",
         "CON(5) =DUP | CON(5) =DUP | CON(5) =DUP | CON(5) =DUP"},
        {"INCLUDE inc.s\n* comment\n *x", "CON(5) =SWAP | CON(5) =*x"},
        {"TITLE My program\nEJECT", "TITLE My program | EJECT"},
    };
    for (const auto& [source, expected] : cases) {
        EXPECT_EQ(Statements(source), expected) << source;
    }
}

TEST(RplCompiler, ReportsEachErrorWithItsFileAndLine)
{
    const std::pair<const char*, const char*> cases[] = {
        {"\n:: DUP", "t.s\" on line 2: \"::\" is not closed by \";\""},
        {"{\n1 ;", "t.s\" on line 2: \";\" does not close \"{\" opened on line 1"},
        {"DUP\n}", "t.s\" on line 2: \"}\" closes nothing"},
        {"% 1.2.3", "t.s\" on line 1: bad real number: \"1.2.3\" is not a decimal number"},
        {"% 1E500", "t.s\" on line 1: bad real number: \"1E500\" is out of range (exponent "
                    "beyond 499)"},
        {"# 100000", "t.s\" on line 1: # needs a hex value from 0 to FFFFF, not \"100000\""},
        {"1048576", "t.s\" on line 1: the binary integer 1048576 is larger than 1048575"},
        {"$ \"abc", "t.s\" on line 1: the text in quotes is not closed on its line"},
        {"HXS 3 00", "t.s\" on line 1: HXS announces 3 hex digits but 2 follow"},
        {"GROB A 1000080000", "t.s\" on line 1: the GROB data does not match its height and "
                              "width"},
        {"\nINCLUDE missing.s", "t.s\" on line 2: cannot open INCLUDE file \"missing.s\": no "
                                "such file"},
        {"INCLUDE bad.s", "bad.s\" on line 2: \"::\" is not closed by \";\""},
        {"INCLUDE self.s", "self.s\" on line 1: INCLUDE \"self.s\" includes a file that is "
                           "being read"},
        {"DEFINE A B\nDEFINE B A\nA", "t.s\" on line 3: DEFINE recursion: \"A\" is used in its "
                                      "own replacement"},
        {"CODE\n NOP", "t.s\" on line 1: CODE is not closed by ENDCODE"},
        {"( never closed\n", "t.s\" on line 1: the comment \"(\" is not closed by \")\""},
        {"ARRY [ % 1 # 2 ]", "t.s\" on line 1: the array elements are not all of one type"},
        {"LABEL a LABEL a", "t.s\" on line 1: \"a\" is defined twice"},
    };
    for (const auto& [source, expected] : cases) {
        const CompileResult result = Compile(source);
        EXPECT_TRUE(result.assembly.empty()) << source;
        ASSERT_EQ(result.errors.size(), 1u) << source;
        EXPECT_EQ(result.errors.front(), std::string("*** ERROR in \"") + expected) << source;
    }
}

TEST(RplCompiler, ReportsEveryErrorUpToAHundred)
{
    EXPECT_EQ(Compile("% x\n:: ;\n# y").errors.size(), 2u);
    std::string many;
    for (int i = 0; i < 150; ++i) {
        many += "}\n";
    }
    EXPECT_EQ(Compile(many).errors.size(), 100u);
}

// Follows the *#line comments as the assembler does and returns the origin of each
// statement, keyed by its squeezed text.
TEST(RplCompiler, LineCommentsLeadEachStatementBackToItsSource)
{
    const CompileResult result =
        Compile("* header\n::\n  DUP % 2\nINCLUDE inc.s\n  CODE\n    NOP\n  ENDCODE\n;\n");
    std::map<std::string, std::string> origin;
    std::string file = "t.a";
    int line = 0;
    std::istringstream lines(result.assembly);
    for (std::string text; std::getline(lines, text);) {
        text.pop_back(); // CR
        if (text.starts_with("*#line ")) {
            std::istringstream directive(text.substr(7));
            directive >> line >> std::quoted(file);
            continue;
        }
        std::istringstream words(text);
        std::string squeezed;
        for (std::string word; words >> word;) {
            squeezed += (squeezed.empty() ? "" : " ") + word;
        }
        origin[squeezed] = file + ":" + std::to_string(line++);
    }
    EXPECT_EQ(origin["CON(5) =DOCOL"], "t.s:2");
    EXPECT_EQ(origin["CON(5) =DUP"], "t.s:3");
    EXPECT_EQ(origin["NIBHEX 0000000000000020"], "t.s:3");
    EXPECT_EQ(origin["CON(5) =SWAP"], "inc.s:2");
    EXPECT_EQ(origin["CON(5) =DOCODE"], "t.s:5");
    EXPECT_EQ(origin["NOP"], "t.s:6");
    EXPECT_EQ(origin["ENDCODE$1"], "t.s:7");
    EXPECT_EQ(origin["CON(5) =SEMI"], "t.s:8");
}

TEST(RplCompiler, ListsTheNamesLeftForTheLoader)
{
    const CompileResult result = Compile("EXTERNAL Other NULLNAME mine :: DUP mine ;");
    EXPECT_EQ(result.externals, (std::vector<std::string>{"DOCOL", "DUP", "Other", "SEMI"}));
}

} // namespace
