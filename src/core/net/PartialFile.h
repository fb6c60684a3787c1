#pragma once

#include <cstddef>
#include <string>

namespace albumora {

// A download's file while it arrives: the bytes go to a temporary file in the target's folder,
// which replaces the target in one rename only when the download is complete. A picture is thus
// never left half-written, and a failed download leaves any earlier file in place.
class PartialFile {
public:
    explicit PartialFile(std::string targetPath);
    ~PartialFile();
    PartialFile(const PartialFile&) = delete;
    PartialFile& operator=(const PartialFile&) = delete;

    bool Open();
    bool isOpen() const { return m_fd >= 0; }
    bool Write(const char* data, std::size_t length);
    // Closes the temporary file and renames it over the target.
    bool Commit();
    // Removes the temporary file; the target stays as it was.
    void Discard();

private:
    std::string m_target;
    std::string m_temporary;
    int m_fd = -1;
};

}  // namespace albumora
