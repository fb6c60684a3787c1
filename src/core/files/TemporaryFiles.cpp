#include "core/files/TemporaryFiles.h"

#include "core/files/FileHelpers.h"

#include <dirent.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <charconv>
#include <string_view>

namespace albumora {

namespace {

constexpr std::string_view kPrefix = ".albumora-";
constexpr std::string_view kSuffixes[] = {".part", ".tmp"};

std::atomic<unsigned> g_counter{0};

// The process id in a name of ours, ".albumora-PID-N.part"; 0 when the name is not one.
pid_t OwnerOf(std::string_view name) {
    if (!name.starts_with(kPrefix)) {
        return 0;
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
        return 0;
    }
    name.remove_prefix(kPrefix.size());
    const size_t dash = name.find('-');
    if (dash == std::string_view::npos) {
        return 0;
    }
    long pid = 0;
    const auto [end, error] = std::from_chars(name.data(), name.data() + dash, pid);
    unsigned long counter = 0;
    const auto [counterEnd, counterError] =
        std::from_chars(name.data() + dash + 1, name.data() + name.size(), counter);
    if (error != std::errc() || end != name.data() + dash || counterError != std::errc() ||
        counterEnd != name.data() + name.size() || pid <= 0) {
        return 0;
    }
    return static_cast<pid_t>(pid);
}

bool IsRunning(pid_t pid) {
    // EPERM: it runs, under another user.
    return ::kill(pid, 0) == 0 || errno != ESRCH;
}

}  // namespace

std::string TemporaryNameBeside(const std::string& target, const std::string& suffix) {
    const size_t slash = target.rfind('/');
    return (slash == std::string::npos ? std::string() : target.substr(0, slash + 1)) + std::string(kPrefix) +
           std::to_string(::getpid()) + "-" +
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
        const pid_t owner = OwnerOf(entry->d_name);
        if (owner == 0 || owner == ::getpid() || IsRunning(owner)) {
            continue;
        }
        removed += ::unlink((base + entry->d_name).c_str()) == 0;
    }
    ::closedir(listing);
    return removed;
}

}  // namespace albumora
