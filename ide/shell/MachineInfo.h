// The two machine figures of the about box, as their texts.
#pragma once

#include <QString>

#include <optional>

namespace MachineInfo {

// The machine's physical memory in kilobytes (the figure the about box has always
// shown beside "Free Memory:"); nothing when the system does not say.
std::optional<quint64> TotalMemoryKB();
// "%1 KB": the memory figure, or "Unavailable".
QString MemoryText();

struct DiskSpace
{
    quint64 freeKB = 0;
    QString mountPoint; // the file system that holds the folder
};
// Free space for users of the file system that holds folder.
std::optional<DiskSpace> FreeDiskSpace(const QString& folder);
// "%1 KB Free on %2" for the current folder, or "Unavailable".
QString DiskText();

} // namespace MachineInfo
