#include "SourceDocument.h"

#include "Archive.h"
#include "Prompt.h"
#include "SourceEditView.h"
#include "SourceText.h"

#include <QFile>
#include <QPlainTextDocumentLayout>
#include <QTextCursor>
#include <QTextDocument>

namespace {

std::function<void()>& EnsureProjectHook()
{
    static std::function<void()> hook;
    return hook;
}

} // namespace

CSourceDocument::CSourceDocument(QObject* parent)
    : CDocument(parent), m_pText(new QTextDocument(this))
{
    m_pText->setDocumentLayout(new QPlainTextDocumentLayout(m_pText));
    connect(m_pText, &QTextDocument::modificationChanged, this,
            [this](bool modified) { CDocument::SetModifiedFlag(modified); });
}

CSourceDocument::~CSourceDocument() = default;

QByteArray CSourceDocument::GetBytes() const
{
    return SourceText::FromDisplay(m_pText->toRawText());
}

void CSourceDocument::SetModifiedFlag(bool modified)
{
    m_pText->setModified(modified);
    CDocument::SetModifiedFlag(modified);
}

bool CSourceDocument::OnNewDocument()
{
    return CDocument::OnNewDocument();
}

bool CSourceDocument::OnOpenDocument(const QString& path)
{
    if (EnsureProjectHook())
        EnsureProjectHook()();
    return CDocument::OnOpenDocument(path);
}

void CSourceDocument::DeleteContents()
{
    m_pText->clear();
}

void CSourceDocument::Serialize(CArchive& ar)
{
    QIODevice& device = ar.GetDevice();
    if (ar.IsStoring()) {
        const QByteArray bytes = GetBytes();
        if (device.write(bytes) != bytes.size())
            throw CArchiveException(CArchiveException::writeFailed, device.errorString());
        return;
    }
    // One byte more than the limit is enough to know that the text can't fit.
    const QByteArray file = device.read(SourceText::kMaxChars);
    const auto text = SourceText::FromFileBytes(file);
    if (!text) {
        throw CArchiveException(
            CArchiveException::generic,
            QStringLiteral("The file is too large to open in the editor: with CR LF line "
                           "ends it holds %1 characters or more.")
                .arg(SourceText::kMaxChars));
    }
    m_pText->setPlainText(SourceText::ToDisplay(*text));
    // A file opens with the caret at its start, also in views made before it loaded.
    for (const auto& view : m_views) {
        if (view)
            view->moveCursor(QTextCursor::Start);
    }
}

bool CSourceDocument::InsertFile(const QString& path)
{
    QFile file(path);
    QByteArray bytes;
    if (file.open(QIODevice::ReadOnly))
        bytes = file.readAll();
    if (!file.isOpen() || file.error() != QFileDevice::NoError) {
        Prompt().MessageBox(
            QStringLiteral("Cannot insert the file \"%1\".\n%2").arg(path, file.errorString()),
            QString(), Mb::Ok | Mb::IconError);
        return false;
    }
    const QString text = SourceText::ToDisplay(bytes);
    if (CSourceEditView* view = GetFirstView()) {
        view->InsertAtSelection(text);
    } else {
        QTextCursor cursor(m_pText);
        cursor.insertText(text);
    }
    return true;
}

void CSourceDocument::AddView(CSourceEditView* view)
{
    m_views.append(view);
}

void CSourceDocument::RemoveView(CSourceEditView* view)
{
    m_views.removeAll(view);
}

CSourceEditView* CSourceDocument::GetFirstView() const
{
    for (const auto& view : m_views) {
        if (view)
            return view;
    }
    return nullptr;
}

void CSourceDocument::SetEnsureProject(std::function<void()> ensureProject)
{
    EnsureProjectHook() = std::move(ensureProject);
}
