#include "EditSettingDlg.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>

CEditSettingDlg::CEditSettingDlg(const QString& oldValue, const QString& newValue, QWidget* parent)
    : QDialog(parent), m_strOldValue(oldValue), m_strNewValue(newValue)
{
    setObjectName(QStringLiteral("EditSettingDlg"));
    setWindowTitle(QStringLiteral("Edit Program Setting"));
    auto* old = new QLineEdit(m_strOldValue, this);
    old->setObjectName(QStringLiteral("OldValue"));
    old->setReadOnly(true);
    m_pNew = new QLineEdit(m_strNewValue, this);
    m_pNew->setObjectName(QStringLiteral("NewValue"));
    m_pNew->setMinimumWidth(320);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("OkButton"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("CancelButton"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QFormLayout(this);
    layout->addRow(QStringLiteral("Old value:"), old);
    layout->addRow(QStringLiteral("New value:"), m_pNew);
    layout->addRow(buttons);
    m_pNew->setFocus();
    m_pNew->selectAll();
}

void CEditSettingDlg::accept()
{
    m_strNewValue = m_pNew->text();
    QDialog::accept();
}
