#pragma once

#include <string>

namespace albumora {

// A fresh name for a temporary file in the folder of `target` (UTF-8): ".albumora-HOST-PID-N" and
// `suffix`, HOST being this machine's name cleaned for a file name. Short whatever the target's
// name, so it always fits the file system's 255-byte limit, and hidden from ordinary folder listings.
std::string TemporaryNameBeside(const std::string& target, const std::string& suffix);

// Removes the temporary files left in `folder` (a kill or a power cut mid-download): those of this
// machine whose process no longer runs, the older ".albumora-PID-N" names counted as this
// machine's, and those of any machine untouched for a day. A folder shared over the network (NFS)
// thus keeps the live temporaries of the other machines. Returns how many were removed.
int RemoveStaleTemporaries(const std::string& folder);

}  // namespace albumora
