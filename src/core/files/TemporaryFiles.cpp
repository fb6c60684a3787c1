#include "core/files/TemporaryFiles.h"

#include "core/files/FileHelpers.h"

#include <dirent.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <charconv>
#include <ctime>
#include <limits>
#include <optional>
#include <string_view>

namespace albumora {

namespace {

constexpr std::string_view kPrefix = ".albumora-";
constexpr std::string_view kSuffixes[] = {".part", ".tmp"};
// Keeps every temporary name far below the file system's 255-byte limit.
constexpr size_t kHostNameBytes = 64;
// Whether another machine's process still runs cannot be asked from here. A live download's file
// changes within every read time-out, so one untouched for a day was left by a run that ended.
constexpr std::time_t kAbandonedAfterSeconds = 24 * 60 * 60;

std::atomic<unsigned> g_counter{0};

// A process id means something only on its own machine, and a folder shared over the network
// holds the temporaries of several; the machine's name goes into the file name to tell them apart.
std::string CleanHostName() {
    char name[256] = {};
    std::string clean;
    if (::gethostname(name, sizeof name - 1) == 0) {
        for (const char* c = name; *c != '\0' && clean.size() < kHostNameBytes; ++c) {
            const bool kept = (*c >= 'a' && *c <= 'z') || (*c >= 'A' && *c <= 'Z') ||
                              (*c >= '0' && *c <= '9') || *c == '.' || *c == '-' || *c == '_';
            clean += kept ? *c : '_';
        }
    }
    return clean.empty() ? "localhost" : clean;
}

const std::string& ThisHost() {
    static const std::string host = CleanHostName();
    return host;
}

struct Owner {
    std::string_view host;  // empty in the older form, ".albumora-PID-N.part", of this machine
    pid_t pid = 0;
};

bool ReadNumber(std::string_view text, unsigned long& value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

// Who left a name of ours, ".albumora-HOST-PID-N.part"; nothing when the name is not one. The host
// may hold dashes, so the numbers are read from the end.
std::optional<Owner> OwnerOf(std::string_view name) {
    if (!name.starts_with(kPrefix)) {
        return std::nullopt;
    }
    bool suffixed = false;
    for (const std::string_view suffix : kSuffixes) {
        if (name.ends_with(suffix)) {
            name.remove_suffix(suffix.size());
            suffixed = true;
            break;
        }
    }
    if (!suffixed) {
        return std::nullopt;
    }
    name.remove_prefix(kPrefix.size());
    const size_t counterDash = name.rfind('-');
    unsigned long counter = 0;
    if (counterDash == std::string_view::npos || !ReadNumber(name.substr(counterDash + 1), counter)) {
        return std::nullopt;
    }
    name = name.substr(0, counterDash);
    const size_t pidDash = name.rfind('-');
    Owner owner;
    if (pidDash != std::string_view::npos) {
        owner.host = name.substr(0, pidDash);
        name.remove_prefix(pidDash + 1);
        if (owner.host.empty()) {
            return std::nullopt;
        }
    }
    unsigned long pid = 0;
    if (!ReadNumber(name, pid) || pid == 0 ||
        pid > static_cast<unsigned long>(std::numeric_limits<pid_t>::max())) {
        return std::nullopt;
    }
    owner.pid = static_cast<pid_t>(pid);
    return owner;
}

bool IsRunning(pid_t pid) {
    // EPERM: it runs, under another user.
    return ::kill(pid, 0) == 0 || errno != ESRCH;
}

bool IsAbandoned(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 && info.st_mtime < std::time(nullptr) - kAbandonedAfterSeconds;
}

}  // namespace

std::string TemporaryNameBeside(const std::string& target, const std::string& suffix) {
    const size_t slash = target.rfind('/');
    return (slash == std::string::npos ? std::string() : target.substr(0, slash + 1)) + std::string(kPrefix) +
           ThisHost() + "-" + std::to_string(::getpid()) + "-" +
           std::to_string(g_counter.fetch_add(1, std::memory_order_relaxed)) + suffix;
}

int RemoveStaleTemporaries(const std::string& folder) {
    DIR* listing = ::opendir(folder.empty() ? "." : folder.c_str());
    if (listing == nullptr) {
        return 0;
    }
    const std::string base = WithTrailingSlash(folder);
    int removed = 0;
    while (const dirent* entry = ::readdir(listing)) {
        const std::optional<Owner> owner = OwnerOf(entry->d_name);
        if (!owner) {
            continue;
        }
        const std::string path = base + entry->d_name;
        const bool here = owner->host.empty() || owner->host == ThisHost();
        const bool ended = here && owner->pid != ::getpid() && !IsRunning(owner->pid);
        if (ended || IsAbandoned(path)) {
            removed += ::unlink(path.c_str()) == 0;
        }
    }
    ::closedir(listing);
    return removed;
}

}  // namespace albumora
