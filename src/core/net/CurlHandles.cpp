#include "core/net/CurlHandles.h"

namespace albumora {

void EnsureCurlGlobalInit() {
    static const CURLcode initialised = curl_global_init(CURL_GLOBAL_DEFAULT);
    (void)initialised;
}

namespace {

class ThreadHandlesOwner {
public:
    ThreadHandlesOwner() {
        EnsureCurlGlobalInit();
        m_handles.easy = curl_easy_init();
        m_handles.multi = curl_multi_init();
        if (m_handles.easy == nullptr || m_handles.multi == nullptr) {
            Release();
        }
    }
    ~ThreadHandlesOwner() { Release(); }
    ThreadHandlesOwner(const ThreadHandlesOwner&) = delete;
    ThreadHandlesOwner& operator=(const ThreadHandlesOwner&) = delete;

    const CurlThreadHandles& handles() const { return m_handles; }

private:
    void Release() {
        if (m_handles.easy != nullptr) {
            curl_easy_cleanup(m_handles.easy);
            m_handles.easy = nullptr;
        }
        if (m_handles.multi != nullptr) {
            curl_multi_cleanup(m_handles.multi);
            m_handles.multi = nullptr;
        }
    }

    CurlThreadHandles m_handles;
};

}  // namespace

const CurlThreadHandles& ThreadCurlHandles() {
    thread_local ThreadHandlesOwner owner;
    return owner.handles();
}

}  // namespace albumora
