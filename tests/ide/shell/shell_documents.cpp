// The document layer with real source files: opening a source brings an untitled
// project along, an open file comes to the front instead of opening twice, closing a
// modified source asks Yes/No/Cancel, Save As names the file, Print follows the active
// source, and the recent file list opens its entries (and forgets those that are gone).
#include "CommandIds.h"
#include "DiskChangeWatcher.h"
#include "DocTemplate.h"
#include "PrintFiles.h"
#include "ProjectDocument.h"
#include "ShellTestSupport.h"
#include "SourceDocument.h"
#include "SourceEditView.h"
#include "StartupChecks.h"
#include "VelmoraApp.h"

#include <QAction>
#include <QFile>
#include <QMdiArea>
#include <QPrinter>

#include <fcntl.h>
#include <sys/stat.h>

using namespace Cmd;

namespace {

class DocumentTest : public ShellTest
{
protected:
    DocumentTest()
    {
        WriteQuietStartOptions();
        EXPECT_TRUE(m_app.InitInstance({"-Embedding"}));
    }
    QString WriteSource(const QString& name, const QByteArray& text = "::\n;\n")
    {
        const QString path = m_work.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
        return path;
    }
    CMainFrame& Frame() { return *m_app.GetMainFrame(); }
    bool Enabled(int id)
    {
        Frame().GetCommandManager().UpdateAll();
        return Frame().GetCommandManager().Action(id)->isEnabled();
    }
    int Windows() { return Frame().GetMdiArea()->subWindowList().size(); }

