#include "core/net/CookieStore.h"

#include <curl/curl.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <climits>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string_view>
#include <unordered_map>

#include "core/files/AtomicFile.h"
#include "core/net/CurlHandles.h"
#include "core/net/UrlCanonical.h"
#include "core/text/AsciiCase.h"

namespace albumora {

namespace {

// A cookie file beyond this is not one of ours; only its start is read.
constexpr std::size_t kMaxCookieFileBytes = 64u * 1024 * 1024;

std::int64_t SteadyMilliseconds() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::int64_t NowSeconds() {
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

std::string_view WithoutLeadingDot(std::string_view domain) {
    return domain.starts_with('.') ? domain.substr(1) : domain;
}

bool HasExpired(const Cookie& cookie, std::int64_t now) {
    return cookie.expires != 0 && cookie.expires <= now;
}

// The one eviction rule, for the cookies that arrive and for a file that grew beyond the limits:
// of `cookies`, oldest first, the newest are kept, counted from the end.
std::vector<bool> KeptWithinLimits(const std::vector<Cookie>& cookies, const CookieLimits& limits) {
    std::unordered_map<std::string, std::size_t> perDomain;
    std::vector<bool> keep(cookies.size(), false);
    std::size_t kept = 0;
    for (std::size_t i = cookies.size(); i-- > 0 && kept < limits.total;) {
        std::size_t& ofDomain = perDomain[AsciiLowered(WithoutLeadingDot(cookies[i].domain))];
        if (ofDomain < limits.perDomain) {
            ++ofDomain;
            ++kept;
            keep[i] = true;
        }
    }
    return keep;
}

}  // namespace

// The jar itself is libcurl's cookie engine inside a share object, so that matching, expiry and
// Set-Cookie parsing are the library's. `curlLock` is both the share's lock and the lock of the
// compound edits below; it is recursive because those edits call into libcurl, which takes the
// share's lock again on the same thread.
struct CookieStore::Impl {
    CURLSH* share = nullptr;
    CURL* admin = nullptr;  // the handle through which the jar is read and edited
    mutable std::recursive_mutex curlLock;
    mutable std::mutex fileLock;  // one writer of the file at a time, each with a fresh listing
    std::string path;
    CookieLimits limits;
    // When each cookie was first seen, for evicting the oldest first; under curlLock.
    std::unordered_map<std::string, std::uint64_t> firstSeen;
    std::uint64_t nextSeen = 0;
    // Answers set cookies that the file does not hold yet.
    std::atomic<bool> dirty{false};
    std::atomic<std::int64_t> lastWriteMs{INT64_MIN};

    static std::string KeyOf(const Cookie& cookie) {
        return AsciiLowered(WithoutLeadingDot(cookie.domain)) + '\t' + cookie.path + '\t' + cookie.name;
    }
    void NoteSeenLocked(const Cookie& cookie) { firstSeen.try_emplace(KeyOf(cookie), nextSeen++); }

    static void LockShare(CURL*, curl_lock_data, curl_lock_access, void* self) {
        static_cast<Impl*>(self)->curlLock.lock();
    }
    static void UnlockShare(CURL*, curl_lock_data, void* self) {
        static_cast<Impl*>(self)->curlLock.unlock();
    }

    Impl() {
        EnsureCurlGlobalInit();
        share = curl_share_init();
        if (share != nullptr) {
            curl_share_setopt(share, CURLSHOPT_LOCKFUNC, &Impl::LockShare);
            curl_share_setopt(share, CURLSHOPT_UNLOCKFUNC, &Impl::UnlockShare);
            curl_share_setopt(share, CURLSHOPT_USERDATA, this);
            curl_share_setopt(share, CURLSHOPT_SHARE, CURL_LOCK_DATA_COOKIE);
        }
        admin = curl_easy_init();
        if (admin != nullptr && share != nullptr) {
            curl_easy_setopt(admin, CURLOPT_SHARE, share);
        }
    }

    ~Impl() {
        if (admin != nullptr) {
            curl_easy_cleanup(admin);
        }
        if (share != nullptr) {
            curl_share_cleanup(share);
        }
    }

    bool usable() const { return share != nullptr && admin != nullptr; }

    // Callers hold curlLock. `held`, when given, receives how many the engine holds, expired ones
    // included.
    std::vector<Cookie> ListLocked(std::size_t* held = nullptr) const {
        std::vector<Cookie> cookies;
        struct curl_slist* lines = nullptr;
        if (held != nullptr) {
            *held = 0;
        }
        if (!usable() || curl_easy_getinfo(admin, CURLINFO_COOKIELIST, &lines) != CURLE_OK) {
            return cookies;
        }
        const std::int64_t now = NowSeconds();
        for (const struct curl_slist* line = lines; line != nullptr; line = line->next) {
            if (held != nullptr) {
                ++*held;
            }
            if (auto cookie = ParseNetscapeLine(line->data); cookie && !HasExpired(*cookie, now)) {
                cookies.push_back(std::move(*cookie));
            }
        }
        curl_slist_free_all(lines);
        return cookies;
    }

