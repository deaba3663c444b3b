#include "WindowState.h"

#include "Options.h"

#include <QSettings>

namespace {

const QString kGroup = QStringLiteral("Window");

} // namespace

WindowState WindowState::Load()
{
    QSettings settings(COptionTable::SettingsFilePath(), QSettings::IniFormat);
    settings.beginGroup(kGroup);
    return {settings.value(QStringLiteral("Geometry")).toByteArray(),
            settings.value(QStringLiteral("Layout")).toByteArray(),
            settings.value(QStringLiteral("LastProject")).toString()};
}

void WindowState::SaveLayout() const
{
    QSettings settings(COptionTable::SettingsFilePath(), QSettings::IniFormat);
    settings.beginGroup(kGroup);
    settings.setValue(QStringLiteral("Geometry"), geometry);
    settings.setValue(QStringLiteral("Layout"), layout);
}

void WindowState::SaveLastProject(const QString& path)
{
    QSettings settings(COptionTable::SettingsFilePath(), QSettings::IniFormat);
    settings.beginGroup(kGroup);
    settings.setValue(QStringLiteral("LastProject"), path);
}
