// The recently used files of the File menu: at most five full paths, newest first,
// kept in the settings file's group "Recent File List" as File1 to File5.
#pragma once

#include <QStringList>

class CRecentFileList
{
public:
    static constexpr int kSize = 5;

    // Reads the list from the settings file.
    void Load();
    // Puts path first (moving it up when it is listed already) and saves the list.
    void Add(const QString& path);
    // Drops entry index (a file that could not be opened) and saves the list.
    void Remove(int index);
    const QStringList& Entries() const { return m_entries; }
    // The menu text of entry index: "&1 name" with the path shortened for the menu.
    QString MenuText(int index) const;

private:
    void Save() const;
    QStringList m_entries;
};
