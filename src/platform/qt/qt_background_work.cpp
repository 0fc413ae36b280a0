#include "platform/qt/qt_background_work.h"

#include <QCursor>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QMetaObject>
#include <QTimer>

#include <memory>
#include <mutex>
#include <thread>

namespace orlavo {
namespace {

constexpr int kCheckEveryMs = 100;
constexpr int kShowBusyAfterMs = 500;

// Shared with the job's thread, which may outlive the wait when the job is given up.
struct Meeting {
    std::mutex mutex;
    bool done = false;
    QEventLoop* waiting = nullptr;
};

}  // namespace

bool QtBackgroundWork::Run(std::function<void()> job, const KeepWaiting& keepWaiting) {
    auto meeting = std::make_shared<Meeting>();
    std::thread([meeting, job = std::move(job)] {
        try {
            job();
        } catch (...) {
            // The job keeps its own errors; nothing may escape a thread.
        }
        std::lock_guard lock(meeting->mutex);
        meeting->done = true;
        if (meeting->waiting != nullptr) {
            QMetaObject::invokeMethod(meeting->waiting, &QEventLoop::quit, Qt::QueuedConnection);
        }
    }).detach();

    QEventLoop loop;
    QTimer check;
    QElapsedTimer waited;
    bool busyShown = false;
    waited.start();
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (!busyShown && waited.elapsed() >= kShowBusyAfterMs) {
            QGuiApplication::setOverrideCursor(Qt::BusyCursor);
            busyShown = true;
        }
        if (!keepWaiting(std::chrono::milliseconds(waited.elapsed()))) {
            loop.quit();
        }
    });
    {
        std::unique_lock lock(meeting->mutex);
        if (!meeting->done) {
            meeting->waiting = &loop;
            lock.unlock();
            check.start(kCheckEveryMs);
            loop.exec();
            lock.lock();
            meeting->waiting = nullptr;
        }
    }
    if (busyShown) {
        QGuiApplication::restoreOverrideCursor();
    }
    std::lock_guard lock(meeting->mutex);
    return meeting->done;
}

}  // namespace orlavo
