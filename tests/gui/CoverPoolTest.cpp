// The cover pool on its own: covers for scaled screens and cancelled requests.
#include "gui/grid/CoverPool.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QTest>
#include <chrono>
#include <mutex>
#include <optional>
#include <vector>

#include "core/workflow/Workflow.h"
#include "support/JpegBytes.h"
#include "support/RecordingView.h"
#include "support/ScopedEnv.h"
#include "support/TempFolder.h"
#include "support/TestWebServer.h"

namespace albumora::test {
namespace {

class CoverPoolTest : public ::testing::Test {
protected:
    void SetUp() override {
        SharedTestServer().ClearRoutes();
        m_proxy.emplace("http_proxy", SharedTestServer().proxyUrl());
    }

    std::vector<gui::CoverPool::Cover> Arrived() {
        std::lock_guard lock(m_mutex);
        return m_arrived;
    }
    gui::CoverPool::Arrival Collect() {
        return [this](gui::CoverPool::Cover cover) {
            std::lock_guard lock(m_mutex);
            m_arrived.push_back(std::move(cover));
        };
    }

    TempFolder settings;
    RecordingView view;
    Workflow workflow{view, settings.path(), nullptr};

private:
    std::optional<ScopedEnv> m_proxy;
    std::mutex m_mutex;
    std::vector<gui::CoverPool::Cover> m_arrived;
};

TEST_F(CoverPoolTest, CoversForAScaledScreenHaveItsPixelsAndTheCellsSize) {
    SharedTestServer().Route("covers.example", "/c.jpg",
                             Response{.body = JpegBytes(Qt::darkCyan), .contentType = "image/jpeg"});
    gui::CoverPool pool(workflow, QSize(113, 120), 2.0, Collect());
    pool.Request(3, u"http://covers.example/c.jpg");
    pool.WaitUntilIdle();
    const auto arrived = Arrived();
    ASSERT_EQ(arrived.size(), 1u);
    EXPECT_EQ(arrived[0].position, 3);
    EXPECT_EQ(arrived[0].image.size(), QSize(226, 240));
    EXPECT_EQ(arrived[0].image.deviceIndependentSize(), QSizeF(113, 120));
}

TEST_F(CoverPoolTest, CancelEndsTheFetchesInFlightAndHandsNothingOver) {
    SharedTestServer().Route("covers.example", "/slow.jpg",
                             Response{.body = JpegBytes(Qt::darkCyan),
                                      .contentType = "image/jpeg",
                                      .headerDelay = std::chrono::seconds(10)});
    gui::CoverPool pool(workflow, QSize(113, 120), 1.0, Collect());
    for (int position = 0; position < 8; ++position) {
        pool.Request(position, u"http://covers.example/slow.jpg");
    }
    ASSERT_TRUE(
        QTest::qWaitFor([] { return SharedTestServer().requestsFor("/slow.jpg").size() >= 1; }, 5000));
    pool.Cancel();
    EXPECT_TRUE(Arrived().empty());
    // The requests still waiting were dropped, not fetched.
    EXPECT_LE(SharedTestServer().requestsFor("/slow.jpg").size(),
              static_cast<size_t>(gui::CoverPool::kThreads));
}

}  // namespace
}  // namespace albumora::test
