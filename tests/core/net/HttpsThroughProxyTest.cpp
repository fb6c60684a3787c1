// The test server's https, checked with libcurl itself so that a fault here is the server's and
// not the client's under test.
#include <curl/curl.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "support/ServerTest.h"
#include "support/TempFolder.h"
#include "support/TestCertificates.h"
#include "support/TestWebServer.h"

namespace albumora::test {
namespace {

// The binary's server keeps the first certificates it is given, so the tests share one authority.
const TestCertificates& ServerCertificates() {
    static const TempFolder folder;
    static const TestCertificates certificates = [] {
        TestCertificates made = MakeTestCertificates(folder.path(), {"huaban.com", "*.huaban.com"});
        SharedTestServer().EnableTls(made);
        return made;
    }();
    return certificates;
}

struct Fetched {
    CURLcode code = CURLE_FAILED_INIT;
    long status = 0;
    std::string body;
    std::string error;
};

size_t Append(char* data, size_t size, size_t count, void* body) {
    static_cast<std::string*>(body)->append(data, size * count);
    return size * count;
}

Fetched FetchTrusting(const std::string& url, const std::string& caPath) {
    Fetched fetched;
    const std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(), curl_easy_cleanup);
    if (!curl) {
        return fetched;
    }
    const std::string proxy = SharedTestServer().httpsProxyUrl();
    char error[CURL_ERROR_SIZE] = "";
    curl_easy_setopt(curl.get(), CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl.get(), CURLOPT_PROXY, proxy.c_str());
    curl_easy_setopt(curl.get(), CURLOPT_CAINFO, caPath.c_str());
    curl_easy_setopt(curl.get(), CURLOPT_TIMEOUT_MS, 10000L);
    curl_easy_setopt(curl.get(), CURLOPT_ERRORBUFFER, error);
    curl_easy_setopt(curl.get(), CURLOPT_WRITEFUNCTION, Append);
    curl_easy_setopt(curl.get(), CURLOPT_WRITEDATA, &fetched.body);
    fetched.code = curl_easy_perform(curl.get());
    curl_easy_getinfo(curl.get(), CURLINFO_RESPONSE_CODE, &fetched.status);
    fetched.error = error;
    return fetched;
}

class HttpsThroughProxy : public ServerTest {
protected:
    void SetUp() override {
        ServerTest::SetUp();
        certificates = &ServerCertificates();
        server().Route("huaban.com", "/x", Response{.body = "over the tunnel"});
    }

    const TestCertificates* certificates = nullptr;
};

TEST_F(HttpsThroughProxy, ReachesTheSitesRoutesUnderTheirRealName) {
    const Fetched fetched = FetchTrusting("https://huaban.com/x", certificates->caPath);

    ASSERT_EQ(fetched.code, CURLE_OK) << fetched.error;
    EXPECT_EQ(fetched.status, 200);
    EXPECT_EQ(fetched.body, "over the tunnel");
    const auto seen = server().requestsFor("/x");
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_TRUE(seen[0].tls);
    EXPECT_EQ(seen[0].host, "huaban.com");
    EXPECT_EQ(server().connectTargets(), std::vector<std::string>{"huaban.com:443"});
}

TEST_F(HttpsThroughProxy, AnotherAuthorityIsNotTrusted) {
    const TempFolder otherFolder;
    const TestCertificates other = MakeTestCertificates(otherFolder.path(), {"huaban.com"});

    const Fetched fetched = FetchTrusting("https://huaban.com/x", other.caPath);

    EXPECT_EQ(fetched.code, CURLE_PEER_FAILED_VERIFICATION) << fetched.error;
    EXPECT_TRUE(server().requestsFor("/x").empty());
}

}  // namespace
}  // namespace albumora::test
