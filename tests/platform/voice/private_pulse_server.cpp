#include "private_pulse_server.h"

#include <pulse/simple.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

extern char** environ;

namespace orlavo::testing {

namespace {

// Whether a client can play through the server yet.
bool Answers() {
    pa_sample_spec spec{};
    spec.format = PA_SAMPLE_S16LE;
    spec.rate = 22050;
    spec.channels = 1;
    pa_simple* probe = pa_simple_new(nullptr, "Orlavo test", PA_STREAM_PLAYBACK, nullptr, "probe",
                                     &spec, nullptr, nullptr, nullptr);
    if (probe == nullptr) {
        return false;
    }
    pa_simple_free(probe);
    return true;
}

}  // namespace

PrivatePulseServer::PrivatePulseServer() {
    std::string pattern = (std::filesystem::temp_directory_path() / "orlavo-pulse-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        m_failure = "cannot make a temporary directory";
        return;
    }
    m_directory = pattern;
    m_socket = m_directory + "/native";
    std::ofstream(m_directory + "/server.pa")
        << "load-module module-null-sink sink_name=" << kSinkName << " norewinds=1\n"
        << "load-module module-native-protocol-unix socket=" << m_socket << " auth-anonymous=1\n";
    setenv("PULSE_SERVER", ("unix:" + m_socket).c_str(), 1);
    setenv("PULSE_SINK", kSinkName, 1);
    Start();
}

PrivatePulseServer::~PrivatePulseServer() {
    Kill();
    if (!m_directory.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(m_directory, ignored);
    }
}

bool PrivatePulseServer::Start() {
    if (m_directory.empty()) {
        return false;
    }
    Kill();
    const char* configured = std::getenv("ORLAVO_TEST_PULSEAUDIO");
    const std::string program =
        configured != nullptr && *configured != 0 ? configured : "pulseaudio";
    // Its own home and runtime directory, so it shares nothing with a desktop session; as root
    // (CI) it must be told it is not a system-wide server and must not write a pid file.
    std::vector<std::string> arguments = {program,
                                          "-n",
                                          "--daemonize=no",
                                          "--system=no",
                                          "--use-pid-file=no",
                                          "--exit-idle-time=-1",
                                          "--disable-shm=yes",
                                          "--log-target=file:" + m_directory + "/log",
                                          "-F",
                                          m_directory + "/server.pa"};
    std::vector<std::string> environment = {"HOME=" + m_directory, "XDG_RUNTIME_DIR=" + m_directory,
                                            "XDG_CONFIG_HOME=" + m_directory, "PATH=/usr/bin:/bin"};
    std::vector<char*> argv;
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (std::string& variable : environment) {
        envp.push_back(variable.data());
    }
    envp.push_back(nullptr);
    if (posix_spawnp(&m_pid, program.c_str(), nullptr, nullptr, argv.data(), envp.data()) != 0) {
        m_pid = -1;
        m_failure = "cannot start " + program;
        return false;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
        int status = 0;
        if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
            m_pid = -1;
            m_failure = program + " exited at start; see its log in " + m_directory;
            return false;
        }
        if (std::filesystem::exists(m_socket) && Answers()) {
            m_failure.clear();
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    m_failure = program + " did not answer within 10 s";
    Kill();
    return false;
}

void PrivatePulseServer::Kill() {
    if (m_pid > 0) {
        kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
        m_pid = -1;
    }
    std::error_code ignored;
    std::filesystem::remove(m_socket, ignored);
}

}  // namespace orlavo::testing
