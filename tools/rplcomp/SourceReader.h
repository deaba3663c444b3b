// The token stream of an RPL source: blanks separate tokens, a '*' in column 1 starts a
// comment line, a "(" token starts a comment that ends at the first ')'. The reader also
// carries out the two textual directives, DEFINE (a name that later stands for the rest
// of its line) and INCLUDE (another source file read in place), so the parser sees one
// stream of tokens, each with the file and line it came from.
#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// Where a token or an output line came from: an index into the reader's file names and a
// line number counted from 1.
struct Origin
{
    int file = 0;
    int line = 0;
};

// The error lines of one compilation, in the order found, at most kMaxErrors of them.
class Diagnostics
{
public:
    static constexpr std::size_t kMaxErrors = 100;

    explicit Diagnostics(const std::vector<std::string>& fileNames) : m_fileNames(fileNames) {}
    void Add(Origin at, const std::string& text);
    bool Full() const { return m_lines.size() >= kMaxErrors; }
    const std::vector<std::string>& Lines() const { return m_lines; }

private:
    const std::vector<std::string>& m_fileNames;
    std::vector<std::string> m_lines;
};

struct Token
{
    std::string text; // as written; for a quoted token the text between the quotes
    Origin at;
    bool quoted = false;
    bool end = false; // no more tokens
};

// Finds and reads a file named by INCLUDE. includer is the name of the file holding the
// directive. On success stores the name to report for the file (the path it was opened
// under) and its text; on failure returns false with the reason.
using IncludeReader =
    std::function<bool(const std::string& includer, const std::string& name, std::string& path,
                       std::string& text, std::string& reason)>;

class SourceReader
{
public:
    SourceReader(const std::string& fileName, std::string text, IncludeReader include,
                 std::vector<std::string>& fileNames, Diagnostics& diagnostics);

    // The next token, after comments, directives and DEFINE replacements. Returns a token
    // with end set at the end of the main file, or once the error limit is reached.
    Token Next();
    // Makes token the next one that Next returns.
    void Unget(Token token);
    // Line mode for embedded assembly: the rest of the current line (when not blank) and
    // every following line of the same file, up to a line whose first word is terminator;
    // reading continues after that word. Returns false when the file ends first.
    bool ReadLines(std::string_view terminator, std::vector<std::pair<std::string, Origin>>& lines);
    // The rest of the current line without surrounding blanks.
    std::string RestOfLine();

private:
    struct MacroUse;
    struct Source
    {
        std::string text;
        std::size_t pos = 0;
        int file = 0;
        int line = 1; // a DEFINE replacement keeps the line of the name it replaces
        std::shared_ptr<const MacroUse> macros; // replacements this source is part of
        bool IsMacro() const { return macros != nullptr; }
    };

    void Include(Origin at);
    void Define(Origin at);
    bool Expand(const Token& token);

    std::vector<Source> m_stack;
    std::vector<Token> m_ungot;
    std::map<std::string, std::string, std::less<>> m_defines;
    std::size_t m_expansions = 0;
    IncludeReader m_include;
    std::vector<std::string>& m_fileNames;
    Diagnostics& m_diagnostics;
};
