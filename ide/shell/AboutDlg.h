// "About Velmora": the version, the free memory and the free disk space of the file
// system that holds the current folder.
#pragma once

#include <QDialog>

class CAboutDlg : public QDialog
{
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};
