#include "gui/dialogs/SettingsMenu.h"

#include <QAction>
#include <QMenu>

#include <gtest/gtest.h>

#include "core/settings/SettingsEditing.h"

namespace albumora::gui {
namespace {

QAction* ItemOf(QMenu& menu, std::uint16_t bit) {
    for (QAction* action : menu.actions()) {
        const OptionInfo* option = FindOptionByMenuCommand(SettingsMenuCommand(action));
        if (option != nullptr && option->bit == bit) {
            return action;
        }
    }
    return nullptr;
}

TEST(SettingsMenu, CheckMarksFollowTheCurrentSitesBits) {
    QMenu menu;
    FillSettingsMenu(menu);
    SiteNamingRecord record;
    record.optionFlags = OPT_FIX_ORDER | OPT_OPEN_FOLDER_WHEN_DONE | OPT_DESCRIPTION_PICTURES_ONLY;
    ApplySettingsMenuState(menu, record, 18);
    for (const OptionInfo& option : OptionTable()) {
        SCOPED_TRACE(option.cliName.data());
        EXPECT_EQ(ItemOf(menu, option.bit)->isChecked(), record.HasOption(option.bit));
    }

    // Another site's record is shown as the menu opens again.
    record.optionFlags = OPT_FIX_FORMAT;
    ApplySettingsMenuState(menu, record, 17);
    EXPECT_TRUE(ItemOf(menu, OPT_FIX_FORMAT)->isChecked());
    EXPECT_FALSE(ItemOf(menu, OPT_FIX_ORDER)->isChecked());
    EXPECT_FALSE(ItemOf(menu, OPT_DESCRIPTION_PICTURES_ONLY)->isChecked());
    EXPECT_FALSE(menu.actions().front()->isChecked());
}

TEST(SettingsMenu, ShopAndYupooItemsOnlyForTheirSites) {
    QMenu menu;
    FillSettingsMenu(menu);
    const SiteNamingRecord record;
    struct Row {
        int siteCode;
        bool shop;
        bool yupoo;
    };
    for (const Row row : {Row{18, false, false}, Row{7, false, true}, Row{11, true, false},
                          Row{16, true, false}, Row{0, false, false}}) {
        SCOPED_TRACE(row.siteCode);
        ApplySettingsMenuState(menu, record, row.siteCode);
        EXPECT_EQ(ItemOf(menu, OPT_MAIN_PICTURES_ONLY)->isEnabled(), row.shop);
        EXPECT_EQ(ItemOf(menu, OPT_DESCRIPTION_PICTURES_ONLY)->isEnabled(), row.shop);
        EXPECT_EQ(ItemOf(menu, OPT_YUPOO_LARGE)->isEnabled(), row.yupoo);
        EXPECT_TRUE(ItemOf(menu, OPT_FIX_FORMAT)->isEnabled());
        EXPECT_TRUE(menu.actions().front()->isEnabled());
    }
}

TEST(SettingsMenu, RecognisesItemsOfAMenuBuiltElsewhereByText) {
    QMenu menu;
    QAction* skip = menu.addAction("不下载以前下载过的图片");
    QAction* yupoo = menu.addAction("又拍相册下载大图（不勾选为下载原图，下载原图速度更慢）");
    QAction* other = menu.addAction("登录");
    SiteNamingRecord record;
    record.optionFlags = OPT_SKIP_DOWNLOADED;
    ApplySettingsMenuState(menu, record, 18);
    EXPECT_TRUE(skip->isChecked());
    EXPECT_FALSE(yupoo->isEnabled());
    EXPECT_FALSE(other->isCheckable());
    EXPECT_TRUE(other->isEnabled());
}

}  // namespace
}  // namespace albumora::gui
