#include "ProgramSettingsDlg.h"

#include "EditSettingDlg.h"
#include "OptionChecks.h"
#include "Options.h"
#include "Prompt.h"
#include "Strings.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

CProgramSettingsDlg::CProgramSettingsDlg(COptionTable& options, QWidget* parent)
    : QDialog(parent), m_options(options)
{
    setObjectName(QStringLiteral("ProgramSettingsDlg"));
    setWindowTitle(QStringLiteral("Program Settings"));

    m_pList = new QTreeWidget(this);
    m_pList->setObjectName(QStringLiteral("SettingsList"));
    m_pList->setRootIsDecorated(false);
    m_pList->setUniformRowHeights(true);
    m_pList->setSelectionMode(QAbstractItemView::SingleSelection);
    m_pList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_pList->setHeaderLabels({QStringLiteral("Name"), QStringLiteral("Value")});
    m_pList->header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_pList->header()->setStretchLastSection(false);
    m_pList->setMinimumSize(540, 300);
    connect(m_pList, &QTreeWidget::itemDoubleClicked, this, &CProgramSettingsDlg::OnDblClick);

    auto* defaultButton = new QPushButton(QStringLiteral("Default"), this);
    defaultButton->setObjectName(QStringLiteral("DefaultButton"));
    defaultButton->setAutoDefault(false);
    connect(defaultButton, &QPushButton::clicked, this, &CProgramSettingsDlg::OnDefault);
    auto* done = new QPushButton(QStringLiteral("Done"), this);
    done->setObjectName(QStringLiteral("DoneButton"));
    done->setDefault(true);
    connect(done, &QPushButton::clicked, this, &CProgramSettingsDlg::OnDone);

    auto* buttons = new QHBoxLayout();
    buttons->addStretch(1);
    buttons->addWidget(defaultButton);
    buttons->addWidget(done);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Double-click an item to edit its value:"), this));
    layout->addWidget(m_pList, 1);
    layout->addLayout(buttons);
    FillList();
}

void CProgramSettingsDlg::FillList()
{
    const QList<ProgramOption>& rows = m_options.GetOptions();
    for (int i = 0; i < rows.size(); ++i) {
        const ProgramOption& row = rows.at(i);
        if (row.kind == OptionKind::Section) {
            if (i > 0) {
                auto* blank = new QTreeWidgetItem(m_pList, {QString(), QString()});
                blank->setData(0, Qt::UserRole, kNoOption);
            }
            auto* header = new QTreeWidgetItem(m_pList, {row.label, row.value});
            header->setData(0, Qt::UserRole, kNoOption);
        } else {
            auto* item = new QTreeWidgetItem(m_pList, {row.label, row.value});
            item->setData(0, Qt::UserRole, i);
        }
    }
}

void CProgramSettingsDlg::showEvent(QShowEvent* event)
{
    // "Name" takes 30 % of the width left beside a scroll bar's arrow, "Value" the rest.
    const int arrow = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_pList);
    const int width = m_pList->viewport()->width() - arrow;
    m_pList->setColumnWidth(0, width * 30 / 100);
    m_pList->setColumnWidth(1, width - width * 30 / 100);
    QDialog::showEvent(event);
}

int CProgramSettingsDlg::SelectedOption(QTreeWidgetItem** item) const
{
    const QList<QTreeWidgetItem*> selected = m_pList->selectedItems();
    if (selected.isEmpty()) {
        return kNoOption;
    }
    if (item) {
        *item = selected.first();
    }
    return selected.first()->data(0, Qt::UserRole).toInt();
}

void CProgramSettingsDlg::SetValue(QTreeWidgetItem* item, int option, const QString& value)
{
    m_options.SetOption(m_options.GetOptions().at(option).registryName, value);
    item->setText(1, m_options.GetOption(m_options.GetOptions().at(option).registryName));
}

void CProgramSettingsDlg::OnDblClick()
{
    QTreeWidgetItem* item = nullptr;
    const int option = SelectedOption(&item);
    if (option == kNoOption) {
        return;
    }
    const ProgramOption& row = m_options.GetOptions().at(option);
    if (row.kind == OptionKind::YesNo) {
        SetValue(item, option,
                 m_options.GetOptionBool(row.registryName) ? QStringLiteral("No")
                                                           : QStringLiteral("Yes"));
        return;
    }
    // A value the option can't take is refused with the reason, and the edit comes
    // back with the text typed, so that nothing typed is lost.
    QString typed = item->text(1);
    for (;;) {
        CEditSettingDlg edit(item->text(1), typed, this);
        if (edit.exec() != QDialog::Accepted) {
            return;
        }
        const QString problem = OptionValueProblem(row, edit.m_strNewValue);
        if (problem.isEmpty()) {
            SetValue(item, option, edit.m_strNewValue);
            return;
        }
        Prompt().MessageBox(problem, QString(), Mb::Ok | Mb::IconWarning);
        typed = edit.m_strNewValue;
    }
}

void CProgramSettingsDlg::OnDefault()
{
    QTreeWidgetItem* item = nullptr;
    const int option = SelectedOption(&item);
    if (option == kNoOption) {
        return;
    }
    const QString defaultValue = m_options.GetOptions().at(option).defaultValue;
    const QString question = LoadString(IDS_RESTORE_DEFAULT).arg(item->text(0), defaultValue);
    if (Prompt().MessageBox(question, LoadString(IDS_CONFIRM_CAPTION),
                            Mb::YesNo | Mb::IconQuestion) != IDNO) {
        SetValue(item, option, defaultValue);
    }
}

void CProgramSettingsDlg::OnDone()
{
    m_options.SaveAllOptions();
    accept();
}
