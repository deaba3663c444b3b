#include "SourceHighlighter.h"

#include <algorithm>

#include <QTextBlockUserData>
#include <QTextDocument>

namespace {

using SourceLexer::Kind;

// What the lexer found on one line, beyond its colours.
class CLineData : public QTextBlockUserData
{
public:
    std::vector<SourceMatch::Bracket> brackets;
    QStringList names;
};

// A colour of the given hue that reads on the palette's base: darker on a light base,
// lighter on a dark one. Hues stay fixed so that a word keeps its colour across themes.
QColor Tone(int hue, int saturation, const QPalette& palette)
{
    const bool dark = palette.color(QPalette::Base).lightness() < 128;
    return QColor::fromHsl(hue, saturation, dark ? 175 : 80);
}

QColor Blend(const QColor& a, const QColor& b, double share)
{
    return QColor::fromRgbF(float(a.redF() * share + b.redF() * (1 - share)),
                            float(a.greenF() * share + b.greenF() * (1 - share)),
                            float(a.blueF() * share + b.blueF() * (1 - share)));
}

} // namespace

CSourceHighlighter* CSourceHighlighter::Of(QTextDocument* document)
{
    if (auto* existing =
            document->findChild<CSourceHighlighter*>(QString(), Qt::FindDirectChildrenOnly))
        return existing;
    return new CSourceHighlighter(document);
}

CSourceHighlighter::CSourceHighlighter(QTextDocument* document) : QSyntaxHighlighter(document)
{
    setObjectName(QStringLiteral("SourceHighlighter"));
}

void CSourceHighlighter::SetLanguage(SourceLexer::Language language)
{
    if (language == m_language)
        return;
    m_language = language;
    rehighlight();
}

void CSourceHighlighter::SetColoured(bool coloured)
{
    if (coloured == m_bColoured)
        return;
    m_bColoured = coloured;
    rehighlight();
}

void CSourceHighlighter::SetPalette(const QPalette& palette)
{
    if (palette.color(QPalette::Base) == m_palette.color(QPalette::Base) &&
        palette.color(QPalette::Text) == m_palette.color(QPalette::Text) && m_bFormatsSet)
        return;
    m_bFormatsSet = true;
    m_palette = palette;
    const QColor text = palette.color(QPalette::Text);
    const QColor base = palette.color(QPalette::Base);
    for (QTextCharFormat& f : m_formats)
        f = QTextCharFormat();
    m_formats[int(Kind::Comment)].setForeground(Blend(text, base, 0.5));
    m_formats[int(Kind::Comment)].setFontItalic(true);
    m_formats[int(Kind::String)].setForeground(Tone(0, 150, palette));
    m_formats[int(Kind::Number)].setForeground(Tone(140, 160, palette));
    m_formats[int(Kind::Structure)].setForeground(Tone(220, 200, palette));
    m_formats[int(Kind::Structure)].setFontWeight(QFont::Bold);
    m_formats[int(Kind::Entry)].setForeground(Tone(35, 200, palette));
    m_formats[int(Kind::Label)].setForeground(Tone(185, 200, palette));
    m_formats[int(Kind::Label)].setFontWeight(QFont::Bold);
    m_formats[int(Kind::Mnemonic)].setForeground(Tone(285, 140, palette));
    m_formats[int(Kind::Directive)].setForeground(Tone(220, 200, palette));
    m_formats[int(Kind::Directive)].setFontWeight(QFont::Bold);
    m_formats[int(Kind::Field)].setForeground(Tone(215, 120, palette));
    if (m_bColoured)
        rehighlight();
}

void CSourceHighlighter::SetEntries(const std::vector<EntryName>& entries, const QString& origin)
{
    m_entriesOrigin = origin;
    m_words.SetEntries(entries);
    rehighlight();
}

const std::vector<SourceMatch::Bracket>* CSourceHighlighter::BracketsOf(int line) const
{
    auto* data = static_cast<CLineData*>(document()->findBlockByNumber(line).userData());
    return data && !data->brackets.empty() ? &data->brackets : nullptr;
}

const CCompletionWords& CSourceHighlighter::Words()
{
    QStringList names;
    for (QTextBlock b = document()->firstBlock(); b.isValid(); b = b.next()) {
        if (auto* data = static_cast<CLineData*>(b.userData()))
            names += data->names;
    }
    names.removeDuplicates();
    m_words.SetFileWords(names);
    return m_words;
}

SourceLexer::State CSourceHighlighter::StateAfter(int blockState) const
{
    return blockState < SourceLexer::kRpl || blockState > SourceLexer::kAsmFile
               ? SourceLexer::InitialState(m_language)
               : SourceLexer::State(blockState);
}

bool CSourceHighlighter::InCommentOrString(const QTextBlock& block, int position) const
{
    std::vector<SourceLexer::Token> tokens;
    SourceLexer::LexLine(block.text(), StateAfter(block.previous().userState()), nullptr, tokens);
    return std::any_of(tokens.cbegin(), tokens.cend(), [position](const SourceLexer::Token& t) {
        return (t.kind == Kind::Comment || t.kind == Kind::String) && t.start < position &&
               position <= t.start + t.length;
    });
}

void CSourceHighlighter::highlightBlock(const QString& text)
{
    const SourceLexer::State state = StateAfter(previousBlockState());
    m_tokens.clear();
    setCurrentBlockState(SourceLexer::LexLine(text, state, &m_words.EntryNames(), m_tokens));

    auto* data = static_cast<CLineData*>(currentBlockUserData());
    if (!data) {
        data = new CLineData;
        setCurrentBlockUserData(data);
    }
    data->brackets = SourceMatch::BracketsOf(text, m_tokens);
    data->names.clear();
    CCompletionWords::CollectDefinedNames(text, m_tokens, data->names);

    if (!m_bColoured)
        return;
    for (const SourceLexer::Token& t : m_tokens) {
        if (t.kind != Kind::Plain)
            setFormat(t.start, t.length, m_formats[int(t.kind)]);
    }
}
