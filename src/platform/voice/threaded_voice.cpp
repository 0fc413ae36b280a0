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
        Listening listening{.wordHeard = {}, .cut = work.cut};
        if (work.followed) {
            listening.wordHeard = [this](std::size_t begin, std::size_t end) {
                ReportWord({begin, end});
            };
        }
        try {
            ReportDone(voice->Speak(std::move(work.text), work.language, listening), nullptr);
        } catch (...) {
            ReportDone(Spoken::kWhole, AsRuntimeError(std::current_exception()));
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

void ThreadedVoice::ReportDone(Spoken spoken, std::exception_ptr error) {
    std::lock_guard lock(m_mutex);
    m_spoken = spoken;
    m_error = std::move(error);
    Done();
}

void ThreadedVoice::ReportWord(Word word) {
    std::lock_guard lock(m_mutex);
    m_heard = word;
    WakeCaller();
}

// With m_mutex held.
void ThreadedVoice::Done() {
    m_busy = false;
    WakeCaller();
}

// With m_mutex held.
void ThreadedVoice::WakeCaller() {
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

Spoken ThreadedVoice::Speak(std::string text, std::string_view language,
                            const Listening& listening) {
    Prepare();
    std::unique_lock lock(m_mutex);
    if (m_busy) {
        throw RuntimeError(kSpeechFailed, kStillSpeaking);
    }
    m_busy = true;
    m_error = nullptr;
    m_heard.reset();
    m_work = Work{std::move(text), std::string(language), listening.cut,
                  static_cast<bool>(listening.wordHeard)};
    m_workArrived.notify_one();
    WaitUntilDone(lock, listening.wordHeard);
    if (m_error) {
        std::rethrow_exception(std::exchange(m_error, nullptr));
    }
    return m_spoken;
}

void ThreadedVoice::Silence() {
    std::lock_guard lock(m_mutex);
    if (m_inner != nullptr) {
        m_inner->Silence();
    }
}

void ThreadedVoice::WaitUntilDone(std::unique_lock<std::mutex>& lock,
                                  const std::function<void(std::size_t, std::size_t)>& wordHeard) {
    for (;;) {
        if (m_heard && wordHeard) {
            const Word word = *std::exchange(m_heard, std::nullopt);
            lock.unlock();
            wordHeard(word.begin, word.end);
            lock.lock();
            continue;
        }
        if (!m_busy) {
            return;
        }
        // A wait already under way (Speak from an event handled while Prepare waits) is not
        // nested. Each wait lasts until the next word or the end.
        std::unique_ptr<ThreadWait> waiting =
            m_makeWait && m_waiting == nullptr ? m_makeWait() : nullptr;
        if (waiting) {
            m_waiting = waiting.get();
            lock.unlock();
            waiting->Wait();
            lock.lock();
            m_waiting = nullptr;
            if (m_busy && !(m_heard && wordHeard)) {
                // Not woken: the wait ended early because the program is quitting.
                m_workDone.wait(lock, [this] { return !m_busy; });
            }
        } else {
            m_workDone.wait(lock, [&] { return !m_busy || (m_heard && wordHeard); });
        }
    }
}

}  // namespace orlavo
