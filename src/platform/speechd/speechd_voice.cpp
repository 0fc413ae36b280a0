#include "platform/speechd/speechd_voice.h"

#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <map>
#include <memory>
#include <optional>
#include <thread>
#include <utility>

#include "platform/text/ascii.h"
#include "platform/text/utf8.h"

namespace orlavo {

namespace {

using SteadyClock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr std::chrono::milliseconds kHangupCheckInterval{250};
// The longest speech-dispatcher may take to answer one request, connecting included (which may
// start it). Its own replies come within milliseconds; the synthesizer's speech is not waited for.
constexpr SteadyClock::duration kAnswerBound = 5s;
// While a text waits to be spoken or is being spoken, speech-dispatcher is asked this often
// whether it still answers, so a stopped one is told within kProbeInterval + kAnswerBound.
constexpr SteadyClock::duration kProbeInterval = 2s;
// A screen reader's messages cancel an item of ours (text comes after its messages), and the item
// is said again after them. Someone typing fast beside a long item may cut it off this many times
// in a row; past that something keeps cancelling everything, and the item counts as spoken so
// reading goes on instead of starting the same item for ever.
constexpr int kMostInterruptions = 20;

// speech-dispatcher reports the events of a message through a plain function told only the
// message and the client number, with no room for a pointer of ours; so the voices waiting are
// found by their client number in one table for the whole process.
struct Listeners {
    std::mutex mutex;
    std::map<std::size_t, SpeechDispatcherVoice*> voices;
};

Listeners& TheListeners() {
    static Listeners listeners;
    return listeners;
}

void OnMessageEvent(std::size_t messageId, std::size_t clientId, SPDNotificationType type) {
    Listeners& listeners = TheListeners();
    std::lock_guard lock(listeners.mutex);
    const auto found = listeners.voices.find(clientId);
    if (found == listeners.voices.end()) {
        return;
    }
    if (type == SPD_EVENT_BEGIN) {
        found->second->Begun(messageId);
    } else if (type == SPD_EVENT_CANCEL) {
        found->second->Cancelled(messageId);
    } else {
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

// How long the text takes to say at the desktop's rate. Flite and espeak-ng say about fourteen
// characters a second at rate 0; speech-dispatcher's modules stretch speech up to three times at
// -100 (Flite's stretch) and speed it up to about twice at 100. Characters, not bytes, so that a
// Russian book is not given twice an English one's time.
SteadyClock::duration ExpectedSpeech(const std::string& text, int rate) {
    const std::size_t characters = utf8::CountCharacters(text);
    const double stretch = rate < 0 ? 1.0 - rate / 50.0 : 1.0 - rate / 200.0;
    return std::chrono::duration_cast<SteadyClock::duration>(
        std::chrono::duration<double>(static_cast<double>(characters) / 14.0 * stretch));
}

// The longest a synthesizer may plausibly take from beginning a text to ending it: half as long
// again as expected, for slower voices, and five seconds more for one being started.
SteadyClock::duration Allowance(const std::string& text, int rate) {
    return 5s + ExpectedSpeech(text, rate) * 3 / 2;
}

// The first value of speech-dispatcher's answer to a request ("245-7" gives "7"); empty when it
// refused or the connection ended. libspeechd's own getters read a missing answer as a string and
// crash, as they would on a connection cut for an overdue reply.
std::string Ask(SPDConnection* connection, const std::string& request) {
    char* answer = spd_send_data(connection, (request + "\r\n").c_str(), SPD_WAIT_REPLY);
    std::string value = answer != nullptr ? answer : "";
    std::free(answer);
    if (value.size() < 4 || value[0] != '2' || value[3] != '-') {
        return "";
    }
    return value.substr(4, value.find("\r\n") - 4);
}

RuntimeError Failure(const std::string& message) {
    return RuntimeError(kSpeechFailed, message);
}

// spd_open2 waits for speech-dispatcher's first reply with no limit, and a stopped
// speech-dispatcher still has its connections accepted by the kernel. So it runs on a thread of
// its own that the voice stops waiting for after kAnswerBound; a connection that comes too late
// is closed by that thread, which holds nothing of the voice's.
struct Opening {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    bool abandoned = false;
    SPDConnection* connection = nullptr;
};

// The connection, or nullptr when speech-dispatcher is not running and cannot be started; throws
// kStoppedAnswering when it does not answer in time.
SPDConnection* OpenWithin(SteadyClock::duration bound, std::string socketPath) {
    auto opening = std::make_shared<Opening>();
    std::thread([opening, socketPath = std::move(socketPath)]() mutable {
        SPDConnection* connection = nullptr;
        {
            // Also held back in the library's event thread, which inherits this thread's mask.
            HoldBackBrokenPipe holdBack;
            char* error = nullptr;
            // Starts speech-dispatcher when it is not running, as every client of the desktop's
            // does.
            SPDConnectionAddress address{SPD_METHOD_UNIX_SOCKET, socketPath.data(), nullptr, 0,
                                         nullptr};
            connection = spd_open2("orlavo", "main", nullptr, SPD_MODE_THREADED,
                                   socketPath.empty() ? nullptr : &address, 1, &error);
            std::free(error);
        }
        std::lock_guard lock(opening->mutex);
        if (opening->abandoned) {
            if (connection != nullptr) {
                spd_close(connection);
            }
            return;
        }
        opening->connection = connection;
        opening->finished = true;
        opening->done.notify_all();
    }).detach();
    std::unique_lock lock(opening->mutex);
    if (!opening->done.wait_for(lock, bound, [&] { return opening->finished; })) {
        opening->abandoned = true;
        throw Failure(kStoppedAnswering);
    }
    return opening->connection;
}

}  // namespace

// Watches the request under way on a connection from a thread of its own; when its reply is
// overdue, shuts the connection's socket down. libspeechd's reading thread then sees the
// connection end and wakes the request, which fails, as does every request after it.
class ReplyWatch {
  public:
    explicit ReplyWatch(int socket) : m_socket(socket), m_thread([this] { Run(); }) {}
    ~ReplyWatch() {
        {
            std::lock_guard lock(m_mutex);
            m_stopping = true;
        }
        m_changed.notify_all();
        m_thread.join();
    }
    ReplyWatch(const ReplyWatch&) = delete;
    ReplyWatch& operator=(const ReplyWatch&) = delete;

    // Runs the request unless the connection was cut before; false when it was, or is for this
    // request.
    template <typename Request>
    bool Within(SteadyClock::duration bound, Request&& request) {
        {
            std::lock_guard lock(m_mutex);
            if (m_cut) {
                return false;
            }
            m_deadline = SteadyClock::now() + bound;
            m_armed = true;
        }
        m_changed.notify_all();
        request();
        std::lock_guard lock(m_mutex);
        m_armed = false;
        return !m_cut;
    }

  private:
    void Run() {
        std::unique_lock lock(m_mutex);
        while (!m_stopping) {
            if (!m_armed) {
                m_changed.wait(lock);
            } else if (SteadyClock::now() < m_deadline) {
                m_changed.wait_until(lock, m_deadline);
            } else {
                shutdown(m_socket, SHUT_RDWR);
                m_cut = true;
                m_armed = false;
            }
        }
    }

    const int m_socket;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    SteadyClock::time_point m_deadline;
    bool m_armed = false;
    bool m_cut = false;
    bool m_stopping = false;
    std::thread m_thread;
};

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

template <typename Request>
void SpeechDispatcherVoice::Bounded(Request&& request) {
    HoldBackBrokenPipe holdBack;
    if (!m_replyWatch->Within(kAnswerBound, std::forward<Request>(request))) {
        // A speech-dispatcher stuck on its synthesizer answers no further request either.
        m_unresponsive = true;
        throw Failure(kStoppedAnswering);
    }
}

void SpeechDispatcherVoice::Connect() {
    SPDConnection* connection = OpenWithin(kAnswerBound, m_socketPath);
    if (connection == nullptr) {
        throw SpeechDispatcherUnreachable(
            "Speech Dispatcher is not running and cannot be started.");
    }
    m_connection = connection;
    // The socket is the library's own; a duplicate lets us notice it close without reading it,
    // and cut it when a reply is overdue without touching a number the library may have closed.
    m_hangupWatch = dup(connection->socket);
    if (m_hangupWatch < 0) {
        throw Failure("Speech Dispatcher does not answer.");
    }
    m_replyWatch = std::make_unique<ReplyWatch>(m_hangupWatch);
    std::string clientId;
    Bounded([&] { clientId = Ask(connection, "HISTORY GET CLIENT_ID"); });
    m_clientId = std::strtoul(clientId.c_str(), nullptr, 10);
    if (m_clientId == 0) {
        throw Failure("Speech Dispatcher does not answer.");
    }
    {
        Listeners& listeners = TheListeners();
        std::lock_guard lock(listeners.mutex);
        listeners.voices[m_clientId] = this;
    }
    connection->callback_begin = OnMessageEvent;
    connection->callback_end = OnMessageEvent;
    connection->callback_cancel = OnMessageEvent;
    bool refused = false;
    Bounded([&] {
        refused = spd_set_notification_on(connection, SPD_BEGIN) != 0 ||
                  spd_set_notification_on(connection, SPD_END) != 0 ||
                  spd_set_notification_on(connection, SPD_CANCEL) != 0 ||
                  spd_set_data_mode(connection, SPD_DATA_TEXT) != 0;
    });
    if (refused) {
        throw Failure("Speech Dispatcher does not answer.");
    }
    Bounded([&] { m_desktopLanguage = Ask(connection, "GET LANGUAGE"); });
    m_language = m_desktopLanguage;
}

void SpeechDispatcherVoice::UseModule() {
    if (m_module.empty()) {
        return;
    }
    char** modules = nullptr;
    Bounded([&] { modules = spd_list_modules(m_connection); });
    if (modules == nullptr) {
        throw Failure("Speech Dispatcher does not say which speech synthesizers it has.");
    }
    bool installed = false;
    for (char** module = modules; *module != nullptr; ++module) {
        installed = installed || m_module == *module;
    }
    free_spd_modules(modules);
    if (!installed && m_moduleChoice == ModuleChoice::kPreferred) {
        m_module.clear();  // speech-dispatcher's own choice, the one the screen reader speaks with
        return;
    }
    if (!installed) {
        throw Failure("The speech synthesizer \"" + m_module +
                      "\" chosen for the desktop is not installed.");
    }
    int refused = 0;
    Bounded([&] { refused = spd_set_output_module(m_connection, m_module.c_str()); });
    if (refused != 0) {
        throw Failure("Speech Dispatcher cannot use the speech synthesizer \"" + m_module + "\".");
    }
}

void SpeechDispatcherVoice::SetLanguage(std::string_view language) {
    // An empty language is the one the person set for speech-dispatcher.
    const std::string wanted = language.empty() ? m_desktopLanguage : std::string(language);
    if (wanted.empty() || wanted == m_language) {
        return;
    }
    int refused = 0;
    Bounded([&] { refused = spd_set_language(m_connection, wanted.c_str()); });
    if (refused != 0) {
        throw Failure("Speech Dispatcher does not accept the language \"" + wanted + "\".");
    }
    m_language = wanted;
}

void SpeechDispatcherVoice::Speak(std::string text, std::string_view language) {
    Prepare();
    if (ascii::IsAllWhitespace(text) || Silenced()) {
        return;
    }
    if (m_unresponsive) {
        throw Failure(kStoppedAnswering);
    }
    if (ConnectionLost()) {
        throw Failure("The connection to Speech Dispatcher was lost.");
    }
    SetLanguage(language);
    {
        std::lock_guard lock(m_mutex);
        m_begun.clear();
        m_finished.clear();
        m_cancelled.clear();
    }
    for (int interruptions = 0;; ++interruptions) {
        if (Silenced()) {
            return;
        }
        // As text, the book waits behind a screen reader's messages and is cut off by them rather
        // than talking over them or holding them back; an item cut off is said again after them.
        int messageId = -1;
        Bounded([&] { messageId = spd_say(m_connection, SPD_TEXT, text.c_str()); });
        const Outcome outcome = messageId < 0 ? Outcome::kRefused : AwaitEnd(messageId, text);
        if (outcome == Outcome::kInterrupted && interruptions < kMostInterruptions) {
            continue;
        }
        Conclude(outcome);
        return;
    }
}

void SpeechDispatcherVoice::Conclude(Outcome outcome) {
    switch (outcome) {
        case Outcome::kHeard:
        case Outcome::kInterrupted:
            return;
        case Outcome::kSilenced:
            // Sent from here rather than from Silence, so that a speech-dispatcher that stops
            // answering never holds up the thread that asked for silence. This also catches a
            // Silence that came while the text was being sent.
            try {
                Bounded([&] { spd_cancel(m_connection); });
            } catch (const RuntimeError&) {
                // Silence was asked for, and a speech-dispatcher that no longer answers says
                // nothing more of ours either.
            }
            return;
        case Outcome::kRefused:
            throw Failure(ConnectionLost() ? "The connection to Speech Dispatcher was lost."
                                           : "Speech Dispatcher does not accept the text.");
        case Outcome::kLost:
            throw Failure("The connection to Speech Dispatcher was lost.");
        case Outcome::kOverdue:
            m_unresponsive = true;
            throw Failure(m_module.empty()
                              ? "The speech synthesizer stopped speaking."
                              : "The speech synthesizer \"" + m_module + "\" stopped speaking.");
    }
}

// Waits for the end of the message. The allowance for the synthesizer starts when it begins the
// text: before that the text may wait behind another program's long speech, and all that is
// asked meanwhile is that speech-dispatcher still answers.
SpeechDispatcherVoice::Outcome SpeechDispatcherVoice::AwaitEnd(int messageId,
                                                               const std::string& text) {
    const auto id = static_cast<std::size_t>(messageId);
    std::optional<SteadyClock::time_point> deadline;
    SteadyClock::time_point nextProbe = SteadyClock::now() + kProbeInterval;
    std::unique_lock lock(m_mutex);
    while (!m_finished.contains(id)) {
        // Our own silence first: the cancel it brings is final, never an interruption.
        if (m_silenced) {
            return Outcome::kSilenced;
        }
        if (m_cancelled.contains(id)) {
            return Outcome::kInterrupted;
        }
        if (ConnectionLost()) {
            return Outcome::kLost;
        }
        const SteadyClock::time_point now = SteadyClock::now();
        if (!deadline && m_begun.contains(id)) {
            deadline = now + Allowance(text, m_rate);
        }
        if (deadline && now >= *deadline) {
            return Outcome::kOverdue;
        }
        if (now >= nextProbe) {
            lock.unlock();
            // A request speech-dispatcher answers itself, without its synthesizer.
            std::string module;
            Bounded([&] { module = Ask(m_connection, "GET OUTPUT_MODULE"); });
            lock.lock();
            if (module.empty()) {
                return Outcome::kLost;
            }
            nextProbe = SteadyClock::now() + kProbeInterval;
            continue;
        }
        SteadyClock::time_point wake = std::min(nextProbe, now + kHangupCheckInterval);
        if (deadline) {
            wake = std::min(wake, *deadline);
        }
        m_changed.wait_until(lock, wake);
    }
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

void SpeechDispatcherVoice::Cancelled(std::size_t messageId) {
    {
        std::lock_guard lock(m_mutex);
        m_cancelled.insert(messageId);
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
    // What the program was saying stops with it, rather than running on after it.
    if (m_replyWatch && !ConnectionLost() && !m_unresponsive) {
        try {
            Bounded([&] { spd_cancel(m_connection); });
        } catch (const RuntimeError&) {
            // Nothing more can be said to it.
        }
    }
    m_replyWatch.reset();
    {
        HoldBackBrokenPipe holdBack;
        // A connection that ended was closed by libspeechd's reading thread already; spd_close
        // closing its number again could close another file of the program's that took it.
        if (m_connection->stream == nullptr) {
            m_connection->socket = -1;
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
