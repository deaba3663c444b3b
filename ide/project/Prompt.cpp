#include "Prompt.h"

#include <QCoreApplication>
#include <cstdio>

namespace {

// Without a window: each box becomes lines on standard error and gets its default
// answer; file dialogs are cancelled.
class CStdErrPrompt : public IPrompt
{
public:
    int MessageBox(const QString& text, const QString& caption, unsigned type) override
    {
        const QByteArray line = (PromptCaption(caption) + QStringLiteral(": ") + text).toUtf8();
        std::fprintf(stderr, "%s\n", line.constData());
        return DefaultAnswer(type);
    }
    QStringList GetOpenFileNames(const QString&, const QString&, const QString&, bool) override
    {
        return {};
    }
    QString GetSaveFileName(const QString&, const QString&, const QString&) override { return {}; }
};

CStdErrPrompt g_stdErrPrompt;
IPrompt* g_pPrompt = &g_stdErrPrompt;

} // namespace

QList<int> PromptButtons(unsigned type)
{
    switch (type & Mb::ButtonMask) {
    case Mb::OkCancel:
        return {IDOK, IDCANCEL};
    case Mb::YesNoCancel:
        return {IDYES, IDNO, IDCANCEL};
    case Mb::YesNo:
        return {IDYES, IDNO};
    case Mb::RetryCancel:
        return {IDRETRY, IDCANCEL};
    default:
        return {IDOK};
    }
}

int DefaultAnswer(unsigned type)
{
    const QList<int> buttons = PromptButtons(type);
    const qsizetype index = (type & Mb::DefButtonMask) >> 8;
    return index < buttons.size() ? buttons.at(index) : buttons.first();
}

QString PromptCaption(const QString& caption)
{
    if (!caption.isEmpty()) {
        return caption;
    }
    const QString name = QCoreApplication::applicationName();
    return name.isEmpty() ? QStringLiteral("Velmora") : name;
}

IPrompt& Prompt()
{
    return *g_pPrompt;
}

void SetPrompt(IPrompt* p)
{
    g_pPrompt = p ? p : &g_stdErrPrompt;
}
