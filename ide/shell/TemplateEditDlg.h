// "Edit Templates": five rows of a name and a path. OK sets the ten options in memory
// (names 1 to 5, then paths 1 to 5); they are saved with the other options when the
// Program Settings dialog closes with "Done".
#pragma once

#include "Options.h"

#include <QDialog>

class QLineEdit;

class CEditTemplatesDlg : public QDialog
{
    Q_OBJECT
public:
    explicit CEditTemplatesDlg(COptionTable& options, QWidget* parent = nullptr);

    // The boxes of row n (1 to 5).
    QLineEdit* NameEdit(int n) const { return m_pNames[n - 1]; }
    QLineEdit* PathEdit(int n) const { return m_pPaths[n - 1]; }
    void accept() override;

private:
    COptionTable& m_options;
    QLineEdit* m_pNames[5] = {};
    QLineEdit* m_pPaths[5] = {};
};
