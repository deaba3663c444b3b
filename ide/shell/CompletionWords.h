// The words the editor offers to complete and explains in tooltips: the entries table's
// names with their addresses, and the names the open file defines (DEFINE, NULLNAME,
// xNAME, NAME, LABEL and assembly labels).
#pragma once

#include "SourceLexer.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <optional>
#include <vector>

struct EntryName
{
    QString name;
    quint32 address = 0;
};

class CCompletionWords
{
public:
    // Completion opens by itself once a word has this many characters.
    static constexpr int kAutoPrefix = 3;
    // At most this many words are offered at once.
    static constexpr int kMaxMatches = 1000;

    void SetEntries(const std::vector<EntryName>& entries);
    void SetFileWords(const QStringList& words);

    // The entries' names, for the lexer's colours.
    const QSet<QString>& EntryNames() const { return m_entryNames; }
    bool IsEmpty() const { return m_sorted.isEmpty(); }

    // The words that begin with prefix (case ignored), sorted, each once.
    QStringList Matches(QStringView prefix) const;
    // The address of an entry, or nothing for a name the table lacks.
    std::optional<quint32> Address(const QString& name) const;
    // The tooltip of a word: "NAME = #03188", or empty for a name the table lacks.
    QString ToolTip(const QString& name) const;

    // The word that ends at column (the blank-free text before it, without a leading
    // '=' of an assembly reference); start receives its first column.
    static QStringView WordBefore(QStringView line, int column, int* start = nullptr);
    // The word that column lies in, in the same sense.
    static QStringView WordAt(QStringView line, int column, int* start = nullptr);
    // The names among a line's tokens that the file defines.
    static void CollectDefinedNames(QStringView line, const std::vector<SourceLexer::Token>& tokens,
                                    QStringList& out);

private:
    void Rebuild();

    std::vector<EntryName> m_entries;
    QHash<QString, quint32> m_addresses;
    QSet<QString> m_entryNames;
    QStringList m_fileWords;
    QStringList m_sorted;
};
