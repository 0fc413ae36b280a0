#pragma once

#include <libspeechd.h>

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <set>
#include <string>
#include <string_view>

#include "platform/runtime_error.h"
#include "platform/voice.h"

namespace orlavo {

// speech-dispatcher is not running and could not be started: the desktop has no speech service
// of its own, and the program speaks with its own voice instead. Every other failure of
// SpeechDispatcherVoice is a plain RuntimeError, to be shown to the person.
class SpeechDispatcherUnreachable : public RuntimeError {
  public:
    explicit SpeechDispatcherUnreachable(const std::string& message)
        : RuntimeError(kSpeechFailed, message) {}
};

// The desktop's own speech service, speech-dispatcher, as the program's voice: the items of the
// book go in as text with their language, and speech-dispatcher speaks them with the synthesizer
// the person chose, at the rate, pitch, volume and voice type of the same configuration, which it
// applies itself. Speak waits for speech-dispatcher to report the end of the text. Made by the
// program's start-up code for people who use speech-dispatcher; Prepare and Speak belong to one
// thread (ThreadedVoice's worker), Silence may come from any other.
class SpeechDispatcherVoice : public Voice {
  public:
    // `module` is the synthesizer the person chose (DefaultModule); empty leaves the choice to
    // speech-dispatcher.
    explicit SpeechDispatcherVoice(std::string module);
    ~SpeechDispatcherVoice() override;
    SpeechDispatcherVoice(const SpeechDispatcherVoice&) = delete;
    SpeechDispatcherVoice& operator=(const SpeechDispatcherVoice&) = delete;

    // Connects, starting speech-dispatcher if it is not running. Throws
    // SpeechDispatcherUnreachable when it cannot be reached at all, and RuntimeError(kSpeechFailed)
    // when it answers but cannot speak as chosen (the synthesizer is not installed).
    void Prepare() override;
    // Throws RuntimeError(kSpeechFailed) when the connection is lost or speech-dispatcher stays
    // silent about the text well past the time it could take to speak; the voice is of no
    // further use then. Text another program cancels counts as spoken.
    void Speak(std::string text, std::string_view language) override;
    // Never waits for speech-dispatcher: the Speak under way sends the cancellation.
    void Silence() override;

    // Called by speech-dispatcher's event thread when a message has ended or was cancelled.
    void Finished(std::size_t messageId);

  private:
    enum class Outcome { kHeard, kSilenced, kRefused, kLost, kOverdue };

    void Connect();
    void UseModule();
    void SetLanguage(std::string_view language);
    Outcome AwaitEnd(int messageId, const std::string& text);
    bool ConnectionLost() const;
    void Close();

    std::string m_module;
    SPDConnection* m_connection = nullptr;
    std::size_t m_clientId = 0;
    int m_hangupWatch = -1;  // our own handle on the connection's socket, to notice it close
    std::string m_desktopLanguage;
    std::string m_language;  // the language last set for the connection
    bool m_unresponsive = false;

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::set<std::size_t> m_finished;
    bool m_speaking = false;
    bool m_silenced = false;
};

}  // namespace orlavo
