#include "platform/posix/screen_reader_process.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <utility>

#include "platform/posix/process_state.h"

namespace orlavo {
namespace {

// Whether the process in `folder` runs Orca: its name, or the script its interpreter was given.
bool RunsOrca(const std::string& folder) {
    std::string name;
    std::getline(std::ifstream(folder + "/comm"), name);
    if (name == "orca") {
        return true;
    }
    if (!name.starts_with("python")) {
        return false;
    }
    std::ifstream cmdline(folder + "/cmdline");
    const std::string arguments{std::istreambuf_iterator<char>(cmdline), {}};
    const std::size_t first = arguments.find('\0');
    if (first == std::string::npos) {
        return false;
    }
    const std::string script =
        arguments.substr(first + 1, arguments.find('\0', first + 1) - first - 1);
    return std::filesystem::path(script).filename() == "orca";
}

// An Orca that has quit keeps its name in the list until whoever started it collects it, which
// a launcher that never does may put off for as long as it runs; it speaks no more.
bool HasEnded(const std::string& folder) {
    const std::optional<ProcessState> process = ReadProcessState(folder);
    return process && process->Ended();
}

}  // namespace

ScreenReaderProcess::ScreenReaderProcess(ScreenReader& desktop, std::string procRoot)
    : m_desktop(desktop), m_procRoot(std::move(procRoot)) {}

bool ScreenReaderProcess::Running() {
    if (m_desktop.Running()) {
        return true;
    }
    DIR* proc = ::opendir(m_procRoot.c_str());
    if (proc == nullptr) {
        return false;
    }
    bool found = false;
    while (const dirent* entry = ::readdir(proc)) {
        const std::string pid = entry->d_name;
        if (pid.empty() || pid.find_first_not_of("0123456789") != std::string::npos) {
            continue;
        }
        // Only this user's screen reader speaks to this user.
        const std::string folder = m_procRoot + "/" + pid;
        struct stat status {};
        if (::stat(folder.c_str(), &status) == 0 && status.st_uid == ::getuid() &&
            RunsOrca(folder) && !HasEnded(folder)) {
            found = true;
            break;
        }
    }
    ::closedir(proc);
    return found;
}

}  // namespace orlavo
