#include "core/files/FileHelpers.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "support/TempFolder.h"

namespace albumora {
namespace {

namespace fs = std::filesystem;

TEST(WithTrailingSlash, AddsOneSlashAndLeavesAnEmptyPathEmpty) {
    EXPECT_EQ(WithTrailingSlash(WString(u"/照片")), u"/照片/");
    EXPECT_EQ(WithTrailingSlash(std::string("/a/")), "/a/");
    // Empty is the working folder; a slash would make it the root.
    EXPECT_EQ(WithTrailingSlash(WString()), u"");
}

TEST(CreateFolderTree, CreatesNestedFoldersAndNormalisesThePath) {
    test::TempFolder temp;
    WString path = u"  " + FromUtf8(temp.path()) + u"a/b/相册  ";
    EXPECT_TRUE(CreateFolderTree(path));
    EXPECT_EQ(path, FromUtf8(temp.path()) + u"a/b/相册/");
    EXPECT_TRUE(fs::is_directory(temp / "a/b/相册"));
    // Existing folders, doubled separators and a trailing separator are all fine.
    WString again = FromUtf8(temp.path()) + u"a//b/";
    EXPECT_TRUE(CreateFolderTree(again));
}

TEST(CreateFolderTree, ReportsTheFolderThatCannotBeMade) {
    test::TempFolder temp;
    test::WriteFile(temp / "file", "x");
    WString failed;
    WString throughFile = FromUtf8(temp.path()) + u"file/sub";
    EXPECT_FALSE(CreateFolderTree(throughFile, &failed));
    EXPECT_EQ(failed, FromUtf8(temp.path()) + u"file");
    // A file where the last folder should be is no folder either.
    WString atFile = FromUtf8(temp.path()) + u"file";
    EXPECT_FALSE(CreateFolderTree(atFile, &failed));
    EXPECT_EQ(failed, FromUtf8(temp.path()) + u"file");
    WString blank = u"   ";
    EXPECT_FALSE(CreateFolderTree(blank, &failed));
}

struct HeaderRow {
    std::string header;
    WString name;
    WString defaultExtension;
    WString expectedName;
    const char* label;
};

void PrintTo(const HeaderRow& row, std::ostream* os) {
    *os << ToUtf8(row.name) << " -> " << ToUtf8(row.expectedName);
}

class FixPictureExtensionRows : public ::testing::TestWithParam<HeaderRow> {};

TEST_P(FixPictureExtensionRows, RenamesByContent) {
    const HeaderRow& row = GetParam();
    test::TempFolder temp;
    test::WriteFile(temp / ToUtf8(row.name), row.header);
    WString path = FromUtf8(temp.path()) + row.name;
    EXPECT_TRUE(FixPictureExtension(path, row.defaultExtension));
    EXPECT_EQ(path, FromUtf8(temp.path()) + row.expectedName);
    EXPECT_EQ(test::ReadFile(ToUtf8(path)).bytes, row.header);
}

INSTANTIATE_TEST_SUITE_P(
    Signatures, FixPictureExtensionRows,
    ::testing::Values(
        HeaderRow{"\xFF\xD8\xFF\xE0", u"a.png", u"", u"a.jpg", "JpegNamedPng"},
        HeaderRow{"\x89PNG\r\n", u"x.jpg", u"", u"x.png", "PngNamedJpg"},
        HeaderRow{"GIF89a", u"x.gif", u"", u"x.gif", "GifAlreadyRight"},
        HeaderRow{"BM", u"x.jpg", u"", u"x.bmp", "BitmapNamedJpg"},
        HeaderRow{"II*\0", u"x.jpg", u"", u"x.tiff", "TiffLittleEndian"},
        HeaderRow{"MM\0*", u"x.jpg", u"", u"x.tiff", "TiffBigEndian"},
        HeaderRow{std::string("\0\0\x02\0\0\0", 6), u"x.jpg", u"", u"x.tga", "TgaTypeTwo"},
        HeaderRow{std::string("\0\0\x10\0\0", 5), u"x.jpg", u"", u"x.tga", "TgaTypeSixteen"},
        HeaderRow{std::string("\0\0\x01\0\x01\0", 6), u"x.jpg", u"", u"x.ico", "IconNamedJpg"},
        HeaderRow{std::string("\0\0\x02\0\x01\0", 6), u"x.jpg", u"", u"x.cur", "CursorNamedJpg"},
        HeaderRow{"", u"x.jpg", u"", u"x.jpg", "EmptyFileKeepsName"},  // judged on zeros: no match
        HeaderRow{"ftypmp42", u"v.jpg", u".mp4", u"v.mp4", "UnknownTakesDefaultExtension"},
        HeaderRow{"\xFF\xD8", u"v.jpg", u".mp4", u"v.jpg", "JpegIgnoresDefaultExtension"},
        HeaderRow{"\x89P", u"noext", u"", u"noext.png", "NameWithoutExtension"}),
    [](const ::testing::TestParamInfo<HeaderRow>& row) { return std::string(row.param.label); });

TEST(FixPictureExtension, NeverReplacesAnExistingFile) {
    test::TempFolder temp;
    test::WriteFile(temp / "x.jpg", "\x89PNG");
    test::WriteFile(temp / "x.png", "older picture");
    WString path = FromUtf8(temp.path()) + u"x.jpg";
    EXPECT_FALSE(FixPictureExtension(path));
    EXPECT_EQ(path, FromUtf8(temp.path()) + u"x.jpg");  // still names the file that exists
    EXPECT_EQ(test::ReadFile(temp / "x.png").bytes, "older picture");
    EXPECT_EQ(test::ReadFile(temp / "x.jpg").bytes, "\x89PNG");
}

TEST(FixPictureExtension, ADotInAFolderNameIsNoExtension) {
    test::TempFolder temp;
    fs::create_directory(temp / "v1.0");
    test::WriteFile(temp / "v1.0/pic", "\xFF\xD8");
    WString path = FromUtf8(temp.path()) + u"v1.0/pic";
    EXPECT_TRUE(FixPictureExtension(path));
    EXPECT_EQ(path, FromUtf8(temp.path()) + u"v1.0/pic.jpg");
    EXPECT_TRUE(fs::exists(temp / "v1.0/pic.jpg"));
}

TEST(FixPictureExtension, MissingFileOrFolderIsLeftAlone) {
    test::TempFolder temp;
    WString missing = FromUtf8(temp.path()) + u"none.jpg";
    EXPECT_FALSE(FixPictureExtension(missing));
    WString folder = FromUtf8(temp.path());
    EXPECT_FALSE(FixPictureExtension(folder));
}

TEST(HasPictureExtension, KnownExtensionsInAnyCase) {
    for (const WStringView name : {u"A.JPG", u"b.jpeg", u"c.Png", u"d.gif", u"e.bmp", u"f.tif", u"x.y.jpg"}) {
        EXPECT_TRUE(HasPictureExtension(name)) << ToUtf8(name);
    }
    for (const WStringView name :
         {u"a.webp", u"a.tiff", u"a.ico", u"a.tga", u"a.cur", u"jpg", u"a.jpg.txt", u""}) {
        EXPECT_FALSE(HasPictureExtension(name)) << ToUtf8(name);
    }
}

TEST(SetFileTimes, SetsAccessAndModificationTime) {
    test::TempFolder temp;
    test::WriteFile(temp / "f", "x");
    fs::create_directory(temp / "d");
    const std::int64_t instant = 1262304000;  // 2010-01-01 00:00:00 UTC
    SetFileTimes(FromUtf8(temp / "f"), instant);
    SetFolderTimes(FromUtf8(temp / "d"), instant);
    for (const char* name : {"f", "d"}) {
        struct stat info {};
        ASSERT_EQ(::stat((temp / name).c_str(), &info), 0);
        EXPECT_EQ(info.st_mtim.tv_sec, instant) << name;
        EXPECT_EQ(info.st_atim.tv_sec, instant) << name;
    }
    // A time of zero or less changes nothing; a missing path is no error.
    SetFileTimes(FromUtf8(temp / "f"), 0);
    SetFileTimes(FromUtf8(temp / "missing"), instant);
    struct stat info {};
    ASSERT_EQ(::stat((temp / "f").c_str(), &info), 0);
    EXPECT_EQ(info.st_mtim.tv_sec, instant);
}

}  // namespace
}  // namespace albumora
