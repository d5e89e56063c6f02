// One thread of work behind an object of the GUI thread (the Library's reader, the
// instruments' reading): work runs in the order given, on one thread, and its answers are
// posted back to the owner. The owner's destructor waits for it, through this member.
#pragma once

#include <QCoreApplication>
#include <QObject>
#include <QThreadPool>

#include <utility>

namespace tarnwick {

class BackgroundThread {
public:
    explicit BackgroundThread(QObject& owner) : m_owner(owner) { m_pool.setMaxThreadCount(1); }
    ~BackgroundThread() { m_pool.waitForDone(); }
    BackgroundThread(const BackgroundThread&) = delete;
    BackgroundThread& operator=(const BackgroundThread&) = delete;

    template <typename Work> void run(Work work) { m_pool.start(std::move(work)); }
    // Waits until all work given is done, and delivers the answers it posted to the owner.
    void waitForDone() {
        m_pool.waitForDone();
        QCoreApplication::sendPostedEvents(&m_owner);
    }

private:
    QObject& m_owner;
    QThreadPool m_pool;
};

} // namespace tarnwick
