#include "TemplateCommands.h"

#include "CommandIds.h"
#include "MainFrame.h"
#include "SourceDocument.h"
#include "TemplateEditDlg.h"

namespace Templates {

QString NameOption(int n)
{
    return QStringLiteral("TemplateName%1").arg(n);
}

QString PathOption(int n)
{
    return QStringLiteral("TemplatePath%1").arg(n);
}

std::optional<QString> MenuText(const COptionTable& options, int n)
{
    if (options.GetOption(PathOption(n)).isEmpty()) {
        return std::nullopt;
    }
    return options.GetOption(NameOption(n)) + QStringLiteral("\tCtrl+Shift+%1").arg(n);
}

QString FilePath(const COptionTable& options, int n)
{
    return options.GetOption(QStringLiteral("TemplateLocation")) + QLatin1Char('/') +
           options.GetOption(PathOption(n));
}

void RegisterCommands(CMainFrame& frame)
{
    CCommandMap& map = frame.Commands();
    CMainFrame* pFrame = &frame;
    const auto activeSource = [pFrame] {
        return qobject_cast<CSourceDocument*>(pFrame->GetActiveDocument());
    };
    for (int n = 1; n <= kCount; ++n) {
        map.On(
            Cmd::ID_TEMPLATE_1 + n - 1,
            [pFrame, activeSource, n] {
                if (CSourceDocument* source = activeSource()) {
                    source->InsertFile(FilePath(pFrame->Options(), n));
                }
            },
            [pFrame, activeSource, n](CCmdUI& ui) {
                const std::optional<QString> text = MenuText(pFrame->Options(), n);
                ui.Enable(activeSource() != nullptr && text.has_value());
                if (text) {
                    ui.SetText(*text);
                }
            });
    }
    map.On(Cmd::ID_TEMPLATE_EDIT, [pFrame] {
        CEditTemplatesDlg dialog(pFrame->Options(), pFrame);
        dialog.exec();
    });
}

} // namespace Templates
