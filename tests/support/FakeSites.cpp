#include "support/FakeSites.h"

#include <algorithm>
#include <map>
#include <memory>

namespace albumora::test {

namespace {

constexpr std::size_t kDuitangPageSize = 24;

// The board page shows its data the way the site's templates printed it: a space after each comma.
std::string PinJson(const FakePin& pin, const char* separator) {
    return std::string("{\"pin_id\":") + pin.pinId + separator + "\"user_id\":5" + separator +
           "\"file\":{\"bucket\":\"hbimg\"" + separator + "\"key\":\"" + pin.key + "\"" + separator +
           "\"type\":\"image/jpeg\"}" + separator + "\"raw_text\":\"" + pin.description + "\"" + separator +
           "\"like_count\":0}";
}

std::string PinsJson(const std::vector<FakePin>& pins, size_t from, size_t count, const char* separator) {
    std::string json = "[";
    for (size_t i = from; i < std::min(pins.size(), from + count); ++i) {
        if (i > from) {
            json += separator;
        }
        json += PinJson(pins[i], separator);
    }
    return json + "]";
}

std::string BoardPage(const FakeHuabanBoard& board) {
    const int count = board.statedPinCount >= 0 ? board.statedPinCount : static_cast<int>(board.pins.size());
    return "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>" + board.title +
           "_花瓣</title></head><body>\n<script>\napp.settings = {\"imgHosts\": {\"hbimg\":\"" +
           kFakeHuabanPictureHost + "\", \"hbfile\":\"hbfile.b0.upaiyun.com\"}};\n" +
           "app.page[\"$url\"] = \"/boards/" + board.boardId +
           "/\";\napp.page[\"board\"] = {\"board_id\":" + board.boardId + ", \"user_id\":5, \"title\":\"" +
           board.title + "\", \"description\":\"画板 &lt;说明&gt;\", \"category_id\":null, \"pin_count\":" +
           std::to_string(count) + ", \"follow_count\":3, \"user\":{\"user_id\":5, \"username\":\"" +
           board.owner +
           "\", \"urlname\":\"x\"}, \"pins\":" + PinsJson(board.pins, 0, board.pinsPerBoardPage, ", ") +
           "};\n</script></body></html>";
}

std::string DuitangHeader(const std::string& userId) {
    return "<div class=\"dt-header\"><a href=\"/people/?user_id=1\">堆糖</a></div>"
           "<div class=\"dt-header-btm\"><a class=\"avatar\" href=\"/people/?user_id=" +
           userId + "\" title=\"主页\"></a></div>";
}

std::string DuitangPictureUrl(const FakeDuitangPicture& picture, bool asListed) {
    std::string file = picture.file;
    if (asListed && picture.listedAsThumb) {
        const size_t dot = file.rfind('.');
        file = file.substr(0, dot) + ".thumb.224_0" + file.substr(dot);
    }
    return std::string("http://") + kFakeDuitangPictureHost + "/uploads/item/" + file;
}

}  // namespace

std::string QueryValue(const std::string& query, const std::string& key) {
    const std::string needle = key + "=";
    size_t start = 0;
    while (start <= query.size()) {
        const size_t end = std::min(query.find('&', start), query.size());
        if (query.compare(start, needle.size(), needle) == 0) {
            return query.substr(start + needle.size(), end - start - needle.size());
        }
        start = end + 1;
    }
    return {};
}

Response Picture(PictureKind kind, std::size_t size, const std::string& bytes) {
    const char* type = kind == PictureKind::Png   ? "image/png"
                       : kind == PictureKind::Gif ? "image/gif"
                                                  : "image/jpeg";
    return Response{.body = bytes.empty() ? PictureBytes(kind, size) : bytes, .contentType = type};
}

std::string PictureBytes(PictureKind kind, std::size_t size) {
    std::string bytes;
    switch (kind) {
        case PictureKind::Jpeg:
            bytes = std::string("\xFF\xD8\xFF\xE0\x00\x10JFIF\x00", 11);
            break;
        case PictureKind::Png:
            bytes = std::string("\x89PNG\r\n\x1A\n\x00\x00\x00\x0DIHDR", 16);
            break;
        case PictureKind::Gif:
            bytes = "GIF89a";
            break;
    }
    while (bytes.size() < size) {
        bytes.push_back(static_cast<char>('a' + bytes.size() % 26));
    }
    return bytes;
}

std::vector<FakePin> MakePins(int firstId, int count) {
    std::vector<FakePin> pins;
    for (int i = 0; i < count; ++i) {
        const std::string id = std::to_string(firstId - i);
        pins.push_back({id, "key" + id, "图" + id});
    }
    return pins;
}

void ServeHuabanBoard(TestWebServer& server, const FakeHuabanBoard& board) {
    const std::string path = "/boards/" + board.boardId + "/";
    auto shared = std::make_shared<FakeHuabanBoard>(board);
    server.Route(kFakeHuabanHost, path, [shared](const RecordedRequest& request) {
        if (request.query.empty()) {
            return Response{.body = BoardPage(*shared), .charset = "utf-8"};
        }
        const std::string max = QueryValue(request.query, "max");
        const auto& pins = shared->pins;
        size_t from = 0;
        if (!max.empty()) {
            const auto it =
                std::find_if(pins.begin(), pins.end(), [&](const FakePin& p) { return p.pinId == max; });
            from = it == pins.end() ? pins.size() : static_cast<size_t>(it - pins.begin()) + 1;
        }
        const size_t limit = std::max<size_t>(1, std::stoul("0" + QueryValue(request.query, "limit")));
        return Response{.body = "{\"board\":{\"board_id\":" + shared->boardId +
                                ",\"pins\":" + PinsJson(pins, from, limit, ",") + "}}",
                        .contentType = "application/json"};
    });
    for (const FakePin& pin : board.pins) {
        server.Route(kFakeHuabanPictureHost, "/" + pin.key, Picture(pin.kind, pin.size, pin.bytes));
    }
}

std::vector<FakeDuitangPicture> MakeDuitangPictures(const std::string& albumId, int count) {
    std::vector<FakeDuitangPicture> pictures;
    for (int i = 1; i <= count; ++i) {
        pictures.push_back({"p" + albumId + "_" + std::to_string(i) + ".jpg", "说明" + std::to_string(i)});
    }
    return pictures;
}

void ServeDuitangUser(TestWebServer& server, const FakeDuitangUser& user) {
    auto shared = std::make_shared<FakeDuitangUser>(user);
    server.Route(
        kFakeDuitangHost, "/people/",
        Response{.body = "<html><body>" + DuitangHeader(user.userId) + "<h1>用户主页</h1></body></html>",
                 .charset = "utf-8"});
    auto albumPage = [shared](const FakeDuitangAlbum& album) {
        return Response{.body = "<html><body>" + DuitangHeader(shared->userId) +
                                "<h1 class=\"album-title\">" + album.name + "</h1><span class=\"count\">" +
                                std::to_string(album.pictures.size()) + "个</span></body></html>",
                        .charset = "utf-8"};
    };
    server.Route(kFakeDuitangHost, "/album/", [shared, albumPage](const RecordedRequest& request) {
        const std::string id = QueryValue(request.query, "id");
        for (const auto& album : shared->albums) {
            if (album.albumId == id) {
                return albumPage(album);
            }
        }
        return Response{.status = 404, .body = "no album"};
    });
    for (const auto& album : user.albums) {
        server.Route(kFakeDuitangHost, "/album/" + album.albumId + "/", albumPage(album));
    }

    const size_t listPages = user.albums.size() / kDuitangPageSize + 1;
    for (size_t page = 1; page <= listPages + 1; ++page) {
        server.Route(
            kFakeDuitangHost, "/album/list/" + std::to_string(page) + "/24/",
            [shared, page](const RecordedRequest&) {
                std::string json =
                    "{\"status\":1,\"data\":{\"total\":" + std::to_string(shared->albums.size()) +
                    ",\"object_list\":[";
                const size_t from = (page - 1) * kDuitangPageSize;
                for (size_t i = from; i < std::min(shared->albums.size(), from + kDuitangPageSize); ++i) {
                    const auto& album = shared->albums[i];
                    const std::string cover =
                        album.pictures.empty() ? "" : DuitangPictureUrl(album.pictures[0], true);
                    json += std::string(i > from ? "," : "") + "{\"like_count\":" + std::to_string(i) +
                            ",\"count\":" + std::to_string(album.pictures.size()) + ",\"pics\":[\"" + cover +
                            "\"],\"id\":" + album.albumId + ",\"name\":\"" + album.name + "\",\"desc\":\"\"}";
                }
                return Response{.body = json + "],\"more\":1}}", .contentType = "application/json"};
            });
    }

    for (const auto& album : user.albums) {
        const size_t pages =
            std::max<size_t>(1, (album.pictures.size() + kDuitangPageSize - 1) / kDuitangPageSize);
        for (size_t page = 1; page <= pages + 1; ++page) {
            std::string json = "{\"status\":1,\"data\":{\"object_list\":[";
            const size_t from = (page - 1) * kDuitangPageSize;
            for (size_t i = from; i < std::min(album.pictures.size(), from + kDuitangPageSize); ++i) {
                const auto& picture = album.pictures[i];
                json += std::string(i > from ? "," : "") + "{\"photo_id\":" + std::to_string(1000 + i) +
                        ",\"photo\":{\"width\":600,\"isrc\":\"" + DuitangPictureUrl(picture, true) +
                        "\"},\"msg\":\"" + picture.message + "\",\"like_count\":0}";
            }
            json += std::string("],\"has_next\":") + (page < pages ? "true" : "false") +
                    ",\"next_start\":24,\"extra\":{\"photo_id\":0}}}";
            server.Route(kFakeDuitangHost,
                         "/album/" + album.albumId + "/masn/p/" + std::to_string(page) + "/24/",
                         Response{.body = json, .contentType = "application/json"});
        }
        for (const auto& picture : album.pictures) {
            server.Route(kFakeDuitangPictureHost, "/uploads/item/" + picture.file,
                         Picture(picture.kind, picture.size, picture.bytes));
        }
        if (!album.pictures.empty()) {
            // The cover of the album list is the first picture's thumbnail.
            const FakeDuitangPicture& first = album.pictures[0];
            const std::string thumb = DuitangPictureUrl(first, true);
            server.Route(kFakeDuitangPictureHost, thumb.substr(thumb.find("/uploads/")),
                         first.bytes.empty() ? Picture(PictureKind::Jpeg, 1024, {})
                                             : Picture(first.kind, first.size, first.bytes));
        }
    }
}

}  // namespace albumora::test
