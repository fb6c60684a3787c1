#include "core/net/CookieStore.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <thread>

#include "NetFixture.h"
#include "support/ScopedEnv.h"

namespace albumora::test {
namespace {

// Cookies must outlive the test run when they say so.
constexpr const char* kLastingCookie = "session=abc123; Max-Age=86400; Path=/";

class CookieJar : public NetTest {
protected:
    bool Fetch(CookieStore& store, std::string_view path) {
        ST_URLREQUEST request = Request(path);
        request.cookieStore = &store;
        CURLSource response;
        return FetchUrl(request, response, 0);
    }
    std::string CookieSentTo(std::string_view path) {
        const auto seen = server().requestsFor(path);
        return seen.empty() ? "(no request)" : seen.back().Header("Cookie");
    }
};

TEST_F(CookieJar, ResponseCookieIsSentByTheNextRequest) {
    server().Route("/login", Response{.body = "ok", .setCookies = {kLastingCookie, "plain=1"}});
    server().Route("/next", Response{.body = "ok"});
    CookieStore store;
    ASSERT_TRUE(Fetch(store, "/login"));
    ASSERT_TRUE(Fetch(store, "/next"));
    const std::string sent = CookieSentTo("/next");
    EXPECT_NE(sent.find("session=abc123"), std::string::npos) << sent;
    EXPECT_NE(sent.find("plain=1"), std::string::npos) << sent;
}

TEST_F(CookieJar, CookieSetOnOneThreadIsSentFromAnother) {
    server().Route("/login", Response{.body = "ok", .setCookies = {kLastingCookie}});
    server().Route("/elsewhere", Response{.body = "ok"});
    CookieStore store;
    ASSERT_TRUE(Fetch(store, "/login"));
    bool fetched = false;
    ST_URLREQUEST request = Request("/elsewhere");
    request.cookieStore = &store;
    std::thread other([&] {
        CURLSource response;
        fetched = FetchUrl(request, response, 0);
    });
    other.join();
    EXPECT_TRUE(fetched);
    EXPECT_EQ(CookieSentTo("/elsewhere"), "session=abc123");
}

TEST_F(CookieJar, NextProcessLoadsTheCookieFile) {
    server().Route("/login", Response{.body = "ok", .setCookies = {kLastingCookie, "visit=1"}});
    server().Route("/later", Response{.body = "ok"});
    const std::string file = folder.file("cookies.txt");
    {
        CookieStore first(file);
        ASSERT_TRUE(Fetch(first, "/login"));
    }
    CookieStore second(file);
    ASSERT_TRUE(Fetch(second, "/later"));
    const std::string sent = CookieSentTo("/later");
    EXPECT_NE(sent.find("session=abc123"), std::string::npos) << sent;
    EXPECT_NE(sent.find("visit=1"), std::string::npos) << "session cookies are kept too: " << sent;
}

TEST_F(CookieJar, CookieDeletedByTheServerIsGoneFromTheFile) {
    server().Route("/login", Response{.body = "ok", .setCookies = {kLastingCookie}});
    server().Route("/logout", Response{.body = "ok", .setCookies = {"session=; Max-Age=0; Path=/"}});
    const std::string file = folder.file("cookies.txt");
    CookieStore store(file);
    ASSERT_TRUE(Fetch(store, "/login"));
    ASSERT_EQ(store.List().size(), 1u);
    ASSERT_TRUE(Fetch(store, "/logout"));
    EXPECT_TRUE(store.List().empty());
    store.Flush();  // what the end of a run does
    EXPECT_EQ(ReadFile(file).bytes.find("abc123"), std::string::npos);
}

TEST_F(CookieJar, AnswersCookiesAreWrittenAtMostOncePerIntervalAndAtTheEnd) {
    server().Route("/a", Response{.body = "ok", .setCookies = {"first=1; Max-Age=86400; Path=/"}});
    server().Route("/b", Response{.body = "ok", .setCookies = {"second=2; Max-Age=86400; Path=/"}});
    const std::string file = folder.file("cookies.txt");
    CookieStore store(file, CookieLimits{.writeInterval = std::chrono::hours(1)});
    ASSERT_TRUE(Fetch(store, "/a"));
    EXPECT_NE(ReadFile(file).bytes.find("first"), std::string::npos) << "the first answer is written at once";
    ASSERT_TRUE(Fetch(store, "/b"));
    EXPECT_EQ(ReadFile(file).bytes.find("second"), std::string::npos) << "not again within the interval";
    EXPECT_TRUE(store.Flush());
    EXPECT_NE(ReadFile(file).bytes.find("second"), std::string::npos);
}

TEST_F(CookieJar, ProxiedSiteKeepsItsCookiesToItself) {
    server().Route("huaban.com", "/login", Response{.body = "ok", .setCookies = {kLastingCookie}});
    server().Route("huaban.com", "/boards/1/", Response{.body = "ok"});
    server().Route("www.duitang.com", "/album/", Response{.body = "ok"});
    ScopedEnv proxy("http_proxy", server().proxyUrl());
    CookieStore store;
    for (const char16_t* url :
         {u"http://huaban.com/login", u"http://huaban.com/boards/1/", u"http://www.duitang.com/album/"}) {
        ST_URLREQUEST request(url, {}, kShortTimeoutMs);
        request.cookieStore = &store;
        CURLSource response;
        ASSERT_TRUE(FetchUrl(request, response, 0)) << ToUtf8(url);
    }
    EXPECT_EQ(CookieSentTo("/boards/1/"), "session=abc123");
    EXPECT_EQ(CookieSentTo("/album/"), "");
}

TEST_F(CookieJar, ResetHostForgetsOnlyThatHost) {
    CookieStore store;
    ASSERT_TRUE(store.Set(Cookie{.name = "a", .value = "1", .domain = "huaban.com"}));
    ASSERT_TRUE(store.Set(Cookie{.name = "b", .value = "2", .domain = ".huaban.com"}));
    ASSERT_TRUE(store.Set(Cookie{.name = "c", .value = "3", .domain = "www.duitang.com"}));
    EXPECT_EQ(store.ResetHost(u"http://huaban.com/boards/77/"), 2);
    const auto left = store.List();
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0].name, "c");
}

