#pragma once

#include <QMetaObject>
#include <QObject>
#include <QThread>
#include <utility>

namespace albumora::gui {

// Runs `call` on `context`'s thread: at once when already there, else queued. A queued call whose
// context is gone by then is dropped, so a worker's late call cannot reach a closed window.
template <typename F>
void RunOnThreadOf(QObject* context, F&& call) {
    if (QThread::currentThread() == context->thread()) {
        call();
    } else {
        QMetaObject::invokeMethod(context, std::forward<F>(call), Qt::QueuedConnection);
    }
}

}  // namespace albumora::gui
