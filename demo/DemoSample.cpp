#include "demo/DemoSample.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <exception>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "support/DemoPictures.h"

namespace albumora::demo {

namespace {

struct AlbumPlan {
    const char* id;
    const char* name;
    const char* caption;  // the pictures' descriptions, which become their file names, with a number
    int pictures;
    double hue;
};

// Five albums, 80 pictures: the 30 of the last album take two picture pages.
constexpr AlbumPlan kAlbums[] = {
    {"61001", "春日插画", "春日", 12, 335},  {"61002", "猫咪日常", "猫咪", 24, 28},
    {"61003", "城市夜景", "夜景", 8, 232},   {"61004", "水彩花卉", "花卉", 6, 120},
    {"61005", "旅行 · 京都", "京都", 30, 0},
};

constexpr const char* kBoardScenes[] = {"湖光", "山色", "晨雾", "林间", "海岸", "雪峰"};
constexpr int kBoardPins = 30;

// The today samples are small: they show the other path, not the paging the old samples show.
struct TodayBoardPlan {
    const char* id;
    const char* title;
    const char* caption;
    int pins;
    double hue;
};

// The ids differ from the old board's and its pins', whose routes the site keeps.
constexpr TodayBoardPlan kTodayBoards[] = {
    {"27182818", "海边速写", "海边", 8, 24},
    {"27182819", "街角咖啡", "咖啡", 6, 48},
    {"27182820", "雨天", "雨天", 5, 270},
};
constexpr int kTodayFirstPin = 770099;

constexpr AlbumPlan kTodayAlbums[] = {
    {"62001", "手账素材", "手账", 10, 300},
    {"62002", "极简壁纸", "壁纸", 6, 190},
};

std::string TwoDigits(int number) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d", number);
    return text;
}

struct PictureTask {
    std::string* bytes;
    test::DemoLook look;
};

// The pictures are independent, so every core draws its share.
void DrawAll(std::vector<PictureTask>& tasks) {
    std::atomic<std::size_t> next{0};
    std::exception_ptr failure;
    std::atomic<bool> failed{false};
    auto work = [&] {
        for (std::size_t i = next++; i < tasks.size() && !failed; i = next++) {
            try {
                *tasks[i].bytes = test::DemoPng(kDemoPictureWidth, kDemoPictureHeight, tasks[i].look);
            } catch (...) {
                if (!failed.exchange(true)) {
                    failure = std::current_exception();
                }
            }
        }
    };
    const unsigned threads = std::clamp(std::thread::hardware_concurrency(), 1u, 8u);
    std::vector<std::thread> workers;
    for (unsigned t = 1; t < threads; ++t) {
        workers.emplace_back(work);
    }
    work();
    for (auto& worker : workers) {
        worker.join();
    }
    if (failure) {
        std::rethrow_exception(failure);
    }
}

test::DemoPattern PatternAt(int index) {
    constexpr test::DemoPattern kPatterns[] = {test::DemoPattern::Rings, test::DemoPattern::Stripes,
                                               test::DemoPattern::Dots, test::DemoPattern::Waves};
    return kPatterns[index % 4];
}

// Blues and greens, one step further round the wheel each pin.
test::DemoLook PinLook(int index) {
    return {150.0 + index * 3.5, PatternAt(index), index + 1};
}

// Each album keeps to its own colour, shifting a little from picture to picture.
test::DemoLook AlbumPictureLook(const AlbumPlan& plan, int album, int number) {
    return {plan.hue + (number * 7 % 36) - 18, PatternAt(album + number), number};
}

test::DemoLook TodayPinLook(const TodayBoardPlan& plan, int board, int number) {
    return {plan.hue + (number * 5 % 30) - 15, PatternAt(board + number), number};
}

test::FakeDuitangAlbum AlbumFrom(const AlbumPlan& plan) {
    test::FakeDuitangAlbum album{plan.id, plan.name, {}};
    for (int i = 1; i <= plan.pictures; ++i) {
        test::FakeDuitangPicture picture{std::string(plan.id) + "_" + TwoDigits(i) + ".png",
                                         std::string(plan.caption) + " " + TwoDigits(i)};
        picture.kind = test::PictureKind::Png;
        album.pictures.push_back(std::move(picture));
    }
    return album;
}

}  // namespace

