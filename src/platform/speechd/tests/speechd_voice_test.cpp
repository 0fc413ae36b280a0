// SpeechDispatcherVoice against a speech-dispatcher inside the test, which speaks just enough SSIP
// for libspeechd and, from the first request its script names, answers nothing more, as one that
// was stopped or is stuck.

#include "platform/speechd/speechd_voice.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <future>
#include <map>
#include <optional>
#include <thread>
#include <vector>

namespace orlavo {
namespace {

using namespace std::chrono_literals;
using SteadyClock = std::chrono::steady_clock;

constexpr const char* kStopped = "speech-dispatcher stopped answering.";
constexpr const char* kLost = "The connection to Speech Dispatcher was lost.";
constexpr const char* kWedged = "The speech synthesizer \"flite\" stopped speaking.";

// One speech-dispatcher: how it behaves, then what the program should make of it.
struct Row {
    const char* name;
    std::string silentFrom = "";  // the first request it leaves unanswered, and all after it
    SteadyClock::duration queuedAfter = 0s, beginAfter = 0s, speakFor = 200ms;
    std::optional<SteadyClock::duration> silence =
        std::nullopt;       // when the program asks for silence, as it closes
    int interruptions = 0;  // texts cut off by another program's message instead of ending
    bool module = false;    // runs its synthesizer as a child process, as speech-dispatcher does
    bool wedge = false;     // stops that child (SIGSTOP) as the text begins
    bool drop = false;      // hangs up at silentFrom instead of keeping quiet
    bool detach = false;    // listens and starts its synthesizer in a process that then ends
    bool marks = false;     // says back the index marks of a text as it begins
    std::optional<SteadyClock::duration> cut = std::nullopt;  // when the program cuts the text
    std::string text = "Hi.";
    const char* told = "";       // what the person is told; nothing once the text was heard
    int texts = 1, cancels = 0;  // texts queued, cancellations asked for
    const char* words = "";      // the words the program was told it heard
};

class FakeSpeechDispatcher {
  public:
    explicit FakeSpeechDispatcher(Row script) : m_script(std::move(script)) {
        sockaddr_un address{AF_UNIX, {}};
        path.copy(address.sun_path, sizeof address.sun_path - 1);
        bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
        const std::string name = "sd_m" + id;
        int handed[2] = {-1, -1};
        // Going to the background, speech-dispatcher leaves the process that listened and started
        // its synthesizer.
        const pid_t starter = m_script.detach ? (void)!pipe(handed), fork() : 0;
        if (starter == 0) {
            listen(m_listener, 1);
            if (m_script.module && (m_module = fork()) == 0) {
                // Keeps no copy of another row's connection, which would hide its hanging up.
                prctl(PR_SET_NAME, name.c_str()), closefrom(STDERR_FILENO + 1), pause(), _exit(0);
            }
            if (m_script.detach) {
                (void)!write(handed[1], &m_module, sizeof m_module), _exit(0);
            }
        } else {
            (void)!read(handed[0], &m_module, sizeof m_module);
            waitpid(starter, nullptr, 0), close(handed[0]), close(handed[1]);
        }
        m_thread = std::thread([this] { Serve(accept(m_listener, nullptr, nullptr)); });
    }
    ~FakeSpeechDispatcher() {
        m_stopping = true;
        shutdown(m_listener, SHUT_RDWR);
        m_thread.join();
        m_module > 0 ? kill(m_module, SIGKILL), waitpid(m_module, nullptr, 0) : 0;
        close(m_listener), unlink(path.c_str());
    }

    inline static std::atomic<int> made = 0;
    const std::string id = std::to_string(100 + ++made);  // its client number for the voice
    const std::string path = "/tmp/orlavo-speechd-" + std::to_string(getpid()) + "-" + id;
    std::atomic<int> texts = 0, cancels = 0;
    std::atomic<bool> otherPriority = false;  // a text was sent at another priority than TEXT

