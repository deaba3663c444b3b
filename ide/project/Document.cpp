#include "Document.h"

#include "Archive.h"
#include "Paths.h"
#include "Prompt.h"
#include "Strings.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <sys/stat.h>

FileStamp FileStamp::Of(const QString& path)
{
    struct stat st
    {
    };
    if (::stat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return {};
    return {qint64(st.st_size), qint64(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec,
            quint64(st.st_ino)};
}

CDocument::CDocument(QObject* parent) : QObject(parent) {}

CDocument::~CDocument() = default;

void CDocument::SetPathName(const QString& path)
{
    const QString full = FullPath(path);
    if (full != m_strPathName) {
        m_strPathName = full;
        emit pathNameChanged();
    }
    if (!full.isEmpty()) {
        SetTitle(FileNamePart(full));
    }
}

void CDocument::SetTitle(const QString& title)
{
    if (title != m_strTitle) {
        m_strTitle = title;
        emit titleChanged();
    }
}

void CDocument::SetModifiedFlag(bool modified)
{
    if (modified != m_bModified) {
        m_bModified = modified;
        emit modifiedChanged(modified);
    }
}

bool CDocument::OnNewDocument()
{
    DeleteContents();
    if (!m_strPathName.isEmpty()) {
        m_strPathName.clear();
        emit pathNameChanged();
    }
    SetModifiedFlag(false);
    return true;
}

bool CDocument::OnOpenDocument(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists()) {
        ReportSaveLoadFailure(false, path, QStringLiteral("The file does not exist."));
        return false;
    }
    if (!info.isFile()) {
        ReportSaveLoadFailure(false, path, QStringLiteral("It is not a regular file."));
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        ReportSaveLoadFailure(false, path, file.errorString());
        return false;
    }
    DeleteContents();
    try {
        CArchive ar(file, CArchive::load);
        Serialize(ar);
    } catch (const std::exception& e) {
        DeleteContents();
        SetModifiedFlag(false);
        ReportSaveLoadFailure(false, path, QString::fromUtf8(e.what()));
        return false;
    }
    SetPathName(path);
    m_diskStamp = FileStamp::Of(m_strPathName);
    SetModifiedFlag(false);
    return true;
}

bool CDocument::ChangedOnDisk() const
{
    if (m_strPathName.isEmpty())
        return false;
    const FileStamp now = FileStamp::Of(m_strPathName);
    return now.Exists() && now != m_diskStamp;
}

bool CDocument::ReloadFromDisk()
{
    return OnOpenDocument(m_strPathName);
}

bool CDocument::OnSaveDocument(const QString& path)
{
    // Saving over the document's own file when another program has written it since
    // would lose that program's work without a word: ask first.
    if (FullPath(path) == m_strPathName && ChangedOnDisk()) {
        const QString question =
            QStringLiteral("The file \"%1\" was changed by another program since it was loaded.\n"
                           "Save over those changes?");
        if (Prompt().MessageBox(question.arg(m_strPathName), QString(),
                                Mb::YesNo | Mb::IconWarning | Mb::DefButton2) != IDYES) {
            return false;
        }
    }
    // QSaveFile writes a temporary file beside path and renames it over path only on
    // commit, so a failed save leaves the old file as it was.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        ReportSaveLoadFailure(true, path, file.errorString());
        return false;
    }
    try {
        CArchive ar(file, CArchive::store);
        Serialize(ar);
    } catch (const std::exception& e) {
        file.cancelWriting();
        ReportSaveLoadFailure(true, path, QString::fromUtf8(e.what()));
        return false;
    }
    if (!file.commit()) {
        ReportSaveLoadFailure(true, path, file.errorString());
        return false;
    }
    SetPathName(path);
    m_diskStamp = FileStamp::Of(m_strPathName);
    SetModifiedFlag(false);
    return true;
}

void CDocument::DeleteContents() {}

void CDocument::Serialize(CArchive&) {}

void CDocument::ReportSaveLoadFailure(bool saving, const QString& path, const QString& reason)
{
    const QString text = LoadString(saving ? IDS_SAVE_FAILED : IDS_OPEN_FAILED);
    Prompt().MessageBox(text.arg(path, reason), QString(), Mb::Ok | Mb::IconError);
}
