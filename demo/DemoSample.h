#pragma once

#include <string>

#include "support/FakeSites.h"
#include "support/FakeSitesToday.h"

namespace albumora::demo {

// What the offline demo serves: one Huaban board that takes two pages of pins, and one Duitang
// user with a handful of albums, the largest of them over two pages, as the sites' old pages
// showed them; and one user of each site as the sites answer today, through their JSON interfaces
// over https. Every picture is a real PNG.
struct DemoSample {
    test::FakeHuabanBoard board;
    test::FakeDuitangUser user;
    test::TodayHuabanUser todayHuabanUser;
    test::TodayDuitangUser todayDuitangUser;
};

inline constexpr int kDemoPictureWidth = 480;
inline constexpr int kDemoPictureHeight = 360;

// Drawing the pictures takes the bulk of the time; without them the sample still lists the same.
DemoSample MakeDemoSample(bool withPictures = true);

// The addresses a user would paste, as the program requests them: plain http, so that they go
// through http_proxy.
std::string DemoBoardAddress(const DemoSample& sample);
std::string DemoUserAddress(const DemoSample& sample);

// The today samples' addresses as a browser shows them now: https.
std::string DemoTodayHuabanUserAddress(const DemoSample& sample);
std::string DemoTodayDuitangUserAddress(const DemoSample& sample);

}  // namespace albumora::demo
