#include "core/sites/HuabanPages.h"

#include <gtest/gtest.h>

namespace albumora {
namespace {

TEST(HuabanBoardPage, FieldsInPageOrder) {
    const WString page =
        u"<html><script>app.page[\"$url\"] = \"/boards/123/\"; app.page[\"board\"] = {\"board_id\":123,"
        u"\"user_id\":9,\"title\":\"Cats &amp; dogs\",\"description\":\"\",\"pin_count\":57,"
        u"\"user\":{\"username\":\"alice\"}};</script>";
    const HuabanBoard board = ParseHuabanBoardPage(page);
    EXPECT_EQ(board.boardId, u"123");
    EXPECT_EQ(board.title, u"Cats &amp; dogs");  // entities are decoded with the page text, not here
    EXPECT_EQ(board.pinCount, 57u);
    EXPECT_EQ(board.owner, u"alice");
}

TEST(HuabanBoardPage, MissingOrOutOfOrderFieldsComeOutEmpty) {
    // The owner stands before the title, so after the title it is no longer found.
    const HuabanBoard board =
        ParseHuabanBoardPage(u"app.page[\"x\"]{\"username\":\"bob\",\"board_id\":5,\"title\":\"T\"}");
    EXPECT_EQ(board.boardId, u"5");
    EXPECT_EQ(board.title, u"T");
    EXPECT_EQ(board.pinCount, 0u);
    EXPECT_EQ(board.owner, u"");

    EXPECT_EQ(ParseHuabanBoardPage(u"<html>nothing</html>").title, u"");
}

TEST(HuabanAddresses, BoardAndPagingForms) {
    EXPECT_TRUE(IsHuabanBoardAddress(u"http://huaban.com/boards/123/?from=x"));
    EXPECT_FALSE(IsHuabanBoardAddress(u"https://huaban.com/boards/123/"));
    EXPECT_FALSE(IsHuabanBoardAddress(u"http://www.huaban.com/boards/123/"));
    EXPECT_EQ(HuabanBoardAddress(u"123"), u"http://huaban.com/boards/123/");
    EXPECT_EQ(HuabanPinsPageAddress(u"http://huaban.com/boards/123/", 1, u"998"),
              u"http://huaban.com/boards/123/?hxzmqq1s&max=998&limit=20&wfl=1");
    EXPECT_EQ(HuabanPinsPageAddress(u"http://huaban.com/boards/123/", 0, u""),
              u"http://huaban.com/boards/123/?hxzmqq0s&max=&limit=20&wfl=1");
    EXPECT_EQ(HuabanPictureAddress(u"", u"abc"), u"http://img.hb.aicdn.com/abc");
    EXPECT_EQ(HuabanPictureAddress(u"hbimg.example", u"abc"), u"http://hbimg.example/abc");
}

TEST(HuabanPinsPage, PinsAfterThePinsMarker) {
    const WString page =
        u"{\"settings\":{\"hbimg\":\"img.example\"},\"board\":{\"pins\":["
        u"{\"pin_id\":11,\"file\":{\"key\":\"k11\"},\"raw_text\":\"first\"},"
        u"{\"pin_id\":12,\"file\":{\"key\":\"k12\"},\"raw_text\":\"\"},"
        u"{\"pin_id\":,\"file\":{\"key\":\"k13\"}}]}}";
    const HuabanPinsPage parsed = ParseHuabanPinsPage(page);
    EXPECT_EQ(parsed.pictureHost, u"img.example");
    EXPECT_TRUE(parsed.hasPinSeparator);
    ASSERT_EQ(parsed.pins.size(), 3u);
    EXPECT_EQ(parsed.pins[0].pinId, u"11");
    EXPECT_EQ(parsed.pins[0].key, u"k11");
    EXPECT_EQ(parsed.pins[0].description, u"first");
    EXPECT_EQ(parsed.pins[1].description, u"");
    EXPECT_EQ(parsed.pins[2].pinId, u"");  // the last pin without identifier
}

TEST(HuabanPinsPage, NoPinsAndNoHost) {
    const HuabanPinsPage parsed = ParseHuabanPinsPage(u"{\"pins\":[]}");
    EXPECT_EQ(parsed.pictureHost, u"");
    EXPECT_FALSE(parsed.hasPinSeparator);
    EXPECT_TRUE(parsed.pins.empty());
}

}  // namespace
}  // namespace albumora
