#include "core/settings/AlbumMarker.h"

#include <algorithm>
#include <string>

#include "core/files/AtomicFile.h"
#include "core/files/FileHelpers.h"
#include "core/text/Utf16Bytes.h"

namespace albumora {

namespace {

// One address; a marker beyond this is not one of ours and only its start is looked at.
constexpr std::size_t kMaxMarkerBytes = 64 * 1024;

std::string MarkerPath(WStringView albumFolder) {
    return WithTrailingSlash(ToUtf8(albumFolder)) + kAlbumMarkerFileName;
}

}  // namespace

bool WriteAlbumMarker(WStringView albumFolder, WStringView text) {
    // Through a new file and a rename: a link planted under the marker's name is replaced, and
    // what it points to is left alone.
    return WriteFileAtomically(MarkerPath(albumFolder), EncodeUtf16Le(text));
}

WString ReadAlbumMarker(WStringView albumFolder) {
    const std::optional<std::string> bytes = ReadFileHead(MarkerPath(albumFolder), kMaxMarkerBytes);
    if (!bytes) {
        return {};
    }
    WString line = DecodeUtf16(*bytes);
    line.resize(std::min(line.size(), line.find(u'\n')));
    if (!line.empty() && line.back() == u'\r') {
        line.pop_back();
    }
    return line;
}

}  // namespace albumora
