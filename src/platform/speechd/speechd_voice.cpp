#include "platform/speechd/speechd_voice.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <stop_token>
#include <utility>

#include "platform/speechd/message_events.h"
#include "platform/speechd/speech_watchdog.h"
#include "platform/speechd/ssml_text.h"
#include "platform/text/ascii.h"
#include "platform/text/words.h"
#include "platform/voice_failure.h"

namespace orlavo {

namespace {

using SteadyClock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr std::chrono::milliseconds kHangupCheckInterval{250};
// While a text waits to be spoken or is being spoken, speech-dispatcher is asked this often
// whether it still answers, and its synthesizer looked at, so a stopped one is told within
// kProbeInterval + SpeechDispatcherConnection::kAnswerBound.
constexpr SteadyClock::duration kProbeInterval = 2s;
// A screen reader's messages cancel an item of ours (text comes after its messages), and the item
// is said again after them. Someone typing fast beside a long item may cut it off this many times
// in a row; past that something keeps cancelling everything, and the item counts as spoken so
// reading goes on instead of starting the same item for ever.
constexpr int kMostInterruptions = 20;

RuntimeError Failure(const std::string& message) {
    return RuntimeError(kSpeechFailed, message);
}

}  // namespace

SpeechDispatcherVoice::SpeechDispatcherVoice(std::string module, int rate, std::string socketPath,
                                             ModuleChoice choice)
    : m_module(std::move(module)),
      m_rate(rate),
      m_socketPath(std::move(socketPath)),
      m_moduleChoice(choice) {}

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

// Runs a request on the connection and gives its result. The request may outlive the call when
// speech-dispatcher does not answer, so it holds copies of what it uses, never references.
template <typename T, typename Request>
T SpeechDispatcherVoice::Result(Request request) {
    auto value = std::make_shared<T>();
    try {
        m_connection->Run(
            [value, request](SPDConnection* connection) { *value = request(connection); });
    } catch (const RuntimeError&) {
        // A speech-dispatcher stuck on its synthesizer answers no further request either.
        m_unresponsive = true;
        throw;
    }
    return *value;
}

void SpeechDispatcherVoice::Connect() {
    m_connection = std::make_unique<SpeechDispatcherConnection>(m_socketPath);
    m_clientId = std::strtoul(m_connection->Ask("HISTORY GET CLIENT_ID").c_str(), nullptr, 10);
    if (m_clientId == 0) {
        throw Failure(speechd_failures::kStoppedAnswering);
    }
    message_events::Listen(m_clientId, this);
    const bool refused = Result<bool>([](SPDConnection* connection) {
        message_events::Route(connection);
        return spd_set_notification_on(connection, SPD_BEGIN) != 0 ||
               spd_set_notification_on(connection, SPD_END) != 0 ||
               spd_set_notification_on(connection, SPD_CANCEL) != 0 ||
               spd_set_notification_on(connection, SPD_INDEX_MARKS) != 0 ||
               spd_set_data_mode(connection, SPD_DATA_SSML) != 0;
    });
    if (refused) {
        throw Failure(speechd_failures::kStoppedAnswering);
    }
    m_desktopLanguage = m_connection->Ask("GET LANGUAGE");
    m_language = m_desktopLanguage;
}

void SpeechDispatcherVoice::UseModule() {
    if (m_module.empty()) {
        return;
    }
    const std::string wanted = m_module;
    const int installed = Result<int>([wanted](SPDConnection* connection) {
        char** modules = spd_list_modules(connection);
        if (modules == nullptr) {
            return -1;
        }
        bool found = false;
        for (char** module = modules; *module != nullptr; ++module) {
            found = found || wanted == *module;
        }
        free_spd_modules(modules);
        return found ? 1 : 0;
    });
    if (installed < 0) {
        throw Failure(speechd_failures::kNoModuleList);
    }
    if (!installed && m_moduleChoice == ModuleChoice::kPreferred) {
        m_module.clear();  // speech-dispatcher's own choice, the one the screen reader speaks with
        return;
    }
    if (!installed) {
        throw Failure(speechd_failures::ModuleMissing(m_module));
    }
    if (Result<int>([wanted](SPDConnection* connection) {
            return spd_set_output_module(connection, wanted.c_str());
        }) != 0) {
        throw Failure(speechd_failures::ModuleRefused(m_module));
    }
}

void SpeechDispatcherVoice::SetLanguage(std::string_view language) {
    // An empty language is the one the person set for speech-dispatcher.
    const std::string wanted = language.empty() ? m_desktopLanguage : std::string(language);
    if (wanted.empty() || wanted == m_language) {
        return;
    }
    if (Result<int>([wanted](SPDConnection* connection) {
            return spd_set_language(connection, wanted.c_str());
        }) != 0) {
        throw Failure(speechd_failures::LanguageRefused(wanted));
    }
    m_language = wanted;
}

Spoken SpeechDispatcherVoice::Speak(std::string text, std::string_view language,
                                    const Listening& listening) {
    Prepare();
    if (ascii::IsAllWhitespace(text) || Silenced()) {
        return Spoken::kWhole;
    }
    if (m_unresponsive || m_connection->Unresponsive()) {
        throw Failure(speechd_failures::kStoppedAnswering);
    }
    if (ConnectionLost()) {
        throw Failure(speechd_failures::kConnectionLost);
    }
    SetLanguage(language);
    {
        std::lock_guard lock(m_mutex);
        m_begun.clear();
        m_finished.clear();
        m_cancelled.clear();
        m_marks.clear();
        m_cut = false;
    }
    const std::stop_callback cutting(listening.cut, [this] {
        {
            std::lock_guard lock(m_mutex);
            m_cut = true;
        }
        m_changed.notify_all();
    });
    const std::string ssml = AsSsml(text, static_cast<bool>(listening.wordHeard));
    for (int interruptions = 0;; ++interruptions) {
        if (Silenced()) {
            return Spoken::kWhole;
        }
        // Cut before it was sent (or again): nothing of it is heard.
        if (listening.cut.stop_requested()) {
            return Spoken::kCut;
        }
        // As text, the book waits behind a screen reader's messages and is cut off by them rather
        // than talking over them or holding them back; an item cut off is said again after them.
        const int messageId = Result<int>([ssml](SPDConnection* connection) {
            return spd_say(connection, SPD_TEXT, ssml.c_str());
        });
        const Outcome outcome =
            messageId < 0 ? Outcome::kRefused : AwaitEnd(messageId, text, listening);
        if (outcome == Outcome::kInterrupted && interruptions < kMostInterruptions) {
            continue;
        }
        return Conclude(outcome);
    }
}

Spoken SpeechDispatcherVoice::Conclude(Outcome outcome) {
    switch (outcome) {
        case Outcome::kHeard:
        case Outcome::kInterrupted:
            return Spoken::kWhole;
        case Outcome::kCut:
            Cancel();
            return Spoken::kCut;
        case Outcome::kSilenced:
            Cancel();
            return Spoken::kWhole;
        case Outcome::kRefused:
            throw Failure(ConnectionLost() ? speechd_failures::kConnectionLost
                                           : speechd_failures::kTextRefused);
        case Outcome::kLost:
            throw Failure(speechd_failures::kConnectionLost);
        case Outcome::kOverdue:
            m_unresponsive = true;
            throw Failure(speechd_failures::StoppedSpeaking(m_module));
    }
    return Spoken::kWhole;
}

// Sent from here rather than from Silence or the cut, so that a speech-dispatcher that stops
// answering never holds up the thread that asked for silence. This also catches a Silence that
// came while the text was being sent.
void SpeechDispatcherVoice::Cancel() {
    try {
        Result<int>([](SPDConnection* connection) { return spd_cancel(connection); });
    } catch (const RuntimeError&) {
        // Silence was asked for, and a speech-dispatcher that no longer answers says nothing more
        // of ours either.
    }
}

// Waits for the end of the message, asking speech-dispatcher every kProbeInterval whether it still
// answers and which synthesizer it speaks with, for the watchdog to look at. Before the text
// begins it may wait behind another program's long speech, which is no fault.
SpeechDispatcherVoice::Outcome SpeechDispatcherVoice::AwaitEnd(int messageId,
                                                               const std::string& text,
                                                               const Listening& listening) {
    const auto id = static_cast<std::size_t>(messageId);
    SpeechWatchdog watchdog(m_connection->Peer(), text, m_rate);
    bool begun = false;
    SteadyClock::time_point nextProbe = SteadyClock::now() + kProbeInterval;
    std::unique_lock lock(m_mutex);
    // The words reached so far, told on this thread with the lock let go.
    const auto tellWords = [&] {
        while (!m_marks.empty()) {
            const auto [message, begin] = m_marks.front();
            m_marks.pop_front();
            if (message == id && begin < text.size() && listening.wordHeard) {
                lock.unlock();
                listening.wordHeard(begin, words::End(text, begin));
                lock.lock();
            }
        }
    };
    while (!m_finished.contains(id)) {
        tellWords();
        // Our own silence first: the cancel it brings is final, never an interruption.
        if (m_silenced) {
            return Outcome::kSilenced;
        }
        if (m_cut) {
            return Outcome::kCut;
        }
        if (m_cancelled.contains(id)) {
            return Outcome::kInterrupted;
        }
        if (ConnectionLost()) {
            return Outcome::kLost;
        }
        const SteadyClock::time_point now = SteadyClock::now();
        if (!begun && m_begun.contains(id)) {
            begun = true;
            watchdog.Begun(now);
        }
        if (watchdog.Deadline() && now >= *watchdog.Deadline()) {
            return Outcome::kOverdue;
        }
        if (now >= nextProbe) {
            lock.unlock();
            // A request speech-dispatcher answers itself, without its synthesizer.
            const std::string module = m_connection->Ask("GET OUTPUT_MODULE");
            const bool goesOn = module.empty() || watchdog.GoesOn(SteadyClock::now(), module);
            lock.lock();
            if (module.empty()) {
                return Outcome::kLost;
            }
            if (!goesOn && !m_finished.contains(id)) {
                return Outcome::kOverdue;
            }
            nextProbe = SteadyClock::now() + kProbeInterval;
            continue;
        }
        SteadyClock::time_point wake = std::min(nextProbe, now + kHangupCheckInterval);
        if (watchdog.Deadline()) {
            wake = std::min(wake, *watchdog.Deadline());
        }
        m_changed.wait_until(lock, wake);
    }
    tellWords();
    return Outcome::kHeard;
}

bool SpeechDispatcherVoice::Silenced() {
    std::lock_guard lock(m_mutex);
    return m_silenced;
}

void SpeechDispatcherVoice::Silence() {
    {
        std::lock_guard lock(m_mutex);
        m_silenced = true;
    }
    m_changed.notify_all();
}

void SpeechDispatcherVoice::Begun(std::size_t messageId) {
    {
        std::lock_guard lock(m_mutex);
        m_begun.insert(messageId);
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

void SpeechDispatcherVoice::Marked(std::size_t messageId, const char* mark) {
    char* end = nullptr;
    const unsigned long long begin = std::strtoull(mark, &end, 10);
    if (end == mark || *end != '\0') {
        return;  // not one of ours
    }
    {
        std::lock_guard lock(m_mutex);
        m_marks.emplace_back(messageId, static_cast<std::size_t>(begin));
    }
    m_changed.notify_all();
}

void SpeechDispatcherVoice::Cancelled(std::size_t messageId) {
    {
        std::lock_guard lock(m_mutex);
        m_cancelled.insert(messageId);
    }
    m_changed.notify_all();
}

bool SpeechDispatcherVoice::ConnectionLost() const {
    return m_connection->Lost();
}

void SpeechDispatcherVoice::Close() {
    if (m_connection == nullptr) {
        return;
    }
    message_events::Forget(m_clientId);
    // What the program was saying stops with it, rather than running on after it.
    if (!ConnectionLost() && !m_unresponsive && !m_connection->Unresponsive()) {
        Cancel();
    }
    m_connection.reset();
}

}  // namespace orlavo
