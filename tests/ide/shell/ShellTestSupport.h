// Shared by the shell's widget tests: a fresh settings folder for every test, the
// prompt recorder, settings written before a start, and modal dialogs answered from
// queued calls so that no test waits for a user.
#pragma once

#include "PromptRecorder.h"
#include "StartupChecks.h"
#include "WidgetTestSupport.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <utility>

class ShellTest : public testing::Test
{
protected:
    ShellTest() : m_oldDir(QDir::currentPath())
    {
        qputenv("XDG_CONFIG_HOME", m_config.path().toLocal8Bit());
    }
    ~ShellTest() override { QDir::setCurrent(m_oldDir); }

    // A tool location in the work folder holding files; SASM.EXE gets sasmSize bytes
    // (the HP tools' size by default), every other file one byte.
    QString MakeTools(const QStringList& files = ToolFiles(), qint64 sasmSize = 150000)
    {
        const QString dir = m_work.filePath("tools");
        QDir().mkpath(dir);
        for (const QString& name : files) {
            QFile file(dir + '/' + name);
            EXPECT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(QByteArray(name == "SASM.EXE" ? sasmSize : 1, 'x'));
        }
        return dir;
    }
    // Settings for a start without boxes: complete tools, an existing default folder,
    // no tips.
    void WriteQuietStartOptions()
    {
        WriteOptions(
            {{"ToolLocation", MakeTools()}, {"DefaultDir", m_work.path()}, {"ShowTips", "No"}});
    }
    // Stores options in the settings file, as a previous run would have.
    void WriteOptions(const std::map<QString, QString>& values)
    {
        QSettings settings(SettingsFile(), QSettings::IniFormat);
        settings.beginGroup(QStringLiteral("Options"));
        for (const auto& [name, value] : values) {
            settings.setValue(name, value);
        }
    }
    // A tool location in the work folder with every tool file (the HP tools' SASM.EXE
    // size), so that a start asks no question; returns its path.
    QString WriteToolFiles()
    {
        const QString tools = m_work.filePath(QStringLiteral("tools"));
        QDir().mkpath(tools);
        for (const QString& name : ToolFiles()) {
            QFile file(tools + QLatin1Char('/') + name);
            EXPECT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(QByteArray(name == QLatin1String("SASM.EXE") ? 150000 : 1, 'x'));
        }
        return tools;
    }
    // The stored value of an option, or "<none>".
    QString StoredOption(const QString& name) const
    {
        QSettings settings(SettingsFile(), QSettings::IniFormat);
        return settings.value(QStringLiteral("Options/") + name, QStringLiteral("<none>"))
            .toString();
    }
    QString SettingsFile() const
    {
        return m_config.path() + QStringLiteral("/Velmora/Velmora.conf");
    }

    static void WhenModal(std::function<void(QWidget*)> act) { ::WhenModal(std::move(act)); }

    QTemporaryDir m_config;
    QTemporaryDir m_work;
    QString m_oldDir;
    CPromptRecorder m_prompt;
};

// The test programs' main: a QApplication for the widgets, then every test.
#define SHELL_TEST_MAIN()                                                                          \
    int main(int argc, char** argv)                                                                \
    {                                                                                              \
        QApplication app(argc, argv);                                                              \
        testing::InitGoogleTest(&argc, argv);                                                      \
        return RUN_ALL_TESTS();                                                                    \
    }
