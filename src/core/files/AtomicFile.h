#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace albumora {

// Replaces the file at `path` (UTF-8) by `bytes` through a temporary file in the same folder and a
// rename, so that a crash or a full disk leaves either the old content or the new one, never a
// mixture. Returns false, with the old file untouched and no temporary file left, on any failure.
// A link of that name is replaced, never followed: a link planted in a folder cannot make the
// program write elsewhere. Files that are the user's own and may be links (the settings) go through
// FollowLinks first.
bool WriteFileAtomically(const std::string& path, std::string_view bytes, unsigned mode = 0666);

// The file that `path` names once every symbolic link in its last component is followed (relative
// link targets count from the link's folder); `path` itself when it is no link. Gives up after 40
// links, as the system does.
std::string FollowLinks(const std::string& path);

// A descriptor for appending to the regular file `path` (created when `create`), or -1: a link
// or a FIFO of that name is never written through nor waited on. errno tells why, as open sets it.
int OpenForAppending(const std::string& path, bool create);

// Up to `maxBytes` from the start of a regular file; nullopt when it cannot be opened or is no
// regular file (a FIFO or a device is never waited on). A read error ends the text where it
// happened.
std::optional<std::string> ReadFileHead(const std::string& path, std::size_t maxBytes);

}  // namespace albumora
