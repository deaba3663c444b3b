// A source file (.s or .h) being edited. The text is held as Latin-1 characters in a
// QTextDocument that the document's views show and edit; loading gives every line a
// CR LF end, saving writes the text back byte for byte.
#pragma once

#include "Document.h"

#include <QList>
#include <QPointer>
#include <functional>

class QTextDocument;
class CSourceEditView;

class CSourceDocument : public CDocument
{
    Q_OBJECT
public:
    explicit CSourceDocument(QObject* parent = nullptr);
    ~CSourceDocument() override;

    QTextDocument* GetTextDocument() const { return m_pText; }
    // The text as the file gets it: CR LF line ends, one byte per character.
    QByteArray GetBytes() const;

    void SetModifiedFlag(bool modified = true) override;
    bool OnNewDocument() override;
    // Makes sure a project is open (see SetEnsureProject), then loads path.
    bool OnOpenDocument(const QString& path) override;
    void DeleteContents() override;
    void Serialize(CArchive& ar) override;

    // Inserts the whole file at path, unconverted, in place of the first view's
    // selection, and leaves the caret before it. A file that can't be read is
    // reported and nothing is inserted. Returns whether the text was inserted.
    bool InsertFile(const QString& path);

    // Views register themselves; the first one is where InsertFile inserts.
    void AddView(CSourceEditView* view);
    void RemoveView(CSourceEditView* view);
    CSourceEditView* GetFirstView() const;

    // Run before a source file is opened: the main frame creates an untitled project
    // there when none is open, so that a source never stands without a project.
    static void SetEnsureProject(std::function<void()> ensureProject);

private:
    QTextDocument* m_pText = nullptr;
    QList<QPointer<CSourceEditView>> m_views;
};
