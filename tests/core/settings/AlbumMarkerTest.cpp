#include "core/settings/AlbumMarker.h"

#include <gtest/gtest.h>

#include "support/TempFolder.h"

namespace albumora {
namespace {

TEST(AlbumMarker, StoresRawUtf16LittleEndianUnits) {
    test::TempFolder temp;
    ASSERT_TRUE(WriteAlbumMarker(FromUtf8(temp.path()), u"http://a/中.jpg"));
    const std::string expected("h\0t\0t\0p\0:\0/\0/\0a\0/\0\x2D\x4E.\0j\0p\0g\0", 28);
    EXPECT_EQ(test::ReadFile(temp / "pic.kvx").bytes, expected);
    EXPECT_EQ(ReadAlbumMarker(FromUtf8(temp.path())), u"http://a/中.jpg");
    // Overwriting truncates; a folder without its trailing '/' works too.
    WString folder = FromUtf8(temp.path());
    folder.pop_back();
    ASSERT_TRUE(WriteAlbumMarker(folder, u"x"));
    EXPECT_EQ(test::ReadFile(temp / "pic.kvx").bytes, std::string("x\0", 2));
}

TEST(AlbumMarker, ReadsTheFirstLineOnly) {
    test::TempFolder temp;
    test::WriteFile(temp / "pic.kvx", std::string("a\0b\0\r\0\n\0c\0", 10));
    EXPECT_EQ(ReadAlbumMarker(FromUtf8(temp.path())), u"ab");
    test::WriteFile(temp / "pic.kvx", std::string("a\0b", 3));  // an odd trailing byte
    EXPECT_EQ(ReadAlbumMarker(FromUtf8(temp.path())), u"a");
}

TEST(AlbumMarker, MissingMarkerIsEmpty) {
    test::TempFolder temp;
    EXPECT_EQ(ReadAlbumMarker(FromUtf8(temp.path())), u"");
    EXPECT_FALSE(WriteAlbumMarker(FromUtf8(temp / "missing/"), u"x"));
}

}  // namespace
}  // namespace albumora
