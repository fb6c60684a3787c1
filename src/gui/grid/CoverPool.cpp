#include "gui/grid/CoverPool.h"

#include <algorithm>
#include <system_error>

#include "core/files/FileHelpers.h"
#include "core/net/URLSource2.h"
#include "core/workflow/Workflow.h"

namespace albumora::gui {

namespace {

constexpr const char16_t* kCoverFolder = u"tmp/";

}  // namespace

CoverPool::CoverPool(const Workflow& workflow, QSize size, qreal pixelRatio, Arrival arrival)
    : m_workflow(workflow),
      m_size(size),
      m_pixelRatio(std::max(pixelRatio, 1.0)),
      m_arrival(std::move(arrival)) {}

CoverPool::~CoverPool() {
    {
        std::lock_guard lock(m_mutex);
        m_closing = true;
        m_waiting.clear();
    }
    m_stop.Raise();
    m_work.notify_all();
    for (std::thread& thread : m_threads) {
        thread.join();
    }
}

void CoverPool::Request(int position, WString url) {
    {
        std::lock_guard lock(m_mutex);
        if (m_closing) {
            return;
        }
        m_waiting.push_back({position, std::move(url), {}});
        // A thread more only while the busy ones cannot take the request at once.
        if (m_threads.size() < static_cast<std::size_t>(kThreads) &&
            m_threads.size() < m_inFlight + m_waiting.size()) {
            try {
                m_threads.emplace_back([this] { Run(); });
            } catch (const std::system_error&) {
                // The threads there are take the request; with none, it is dropped.
                if (m_threads.empty()) {
                    m_waiting.clear();
                }
            }
        }
    }
    m_work.notify_one();
}

void CoverPool::Cancel() {
    std::unique_lock lock(m_mutex);
    m_waiting.clear();
    if (m_inFlight == 0) {
        m_idle.notify_all();
        return;
    }
    m_stop.Raise();
    m_idle.wait(lock, [this] { return m_inFlight == 0; });
    m_stop.Clear();
}

void CoverPool::WaitUntilIdle() {
    std::unique_lock lock(m_mutex);
    m_idle.wait(lock, [this] { return m_waiting.empty() && m_inFlight == 0; });
}

void CoverPool::Run() {
    std::unique_lock lock(m_mutex);
    while (true) {
        m_work.wait(lock, [this] { return m_closing || !m_waiting.empty(); });
        if (m_closing) {
            return;
        }
        Cover cover = std::move(m_waiting.front());
        m_waiting.pop_front();
        ++m_inFlight;
        lock.unlock();
        cover.image = Fetch(cover.position, cover.url);
        // Handed over before the request counts as ended, so that whoever waits for the pool to be
        // idle sees the cover's arrival queued before its own next step.
        if (!m_stop.raised()) {
            m_arrival(std::move(cover));
        }
        lock.lock();
        --m_inFlight;
        m_idle.notify_all();
    }
}

QImage CoverPool::Fetch(int position, const WString& url) const {
    if (url.empty()) {
        return {};
    }
    WString folder = FromUtf8(m_workflow.settingsFolder()) + kCoverFolder;
    if (!CreateFolderTree(folder)) {
        return {};
    }
    const WString path = folder + IntToText(position) + u".jpg";
    ST_URLREQUEST request = m_workflow.NewFileRequest(url, path);
    request.cancel = &m_stop;
    CURLSource response;
    if (!FetchUrl(request, response, FETCH_CACHE_WRITE | FETCH_CACHE_READ)) {
        return {};
    }
    const QImage cover(QString::fromStdString(ToUtf8(path)));
    if (cover.isNull()) {
        return {};
    }
    QImage scaled = cover.scaled(m_size * m_pixelRatio, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    scaled.setDevicePixelRatio(m_pixelRatio);
    return scaled;
}

}  // namespace albumora::gui
