#pragma once

#include <cstddef>
#include <functional>
#include <unordered_map>

#include "core/settings/PersistentSettings.h"
#include "core/text/WideText.h"
#include "core/workflow/AlbumList.h"

namespace albumora {

// What the escapes of picture and album-folder names draw on, besides the album itself.
struct NamingContext {
    const SiteNamingRecord& naming;
    const ST_PERLISTRECORD& album;
    int siteCode = 0;
    int selectedCount = 0;        // ?6
    std::size_t recordCount = 0;  // ?7, and ?4 of folders
    WStringView ownerName;        // ?8
};

// A picture name after prefix, base name, suffix, escapes, replacements and cleaning, before the
// path budget, the extension and the duplicate search.
struct PictureNameDraft {
    WString name;
    WString duplicateBase;
    bool numbered = false;  // a sequence-numbered name is unique by itself
};

// The escapes ?1..?9 of picture names; `jobLength` is the number of pictures before this one.
WString ReplacePictureEscapes(WString text, const NamingContext& context, std::size_t jobLength);
// The escapes of album-folder names: ?1, ?3, ?4, ?5 (QQ sites only) and ?9.
WString ReplaceFolderEscapes(WString text, const NamingContext& context);

PictureNameDraft DraftPictureName(const NamingContext& context, WStringView pictureUrl,
                                  WStringView originalName, std::size_t jobLength);

// Where the duplicate search of each base name and extension goes on. Names are only ever added to
// an album, so a counter found taken stays taken: the search of the next picture of that base
// starts where the last one ended instead of at "(1)". Without it, an album whose pictures share
// one base (those without a description all do) costs time quadratic in its size.
class DuplicateCounters {
public:
    // The first counter worth trying for `base` and `extension` (letter case aside); the caller
    // raises it past the counter it takes.
    unsigned& Next(WStringView base, WStringView extension);
    void Clear() { m_next.clear(); }

private:
    std::unordered_map<WString, unsigned> m_next;
};

// The final name: cut to the path budget left by the album folder, split off a picture extension
// (".jpg" when there is none), made unique unless numbered. `isTaken` tells whether a name is used
// by an earlier picture of the album, without regard to letter case. With `counters` (kept for the
// album, and the name the call returns always taken afterwards) the result is the same, found in
// near-constant time.
WString FinishPictureName(PictureNameDraft draft, std::size_t albumFolderLength,
                          const std::function<bool(const WString&)>& isTaken, std::size_t jobLength,
                          DuplicateCounters* counters = nullptr);

// The album folder's own name, cleaned; empty when nothing is left.
WString AlbumFolderName(const NamingContext& context);

// True when a picture name is a whole path rather than a name inside the album folder.
bool IsAbsolutePictureName(WStringView name);

}  // namespace albumora
