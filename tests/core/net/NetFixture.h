#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <string_view>

#include "core/net/URLSource2.h"
#include "support/RecordingClock.h"
#include "support/TempFolder.h"
#include "support/TestWebServer.h"

namespace albumora::test {

// Short waits keep the suite fast; the bounded-wait checks allow this much on top of a bound.
inline constexpr std::uint32_t kShortTimeoutMs = 800;
inline constexpr std::chrono::milliseconds kBoundSlack{1500};

// Tests of the HTTP client against the binary's local server, with a fresh folder each.
class NetTest : public ::testing::Test {
protected:
    void SetUp() override {
        server().ClearRoutes();
        server().ClearRequests();
    }

    static TestWebServer& server() { return SharedTestServer(); }

    ST_URLREQUEST Request(std::string_view path, std::uint32_t timeoutMs = kShortTimeoutMs) {
        ST_URLREQUEST request(FromUtf8(server().url(path)), {}, timeoutMs);
        request.clock = &clock;
        return request;
    }

    ST_URLREQUEST PictureRequest(std::string_view path, std::string_view fileName) {
        ST_URLREQUEST request = Request(path);
        request.savePath = FromUtf8(folder.file(fileName));
        return request;
    }

    RecordingClock clock;
    TempFolder folder;
};

template <typename Action>
std::chrono::milliseconds Elapsed(Action action) {
    const auto start = std::chrono::steady_clock::now();
    action();
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
}

}  // namespace albumora::test
