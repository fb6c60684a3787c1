#include "core/util/StopSignal.h"

namespace albumora {

void StopSignal::Raise() {
    {
        // Under the lock, so that a waiter between its check and its wait cannot miss it.
        std::lock_guard lock(m_mutex);
        m_raised = true;
    }
    m_wake.notify_all();
}

void StopSignal::Clear() {
    std::lock_guard lock(m_mutex);
    m_raised = false;
}

bool StopSignal::WaitFor(std::chrono::milliseconds duration) const {
    std::unique_lock lock(m_mutex);
    return m_wake.wait_for(lock, duration, [this] { return m_raised.load(); });
}

const StopSignal& StopSignal::Never() {
    static const StopSignal never;
    return never;
}

}  // namespace albumora
