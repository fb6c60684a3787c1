#include "core/files/DescriptorIo.h"

#include <unistd.h>

#include <cerrno>

namespace albumora {

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return false;
        }
        if (n == 0) {
            // Nothing written and no error: retrying would spin for ever, and errno holds nothing of it.
            errno = EIO;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

ReadResult ReadFully(int fd, void* buffer, std::size_t size) {
    char* const bytes = static_cast<char*>(buffer);
    ReadResult result;
    while (result.count < size) {
        const ssize_t n = ::read(fd, bytes + result.count, size - result.count);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            result.failed = true;
            break;
        }
        if (n == 0) {
            break;
        }
        result.count += static_cast<std::size_t>(n);
    }
    return result;
}

}  // namespace albumora
