#include "ProjectEditView.h"

#include "CommandIds.h"
#include "ProjectCommands.h"
#include "ProjectDocument.h"
#include "TitleMarker.h"

#include <QHeaderView>
#include <QScrollBar>

CProjectEditView::CProjectEditView(CProjectDocument* document, QWidget* parent)
    : QTreeWidget(parent), CView(document), m_pProject(document)
{
    setObjectName(QStringLiteral("ProjectEditView"));
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setIconSize(QSize(16, 16));
    m_images[0] = QIcon(QStringLiteral(":/velmora/project/blank.png"));
    m_images[1] = QIcon(QStringLiteral(":/velmora/project/mark.png"));

    const QStringList columns = {QStringLiteral("Filename"), QStringLiteral("Visible?"),
                                 QStringLiteral("Compile?"), QStringLiteral("Compiled name")};
    const int widths[] = {300, 70, 70, 100};
    setColumnCount(columns.size());
    setHeaderLabels(columns);
    header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    header()->setStretchLastSection(false);
    for (int i = 0; i < columns.size(); ++i) {
        setColumnWidth(i, widths[i]);
    }

    // The project window never closes on its own and never takes another name.
    Commands().OnUpdate(Cmd::ID_FILE_CLOSE, [](CCmdUI& ui) { ui.Enable(false); });
    Commands().OnUpdate(Cmd::ID_FILE_SAVE_AS, [](CCmdUI& ui) { ui.Enable(false); });

    // Opening, removing, moving and toggling entries, and their properties.
    new CProjectViewCommands(this);

    document->SetFileList(this);
    connect(&m_timer, &QTimer::timeout, this, &CProjectEditView::UpdateTitleMarker);
    m_timer.start(kTitleTimerMs);
}

CProjectEditView::~CProjectEditView()
{
    if (m_pProject && m_pProject->GetFileList() == this) {
        m_pProject->SetFileList(nullptr);
    }
}

void CProjectEditView::UpdateTitleMarker()
{
    m_pProject->SetTitle(ApplyTitleMarker(m_pProject->GetTitle(), m_pProject->IsModified()));
}

void CProjectEditView::DeleteAllRows()
{
    clear();
}

void CProjectEditView::InsertRow(int row)
{
    auto* item = new QTreeWidgetItem();
    item->setIcon(0, m_images[0]);
    insertTopLevelItem(row, item);
}

void CProjectEditView::DeleteRow(int row)
{
    delete takeTopLevelItem(row);
}

void CProjectEditView::SetRowTexts(int row, const QStringList& columns)
{
    if (QTreeWidgetItem* item = topLevelItem(row)) {
        for (int i = 0; i < columns.size() && i < columnCount(); ++i) {
            item->setText(i, columns.at(i));
        }
    }
}

void CProjectEditView::SetRowImage(int row, int image)
{
    if (QTreeWidgetItem* item = topLevelItem(row)) {
        item->setIcon(0, GetImage(image));
    }
}

QSize CProjectEditView::sizeHint() const
{
    int width = 2 * frameWidth() + verticalScrollBar()->sizeHint().width();
    for (int i = 0; i < columnCount(); ++i) {
        width += columnWidth(i);
    }
    const int rows = 12;
    const int height = 2 * frameWidth() + header()->sizeHint().height() +
                       rows * (fontMetrics().height() + 4) +
                       horizontalScrollBar()->sizeHint().height();
    return {width, height};
}