  private:
    void Serve(int client) {
        std::string buffer, message;
        std::vector<std::string> marks;
        bool inText = false, silent = false;
        std::optional<SteadyClock::time_point> begin, end;
        auto send = [&](const std::string& what) {
            (void)!write(client, what.data(), what.size());
        };
        auto event = [&](const std::string& code, const char* what) {
            send(code + "-" + message + "\r\n" + code + "-" + id + "\r\n" + code + " " + what +
                 "\r\n");
        };
        for (pollfd watch{client, POLLIN, 0};
             client >= 0 && !m_stopping && !(silent && m_script.drop);) {
            if (begin && SteadyClock::now() >= *begin) {
                event("701", "BEGIN"), begin.reset(), end = SteadyClock::now() + m_script.speakFor;
                for (const std::string& mark : marks) {
                    send("700-" + message + "\r\n700-" + id + "\r\n700-" + mark +
                         "\r\n700 INDEX MARK\r\n");
                }
                m_script.wedge ? kill(m_module, SIGSTOP) : 0;
            }
            if (end && SteadyClock::now() >= *end) {
                m_script.interruptions-- > 0 ? event("703", "CANCELED") : event("702", "END");
                end.reset();
            }
            char chunk[4096];
            const ssize_t got = poll(&watch, 1, 20) > 0 ? read(client, chunk, sizeof chunk) : 0;
            if (got < 0 || (got == 0 && (watch.revents & POLLIN) != 0)) {
                break;
            }
            buffer.append(chunk, static_cast<std::size_t>(got));
            for (std::size_t eol; (eol = buffer.find("\r\n")) != std::string::npos;
                 buffer.erase(0, eol + 2)) {
                const std::string line = buffer.substr(0, eol);
                silent = silent ||
                         (!m_script.silentFrom.empty() && line.starts_with(m_script.silentFrom));
                for (std::size_t at = 0; inText && m_script.marks &&
                                         (at = line.find("<mark name=\"", at)) != line.npos;) {
                    at += 12;
                    marks.push_back(line.substr(at, line.find('"', at) - at));
                }
                if (silent || (inText && line != ".")) {
                    continue;
                }
                otherPriority = otherPriority || (line.starts_with("SET SELF PRIORITY ") &&
                                                  line != "SET SELF PRIORITY TEXT");
                if (inText) {
                    std::this_thread::sleep_for(m_script.queuedAfter);
                    inText = false, ++texts, begin = SteadyClock::now() + m_script.beginAfter;
                    message = std::to_string(texts);
                    send("225-" + message + "\r\n225 OK MESSAGE QUEUED\r\n");
                } else if (line == "speak") {
                    inText = true, marks.clear(), send("230 OK RECEIVING DATA\r\n");
                } else if (line == "GET OUTPUT_MODULE") {
                    send("251-m" + id + "\r\n251 OK\r\n");
                } else {  // its client number, for requests that want one; flite, for its list
                    send("200-" + id + "\r\n200-flite\r\n200 OK\r\n");
                }
                if (line == "CANCEL SELF" && ++cancels && (begin || end)) {
                    event("703", "CANCELED"), begin.reset(), end.reset();
                }
            }
        }
        close(client);
    }

