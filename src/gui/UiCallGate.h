#pragma once

#include <QMetaObject>
#include <QObject>
#include <QThread>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

namespace albumora::gui {

// Lets a worker thread ask the window's thread for an answer and wait for it, while a closing window
// can release every waiting worker with a fallback answer. A blocking queued call cannot be called off:
// a window that joins its workers would wait for a worker that waits for the window.
class UiCallGate {
public:
    explicit UiCallGate(QObject* context) : m_context(context), m_shared(std::make_shared<Shared>()) {}

    // Runs `ask` on the context's thread and waits for the answer it gives to its reply function; the
    // answer may come later (a question box). On the context's own thread `ask` runs at once and must
    // answer before it returns. `fallback` is the answer of a closed gate.
    template <typename T>
    T Call(std::function<void(std::function<void(T)>)> ask, T fallback);

    // Answers every waiting and every later call with its fallback.
    void Close() {
        std::lock_guard lock(m_shared->mutex);
        m_shared->closed = true;
        m_shared->answered.notify_all();
    }

private:
    struct Shared {
        std::mutex mutex;
        std::condition_variable answered;
        bool closed = false;
    };

    QObject* m_context;
    // Shared with the reply functions, which a question box may hold beyond the gate's life.
    std::shared_ptr<Shared> m_shared;
};

template <typename T>
T UiCallGate::Call(std::function<void(std::function<void(T)>)> ask, T fallback) {
    // Only this copy is used once the call is made, so that a caller released by Close() never
    // touches a gate that is being destroyed.
    const std::shared_ptr<Shared> shared = m_shared;
    auto answer = std::make_shared<std::optional<T>>();
    std::function<void(T)> reply = [shared, answer](T value) {
        std::lock_guard lock(shared->mutex);
        if (!answer->has_value()) {
            *answer = std::move(value);
        }
        shared->answered.notify_all();
    };
    if (QThread::currentThread() == m_context->thread()) {
        ask(reply);
        std::lock_guard lock(shared->mutex);
        return answer->has_value() ? **answer : fallback;
    }
    {
        std::lock_guard lock(shared->mutex);
        if (shared->closed) {
            return fallback;
        }
    }
    QMetaObject::invokeMethod(
        m_context, [ask = std::move(ask), reply] { ask(reply); }, Qt::QueuedConnection);
    std::unique_lock lock(shared->mutex);
    shared->answered.wait(lock, [&] { return answer->has_value() || shared->closed; });
    return answer->has_value() ? **answer : fallback;
}

}  // namespace albumora::gui
