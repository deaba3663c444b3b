#include "QtPrompt.h"

#include "Strings.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

namespace {

QMessageBox::StandardButton ButtonOf(int answer)
{
    switch (answer) {
    case IDCANCEL:
        return QMessageBox::Cancel;
    case IDRETRY:
        return QMessageBox::Retry;
    case IDYES:
        return QMessageBox::Yes;
    case IDNO:
        return QMessageBox::No;
    default:
        return QMessageBox::Ok;
    }
}

QMessageBox::Icon IconOf(unsigned type)
{
    switch (type & Mb::IconMask) {
    case Mb::IconError:
        return QMessageBox::Critical;
    case Mb::IconQuestion:
        return QMessageBox::Question;
    case Mb::IconWarning:
        return QMessageBox::Warning;
    case Mb::IconInformation:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

QWidget* DialogParent()
{
    QWidget* parent = QApplication::activeModalWidget();
    if (!parent) {
        parent = QApplication::activeWindow();
    }
    // Never the splash screen: a box over it would go when the splash closes itself.
    return parent && parent->windowType() != Qt::SplashScreen ? parent : nullptr;
}

} // namespace

int CQtPrompt::MessageBox(const QString& text, const QString& caption, unsigned type)
{
    QMessageBox box(IconOf(type), caption.isEmpty() ? LoadString(IDS_APP_TITLE) : caption, text,
                    QMessageBox::NoButton, DialogParent());
    const QList<int> answers = PromptButtons(type);
    for (int answer : answers) {
        box.addButton(ButtonOf(answer));
    }
    box.setDefaultButton(ButtonOf(DefaultAnswer(type)));
    // Escape and the close box give Cancel, else No, else the only button.
    int escape = answers.first();
    if (answers.contains(IDCANCEL)) {
        escape = IDCANCEL;
    } else if (answers.contains(IDNO)) {
        escape = IDNO;
    }
    box.setEscapeButton(box.button(ButtonOf(escape)));
    box.exec();
    const QMessageBox::StandardButton pressed = box.standardButton(box.clickedButton());
    for (int answer : answers) {
        if (ButtonOf(answer) == pressed) {
            return answer;
        }
    }
    return escape;
}

QStringList CQtPrompt::GetOpenFileNames(const QString& caption, const QString& dir,
                                        const QString& filter, bool multiSelect)
{
    if (multiSelect) {
        return QFileDialog::getOpenFileNames(DialogParent(), caption, dir, filter);
    }
    const QString file = QFileDialog::getOpenFileName(DialogParent(), caption, dir, filter);
    return file.isEmpty() ? QStringList() : QStringList{file};
}

QString CQtPrompt::GetSaveFileName(const QString& caption, const QString& suggested,
                                   const QString& filter)
{
    return QFileDialog::getSaveFileName(DialogParent(), caption, suggested, filter);
}
