#include "ConfigListDlg.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

CConfigListDlg::CConfigListDlg(const QList<ProjectConfiguration>& configs, const QByteArray& text,
                               QWidget* parent)
    : QDialog(parent), m_model(configs, text), m_text(text)
{
    setObjectName(QStringLiteral("ConfigListDlg"));
    setWindowTitle(QStringLiteral("Configuration List"));

    m_pList = new QListWidget();
    m_pList->setObjectName(QStringLiteral("ConfigList"));
    m_pList->setSelectionMode(QAbstractItemView::MultiSelection);
    for (int row = 0; row < m_model.Names().size(); ++row) {
        auto* item = new QListWidgetItem(QString::fromLatin1(m_model.Names().at(row)), m_pList);
        item->setSelected(m_model.IsSelected(row));
    }

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->setObjectName(QStringLiteral("Buttons"));
    connect(buttons, &QDialogButtonBox::accepted, this, &CConfigListDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CConfigListDlg::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Click to select a configuration:")));
    layout->addWidget(m_pList);
    layout->addWidget(buttons);
}

void CConfigListDlg::accept()
{
    for (int row = 0; row < m_pList->count(); ++row) {
        m_model.SetSelected(row, m_pList->item(row)->isSelected());
    }
    m_text = m_model.Text();
    QDialog::accept();
}
