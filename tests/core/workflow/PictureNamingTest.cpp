#include "core/workflow/PictureNaming.h"

#include <gtest/gtest.h>

#include <set>

#include "core/text/CaseFold.h"

namespace albumora {
namespace {

// Names a run of pictures as AddPicture does, with a taken-name set per album.
class NamingRun {
public:
    NamingRun(SiteNamingRecord naming, ST_PERLISTRECORD album)
        : m_naming(naming), m_album(std::move(album)) {}

    // `counters` as the workflow keeps them; none gives the plain search from "(1)" every time.
    WString Add(WStringView url, WStringView originalName, size_t folderLength = 30,
                DuplicateCounters* counters = nullptr) {
        const NamingContext context{m_naming, m_album, 18, 3, 10, u"owner"};
        PictureNameDraft draft = DraftPictureName(context, url, originalName, m_names.size());
        WString name = FinishPictureName(
            std::move(draft), folderLength,
            [this](const WString& candidate) { return m_taken.contains(ToLowerText(candidate)); },
            m_names.size(), counters);
        m_names.push_back(name);
        m_taken.insert(ToLowerText(name));
        return name;
    }

private:
    SiteNamingRecord m_naming;
    ST_PERLISTRECORD m_album;
    std::vector<WString> m_names;
    std::set<WString> m_taken;
};

ST_PERLISTRECORD Album(WString name = u"相册", int listIndex = 4) {
    ST_PERLISTRECORD album;
    album.name = std::move(name);
    album.listIndex = listIndex;
    album.rating = 77;
    album.createdTime = 1600000000;
    album.createdText = u"2020-09-13";
    return album;
}

SiteNamingRecord Naming(std::uint8_t mode, WStringView prefix = {}, WStringView suffix = {}) {
    SiteNamingRecord naming;
    naming.pictureNameMode = mode;
    SetNamingText(naming.pictureNamePrefix, prefix);
    SetNamingText(naming.pictureNameSuffix, suffix);
    return naming;
}

TEST(PictureNaming, SequenceModeNumbersWithoutDuplicateSearch) {
    NamingRun run(Naming(1, u"P"), Album());
    EXPECT_EQ(run.Add(u"http://h/a.png", u"x"), u"P1.jpg");
    EXPECT_EQ(run.Add(u"http://h/a.png", u"x"), u"P2.jpg");
    EXPECT_EQ(run.Add(u"http://h/a.png", u"x"), u"P3.jpg");
}

TEST(PictureNaming, DescriptionModeFallsBackToTheAlbumName) {
    NamingRun run(Naming(0), Album(u"海边"));
    EXPECT_EQ(run.Add(u"http://h/1", u""), u"海边.jpg");
    EXPECT_EQ(run.Add(u"http://h/2", u"   "), u"海边(1).jpg");
    EXPECT_EQ(run.Add(u"http://h/3", u"海边"), u"海边(2).jpg");
    // Letter case does not make a name different.
    NamingRun cased(Naming(0), Album());
    EXPECT_EQ(cased.Add(u"http://h/1", u"Cat"), u"Cat.jpg");
    EXPECT_EQ(cased.Add(u"http://h/2", u"cat"), u"cat(1).jpg");
}

TEST(PictureNaming, DuplicateOfANameWithPictureExtension) {
    // The duplicate base keeps the extension, which comes once more after the counter.
    NamingRun run(Naming(0), Album());
    EXPECT_EQ(run.Add(u"http://h/1", u"a.png"), u"a.png");
    EXPECT_EQ(run.Add(u"http://h/2", u"a.png"), u"a.png(1).png");
    EXPECT_EQ(run.Add(u"http://h/3", u"b.txt"), u"b.txt.jpg");
}

TEST(PictureNaming, AddressMode) {
    NamingRun run(Naming(2), Album());
    EXPECT_EQ(run.Add(u"http://img.example/uploads/pic_01.GIF", u"d"), u"pic_01.GIF");
    // An address ending in "/" leaves only prefix and suffix; nothing at all becomes a time stamp.
    const WString stamp = run.Add(u"http://img.example/dir/", u"d");
    EXPECT_EQ(stamp.size(), 14u + 4u);
    EXPECT_TRUE(stamp.ends_with(u".jpg"));
    // Without a slash after the start the picture is numbered.
    EXPECT_EQ(run.Add(u"/nothing", u"d"), u"3.jpg");
}

TEST(PictureNaming, AddressModeWithPrefixAndEmptyBase) {
    NamingRun run(Naming(2, u"pre_", u"_suf"), Album());
    EXPECT_EQ(run.Add(u"http://img.example/dir/", u"d"), u"pre__suf.jpg");
}

TEST(PictureNaming, SuffixWithNumberEscapeMarksEveryNameNumbered) {
    NamingRun run(Naming(0, {}, u"-?2"), Album());
    EXPECT_EQ(run.Add(u"http://h/1", u"same"), u"same-1.jpg");
    EXPECT_EQ(run.Add(u"http://h/2", u"same"), u"same-2.jpg");
}

TEST(PictureNaming, PictureEscapes) {
    NamingRun run(Naming(1, u"?1_?3_?4_?5_?6_?7_?8_?9_"), Album(u"A", 4));
    EXPECT_EQ(run.Add(u"http://h/1", u""), u"A_5_77_1600000000_3_10_owner_0005_1.jpg");
}

TEST(PictureNaming, ReplacementsThenCleaning) {
    SiteNamingRecord naming = Naming(0);
    SetNamingText(naming.replaceFrom, u"cat|dog");
    SetNamingText(naming.replaceTo, u"猫|狗:");
    NamingRun run(naming, Album());
    EXPECT_EQ(run.Add(u"http://h/1", u"cat and dog"), u"猫 and 狗.jpg");  // ":" is cleaned away

    // Lists of unequal length replace the whole text; a description is cleaned before, so only
    // the prefix can still hold the "|".
    SiteNamingRecord whole = Naming(0, u"a|b");
    SetNamingText(whole.replaceFrom, u"a|b");
    SetNamingText(whole.replaceTo, u"x");
    NamingRun wholeRun(whole, Album());
    EXPECT_EQ(wholeRun.Add(u"http://h/1", u"z"), u"xz.jpg");
}

TEST(PictureNaming, LongNamesAreCutToThePathBudgetBeforeTheExtension) {
    NamingRun run(Naming(0), Album());
    const WString longName(300, u'n');
    const WString name = run.Add(u"http://h/1", longName + u".png", 200);
    EXPECT_EQ(name, WString(50, u'n') + u".jpg");  // the cut removed ".png" as well
    // Names stay within the file system's 255 bytes however short the folder.
    const WString wide = run.Add(u"http://h/2", WString(200, u'图'), 10);
    EXPECT_LE(ToUtf8(wide).size(), 255u);
    EXPECT_TRUE(wide.ends_with(u".jpg"));
}

TEST(PictureNaming, HostileDescriptionsStayInsideTheFolder) {
    NamingRun run(Naming(0), Album(u"safe"));
    for (WStringView hostile : {u"../../etc/passwd", u"..", u"a/b\\c", u"\u202Egpj.exe", u"\x01\x02"}) {
        const WString name = run.Add(u"http://h/x", hostile);
        EXPECT_EQ(name.find(u'/'), WString::npos) << ToUtf8(name);
        EXPECT_NE(name, u"..");
        EXPECT_FALSE(name.starts_with(u".")) << ToUtf8(name);
    }
}

TEST(AlbumFolderNaming, ModesAndEscapes) {
    SiteNamingRecord naming;
    SetNamingText(naming.albumFolderPrefix, u"?4-");
    const ST_PERLISTRECORD first = Album(u"First", 0);
    const ST_PERLISTRECORD last = Album(u"Last", 9);
    EXPECT_EQ(AlbumFolderName({naming, first, 18, 1, 10, u""}), u"10-First");
    EXPECT_EQ(AlbumFolderName({naming, last, 18, 1, 10, u""}), u"1-Last");

    // ?5 is the creation text only on the QQ sites; ?2 means nothing in folders, and the "?" of
    // an escape left alone is cleaned away.
    SetNamingText(naming.albumFolderPrefix, u"?5?2");
    naming.albumFolderMode = 1;
    EXPECT_EQ(AlbumFolderName({naming, first, 0, 1, 10, u""}), u"2020-09-132");
    EXPECT_EQ(AlbumFolderName({naming, first, 18, 1, 10, u""}), u"52");
}

// The counters only make the duplicate search faster: with and without them every name of an album
// comes out the same, whatever literal "(n)" names, letter cases and extensions come in between.
TEST(DuplicateCounters, GiveTheNamesOfThePlainSearch) {
    const WString pieces[] = {u"",      u"a",        u"A",        u"a(1)",  u"a(2)",  u"a(1)(1)", u"a.jpg",
                              u"a.JPG", u"a(1).jpg", u"a(3).png", u"a.png", u"b",     u"b(1)",    u"?",
                              u"a ",    u"a(10)",    u"a(0)",     u"a(-1)", u"a..jpg"};
    SiteNamingRecord naming;
    naming.pictureNameMode = 0;
    ST_PERLISTRECORD album;
    album.name = u"相册";
    std::uint32_t seed = 2026;
    for (int corpus = 0; corpus < 40; ++corpus) {
        NamingRun plain(naming, album);
        NamingRun counted(naming, album);
        DuplicateCounters counters;
        for (int i = 0; i < 300; ++i) {
            seed = seed * 1103515245u + 12345u;
            // Early sets lean on one piece, as an album of pictures without descriptions does.
            const size_t pick = corpus % 4 == 0 ? 0 : (seed >> 16) % std::size(pieces);
            const WString url = u"http://h/" + IntToText(i);
            ASSERT_EQ(counted.Add(url, pieces[pick], 30, &counters), plain.Add(url, pieces[pick]))
                << "set " << corpus << ", picture " << i;
        }
    }
}

}  // namespace
}  // namespace albumora
