#include "core/settings/SettingsFolder.h"

#include "core/files/FileHelpers.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace albumora {

namespace fs = std::filesystem;

std::string AbsoluteFolder(const std::string& folder) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(folder, error);
    if (folder.empty() || error) {
        return {};
    }
    return WithTrailingSlash(absolute.lexically_normal().string());
}

namespace {

bool IsUnder(const fs::path& child, const fs::path& parent) {
    std::error_code ec;
    const fs::path c = fs::weakly_canonical(child, ec);
    const fs::path p = fs::weakly_canonical(parent, ec);
    auto ci = c.begin();
    for (auto pi = p.begin(); pi != p.end(); ++pi, ++ci) {
        if (pi->empty()) {
            continue;  // the trailing empty element of "/tmp/"
        }
        if (ci == c.end() || *ci != *pi) {
            return false;
        }
    }
    return true;
}

bool SameFolder(const fs::path& a, const fs::path& b) {
    std::error_code ec;
    return fs::equivalent(a, b, ec);
}

fs::path TemporaryFolder() {
    std::error_code ec;
    fs::path temp = fs::temp_directory_path(ec);
    return ec ? fs::path("/tmp") : temp;
}

}  // namespace

std::string ResolveSettingsFolder(const std::string& explicitFolder) {
    std::error_code ec;
    fs::path folder;
    if (!explicitFolder.empty()) {
        folder = fs::absolute(explicitFolder, ec);
    } else {
        const char* homeVariable = std::getenv("HOME");
        const fs::path home = homeVariable && *homeVariable ? homeVariable : "/";
        folder = fs::current_path(ec);
        // A desktop launcher starts programs in the home folder or the root: the settings files
        // would clutter the one and cannot be written to the other.
        if (ec || IsUnder(folder, TemporaryFolder()) || SameFolder(folder, home) || SameFolder(folder, "/")) {
            folder = home / "Documents" / "Fotavo";
        }
    }
    fs::create_directories(folder, ec);
    if (!fs::is_directory(folder, ec)) {
        return {};
    }
    return WithTrailingSlash(folder.string());
}

}  // namespace albumora
