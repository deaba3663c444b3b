#include "BuildMessagesBar.h"

#include "EditorFont.h"
#include "SourceEditView.h"
#include "SourceReference.h"

#include <QCloseEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>
#include <QVBoxLayout>

CBuildMessagesList::CBuildMessagesList(QWidget* parent) : QListWidget(parent)
{
    setObjectName(QStringLiteral("BuildMessagesList"));
    setSortingEnabled(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setFont(EditorFont());
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setFrameShadow(QFrame::Sunken);
    setTextElideMode(Qt::ElideNone);
    // Every line is one text line in the same font: the list need not measure each.
    setUniformItemSizes(true);

    m_pMenu = new QMenu(this);
    m_pMenu->setObjectName(QStringLiteral("BuildMessagesMenu"));
    m_pGoToSource = m_pMenu->addAction(tr("&Go to Source"));
    m_pGoToSource->setObjectName(QStringLiteral("GoToSource"));
    m_pMenu->addSeparator();
    m_pJumpToStart = m_pMenu->addAction(tr("Jump to &Start"));
    m_pJumpToStart->setObjectName(QStringLiteral("JumpToStart"));
    m_pJumpToEnd = m_pMenu->addAction(tr("Jump to &End"));
    m_pJumpToEnd->setObjectName(QStringLiteral("JumpToEnd"));
    m_pMenu->addSeparator();
    m_pClear = m_pMenu->addAction(tr("&Clear Messages"));
    m_pClear->setObjectName(QStringLiteral("ClearMessages"));

    connect(m_pGoToSource, &QAction::triggered, this, &CBuildMessagesList::goToSourceRequested);
    connect(m_pJumpToStart, &QAction::triggered, this, [this] {
        if (count() > 0)
            setCurrentRow(0);
    });
    connect(m_pJumpToEnd, &QAction::triggered, this, [this] {
        if (count() > 0)
            setCurrentRow(count() - 1);
    });
    connect(m_pClear, &QAction::triggered, this, &CBuildMessagesList::clearRequested);
}

void CBuildMessagesList::mousePressEvent(QMouseEvent* e)
{
    // A click below the last line leaves the selection as it is, so that the chosen
    // line can still be jumped to. The right button selects the line under it.
    QListWidgetItem* item = itemAt(e->position().toPoint());
    if (e->button() == Qt::RightButton) {
        if (item)
            setCurrentItem(item);
        e->accept();
        return;
    }
    if (!item) {
        e->accept();
        return;
    }
    QListWidget::mousePressEvent(e);
}

void CBuildMessagesList::mouseDoubleClickEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton) {
        e->accept();
        return;
    }
    if (itemAt(e->position().toPoint()))
        QListWidget::mouseDoubleClickEvent(e);
    emit goToSourceRequested();
}

void CBuildMessagesList::contextMenuEvent(QContextMenuEvent* e)
{
    m_pMenu->popup(e->globalPos());
    e->accept();
}

CBuildMessagesBar::CBuildMessagesBar(QWidget* parent) : QDockWidget(parent)
{
    setObjectName(QStringLiteral("BuildMessagesBar"));
    setWindowTitle(tr("Build Messages"));
    setAllowedAreas(Qt::TopDockWidgetArea | Qt::BottomDockWidgetArea);
    // The bar is shown and hidden by View > Messages, not closed.
    setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);

    m_pHolder = new QWidget(this);
    auto* layout = new QVBoxLayout(m_pHolder);
    m_pList = new CBuildMessagesList(m_pHolder);
    layout->addWidget(m_pList);
    setWidget(m_pHolder);
    UpdateMargins(isFloating());
    connect(this, &QDockWidget::topLevelChanged, this, &CBuildMessagesBar::UpdateMargins);

    connect(m_pList, &CBuildMessagesList::goToSourceRequested, this,
            &CBuildMessagesBar::GoToSource);
    connect(m_pList, &CBuildMessagesList::clearRequested, this, &CBuildMessagesBar::ClearMessages);
}

void CBuildMessagesBar::UpdateMargins(bool floating)
{
    const int margin = floating ? kFloatingMargin : kDockedMargin;
    m_pHolder->layout()->setContentsMargins(margin, margin, margin, margin);
}

void CBuildMessagesBar::AddMessage(const QString& line)
{
    m_pList->addItem(line);
    m_pList->setCurrentRow(m_pList->count() - 1);
    // Tools may run for a long time without returning to the event loop: each line
    // is painted before the next is added.
    if (isVisible())
        m_pList->viewport()->repaint();
}

void CBuildMessagesBar::ClearMessages()
{
    m_pList->clear();
}

void CBuildMessagesBar::ShowMessages()
{
    m_pList->horizontalScrollBar()->setRange(0, kHorizontalExtent);
    m_bShown = true;
    show();
    raise();
}

void CBuildMessagesBar::HideMessages()
{
    m_bShown = false;
    hide();
}

void CBuildMessagesBar::GoToSource()
{
    const QListWidgetItem* item = m_pList->currentItem();
    if (!item || !item->isSelected() || !m_openSource)
        return;
    const auto ref = ResolveSourceReference(item->text());
    if (!ref)
        return;
    CSourceEditView* view = m_openSource(ref->fileName);
    if (!view)
        return;
    view->SelectLine(ref->line);
    view->show();
    view->setFocus();
}

void CBuildMessagesBar::closeEvent(QCloseEvent* e)
{
    e->ignore();
}
