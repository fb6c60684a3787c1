#include "core/sites/DuitangApi.h"

#include "core/sites/JsonFields.h"
#include "core/sites/SiteHosts.h"

namespace albumora {

namespace {

constexpr WStringView kThumbMarker = u".thumb.";

// The digits of query parameter `name` ("name=123"), found after a '?' or '&'; empty otherwise.
WString QueryNumber(WStringView address, WStringView name) {
    const size_t query = address.find(u'?');
    for (size_t at = query; at != WStringView::npos && at < address.size(); at = address.find(u'&', at + 1)) {
        const WStringView parameter = address.substr(at + 1);
        if (parameter.starts_with(name) && parameter.substr(name.size()).starts_with(u'=')) {
            const WStringView value = parameter.substr(name.size() + 1);
            return WString(value.substr(0, value.find_first_not_of(u"0123456789")));
        }
    }
    return {};
}

WString HostAddress() {
    return u"https://" + WString(kDuitangHost);
}

// The "data" of an answer whose status says it succeeded; null otherwise.
const json::Value& DataOf(const json::Value& answer) {
    static const json::Value null;
    if (json::Number(json::Member(answer, "status")) != 1) {
        return null;
    }
    return json::Member(answer, "data");
}

DuitangApiAlbum AlbumOf(const json::Value& album) {
    DuitangApiAlbum result;
    result.albumId = json::Text(json::Member(album, "id"));
    result.name = json::Text(json::Member(album, "name"));
    result.count =
        static_cast<std::uint32_t>(std::max<std::int64_t>(0, json::Number(json::Member(album, "count"))));
    const json::Value& covers = json::Member(album, "covers");
    if (covers.is_array() && !covers.empty()) {
        result.coverUrl = json::Text(covers.front());
    }
    result.ownerId = json::Text(json::Member(json::Member(album, "user"), "id"));
    return result;
}

}  // namespace

WString DuitangUserIdOf(WStringView address) {
    WString id = QueryNumber(address, u"user_id");
    if (id.empty() && address.find(u"/people/") != WStringView::npos) {
        id = QueryNumber(address, u"id");
    }
    return id;
}

WString DuitangApiAlbumListAddress(WStringView userId, std::int64_t start) {
    return HostAddress() + u"/napi/album/list/by_user/?user_id=" + WString(userId) + u"&start=" +
           IntToText(start) + u"&limit=" + IntToText(kDuitangApiAlbumsPerPage);
}

WString DuitangApiAlbumDetailAddress(WStringView albumId) {
    return HostAddress() + u"/napi/album/detail/?album_id=" + WString(albumId);
}

WString DuitangApiPicturesAddress(WStringView albumId, WStringView after) {
    return HostAddress() + u"/napi/vienna/blog/by_album/?album_id=" + WString(albumId) + u"&limit=" +
           IntToText(kDuitangApiPicturesPerPage) + u"&after_id=" + WString(after);
}

std::optional<DuitangApiAlbumPage> ParseDuitangApiAlbumList(std::string_view body) {
    const json::Value answer = json::Parse(body);
    const json::Value& data = DataOf(answer);
    const json::Value& list = json::Member(data, "object_list");
    if (!list.is_array()) {
        return std::nullopt;
    }
    DuitangApiAlbumPage page;
    for (const json::Value& album : list) {
        page.albums.push_back(AlbumOf(album));
    }
    page.more = json::Flag(json::Member(data, "more"));
    const json::Value& next = json::Member(data, "next_start");
    if (!next.is_null()) {
        page.nextStart = json::Number(next);
    }
    return page;
}

std::optional<DuitangApiAlbum> ParseDuitangApiAlbumDetail(std::string_view body) {
    const json::Value answer = json::Parse(body);
    const json::Value& data = DataOf(answer);
    if (!data.is_object()) {
        return std::nullopt;
    }
    return AlbumOf(data);
}

std::optional<DuitangApiPicturePage> ParseDuitangApiPictures(std::string_view body) {
    const json::Value answer = json::Parse(body);
    const json::Value& data = DataOf(answer);
    const json::Value& list = json::Member(data, "object_list");
    if (!list.is_array()) {
        return std::nullopt;
    }
    DuitangApiPicturePage page;
    for (const json::Value& item : list) {
        page.pictures.push_back(
            {json::Text(json::Member(item, "id")),
             WithoutThumbnailPart(json::Text(json::Member(json::Member(item, "photo"), "path"))),
             json::Text(json::Member(item, "msg"))});
    }
    page.more = json::Flag(json::Member(data, "more"));
    page.after = json::Text(json::Member(data, "after"));
    return page;
}

WString WithoutThumbnailPart(WStringView url) {
    WString result(url);
    const size_t at = result.rfind(kThumbMarker);
    if (at == WString::npos) {
        return result;
    }
    // ".thumb.224_0.jpeg", ".thumb.400_400_c.webp": the size part holds digits, '_' and letters.
    const size_t sizeStart = at + kThumbMarker.size();
    const size_t sizeEnd = result.find(u'.', sizeStart);
    if (sizeEnd == WString::npos || sizeEnd == sizeStart || result.find(u'/', sizeStart) < sizeEnd) {
        return result;
    }
    result.erase(at, sizeEnd - at);
    return result;
}

}  // namespace albumora
