#include "core/settings/PersistentSettings.h"

#include <gtest/gtest.h>

namespace albumora {
namespace {

TEST(RememberText, NewestFirstAndTheSixthDropsTheOldest) {
    PersistentSettings settings;
    for (const WStringView text : {u"a1", u"a2", u"a3", u"a4", u"a5", u"a6"}) {
        EXPECT_TRUE(RememberText(settings, HistoryKind::Address, text));
    }
    EXPECT_EQ(HistoryTexts(settings, HistoryKind::Address),
              (std::vector<WString>{u"a6", u"a5", u"a4", u"a3", u"a2"}));
    EXPECT_TRUE(HistoryTexts(settings, HistoryKind::SavePath).empty());
}

TEST(RememberText, RefusesCaseInsensitiveDuplicatesAndLongTexts) {
    PersistentSettings settings;
    ASSERT_TRUE(RememberText(settings, HistoryKind::SavePath, u"/home/Me/Pictures/"));
    const std::string before(reinterpret_cast<const char*>(&settings.savePathHistory),
                             sizeof settings.savePathHistory);
    EXPECT_FALSE(RememberText(settings, HistoryKind::SavePath, u"/HOME/me/pictures/"));
    EXPECT_FALSE(RememberText(settings, HistoryKind::SavePath, WString(400, u'x')));
    EXPECT_FALSE(RememberText(settings, HistoryKind::SavePath, u""));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&settings.savePathHistory),
                          sizeof settings.savePathHistory),
              before);
    // The longest text that fits keeps its terminator.
    EXPECT_TRUE(RememberText(settings, HistoryKind::SavePath, WString(399, u'y')));
    EXPECT_EQ(settings.savePathHistory[0][399], u'\0');
    EXPECT_EQ(HistoryTexts(settings, HistoryKind::SavePath)[0], WString(399, u'y'));
}

TEST(SetNamingText, CutsToThirtyEightUnitsAndClearsTheRest) {
    NamingTextSlot slot;
    slot.fill(u'z');
    SetNamingText(slot, WString(40, u'p'));
    EXPECT_EQ(SlotText(slot), WString(38, u'p'));
    EXPECT_EQ(slot[38], u'\0');
    EXPECT_EQ(slot[39], u'\0');
    // A character outside the basic plane is kept whole or not at all.
    SetNamingText(slot, WString(37, u'p') + u"\U0001F600");
    EXPECT_EQ(SlotText(slot), WString(37, u'p'));
}

}  // namespace
}  // namespace albumora
