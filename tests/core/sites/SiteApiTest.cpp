#include <gtest/gtest.h>

#include "core/net/UrlCanonical.h"
#include "core/sites/DuitangApi.h"
#include "core/sites/HuabanApi.h"

namespace albumora {
namespace {

TEST(HuabanApi, PinsTakeTheSignedLinkElseTheBucketAndKey) {
    const auto pins = ParseHuabanApiPins(R"({"pins":[
        {"pin_id":"11","file":{"bucket":"gd-hbimg","key":"k1","url":"https://gd-hbimg-edge.huaban.com/k1?auth_key=9-a-0-b"},"raw_text":"一"},
        {"pin_id":12,"file":{"key":"k2"},"raw_text":null},
        {"pin_id":13,"file":{"url":"//edge.huaban.com/k3"}},
        {"pin_id":14}]})");
    ASSERT_TRUE(pins.has_value());
    ASSERT_EQ(pins->size(), 4u);
    EXPECT_EQ((*pins)[0].pinId, u"11");
    EXPECT_EQ((*pins)[0].pictureUrl, u"https://gd-hbimg-edge.huaban.com/k1?auth_key=9-a-0-b");
    EXPECT_EQ((*pins)[0].description, u"一");
    // Identifiers come as numbers too; a file without a bucket is on the usual one.
    EXPECT_EQ((*pins)[1].pinId, u"12");
    EXPECT_EQ((*pins)[1].pictureUrl, u"https://gd-hbimg.huaban.com/k2");
    EXPECT_EQ((*pins)[2].pictureUrl, u"https://edge.huaban.com/k3");
    EXPECT_TRUE((*pins)[3].pictureUrl.empty());
}

TEST(HuabanApi, AnswersThatAreNoDataAreFailedPagesNotEmptyOnes) {
    for (const char* body :
         {"", "<html>请登录</html>", R"({"err":500,"msg":"captcha"})", R"({"pins":{}})", R"({"pins":[)"}) {
        EXPECT_FALSE(ParseHuabanApiPins(body).has_value()) << body;
        EXPECT_FALSE(ParseHuabanApiUserBoards(body).has_value()) << body;
        EXPECT_FALSE(ParseHuabanApiBoard(body).has_value()) << body;
    }
    EXPECT_TRUE(ParseHuabanApiPins(R"({"pins":[]})")->empty());
}

TEST(HuabanApi, BoardAndUserBoards) {
    const auto board = ParseHuabanApiBoard(
        R"({"board":{"board_id":77,"title":"T","pin_count":"120","user":{"urlname":"al","username":""}}})");
    ASSERT_TRUE(board.has_value());
    EXPECT_EQ(board->boardId, u"77");
    EXPECT_EQ(board->pinCount, 120u);
    EXPECT_EQ(board->owner, u"al");  // the address name when the shown name is empty

    const auto user = ParseHuabanApiUserBoards(
        R"({"user":{"username":"爱丽丝"},"boards":[{"board_id":1,"title":"a","pin_count":-3,)"
        R"("pins":[{"file":{"key":"c1"}}]},{"board_id":2,"cover":{"file":{"bucket":"b","key":"c2"}}}]})");
    ASSERT_TRUE(user.has_value());
    EXPECT_EQ(user->userName, u"爱丽丝");
    ASSERT_EQ(user->boards.size(), 2u);
    EXPECT_EQ(user->boards[0].pinCount, 0u);
    EXPECT_EQ(user->boards[0].coverUrl, u"https://gd-hbimg.huaban.com/c1");
    EXPECT_EQ(user->boards[1].coverUrl, u"https://b.huaban.com/c2");
}

TEST(HuabanApi, AddressesGiveOnlyPlainNumbersAndNames) {
    EXPECT_EQ(HuabanBoardIdOf(u"http://huaban.com/boards/123/?from=x"), u"123");
    EXPECT_EQ(HuabanBoardIdOf(u"http://huaban.com/boards/12a/"), u"");
    EXPECT_EQ(HuabanUserNameOf(u"https://huaban.com/user/alice_1/boards"), u"alice_1");
    EXPECT_EQ(HuabanUserNameOf(u"http://huaban.com/user/..?x"), u"");
    EXPECT_EQ(HuabanUserNameOf(u"http://huaban.com/user/a%2Fb/"), u"");
    EXPECT_EQ(HuabanUserNameOf(u"http://huaban.com/x/user/alice/"), u"");
}

TEST(DuitangApi, StatusOtherThanOneIsAFailedPage) {
    EXPECT_FALSE(ParseDuitangApiPictures(R"({"status":4,"data":{"object_list":[]}})").has_value());
    EXPECT_FALSE(ParseDuitangApiAlbumList(R"({"data":{"object_list":[]}})").has_value());
    EXPECT_FALSE(ParseDuitangApiAlbumDetail(R"({"status":1,"data":null})").has_value());
    const auto page = ParseDuitangApiPictures(
        R"({"status":"1","data":{"more":true,"after":123,"object_list":[)"
        R"({"id":5,"photo":{"path":"https://c-ssl.duitang.com/uploads/a.thumb.400_0_c.jpeg"},"msg":"说"},{"id":6}]}})");
    ASSERT_TRUE(page.has_value());
    EXPECT_TRUE(page->more);
    EXPECT_EQ(page->after, u"123");
    ASSERT_EQ(page->pictures.size(), 2u);
    EXPECT_EQ(page->pictures[0].url, u"https://c-ssl.duitang.com/uploads/a.jpeg");
    EXPECT_EQ(page->pictures[0].description, u"说");
    EXPECT_TRUE(page->pictures[1].url.empty());
}

TEST(DuitangApi, UserNumberFromTheAddressAndFullSizeAddresses) {
    EXPECT_EQ(DuitangUserIdOf(u"https://www.duitang.com/people/?id=12&tab=a"), u"12");
    EXPECT_EQ(DuitangUserIdOf(u"http://www.duitang.com/people/?user_id=34"), u"34");
    EXPECT_EQ(DuitangUserIdOf(u"https://www.duitang.com/album/?id=56"), u"");  // an album, not a user
    EXPECT_EQ(DuitangUserIdOf(u"https://www.duitang.com/people/?xid=7"), u"");
    EXPECT_EQ(WithoutThumbnailPart(u"https://c/a.thumb.224_0.jpg"), u"https://c/a.jpg");
    EXPECT_EQ(WithoutThumbnailPart(u"https://c/a.jpg"), u"https://c/a.jpg");
    EXPECT_EQ(WithoutThumbnailPart(u"https://c/x.thumb./a.jpg"), u"https://c/x.thumb./a.jpg");
}

TEST(SignedLinks, ThePictureIsTheAddressWithoutItsSignature) {
    EXPECT_EQ(WithoutSignature(u"https://e.huaban.com/k?auth_key=1-a-0-b"), u"https://e.huaban.com/k");
    EXPECT_EQ(WithoutSignature(u"https://e/k?w=1&auth_key=2-b&h=2#f"), u"https://e/k?w=1&h=2#f");
    EXPECT_EQ(WithoutSignature(u"http://img.hb.aicdn.com/key1"), u"http://img.hb.aicdn.com/key1");
}

}  // namespace
}  // namespace albumora
