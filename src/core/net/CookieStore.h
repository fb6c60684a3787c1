#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/net/Cookie.h"
#include "core/text/WideText.h"

namespace albumora {

// How much the jar keeps and how often it is written, as a browser bounds its own: a site or a
// tracker that sets cookies on every answer must not grow the file without end, nor have it
// rewritten after every picture.
struct CookieLimits {
    std::size_t perDomain = 180;  // the oldest cookies of a domain go first beyond this
    std::size_t total = 3000;     // and the oldest of all beyond this
    // Cookies that answers set are written at most this often; Flush writes what is left.
    std::chrono::milliseconds writeInterval{1000};
};

// The process's one cookie jar: every request made with it sends the cookies that match and keeps
// the ones the response sets, whichever thread runs it; the login browser adds and removes
// cookies through it. With a file, the jar is loaded from it (a Netscape cookie file) and written
// back, session cookies included, so that a login survives into the next run and into the other
// front end: at once after a change made through this class, at most once per write interval for
// the cookies of answers, and when the jar is flushed or destroyed. Thread-safe. Must outlive
// every request that uses it.
class CookieStore {
public:
    // A jar in memory only.
    CookieStore();
    // A jar kept in `filePath` (cookies.txt in the settings folder); a missing file is an empty jar.
    // A file that holds more than the limits (or a cookie twice) is written back at once within
    // them, expired cookies dropped too, so that no later start pays for what the jar would not keep.
    explicit CookieStore(std::string filePath, CookieLimits limits = {});
    ~CookieStore();
    CookieStore(const CookieStore&) = delete;
    CookieStore& operator=(const CookieStore&) = delete;

    // Adds or replaces the cookie with the same name, domain and path. False for a cookie that
    // cannot be stored (see IsStorableCookie).
    bool Set(const Cookie& cookie);
    // False when there was no such cookie.
    bool Remove(std::string_view name, std::string_view domain, std::string_view path);
    // Every cookie that has not expired.
    std::vector<Cookie> List() const;
    // Forgets the cookies of the address's host (domain equal to the host, with or without the
    // leading dot), so that the next request to it starts a fresh session. Returns how many.
    int ResetHost(WStringView url);
    void Clear();

    // Drops expired cookies and those beyond the limits, and writes the file now (atomically);
    // true without a file.
    bool Save() const;
    // Writes the file when answers set cookies since it was last written (end of a run).
    bool Flush() const;
    const std::string& filePath() const;

    // For the HTTP client: an easy handle of libcurl uses the jar while attached.
    void AttachTo(void* curlEasy);
    void DetachFrom(void* curlEasy);
    // For the HTTP client: a response set or deleted cookies.
    void NoteResponseCookies();

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace albumora
