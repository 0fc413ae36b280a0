#pragma once

#include <sys/types.h>

#include <string>

namespace orlavo::testing {

// A PulseAudio server of the test's own, playing into a null sink, that the test can kill and
// start again. It points this process's PULSE_SERVER and PULSE_SINK at itself, so the voice and
// any recorder connect to it and never to a desktop's server.
class PrivatePulseServer {
  public:
    static constexpr const char* kSinkName = "orlavo_null";

    PrivatePulseServer();
    ~PrivatePulseServer();
    PrivatePulseServer(const PrivatePulseServer&) = delete;
    PrivatePulseServer& operator=(const PrivatePulseServer&) = delete;

    // Starts the server (again); returns false and sets failure() if it does not come up.
    bool Start();
    // Ends it abruptly, as a crashing sound server would.
    void Kill();

    const std::string& failure() const { return m_failure; }
    const std::string& directory() const { return m_directory; }

  private:
    std::string m_directory;
    std::string m_socket;
    std::string m_failure;
    pid_t m_pid = -1;
};

}  // namespace orlavo::testing
