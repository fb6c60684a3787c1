#include <gtest/gtest.h>

#include "support/Compression.h"
#include "support/ProcessRunner.h"
#include "support/ServerTest.h"
#include "support/TempFolder.h"
#include "support/TestWebServer.h"

namespace albumora::test {
namespace {

class FetchCommand : public ServerTest {
protected:
    ProcessResult Cli(std::vector<std::string> args,
                      std::vector<std::pair<std::string, std::string>> env = {}) {
        args.insert(args.begin(), {"--settings-dir", settings.path()});
        return RunProcess(ALBUMORA_CLI_PATH, args, env);
    }

    TempFolder settings;
    TempFolder downloads;
};

TEST_F(FetchCommand, PrintsThePageAsUtf8) {
    server().Route("/page", Response{.body = "<b>\xD6\xD0\xCE\xC4 &amp;lt;</b>",
                                     .charset = "GBK",
                                     .encoding = BodyEncoding::Gzip});
    const auto result = Cli({"fetch", server().url("/page"), "--header", "Accept-Encoding: gzip, deflate",
                             "--header", "Referer: http://huaban.com/"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "<b>中文 <</b>");
    const auto seen = server().requestsFor("/page");
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].Header("Referer"), "http://huaban.com/");
}

TEST_F(FetchCommand, SavesTheRawBody) {
    const std::string body(3000, 'q');
    server().Route("/p.jpg", Response{.body = body, .encoding = BodyEncoding::Gzip});
    const std::string target = downloads.file("p.jpg");
    const auto result = Cli({"fetch", server().url("/p.jpg"), "--output", target, "--min-size", "0"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(ReadFile(target).bytes, GzipCompress(body));
}

TEST_F(FetchCommand, ReachesARealHostThroughHttpProxy) {
    server().Route("huaban.com", "/boards/9/", Response{.body = "board nine"});
    const auto result = Cli({"fetch", "http://huaban.com/boards/9/", "--timeout", "3000"},
                            {{"http_proxy", server().proxyUrl()}});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "board nine");
    ASSERT_EQ(server().requests().size(), 1u);
    EXPECT_TRUE(server().requests()[0].viaProxy);
}

TEST_F(FetchCommand, KeepsCookiesInTheSettingsFolderBetweenRuns) {
    server().Route("/login", Response{.body = "welcome", .setCookies = {"sid=42; Max-Age=3600; Path=/"}});
    server().Route("/mine", Response{.body = "yours"});
    ASSERT_EQ(Cli({"fetch", server().url("/login")}).exitCode, 0);
    ASSERT_EQ(Cli({"fetch", server().url("/mine")}).exitCode, 0);
    const auto seen = server().requestsFor("/mine");
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].Header("Cookie"), "sid=42");
    EXPECT_NE(ReadFile(settings.file("cookies.txt")).bytes.find("sid\t42"), std::string::npos);
}

struct FailureRow {
    const char* name;
    Response response;
    std::vector<std::string> extraArgs;
    const char* reason;
};

void PrintTo(const FailureRow& row, std::ostream* os) {
    *os << row.name;
}

class FetchCommandFailure : public FetchCommand, public ::testing::WithParamInterface<FailureRow> {};

TEST_P(FetchCommandFailure, ExitsWithOneAndSaysWhy) {
    server().Route("/f", GetParam().response);
    // Time enough to connect under ThreadSanitizer on a busy machine: only the time-out row may
    // end by the clock.
    std::vector<std::string> args = {"fetch", server().url("/f"), "--timeout", "3000", "--pause", "0"};
    for (const std::string& arg : GetParam().extraArgs) {
        args.push_back(arg == "TARGET" ? downloads.file("f.jpg") : arg);
    }
    const auto result = Cli(args);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find(GetParam().reason), std::string::npos) << result.err;
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
    EXPECT_TRUE(ListFolder(downloads.path()).empty());
}

INSTANTIATE_TEST_SUITE_P(
    Rows, FetchCommandFailure,
    // TARGET stands for a file in the test's download folder.
    ::testing::Values(FailureRow{"timeout",
                                 Response{.body = "late", .headerDelay = std::chrono::milliseconds(10000)},
                                 {},
                                 "time-out"},
                      FailureRow{"size_limit",
                                 Response{.body = std::string(3000, 'b')},
                                 {"--max-size", "1", "--output", "TARGET"},
                                 "size limit"},
                      FailureRow{"empty_body", Response{.body = ""}, {"--attempts", "2"}, "empty body"},
                      FailureRow{"connection",
                                 Response{.body = std::string(5000, 'r'), .resetAfter = 100},
                                 {},
                                 "connection"},
                      FailureRow{"error_page_not_saved",
                                 Response{.status = 404, .body = "not here"},
                                 {"--output", "TARGET"},
                                 "HTTP status"}),
    [](const auto& row) { return std::string(row.param.name); });

struct UsageRow {
    const char* name;
    std::vector<std::string> args;
};

void PrintTo(const UsageRow& row, std::ostream* os) {
    *os << row.name;
}

class FetchCommandUsage : public FetchCommand, public ::testing::WithParamInterface<UsageRow> {};

TEST_P(FetchCommandUsage, ExitsWithTwo) {
    std::vector<std::string> args = {"fetch"};
    args.insert(args.end(), GetParam().args.begin(), GetParam().args.end());
    const auto result = Cli(args);
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_FALSE(result.err.empty());
    EXPECT_TRUE(server().requests().empty());
}

INSTANTIATE_TEST_SUITE_P(Rows, FetchCommandUsage,
                         ::testing::Values(UsageRow{"no_address", {}},
                                           UsageRow{"two_addresses", {"http://a.com/", "http://b.com/"}},
                                           UsageRow{"unknown_option", {"http://a.com/", "--speed", "1"}},
                                           UsageRow{"missing_value", {"http://a.com/", "--timeout"}},
                                           UsageRow{"not_a_number", {"http://a.com/", "--attempts", "two"}},
                                           UsageRow{"out_of_range", {"http://a.com/", "--pause", "256"}}),
                         [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace albumora::test
