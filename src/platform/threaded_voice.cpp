#include "platform/threaded_voice.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QMetaObject>

#include <utility>

#include "platform/runtime_error.h"

namespace orlavo {

namespace {

// Whatever went wrong on the worker reaches the caller as a RuntimeError with a number.
std::exception_ptr AsRuntimeError(std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const RuntimeError&) {
        return error;
    } catch (const std::exception& other) {
        return std::make_exception_ptr(RuntimeError(kSpeechFailed, other.what()));
    } catch (...) {
        return std::make_exception_ptr(
            RuntimeError(kSpeechFailed, "The voice failed for an unknown reason."));
    }
}

}  // namespace

ThreadedVoice::ThreadedVoice(Factory makeVoice) {
    std::unique_lock lock(m_mutex);
    m_busy = true;
    m_worker = std::thread([this, makeVoice = std::move(makeVoice)] { Run(makeVoice); });
    // Creating the voice is quick (or fails quickly), so the caller simply waits for it.
    m_workDone.wait(lock, [this] { return !m_busy; });
    if (m_error) {
        lock.unlock();
        m_worker.join();
        std::rethrow_exception(m_error);
    }
}

ThreadedVoice::~ThreadedVoice() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_workArrived.notify_one();
    if (m_worker.joinable()) {
        m_worker.join();
    }
}

void ThreadedVoice::Run(const Factory& makeVoice) {
    std::unique_ptr<Voice> voice;
    try {
        voice = makeVoice();
        ReportDone(nullptr);
    } catch (...) {
        ReportDone(AsRuntimeError(std::current_exception()));
        return;
    }
    for (;;) {
        std::string text;
        {
            std::unique_lock lock(m_mutex);
            m_workArrived.wait(lock, [this] { return m_stopping || m_text.has_value(); });
            if (m_stopping) {
                break;
            }
            text = std::move(*m_text);
            m_text.reset();
        }
        try {
            voice->Speak(text);
            ReportDone(nullptr);
        } catch (...) {
            ReportDone(AsRuntimeError(std::current_exception()));
        }
    }
    voice.reset();  // on this thread, like every other call into the engine
}

void ThreadedVoice::ReportDone(std::exception_ptr error) {
    std::lock_guard lock(m_mutex);
    m_error = std::move(error);
    m_busy = false;
    if (m_waitingLoop != nullptr) {
        QMetaObject::invokeMethod(m_waitingLoop, &QEventLoop::quit, Qt::QueuedConnection);
    }
    m_workDone.notify_all();
}

void ThreadedVoice::Speak(std::string_view text) {
    std::unique_lock lock(m_mutex);
    if (m_busy) {
        throw RuntimeError(kSpeechFailed, "The voice is still speaking the previous item.");
    }
    m_busy = true;
    m_error = nullptr;
    m_text = std::string(text);
    m_workArrived.notify_one();
    WaitUntilDone(lock);
    if (m_error) {
        std::rethrow_exception(std::exchange(m_error, nullptr));
    }
}

void ThreadedVoice::WaitUntilDone(std::unique_lock<std::mutex>& lock) {
    if (QCoreApplication::instance() != nullptr) {
        QEventLoop loop;
        m_waitingLoop = &loop;
        lock.unlock();
        // The window keeps repainting and answering the person; it holds back any command chosen
        // meanwhile until the reading loop's next pump step.
        loop.exec();
        lock.lock();
        m_waitingLoop = nullptr;
    }
    // Also catches the loop ending early because the application is quitting.
    m_workDone.wait(lock, [this] { return !m_busy; });
}

}  // namespace orlavo
