// Watches the files of the open source documents for writes by other programs. An
// unmodified document is offered a reload; a modified one is left alone until it is
// saved, where the document itself asks before writing over the other program's work.
#pragma once

#include "Document.h"

#include <QFileSystemWatcher>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>

class CDocTemplate;

class CDiskChangeWatcher : public QObject
{
    Q_OBJECT
public:
    explicit CDiskChangeWatcher(QObject* parent = nullptr);

    // Follows the documents of docTemplate: watched once opened or saved under a
    // name, forgotten when closed.
    void Follow(CDocTemplate* docTemplate);

    // Looks at the documents of path now (the watcher's signal leads here): offers a
    // reload for each unmodified document whose file changed, once per change.
    void CheckFile(const QString& path);

    QStringList WatchedFiles() const { return m_watcher.files(); }

private:
    void Watch(const QString& path);
    // The document's first view's caret goes back to the line it was on.
    static void Reload(CDocument* document);
    // The file of an unmodified document is gone: says so once and marks the document
    // as changed.
    void Gone(CDocument* document, const QString& path);

    QFileSystemWatcher m_watcher;
    QList<QPointer<CDocTemplate>> m_templates;
    // The file state last offered for reload, so that one change asks once.
    QHash<QString, FileStamp> m_offered;
    bool m_bAsking = false;
};
