#include "core/sites/DuitangPages.h"

#include <gtest/gtest.h>

namespace albumora {
namespace {

struct AlbumIdRow {
    const char16_t* address;
    const char16_t* id;
    const char* label;
};

void PrintTo(const AlbumIdRow& row, std::ostream* os) {
    *os << ToUtf8(row.address);
}

class DuitangAlbumId : public ::testing::TestWithParam<AlbumIdRow> {};

TEST_P(DuitangAlbumId, FromAddress) {
    EXPECT_EQ(DuitangAlbumIdFromAddress(GetParam().address), GetParam().id);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, DuitangAlbumId,
    ::testing::Values(
        AlbumIdRow{u"https://www.duitang.com/album/?id=86422", u"86422", "IdInQuery"},
        AlbumIdRow{u"https://www.duitang.com/album/86422/", u"86422", "IdInPathWithSlash"},
        AlbumIdRow{u"https://www.duitang.com/album/86422", u"86422", "IdInPathNoSlash"},
        AlbumIdRow{u"http://www.duitang.com/album/86422#top", u"86422", "IdInPathThenFragment"},
        AlbumIdRow{u"http://www.duitang.com/album/?id=86422&spm=1", u"86422", "IdInQueryThenMoreParams"},
        AlbumIdRow{u"http://www.duitang.com/album/86422/?x=1#y", u"86422", "IdInPathThenQueryAndFragment"}),
    [](const ::testing::TestParamInfo<AlbumIdRow>& row) { return std::string(row.param.label); });

TEST(DuitangAddress, Recognition) {
    EXPECT_TRUE(IsDuitangAddress(u"https://www.duitang.com/people/?user_id=5"));
    EXPECT_FALSE(IsDuitangAddress(u"duitang.com/people"));  // at position 0
    EXPECT_TRUE(IsDuitangAlbumAddress(u"https://www.duitang.com/album/?id=1"));
    EXPECT_FALSE(IsDuitangAlbumAddress(u"https://www.duitang.com/people/?user_id=5"));
}

TEST(DuitangUserId, FromHeaderOrAnywhere) {
    EXPECT_EQ(DuitangUserIdFromPage(u"<a href=\"/people/?user_id=1\"><div class=\"dt-header-btm\">"
                                    u"<a href=\"/people/?user_id=777#albums\">"),
              u"777");
    // Without the header marker the first user_id= of the page counts.
    EXPECT_EQ(DuitangUserIdFromPage(u"<a href=\"/people/?user_id=42?tab=1\">"), u"42");
    EXPECT_EQ(DuitangUserIdFromPage(u"<html>no user</html>"), u"");
}

TEST(DuitangSingleAlbum, TitleAndCount) {
    const DuitangSingleAlbum album = ParseDuitangSingleAlbumPage(
        u"<h1 class=\"album-title\">Sea views</h1><span class=\"count\">128个</span>");
    EXPECT_EQ(album.name, u"Sea views");
    EXPECT_EQ(album.pictureCount, 128u);
}

TEST(DuitangAlbumList, EntriesAndEnd) {
    const WString page =
        u"{\"data\":{\"object_list\":["
        u"{\"like_count\":3,\"count\":40,\"covers\":[],\"pics\":[\"http://c/1.jpg\",\"http://c/2.jpg\"],"
        u"\"id\":501,\"name\":\"One\"},"
        u"{\"like_count\":0,\"count\":2,\"pics\":[],\"id\":502,\"name\":\"\"},"
        u"{\"like_count\":1,\"count\":7,\"pics\":[\"http://c/3.jpg\"],\"id\":503,\"name\":\"Three\"}]}}";
    const DuitangAlbumListPage parsed = ParseDuitangAlbumListPage(page);
    EXPECT_TRUE(parsed.more);
    ASSERT_EQ(parsed.albums.size(), 2u);  // the nameless album is dropped
    EXPECT_EQ(parsed.albums[0].pictureCount, 40u);
    EXPECT_EQ(parsed.albums[0].coverUrl, u"http://c/1.jpg");
    EXPECT_EQ(parsed.albums[0].albumId, u"501");
    EXPECT_EQ(parsed.albums[0].name, u"One");
    EXPECT_EQ(parsed.albums[1].albumId, u"503");

    EXPECT_FALSE(ParseDuitangAlbumListPage(u"{\"data\":{\"object_list\":[]}}").more);
}

TEST(DuitangPicturePage, FullSizeAddressesAndPaging) {
    const WString page =
        u"{\"data\":{\"object_list\":["
        u"{\"photo_id\":1,\"photo\":{\"isrc\":\"http://p/a.thumb.224_0.jpg\"},\"msg\":\"first\"},"
        u"{\"photo_id\":2,\"photo\":{\"isrc\":\"http://p/b.thumb.700_0.png\"},\"msg\":\"\"},"
        u"{\"photo_id\":3,\"photo\":{\"isrc\":\"x.jpg\"},\"msg\":\"short\"},"
        u"{\"photo_id\":4,\"photo\":{\"isrc\":\"http://p/plain.gif\"},\"msg\":\"last\"}],"
        u"\"has_next\":false,\"tail\":{\"photo_id\":99}}}";
    const DuitangPicturePage parsed = ParseDuitangPicturePage(page);
    EXPECT_FALSE(parsed.more);
    ASSERT_EQ(parsed.pictures.size(), 3u);  // the paging tail and the too-short address are gone
    EXPECT_EQ(parsed.pictures[0].url, u"http://p/a.jpg");
    EXPECT_EQ(parsed.pictures[0].description, u"first");
    EXPECT_EQ(parsed.pictures[1].url, u"http://p/b.png");
    EXPECT_EQ(parsed.pictures[2].url, u"http://p/plain.gif");

    EXPECT_TRUE(
        ParseDuitangPicturePage(u"[{\"photo_id\":1,\"isrc\":\"http://p/a.jpg\"}],\"has_next\":true").more);
    EXPECT_FALSE(ParseDuitangPicturePage(u"{\"has_next\":true}").more);
}

TEST(DuitangRequests, AddressesAndCacheBuster) {
    EXPECT_EQ(DuitangCacheBuster(1234567890), u"12345678907890");
    EXPECT_EQ(DuitangCacheBuster(1700000005), u"17000000050005");
    EXPECT_EQ(DuitangAlbumListAddress(2, u"77", 1234567890),
              u"http://www.duitang.com/album/list/2/24/?user_id=77&_=12345678907890");
    EXPECT_EQ(DuitangPicturePageAddress(u"501", 3, 1234567890),
              u"http://www.duitang.com/album/501/masn/p/3/24/?_=12345678907890");
    EXPECT_EQ(DuitangUserPageAddress(u"77"), u"http://www.duitang.com/people/?user_id=77");
    EXPECT_EQ(DuitangAlbumPageAddress(u"501"), u"http://www.duitang.com/album/501/");
}

}  // namespace
}  // namespace albumora