    Row m_script;
    int m_listener = socket(AF_UNIX, SOCK_STREAM, 0);
    std::atomic<bool> m_stopping = false;
    std::thread m_thread;
    pid_t m_module = 0;
};

struct Outcome {
    std::string told;  // empty once the text was heard
    std::string words;
    double seconds;
    int texts, cancels;  // texts queued, cancellations asked for
    bool otherPriority;
};

// Reads an item and, when the program asks for silence, another one the reading loop's pause later.
Outcome Read(const Row& script) {
    FakeSpeechDispatcher daemon(script);
    SpeechDispatcherVoice voice("flite", 0, daemon.path);
    const SteadyClock::time_point start = SteadyClock::now();
    // Silence is asked for that long after the first text arrived, however slowly the voice got
    // there on a loaded machine.
    std::thread closing([&] {
        for (int i = 0; script.silence && daemon.texts == 0 && i < 1000; ++i) {
            std::this_thread::sleep_for(10ms);
        }
        script.silence ? std::this_thread::sleep_for(*script.silence), voice.Silence() : void();
    });
    std::string told, words;
    std::stop_source stop;
    std::thread cutting([&] {  // as the silence is, after the text arrived
        for (int i = 0; script.cut && daemon.texts == 0 && i < 1000; ++i) {
            std::this_thread::sleep_for(10ms);
        }
        script.cut ? std::this_thread::sleep_for(*script.cut), stop.request_stop() : false;
    });
    const Listening listening{.wordHeard =
                                  [&](std::size_t begin, std::size_t end) {
                                      words += script.text.substr(begin, end - begin) + "|";
                                  },
                              .cut = stop.get_token()};
    try {
        const Spoken spoken = voice.Speak(script.text, "", listening);
        if (script.silence || script.cut) {
            std::this_thread::sleep_for(500ms), voice.Speak("Again.", "", {});
        }
        told = spoken == Spoken::kCut ? "cut" : "";
    } catch (const RuntimeError& error) {
        told = error.what();
    }
    closing.join();
    cutting.join();
    return {told,
            words,
            std::chrono::duration<double>(SteadyClock::now() - start).count(),
            daemon.texts,
            daemon.cancels,
            daemon.otherPriority};
}

// A row a line, where the formatter would put each field on a line of its own.
// clang-format off
const Row kRows[] = {
    {.name = "NeverAnswers", .silentFrom = "SET SELF CLIENT_NAME", .told = kStopped, .texts = 0},
    {.name = "StopsAtModules", .silentFrom = "LIST OUTPUT_MODULES", .told = kStopped, .texts = 0},
    {.name = "StopsWhileTheTextIsSent", .silentFrom = "speak", .told = kStopped, .texts = 0},
    {.name = "QueueStalls", .silentFrom = "GET OUTPUT_MODULE", .beginAfter = 60s, .told = kStopped},
    {.name = "StopsMidText", .silentFrom = "GET OUTPUT_MODULE", .speakFor = 60s, .told = kStopped},
    // Longer than a short text's whole allowance once was: waiting is not a fault.
    {.name = "QueuesAShortTextBehindAnotherProgramsLongOne", .beginAfter = 6s},
    // The person closes Orlavo: no second text goes out, and the first one is cancelled.
    {.name = "SilencedBetweenTwoItems", .speakFor = 0s, .silence = 250ms},
    {.name = "SilencedWhileSlowToTakeTheTextIn", .queuedAfter = 1s, .beginAfter = 60s,
     .speakFor = 0s, .silence = 300ms, .cancels = 1},
    // Its cancel cuts the text off as a screen reader's would, and is still final.
    {.name = "SilencedWhileItSpeaks", .speakFor = 60s, .silence = 300ms, .cancels = 1},
    // The item is said again after each, then reading goes on.
    {.name = "CutOffTwiceByAScreenReader", .speakFor = 50ms, .interruptions = 2, .texts = 3},
    // Longer than a guess from its length allows, while its synthesizer runs.
    {.name = "SpeaksAShortTextSlowly", .speakFor = 7s, .module = true},
    {.name = "SynthesizerStopped", .speakFor = 60s, .module = true, .wedge = true, .told = kWedged},
    {.name = "WentToTheBackground", .speakFor = 7s, .module = true, .detach = true},
    // Out of sight, a voice of another language naming each kanji, nearly a second each.
    {.name = "NamesKanji", .speakFor = 8s, .text = "東京都庁"},
    {.name = "HangsUp", .silentFrom = "GET OUTPUT_MODULE", .speakFor = 60s, .drop = true,
     .told = kLost},
    {.name = "HasEveryTextCutOff", .speakFor = 20ms, .interruptions = 1000, .texts = 21},
    // Each word told as its mark is reached, markup in the text escaped.
    {.name = "SaysBackItsMarks", .marks = true, .text = "Tom & <Jerry>, 東京", .words = "Tom|Jerry|東|京|"},
    // A Stop cuts the text: it is cancelled, and the next one is read.
    {.name = "CutWhileItSpeaks", .speakFor = 2s, .cut = 300ms, .told = "cut", .texts = 2, .cancels = 1},
};
// clang-format on

struct SpeechDispatcherVoiceTest : ::testing::TestWithParam<Row> {
    // Each row waits seconds on its speech-dispatcher: they all run at once, from the first test.
    static void SetUpTestSuite() {
        for (const Row& row : kRows) {
            s_runs.emplace(row.name, std::async(std::launch::async, Read, row));
        }
    }
    // Those a filter passed over are waited for while the program still runs.
    static void TearDownTestSuite() { s_runs.clear(); }
    static inline std::map<std::string, std::future<Outcome>> s_runs;
};

TEST_P(SpeechDispatcherVoiceTest, IsToldSoonAndNothingIsHeardAfterSilence) {
    const Outcome outcome = s_runs.at(GetParam().name).get();
    EXPECT_EQ(outcome.told, GetParam().told);
    EXPECT_EQ(outcome.words, GetParam().words);
    EXPECT_LT(outcome.seconds, 9.0);
    EXPECT_EQ(outcome.texts, GetParam().texts);
    EXPECT_EQ(outcome.cancels, GetParam().cancels);
    // Below a screen reader's messages, which then cut it off rather than wait.
    EXPECT_FALSE(outcome.otherPriority);
}

INSTANTIATE_TEST_SUITE_P(Rows, SpeechDispatcherVoiceTest, ::testing::ValuesIn(kRows),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace orlavo