// ---- the API for the login browser ---------------------------------------------------------

TEST(CookieStoreApi, SetListRemoveAndPersist) {
    TempFolder folder;
    const std::string file = folder.file("cookies.txt");
    const Cookie login{.name = "token",
                       .value = "v a=l;ue",
                       .domain = ".huaban.com",
                       .path = "/",
                       .expires = 4102444800,  // 2100-01-01
                       .secure = true,
                       .httpOnly = true};
    const Cookie hostOnly{.name = "pref", .value = "", .domain = "www.duitang.com", .path = "/album"};
    {
        CookieStore store(file);
        ASSERT_TRUE(store.Set(login));
        ASSERT_TRUE(store.Set(hostOnly));
        ASSERT_TRUE(store.Set(Cookie{.name = "old", .value = "x", .domain = "huaban.com", .expires = 1}));
        EXPECT_EQ(store.List().size(), 2u) << "an expired cookie is not listed";
        Cookie replaced = hostOnly;
        replaced.value = "second";
        ASSERT_TRUE(store.Set(replaced));
        ASSERT_TRUE(store.Set(hostOnly));
    }
    CookieStore reloaded(file);
    auto cookies = reloaded.List();
    ASSERT_EQ(cookies.size(), 2u);
    std::sort(cookies.begin(), cookies.end(),
              [](const Cookie& a, const Cookie& b) { return a.name > b.name; });
    EXPECT_EQ(cookies[0], login);
    EXPECT_EQ(cookies[1], hostOnly);

    EXPECT_FALSE(reloaded.Remove("token", "huaban.com", "/")) << "the domain must match as stored";
    EXPECT_TRUE(reloaded.Remove("token", ".huaban.com", "/"));
    EXPECT_EQ(CookieStore(file).List(), std::vector<Cookie>{hostOnly});
}

TEST(CookieStoreApi, TheOldestGoFirstBeyondTheLimits) {
    TempFolder folder;
    const std::string file = folder.file("cookies.txt");
    const auto names = [](const std::vector<Cookie>& cookies) {
        std::set<std::string> set;
        for (const Cookie& cookie : cookies) {
            set.insert(cookie.name);
        }
        return set;
    };
    {
        CookieStore store(file, CookieLimits{.perDomain = 3, .total = 5});
        for (const char* name : {"a1", "a2", "a3", "a4"}) {
            ASSERT_TRUE(
                store.Set(Cookie{.name = name, .value = "v", .domain = "a.example", .expires = 4102444800}));
        }
        EXPECT_EQ(names(store.List()), (std::set<std::string>{"a2", "a3", "a4"}));
        for (const char* name : {"b1", "b2", "b3"}) {
            ASSERT_TRUE(
                store.Set(Cookie{.name = name, .value = "v", .domain = ".b.example", .expires = 4102444800}));
        }
        EXPECT_EQ(names(store.List()), (std::set<std::string>{"a3", "a4", "b1", "b2", "b3"}));
    }
    // The file keeps the order, so the next process evicts the same ones first.
    CookieStore next(file, CookieLimits{.perDomain = 3, .total = 5});
    ASSERT_TRUE(next.Set(Cookie{.name = "c1", .value = "v", .domain = "c.example", .expires = 4102444800}));
    EXPECT_EQ(names(next.List()), (std::set<std::string>{"a4", "b1", "b2", "b3", "c1"}));
}

