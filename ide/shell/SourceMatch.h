// Matching of the paired words of a source: "::" (and SYMBOL, UNIT) with ";", "{" with
// "}", CODE with ENDCODE, ASSEMBLE with RPL. The pairs are found among the lexer's
// structure words, so words inside comments, strings and assembly lines never count.
#pragma once

#include "SourceLexer.h"

#include <QStringView>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace SourceMatch {

enum class Family : std::uint8_t
{
    Program,
    List,
    Code,
    Assemble
};

struct Bracket
{
    int column = 0;
    int length = 0;
    Family family = Family::Program;
    bool opener = false;
};

// The paired words among one line's tokens, in order.
std::vector<Bracket> BracketsOf(QStringView line, const std::vector<SourceLexer::Token>& tokens);

struct Place
{
    int line = -1; // -1: no partner
    int column = 0;
    int length = 0;
};

struct Match
{
    Place word;    // the paired word at the caret
    Place partner; // its partner; line -1 when it has none
};

// The brackets of line n (from 0), or null for a line without any.
using LineBrackets = std::function<const std::vector<Bracket>*(int line)>;

// The paired word that the caret at (line, column) touches (the caret inside it or just
// after it) and its partner; nothing when the caret touches none.
std::optional<Match> FindMatch(int lineCount, const LineBrackets& brackets, int line, int column);

} // namespace SourceMatch
