#include "core/net/PartialFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <string_view>

#include "core/files/DescriptorIo.h"
#include "core/files/TemporaryFiles.h"

namespace albumora {

PartialFile::PartialFile(std::string targetPath) : m_target(std::move(targetPath)) {}

PartialFile::~PartialFile() {
    Discard();
}

bool PartialFile::Open() {
    Discard();
    if (m_target.empty()) {
        return false;
    }
    m_temporary = TemporaryNameBeside(m_target, ".part");
    // Mode 0666 lets the umask decide, as for any file the user's programs create.
    m_fd = ::open(m_temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (m_fd < 0) {
        m_temporary.clear();
        return false;
    }
    return true;
}

bool PartialFile::Write(const char* data, std::size_t length) {
    if (length == 0) {
        return true;
    }
    return m_fd >= 0 && WriteAll(m_fd, std::string_view(data, length));
}

bool PartialFile::Commit() {
    if (m_fd < 0) {
        return false;
    }
    const bool closed = ::close(m_fd) == 0;
    m_fd = -1;
    if (!closed || std::rename(m_temporary.c_str(), m_target.c_str()) != 0) {
        Discard();
        return false;
    }
    m_temporary.clear();
    return true;
}

void PartialFile::Discard() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_temporary.empty()) {
        ::unlink(m_temporary.c_str());
        m_temporary.clear();
    }
}

}  // namespace albumora
