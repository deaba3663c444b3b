#include "FilePropertiesDlg.h"

#include "ConfigListDlg.h"
#include "Paths.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

CFilePropertiesDlg::CFilePropertiesDlg(const CFilePropertiesModel& model,
                                       const QList<ProjectConfiguration>& configs, QWidget* parent)
    : QDialog(parent), m_model(model), m_configs(configs)
{
    setObjectName(QStringLiteral("FilePropertiesDlg"));
    setWindowTitle(QStringLiteral("File Properties"));

    m_pPath = new QLineEdit();
    m_pPath->setObjectName(QStringLiteral("RelativePath"));
    m_pCompiledName = new QLineEdit();
    m_pCompiledName->setObjectName(QStringLiteral("CompiledName"));
    auto* pathLabel = new QLabel(QStringLiteral("&Relative path:"));
    pathLabel->setBuddy(m_pPath);
    auto* nameLabel = new QLabel(QStringLiteral("&Compiled name:"));
    nameLabel->setBuddy(m_pCompiledName);
    auto* file = new QGroupBox(QStringLiteral("&File/path properties:"));
    auto* fileGrid = new QGridLayout(file);
    fileGrid->addWidget(pathLabel, 0, 0);
    fileGrid->addWidget(m_pPath, 0, 1);
    fileGrid->addWidget(nameLabel, 1, 0);
    fileGrid->addWidget(m_pCompiledName, 1, 1);

    m_pVisible = new QCheckBox(QStringLiteral("&Visible in compiled project"));
    m_pVisible->setObjectName(QStringLiteral("Visible"));
    m_pCompile = new QCheckBox(QStringLiteral("C&ompile as part of project"));
    m_pCompile->setObjectName(QStringLiteral("Compile"));
    // Index 0 is "Exclude from", 1 "Only include in": the configuration mode.
    m_pChoice = new QComboBox();
    m_pChoice->setObjectName(QStringLiteral("ConfigMode"));
    m_pChoice->addItems({QStringLiteral("Exclude from"), QStringLiteral("Only include in")});
    m_pConfigText = new QLineEdit();
    m_pConfigText->setObjectName(QStringLiteral("ConfigText"));
    m_pBrowse = new QPushButton(QStringLiteral("Browse"));
    m_pBrowse->setObjectName(QStringLiteral("Browse"));
    m_pBrowse->setAutoDefault(false);
    auto* settings = new QGroupBox(QStringLiteral("Compile-time &settings:"));
    auto* settingsGrid = new QGridLayout(settings);
    settingsGrid->addWidget(m_pVisible, 0, 0, 1, 3);
    settingsGrid->addWidget(m_pCompile, 1, 0, 1, 3);
    settingsGrid->addWidget(m_pChoice, 2, 0);
    settingsGrid->addWidget(new QLabel(QStringLiteral("these configurations:")), 2, 1, 1, 2);
    settingsGrid->addWidget(m_pConfigText, 3, 0, 1, 2);
    settingsGrid->addWidget(m_pBrowse, 3, 2);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->setObjectName(QStringLiteral("Buttons"));
    connect(buttons, &QDialogButtonBox::accepted, this, &CFilePropertiesDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CFilePropertiesDlg::reject);
    connect(m_pBrowse, &QPushButton::clicked, this, &CFilePropertiesDlg::Browse);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(file);
    layout->addWidget(settings);
    layout->addWidget(buttons);
    ShowValues();
}

void CFilePropertiesDlg::ReadControls()
{
    m_model.m_strPath = EncodeEditedPath(m_pPath->text(), m_model.m_strPath);
    m_model.m_strCompiledName = m_pCompiledName->text().toLatin1();
    m_model.m_bVisible = m_pVisible->isChecked();
    m_model.m_bCompile = m_pCompile->isChecked();
    m_model.m_nChoice = m_pChoice->currentIndex();
    m_model.m_strConfigText = m_pConfigText->text().toLatin1();
}

void CFilePropertiesDlg::ShowValues()
{
    m_pPath->setText(DecodeUtf8OrLatin1(m_model.m_strPath));
    m_pCompiledName->setText(QString::fromLatin1(m_model.m_strCompiledName));
    m_pVisible->setChecked(m_model.m_bVisible);
    m_pCompile->setChecked(m_model.m_bCompile);
    m_pChoice->setCurrentIndex(m_model.m_nChoice);
    m_pConfigText->setText(QString::fromLatin1(m_model.m_strConfigText));
}

void CFilePropertiesDlg::Browse()
{
    ReadControls();
    CConfigListDlg list(m_configs, m_model.m_strConfigText, this);
    if (list.exec() == QDialog::Accepted) {
        m_model.m_strConfigText = list.GetText();
        ShowValues();
    }
}

void CFilePropertiesDlg::accept()
{
    ReadControls();
    QDialog::accept();
}
