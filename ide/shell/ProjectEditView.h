// The project's window: a report list of the project's file entries with the columns
// "Filename", "Visible?", "Compile?" and "Compiled name". The project document writes
// the rows; a mark in front of a row tells that the current configuration compiles
// the file. A 500 ms timer keeps the " *" of a modified project in the title.
#pragma once

#include "DocTemplate.h"
#include "ProjectDocument.h"
#include "ProjectFileList.h"

#include <QIcon>
#include <QPointer>
#include <QTimer>
#include <QTreeWidget>

class CProjectEditView : public QTreeWidget, public CView, public IProjectFileList
{
    Q_OBJECT
public:
    static constexpr int kTitleTimerMs = 500;

    explicit CProjectEditView(CProjectDocument* document, QWidget* parent = nullptr);
    ~CProjectEditView() override;

    CProjectDocument* GetProjectDocument() const { return m_pProject; }
    QWidget* GetWidget() override { return this; }
    // Wide enough for all four columns, with room for a dozen rows.
    QSize sizeHint() const override;
    // The row images: 0 blank, 1 the mark.
    const QIcon& GetImage(int image) const { return m_images[image ? 1 : 0]; }
    // Puts the " *" marker on or off the title as the project's modified flag says.
    void UpdateTitleMarker();

    void DeleteAllRows() override;
    void InsertRow(int row) override;
    void DeleteRow(int row) override;
    void SetRowTexts(int row, const QStringList& columns) override;
    void SetRowImage(int row, int image) override;

private:
    QPointer<CProjectDocument> m_pProject;
    QIcon m_images[2];
    QTimer m_timer;
};