    // Callers hold curlLock. The cookies to keep, oldest first: the expired ones and those beyond
    // the limits leave the engine too.
    std::vector<Cookie> TrimLocked() {
        std::size_t held = 0;
        std::vector<Cookie> cookies = ListLocked(&held);
        for (const Cookie& cookie : cookies) {
            NoteSeenLocked(cookie);
        }
        std::stable_sort(cookies.begin(), cookies.end(), [this](const Cookie& a, const Cookie& b) {
            return firstSeen[KeyOf(a)] < firstSeen[KeyOf(b)];
        });
        const std::vector<bool> keep = KeptWithinLimits(cookies, limits);
        std::vector<Cookie> result;
        result.reserve(static_cast<std::size_t>(std::count(keep.begin(), keep.end(), true)));
        std::unordered_map<std::string, std::uint64_t> seen;
        for (std::size_t i = 0; i < cookies.size(); ++i) {
            if (keep[i]) {
                seen.emplace(KeyOf(cookies[i]), firstSeen[KeyOf(cookies[i])]);
                result.push_back(std::move(cookies[i]));
            }
        }
        firstSeen = std::move(seen);
        if (result.size() != held) {
            curl_easy_setopt(admin, CURLOPT_COOKIELIST, "ALL");
            for (const Cookie& cookie : result) {
                AddLocked(cookie);
            }
        }
        return result;
    }

    bool AddLocked(const Cookie& cookie) {
        if (!usable() || !IsStorableCookie(cookie)) {
            return false;
        }
        const std::string line = FormatNetscapeLine(cookie);
        return curl_easy_setopt(admin, CURLOPT_COOKIELIST, line.c_str()) == CURLE_OK;
    }

    // libcurl cannot delete one cookie; the jar is emptied and refilled under the lock, so no
    // transfer sees it half done.
    template <typename Predicate>
    int RemoveWhere(Predicate matches) {
        std::lock_guard lock(curlLock);
        std::vector<Cookie> keep = ListLocked();
        const auto removed = std::erase_if(keep, matches);
        if (removed == 0) {
            return 0;
        }
        curl_easy_setopt(admin, CURLOPT_COOKIELIST, "ALL");
        for (const Cookie& cookie : keep) {
            AddLocked(cookie);
        }
        return static_cast<int>(removed);
    }

    // Callers hold fileLock.
    bool WriteFile(const std::vector<Cookie>& cookies) const {
        std::string text =
            "# Netscape HTTP Cookie File\n"
            "# Written by Albumora; each line: domain, subdomains, path, secure, expiry, name, value.\n\n";
        for (const Cookie& cookie : cookies) {
            text += FormatNetscapeLine(cookie);
            text += '\n';
        }
        // A cookies.txt kept as a link is saved into its target and stays a link. Cookies hold
        // logins: readable by the user only.
        return WriteFileAtomically(FollowLinks(path), text, 0600);
    }

