// The menus of the main window: the settings menu over the current site's options, the login menu,
// and the help menu.
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>

#include "core/settings/SettingsEditing.h"
#include "gui/CAlbumoraDlg.h"
#include "gui/QtText.h"

namespace albumora::gui {

namespace {

// The option items of the settings menu, in menu order.
constexpr int kOptionCommands[] = {32802, 32804, 32799, 32800, 32774, 32812, 32808, 32814, 32776};

QAction* AddCommand(QMenu* menu, const QString& text, int command) {
    QAction* action = menu->addAction(text);
    action->setObjectName(QStringLiteral("menuCommand%1").arg(command));
    action->setData(command);
    return action;
}

}  // namespace

QMenuBar* CAlbumoraDlg::BuildMenus() {
    auto* bar = new QMenuBar(this);

    // Alt and the letter opens a menu, as Chinese programs mark it: the letter after the name.
    m_settingsMenu = bar->addMenu(QStringLiteral("设置(&S)"));
    connect(AddCommand(m_settingsMenu, QStringLiteral("下载参数设置"), 32778), &QAction::triggered, this,
            &CAlbumoraDlg::downloadParamsRequested);
    connect(AddCommand(m_settingsMenu, QStringLiteral("文件名设置"), 32779), &QAction::triggered, this,
            &CAlbumoraDlg::fileNameSettingsRequested);
    m_settingsMenu->addSeparator();
    for (const int command : kOptionCommands) {
        const OptionInfo* option = FindOptionByMenuCommand(command);
        QAction* action = AddCommand(m_settingsMenu, ToQString(option->menuText), command);
        action->setCheckable(true);
        connect(action, &QAction::triggered, this, [this, command] { OnOptionToggled(command); });
    }
    connect(m_settingsMenu, &QMenu::aboutToShow, this, &CAlbumoraDlg::UpdateSettingsMenu);

    FillLoginMenu(bar->addMenu(QStringLiteral("登录(&L)")));

    // No menu holds an item that can never be used: the download-file commands, a feedback page, a
    // consultation page and a file tool do not come with the program, so they are not offered.
    QMenu* help = bar->addMenu(QStringLiteral("帮助(&H)"));
    connect(AddCommand(help, QStringLiteral("使用说明"), 32806), &QAction::triggered, this,
            &CAlbumoraDlg::OpenUserGuide);
    help->addSeparator();
    connect(AddCommand(help, QStringLiteral("版本信息"), 32775), &QAction::triggered, this,
            &CAlbumoraDlg::ShowAbout);
    return bar;
}

void CAlbumoraDlg::UpdateSettingsMenu() {
    const int site = m_workflow.siteCode();
    const std::uint16_t flags = m_workflow.SettingsCopy().namingRecords[SettingsSlot(site)].optionFlags;
    for (QAction* action : m_settingsMenu->actions()) {
        if (const OptionInfo* option = FindOptionByMenuCommand(action->data().toInt())) {
            action->setChecked((flags & option->bit) != 0);
            action->setEnabled(IsOptionEnabled(option->bit, site));
        }
    }
}

void CAlbumoraDlg::OnOptionToggled(int menuCommand) {
    const OptionInfo* option = FindOptionByMenuCommand(menuCommand);
    const size_t slot = SettingsSlot(m_workflow.siteCode());
    m_workflow.EditSettings(
        [&](PersistentSettings& settings) { ToggleOption(settings.namingRecords[slot], option->bit); });
    UpdateSettingsMenu();
}

}  // namespace albumora::gui
