#include "CompletionWords.h"

#include <algorithm>

namespace {

bool IsBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\f' || c == u'\v' ||
           c.unicode() == 0x240D;
}

QStringView WithoutEquals(QStringView word, int* start)
{
    if (word.startsWith(u'=')) {
        word = word.sliced(1);
        if (start)
            ++*start;
    }
    return word;
}

} // namespace

void CCompletionWords::SetEntries(const std::vector<EntryName>& entries)
{
    m_entries = entries;
    m_addresses.clear();
    m_entryNames.clear();
    for (const EntryName& e : m_entries) {
        // The first of two entries with one name is the one the loader takes.
        if (!m_addresses.contains(e.name))
            m_addresses.insert(e.name, e.address);
        m_entryNames.insert(e.name);
    }
    Rebuild();
}

void CCompletionWords::SetFileWords(const QStringList& words)
{
    if (words == m_fileWords)
        return;
    m_fileWords = words;
    Rebuild();
}

void CCompletionWords::Rebuild()
{
    m_sorted = m_fileWords;
    for (const EntryName& e : m_entries)
        m_sorted.append(e.name);
    std::sort(m_sorted.begin(), m_sorted.end(), [](const QString& a, const QString& b) {
        const int c = a.compare(b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
    m_sorted.erase(std::unique(m_sorted.begin(), m_sorted.end()), m_sorted.end());
}

QStringList CCompletionWords::Matches(QStringView prefix) const
{
    QStringList out;
    if (prefix.isEmpty())
        return out;
    // The list is sorted ignoring case, so the matches lie together.
    auto it = std::lower_bound(
        m_sorted.begin(), m_sorted.end(), prefix, [](const QString& word, QStringView p) {
            return QStringView(word).left(p.size()).compare(p, Qt::CaseInsensitive) < 0;
        });
    for (; it != m_sorted.end() && out.size() < kMaxMatches; ++it) {
        if (!it->startsWith(prefix, Qt::CaseInsensitive))
            break;
        out.append(*it);
    }
    return out;
}

std::optional<quint32> CCompletionWords::Address(const QString& name) const
{
    const auto it = m_addresses.constFind(name);
    if (it == m_addresses.constEnd())
        return std::nullopt;
    return *it;
}

QString CCompletionWords::ToolTip(const QString& name) const
{
    const std::optional<quint32> address = Address(name);
    if (!address)
        return {};
    return name + QStringLiteral(" = #") +
           QStringLiteral("%1").arg(*address, 5, 16, QLatin1Char('0')).toUpper();
}

QStringView CCompletionWords::WordBefore(QStringView line, int column, int* start)
{
    column = std::clamp(column, 0, int(line.size()));
    int begin = column;
    while (begin > 0 && !IsBlank(line[begin - 1]))
        --begin;
    if (start)
        *start = begin;
    return WithoutEquals(line.sliced(begin, column - begin), start);
}

QStringView CCompletionWords::WordAt(QStringView line, int column, int* start)
{
    column = std::clamp(column, 0, int(line.size()));
    int end = column;
    while (end < line.size() && !IsBlank(line[end]))
        ++end;
    return WordBefore(line.left(end), end, start);
}

void CCompletionWords::CollectDefinedNames(QStringView line,
                                           const std::vector<SourceLexer::Token>& tokens,
                                           QStringList& out)
{
    for (const SourceLexer::Token& t : tokens) {
        if (t.kind != SourceLexer::Kind::Label || t.start + t.length > line.size())
            continue;
        const QStringView name = WithoutEquals(line.sliced(t.start, t.length), nullptr);
        if (!name.isEmpty())
            out.append(name.toString());
    }
}
