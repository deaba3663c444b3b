// The tip of the day: a white framed area with a bulb and the heading "Did you know...",
// the tip text, the check box "&Show Tips on StartUp", "&Next Tip" and "&Close".
// Constructing the dialog takes the next tip.
#pragma once

#include <QDialog>

class COptionTable;
class QCheckBox;
class QLabel;

class CTipDlg : public QDialog
{
    Q_OBJECT
public:
    explicit CTipDlg(COptionTable& options, QWidget* parent = nullptr);

    // Show the tips at start-up (the check box), and the tip shown now.
    bool m_bStartup;
    QString m_strTip;
    int GetTipIndex() const { return m_nTip; }

    // "&Next Tip".
    void OnNextTip();
    // The check box: ShowTips follows it and is saved at once.
    void OnStartupToggled(bool checked);

private:
    COptionTable& m_options;
    int m_nTip;
    QLabel* m_pText = nullptr;
    QCheckBox* m_pStartup = nullptr;
};
