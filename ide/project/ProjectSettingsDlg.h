// "Project Settings": the project type, the library number and the configurations,
// each with its base filename and library title. The dialog only shows and reads its
// controls; CProjectSettingsModel holds the working copies and decides everything.
#pragma once

#include "ProjectDialogsModel.h"

#include <QDialog>

#include <optional>
#include <utility>

class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;

class CProjectSettingsDlg : public QDialog
{
    Q_OBJECT
public:
    // Edits project on OK; Cancel leaves it as it was.
    explicit CProjectSettingsDlg(CProjectDocument* project, QWidget* parent = nullptr);

    CProjectSettingsModel& Model() { return m_model; }
    // The in-place rename of row ends with text.
    void EndRename(int row, const QString& text);
    // The list's editor of the configuration id (see CProjectSettingsModel::RowId)
    // closed with text: the rename ends once the editor is gone.
    void QueueRename(int id, const QString& text);
    // The Delete key in the configuration list.
    void DeleteSelected();
    // "&Add New": a row "(new)", selected and opened for renaming.
    void AddNew();
    void accept() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Copies the controls into the model, and the model into the controls.
    void ReadControls();
    void ShowValues();
    void OnSelectionChanged();
    void EndPendingRename();

    CProjectDocument* m_pProject;
    CProjectSettingsModel m_model;
    QComboBox* m_pType = nullptr;
    QLineEdit* m_pRomId = nullptr;
    QLineEdit* m_pProjectDir = nullptr;
    QListWidget* m_pConfigs = nullptr;
    QPushButton* m_pAddNew = nullptr;
    QLineEdit* m_pBaseFilename = nullptr;
    QLineEdit* m_pFullFilename = nullptr;
    QLineEdit* m_pLibraryTitle = nullptr;
    // The configuration (its id in the model) and the name of an edit that has ended.
    std::optional<std::pair<int, QString>> m_pendingRename;
    // False while the dialog is being filled; selection changes are ignored then.
    bool m_bInitialised = false;
    bool m_bRefilling = false;
};
