#include "MachineInfo.h"

#include "Strings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/statvfs.h>
#include <sys/sysinfo.h>

namespace {

// The mount point in /proc/self/mounts that is the longest prefix of path.
QString MountPointOf(const QString& path)
{
    QString best = QStringLiteral("/");
    QFile mounts(QStringLiteral("/proc/self/mounts"));
    if (!mounts.open(QIODevice::ReadOnly)) {
        return best;
    }
    for (const QByteArray& line : mounts.readAll().split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() < 2) {
            continue;
        }
        // Blanks and other bytes in mount points are written as octal escapes.
        QString point = QString::fromLocal8Bit(fields.at(1));
        point.replace(QStringLiteral("\\040"), QStringLiteral(" "));
        const bool inside = path == point || point == QLatin1String("/") ||
                            path.startsWith(point + QLatin1Char('/'));
        if (inside && point.size() > best.size()) {
            best = point;
        }
    }
    return best;
}

} // namespace

std::optional<quint64> MachineInfo::TotalMemoryKB()
{
    struct sysinfo info = {};
    if (sysinfo(&info) != 0) {
        return std::nullopt;
    }
    return (static_cast<quint64>(info.totalram) * info.mem_unit) >> 10;
}

QString MachineInfo::MemoryText()
{
    const std::optional<quint64> kb = TotalMemoryKB();
    return kb ? LoadString(IDS_ABOUT_MEMORY).arg(*kb) : LoadString(IDS_ABOUT_UNAVAILABLE);
}

std::optional<MachineInfo::DiskSpace> MachineInfo::FreeDiskSpace(const QString& folder)
{
    struct statvfs fs = {};
    if (statvfs(QFile::encodeName(folder).constData(), &fs) != 0) {
        return std::nullopt;
    }
    DiskSpace space;
    space.freeKB = (static_cast<quint64>(fs.f_bavail) * fs.f_frsize) >> 10;
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    space.mountPoint = MountPointOf(canonical.isEmpty() ? folder : canonical);
    return space;
}

QString MachineInfo::DiskText()
{
    const std::optional<DiskSpace> space = FreeDiskSpace(QDir::currentPath());
    return space ? LoadString(IDS_ABOUT_DISK).arg(space->freeKB).arg(space->mountPoint)
                 : LoadString(IDS_ABOUT_UNAVAILABLE);
}
