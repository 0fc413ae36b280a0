#include "platform/qt/qt_background_work.h"

#include <QCursor>
#include <QElapsedTimer>
#include <QGuiApplication>

#include <memory>
#include <thread>

#include "platform/qt/window_wait.h"

namespace orlavo {
namespace {

constexpr std::chrono::milliseconds kCheckEvery(100);
constexpr int kShowBusyAfterMs = 500;

}  // namespace

bool QtBackgroundWork::Run(std::function<void()> job, const KeepWaiting& keepWaiting) {
    // Shared with the job's thread, which may outlive the wait when the job is given up.
    auto finished = std::make_shared<WindowWait>();
    std::thread([finished, job = std::move(job)] {
        try {
            job();
        } catch (...) {
            // The job keeps its own errors; nothing may escape a thread.
        }
        finished->Wake();
    }).detach();

    QElapsedTimer waited;
    bool busyShown = false;
    waited.start();
    const bool done = finished->Run(
        [&] {
            if (!busyShown && waited.elapsed() >= kShowBusyAfterMs) {
                QGuiApplication::setOverrideCursor(Qt::BusyCursor);
                busyShown = true;
            }
            return keepWaiting(std::chrono::milliseconds(waited.elapsed()));
        },
        kCheckEvery);
    if (busyShown) {
        QGuiApplication::restoreOverrideCursor();
    }
    return done;
}

}  // namespace orlavo
