#include "core/files/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "core/files/DescriptorIo.h"
#include "core/files/TemporaryFiles.h"

namespace albumora {

namespace {

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

}  // namespace

bool WriteFileAtomically(const std::string& path, std::string_view bytes, unsigned mode) {
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        // Beside the file, under a short name: "name.tmp..." would pass the 255-byte limit for a
        // long name and the file would silently not be written.
        temporary = TemporaryNameBeside(path, ".tmp");
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, static_cast<mode_t>(mode));
        if (fd < 0 && errno != EEXIST) {
            return false;
        }
    }
    if (fd < 0) {
        return false;
    }
    const bool written = WriteAll(fd, bytes) && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed || ::rename(temporary.c_str(), path.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    // Make the rename itself durable; a failure here no longer endangers either version.
    const int folder = ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return true;
}

std::string FollowLinks(const std::string& path) {
    std::string current = path;
    for (int links = 0; links < 40; ++links) {
        char target[4096];
        const ssize_t length = ::readlink(current.c_str(), target, sizeof target);
        if (length < 0 || static_cast<std::size_t>(length) >= sizeof target) {
            return current;
        }
        const std::string_view followed(target, static_cast<std::size_t>(length));
        current =
            followed.starts_with('/') ? std::string(followed) : FolderOf(current) + std::string(followed);
    }
    return current;
}

int OpenForAppending(const std::string& path, bool create) {
    const int flags = O_WRONLY | O_APPEND | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | (create ? O_CREAT : 0);
    const int fd = ::open(path.c_str(), flags, 0666);
    struct stat info {};
    if (fd >= 0 && (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))) {
        ::close(fd);
        errno = EINVAL;
        return -1;
    }
    return fd;
}

std::optional<std::string> ReadFileHead(const std::string& path, std::size_t maxBytes) {
    // Without O_NONBLOCK, opening a FIFO would wait for a writer for ever.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return std::nullopt;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return std::nullopt;
    }
    std::string bytes;
    bytes.resize(std::min<std::size_t>(maxBytes, static_cast<std::size_t>(info.st_size)));
    // A read error keeps what came before it, as a short file would.
    const std::size_t got = ReadFully(fd, bytes.data(), bytes.size()).count;
    ::close(fd);
    bytes.resize(got);
    return bytes;
}

}  // namespace albumora
