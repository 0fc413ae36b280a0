#include "platform/speechd/speech_watchdog.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/posix/process_state.h"

namespace orlavo {

namespace {

using namespace std::chrono_literals;

std::optional<ProcessState> ReadProcess(pid_t pid) {
    return ReadProcessState("/proc/" + std::to_string(pid));
}

bool IsOurs(pid_t pid) {
    struct stat owner {};
    return stat(("/proc/" + std::to_string(pid)).c_str(), &owner) == 0 && owner.st_uid == getuid();
}

bool IsSpeechDispatcher(pid_t pid) {
    const std::optional<ProcessState> process = ReadProcess(pid);
    return process && process->name == "speech-dispatch";
}

// speech-dispatcher runs each synthesizer as a child process named sd_<module>. Started on demand,
// as a desktop's programs start it, it opens its socket and starts its synthesizers before it goes
// to the background: the process that listened, the one the socket names, has ended, and its
// synthesizers were handed to another parent. The synthesizer is then the one process of ours of
// that name that is no running speech-dispatcher's own child; with several, none is known.
pid_t FindModule(pid_t daemon, const std::string& module) {
    const std::string name = ("sd_" + module).substr(0, 15);
    const bool detached = !ReadProcess(daemon);
    DIR* proc = opendir("/proc");
    pid_t child = 0, orphan = 0;
    int orphans = 0;
    while (proc != nullptr && child == 0) {
        const dirent* entry = readdir(proc);
        if (entry == nullptr) {
            break;
        }
        const pid_t pid = static_cast<pid_t>(std::strtol(entry->d_name, nullptr, 10));
        const std::optional<ProcessState> process = pid > 0 ? ReadProcess(pid) : std::nullopt;
        if (!process || process->name != name) {
            continue;
        }
        if (process->parent == daemon) {
            child = pid;
        } else if (detached && IsOurs(pid) && !IsSpeechDispatcher(process->parent)) {
            orphan = pid;
            ++orphans;
        }
    }
    if (proc != nullptr) {
        closedir(proc);
    }
    return child != 0 ? child : orphans == 1 ? orphan : 0;
}

// How long a synthesizer may take over one character at rate 0, by its UTF-8 lead byte. Flite
// and espeak-ng say about fourteen characters a second, digits one at a time, about three a
// second. The ideographs, kana and hangul (U+3000 and up, three- and four-byte sequences from lead
// byte E3) go a syllable at a time, about three a second in a voice of their language, but take
// nearly a second each in a voice of another that names each one: espeak-ng's Japanese voice says
// "Chinese letter" for every kanji, and a book's Japanese or Chinese is told apart only so well.
double SecondsFor(unsigned char lead) {
    if (lead >= '0' && lead <= '9') {
        return 1.0 / 3.0;
    }
    return (lead >= 0xE3 && lead <= 0xED) || lead >= 0xF0 ? 0.9 : 1.0 / 14.0;
}

}  // namespace

SpeechWatchdog::Clock::duration SpeechWatchdog::Allowance(const std::string& text, int rate) {
    // speech-dispatcher's modules stretch speech up to three times at -100 (Flite's stretch) and
    // speed it up to about twice at 100.
    double seconds = 0;
    for (const char byte : text) {
        const auto lead = static_cast<unsigned char>(byte);
        if ((lead & 0xC0) != 0x80) {
            seconds += SecondsFor(lead);
        }
    }
    const double stretch = rate < 0 ? 1.0 - rate / 50.0 : 1.0 - rate / 200.0;
    // Half as long again, for slower voices, and five seconds more for one being started.
    return 5s + std::chrono::duration_cast<Clock::duration>(
                    std::chrono::duration<double>(seconds * stretch * 1.5));
}

SpeechWatchdog::SpeechWatchdog(pid_t daemon, const std::string& text, int rate)
    : m_daemon(daemon), m_allowance(Allowance(text, rate)) {}

void SpeechWatchdog::Begun(Clock::time_point now) {
    m_begun = true;
    if (m_module == 0) {
        m_deadline = now + m_allowance;
    }
}

bool SpeechWatchdog::GoesOn(Clock::time_point now, const std::string& module) {
    if (m_daemon > 0 && !module.empty()) {
        const pid_t seen = m_module != 0 ? m_module : FindModule(m_daemon, module);
        const std::optional<ProcessState> process = seen != 0 ? ReadProcess(seen) : std::nullopt;
        if (m_module != 0 && (!process || process->parent != m_moduleParent)) {
            return false;  // it ended while it had our text
        }
        if (process) {
            m_module = seen;
            m_moduleParent = process->parent;
            m_deadline.reset();
            return !process->Stopped() && !process->Ended();
        }
    }
    return !m_deadline || now < *m_deadline;
}

}  // namespace orlavo
