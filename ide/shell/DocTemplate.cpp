#include "DocTemplate.h"

#include "Document.h"
#include "Prompt.h"
#include "Strings.h"
#include "TitleMarker.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QMdiArea>

// ---------------------------------------------------------------- CChildFrame

CChildFrame::CChildFrame(CDocTemplate* docTemplate, CDocument* document, CView* view)
    : m_pTemplate(docTemplate), m_pDocument(document), m_pView(view)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWidget(view->GetWidget());
    setWindowTitle(document->GetTitle());
    connect(document, &CDocument::titleChanged, this,
            [this] { setWindowTitle(m_pDocument->GetTitle()); });
}

void CChildFrame::CloseFrame()
{
    m_bForceClose = true;
    close();
}

void CChildFrame::closeEvent(QCloseEvent* event)
{
    if (!m_bForceClose && !m_pTemplate->CanCloseFrame(this)) {
        event->ignore();
        return;
    }
    QMdiSubWindow::closeEvent(event);
    if (event->isAccepted()) {
        m_pTemplate->OnFrameDestroyed(this);
    }
}

// ---------------------------------------------------------------- CDocTemplate

CDocTemplate::CDocTemplate(const QString& resource, QObject* parent)
    : QObject(parent), m_strings(resource.split(QLatin1Char('\n')))
{
}

CDocTemplate::~CDocTemplate() = default;

void CDocTemplate::SetFactories(DocumentFactory documents, ViewFactory views)
{
    m_documents = std::move(documents);
    m_views = std::move(views);
}

QString CDocTemplate::GetDocString(DocStringIndex index) const
{
    return index < m_strings.size() ? m_strings.at(index) : QString();
}

bool CDocTemplate::MatchesExtension(const QString& path) const
{
    const QString ext = GetDocString(filterExt);
    return !ext.isEmpty() && path.endsWith(ext, Qt::CaseInsensitive);
}

CDocument* CDocTemplate::FindDocument(const QString& fullPath) const
{
    for (CDocument* document : m_docList) {
        if (!document->GetPathName().isEmpty() && document->GetPathName() == fullPath) {
            return document;
        }
    }
    return nullptr;
}

QList<CChildFrame*> CDocTemplate::GetFrames(const CDocument* document) const
{
    QList<CChildFrame*> frames;
    for (CChildFrame* frame : m_frames) {
        if (frame->GetDocument() == document) {
            frames.append(frame);
        }
    }
    return frames;
}

CChildFrame* CDocTemplate::CreateFrame(CDocument* document)
{
    CView* view = m_views(document);
    auto* frame = new CChildFrame(this, document, view);
    m_frames.append(frame);
    if (m_pMdiArea) {
        m_pMdiArea->addSubWindow(frame);
        // The window opens at its view's preferred size, as far as the area allows.
        // (Before the main window is shown the area has no size of its own yet.)
        const QSize wanted = frame->sizeHint();
        frame->resize(m_pMdiArea->isVisible() ? wanted.boundedTo(m_pMdiArea->viewport()->size())
                                              : wanted);
    }
    return frame;
}

CDocument* CDocTemplate::OpenDocumentFile(const QString& path)
{
    if (!IsAvailable()) {
        return nullptr;
    }
    CDocument* document = m_documents();
    document->setParent(this);
    m_docList.append(document);
    // The window exists before the document is read, so that loading can fill it.
    CChildFrame* frame = CreateFrame(document);
    bool ok;
    if (path.isEmpty()) {
        document->SetTitle(GetDocString(docName) + QString::number(m_nUntitledCount + 1));
        ok = document->OnNewDocument();
        if (ok) {
            ++m_nUntitledCount;
        }
    } else {
        ok = document->OnOpenDocument(path);
    }
    if (!ok) {
        CloseDocument(document);
        return nullptr;
    }
    frame->GetView()->OnInitialUpdate();
    frame->show();
    if (m_pMdiArea) {
        m_pMdiArea->setActiveSubWindow(frame);
    }
    if (!path.isEmpty()) {
        emit documentFileUsed(document->GetPathName());
    }
    return document;
}

bool CDocTemplate::SaveModified(CDocument* document)
{
    if (!document->IsModified()) {
        return true;
    }
    QString name = document->GetPathName();
    if (name.isEmpty()) {
        name = StripTitleMarker(document->GetTitle());
    }
    const int answer = Prompt().MessageBox(LoadString(IDS_ASK_TO_SAVE).arg(name), QString(),
                                           Mb::YesNoCancel | Mb::IconWarning);
    if (answer == IDCANCEL) {
        return false;
    }
    if (answer == IDYES) {
        return DoFileSave(document);
    }
    return true;
}

bool CDocTemplate::DoFileSave(CDocument* document)
{
    return DoSave(document, document->GetPathName().isEmpty());
}

bool CDocTemplate::DoSave(CDocument* document, bool askForName)
{
    QString path = document->GetPathName();
    if (askForName) {
        QString suggested = path;
        const QString ext = GetDocString(filterExt);
        if (suggested.isEmpty()) {
            suggested = StripTitleMarker(document->GetTitle());
            if (!ext.isEmpty() && !suggested.contains(QLatin1Char('.'))) {
                suggested += ext;
            }
            if (const QString folder = m_newFilesFolder ? m_newFilesFolder() : QString();
                !folder.isEmpty()) {
                suggested = QDir(folder).filePath(suggested);
            }
        }
        path = Prompt().GetSaveFileName(LoadString(IDS_SAVE_AS_CAPTION), suggested, GetFilter());
        if (path.isEmpty()) {
            return false;
        }
        if (!ext.isEmpty() && !QFileInfo(path).fileName().contains(QLatin1Char('.'))) {
            path += ext;
        }
    }
    if (!document->OnSaveDocument(path)) {
        return false;
    }
    emit documentFileUsed(document->GetPathName());
    return true;
}

void CDocTemplate::CloseDocument(CDocument* document)
{
    if (!m_docList.contains(document)) {
        return;
    }
    emit documentClosing(document);
    m_docList.removeAll(document);
    for (CChildFrame* frame : GetFrames(document)) {
        frame->CloseFrame();
    }
    // The views go with their frames first; the document follows them.
    document->deleteLater();
}

bool CDocTemplate::CanCloseFrame(CChildFrame* frame)
{
    CDocument* document = frame->GetDocument();
    if (!document->CanCloseFrame()) {
        return false;
    }
    if (GetFrames(document).size() > 1) {
        return true;
    }
    return SaveModified(document);
}

void CDocTemplate::OnFrameDestroyed(CChildFrame* frame)
{
    m_frames.removeAll(frame);
    CDocument* document = frame->GetDocument();
    if (m_docList.contains(document) && GetFrames(document).isEmpty()) {
        CloseDocument(document);
    }
}
