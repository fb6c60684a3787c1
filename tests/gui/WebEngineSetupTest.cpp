#include "gui/login/WebEngineSetup.h"

#include <gtest/gtest.h>

namespace albumora::test {
namespace {

TEST(WebEngineSetup, TheBrowserSpeaksTheWindowsLanguageUnlessTheUserChoseOne) {
    EXPECT_EQ(gui::WithWindowLanguage({}), QByteArray("--lang=zh-CN"));
    EXPECT_EQ(gui::WithWindowLanguage("--disable-gpu"), QByteArray("--disable-gpu --lang=zh-CN"));
    EXPECT_EQ(gui::WithWindowLanguage("--lang=en-US --disable-gpu"),
              QByteArray("--lang=en-US --disable-gpu"));
}

}  // namespace
}  // namespace albumora::test
