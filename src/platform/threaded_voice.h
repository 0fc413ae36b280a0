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

#include "platform/voice.h"

class QEventLoop;

namespace orlavo {

// Runs another voice on a worker thread of its own, so the window keeps repainting while an item
// is spoken. Speak still returns only when the item has been heard: meanwhile the calling thread
// runs a local event loop, so the window repaints and answers the person (the window itself holds
// back any command chosen meanwhile until the reading loop's next pump step); without a
// QCoreApplication, as in tests, it simply waits. The inner voice is
// created, used and destroyed on the worker thread only, which a speech engine that is not
// thread-safe needs.
class ThreadedVoice : public Voice {
  public:
    using Factory = std::function<std::unique_ptr<Voice>()>;

    // Creates the inner voice on the worker; an error doing so is rethrown here.
    explicit ThreadedVoice(Factory makeVoice);
    ~ThreadedVoice() override;
    ThreadedVoice(const ThreadedVoice&) = delete;
    ThreadedVoice& operator=(const ThreadedVoice&) = delete;

    // The inner voice's errors arrive here as RuntimeError. Calling Speak again while an item is
    // being spoken (from an event handled meanwhile) is an error rather than overlapping speech.
    void Speak(std::string_view text) override;

  private:
    void Run(const Factory& makeVoice);
    void ReportDone(std::exception_ptr error);
    void WaitUntilDone(std::unique_lock<std::mutex>& lock);

    std::mutex m_mutex;
    std::condition_variable m_workArrived;
    std::condition_variable m_workDone;
    std::optional<std::string> m_text;
    bool m_busy = false;
    bool m_stopping = false;
    std::exception_ptr m_error;
    QEventLoop* m_waitingLoop = nullptr;
    std::thread m_worker;
};

}  // namespace orlavo
