// The progress of a running build as the build steps see it: a status line, a bar
// with a range, a step and a position, and the Cancel button. The progress dialog
// implements it for the window; a build without a window uses CConsoleProgress.
#pragma once

#include <QString>

class IBuildProgress
{
public:
    virtual ~IBuildProgress() = default;
    virtual void SetStatus(const QString& text) = 0;
    virtual void SetRange(int lower, int upper) = 0;
    virtual void SetStep(int step) = 0;
    // Keeps the user interface alive, then sets the position; returns the previous one.
    virtual int SetPos(int pos) = 0;
    // Keeps the user interface alive, then advances by one step; returns the previous
    // position.
    virtual int StepIt() = 0;
    // Keeps the user interface alive, then tells whether Cancel was pressed. Once
    // cancelled, a build stays cancelled.
    virtual bool PollCancel() = 0;
};

// The bar's numbers, kept the way the progress bar keeps them (each bound as a 16-bit
// value), shared by every implementation.
class CProgressState : public IBuildProgress
{
public:
    void SetStatus(const QString& text) override { m_strStatus = text; }
    void SetRange(int lower, int upper) override;
    void SetStep(int step) override { m_nStep = step; }
    int SetPos(int pos) override;
    int StepIt() override;
    bool PollCancel() override;

    void Cancel() { m_bCancelled = true; }
    bool IsCancelled() const { return m_bCancelled; }
    const QString& Status() const { return m_strStatus; }
    int Lower() const { return m_nLower; }
    int Upper() const { return m_nUpper; }
    int Step() const { return m_nStep; }
    int Pos() const { return m_nPos; }

protected:
    // Called before SetPos, StepIt and PollCancel do their work: the dialog pumps the
    // event queue here. The default does nothing.
    virtual void PumpEvents() {}
    // Called after the numbers changed, so a view can show them.
    virtual void ProgressChanged() {}

private:
    QString m_strStatus;
    int m_nLower = 0;
    int m_nUpper = 100;
    int m_nStep = 10;
    int m_nPos = 0;
    bool m_bCancelled = false;
};