DemoSample MakeDemoSample(bool withPictures) {
    DemoSample sample;
    sample.board.boardId = "31415926";
    sample.board.title = "山川湖海";
    sample.board.owner = "旅人小林";
    for (int i = 0; i < kBoardPins; ++i) {
        const std::string pinId = std::to_string(880030 - i);
        test::FakePin pin{pinId, "demo-" + pinId,
                          std::string(kBoardScenes[i % std::size(kBoardScenes)]) + " " + TwoDigits(i + 1)};
        pin.kind = test::PictureKind::Png;
        sample.board.pins.push_back(std::move(pin));
    }

    sample.user.userId = "52013";
    for (const AlbumPlan& plan : kAlbums) {
        sample.user.albums.push_back(AlbumFrom(plan));
    }

    sample.todayHuabanUser.urlname = "demo";
    sample.todayHuabanUser.userName = "晴空画室";
    int pinId = kTodayFirstPin;
    for (const TodayBoardPlan& plan : kTodayBoards) {
        test::TodayHuabanBoard board;
        board.boardId = plan.id;
        board.title = plan.title;
        for (int i = 1; i <= plan.pins; ++i, --pinId) {
            const std::string id = std::to_string(pinId);
            test::FakePin pin{id, "demo-today-" + id, std::string(plan.caption) + " " + TwoDigits(i)};
            pin.kind = test::PictureKind::Png;
            board.pins.push_back(std::move(pin));
        }
        // The first pin's picture on the bucket host, where the boards list's covers point.
        board.coverKey = board.pins.front().key;
        sample.todayHuabanUser.boards.push_back(std::move(board));
    }

    sample.todayDuitangUser.userId = "61803";
    for (const AlbumPlan& plan : kTodayAlbums) {
        test::FakeDuitangAlbum album = AlbumFrom(plan);
        sample.todayDuitangUser.albums.push_back(
            {std::move(album.albumId), std::move(album.name), std::move(album.pictures)});
    }

    if (withPictures) {
        // Every list is complete: the addresses of their pictures' bytes hold from here on.
        std::vector<PictureTask> tasks;
        for (int i = 0; i < kBoardPins; ++i) {
            tasks.push_back({&sample.board.pins[static_cast<std::size_t>(i)].bytes, PinLook(i)});
        }
        for (std::size_t a = 0; a < std::size(kAlbums); ++a) {
            auto& pictures = sample.user.albums[a].pictures;
            for (std::size_t i = 0; i < pictures.size(); ++i) {
                tasks.push_back({&pictures[i].bytes,
                                 AlbumPictureLook(kAlbums[a], static_cast<int>(a), static_cast<int>(i) + 1)});
            }
        }
        for (std::size_t b = 0; b < std::size(kTodayBoards); ++b) {
            auto& pins = sample.todayHuabanUser.boards[b].pins;
            for (std::size_t i = 0; i < pins.size(); ++i) {
                tasks.push_back({&pins[i].bytes, TodayPinLook(kTodayBoards[b], static_cast<int>(b),
                                                              static_cast<int>(i) + 1)});
            }
        }
        for (std::size_t a = 0; a < std::size(kTodayAlbums); ++a) {
            auto& pictures = sample.todayDuitangUser.albums[a].pictures;
            for (std::size_t i = 0; i < pictures.size(); ++i) {
                tasks.push_back({&pictures[i].bytes, AlbumPictureLook(kTodayAlbums[a], static_cast<int>(a),
                                                                      static_cast<int>(i) + 1)});
            }
        }
        DrawAll(tasks);
    }
    return sample;
}

std::string DemoBoardAddress(const DemoSample& sample) {
    return "http://" + std::string(test::kFakeHuabanHost) + "/boards/" + sample.board.boardId + "/";
}

std::string DemoUserAddress(const DemoSample& sample) {
    return "http://" + std::string(test::kFakeDuitangHost) + "/people/?user_id=" + sample.user.userId;
}

std::string DemoTodayHuabanUserAddress(const DemoSample& sample) {
    return "https://" + std::string(test::kFakeHuabanHost) + "/user/" + sample.todayHuabanUser.urlname + "/";
}

std::string DemoTodayDuitangUserAddress(const DemoSample& sample) {
    return "https://" + std::string(test::kFakeDuitangHost) + "/people/?id=" + sample.todayDuitangUser.userId;
}

}  // namespace albumora::demo
