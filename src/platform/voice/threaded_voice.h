#pragma once

#include <condition_variable>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>
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
// it simply blocks. Each word the inner voice hears is handed to the caller's own thread during
// that wait; a word heard while the caller is busy with an earlier one gives way to the later one,
// since only the word heard now matters. The inner voice is made, used and destroyed on the worker
// only, which a speech engine that is not thread-safe needs; only its Silence, and the cut of the
// text, come from the caller's thread.
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
    Spoken Speak(std::string text, std::string_view language, const Listening& listening) override;
    void Silence() override;

  private:
    struct Work {
        std::string text;
        std::string language;
        std::stop_token cut;
        bool followed = false;  // whether the caller follows the words
    };
    struct Word {
        std::size_t begin = 0;
        std::size_t end = 0;
    };

    void Run(const Factory& makeVoice);
    // The inner voice made, or why it could not be.
    void ReportDone(Voice* made, std::exception_ptr makeError);
    void ReportDone(Spoken spoken, std::exception_ptr error);
    void ReportWord(Word word);
    void Done();
    void WakeCaller();
    // Waits until the worker is done, handing each word heard meanwhile to `wordHeard`.
    void WaitUntilDone(std::unique_lock<std::mutex>& lock,
                       const std::function<void(std::size_t, std::size_t)>& wordHeard = {});

    std::mutex m_mutex;
    std::condition_variable m_workArrived;
    std::condition_variable m_workDone;
    std::optional<Work> m_work;
    std::optional<Word> m_heard;  // the latest word heard, until the caller takes it
    Spoken m_spoken = Spoken::kWhole;
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
