// The user guide (F1): a window that shows the guide shipped inside the program.
#pragma once

#include <QTextBrowser>

class CHelpWindow : public QTextBrowser
{
    Q_OBJECT
public:
    static const char* const kGuide;
    explicit CHelpWindow(QWidget* parent = nullptr);
};
