#pragma once

#include <string>

namespace albumora {

// A fresh name for a temporary file in the folder of `target` (UTF-8): ".albumora-PID-N" and
// `suffix`. Short whatever the target's name, so it always fits the file system's 255-byte limit,
// and hidden from ordinary folder listings.
std::string TemporaryNameBeside(const std::string& target, const std::string& suffix);

// Removes the temporary files that processes of this program which no longer run left in `folder`
// (a kill or a power cut mid-download). Those of running processes are left alone. Returns how
// many were removed.
int RemoveStaleTemporaries(const std::string& folder);

}  // namespace albumora
