#pragma once

#include <string>

#include "support/FakeSites.h"

namespace albumora::demo {

// What the offline demo serves: one Huaban board that takes two pages of pins, and one Duitang
// user with a handful of albums, the largest of them over two pages. Every picture is a real PNG.
struct DemoSample {
    test::FakeHuabanBoard board;
    test::FakeDuitangUser user;
};

inline constexpr int kDemoPictureWidth = 480;
inline constexpr int kDemoPictureHeight = 360;

// Drawing the pictures takes the bulk of the time; without them the sample still lists the same.
DemoSample MakeDemoSample(bool withPictures = true);

// The addresses a user would paste, as the program requests them: plain http, so that they go
// through http_proxy.
std::string DemoBoardAddress(const DemoSample& sample);
std::string DemoUserAddress(const DemoSample& sample);

}  // namespace albumora::demo
