#include "platform/ResultMailbox.h"

#include <QMetaObject>

void ResultMailbox::Close()
{
    const std::lock_guard<std::mutex> hold(mutex);
    receiver = nullptr;
}

void ResultMailbox::Post(std::function<void()> deliver)
{
    // Posted under the lock, so the receiver cannot be destroyed in between; a posted call
    // that has not run when the receiver goes is dropped with it.
    const std::lock_guard<std::mutex> hold(mutex);
    if (receiver)
        QMetaObject::invokeMethod(receiver, std::move(deliver), Qt::QueuedConnection);
}
