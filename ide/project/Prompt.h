// Every message box and file dialog of Velmora goes through this one interface, so
// that the program shows Qt dialogs, a headless run writes lines to standard error,
// and tests record each box and answer it without ever blocking.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// Button sets, icons and default buttons of a box, combined with |.
namespace Mb {
constexpr unsigned Ok = 0x0;
constexpr unsigned OkCancel = 0x1;
constexpr unsigned YesNoCancel = 0x3;
constexpr unsigned YesNo = 0x4;
constexpr unsigned RetryCancel = 0x5;
constexpr unsigned ButtonMask = 0xF;
constexpr unsigned IconError = 0x10;
constexpr unsigned IconQuestion = 0x20;
constexpr unsigned IconWarning = 0x30;
constexpr unsigned IconInformation = 0x40;
constexpr unsigned IconMask = 0xF0;
constexpr unsigned DefButton1 = 0x000;
constexpr unsigned DefButton2 = 0x100;
constexpr unsigned DefButton3 = 0x200;
constexpr unsigned DefButtonMask = 0xF00;
} // namespace Mb

// The answer of a box: the button pressed.
enum PromptAnswer : int
{
    IDOK = 1,
    IDCANCEL = 2,
    IDRETRY = 4,
    IDYES = 6,
    IDNO = 7
};

class IPrompt
{
public:
    virtual ~IPrompt() = default;
    // Shows text with caption (empty caption: the program's name) and returns the
    // button chosen; type combines the Mb:: values.
    virtual int MessageBox(const QString& text, const QString& caption, unsigned type) = 0;
    // The files chosen, or an empty list when the user cancelled.
    virtual QStringList GetOpenFileNames(const QString& caption, const QString& dir,
                                         const QString& filter, bool multiSelect) = 0;
    // The file chosen, or an empty text when the user cancelled.
    virtual QString GetSaveFileName(const QString& caption, const QString& suggested,
                                    const QString& filter) = 0;
};

// The answers a box of that type offers, in button order, and the one its default
// button gives (the first when the default names a button the box lacks).
QList<int> PromptButtons(unsigned type);
int DefaultAnswer(unsigned type);
// The caption shown for caption: the program's name when caption is empty.
QString PromptCaption(const QString& caption);

// The prompt in use. Until one is set, boxes are written to standard error and answered
// with their default button, and file dialogs are cancelled.
IPrompt& Prompt();
// Installs p (not owned); nullptr restores the standard-error prompt.
void SetPrompt(IPrompt* p);
