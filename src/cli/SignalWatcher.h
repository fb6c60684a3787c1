#pragma once

#include <signal.h>

#include <atomic>
#include <mutex>
#include <thread>

namespace albumora {
class Workflow;
}

namespace albumora::cli {

// Turns Ctrl-C (and a polite kill) into the stop button for as long as it lives: the first signal
// requests the stop of the workflow at work (and of a batch, every later one), a second one ends
// the process at once.
class SignalWatcher {
public:
    SignalWatcher();
    ~SignalWatcher();
    SignalWatcher(const SignalWatcher&) = delete;
    SignalWatcher& operator=(const SignalWatcher&) = delete;

    // The workflow a signal stops from now on; null before it is destroyed.
    void Watch(Workflow* workflow);
    bool signalled() const { return m_signalled; }

private:
    std::atomic<bool> m_signalled{false};
    sigset_t m_signals{};
    sigset_t m_previous{};
    std::atomic<bool> m_done{false};
    std::mutex m_mutex;
    Workflow* m_workflow = nullptr;
    std::thread m_watcher;
};

// Lets `watcher` stop `workflow` for the life of this guard.
class WatchedWorkflow {
public:
    WatchedWorkflow(SignalWatcher& watcher, Workflow& workflow) : m_watcher(watcher) {
        m_watcher.Watch(&workflow);
    }
    ~WatchedWorkflow() { m_watcher.Watch(nullptr); }
    WatchedWorkflow(const WatchedWorkflow&) = delete;
    WatchedWorkflow& operator=(const WatchedWorkflow&) = delete;

private:
    SignalWatcher& m_watcher;
};

}  // namespace albumora::cli
