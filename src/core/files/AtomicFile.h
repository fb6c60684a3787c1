#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace albumora {

// Replaces the file at `path` (UTF-8) by `bytes` through a temporary file in the same folder and a
// rename, so that a crash or a full disk leaves either the old content or the new one, never a
// mixture. Returns false, with the old file untouched and no temporary file left, on any failure.
bool WriteFileAtomically(const std::string& path, std::string_view bytes);

// Creates or truncates `path` and writes `bytes`; false when the file cannot be made or written.
bool WriteWholeFile(const std::string& path, std::string_view bytes);

// Up to `maxBytes` from the start of a regular file; nullopt when it cannot be opened. A read error
// ends the text where it happened.
std::optional<std::string> ReadFileHead(const std::string& path, std::size_t maxBytes);

}  // namespace albumora
