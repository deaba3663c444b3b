#include "DiskChangeWatcher.h"

#include "DocTemplate.h"
#include "Prompt.h"
#include "SourceDocument.h"
#include "SourceEditView.h"

#include <QFileInfo>
#include <QTextBlock>

CDiskChangeWatcher::CDiskChangeWatcher(QObject* parent) : QObject(parent)
{
    // Queued: the question must not open inside the watcher's own notification.
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, &CDiskChangeWatcher::CheckFile,
            Qt::QueuedConnection);
}

void CDiskChangeWatcher::Follow(CDocTemplate* docTemplate)
{
    m_templates.append(docTemplate);
    connect(docTemplate, &CDocTemplate::documentFileUsed, this, &CDiskChangeWatcher::Watch);
    connect(docTemplate, &CDocTemplate::documentClosing, this, [this](CDocument* document) {
        const QString path = document->GetPathName();
        if (!path.isEmpty()) {
            m_watcher.removePath(path);
            m_offered.remove(path);
        }
    });
}

void CDiskChangeWatcher::Watch(const QString& path)
{
    // A file that was replaced (as saving does, through a temporary file) has left the
    // watch; adding it again is harmless when it has not.
    if (path.isEmpty() || !QFileInfo::exists(path))
        return;
    if (!m_watcher.files().contains(path))
        m_watcher.addPath(path);
    // The file is back (saved again): its going away again is news again.
    if (m_offered.contains(path) && !m_offered.value(path).Exists())
        m_offered.remove(path);
}

void CDiskChangeWatcher::CheckFile(const QString& path)
{
    Watch(path);
    if (m_bAsking)
        return;
    for (const QPointer<CDocTemplate>& docTemplate : m_templates) {
        if (!docTemplate)
            continue;
        CDocument* document = docTemplate->FindDocument(path);
        if (!document || document->IsModified())
            continue;
        const FileStamp now = FileStamp::Of(path);
        if (!now.Exists()) {
            Gone(document, path);
            continue;
        }
        if (!document->ChangedOnDisk())
            continue;
        if (m_offered.value(path) == now)
            continue;
        m_offered.insert(path, now);
        m_bAsking = true;
        const int answer = Prompt().MessageBox(
            QStringLiteral("The file \"%1\" was changed by another program.\nReload it?").arg(path),
            QString(), Mb::YesNo | Mb::IconQuestion);
        m_bAsking = false;
        // The user may have typed into the document while the question was up.
        if (answer == IDYES && docTemplate->FindDocument(path) == document &&
            !document->IsModified()) {
            Reload(document);
        }
    }
}

void CDiskChangeWatcher::Gone(CDocument* document, const QString& path)
{
    // The text now lives only here: marked as changed, closing the window asks to save it.
    if (m_offered.contains(path) && !m_offered.value(path).Exists())
        return;
    m_offered.insert(path, FileStamp());
    document->SetModifiedFlag(true);
    m_bAsking = true;
    Prompt().MessageBox(QStringLiteral("The file \"%1\" was deleted or moved by another program.\n"
                                       "Its text stays open here, marked as changed; save it to "
                                       "keep it.")
                            .arg(path),
                        QString(), Mb::Ok | Mb::IconWarning);
    m_bAsking = false;
}

void CDiskChangeWatcher::Reload(CDocument* document)
{
    auto* source = qobject_cast<CSourceDocument*>(document);
    CSourceEditView* view = source ? source->GetFirstView() : nullptr;
    const int line = view ? view->textCursor().blockNumber() : 0;
    if (!document->ReloadFromDisk() || !view)
        return;
    const QTextBlock block = view->document()->findBlockByNumber(line);
    if (block.isValid()) {
        QTextCursor cursor(block);
        view->setTextCursor(cursor);
        view->ensureCursorVisible();
    }
}
