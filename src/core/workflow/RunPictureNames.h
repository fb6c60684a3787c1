#pragma once

#include <cstddef>
#include <functional>
#include <unordered_map>
#include <unordered_set>

#include "core/text/WideText.h"
#include "core/workflow/PictureNaming.h"

namespace albumora {

// The names a download run gives its pictures: unique within each album by the naming rules, and
// clear of the names that earlier albums of the run saved into the same folder (albums share a
// folder when its name leaves the album's name out, as folder mode "无" does).
class RunPictureNames {
public:
    void StartRun();
    // The album's pictures go to `folder` from now on; the names of the album before join those of
    // its folder.
    void StartAlbum(const WString& folder);
    // The final name of a drafted picture: the album's duplicate search, then, for the names that
    // search leaves alone (numbered ones, an album's first), "(1)", "(2)"... before the extension
    // against the names of earlier albums and the names `takenOnDisk` says belong to another
    // picture already in the folder.
    WString Finish(PictureNameDraft draft, std::size_t folderLength, std::size_t jobLength,
                   const std::function<bool(const WString&)>& takenOnDisk);
    // The album took the name.
    void Take(const WString& name);

private:
    bool IsTaken(const WString& name) const;

    std::unordered_set<WString> m_album;  // lower-cased
    WString m_folder;
    std::unordered_map<WString, std::unordered_set<WString>> m_earlier;  // per folder, lower-cased
    const std::unordered_set<WString>* m_earlierHere = nullptr;
    DuplicateCounters m_counters;
    DuplicateCounters m_earlierCounters;
};

}  // namespace albumora
