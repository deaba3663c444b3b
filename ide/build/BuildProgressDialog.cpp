#include "BuildProgressDialog.h"

#include "Strings.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMainWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWindow>

CBuildProgressDialog::CBuildProgressDialog(unsigned captionId)
    : m_nCaptionId(captionId ? captionId : IDS_BUILD_PROGRESS), m_pStatus(new QLabel(this)),
      m_pBar(new QProgressBar(this)), m_pCancel(new QPushButton(tr("Cancel"), this))
{
    m_pStatus->setObjectName(QStringLiteral("status"));
    m_pBar->setObjectName(QStringLiteral("progress"));
    m_pBar->setTextVisible(false);
    m_pCancel->setObjectName(QStringLiteral("cancel"));
    m_pCancel->setAutoDefault(false);
    connect(m_pCancel, &QPushButton::clicked, this, &CBuildProgressDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pStatus);
    layout->addWidget(m_pBar);
    layout->addWidget(m_pCancel, 0, Qt::AlignHCenter);
    setMinimumWidth(320);
}

void CBuildProgressDialog::keyPressEvent(QKeyEvent* event)
{
    // On X11, Ctrl+Pause arrives as the keysym Break, which Qt leaves without a key code.
    constexpr quint32 kX11Break = 0xff6b;
    if (event->modifiers() == Qt::ControlModifier &&
        (event->key() == Qt::Key_Pause || event->nativeVirtualKey() == kX11Break)) {
        Cancel();
        return;
    }
    QDialog::keyPressEvent(event);
}

CBuildProgressDialog::~CBuildProgressDialog()
{
    DestroyWindow();
}

bool CBuildProgressDialog::Create(QWidget* owner)
{
    if (owner) {
        owner = owner->window();
    } else {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (qobject_cast<QMainWindow*>(top)) {
                owner = top;
                break;
            }
        }
    }
    if (!owner)
        return false;
    m_pOwner = owner;
    if (owner->isEnabled()) {
        owner->setEnabled(false);
        m_bOwnerDisabled = true;
    }
    // The dialog is a window of its own (a child would be disabled with its owner) that
    // stays in front of the owner.
    setWindowTitle(LoadString(m_nCaptionId));
    winId();
    if (QWindow* window = windowHandle()) {
        owner->winId();
        window->setTransientParent(owner->windowHandle());
    }
    ProgressChanged();
    show();
    return true;
}

void CBuildProgressDialog::DestroyWindow()
{
    if (m_bOwnerDisabled && m_pOwner)
        m_pOwner->setEnabled(true);
    m_bOwnerDisabled = false;
    hide();
}

void CBuildProgressDialog::SetStatus(const QString& text)
{
    CProgressState::SetStatus(text);
    m_pStatus->setText(text);
}

void CBuildProgressDialog::PumpEvents()
{
    QCoreApplication::processEvents();
}

void CBuildProgressDialog::ProgressChanged()
{
    m_pBar->setRange(Lower(), Upper());
    m_pBar->setValue(Pos());
}
