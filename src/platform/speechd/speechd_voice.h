#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <string_view>
#include <utility>

#include "platform/speechd/speechd_connection.h"
#include "platform/voice.h"

namespace orlavo {

class SpeechDispatcherConnection;

// The desktop's own speech service, speech-dispatcher, as the program's voice: the items of the
// book go in as text with their language, and speech-dispatcher speaks them with the synthesizer
// the person chose, at the rate, pitch, volume and voice type of the same configuration, which it
// applies itself. Speak waits for speech-dispatcher to report the end of the text. Made by the
// program's start-up code for people who use speech-dispatcher; Prepare and Speak belong to one
// thread (ThreadedVoice's worker), Silence may come from any other.
//
// The book's items go in as text, the priority below a screen reader's messages: a message that
// comes while an item is spoken or waits cuts the item off, and the item is said again after it,
// so the person hears the screen reader alone and then the whole item. They go in as SSML with an
// index mark before each word, which synthesizers that report marks (espeak-ng's module) say back
// as each word is heard; the others (Flite, generic modules) say nothing, and no word is told.
//
// No request waits on speech-dispatcher for ever (SpeechDispatcherConnection bounds each one), and
// while a text waits or is spoken speech-dispatcher is asked every few seconds whether it still
// answers, and its synthesizer watched (SpeechWatchdog): one that was stopped, is stuck or ended
// is told within ten seconds, whether before, while or after it speaks a text of ours, and a slow
// voice is never cut.
class SpeechDispatcherVoice : public Voice {
  public:
    // Whether the voice may read without `module`: a synthesizer the person named must be there,
    // one the program merely prefers gives way to speech-dispatcher's own choice.
    enum class ModuleChoice { kRequired, kPreferred };

    // `module` is the synthesizer the person chose (DefaultModule); empty leaves the choice to
    // speech-dispatcher.
    // `rate` is the desktop's DefaultRate (-100 ... 100), which speech-dispatcher applies itself;
    // it tells how long a text may take to be spoken. `socketPath` names the Unix socket of a
    // particular speech-dispatcher; empty means the desktop's (SPEECHD_ADDRESS, or the default).
    explicit SpeechDispatcherVoice(std::string module, int rate = 0, std::string socketPath = {},
                                   ModuleChoice choice = ModuleChoice::kRequired);
    ~SpeechDispatcherVoice() override;
    SpeechDispatcherVoice(const SpeechDispatcherVoice&) = delete;
    SpeechDispatcherVoice& operator=(const SpeechDispatcherVoice&) = delete;

    // Connects, starting speech-dispatcher if it is not running. Throws
    // SpeechDispatcherUnreachable when it cannot be reached at all, and RuntimeError(kSpeechFailed)
    // when it stops answering or cannot speak as chosen (the synthesizer is not installed).
    void Prepare() override;
    // Throws RuntimeError(kSpeechFailed) when the connection is lost, speech-dispatcher stops
    // answering, or its synthesizer stopped or ended; the voice is of no further use then. Text
    // another program's message cuts off is sent again, up to a bound past which it counts as
    // spoken. A cut cancels the text and leaves the voice ready for the next.
    Spoken Speak(std::string text, std::string_view language, const Listening& listening) override;
    // Never waits for speech-dispatcher: the Speak under way cancels its text. For good: every
    // later Speak returns at once without sending anything, so nothing is heard once the program
    // has asked for silence, even from an item it was about to send.
    void Silence() override;

    // Called by speech-dispatcher's event thread when a message began, ended or was cancelled,
    // or reached one of its index marks.
    void Begun(std::size_t messageId);
    void Finished(std::size_t messageId);
    void Cancelled(std::size_t messageId);
    void Marked(std::size_t messageId, const char* mark);

  private:
    enum class Outcome { kHeard, kInterrupted, kCut, kSilenced, kRefused, kLost, kOverdue };

    void Connect();
    template <typename T, typename Request>
    T Result(Request request);
    void UseModule();
    void SetLanguage(std::string_view language);
    Outcome AwaitEnd(int messageId, const std::string& text, const Listening& listening);
    // Returns or throws as the text's last outcome asks.
    Spoken Conclude(Outcome outcome);
    void Cancel();
    bool ConnectionLost() const;
    bool Silenced();
    void Close();

    std::string m_module;
    int m_rate = 0;
    std::string m_socketPath;
    ModuleChoice m_moduleChoice;
    std::unique_ptr<SpeechDispatcherConnection> m_connection;
    std::size_t m_clientId = 0;
    std::string m_desktopLanguage;
    std::string m_language;  // the language last set for the connection
    bool m_unresponsive = false;

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::set<std::size_t> m_begun;
    std::set<std::size_t> m_finished;
    std::set<std::size_t> m_cancelled;
    // The marks reached, as (message, byte offset of the word) in the order they came.
    std::deque<std::pair<std::size_t, std::size_t>> m_marks;
    bool m_cut = false;  // the text under way was cut
    bool m_silenced = false;
};

}  // namespace orlavo
