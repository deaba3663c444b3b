#include "AboutDlg.h"

#include "MachineInfo.h"
#include "Strings.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("AboutDlg"));
    setWindowTitle(QStringLiteral("About Velmora"));

    auto* icon = new QLabel(this);
    icon->setPixmap(QPixmap(QStringLiteral(":/velmora/app/velmora-32.png")));
    auto* version = new QLabel(LoadString(IDS_ABOUT_VERSION), this);
    version->setObjectName(QStringLiteral("VersionText"));
    auto* memory = new QLabel(MachineInfo::MemoryText(), this);
    memory->setObjectName(QStringLiteral("MemoryText"));
    auto* disk = new QLabel(MachineInfo::DiskText(), this);
    disk->setObjectName(QStringLiteral("DiskText"));

    auto* ok = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    ok->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("OkButton"));
    connect(ok, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QGridLayout(this);
    layout->addWidget(icon, 0, 0, 2, 1, Qt::AlignTop);
    layout->addWidget(version, 0, 1, 1, 2);
    layout->addWidget(new QLabel(QStringLiteral("Free Memory:"), this), 2, 1);
    layout->addWidget(memory, 2, 2);
    layout->addWidget(new QLabel(QStringLiteral("Free Disk Space:"), this), 3, 1);
    layout->addWidget(disk, 3, 2);
    layout->addWidget(ok, 4, 0, 1, 3);
}