    CVelmoraApp m_app;
};

TEST_F(DocumentTest, SourceOpensWithAnUntitledProjectAndOnlyOnce)
{
    const QString path = WriteSource("prog.s");
    CDocument* source = m_app.OpenDocumentFile(path);
    ASSERT_NE(source, nullptr);
    ASSERT_NE(Frame().m_pProject, nullptr);
    EXPECT_TRUE(Frame().m_pProject->GetPathName().isEmpty());
    EXPECT_EQ(Windows(), 2);
    EXPECT_EQ(Frame().GetActiveDocument(), source);
    EXPECT_EQ(Frame().windowTitle(), "Velmora Development Environment - prog.s");

    // Again, through a different spelling of the same path: the same window comes up.
    Frame().GetMdiArea()->activatePreviousSubWindow();
    EXPECT_EQ(m_app.OpenDocumentFile(m_work.path() + "/./prog.s"), source);
    EXPECT_EQ(Windows(), 2);
    EXPECT_EQ(Frame().GetActiveDocument(), source);
    EXPECT_TRUE(m_prompt.Boxes().isEmpty());
}

TEST_F(DocumentTest, CommandsFollowTheActiveSource)
{
    EXPECT_FALSE(Enabled(ID_FILE_PRINT));
    ASSERT_NE(m_app.OpenDocumentFile(WriteSource("a.s")), nullptr);
    EXPECT_TRUE(Enabled(ID_FILE_PRINT));
    EXPECT_TRUE(Enabled(ID_FILE_CLOSE));
    EXPECT_TRUE(Enabled(ID_FILE_SAVE_AS));
    EXPECT_TRUE(Enabled(ID_FILE_NEW_SOURCE));
    EXPECT_TRUE(Enabled(ID_WINDOW_CASCADE));
    EXPECT_FALSE(Enabled(ID_EDIT_COPY)); // nothing selected
    // The project window takes Close and Save As away again.
    Frame().GetMdiArea()->activatePreviousSubWindow();
    EXPECT_EQ(Frame().GetActiveDocument(), Frame().m_pProject);
    EXPECT_FALSE(Enabled(ID_FILE_PRINT));
    EXPECT_FALSE(Enabled(ID_FILE_CLOSE));
}

TEST_F(DocumentTest, ClosingAModifiedSourceAsks)
{
    const QString path = WriteSource("b.s");
    CDocument* source = m_app.OpenDocumentFile(path);
    ASSERT_NE(source, nullptr);
    source->SetModifiedFlag(true);

    m_prompt.QueueAnswer(IDCANCEL);
    EXPECT_TRUE(Frame().GetCommandManager().Execute(ID_FILE_CLOSE));
    ASSERT_EQ(m_prompt.Boxes().size(), 1);
    EXPECT_EQ(m_prompt.Boxes()[0].text, "Save changes to " + path + "?");
    EXPECT_EQ(m_prompt.Boxes()[0].type, Mb::YesNoCancel | Mb::IconWarning);
    EXPECT_EQ(Windows(), 2);

    m_prompt.QueueAnswer(IDNO);
    Frame().GetCommandManager().Execute(ID_FILE_CLOSE);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(Windows(), 1);
    EXPECT_EQ(m_app.GetSourceTemplate()->GetDocuments().size(), 0);
    EXPECT_NE(Frame().m_pProject, nullptr);
}

TEST_F(DocumentTest, NewSourceIsNamedWhenSaved)
{
    Frame().EnsureProject();
    ASSERT_TRUE(Frame().GetCommandManager().Execute(ID_FILE_NEW));
    CDocument* source = Frame().GetActiveDocument();
    ASSERT_NE(source, nullptr);
    EXPECT_EQ(source->GetTitle(), "NewSource1");
    m_prompt.QueueSaveFile(m_work.filePath("fresh"));
    ASSERT_TRUE(Frame().GetCommandManager().Execute(ID_FILE_SAVE));
    ASSERT_EQ(m_prompt.FileDialogs().size(), 1);
    EXPECT_EQ(m_prompt.FileDialogs()[0].caption, "Save As");
    // Suggested in the folder of the work: here, with an untitled project, the default
    // project folder.
    EXPECT_EQ(m_prompt.FileDialogs()[0].dir, m_work.filePath("NewSource1.s"));
    EXPECT_EQ(source->GetPathName(), m_work.filePath("fresh.s"));
    EXPECT_TRUE(QFile::exists(m_work.filePath("fresh.s")));
    EXPECT_EQ(m_app.RecentFiles().Entries().value(0), m_work.filePath("fresh.s"));
}

TEST_F(DocumentTest, RecentFilesOpenAndForgetMissingOnes)
{
    const QString kept = WriteSource("kept.s");
    const QString gone = WriteSource("gone.s");
    m_app.RecentFiles().Add(kept);
    m_app.RecentFiles().Add(gone);
    QFile::remove(gone);
    EXPECT_TRUE(Enabled(ID_FILE_MRU_FILE1 + 1));
    EXPECT_FALSE(Enabled(ID_FILE_MRU_FILE1 + 2));
    EXPECT_EQ(Frame().GetCommandManager().Action(ID_FILE_MRU_FILE1)->isVisible(), true);

    Frame().GetCommandManager().Execute(ID_FILE_MRU_FILE1);
    EXPECT_EQ(m_prompt.Boxes().size(), 1);
    EXPECT_EQ(m_app.RecentFiles().Entries(), QStringList{kept});
    Frame().GetCommandManager().Execute(ID_FILE_MRU_FILE1);
    ASSERT_NE(Frame().GetActiveDocument(), nullptr);
    EXPECT_EQ(Frame().GetActiveDocument()->GetPathName(), kept);

    // At most five, newest first.
    for (int i = 0; i < 7; ++i) {
        m_app.RecentFiles().Add(m_work.filePath(QString("f%1.s").arg(i)));
    }
    EXPECT_EQ(m_app.RecentFiles().Entries().size(), 5);
    EXPECT_EQ(m_app.RecentFiles().Entries().first(), m_work.filePath("f6.s"));
    CRecentFileList reread;
    reread.Load();
    EXPECT_EQ(reread.Entries(), m_app.RecentFiles().Entries());
}

TEST_F(DocumentTest, PrintSwitchPrintsSourcesAndStopsAtAFileItCannotPrint)
{
    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(m_work.filePath("out.pdf"));
    EXPECT_TRUE(PrintSourceFiles({WriteSource("a.s")}, printer));
    QFile pdf(m_work.filePath("out.pdf"));
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    EXPECT_TRUE(pdf.readAll().startsWith("%PDF"));
    EXPECT_TRUE(m_prompt.Boxes().isEmpty());
    EXPECT_FALSE(PrintSourceFiles({m_work.filePath("missing.s")}, printer));
    EXPECT_FALSE(PrintSourceFiles({WriteSource("p.hpr")}, printer));
    EXPECT_EQ(m_prompt.Boxes().size(), 2);
}

TEST_F(DocumentTest, FileOpenDialogListsTheDocumentKinds)
{
    // Several files chosen at once all open.
    const QString first = WriteSource("b.s");
    const QString path = WriteSource("c.s");
    QDir::setCurrent(QDir::tempPath());
    m_prompt.QueueOpenFiles({first, path});
    ASSERT_TRUE(Frame().GetCommandManager().Execute(ID_FILE_OPEN));
    ASSERT_EQ(m_prompt.FileDialogs().size(), 1);
    EXPECT_EQ(m_app.GetSourceTemplate()->GetDocuments().size(), 2);
    EXPECT_TRUE(m_prompt.FileDialogs()[0].multiSelect);
    // The dialog starts in the default project folder, not the current one.
    EXPECT_EQ(m_prompt.FileDialogs()[0].dir, m_work.path());
    EXPECT_EQ(m_prompt.FileDialogs()[0].caption, "Open");
    EXPECT_EQ(m_prompt.FileDialogs()[0].filter,
              "Velmora Source Files (*.s);;Velmora Project Files (*.hpr);;All Files (*)");
    ASSERT_NE(Frame().GetActiveDocument(), nullptr);
    EXPECT_EQ(Frame().GetActiveDocument()->GetPathName(), path);
}

TEST_F(DocumentTest, BinaryFilesAreRefusedAndLeftAsTheyAre)
{
    const std::pair<const char*, QByteArray> files[] = {
        {"prog.gx", "any bytes\n"},
        {"PROJECT.DIR", "any bytes\n"},
        {"object.s", QByteArray("HPHP48-R\x12\x34\n")},
        {"nul.s", QByteArray("a\0b\n", 4)},
    };
    for (const auto& [name, bytes] : files) {
        EXPECT_EQ(m_app.OpenDocumentFile(WriteSource(name, bytes)), nullptr) << name;
    }
    EXPECT_EQ(Windows(), 0);
    ASSERT_EQ(m_prompt.Boxes().size(), 4);
    EXPECT_TRUE(m_prompt.Boxes()[2].text.endsWith("does not open files of this kind."));
}

TEST_F(DocumentTest, OutsideChangesAreOfferedAndNeverOverwrittenSilently)
{
    const QString path = WriteSource("w.s", "one\n");
    auto* source = qobject_cast<CSourceDocument*>(m_app.OpenDocumentFile(path));
    ASSERT_NE(source, nullptr);
    EXPECT_TRUE(m_app.GetDiskWatcher()->WatchedFiles().contains(path));

    // Unmodified: the new text is offered, once for each change.
    WriteSource("w.s", "second\n");
    m_prompt.QueueAnswer(IDYES);
    m_app.GetDiskWatcher()->CheckFile(path);
    EXPECT_EQ(source->GetBytes(), "second\r\n");
    m_app.GetDiskWatcher()->CheckFile(path);
    EXPECT_EQ(m_prompt.Boxes().size(), 1);

    // Modified: saving over a file changed since asks; No keeps the other program's text.
    source->GetFirstView()->textCursor().insertText("mine ");
    // Written as many editors save, to a new file renamed over the old one, of the same
    // size and time: the new inode tells.
    const QByteArray theirs = QFile::encodeName(WriteSource("w.s.new", "theirs\n"));
    struct stat loaded
    {
    };
    ASSERT_EQ(::stat(QFile::encodeName(path), &loaded), 0);
    const timespec times[2] = {loaded.st_atim, loaded.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, theirs, times, 0), 0);
    ASSERT_EQ(::rename(theirs, QFile::encodeName(path)), 0);
    m_prompt.QueueAnswer(IDNO);
    Frame().GetCommandManager().Execute(ID_FILE_SAVE);
    EXPECT_EQ(m_prompt.Boxes().size(), 2);
    EXPECT_TRUE(m_prompt.Boxes().last().text.contains("was changed by another program"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "theirs\n");
    EXPECT_TRUE(source->IsModified());
    m_prompt.QueueAnswer(IDYES);
    Frame().GetCommandManager().Execute(ID_FILE_SAVE);
    EXPECT_FALSE(source->IsModified());

    // Deleted by another program: said once, and the text is marked as changed, so that
    // closing the window asks to save it.
    ASSERT_TRUE(QFile::remove(path));
    m_app.GetDiskWatcher()->CheckFile(path);
    m_app.GetDiskWatcher()->CheckFile(path);
    EXPECT_EQ(m_prompt.Boxes().size(), 4);
    EXPECT_TRUE(m_prompt.Boxes().last().text.contains("was deleted or moved"));
    EXPECT_TRUE(source->IsModified());
}

} // namespace

SHELL_TEST_MAIN()
