#pragma once

#include "core/settings/PersistentSettings.h"

class QAction;
class QMenu;

namespace albumora::gui {

// Commands of the settings menu ("设置") that open a dialog; the option items use the commands of
// OptionTable().
inline constexpr int kCmdDownloadParams = 32778;  // "下载参数设置"
inline constexpr int kCmdNamingSettings = 32779;  // "文件名设置"

// Adds the items of the settings menu in their order: the two dialogs, then the options as
// checkable items. Each action carries its command as data().
void FillSettingsMenu(QMenu& menu);

// The command of an action made by FillSettingsMenu, 0 for any other action.
int SettingsMenuCommand(const QAction* action);

// Run as the menu opens: each option item is checked when its bit is set in the current site's
// record and enabled only where the site uses it. Items are recognised by their command, or else by
// their text.
void ApplySettingsMenuState(QMenu& menu, const SiteNamingRecord& record, int siteCode);

}  // namespace albumora::gui
