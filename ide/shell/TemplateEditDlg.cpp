#include "TemplateEditDlg.h"

#include "TemplateCommands.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

CEditTemplatesDlg::CEditTemplatesDlg(COptionTable& options, QWidget* parent)
    : QDialog(parent), m_options(options)
{
    setObjectName(QStringLiteral("EditTemplatesDlg"));
    setWindowTitle(QStringLiteral("Edit Templates"));
    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("Template Name:")), 0, 0);
    grid->addWidget(new QLabel(QStringLiteral("Path:")), 0, 1);
    for (int n = 1; n <= Templates::kCount; ++n) {
        m_pNames[n - 1] = new QLineEdit(options.GetOption(Templates::NameOption(n)));
        m_pNames[n - 1]->setObjectName(QStringLiteral("TemplateName%1").arg(n));
        m_pPaths[n - 1] = new QLineEdit(options.GetOption(Templates::PathOption(n)));
        m_pPaths[n - 1]->setObjectName(QStringLiteral("TemplatePath%1").arg(n));
        grid->addWidget(m_pNames[n - 1], n, 0);
        grid->addWidget(m_pPaths[n - 1], n, 1);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->setObjectName(QStringLiteral("Buttons"));
    connect(buttons, &QDialogButtonBox::accepted, this, &CEditTemplatesDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CEditTemplatesDlg::reject);
    grid->addWidget(buttons, Templates::kCount + 1, 0, 1, 2);
}

void CEditTemplatesDlg::accept()
{
    for (int n = 1; n <= Templates::kCount; ++n) {
        m_options.SetOption(Templates::NameOption(n), m_pNames[n - 1]->text());
    }
    for (int n = 1; n <= Templates::kCount; ++n) {
        m_options.SetOption(Templates::PathOption(n), m_pPaths[n - 1]->text());
    }
    QDialog::accept();
}
