#include "platform/speechd/speechd_connection.h"

#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <utility>

#include "platform/voice_failure.h"

namespace orlavo {

namespace {

using SteadyClock = std::chrono::steady_clock;

// How long a closing connection waits for a request that overran to end once its socket is cut.
constexpr std::chrono::seconds kClosingGrace{1};

RuntimeError Failure(const std::string& message) {
    return RuntimeError(kSpeechFailed, message);
}

void CloseLibraryConnection(SPDConnection* connection) {
    // A connection that ended was closed by libspeechd's reading thread already; spd_close
    // closing its number again could close another file of the program's that took it.
    if (connection->stream == nullptr) {
        connection->socket = -1;
    }
    spd_close(connection);
}

}  // namespace

// The thread that runs the connection's requests, and what it shares with the connection. It
// lives on its own when the connection gives up on it, and closes the connection once its
// request returns, if ever.
struct SpeechDispatcherConnection::Worker {
    std::mutex mutex;
    std::condition_variable changed;
    std::function<void()> job;
    bool busy = false;
    bool abandoned = false;
    SPDConnection* connection = nullptr;

    void Serve() {
        // Writing to a speech-dispatcher that has just gone away raises SIGPIPE, which would end
        // the whole program; only this thread writes, and libspeechd's reading thread, started
        // from here, inherits the mask.
        sigset_t brokenPipe;
        sigemptyset(&brokenPipe);
        sigaddset(&brokenPipe, SIGPIPE);
        pthread_sigmask(SIG_BLOCK, &brokenPipe, nullptr);
        std::unique_lock lock(mutex);
        while (!abandoned) {
            changed.wait(lock, [&] { return job || abandoned; });
            if (job) {
                std::function<void()> next = std::move(job);
                job = nullptr;
                lock.unlock();
                next();
                lock.lock();
                busy = false;
                changed.notify_all();
            }
        }
        if (connection != nullptr) {
            CloseLibraryConnection(connection);
        }
    }

    // Queues the job and waits for it; false when it did not end within `bound`.
    bool RunWithin(std::function<void()> next, SteadyClock::duration bound) {
        std::unique_lock lock(mutex);
        job = std::move(next);
        busy = true;
        changed.notify_all();
        return changed.wait_for(lock, bound, [&] { return !busy; });
    }

    // Leaves the thread to itself, the connection in its care.
    void Abandon() {
        std::lock_guard lock(mutex);
        abandoned = true;
        changed.notify_all();
    }
};

SpeechDispatcherConnection::SpeechDispatcherConnection(const std::string& socketPath)
    : m_worker(std::make_shared<Worker>()) {
    std::thread([worker = m_worker] { worker->Serve(); }).detach();
    const bool opened = m_worker->RunWithin(
        [worker = m_worker, socketPath] {
            std::string path = socketPath;
            char* error = nullptr;
            SPDConnectionAddress address{SPD_METHOD_UNIX_SOCKET, path.data(), nullptr, 0, nullptr};
            // Starts speech-dispatcher when it is not running, as every client of the desktop's
            // does.
            SPDConnection* connection = spd_open2("orlavo", "main", nullptr, SPD_MODE_THREADED,
                                                  path.empty() ? nullptr : &address, 1, &error);
            std::free(error);
            std::lock_guard lock(worker->mutex);
            worker->connection = connection;
        },
        kAnswerBound);
    if (!opened) {
        m_worker->Abandon();
        throw Failure(speechd_failures::kStoppedAnswering);
    }
    m_connection = m_worker->connection;
    if (m_connection == nullptr) {
        m_worker->Abandon();
        throw SpeechDispatcherUnreachable(speechd_failures::kNotRunning);
    }
    // The socket is the library's own; a duplicate lets us notice it close without reading it,
    // and cut it when a reply is overdue without touching a number the library may have closed.
    m_hangupWatch = dup(m_connection->socket);
    ucred peer{};
    socklen_t size = sizeof peer;
    if (m_hangupWatch >= 0 &&
        getsockopt(m_hangupWatch, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0) {
        m_peer = peer.pid;
    }
}

SpeechDispatcherConnection::~SpeechDispatcherConnection() {
    bool idle = false;
    {
        std::unique_lock lock(m_worker->mutex);
        idle = m_worker->changed.wait_for(lock, kClosingGrace, [&] { return !m_worker->busy; });
    }
    if (idle) {
        idle = m_worker->RunWithin(
            [worker = m_worker] {
                SPDConnection* connection = nullptr;
                {
                    std::lock_guard lock(worker->mutex);
                    std::swap(connection, worker->connection);
                }
                CloseLibraryConnection(connection);
            },
            kAnswerBound);
    }
    m_worker->Abandon();
    if (m_hangupWatch >= 0) {
        close(m_hangupWatch);
    }
}

void SpeechDispatcherConnection::Run(const std::function<void(SPDConnection*)>& request) {
    if (Unresponsive()) {
        throw Failure(speechd_failures::kStoppedAnswering);
    }
    if (!m_worker->RunWithin([request, connection = m_connection] { request(connection); },
                             kAnswerBound)) {
        // libspeechd's reading thread sees the connection end and wakes the request, which fails,
        // as does every request after it.
        shutdown(m_hangupWatch, SHUT_RDWR);
        m_overran = true;
        throw Failure(speechd_failures::kStoppedAnswering);
    }
}

std::string SpeechDispatcherConnection::Ask(const std::string& request) {
    auto value = std::make_shared<std::string>();
    Run([value, request](SPDConnection* connection) {
        char* answer = spd_send_data(connection, (request + "\r\n").c_str(), SPD_WAIT_REPLY);
        *value = answer != nullptr ? answer : "";
        std::free(answer);
    });
    if (value->size() < 4 || (*value)[0] != '2' || (*value)[3] != '-') {
        return "";
    }
    return value->substr(4, value->find("\r\n") - 4);
}

bool SpeechDispatcherConnection::Lost() const {
    pollfd watch{m_hangupWatch, POLLRDHUP, 0};
    return m_hangupWatch < 0 ||
           (poll(&watch, 1, 0) > 0 && (watch.revents & (POLLRDHUP | POLLHUP | POLLERR)) != 0);
}

bool SpeechDispatcherConnection::Unresponsive() const {
    std::lock_guard lock(m_worker->mutex);
    return m_overran || m_worker->busy;
}

}  // namespace orlavo
