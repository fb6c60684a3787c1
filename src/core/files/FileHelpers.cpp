#include "core/files/FileHelpers.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <string>

#include "core/files/DescriptorIo.h"
#include "core/text/CaseFold.h"

namespace albumora {

namespace {

bool IsFolder(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool Exists(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

// POSIX rename replaces an existing target silently; a picture already under the corrected name
// must survive, so the target may not exist.
bool RenameWithoutReplacing(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        return true;
    }
    if (errno != EINVAL && errno != ENOSYS) {
        return false;
    }
    // File systems without RENAME_NOREPLACE: a hard link fails on an existing target.
    if (::link(from.c_str(), to.c_str()) == 0) {
        ::unlink(from.c_str());
        return true;
    }
    if (errno == EEXIST || Exists(to)) {
        return false;
    }
    return ::rename(from.c_str(), to.c_str()) == 0;
}

WStringView ExtensionForHeader(const std::array<unsigned char, 7>& b) {
    if (b[0] == 0xFF && b[1] == 0xD8) {
        return u".jpg";
    }
    if (b[0] == 0x89 && b[1] == 0x50) {
        return u".png";
    }
    if (b[0] == 0x47 && b[1] == 0x49 && b[2] == 0x46) {
        return u".gif";
    }
    if (b[0] == 0x42 && b[1] == 0x4D) {
        return u".bmp";
    }
    if ((b[0] == 0x49 && b[1] == 0x49) || (b[0] == 0x4D && b[1] == 0x4D)) {
        return u".tiff";
    }
    if (b[0] == 0 && b[1] == 0) {
        // TGA before ICO and CUR: all three begin with two zero bytes.
        if (b[3] == 0 && b[4] == 0 && (b[2] == 2 || b[2] == 16)) {
            return u".tga";
        }
        if (b[2] == 1 && b[3] == 0 && b[4] == 1) {
            return u".ico";
        }
        if (b[2] == 2 && b[3] == 0 && b[4] == 1) {
            return u".cur";
        }
    }
    return {};
}

void SetTimes(WStringView path, std::int64_t secondsSince1970) {
    if (secondsSince1970 <= 0) {
        return;
    }
    const struct timespec times[2] = {{static_cast<time_t>(secondsSince1970), 0},
                                      {static_cast<time_t>(secondsSince1970), 0}};
    ::utimensat(AT_FDCWD, ToUtf8(path).c_str(), times, 0);
}

}  // namespace

std::string WithTrailingSlash(std::string folder) {
    if (!folder.empty() && folder.back() != '/') {
        folder.push_back('/');
    }
    return folder;
}

WString WithTrailingSlash(WString folder) {
    if (!folder.empty() && folder.back() != u'/') {
        folder.push_back(u'/');
    }
    return folder;
}

bool CreateFolderTree(WString& path, WString* failedFolder, std::size_t noLinksFrom) {
    path = Trimmed(path);
    if (path.empty()) {
        if (failedFolder != nullptr) {
            failedFolder->clear();
        }
        return false;  // no folder was named; the root is not a stand-in for it
    }
    path = WithTrailingSlash(std::move(path));
    for (std::size_t scan = path.front() == u'/' ? 1 : 0;;) {
        const std::size_t slash = path.find(u'/', scan);
        if (slash == WString::npos) {
            return true;
        }
        scan = slash + 1;
        if (slash == 0 || path[slash - 1] == u'/') {
            continue;  // "a//b" names "a/b"
        }
        const std::string folder = ToUtf8(WStringView(path).substr(0, slash));
        struct stat info {};
        if (slash > noLinksFrom && ::lstat(folder.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
            if (failedFolder != nullptr) {
                *failedFolder = path.substr(0, slash);
            }
            return false;
        }
        if (IsFolder(folder)) {
            continue;
        }
        // Another thread may make the same folder at the same moment; that is success too.
        if (::mkdir(folder.c_str(), 0777) == 0 || IsFolder(folder)) {
            continue;
        }
        if (failedFolder != nullptr) {
            *failedFolder = path.substr(0, slash);
        }
        return false;
    }
}

bool FixPictureExtension(WString& path, WStringView defaultExtension) {
    const std::string oldPath = ToUtf8(path);
    const int fd = ::open(oldPath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    struct stat info {};
    if (fd < 0 || ::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        if (fd >= 0) {
            ::close(fd);
        }
        return false;
    }
    // A short or unreadable file leaves zeros where its header would be, which match no type.
    std::array<unsigned char, 7> header{};
    ReadFully(fd, header.data(), header.size());
    ::close(fd);

    // Only a dot of the file name itself starts the extension, never one in a folder name.
    const std::size_t nameStart = path.rfind(u'/') == WString::npos ? 0 : path.rfind(u'/') + 1;
    std::size_t dot = path.rfind(u'.');
    if (dot == WString::npos || dot < nameStart) {
        dot = path.size();
    }
    WStringView extension = WStringView(path).substr(dot);
    if (!defaultExtension.empty()) {
        extension = defaultExtension;
    }
    if (const WStringView detected = ExtensionForHeader(header); !detected.empty()) {
        extension = detected;
    }
    WString newPath = path.substr(0, dot);
    newPath += extension;
    if (newPath == path) {
        return true;
    }
    if (!RenameWithoutReplacing(oldPath, ToUtf8(newPath))) {
        return false;
    }
    path = std::move(newPath);
    return true;
}

bool HasPictureExtension(WStringView name) {
    const std::size_t dot = name.rfind(u'.');
    if (dot == WStringView::npos) {
        return false;
    }
    const WString extension = ToLowerText(name.substr(dot));
    static constexpr WStringView kExtensions[] = {u".jpeg", u".jpg", u".bmp", u".gif", u".png", u".tif"};
    return std::find(std::begin(kExtensions), std::end(kExtensions), extension) != std::end(kExtensions);
}

void SetFileTimes(WStringView path, std::int64_t secondsSince1970) {
    SetTimes(path, secondsSince1970);
}

void SetFolderTimes(WStringView path, std::int64_t secondsSince1970) {
    SetTimes(path, secondsSince1970);
}

}  // namespace albumora
