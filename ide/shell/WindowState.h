// What the main window looked like when the program last ended, kept in the settings
// file's group "Window": the window's geometry (with its maximised state), the places of
// the toolbars and the build messages, and the project last opened or saved.
#pragma once

#include <QByteArray>
#include <QString>

struct WindowState
{
    QByteArray geometry; // QWidget::saveGeometry
    QByteArray layout;   // QMainWindow::saveState
    QString lastProject; // full path; empty when none was ever opened

    static WindowState Load();
    // Writes geometry and layout; the last project is written as it changes.
    void SaveLayout() const;
    static void SaveLastProject(const QString& path);
};
