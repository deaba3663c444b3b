// "File Properties": one file entry's path, compiled name, flags and the
// configurations it is excluded from or only included in. The caller fills the model
// from the entry and copies it back after OK.
#pragma once

#include "ProjectDialogsModel.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

class CFilePropertiesDlg : public QDialog
{
    Q_OBJECT
public:
    // configs are the project's configurations, offered by "Browse".
    CFilePropertiesDlg(const CFilePropertiesModel& model,
                       const QList<ProjectConfiguration>& configs, QWidget* parent = nullptr);

    // The values after OK (before, the values the dialog was given).
    const CFilePropertiesModel& Model() const { return m_model; }
    // "Browse": the configuration list on the text in the box; its text on OK.
    void Browse();
    void accept() override;

private:
    void ReadControls();
    void ShowValues();

    CFilePropertiesModel m_model;
    QList<ProjectConfiguration> m_configs;
    QLineEdit* m_pPath = nullptr;
    QLineEdit* m_pCompiledName = nullptr;
    QCheckBox* m_pVisible = nullptr;
    QCheckBox* m_pCompile = nullptr;
    QComboBox* m_pChoice = nullptr;
    QLineEdit* m_pConfigText = nullptr;
    QPushButton* m_pBrowse = nullptr;
};
