#include "SourceMatch.h"

namespace SourceMatch {

namespace {

using namespace Qt::StringLiterals;

std::optional<Bracket> Classify(QStringView word)
{
    Bracket b;
    b.length = int(word.size());
    if (word == "::"_L1 || word == "SYMBOL"_L1 || word == "UNIT"_L1)
        b = {0, b.length, Family::Program, true};
    else if (word == ";"_L1)
        b = {0, b.length, Family::Program, false};
    else if (word == "{"_L1)
        b = {0, b.length, Family::List, true};
    else if (word == "}"_L1)
        b = {0, b.length, Family::List, false};
    else if (word == "CODE"_L1)
        b = {0, b.length, Family::Code, true};
    else if (word == "ENDCODE"_L1)
        b = {0, b.length, Family::Code, false};
    else if (word == "ASSEMBLE"_L1)
        b = {0, b.length, Family::Assemble, true};
    else if (word == "RPL"_L1)
        b = {0, b.length, Family::Assemble, false};
    else
        return std::nullopt;
    return b;
}

} // namespace

std::vector<Bracket> BracketsOf(QStringView line, const std::vector<SourceLexer::Token>& tokens)
{
    std::vector<Bracket> out;
    for (const SourceLexer::Token& t : tokens) {
        if (t.kind != SourceLexer::Kind::Structure || t.start + t.length > line.size())
            continue;
        if (auto b = Classify(line.sliced(t.start, t.length))) {
            b->column = t.start;
            out.push_back(*b);
        }
    }
    return out;
}

std::optional<Match> FindMatch(int lineCount, const LineBrackets& brackets, int line, int column)
{
    const std::vector<Bracket>* here = line >= 0 && line < lineCount ? brackets(line) : nullptr;
    if (!here)
        return std::nullopt;
    // The word under the caret wins over the one that ends just before it.
    int index = -1;
    for (int i = 0; i < int(here->size()); ++i) {
        const Bracket& b = (*here)[i];
        if (column >= b.column && column < b.column + b.length) {
            index = i;
            break;
        }
        if (column == b.column + b.length)
            index = i;
    }
    if (index < 0)
        return std::nullopt;
    const Bracket start = (*here)[index];
    Match match;
    match.word = {line, start.column, start.length};

    // Walk away from the word, counting the same family's words that open and close.
    const int step = start.opener ? 1 : -1;
    int depth = 0;
    int i = index + step;
    for (int l = line; l >= 0 && l < lineCount; l += step) {
        const std::vector<Bracket>* list = brackets(l);
        if (l != line)
            i = step > 0 ? 0 : (list ? int(list->size()) - 1 : -1);
        if (!list)
            continue;
        for (; i >= 0 && i < int(list->size()); i += step) {
            const Bracket& b = (*list)[i];
            if (b.family != start.family)
                continue;
            if (b.opener == start.opener) {
                ++depth;
            } else if (depth > 0) {
                --depth;
            } else {
                match.partner = {l, b.column, b.length};
                return match;
            }
        }
    }
    return match;
}

} // namespace SourceMatch
