#include "gui/dialogs/SettingsMenu.h"

#include <QAction>
#include <QMenu>

#include "core/settings/SettingsEditing.h"

namespace albumora::gui {

namespace {

// The option items as the menu lists them, which is not bit order.
constexpr int kOptionCommands[] = {32802, 32804, 32799, 32800, 32774, 32812, 32808, 32814, 32776};

QString MenuText(WStringView text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

const OptionInfo* OptionOfAction(const QAction* action) {
    if (const OptionInfo* byCommand = FindOptionByMenuCommand(SettingsMenuCommand(action))) {
        return byCommand;
    }
    for (const OptionInfo& option : OptionTable()) {
        if (action->text() == MenuText(option.menuText)) {
            return &option;
        }
    }
    return nullptr;
}

void AddCommand(QMenu& menu, const QString& text, int command, bool checkable) {
    QAction* action = menu.addAction(text);
    action->setData(command);
    action->setCheckable(checkable);
}

}  // namespace

void FillSettingsMenu(QMenu& menu) {
    AddCommand(menu, QStringLiteral("下载参数设置"), kCmdDownloadParams, false);
    AddCommand(menu, QStringLiteral("文件名设置"), kCmdNamingSettings, false);
    menu.addSeparator();
    for (int command : kOptionCommands) {
        if (const OptionInfo* option = FindOptionByMenuCommand(command)) {
            AddCommand(menu, MenuText(option->menuText), command, true);
        }
    }
}

int SettingsMenuCommand(const QAction* action) {
    bool ok = false;
    const int command = action != nullptr ? action->data().toInt(&ok) : 0;
    return ok ? command : 0;
}

void ApplySettingsMenuState(QMenu& menu, const SiteNamingRecord& record, int siteCode) {
    for (QAction* action : menu.actions()) {
        const OptionInfo* option = OptionOfAction(action);
        if (option == nullptr) {
            continue;
        }
        action->setCheckable(true);
        action->setChecked(record.HasOption(option->bit));
        action->setEnabled(IsOptionEnabled(option->bit, siteCode));
    }
}

}  // namespace albumora::gui
