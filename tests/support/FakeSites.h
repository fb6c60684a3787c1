#pragma once

#include <string>
#include <vector>

#include "support/TestWebServer.h"

namespace albumora::test {

enum class PictureKind { Jpeg, Png, Gif };

// Bytes that start like a real picture of the kind, padded to `size`.
std::string PictureBytes(PictureKind kind, std::size_t size);
// The picture as its host serves it: `bytes` when given, else PictureBytes.
Response Picture(PictureKind kind, std::size_t size, const std::string& bytes);
// The value of `key` in a query ("a=1&b=2"), as written; empty when absent.
std::string QueryValue(const std::string& query, const std::string& key);

// --- Huaban ---

inline constexpr const char* kFakeHuabanHost = "huaban.com";
inline constexpr const char* kFakeHuabanPictureHost = "img.hb.aicdn.com";

struct FakePin {
    std::string pinId;
    std::string key;
    std::string description;  // as it stands in the page, entities and all
    PictureKind kind = PictureKind::Jpeg;
    std::size_t size = 2048;
    std::string bytes{};  // a real picture of `kind`, served instead of PictureBytes when not empty
};

struct FakeHuabanBoard {
    std::string boardId = "1001";
    std::string title = "猫咪 &amp; 狗";
    std::string owner = "alice";
    std::vector<FakePin> pins;  // newest first, as the site lists them
    int statedPinCount = -1;    // the page's pin_count; -1: the number of pins
    std::size_t pinsPerBoardPage = 20;
};

// `count` pins numbered from `firstId` downwards, with keys "key<id>" and descriptions "图<id>".
std::vector<FakePin> MakePins(int firstId, int count);

// Routes the board page (the board's data in a script block, 20 pins in it) and the pages of pins
// behind it (compact JSON, 20 pins after the `max` pin), and the pins' pictures. The program shows
// no cover for a board, so none is served.
void ServeHuabanBoard(TestWebServer& server, const FakeHuabanBoard& board);

// --- Duitang ---

inline constexpr const char* kFakeDuitangHost = "www.duitang.com";
inline constexpr const char* kFakeDuitangPictureHost = "c-ssl.duitang.com";

struct FakeDuitangPicture {
    std::string file;  // the full-size file name on the picture host
    std::string message;
    PictureKind kind = PictureKind::Jpeg;
    std::size_t size = 2048;
    bool listedAsThumb = true;  // the page gives the ".thumb.224_0." address
    std::string bytes{};        // a real picture of `kind`, served instead of PictureBytes when not empty
};

struct FakeDuitangAlbum {
    std::string albumId;
    std::string name;
    std::vector<FakeDuitangPicture> pictures;
};

struct FakeDuitangUser {
    std::string userId = "7788";
    std::vector<FakeDuitangAlbum> albums;
};

// `count` pictures "p<albumId>_<i>.jpg" with messages "说明<i>".
std::vector<FakeDuitangPicture> MakeDuitangPictures(const std::string& albumId, int count);

// Routes the user's page, the album pages, the album list pages (24 a page), the picture pages
// (24 a page, has_next on all but the last) and the pictures. An album's cover is its first
// picture's thumbnail address: that picture's own bytes when it has them, else a made-up JPEG.
void ServeDuitangUser(TestWebServer& server, const FakeDuitangUser& user);

}  // namespace albumora::test
