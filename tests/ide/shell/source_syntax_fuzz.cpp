// Any source text lexes into spans that lie inside their line, in order and without
// overlap, leaves a known state, and every paired word's partner is a paired word.
#include "CompletionWords.h"
#include "SourceLexer.h"
#include "SourceMatch.h"
#include "SourceText.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const QByteArray bytes(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    const QStringList lines = SourceText::ToDisplay(bytes).split(QLatin1Char('\n'));
    const QSet<QString> entries = {QStringLiteral("DUP"), QStringLiteral("SAVPTR")};
    auto state = SourceLexer::InitialState(data[0] & 1 ? SourceLexer::Language::Assembly
                                                       : SourceLexer::Language::Rpl);
    std::vector<std::vector<SourceMatch::Bracket>> brackets;
    QStringList defined;
    for (const QString& line : lines) {
        std::vector<SourceLexer::Token> tokens;
        state = SourceLexer::LexLine(line, state, &entries, tokens);
        if (state < SourceLexer::kRpl || state > SourceLexer::kAsmFile)
            std::abort();
        int end = 0;
        for (const SourceLexer::Token& t : tokens) {
            if (t.start < end || t.length <= 0 || t.start + t.length > line.size())
                std::abort();
            end = t.start + t.length;
        }
        brackets.push_back(SourceMatch::BracketsOf(line, tokens));
        CCompletionWords::CollectDefinedNames(line, tokens, defined);
    }
    const int count = int(brackets.size());
    const SourceMatch::LineBrackets get = [&](int l) { return &brackets[l]; };
    for (int l = 0; l < count && l < 64; ++l) {
        for (const SourceMatch::Bracket& b : brackets[l]) {
            const auto m = SourceMatch::FindMatch(count, get, l, b.column);
            if (!m || m->word.line != l)
                std::abort();
            if (m->partner.line >= 0 &&
                !SourceMatch::FindMatch(count, get, m->partner.line, m->partner.column))
                std::abort();
        }
    }
    CCompletionWords words;
    words.SetFileWords(defined);
    for (const QString& name : std::as_const(defined))
        if (!words.Matches(name).contains(name))
            std::abort();
    return 0;
}
