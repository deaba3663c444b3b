#include "TipDlg.h"

#include "Options.h"
#include "Strings.h"
#include "Tips.h"
#include "VelmoraApp.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString kShowTips = QStringLiteral("ShowTips");

// The framed white area: the bulb at the top left, the heading beside it on one line,
// vertically centred in the bulb's band; the tip text below.
class CTipArea : public QWidget
{
public:
    explicit CTipArea(QWidget* parent)
        : QWidget(parent), m_bulb(QStringLiteral(":/velmora/tip/bulb.png"))
    {
        setObjectName(QStringLiteral("TipArea"));
        setMinimumSize(360, 160);
    }
    int BandHeight() const { return m_bulb.height(); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        // The colours of text fields, so that the area reads well in a dark palette too.
        QPainter painter(this);
        painter.fillRect(rect(), palette().color(QPalette::Base));
        painter.setPen(palette().color(QPalette::Mid));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
        painter.drawPixmap(1, 1, m_bulb);
        QFont heading = font();
        heading.setBold(true);
        heading.setPointSize(heading.pointSize() + 4);
        painter.setFont(heading);
        painter.setPen(palette().color(QPalette::Text));
        const QRect band(m_bulb.width() + 8, 1, width() - m_bulb.width() - 10, m_bulb.height());
        painter.drawText(band, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                         LoadString(IDS_TIP_HEADING));
    }

private:
    QPixmap m_bulb;
};

} // namespace

CTipDlg::CTipDlg(COptionTable& options, QWidget* parent)
    : QDialog(parent), m_bStartup(options.GetOptionBool(kShowTips)), m_options(options),
      m_nTip(Tips::TakeNext(options))
{
    m_strTip = Tips::Text(m_nTip);
    setObjectName(QStringLiteral("TipDlg"));
    setWindowTitle(QStringLiteral("Tip of the Day"));

    auto* area = new CTipArea(this);
    m_pText = new QLabel(m_strTip, area);
    m_pText->setObjectName(QStringLiteral("TipText"));
    m_pText->setWordWrap(true);
    m_pText->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_pText->setFont(CVelmoraApp::InterfaceFont());
    m_pText->setAutoFillBackground(true);
    QPalette text = m_pText->palette();
    text.setColor(QPalette::Window, text.color(QPalette::Base));
    text.setColor(QPalette::WindowText, text.color(QPalette::Text));
    m_pText->setPalette(text);
    auto* areaLayout = new QVBoxLayout(area);
    areaLayout->setContentsMargins(area->BandHeight() / 2 + 8, area->BandHeight() + 8, 12, 12);
    areaLayout->addWidget(m_pText);

    m_pStartup = new QCheckBox(QStringLiteral("&Show Tips on StartUp"), this);
    m_pStartup->setObjectName(QStringLiteral("StartupCheck"));
    m_pStartup->setChecked(m_bStartup);
    connect(m_pStartup, &QCheckBox::clicked, this, &CTipDlg::OnStartupToggled);

    auto* next = new QPushButton(QStringLiteral("&Next Tip"), this);
    next->setObjectName(QStringLiteral("NextTipButton"));
    next->setAutoDefault(false);
    connect(next, &QPushButton::clicked, this, &CTipDlg::OnNextTip);
    auto* close = new QPushButton(QStringLiteral("&Close"), this);
    close->setObjectName(QStringLiteral("CloseButton"));
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    auto* buttons = new QHBoxLayout();
    buttons->addWidget(m_pStartup);
    buttons->addStretch(1);
    buttons->addWidget(next);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(area, 1);
    layout->addLayout(buttons);
}

void CTipDlg::OnNextTip()
{
    m_nTip = Tips::TakeNext(m_options);
    m_strTip = Tips::Text(m_nTip);
    m_pText->setText(m_strTip);
}

void CTipDlg::OnStartupToggled(bool checked)
{
    m_bStartup = checked;
    m_options.SetOption(kShowTips, checked ? QStringLiteral("Yes") : QStringLiteral("No"));
    m_options.SaveOption(kShowTips);
}
