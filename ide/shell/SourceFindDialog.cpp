#include "SourceFindDialog.h"

#include "SourceEditView.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

SourceFindState& SourceFindState::Current()
{
    static SourceFindState state;
    return state;
}

CSourceFindDialog::CSourceFindDialog(CSourceEditView* view, bool replace)
    : QDialog(view ? view->window() : nullptr), m_pView(view), m_bReplace(replace)
{
    setWindowTitle(replace ? tr("Replace") : tr("Find"));
    setObjectName(replace ? QStringLiteral("ReplaceDialog") : QStringLiteral("FindDialog"));

    auto* fields = new QFormLayout;
    m_pFindWhat = new QLineEdit(this);
    m_pFindWhat->setObjectName(QStringLiteral("FindWhat"));
    fields->addRow(tr("Fi&nd what:"), m_pFindWhat);
    if (replace) {
        m_pReplaceWith = new QLineEdit(this);
        m_pReplaceWith->setObjectName(QStringLiteral("ReplaceWith"));
        fields->addRow(tr("Re&place with:"), m_pReplaceWith);
    }
    m_pWholeWord = new QCheckBox(tr("Match &whole word only"), this);
    m_pWholeWord->setObjectName(QStringLiteral("MatchWholeWord"));
    m_pMatchCase = new QCheckBox(tr("Match &case"), this);
    m_pMatchCase->setObjectName(QStringLiteral("MatchCase"));

    auto* options = new QVBoxLayout;
    options->addWidget(m_pWholeWord);
    options->addWidget(m_pMatchCase);
    auto* lower = new QHBoxLayout;
    lower->addLayout(options);
    if (!replace) {
        auto* direction = new QGroupBox(tr("Direction"), this);
        m_pUp = new QRadioButton(tr("&Up"), direction);
        m_pUp->setObjectName(QStringLiteral("Up"));
        m_pDown = new QRadioButton(tr("&Down"), direction);
        m_pDown->setObjectName(QStringLiteral("Down"));
        auto* dirLayout = new QHBoxLayout(direction);
        dirLayout->addWidget(m_pUp);
        dirLayout->addWidget(m_pDown);
        lower->addWidget(direction);
    }

    auto* buttons = new QDialogButtonBox(Qt::Vertical, this);
    auto* findNext = buttons->addButton(tr("&Find Next"), QDialogButtonBox::ActionRole);
    findNext->setObjectName(QStringLiteral("FindNext"));
    findNext->setDefault(true);
    connect(findNext, &QPushButton::clicked, this, &CSourceFindDialog::OnFindNext);
    if (replace) {
        auto* one = buttons->addButton(tr("&Replace"), QDialogButtonBox::ActionRole);
        one->setObjectName(QStringLiteral("Replace"));
        connect(one, &QPushButton::clicked, this, &CSourceFindDialog::OnReplace);
        auto* all = buttons->addButton(tr("Replace &All"), QDialogButtonBox::ActionRole);
        all->setObjectName(QStringLiteral("ReplaceAll"));
        connect(all, &QPushButton::clicked, this, &CSourceFindDialog::OnReplaceAll);
    }
    auto* cancel = buttons->addButton(QDialogButtonBox::Cancel);
    cancel->setObjectName(QStringLiteral("Cancel"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* left = new QVBoxLayout;
    left->addLayout(fields);
    left->addLayout(lower);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left);
    layout->addWidget(buttons);
}

void CSourceFindDialog::Prepare(const QString& selected)
{
    const SourceFindState& state = SourceFindState::Current();
    const bool oneLine = !selected.isEmpty() && !selected.contains(QChar::ParagraphSeparator);
    m_pFindWhat->setText(oneLine ? selected : state.findText);
    m_pFindWhat->selectAll();
    if (m_pReplaceWith)
        m_pReplaceWith->setText(state.replaceText);
    m_pWholeWord->setChecked(state.wholeWord);
    m_pMatchCase->setChecked(state.matchCase);
    if (m_pDown) {
        m_pDown->setChecked(state.down);
        m_pUp->setChecked(!state.down);
    }
}

void CSourceFindDialog::Store()
{
    SourceFindState& state = SourceFindState::Current();
    state.findText = m_pFindWhat->text();
    if (m_pReplaceWith)
        state.replaceText = m_pReplaceWith->text();
    state.wholeWord = m_pWholeWord->isChecked();
    state.matchCase = m_pMatchCase->isChecked();
    // Replacing always searches downwards.
    state.down = m_pDown ? m_pDown->isChecked() : true;
}

void CSourceFindDialog::OnFindNext()
{
    Store();
    if (m_pView)
        m_pView->FindNext();
}

void CSourceFindDialog::OnReplace()
{
    Store();
    if (m_pView)
        m_pView->ReplaceCurrent();
}

void CSourceFindDialog::OnReplaceAll()
{
    Store();
    if (m_pView)
        m_pView->ReplaceAll();
}
