// The colours of a source document. It runs the lexer over every line the text layout
// asks for, keeps per line what the line leaves open (so that editing a line colours
// again the following lines whose state changed) and the paired words and defined
// names for matching and completion, which work with colours switched off as well.
// It never changes the text: colours go to the layout only.
#pragma once

#include "CompletionWords.h"
#include "SourceLexer.h"
#include "SourceMatch.h"

#include <QPalette>
#include <QSyntaxHighlighter>
#include <QTextCharFormat>
#include <array>

class CSourceHighlighter : public QSyntaxHighlighter
{
    Q_OBJECT
public:
    // The highlighter of a text document, made on first use.
    static CSourceHighlighter* Of(QTextDocument* document);

    explicit CSourceHighlighter(QTextDocument* document);

    // Each setter colours the whole text again when it changes something.
    void SetLanguage(SourceLexer::Language language);
    void SetColoured(bool coloured);
    void SetPalette(const QPalette& palette);
    void SetEntries(const std::vector<EntryName>& entries, const QString& origin);

    bool IsColoured() const { return m_bColoured; }
    const QString& EntriesOrigin() const { return m_entriesOrigin; }

    // The paired words of a line, or null before the line was lexed.
    const std::vector<SourceMatch::Bracket>* BracketsOf(int line) const;
    // The completion words: the entries and the names the text defines now.
    const CCompletionWords& Words();
    // Whether the text just before position (in block) is part of a comment or a string,
    // where names are words of prose and the completion list should not pop up by itself.
    bool InCommentOrString(const QTextBlock& block, int position) const;

protected:
    void highlightBlock(const QString& text) override;

private:
    // The state a line starts in, from the state the line before was left with.
    SourceLexer::State StateAfter(int blockState) const;

    std::array<QTextCharFormat, 10> m_formats;
    SourceLexer::Language m_language = SourceLexer::Language::Rpl;
    bool m_bColoured = true;
    bool m_bFormatsSet = false;
    QPalette m_palette;
    QString m_entriesOrigin;
    CCompletionWords m_words;
    std::vector<SourceLexer::Token> m_tokens;
};
