// The lexer behind the editor's colours, bracket matching and completion. It splits one
// line of a System RPL source (.s) or a Saturn assembly source (.a) into coloured spans,
// given what the line before left open: a "( ... )" comment or a string running on, or
// an ASSEMBLE ... RPL or CODE ... ENDCODE block whose lines follow the assembly rules.
//
// It only reads the text; nothing here changes it.
#pragma once

#include <QSet>
#include <QString>
#include <QStringView>
#include <cstdint>
#include <vector>

namespace SourceLexer {

enum class Kind : std::uint8_t
{
    Plain,
    Comment,
    String,
    Number,    // numbers and literal prefixes with their operands (# 1C, % 1.5, HXS 3 008)
    Structure, // ::  ;  {  }  NULLNAME  ASSEMBLE ... and the assembly's end words
    Entry,     // a name found in the entries table
    Label,     // a name this file defines (DEFINE, NULLNAME, xNAME, LABEL, assembly labels)
    Mnemonic,
    Directive,
    Field, // an assembly field modifier (A, B, X, XS, P, WP, M, S, W)
};

struct Token
{
    int start = 0;
    int length = 0;
    Kind kind = Kind::Plain;
};

// What a line leaves open for the next one (the editor keeps it per line).
enum State : int
{
    kRpl = 0,
    kRplComment = 1,  // inside "( ... )"
    kRplString = 2,   // inside a string literal
    kAsmAssemble = 3, // between ASSEMBLE and RPL
    kAsmCode = 4,     // between CODE and ENDCODE
    kAsmFile = 5,     // a whole assembly file
};

enum class Language
{
    Rpl,
    Assembly
};

// The language of a file by its name: .a and .asm are assembly, everything else RPL.
Language LanguageOfFile(QStringView fileName);
// The state before the first line of a file in that language.
State InitialState(Language language);

// Appends the spans of one line (without its line end) to out, in order and not
// overlapping; text in no span is plain. entries are the names shown as entries (may be
// null). Returns the state the line leaves for the next.
State LexLine(QStringView line, State state, const QSet<QString>* entries, std::vector<Token>& out);

} // namespace SourceLexer
