#pragma once

#include <cstdint>
#include <string>

#include "core/text/WideText.h"

namespace albumora {

// The folder with a '/' at its end when it lacks one. An empty path stays empty: it stands for the
// working folder, never for the root.
std::string WithTrailingSlash(std::string folder);
WString WithTrailingSlash(WString folder);

// Creates every missing folder of `path`. The path is trimmed and given a trailing '/' in place; a
// leading '/' is the root and is kept, any other path is relative to the working directory. Returns
// true when every folder of the path exists as a folder. On failure `failedFolder` (when given)
// receives the first folder that could not be made, for the front end to show.
//
// The folders that end past `noLinksFrom` code units may not be symbolic links: below the save
// folder the program writes only where it made or found real folders, never into a link's target.
bool CreateFolderTree(WString& path, WString* failedFolder = nullptr,
                      std::size_t noLinksFrom = WString::npos);

// Gives an existing file the extension that its first bytes call for (JPEG, PNG, GIF, BMP, TIFF,
// TGA, ICO, CUR), or `defaultExtension` (".mp4") when the content matches none and one is given.
// `path` is updated to the new name when, and only when, the rename succeeded; an existing file of
// the new name is never replaced. Returns whether the file now has the new name.
bool FixPictureExtension(WString& path, WStringView defaultExtension = {});

// True for the extensions that name downloads keep: .jpeg .jpg .bmp .gif .png .tif, in any case.
bool HasPictureExtension(WStringView name);

// Sets the access and modification times of an existing file or folder to the given instant.
// A time of 0 or less, or a path that does not exist, changes nothing.
void SetFileTimes(WStringView path, std::int64_t secondsSince1970);
void SetFolderTimes(WStringView path, std::int64_t secondsSince1970);

}  // namespace albumora
