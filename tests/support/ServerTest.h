#pragma once

#include <gtest/gtest.h>

#include "support/TestWebServer.h"

namespace albumora::test {

// A test against the binary's one web server, starting with no routes and no recorded requests.
class ServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        server().ClearRoutes();
        server().ClearRequests();
    }

    static TestWebServer& server() { return SharedTestServer(); }
};

}  // namespace albumora::test
