#pragma once

#include "core/text/WideText.h"

namespace albumora {

// The file in each album folder that remembers the first picture address of the album's last
// completed download: raw UTF-16LE units, no byte-order mark, no line end, no terminator.
inline constexpr const char* kAlbumMarkerFileName = "pic.kvx";

// Creates or truncates the marker in `albumFolder` (a '/' is added when missing) and writes `text`.
bool WriteAlbumMarker(WStringView albumFolder, WStringView text);

// The marker's first line without its line end; empty when the file is absent or unreadable.
WString ReadAlbumMarker(WStringView albumFolder);

}  // namespace albumora
