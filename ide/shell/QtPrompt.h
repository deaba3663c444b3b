// The program's prompt: message boxes with QMessageBox, file dialogs with QFileDialog,
// over the active window.
#pragma once

#include "Prompt.h"

class CQtPrompt : public IPrompt
{
public:
    int MessageBox(const QString& text, const QString& caption, unsigned type) override;
    QStringList GetOpenFileNames(const QString& caption, const QString& dir, const QString& filter,
                                 bool multiSelect) override;
    QString GetSaveFileName(const QString& caption, const QString& suggested,
                            const QString& filter) override;
};
