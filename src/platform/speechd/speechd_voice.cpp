#include "platform/speechd/speechd_voice.h"

#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <map>
#include <utility>

namespace orlavo {

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::chrono::milliseconds kHangupCheckInterval{250};

// speech-dispatcher reports the end of a message through a plain function told only the message
// and the client number, with no room for a pointer of ours; so the voices waiting are found by
// their client number in one table for the whole process.
struct Listeners {
    std::mutex mutex;
    std::map<std::size_t, SpeechDispatcherVoice*> voices;
};

Listeners& TheListeners() {
    static Listeners listeners;
    return listeners;
}

void OnMessageFinished(std::size_t messageId, std::size_t clientId, SPDNotificationType) {
    Listeners& listeners = TheListeners();
    std::lock_guard lock(listeners.mutex);
    const auto found = listeners.voices.find(clientId);
    if (found != listeners.voices.end()) {
        found->second->Finished(messageId);
    }
}

// Sending a request to a speech-dispatcher that has just gone away raises SIGPIPE, which would
// end the whole program. While a request is sent, this thread holds the signal back, and
// discards it afterwards.
class HoldBackBrokenPipe {
  public:
    HoldBackBrokenPipe() {
        sigemptyset(&m_brokenPipe);
        sigaddset(&m_brokenPipe, SIGPIPE);
        sigset_t pending;
        sigpending(&pending);
        m_alreadyPending = sigismember(&pending, SIGPIPE) == 1;
        pthread_sigmask(SIG_BLOCK, &m_brokenPipe, &m_previousMask);
    }
    ~HoldBackBrokenPipe() {
        sigset_t pending;
        sigpending(&pending);
        if (!m_alreadyPending && sigismember(&pending, SIGPIPE) == 1) {
            const timespec noWait{0, 0};
            sigtimedwait(&m_brokenPipe, nullptr, &noWait);
        }
        pthread_sigmask(SIG_SETMASK, &m_previousMask, nullptr);
    }
    HoldBackBrokenPipe(const HoldBackBrokenPipe&) = delete;
    HoldBackBrokenPipe& operator=(const HoldBackBrokenPipe&) = delete;

  private:
    sigset_t m_brokenPipe;
    sigset_t m_previousMask;
    bool m_alreadyPending = false;
};

// The longest speech-dispatcher may plausibly stay silent about a text: four bytes a second is
// slower than any synthesizer at its slowest rate, and five seconds more cover a synthesizer
// being started. Time the text waits behind other programs' speech is not foreseen.
Clock::duration Allowance(const std::string& text) {
    return std::chrono::seconds(5) + std::chrono::milliseconds(250) * text.size();
}

bool IsBlank(const std::string& text) {
    return text.find_first_not_of(" \t\r\n\f\v") == std::string::npos;
}

RuntimeError Failure(const std::string& message) {
    return RuntimeError(kSpeechFailed, message);
}

}  // namespace

SpeechDispatcherVoice::SpeechDispatcherVoice(std::string module) : m_module(std::move(module)) {}

SpeechDispatcherVoice::~SpeechDispatcherVoice() {
    Close();
}

void SpeechDispatcherVoice::Prepare() {
    if (m_connection != nullptr) {
        return;
    }
    try {
        Connect();
        UseModule();
    } catch (...) {
        Close();
        throw;
    }
}

void SpeechDispatcherVoice::Connect() {
    char* error = nullptr;
    // Starts speech-dispatcher when it is not running, as every client of the desktop's does.
    SPDConnection* connection =
        spd_open2("orlavo", "main", nullptr, SPD_MODE_THREADED, nullptr, 1, &error);
    std::free(error);
    if (connection == nullptr) {
        throw SpeechDispatcherUnreachable(
            "Speech Dispatcher is not running and cannot be started.");
    }
    m_connection = connection;
    // The socket is the library's own; a duplicate lets us notice it close without reading it.
    m_hangupWatch = dup(connection->socket);
    HoldBackBrokenPipe holdBack;
    const int clientId = spd_get_client_id(connection);
    if (clientId <= 0 || m_hangupWatch < 0) {
        throw Failure("Speech Dispatcher does not answer.");
    }
    m_clientId = static_cast<std::size_t>(clientId);
    {
        Listeners& listeners = TheListeners();
        std::lock_guard lock(listeners.mutex);
        listeners.voices[m_clientId] = this;
    }
    connection->callback_end = OnMessageFinished;
    connection->callback_cancel = OnMessageFinished;
    if (spd_set_notification_on(connection, SPD_END) != 0 ||
        spd_set_notification_on(connection, SPD_CANCEL) != 0 ||
        spd_set_data_mode(connection, SPD_DATA_TEXT) != 0) {
        throw Failure("Speech Dispatcher does not answer.");
    }
    char* language = spd_get_language(connection);
    m_desktopLanguage = language != nullptr ? language : "";
    std::free(language);
    m_language = m_desktopLanguage;
}

