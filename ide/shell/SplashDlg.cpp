#include "SplashDlg.h"

#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>
#include <QVBoxLayout>

CSplashDlg::CSplashDlg()
{
    setObjectName(QStringLiteral("SplashDlg"));
    m_timer.setSingleShot(true);
    m_timer.setInterval(kTimeoutMs);
    connect(&m_timer, &QTimer::timeout, this, &QWidget::close);
}

void CSplashDlg::Create(QWidget* parent)
{
    setParent(parent, Qt::SplashScreen | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_DeleteOnClose, false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    auto* small = new QLabel(this);
    small->setPixmap(QPixmap(QStringLiteral(":/velmora/splash/title.png")));
    small->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    auto* large = new QLabel(this);
    large->setPixmap(QPixmap(QStringLiteral(":/velmora/splash/picture.png")));
    large->setAlignment(Qt::AlignCenter);
    layout->addWidget(small);
    layout->addWidget(large, 1);
    setStyleSheet(QStringLiteral("CSplashDlg { background: white; border: 1px solid gray; }"));
    adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = rect();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    m_bCreated = true;
    show();
    m_timer.start();
}

void CSplashDlg::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        close();
        return;
    }
    QDialog::mousePressEvent(event);
}
