#include "core/settings/ComboHistory.h"

#include <gtest/gtest.h>

namespace albumora {
namespace {

TEST(ComboHistory, FiltersEntriesContainingTheTypedTextAndKeepsTheirCase) {
    ComboHistory history;
    history.AddHistoryItem(u"/home/me/Photos/Cats/");
    history.AddHistoryItem(u"/data/dogs/");
    history.AddHistoryItem(u"/data/CATALOG/kvx?!oxffhidden");
    EXPECT_EQ(history.FilterHistory(u"cat"),
              (std::vector<WString>{u"/home/me/Photos/Cats/", u"/data/CATALOG/"}));
    EXPECT_EQ(history.FilterHistory(u"DOGS"), (std::vector<WString>{u"/data/dogs/"}));
    EXPECT_TRUE(history.FilterHistory(u"birds").empty());
    EXPECT_TRUE(history.FilterHistory(u"").empty());
    EXPECT_EQ(history.Items()[0], u"/home/me/Photos/Cats/");  // the stored case stays
}

}  // namespace
}  // namespace albumora
