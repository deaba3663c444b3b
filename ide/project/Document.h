// The document layer's base: a document has a path name, a title, a modified flag and
// is read and written through a binary archive. Templates, frames and views are built
// on top of it elsewhere; nothing here knows about windows.
#pragma once

#include <QObject>
#include <QString>

class CArchive;

// What a file on disk looked like when a document last read or wrote it: enough to
// notice that another program has written it since.
struct FileStamp
{
    qint64 size = -1; // -1: no such file
    qint64 modifiedNs = -1;
    // A program that saves by writing a new file and renaming it over the old one (as
    // many editors do) gives the file a new inode, even within one clock tick.
    quint64 inode = 0;
    static FileStamp Of(const QString& path);
    bool Exists() const { return size >= 0; }
    bool operator==(const FileStamp&) const = default;
};

class CDocument : public QObject
{
    Q_OBJECT
public:
    explicit CDocument(QObject* parent = nullptr);
    ~CDocument() override;

    const QString& GetPathName() const { return m_strPathName; }
    // Sets the full path and makes the file name the title.
    virtual void SetPathName(const QString& path);
    const QString& GetTitle() const { return m_strTitle; }
    virtual void SetTitle(const QString& title);
    bool IsModified() const { return m_bModified; }
    virtual void SetModifiedFlag(bool modified = true);

    // A fresh, empty document: contents cleared, no path, not modified.
    virtual bool OnNewDocument();
    // Reads path through a loading archive into Serialize. Failures are reported
    // through the prompt and return false; the document is then left empty.
    virtual bool OnOpenDocument(const QString& path);
    // Writes through a storing archive into a temporary file in the same folder and
    // renames it over path only when everything was written.
    virtual bool OnSaveDocument(const QString& path);
    virtual void DeleteContents();
    // Reads or writes the contents; a load that meets bad data throws CArchiveException.
    virtual void Serialize(CArchive& ar);
    // Whether the user may close the frame that shows this document.
    virtual bool CanCloseFrame() const { return true; }

    // Whether the document's file exists and was written by someone else since the
    // document read or wrote it.
    bool ChangedOnDisk() const;
    // Reads the document's file again, dropping the text held; false (reported) when
    // that fails, and the document is then empty as after a failed open.
    virtual bool ReloadFromDisk();

protected:
    // Reports a failed open or save of path through the prompt.
    void ReportSaveLoadFailure(bool saving, const QString& path, const QString& reason);

signals:
    void titleChanged();
    void pathNameChanged();
    void modifiedChanged(bool modified);

private:
    QString m_strPathName;
    QString m_strTitle;
    bool m_bModified = false;
    FileStamp m_diskStamp;
};