void SpeechDispatcherVoice::UseModule() {
    if (m_module.empty()) {
        return;
    }
    HoldBackBrokenPipe holdBack;
    char** modules = spd_list_modules(m_connection);
    if (modules == nullptr) {
        throw Failure("Speech Dispatcher does not say which speech synthesizers it has.");
    }
    bool installed = false;
    for (char** module = modules; *module != nullptr; ++module) {
        installed = installed || m_module == *module;
    }
    free_spd_modules(modules);
    if (!installed) {
        throw Failure("The speech synthesizer \"" + m_module +
                      "\" chosen for the desktop is not installed.");
    }
    if (spd_set_output_module(m_connection, m_module.c_str()) != 0) {
        throw Failure("Speech Dispatcher cannot use the speech synthesizer \"" + m_module + "\".");
    }
}

void SpeechDispatcherVoice::SetLanguage(std::string_view language) {
    // An empty language is the one the person set for speech-dispatcher.
    const std::string wanted = language.empty() ? m_desktopLanguage : std::string(language);
    if (wanted.empty() || wanted == m_language) {
        return;
    }
    HoldBackBrokenPipe holdBack;
    if (spd_set_language(m_connection, wanted.c_str()) != 0) {
        throw Failure("Speech Dispatcher does not accept the language \"" + wanted + "\".");
    }
    m_language = wanted;
}

void SpeechDispatcherVoice::Speak(std::string text, std::string_view language) {
    Prepare();
    if (IsBlank(text)) {
        return;
    }
    if (m_unresponsive) {
        throw Failure("Speech Dispatcher has stopped answering.");
    }
    if (ConnectionLost()) {
        throw Failure("The connection to Speech Dispatcher was lost.");
    }
    SetLanguage(language);
    {
        std::lock_guard lock(m_mutex);
        m_finished.clear();
        m_speaking = true;
        m_silenced = false;
    }
    int messageId = -1;
    {
        // As a message, the book's text waits for other programs' messages to be spoken instead
        // of being cancelled by them, as text of priority "text" would be.
        HoldBackBrokenPipe holdBack;
        messageId = spd_say(m_connection, SPD_MESSAGE, text.c_str());
    }
    const Outcome outcome = messageId < 0 ? Outcome::kRefused : AwaitEnd(messageId, text);
    switch (outcome) {
        case Outcome::kHeard:
            return;
        case Outcome::kSilenced: {
            // Sent from here rather than from Silence, so that a speech-dispatcher that stops
            // answering never holds up the thread that asked for silence. This also catches a
            // Silence that came before the text was queued.
            HoldBackBrokenPipe holdBack;
            spd_cancel(m_connection);
            return;
        }
        case Outcome::kRefused:
            throw Failure(ConnectionLost() ? "The connection to Speech Dispatcher was lost."
                                           : "Speech Dispatcher does not accept the text.");
        case Outcome::kLost:
            throw Failure("The connection to Speech Dispatcher was lost.");
        case Outcome::kOverdue:
            // A speech-dispatcher stuck on its synthesizer answers no further request either.
            m_unresponsive = true;
            throw Failure("Speech Dispatcher has stopped answering.");
    }
}

SpeechDispatcherVoice::Outcome SpeechDispatcherVoice::AwaitEnd(int messageId,
                                                               const std::string& text) {
    const Clock::time_point deadline = Clock::now() + Allowance(text);
    Outcome outcome = Outcome::kHeard;
    std::unique_lock lock(m_mutex);
    while (!m_finished.contains(static_cast<std::size_t>(messageId))) {
        if (m_silenced) {
            outcome = Outcome::kSilenced;
            break;
        }
        if (ConnectionLost()) {
            outcome = Outcome::kLost;
            break;
        }
        if (Clock::now() >= deadline) {
            outcome = Outcome::kOverdue;
            break;
        }
        m_changed.wait_for(lock, kHangupCheckInterval);
    }
    m_speaking = false;
    return outcome;
}

void SpeechDispatcherVoice::Silence() {
    {
        std::lock_guard lock(m_mutex);
        m_silenced = m_speaking;
    }
    m_changed.notify_all();
}

void SpeechDispatcherVoice::Finished(std::size_t messageId) {
    {
        std::lock_guard lock(m_mutex);
        m_finished.insert(messageId);
    }
    m_changed.notify_all();
}

bool SpeechDispatcherVoice::ConnectionLost() const {
    pollfd watch{m_hangupWatch, POLLRDHUP, 0};
    return m_hangupWatch < 0 ||
           (poll(&watch, 1, 0) > 0 && (watch.revents & (POLLRDHUP | POLLHUP | POLLERR)) != 0);
}

void SpeechDispatcherVoice::Close() {
    if (m_connection == nullptr) {
        return;
    }
    {
        Listeners& listeners = TheListeners();
        std::lock_guard lock(listeners.mutex);
        listeners.voices.erase(m_clientId);
    }
    {
        HoldBackBrokenPipe holdBack;
        // What the program was saying stops with it, rather than running on after it.
        if (!ConnectionLost() && !m_unresponsive) {
            spd_cancel(m_connection);
        }
        spd_close(m_connection);
    }
    if (m_hangupWatch >= 0) {
        close(m_hangupWatch);
        m_hangupWatch = -1;
    }
    m_connection = nullptr;
}

}  // namespace orlavo
