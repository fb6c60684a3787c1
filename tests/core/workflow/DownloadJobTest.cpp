#include "core/workflow/DownloadJob.h"

#include <gtest/gtest.h>

#include <thread>

namespace albumora {
namespace {

TEST(DownloadJob, ResolvesTargetsAgainstTheAlbumFolder) {
    DownloadJob job;
    job.SetAlbumFolder(u"/save/owner/album/");
    job.AppendPicture(u"http://a/1.jpg", u"1.jpg");
    job.AppendPicture(u"http://a/2.jpg\r\nhttp://b/2.jpg", u"/elsewhere/2.jpg", u"Referer: x");
    EXPECT_EQ(job.TargetPath(0), u"/save/owner/album/1.jpg");
    EXPECT_EQ(job.TargetPath(1), u"/elsewhere/2.jpg");
    EXPECT_TRUE(job.SetFileName(0, u"1.png"));
    EXPECT_EQ(job.TargetPath(0), u"/save/owner/album/1.png");
    EXPECT_FALSE(job.SetFileName(2, u"x"));
    EXPECT_FALSE(job.TargetPath(2).has_value());
    // The header and renew key are kept apart from the common fields; they come back with them.
    job.AppendPicture(u"http://a/3.jpg", u"3.jpg", {}, u"page\t3");
    EXPECT_EQ(job.PictureAt(1)->requestHeader, u"Referer: x");
    EXPECT_EQ(job.PictureAt(2)->renewKey, u"page\t3");
    EXPECT_TRUE(job.PictureAt(0)->requestHeader.empty() && job.PictureAt(0)->renewKey.empty());
}

TEST(DownloadJob, AClearedJobRefusesEntriesOfTheOldAlbum) {
    DownloadJob job;
    job.AppendPicture(u"http://a/1.jpg", u"1.jpg");
    const std::uint64_t firstAlbum = job.generation();
    EXPECT_TRUE(job.PictureAt(0, firstAlbum).has_value());
    job.Clear();
    EXPECT_EQ(job.size(), 0u);
    job.AppendPicture(u"http://b/1.jpg", u"1.jpg");
    EXPECT_FALSE(job.PictureAt(0, firstAlbum).has_value());
    EXPECT_EQ(job.PictureAt(0, job.generation())->url, u"http://b/1.jpg");
}

// Picture threads read their entries and count themselves finished while a stopped run's worker
// already refills the job for the next album.
TEST(DownloadJobConcurrency, PictureThreadsReadWhileTheWorkerRefills) {
    DownloadJob job;
    DownloadCounters counters;
    counters.CopyParams({0, 0, 8, 30});
    for (int i = 0; i < 50; ++i) {
        job.AppendPicture(u"http://a/" + IntToText(i), IntToText(i) + u".jpg");
    }
    const std::uint64_t generation = job.generation();
    std::vector<std::thread> threads;
    for (std::uint32_t t = 0; t < counters.activeThreadCount; ++t) {
        threads.emplace_back([&, t] {
            for (std::size_t i = t; i < 50; i += 8) {
                if (const auto picture = job.PictureAt(i, generation)) {
                    EXPECT_EQ(picture->url, u"http://a/" + IntToText(static_cast<long long>(i)));
                }
                job.TargetPath(i);
                counters.finishedCount.fetch_add(1);
            }
        });
    }
    counters.stopRequested.Raise();
    job.Clear();
    for (int i = 0; i < 50; ++i) {
        job.AppendPicture(u"http://b/" + IntToText(i), IntToText(i) + u".jpg");
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(counters.finishedCount.load(), 50u);
    EXPECT_EQ(job.PictureAt(0)->url, u"http://b/0");
}

}  // namespace
}  // namespace albumora
