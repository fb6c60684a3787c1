#include "core/workflow/AlbumList.h"

#include <gtest/gtest.h>

#include <thread>

#include "core/files/SafeFileName.h"

namespace albumora {
namespace {

ST_PERLISTRECORD Album(WStringView name, std::int32_t rating = 0) {
    ST_PERLISTRECORD record;
    record.name = name;
    record.albumId = u"id-" + WString(name);
    record.pictureCount = -1;
    record.rating = rating;
    record.listIndex = 99;  // the list sets these two
    record.thumbIndex = 42;
    return record;
}

std::vector<WString> Names(const AlbumList& list) {
    std::vector<WString> names;
    for (const ST_PERLISTRECORD& record : list.Snapshot()) {
        names.push_back(record.name);
    }
    return names;
}

TEST(AddAlbumRecord, CleansAndNumbersDuplicateNames) {
    AlbumList list;
    EXPECT_EQ(list.AddAlbumRecord(Album(u"Trip")), 1u);
    EXPECT_EQ(list.AddAlbumRecord(Album(u" Trip ")), 2u);
    EXPECT_EQ(list.AddAlbumRecord(Album(u"Tr:ip")), 3u);
    EXPECT_EQ(list.AddAlbumRecord(Album(u"trip")), 4u);
    EXPECT_EQ(list.AddAlbumRecord(Album(u"Trip (1)")), 5u);
    EXPECT_EQ(Names(list),
              (std::vector<WString>{u"Trip", u"Trip (1)", u"Trip (2)", u"trip", u"Trip (1) (1)"}));
    const auto third = list.AlbumAt(2);
    ASSERT_TRUE(third.has_value());
    EXPECT_EQ(third->listIndex, 2);
    EXPECT_EQ(third->thumbIndex, -1);
    EXPECT_EQ(third->albumId, u"id-Tr:ip");  // only the name is cleaned
    EXPECT_EQ(third->pictureCount, -1);
    EXPECT_FALSE(list.AlbumAt(5).has_value());
}

TEST(AddAlbumRecord, NamesThatCleanToNothingBecomeTimeStamps) {
    AlbumList list;
    list.AddAlbumRecord(Album(u"?*"));
    list.AddAlbumRecord(Album(u"..."));
    const WString stamp = list.AlbumAt(0)->name;
    ASSERT_EQ(stamp.size(), 14u);
    EXPECT_EQ(stamp.find_first_not_of(u"0123456789"), WString::npos);
    EXPECT_EQ(list.AlbumAt(1)->name, u"\u3002\u3002\u3002");
}

TEST(AddAlbumRecord, NumberedNamesOfLongAlbumsStayWithinTheNameLimit) {
    AlbumList list;
    const WString longName(200, u'长');
    list.AddAlbumRecord(Album(longName));
    list.AddAlbumRecord(Album(longName));
    const WString second = list.AlbumAt(1)->name;
    EXPECT_TRUE(second.ends_with(u" (1)"));
    EXPECT_LE(Utf8Length(second), kMaxNameBytes);
    EXPECT_NE(second, list.AlbumAt(0)->name);
}

TEST(AlbumList, ClearingForgetsTheNames) {
    AlbumList list;
    list.ClearAlbumList();
    list.AddAlbumRecord(Album(u"a"));
    list.ClearAlbumList();
    EXPECT_EQ(list.size(), 0u);
    list.AddAlbumRecord(Album(u"a"));
    EXPECT_EQ(list.AlbumAt(0)->name, u"a");
    EXPECT_EQ(list.AlbumAt(0)->listIndex, 0);
}

// The list worker appends while the interface thread paints from the list.
TEST(AlbumListConcurrency, ReadersSeeWholeRecordsWhileAWorkerAppends) {
    AlbumList list;
    constexpr int kAlbums = 2000;
    std::thread worker([&] {
        for (int i = 0; i < kAlbums; ++i) {
            list.AddAlbumRecord(Album(u"album"));
            list.selectedCount.store(i);
        }
    });
    std::size_t seen = 0;
    while (seen < kAlbums) {
        seen = list.size();
        if (seen > 0) {
            const auto last = list.AlbumAt(seen - 1);
            ASSERT_TRUE(last.has_value());
            EXPECT_EQ(last->listIndex, static_cast<std::int32_t>(seen - 1));
            EXPECT_TRUE(last->name.starts_with(u"album"));
        }
        if (seen % 100 == 0) {
            list.Snapshot();
        }
    }
    worker.join();
    EXPECT_EQ(list.AlbumAt(kAlbums - 1)->name, u"album (1999)");
    EXPECT_EQ(list.selectedCount.load(), kAlbums - 1);
}

}  // namespace
}  // namespace albumora
