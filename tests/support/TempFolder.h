#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace albumora::test {

// A fresh folder under the system's temporary folder, removed with everything in it at the end.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return m_path; }  // ends in '/'
    std::string file(std::string_view name) const { return m_path + std::string(name); }
    std::string operator/(std::string_view name) const { return file(name); }

private:
    std::string m_path;
};

// The whole content of a file, or nothing-at-all marked by `exists` false.
struct FileContent {
    bool exists = false;
    std::string bytes;
};
FileContent ReadFile(const std::string& path);
void WriteFile(const std::string& path, std::string_view bytes);

// The names in a folder, sorted, without the journal that every album folder of a download holds
// (the tests of the journal read it by its name).
std::vector<std::string> ListFolder(const std::string& path);
bool IsAlbumJournal(const std::string& name);

}  // namespace albumora::test