// A cookies.txt that grew for years, as one from before the jar was bounded: 60,000 lines over 400
// sites, oldest first, the last 600 of them from one busy site, and a few already expired.
TEST(CookieStoreApi, AnOversizedFileIsTrimmedToTheLimitsWhenLoaded) {
    TempFolder folder;
    const std::string file = folder.file("cookies.txt");
    constexpr int kLines = 60000;
    constexpr int kBusyFrom = kLines - 600;
    const auto domainOf = [](int i) {
        return i >= kBusyFrom ? std::string(".busy.example") : "site" + std::to_string(i % 400) + ".example";
    };
    std::string text = "# Netscape HTTP Cookie File\n\n";
    for (int i = 0; i < kLines; ++i) {
        const std::string domain = domainOf(i);
        const bool expired = i % 1000 == 999;
        text += (i % 3 == 0 ? "#HttpOnly_" : "") + domain + (domain.starts_with('.') ? "\tTRUE" : "\tFALSE") +
                "\t/\t" + (i % 2 == 0 ? "TRUE" : "FALSE") + '\t' +
                (expired      ? "1600000000"
                 : i % 5 == 0 ? "0"
                              : "4102444800") +
                "\tc" + std::to_string(i) + "\t" + std::string(32, 'a' + i % 26) + '\n';
    }
    WriteFile(file, text);

    const auto count = CookieStore(file).List().size();
    EXPECT_EQ(count, 3000u);
    const std::string written = ReadFile(file).bytes;
    std::map<std::string, int> perDomain;
    std::set<std::string> names;
    for (std::size_t start = 0; start < written.size();) {
        const std::size_t end = std::min(written.find('\n', start), written.size());
        if (const auto cookie = ParseNetscapeLine(std::string_view(written).substr(start, end - start))) {
            ++perDomain[cookie->domain];
            names.insert(cookie->name);
        }
        start = end + 1;
    }
    EXPECT_EQ(names.size(), 3000u) << "the file is written back with the jar's bounds";
    EXPECT_EQ(perDomain[".busy.example"], 180);
    for (const auto& [domain, cookies] : perDomain) {
        EXPECT_LE(cookies, 180) << domain;
    }
    EXPECT_TRUE(names.contains("c59998")) << "the newest are kept";
    EXPECT_TRUE(names.contains("c59399")) << "a quiet site's newest before the busy one's";
    EXPECT_FALSE(names.contains("c0")) << "the oldest go";
    EXPECT_FALSE(names.contains("c59419")) << "beyond the busy site's 180";
    EXPECT_FALSE(names.contains("c59999")) << "expired";
}

TEST(CookieStoreApi, RejectsCookiesAFileLineCannotCarry) {
    CookieStore store;
    EXPECT_FALSE(store.Set(Cookie{.name = "", .value = "x", .domain = "huaban.com"}));
    EXPECT_FALSE(store.Set(Cookie{.name = "a", .value = "x\ty", .domain = "huaban.com"}));
    EXPECT_FALSE(store.Set(Cookie{.name = "a", .value = "x\ny", .domain = "huaban.com"}));
    EXPECT_FALSE(store.Set(Cookie{.name = "a", .value = "x", .domain = ""}));
    EXPECT_TRUE(store.List().empty());
}

TEST(CookieStoreApi, MalformedFileLinesAreSkipped) {
    TempFolder folder;
    const std::string file = folder.file("cookies.txt");
    WriteFile(file,
              "# Netscape HTTP Cookie File\n"
              "huaban.com\tFALSE\t/\tFALSE\t0\tgood\t1\r\n"
              "broken line without tabs\n"
              "huaban.com\tFALSE\t/\tFALSE\tsoon\tbad\t2\n"
              "#HttpOnly_.duitang.com\tTRUE\t/\tTRUE\t0\tempty\n");
    CookieStore store(file);
    auto cookies = store.List();
    std::sort(cookies.begin(), cookies.end(),
              [](const Cookie& a, const Cookie& b) { return a.name < b.name; });
    ASSERT_EQ(cookies.size(), 2u);
    EXPECT_EQ(
        cookies[0],
        (Cookie{.name = "empty", .value = "", .domain = ".duitang.com", .secure = true, .httpOnly = true}));
    EXPECT_EQ(cookies[1], (Cookie{.name = "good", .value = "1", .domain = "huaban.com"}));
}

}  // namespace
}  // namespace albumora::test
