// The build's progress window: a status line, a progress bar and a Cancel button. It is
// modeless but keeps its owner (the main window) disabled while it exists, so the user
// can do nothing but watch or cancel; Escape counts as Cancel, Enter does nothing.
// While a tool runs, the build keeps the program alive through this dialog's event pump.
#pragma once

#include "BuildProgress.h"

#include <QDialog>
#include <QPointer>

class QLabel;
class QProgressBar;
class QPushButton;

class CBuildProgressDialog : public QDialog, public CProgressState
{
    Q_OBJECT
public:
    // captionId: the string-table id of the caption; 0 for "Build Progress".
    explicit CBuildProgressDialog(unsigned captionId = 0);
    ~CBuildProgressDialog() override;

    // Shows the dialog for owner's window, or for the main window when owner is null,
    // and disables that window if it was enabled. False when there is no window to own it.
    bool Create(QWidget* owner = nullptr);
    // Enables the owner again if this dialog disabled it, then closes the dialog.
    void DestroyWindow();

    void SetStatus(const QString& text) override;

    // Enter does nothing; Escape and the Cancel button set the cancelled flag and leave
    // the dialog open.
    void accept() override {}
    void reject() override { Cancel(); }

protected:
    // Ctrl+Break, the Cancel Build key, cancels too: the main window that holds that
    // command is disabled while the dialog is up.
    void keyPressEvent(QKeyEvent* event) override;
    void PumpEvents() override;
    void ProgressChanged() override;

private:
    unsigned m_nCaptionId;
    QLabel* m_pStatus;
    QProgressBar* m_pBar;
    QPushButton* m_pCancel;
    QPointer<QWidget> m_pOwner;
    bool m_bOwnerDisabled = false;
};