    // Every cookie handed to libcurl costs time in proportion to the jar it already holds, so a
    // file that grew beyond the limits is trimmed here, by the rule of TrimLocked, before libcurl
    // sees it, and written back trimmed so that the next start reads no more than the limits.
    // Runs once, on the empty jar of the constructor.
    void Load() {
        const std::optional<std::string> text = ReadFileHead(path, kMaxCookieFileBytes);
        if (!text) {
            return;
        }
        std::lock_guard files(fileLock);
        std::lock_guard lock(curlLock);
        // The file lists the oldest first. A cookie listed again keeps the place where it was first
        // seen and takes the value it was last given, as when each line is set in turn. Only exact
        // repeats are merged, so that none that libcurl holds apart is lost: the other spellings
        // of a key of firstSeen (a domain's case, its leading dot) share its place only.
        const std::uint64_t base = nextSeen;
        std::vector<Cookie> cookies;
        std::vector<std::uint64_t> seenOf;
        std::vector<std::size_t> firstOfKey;
        std::unordered_map<std::string, std::size_t> otherSpellings;
        std::size_t lines = 0;
        for (std::string_view rest = *text; !rest.empty();) {
            const std::size_t end = std::min(rest.find('\n'), rest.size());
            std::optional<Cookie> cookie = ParseNetscapeLine(rest.substr(0, end));
            rest.remove_prefix(std::min(end + 1, rest.size()));
            if (!cookie) {
                continue;
            }
            ++lines;
            const auto [at, added] = firstSeen.try_emplace(KeyOf(*cookie), nextSeen);
            if (added) {
                ++nextSeen;
                firstOfKey.push_back(cookies.size());
            } else if (Cookie& first = cookies[firstOfKey[at->second - base]];
                       first.domain == cookie->domain) {
                first = std::move(*cookie);
                continue;
            } else if (const auto [spelling, isNew] = otherSpellings.try_emplace(
                           cookie->domain + '\t' + cookie->path + '\t' + cookie->name, cookies.size());
                       !isNew) {
                cookies[spelling->second] = std::move(*cookie);
                continue;
            }
            cookies.push_back(std::move(*cookie));
            seenOf.push_back(at->second);
        }
        const std::int64_t now = NowSeconds();
        std::vector<std::size_t> order;
        order.reserve(cookies.size());
        for (std::size_t i = 0; i < cookies.size(); ++i) {
            if (!HasExpired(cookies[i], now)) {
                order.push_back(i);
            }
        }
        std::stable_sort(order.begin(), order.end(),
                         [&seenOf](std::size_t a, std::size_t b) { return seenOf[a] < seenOf[b]; });
        std::vector<Cookie> oldestFirst;
        oldestFirst.reserve(order.size());
        for (const std::size_t i : order) {
            oldestFirst.push_back(std::move(cookies[i]));
        }
        const std::vector<bool> keep = KeptWithinLimits(oldestFirst, limits);
        std::size_t kept = 0;
        for (std::size_t i = 0; i < oldestFirst.size(); ++i) {
            if (keep[i]) {
                AddLocked(oldestFirst[i]);
                ++kept;
            }
        }
        // A cookie that merely expired since the last save is left to the next one, as it always
        // was: rewriting the file for it would cost most starts a write.
        if (kept < order.size() || cookies.size() < lines) {
            WriteFile(TrimLocked());
        }
    }
};

CookieStore::CookieStore() : m_impl(std::make_unique<Impl>()) {}

CookieStore::CookieStore(std::string filePath, CookieLimits limits) : m_impl(std::make_unique<Impl>()) {
    m_impl->path = std::move(filePath);
    m_impl->limits = limits;
    m_impl->Load();
}

CookieStore::~CookieStore() {
    Flush();
}

bool CookieStore::Set(const Cookie& cookie) {
    bool added = false;
    {
        std::lock_guard lock(m_impl->curlLock);
        added = m_impl->AddLocked(cookie);
        if (added) {
            m_impl->NoteSeenLocked(cookie);
        }
    }
    if (added) {
        Save();
    }
    return added;
}

bool CookieStore::Remove(std::string_view name, std::string_view domain, std::string_view path) {
    const std::string_view wantedPath = path.empty() ? std::string_view("/") : path;
    const int removed = m_impl->RemoveWhere([&](const Cookie& cookie) {
        return cookie.name == name && EqualsNoCase(cookie.domain, domain) && cookie.path == wantedPath;
    });
    if (removed > 0) {
        Save();
    }
    return removed > 0;
}

std::vector<Cookie> CookieStore::List() const {
    std::lock_guard lock(m_impl->curlLock);
    return m_impl->ListLocked();
}

int CookieStore::ResetHost(WStringView url) {
    const auto canonical = CanonicalizeUrl(url);
    if (!canonical) {
        return 0;
    }
    const int removed = m_impl->RemoveWhere([&](const Cookie& cookie) {
        return EqualsNoCase(WithoutLeadingDot(cookie.domain), canonical->host);
    });
    if (removed > 0) {
        Save();
    }
    return removed;
}

void CookieStore::Clear() {
    {
        std::lock_guard lock(m_impl->curlLock);
        if (m_impl->usable()) {
            curl_easy_setopt(m_impl->admin, CURLOPT_COOKIELIST, "ALL");
        }
    }
    Save();
}

bool CookieStore::Save() const {
    std::lock_guard fileLock(m_impl->fileLock);
    // Cleared before the listing: cookies that arrive meanwhile make it dirty again.
    m_impl->dirty = false;
    std::vector<Cookie> cookies;
    {
        std::lock_guard lock(m_impl->curlLock);
        cookies = m_impl->TrimLocked();
    }
    if (m_impl->path.empty()) {
        return true;
    }
    m_impl->lastWriteMs = SteadyMilliseconds();
    return m_impl->WriteFile(cookies);
}

const std::string& CookieStore::filePath() const {
    return m_impl->path;
}

void CookieStore::AttachTo(void* curlEasy) {
    if (m_impl->share != nullptr) {
        curl_easy_setopt(static_cast<CURL*>(curlEasy), CURLOPT_SHARE, m_impl->share);
        // Sharing the jar is not enough: libcurl reads and sends cookies only with its cookie
        // engine switched on, which an empty file name does without reading anything.
        curl_easy_setopt(static_cast<CURL*>(curlEasy), CURLOPT_COOKIEFILE, "");
    }
}

void CookieStore::DetachFrom(void* curlEasy) {
    // Drops the file list that switching the engine on left behind, which the handle would
    // otherwise keep, and grow, across requests.
    curl_easy_setopt(static_cast<CURL*>(curlEasy), CURLOPT_COOKIEFILE, static_cast<char*>(nullptr));
    curl_easy_setopt(static_cast<CURL*>(curlEasy), CURLOPT_SHARE, static_cast<CURLSH*>(nullptr));
}

bool CookieStore::Flush() const {
    return m_impl->dirty ? Save() : true;
}

void CookieStore::NoteResponseCookies() {
    m_impl->dirty = true;
    // A host that sets cookies on every answer would otherwise have the whole jar rewritten
    // after every picture.
    const std::int64_t last = m_impl->lastWriteMs;
    if (last == INT64_MIN || SteadyMilliseconds() - last >= m_impl->limits.writeInterval.count()) {
        Save();
    }
}

}  // namespace albumora
