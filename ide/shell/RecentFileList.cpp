#include "RecentFileList.h"

#include "Options.h"

#include <QDir>
#include <QSettings>

namespace {
const QString kGroup = QStringLiteral("Recent File List");
const QString kKey = QStringLiteral("File%1");
constexpr int kMenuChars = 60;
} // namespace

void CRecentFileList::Load()
{
    QSettings settings(COptionTable::SettingsFilePath(), QSettings::IniFormat);
    settings.beginGroup(kGroup);
    m_entries.clear();
    for (int i = 1; i <= kSize; ++i) {
        const QString path = settings.value(kKey.arg(i)).toString();
        if (!path.isEmpty() && !m_entries.contains(path)) {
            m_entries.append(path);
        }
    }
}

void CRecentFileList::Add(const QString& path)
{
    if (path.isEmpty()) {
        return;
    }
    m_entries.removeAll(path);
    m_entries.prepend(path);
    while (m_entries.size() > kSize) {
        m_entries.removeLast();
    }
    Save();
}

void CRecentFileList::Remove(int index)
{
    if (index >= 0 && index < m_entries.size()) {
        m_entries.removeAt(index);
        Save();
    }
}

QString CRecentFileList::MenuText(int index) const
{
    QString path = QDir::toNativeSeparators(m_entries.value(index));
    const QString home = QDir::homePath();
    if (path.startsWith(home + QLatin1Char('/'))) {
        path = QLatin1Char('~') + path.mid(home.size());
    }
    if (path.size() > kMenuChars) {
        // Keep the start and the file name, as much as fits.
        const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
        const QString name = path.mid(slash);
        const qsizetype head = qMax<qsizetype>(0, kMenuChars - name.size() - 3);
        path = path.left(head) + QStringLiteral("...") + name;
    }
    path.replace(QLatin1Char('&'), QStringLiteral("&&"));
    return QStringLiteral("&%1 %2").arg(index + 1).arg(path);
}

void CRecentFileList::Save() const
{
    QSettings settings(COptionTable::SettingsFilePath(), QSettings::IniFormat);
    settings.remove(kGroup);
    settings.beginGroup(kGroup);
    for (int i = 0; i < m_entries.size(); ++i) {
        settings.setValue(kKey.arg(i + 1), m_entries.at(i));
    }
    settings.endGroup();
    settings.sync();
}
