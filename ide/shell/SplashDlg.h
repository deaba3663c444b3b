// The splash screen: a frameless window with a small and a large picture, centred on
// the screen's work area. It closes itself after 3000 ms or on a left click; start-up
// closes it early when the tip of the day comes up.
#pragma once

#include <QDialog>
#include <QTimer>

class CSplashDlg : public QDialog
{
    Q_OBJECT
public:
    static constexpr int kTimeoutMs = 3000;

    CSplashDlg();
    // Makes the window, modeless, over parent and starts the timer.
    void Create(QWidget* parent);
    bool IsCreated() const { return m_bCreated; }
    int TimerInterval() const { return m_timer.interval(); }
    bool IsTimerActive() const { return m_timer.isActive(); }

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    QTimer m_timer;
    bool m_bCreated = false;
};
