#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "NetFixture.h"
#include "core/net/CookieStore.h"

namespace albumora::test {
namespace {

using FetchConcurrency = NetTest;

// Fifteen download threads, as many as the program runs, each fetching pages and pictures through
// one cookie jar while the others do.
TEST_F(FetchConcurrency, FifteenThreadsShareOneCookieJar) {
    constexpr int kThreads = 15;
    constexpr int kRounds = 6;
    const std::string picture(40 * 1024, '\x89');
    server().Route("/page", Response{.body = "<p>" + std::string(5000, 'x') + "</p>",
                                     .encoding = BodyEncoding::Gzip,
                                     .setCookies = {"seen=1; Max-Age=3600; Path=/"}});
    server().Route("/picture.jpg", Response{.body = picture, .contentType = "image/jpeg"});
    CookieStore store(folder.file("cookies.txt"));
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int round = 0; round < kRounds; ++round) {
                ST_URLREQUEST page = Request("/page", 5000);
                page.cookieStore = &store;
                CURLSource response;
                if (!FetchUrl(page, response, 0) || GetText(response, 0x03).size() != 5007) {
                    ++failures;
                }
                ST_URLREQUEST pictureRequest = Request("/picture.jpg", 5000);
                pictureRequest.cookieStore = &store;
                pictureRequest.savePath =
                    FromUtf8(folder.file(std::to_string(t) + "-" + std::to_string(round) + ".jpg"));
                if (!FetchUrl(pictureRequest, response, FETCH_CACHE_WRITE | FETCH_CACHE_READ)) {
                    ++failures;
                }
                if (round == kRounds - 1) {
                    store.Set(
                        Cookie{.name = "thread" + std::to_string(t), .value = "1", .domain = "127.0.0.1"});
                }
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(failures.load(), 0);
    for (int t = 0; t < kThreads; ++t) {
        for (int round = 0; round < kRounds; ++round) {
            EXPECT_EQ(ReadFile(folder.file(std::to_string(t) + "-" + std::to_string(round) + ".jpg")).bytes,
                      picture);
        }
    }
    EXPECT_EQ(store.List().size(), 1u + kThreads);
    // Every picture request came after its thread's first page had set the cookie.
    for (const auto& request : server().requestsFor("/picture.jpg")) {
        EXPECT_NE(request.Header("Cookie").find("seen=1"), std::string::npos);
    }
}

}  // namespace
}  // namespace albumora::test
