// The Find and Replace dialogs of the source editor. They are modeless, like the
// editor's own find bar would be, and search the view that opened them. The last
// search is shared by all editors, so that F3 repeats it anywhere.
#pragma once

#include <QDialog>
#include <QPointer>

class CSourceEditView;
class QCheckBox;
class QLineEdit;
class QRadioButton;

struct SourceFindState
{
    QString findText;
    QString replaceText;
    bool matchCase = false;
    bool wholeWord = false;
    bool down = true;

    static SourceFindState& Current();
};

class CSourceFindDialog : public QDialog
{
    Q_OBJECT
public:
    CSourceFindDialog(CSourceEditView* view, bool replace);

    bool IsReplace() const { return m_bReplace; }
    // Fills the controls from the shared state; the selection, when it lies on one
    // line, becomes the text to find.
    void Prepare(const QString& selected);

private:
    // Copies the controls into the shared state.
    void Store();
    void OnFindNext();
    void OnReplace();
    void OnReplaceAll();

    QPointer<CSourceEditView> m_pView;
    bool m_bReplace;
    QLineEdit* m_pFindWhat = nullptr;
    QLineEdit* m_pReplaceWith = nullptr;
    QCheckBox* m_pWholeWord = nullptr;
    QCheckBox* m_pMatchCase = nullptr;
    QRadioButton* m_pUp = nullptr;
    QRadioButton* m_pDown = nullptr;
};
