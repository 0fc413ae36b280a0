#include "platform/voice/threaded_voice.h"

#include <utility>

#include "platform/voice_failure.h"

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
        return std::make_exception_ptr(RuntimeError(kSpeechFailed, kVoiceFailedUnknown));
    }
}

}  // namespace

ThreadedVoice::ThreadedVoice(Factory makeVoice, ThreadWaitFactory makeWait)
    : m_makeWait(std::move(makeWait)) {
    m_worker = std::thread([this, makeVoice = std::move(makeVoice)] { Run(makeVoice); });
}

ThreadedVoice::~ThreadedVoice() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    Silence();
    m_workArrived.notify_one();
    if (m_worker.joinable()) {
        m_worker.join();
    }
}

void ThreadedVoice::Run(const Factory& makeVoice) {
    std::unique_ptr<Voice> voice;
    try {
        voice = makeVoice();
    } catch (...) {
        ReportDone(nullptr, AsRuntimeError(std::current_exception()));
        return;
    }
    ReportDone(voice.get(), nullptr);
    for (;;) {
        Work work;
        {
            std::unique_lock lock(m_mutex);
            m_workArrived.wait(lock, [this] { return m_stopping || m_work.has_value(); });
            if (m_stopping) {
                break;
            }
            work = std::move(*m_work);
            m_work.reset();
        }
        try {
            voice->Speak(std::move(work.text), work.language);
            ReportDone(nullptr);
        } catch (...) {
            ReportDone(AsRuntimeError(std::current_exception()));
        }
    }
    {
        std::lock_guard lock(m_mutex);
        m_inner = nullptr;
    }
    voice.reset();  // on this thread, like every other call into the engine
}

void ThreadedVoice::ReportDone(Voice* made, std::exception_ptr makeError) {
    std::lock_guard lock(m_mutex);
    m_inner = made;
    m_makeError = std::move(makeError);
    Done();
}

void ThreadedVoice::ReportDone(std::exception_ptr error) {
    std::lock_guard lock(m_mutex);
    m_error = std::move(error);
    Done();
}

// With m_mutex held.
void ThreadedVoice::Done() {
    m_busy = false;
    if (m_waiting != nullptr) {
        m_waiting->Wake();
    }
    m_workDone.notify_all();
}

void ThreadedVoice::Prepare() {
    std::unique_lock lock(m_mutex);
    if (m_busy && m_inner == nullptr && !m_makeError) {
        WaitUntilDone(lock);
    }
    if (m_makeError) {
        std::rethrow_exception(m_makeError);
    }
}

void ThreadedVoice::Speak(std::string text, std::string_view language) {
    Prepare();
    std::unique_lock lock(m_mutex);
    if (m_busy) {
        throw RuntimeError(kSpeechFailed, kStillSpeaking);
    }
    m_busy = true;
    m_error = nullptr;
    m_work = Work{std::move(text), std::string(language)};
    m_workArrived.notify_one();
    WaitUntilDone(lock);
    if (m_error) {
        std::rethrow_exception(std::exchange(m_error, nullptr));
    }
}

void ThreadedVoice::Silence() {
    std::lock_guard lock(m_mutex);
    if (m_inner != nullptr) {
        m_inner->Silence();
    }
}

void ThreadedVoice::WaitUntilDone(std::unique_lock<std::mutex>& lock) {
    // A wait already under way (Speak from an event handled while Prepare waits) is not nested.
    std::unique_ptr<ThreadWait> waiting =
        m_makeWait && m_waiting == nullptr ? m_makeWait() : nullptr;
    if (waiting) {
        m_waiting = waiting.get();
        lock.unlock();
        waiting->Wait();
        lock.lock();
        m_waiting = nullptr;
    }
    // Also catches a wait that ended early because the program is quitting.
    m_workDone.wait(lock, [this] { return !m_busy; });
}

}  // namespace orlavo
