#include "core/workflow/AlbumJournal.h"

#include <gtest/gtest.h>

#include "support/TempFolder.h"

namespace albumora {
namespace {

TEST(AlbumJournal, KeepsWhatTheLastWholeLineOfAnAddressSays) {
    test::TempFolder temp;
    const WString folder = FromUtf8(temp.path());
    // Addresses carry a fallback after CR LF; names may hold tabs and backslashes.
    const WString url = u"http://a/1.jpg\r\nhttp://b/1.jpg";
    {
        AlbumJournal journal;
        ASSERT_TRUE(journal.Open(folder));
        EXPECT_TRUE(journal.Record(url, {u"名\t字\\1.jpg", 2048, {}}));
        EXPECT_TRUE(journal.Record(u"http://a/2.jpg", {u"2.jpg", 10, {}}));
        EXPECT_TRUE(journal.Record(url, {u"名\t字\\1.jpg", 2048, u"名\t字\\1.png"}));
    }
    // A crash mid-line leaves a torn last line: ignored, and kept apart from the next one.
    std::string bytes = test::ReadFile(temp / AlbumJournal::kFileName).bytes;
    test::WriteFile(temp / AlbumJournal::kFileName, bytes + "http://a/3.jpg\t3.j");

    AlbumJournal journal;
    ASSERT_TRUE(journal.Open(folder));
    const auto first = journal.Find(url);
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(first->fileName, u"名\t字\\1.jpg");
    EXPECT_EQ(first->size, 2048u);
    EXPECT_EQ(first->storedAs, u"名\t字\\1.png");
    EXPECT_FALSE(journal.Find(u"http://a/3.jpg").has_value());
    EXPECT_TRUE(journal.Record(u"http://a/4.jpg", {u"4.jpg", 4, {}}));
    journal.Close();

    ASSERT_TRUE(journal.Open(folder));
    EXPECT_TRUE(journal.Find(u"http://a/4.jpg").has_value());
    EXPECT_EQ(journal.Find(u"http://a/2.jpg")->size, 10u);
}

TEST(AlbumJournal, DamagedLinesAreIgnored) {
    for (const char* line : {"only\tone", "u\tn\tnot-a-size", "u\tn\t12x", "\tn\t1", "u\t\t1",
                             "u\tn\t1\tx\ty", "u\\q\tn\t1", "u\tn\\\t1"}) {
        EXPECT_FALSE(AlbumJournal::ParseLine(line).has_value()) << line;
    }
    EXPECT_TRUE(AlbumJournal::ParseLine("u\tn\t1").has_value());
}

}  // namespace
}  // namespace albumora
