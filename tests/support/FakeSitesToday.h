#pragma once

#include <atomic>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "support/FakeSites.h"
#include "support/TestWebServer.h"

// The two sites as they answer today: old addresses lead to an application shell (Huaban) or a
// page without the old markers (Duitang), and the data comes as JSON over https (/v3, /napi).
namespace albumora::test {

inline constexpr const char* kFakeHuabanEdgeHost = "gd-hbimg-edge.huaban.com";
inline constexpr const char* kFakeHuabanBucketHost = "gd-hbimg.huaban.com";

struct TodayHuabanBoard {
    std::string boardId = "2001";
    std::string title = "今日画板";
    std::vector<FakePin> pins;    // newest first
    int statedPinCount = -1;      // pin_count; -1: the number of pins
    std::size_t visiblePins = 0;  // pins a visitor is shown; 0: all
    bool signedLinks = true;      // pins carry file.url on the edge host, signed for the current day
    std::string coverKey{};       // the board's cover picture, named in a user's board list
};

struct TodayHuabanUser {
    std::string urlname = "alice";
    std::string userName = "爱丽丝";
    std::vector<TodayHuabanBoard> boards;
};

// The day of the signed links: a link signed on an earlier day answers 567. Shared with the routes.
struct HuabanSigningDay {
    std::atomic<int> day{1};
    // When positive, the day turns once this many pages of pins have been served.
    std::atomic<int> turnAfterPinsPages{0};
};

// Routes the board addresses (http redirects to https, which answers a shell page), /v3 for the
// boards, their pins and the user's boards, and the pictures on the edge and bucket hosts.
std::shared_ptr<HuabanSigningDay> ServeHuabanToday(TestWebServer& server, const TodayHuabanUser& user);

struct TodayDuitangAlbum {
    std::string albumId;
    std::string name;
    std::vector<FakeDuitangPicture> pictures;
};

struct TodayDuitangUser {
    std::string userId = "8899";
    std::vector<TodayDuitangAlbum> albums;
    std::size_t albumsPerPage = 24;
    std::size_t picturesPerPage = 100;  // the most a page gives, whatever the request asks
};

// Routes the user's and the albums' pages (without the old markers) and /napi: the album list by
// offset, an album's data, its pictures by the after_id cursor, and the pictures on c-ssl.
void ServeDuitangToday(TestWebServer& server, const TodayDuitangUser& user);

}  // namespace albumora::test
