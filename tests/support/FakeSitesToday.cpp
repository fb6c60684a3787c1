#include "support/FakeSitesToday.h"

#include <algorithm>

namespace albumora::test {

namespace {

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

std::string SignedLink(const std::string& key, int day) {
    return std::string("https://") + kFakeHuabanEdgeHost + "/" + key + "?auth_key=" + std::to_string(day) +
           "-0a1b2c-0-" + std::to_string(day * 7919);
}

std::string PinJson(const FakePin& pin, const TodayHuabanBoard& board, int day) {
    std::string file = "{\"bucket\":\"gd-hbimg\",\"key\":" + Quoted(pin.key) + ",\"type\":\"image/jpeg\"";
    if (board.signedLinks) {
        file += ",\"url\":" + Quoted(SignedLink(pin.key, day));
    }
    return "{\"pin_id\":" + pin.pinId + ",\"board_id\":" + board.boardId + ",\"file\":" + file +
           "},\"raw_text\":" + Quoted(pin.description) + ",\"like_count\":0}";
}

int StatedCount(const TodayHuabanBoard& board) {
    return board.statedPinCount >= 0 ? board.statedPinCount : static_cast<int>(board.pins.size());
}

std::string BoardJson(const TodayHuabanBoard& board, const TodayHuabanUser& user) {
    std::string json = "{\"board_id\":" + board.boardId + ",\"title\":" + Quoted(board.title) +
                       ",\"pin_count\":" + std::to_string(StatedCount(board)) +
                       ",\"user\":{\"urlname\":" + Quoted(user.urlname) +
                       ",\"username\":" + Quoted(user.userName) + "}";
    if (!board.coverKey.empty()) {
        json += ",\"cover\":{\"file\":{\"bucket\":\"gd-hbimg\",\"key\":" + Quoted(board.coverKey) + "}}";
    }
    return json + "}";
}

Response Json(std::string body) {
    return Response{.body = std::move(body), .contentType = "application/json"};
}

// Where a cursor leaves off: the entries after the one named, or all of them for none.
template <typename Entry, typename Id>
std::size_t After(const std::vector<Entry>& entries, const std::string& cursor, Id id) {
    if (cursor.empty()) {
        return 0;
    }
    const auto it =
        std::find_if(entries.begin(), entries.end(), [&](const Entry& e) { return id(e) == cursor; });
    return it == entries.end() ? entries.size() : static_cast<std::size_t>(it - entries.begin()) + 1;
}

std::size_t Limit(const RecordedRequest& request, std::size_t cap) {
    const std::string text = QueryValue(request.query, "limit");
    const std::size_t asked = text.empty() ? cap : std::stoul(text);
    return std::max<std::size_t>(1, std::min(asked, cap));
}

std::string PicturePath(const FakeDuitangPicture& picture) {
    return "/uploads/item/" + picture.file;
}

}  // namespace

std::shared_ptr<HuabanSigningDay> ServeHuabanToday(TestWebServer& server, const TodayHuabanUser& user) {
    auto day = std::make_shared<HuabanSigningDay>();
    auto shared = std::make_shared<TodayHuabanUser>(user);
    for (const TodayHuabanBoard& board : user.boards) {
        const std::string page = "/boards/" + board.boardId + "/";
        server.Route(kFakeHuabanHost, page, [page](const RecordedRequest& request) {
            if (!request.tls) {
                return Response{.status = 301, .headers = {{"Location", "https://huaban.com" + page}}};
            }
            return Response{.body =
                                "<!DOCTYPE html><html><head><title>花瓣</title></head><body><div "
                                "id=\"__next\"></div><script id=\"__NEXT_DATA__\" "
                                "type=\"application/json\">{\"props\":{}}</script></body></html>",
                            .charset = "utf-8"};
        });
        server.Route(kFakeHuabanHost, "/v3/boards/" + board.boardId,
                     Json("{\"board\":" + BoardJson(board, user) + "}"));
        server.Route(kFakeHuabanHost, "/v3/boards/" + board.boardId + "/pins",
                     [board, day](const RecordedRequest& request) {
                         const std::size_t visible = board.visiblePins == 0
                                                         ? board.pins.size()
                                                         : std::min(board.visiblePins, board.pins.size());
                         const std::size_t from =
                             std::min(visible, After(board.pins, QueryValue(request.query, "max"),
                                                     [](const FakePin& pin) { return pin.pinId; }));
                         const std::size_t to = std::min(visible, from + Limit(request, 100));
                         std::string json = "{\"pins\":[";
                         for (std::size_t i = from; i < to; ++i) {
                             json += (i > from ? "," : "") + PinJson(board.pins[i], board, day->day);
                         }
                         if (day->turnAfterPinsPages > 0 && --day->turnAfterPinsPages == 0) {
                             ++day->day;
                         }
                         return Json(json + "]}");
                     });
        for (const FakePin& pin : board.pins) {
            const Response picture = Picture(pin.kind, pin.size, pin.bytes);
            server.Route(kFakeHuabanBucketHost, "/" + pin.key, picture);
            server.Route(kFakeHuabanEdgeHost, "/" + pin.key, [picture, day](const RecordedRequest& request) {
                const std::string key = QueryValue(request.query, "auth_key");
                if (key.substr(0, key.find('-')) != std::to_string(day->day)) {
                    return Response{.status = 567, .body = "expired"};
                }
                return picture;
            });
        }
    }
    server.Route(
        kFakeHuabanHost, "/v3/" + user.urlname + "/boards", [shared](const RecordedRequest& request) {
            const auto& boards = shared->boards;
            const std::size_t from = After(boards, QueryValue(request.query, "max"),
                                           [](const TodayHuabanBoard& board) { return board.boardId; });
            const std::size_t to = std::min(boards.size(), from + Limit(request, 30));
            std::string json = "{\"boards\":[";
            for (std::size_t i = from; i < to; ++i) {
                json += (i > from ? "," : "") + BoardJson(boards[i], *shared);
            }
            return Json(json + "],\"user\":{\"urlname\":" + Quoted(shared->urlname) +
                        ",\"username\":" + Quoted(shared->userName) + "}}");
        });
    return day;
}

void ServeDuitangToday(TestWebServer& server, const TodayDuitangUser& user) {
    auto shared = std::make_shared<TodayDuitangUser>(user);
    const Response page{.body = "<!DOCTYPE html><html><body><div id=\"root\"></div></body></html>",
                        .charset = "utf-8"};
    server.Route(kFakeDuitangHost, "/people/", page);
    server.Route(kFakeDuitangHost, "/album/", page);
    server.Route(kFakeDuitangHost, "/napi/album/list/by_user/", [shared](const RecordedRequest& request) {
        if (QueryValue(request.query, "user_id") != shared->userId) {
            return Json("{\"status\":4,\"message\":\"no user\"}");
        }
        const std::size_t start = std::stoul("0" + QueryValue(request.query, "start"));
        const auto& albums = shared->albums;
        const std::size_t to =
            std::min(albums.size(), start + std::min(Limit(request, 24), shared->albumsPerPage));
        std::string json = "{\"status\":1,\"data\":{\"object_list\":[";
        for (std::size_t i = start; i < to; ++i) {
            const auto& album = albums[i];
            json += std::string(i > start ? "," : "") + "{\"id\":" + album.albumId +
                    ",\"name\":" + Quoted(album.name) +
                    ",\"count\":" + std::to_string(album.pictures.size()) +
                    ",\"covers\":[],\"user\":{\"id\":" + shared->userId + "}}";
        }
        return Json(json + "],\"more\":" + (to < albums.size() ? "1" : "0") +
                    ",\"next_start\":" + std::to_string(to) + "}}");
    });
    server.Route(kFakeDuitangHost, "/napi/album/detail/", [shared](const RecordedRequest& request) {
        for (const auto& album : shared->albums) {
            if (album.albumId == QueryValue(request.query, "album_id")) {
                return Json("{\"status\":1,\"data\":{\"id\":" + album.albumId + ",\"name\":" +
                            Quoted(album.name) + ",\"count\":" + std::to_string(album.pictures.size()) +
                            ",\"user\":{\"id\":" + shared->userId + "}}}");
            }
        }
        return Json("{\"status\":4,\"message\":\"no album\"}");
    });
    server.Route(kFakeDuitangHost, "/napi/vienna/blog/by_album/", [shared](const RecordedRequest& request) {
        for (const auto& album : shared->albums) {
            if (album.albumId != QueryValue(request.query, "album_id")) {
                continue;
            }
            const auto& pictures = album.pictures;
            auto idOf = [&](const FakeDuitangPicture& picture) {
                return std::to_string(5000 + (&picture - pictures.data()));
            };
            const std::size_t from = After(pictures, QueryValue(request.query, "after_id"), idOf);
            const std::size_t to =
                std::min(pictures.size(), from + std::min(Limit(request, 100), shared->picturesPerPage));
            std::string json = "{\"status\":1,\"data\":{\"object_list\":[";
            for (std::size_t i = from; i < to; ++i) {
                const auto& picture = pictures[i];
                std::string path = PicturePath(picture);
                if (picture.listedAsThumb) {
                    const std::size_t dot = path.rfind('.');
                    path = path.substr(0, dot) + ".thumb.400_0_c" + path.substr(dot);
                }
                json += std::string(i > from ? "," : "") + "{\"id\":" + idOf(picture) +
                        ",\"photo\":{\"path\":\"https://" + kFakeDuitangPictureHost + path +
                        "\"},\"msg\":" + Quoted(picture.message) + "}";
            }
            const bool more = to < pictures.size();
            return Json(json + "],\"more\":" + (more ? "1" : "0") +
                        ",\"after\":" + Quoted(more && to > 0 ? idOf(pictures[to - 1]) : "") + "}}");
        }
        return Json("{\"status\":4,\"message\":\"no album\"}");
    });
    for (const auto& album : user.albums) {
        for (const auto& picture : album.pictures) {
            server.Route(kFakeDuitangPictureHost, PicturePath(picture),
                         Picture(picture.kind, picture.size, picture.bytes));
        }
    }
}

}  // namespace albumora::test
