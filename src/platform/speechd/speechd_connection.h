#pragma once

#include <libspeechd.h>
#include <sys/types.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "platform/runtime_error.h"

namespace orlavo {

// speech-dispatcher is not running and could not be started: the desktop has no speech service
// of its own, and the program speaks with its own voice instead. Every other failure of the
// speech-dispatcher voice is a plain RuntimeError, to be shown to the person.
class SpeechDispatcherUnreachable : public RuntimeError {
  public:
    explicit SpeechDispatcherUnreachable(const std::string& message)
        : RuntimeError(kSpeechFailed, message) {}
};

// One connection to speech-dispatcher through libspeechd, every request of it bounded.
//
// libspeechd waits for speech-dispatcher's replies with no limit, and on a connection that breaks
// between two requests it may miss the end of the connection and wait for ever. So every request
// runs on a thread of the connection's own, and the caller waits for it at most kAnswerBound.
// A request that overran cuts the connection's socket, so libspeechd's own reading thread ends
// whatever it still waits for; when even that does not free the request thread, the connection
// is left to it and never touched again (a few kilobytes, once per failure).
class SpeechDispatcherConnection {
  public:
    // The longest speech-dispatcher may take to answer one request, connecting included (which
    // may start it). Its own replies come within milliseconds; speech itself is not waited for.
    static constexpr std::chrono::seconds kAnswerBound{5};

    // Connects to the speech-dispatcher at `socketPath` (empty: the desktop's), starting it if it
    // is not running. Throws SpeechDispatcherUnreachable when there is none and none can be
    // started, RuntimeError(kSpeechFailed) when it does not answer.
    explicit SpeechDispatcherConnection(const std::string& socketPath);
    ~SpeechDispatcherConnection();
    SpeechDispatcherConnection(const SpeechDispatcherConnection&) = delete;
    SpeechDispatcherConnection& operator=(const SpeechDispatcherConnection&) = delete;

    // Runs `request` on the connection. Throws kStoppedAnswering when it did not return within
    // kAnswerBound, or when an earlier request did not; the connection is of no use after that.
    void Run(const std::function<void(SPDConnection*)>& request);
    // The first value of the answer to a plain SSIP request ("245-7" gives "7"); empty when it
    // was refused or the connection ended. libspeechd's own getters read a missing answer as a
    // string and crash, as they would on a connection cut for an overdue reply.
    std::string Ask(const std::string& request);
    // Whether speech-dispatcher closed the connection (it ended, or was cut for an overdue reply).
    bool Lost() const;
    // Whether a request of it ever overran.
    bool Unresponsive() const;
    // The process at the other end of the socket (speech-dispatcher itself), or 0 when unknown.
    pid_t Peer() const { return m_peer; }

  private:
    struct Worker;

    std::shared_ptr<Worker> m_worker;
    SPDConnection* m_connection = nullptr;
    int m_hangupWatch = -1;  // our own handle on the connection's socket, to notice it close
    pid_t m_peer = 0;
    bool m_overran = false;
};

}  // namespace orlavo
