#pragma once

#include <condition_variable>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

#include "platform/thread_wait.h"
#include "platform/voice.h"

namespace orlavo {

// Runs another voice on a worker thread of its own, so the window keeps repainting and answering
// while the voice is made (a sound server may take seconds to answer) and while an item is
// spoken. Prepare and Speak still return only when their work is done: meanwhile the calling
// thread waits as `makeWait` says (the window's thread running the window's events); without it,
// it simply blocks. The inner voice is made, used and destroyed on the worker only, which a speech
// engine that is not thread-safe needs; only its Silence is called from the caller's thread.
class ThreadedVoice : public Voice {
  public:
    using Factory = std::function<std::unique_ptr<Voice>()>;

    // Starts making the inner voice on the worker and returns at once.
    explicit ThreadedVoice(Factory makeVoice, ThreadWaitFactory makeWait = {});
    ~ThreadedVoice() override;
    ThreadedVoice(const ThreadedVoice&) = delete;
    ThreadedVoice& operator=(const ThreadedVoice&) = delete;

    // Waits until the inner voice is made; an error making it is raised here, every time.
    void Prepare() override;
    // The inner voice's errors arrive here as RuntimeError. Calling Speak again while an item is
    // being spoken (from an event handled meanwhile) is an error rather than overlapping speech.
    void Speak(std::string text, std::string_view language) override;
    void Silence() override;

  private:
    struct Work {
        std::string text;
        std::string language;
    };

    void Run(const Factory& makeVoice);
    // The inner voice made, or why it could not be.
    void ReportDone(Voice* made, std::exception_ptr makeError);
    void ReportDone(std::exception_ptr error);
    void Done();
    void WaitUntilDone(std::unique_lock<std::mutex>& lock);

    std::mutex m_mutex;
    std::condition_variable m_workArrived;
    std::condition_variable m_workDone;
    std::optional<Work> m_work;
    bool m_busy = true;  // making the inner voice is the first piece of work
    bool m_stopping = false;
    std::exception_ptr m_error;
    std::exception_ptr m_makeError;
    Voice* m_inner = nullptr;
    ThreadWaitFactory m_makeWait;
    ThreadWait* m_waiting = nullptr;  // while the caller waits, if it has a way of its own
    std::thread m_worker;
};

}  // namespace orlavo
