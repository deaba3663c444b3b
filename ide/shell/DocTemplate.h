// The document/view layer on top of CDocument: views, the MDI child frame that holds a
// view, and the document template that creates documents of one kind with their
// windows, keeps them, saves them and closes them.
#pragma once

#include "CommandMap.h"

#include <QList>
#include <QMdiSubWindow>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class CDocument;
class CDocTemplate;
class QMdiArea;

// A view shows one document in a widget; commands reach it first while its window is
// active. Views are widgets of any kind that also derive from CView.
class CView : public CCmdTarget
{
public:
    explicit CView(CDocument* document) : m_pDocument(document) {}
    CDocument* GetDocument() const { return m_pDocument; }
    virtual QWidget* GetWidget() = 0;
    // Called once the document is loaded or made new, before the window is shown.
    virtual void OnInitialUpdate() {}

private:
    CDocument* m_pDocument;
};

// The MDI child window of one view. Its caption follows the document's title.
class CChildFrame : public QMdiSubWindow
{
    Q_OBJECT
public:
    CChildFrame(CDocTemplate* docTemplate, CDocument* document, CView* view);

    CDocTemplate* GetTemplate() const { return m_pTemplate; }
    CDocument* GetDocument() const { return m_pDocument; }
    CView* GetView() const { return m_pView; }
    // Closes the window without any question.
    void CloseFrame();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    CDocTemplate* m_pTemplate;
    CDocument* m_pDocument;
    CView* m_pView;
    bool m_bForceClose = false;
};

class CDocTemplate : public QObject
{
    Q_OBJECT
public:
    // The parts of the resource string, in their order.
    enum DocStringIndex
    {
        windowTitle,
        docName,
        fileNewName,
        filterName,
        filterExt,
        regFileTypeId,
        regFileTypeName
    };
    using DocumentFactory = std::function<CDocument*()>;
    using ViewFactory = std::function<CView*(CDocument*)>;

    explicit CDocTemplate(const QString& resource, QObject* parent = nullptr);
    ~CDocTemplate() override;

    // Until both are set the template cannot make documents (IsAvailable is false).
    void SetFactories(DocumentFactory documents, ViewFactory views);
    bool IsAvailable() const { return m_documents && m_views; }
    void SetMdiArea(QMdiArea* area) { m_pMdiArea = area; }
    // The folder where Save As suggests to put a document that has no file yet.
    void SetFolderForNewFiles(std::function<QString()> folder)
    {
        m_newFilesFolder = std::move(folder);
    }

    QString GetDocString(DocStringIndex index) const;
    // "Velmora Source Files (*.s)": a file dialog filter.
    QString GetFilter() const { return GetDocString(filterName); }
    // Whether path ends with this template's extension (ignoring case).
    bool MatchesExtension(const QString& path) const;

    const QList<CDocument*>& GetDocuments() const { return m_docList; }
    // The open document with that full path, or nullptr.
    CDocument* FindDocument(const QString& fullPath) const;
    QList<CChildFrame*> GetFrames(const CDocument* document) const;

    // Opens path in a new document with its window, or makes a new untitled document
    // when path is empty. Returns nullptr when that fails (already reported).
    CDocument* OpenDocumentFile(const QString& path);

    // The Yes/No/Cancel question for a modified document; false on Cancel or when a
    // save that the user asked for failed.
    bool SaveModified(CDocument* document);
    // Save (asks for a name when the document has none) and Save As.
    bool DoFileSave(CDocument* document);
    bool DoSave(CDocument* document, bool askForName);
    // Closes every window of the document without questions and deletes it.
    void CloseDocument(CDocument* document);
    // Whether the user may close frame: its document allows it, and when it is the
    // document's last window, its changes are saved or dropped.
    bool CanCloseFrame(CChildFrame* frame);

signals:
    // A document was opened from or saved under path (for the recent file list).
    void documentFileUsed(const QString& path);
    // A document is about to be deleted.
    void documentClosing(CDocument* document);

private:
    friend class CChildFrame;
    CChildFrame* CreateFrame(CDocument* document);
    void OnFrameDestroyed(CChildFrame* frame);

    QStringList m_strings;
    DocumentFactory m_documents;
    ViewFactory m_views;
    QMdiArea* m_pMdiArea = nullptr;
    std::function<QString()> m_newFilesFolder;
    QList<CDocument*> m_docList;
    QList<CChildFrame*> m_frames;
    int m_nUntitledCount = 0;
};
