// "Program Settings": every option in a two-column list, grouped under its section
// headers with a blank row before each section but the first. A double-click toggles
// a Yes/No option or edits any other in "Edit Program Setting"; "Default" restores an
// option's default after asking; "Done" saves every option, closing any other way
// saves nothing (the changes stay in effect for this run).
#pragma once

#include <QDialog>

class COptionTable;
class QTreeWidget;
class QTreeWidgetItem;

class CProgramSettingsDlg : public QDialog
{
    Q_OBJECT
public:
    // Item data of blank and section rows.
    static constexpr int kNoOption = -1;

    explicit CProgramSettingsDlg(COptionTable& options, QWidget* parent = nullptr);

    QTreeWidget* GetList() const { return m_pList; }
    // The double-click and "Default" of the first selected row.
    void OnDblClick();
    void OnDefault();
    // "Done".
    void OnDone();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FillList();
    // The table row of the first selected list row, or kNoOption.
    int SelectedOption(QTreeWidgetItem** item = nullptr) const;
    void SetValue(QTreeWidgetItem* item, int option, const QString& value);

    COptionTable& m_options;
    QTreeWidget* m_pList;
};
