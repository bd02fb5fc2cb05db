#pragma once

#include <QObject>

#include <functional>
#include <mutex>

// Brings the result of a thread that nobody waits for back to an object of the main thread,
// or drops it once that object is gone. The thread holds the mailbox through a shared
// pointer, so the mailbox outlives the receiver; the receiver closes it when it goes.
class ResultMailbox
{
public:
    explicit ResultMailbox(QObject *receiver) : receiver(receiver) {}

    // From the receiver's thread, before the receiver is destroyed: later posts are dropped.
    void Close();
    // From any thread: runs deliver in the receiver's thread, unless the mailbox is closed.
    void Post(std::function<void()> deliver);

private:
    std::mutex mutex;
    QObject *receiver;
};
