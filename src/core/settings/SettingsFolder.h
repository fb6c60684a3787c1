#pragma once

#include <string>

namespace albumora {

// The folder that holds soft.dat, cookies.txt and the thumbnail cache, always ending in '/'.
// An explicit folder (from --settings-dir) wins; otherwise the working directory, unless that lies
// under the system's temporary folder (a program started from an archive viewer) or is the home
// folder itself or the root (a program started from a desktop launcher), in which case
// ~/Documents/Fotavo/. The folder is created when missing. Returns an empty text when no folder
// can be made.
std::string ResolveSettingsFolder(const std::string& explicitFolder);

// A folder as it is used and remembered: made absolute against the working directory when it is
// relative, "." and ".." resolved, ending in '/'. A relative folder remembered as typed would name
// another folder for a run started elsewhere. Empty for an empty or unusable path.
std::string AbsoluteFolder(const std::string& folder);

}  // namespace albumora
