#include "EditorEntries.h"

#include "EntryTable.h"

#include <QDateTime>
#include <QFileInfo>

const std::vector<EntryName>& SharedEntries(const QString& path, QString& error)
{
    struct Cache
    {
        QString path;
        QDateTime modified;
        qint64 size = -1;
        std::vector<EntryName> entries;
        QString error;
    };
    static Cache cache;

    const QFileInfo file(path);
    const bool exists = !path.isEmpty() && file.isFile();
    if (!exists) {
        cache = Cache{path, {}, -1, {}, {}};
        error.clear();
        return cache.entries;
    }
    if (cache.path != path || cache.modified != file.lastModified() || cache.size != file.size()) {
        cache = Cache{path, file.lastModified(), file.size(), {}, {}};
        std::vector<Entry> read;
        std::string message;
        if (ReadEntryTable(QFile::encodeName(path).toStdString(), read, message)) {
            cache.entries.reserve(read.size());
            for (const Entry& e : read)
                cache.entries.push_back({QString::fromStdString(e.name), e.address});
        } else {
            cache.error =
                QStringLiteral("Entries table not read: ") + QString::fromStdString(message);
        }
    }
    error = cache.error;
    return cache.entries;
}
