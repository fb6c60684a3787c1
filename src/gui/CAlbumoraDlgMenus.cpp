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

struct LoginItem {
    int command;
    const char16_t* text;
};

// Each opens the login browser at a site's login page.
constexpr LoginItem kLoginItems[] = {
    {32781, u"QQ空间/QQ群"},
    {32782, u"腾讯微博（登录时勾上下次自动登录）"},
    {32789, u"百度"},
    {32790, u"网易"},
    {32791, u"人人"},
    {32792, u"又拍（下载器没弹窗提示你登录，就不要在这里登录）"},
    {32793, u"美空"},
    {32794, u"新浪微博（登录时勾上下次自动登录）"},
    {32803, u"淘宝（强烈建议用小号登录）"},
    {32813, u"56"},
    {32815, u"虎扑"},
    {32795, u"自定义登录"},
};

QAction* AddCommand(QMenu* menu, const QString& text, int command) {
    QAction* action = menu->addAction(text);
    action->setObjectName(QStringLiteral("menuCommand%1").arg(command));
    action->setData(command);
    return action;
}

int SettingsSlot(int siteCode) {
    return std::clamp(siteCode, 0, kSettingsSiteSlots - 1);
}

}  // namespace

QMenuBar* CAlbumoraDlg::BuildMenus() {
    auto* bar = new QMenuBar(this);

    m_settingsMenu = bar->addMenu(QStringLiteral("设置"));
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

    // The login browser is not part of this window yet: its items are shown but cannot be used.
    QMenu* login = bar->addMenu(QStringLiteral("登录"));
    QAction* modeless =
        AddCommand(login, QStringLiteral("登录方式1（如果登录失败，可勾选该项后再登录）"), 32796);
    modeless->setCheckable(true);
    modeless->setChecked(m_loginWindowModeless);
    modeless->setEnabled(false);
    login->addSeparator();
    for (const LoginItem& item : kLoginItems) {
        AddCommand(login, ToQString(item.text), item.command)->setEnabled(false);
    }

    QMenu* files = bar->addMenu(QStringLiteral("文件"));
    for (const auto& [command, text] : {std::pair{32809, QStringLiteral("导出下载文件")},
                                        std::pair{32810, QStringLiteral("导出迅雷下载列表")},
                                        std::pair{32811, QStringLiteral("导入下载文件并开始下载")}}) {
        AddCommand(files, text, command)->setEnabled(false);
    }

    QMenu* help = bar->addMenu(QStringLiteral("帮助"));
    connect(AddCommand(help, QStringLiteral("使用说明"), 32806), &QAction::triggered, this,
            &CAlbumoraDlg::OpenUserGuide);
    // No feedback page, consultation page or file tool comes with the program.
    AddCommand(help, QStringLiteral("问题反馈"), 32772)->setEnabled(false);
    AddCommand(help, QStringLiteral("软件咨询"), 32773)->setEnabled(false);
    AddCommand(help, QStringLiteral("文件处理"), 32807)->setEnabled(false);
    help->addSeparator();
    connect(AddCommand(help, QStringLiteral("版本信息"), 32775), &QAction::triggered, this,
            &CAlbumoraDlg::ShowAbout);
    return bar;
}

void CAlbumoraDlg::UpdateSettingsMenu() {
    const int site = m_workflow.currentSiteCode;
    const std::uint16_t flags =
        m_workflow.SettingsCopy().namingRecords[static_cast<size_t>(SettingsSlot(site))].optionFlags;
    for (QAction* action : m_settingsMenu->actions()) {
        if (const OptionInfo* option = FindOptionByMenuCommand(action->data().toInt())) {
            action->setChecked((flags & option->bit) != 0);
            action->setEnabled(IsOptionEnabled(option->bit, site));
        }
    }
}

void CAlbumoraDlg::OnOptionToggled(int menuCommand) {
    const OptionInfo* option = FindOptionByMenuCommand(menuCommand);
    const size_t slot = static_cast<size_t>(SettingsSlot(m_workflow.currentSiteCode));
    m_workflow.EditSettings(
        [&](PersistentSettings& settings) { ToggleOption(settings.namingRecords[slot], option->bit); });
    UpdateSettingsMenu();
}

void CAlbumoraDlg::ShowAbout() {
    QMessageBox::about(this, QStringLiteral("关于 Albumora"),
                       QStringLiteral("<p><b>Albumora</b> %1</p><p>从花瓣和堆糖批量下载整个相册的图片。</p>")
                           .arg(QStringLiteral(ALBUMORA_VERSION)));
}

}  // namespace albumora::gui
