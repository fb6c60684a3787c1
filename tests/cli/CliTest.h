#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "support/FakeSites.h"
#include "support/ProcessRunner.h"
#include "support/TempFolder.h"

namespace albumora::test {

// albumora-cli as a user runs it, against the fake sites reached through http_proxy, with a
// settings folder and a save folder of its own.
class CliTest : public ::testing::Test {
protected:
    void SetUp() override {
        SharedTestServer().ClearRoutes();
        SharedTestServer().ClearRequests();
    }

    ProcessResult Cli(std::vector<std::string> args) {
        args.insert(args.begin(), {"--settings-dir", m_settings.path()});
        return RunProcess(ALBUMORA_CLI_PATH, args, {{"http_proxy", SharedTestServer().proxyUrl()}},
                          std::chrono::seconds(90));
    }

    static size_t PictureRequests(const std::string& host) {
        return SharedTestServer().requestsToHost(host).size();
    }

    TempFolder m_settings;
    TempFolder m_save;
};

}  // namespace albumora::test
