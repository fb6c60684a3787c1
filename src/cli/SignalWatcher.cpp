#include "cli/SignalWatcher.h"

#include <pthread.h>
#include <unistd.h>

#include <cstdio>

#include "core/workflow/Workflow.h"

namespace albumora::cli {

SignalWatcher::SignalWatcher() {
    sigemptyset(&m_signals);
    sigaddset(&m_signals, SIGINT);
    sigaddset(&m_signals, SIGTERM);
    // Blocked before any worker starts, so that only the watcher below ever receives them.
    pthread_sigmask(SIG_BLOCK, &m_signals, &m_previous);
    m_watcher = std::thread([this] {
        int count = 0;
        const timespec tick{0, 100 * 1000 * 1000};
        while (!m_done) {
            if (sigtimedwait(&m_signals, nullptr, &tick) < 0) {
                continue;
            }
            if (++count > 1) {
                _exit(130);
            }
            std::fputs("\n正在终止，请稍候（再按一次 Ctrl-C 立即退出）...\n", stderr);
            std::lock_guard lock(m_mutex);
            m_signalled = true;
            if (m_workflow != nullptr) {
                m_workflow->RequestStop();
            }
        }
    });
}

SignalWatcher::~SignalWatcher() {
    m_done = true;
    m_watcher.join();
    pthread_sigmask(SIG_SETMASK, &m_previous, nullptr);
}

void SignalWatcher::Watch(Workflow* workflow) {
    std::lock_guard lock(m_mutex);
    m_workflow = workflow;
    // A signal that came between two addresses stops the next one as soon as it is watched.
    if (m_workflow != nullptr && m_signalled) {
        m_workflow->RequestStop();
    }
}

}  // namespace albumora::cli
