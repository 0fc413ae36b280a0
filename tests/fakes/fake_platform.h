#pragma once

// Every platform service as one fake, with its voices: it journals what the program did, raises
// scripted errors, and replays a person's answers, files and commands chosen at a pump step.

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "main_window/form1.h"
#include "platform/application.h"
#include "platform/background_work.h"
#include "platform/book_list.h"
#include "platform/clock.h"
#include "platform/desktop_session.h"
#include "platform/dialogs.h"
#include "platform/event_pump.h"
#include "platform/file_dialog.h"
#include "platform/file_reader.h"
#include "platform/label.h"
#include "platform/runtime_error.h"
#include "platform/screen_reader.h"
#include "platform/text_box.h"
#include "platform/window_geometry.h"
#include "texts/program_texts.h"
#include "voice_keeping/voice_keeper.h"

namespace orlavo::testing {

// A book of these items, as the item reader makes it.
inline BookItems BookOf(const std::vector<std::string>& items) {
    std::string text;
    BookItems::Index index;
    for (const std::string& item : items) {
        text += (index.size() == 0 ? "" : "\n") + item;
        index.Add(item.size());
    }
    return BookItems(std::move(text), std::move(index));
}

// Ending the program unwinds to the test instead of ending the test process.
struct ProgramEnded {};

// clang-format off
class FakePlatform : public BookList, public TextBox, public Label, public Dialogs,
                     public FileDialog, public FileReader, public EventPump, public Clock,
                     public Application, public WindowGeometry, public BackgroundWork,
                     public ScreenReader, public DesktopSession {
    // clang-format on
  public:
    void ReplaceItems(BookItems items) override {
        m_items = std::move(items);
        selected = -1;
    }
    std::int32_t ListCount() const override { return Call("count", m_items.size()); }
    std::int32_t ListIndex() const override { return Call("index", selected); }
    std::string List(std::int32_t at) const override {
        return Call("text", at == -1 ? std::string() : std::string(m_items.at(Checked(at))));
    }
    void Select(std::int32_t at) override {
        selected = Call("select", Checked(at));
        Note("highlight " + std::to_string(selected));
    }
    // "hear 1:b": the word "b" of item 1 is marked.
    void ShowHeard(std::int32_t at, std::size_t begin, std::size_t end) override {
        if (at >= 0) {
            Note("hear " + std::to_string(at) + ":" +
                 std::string(m_items.at(at).substr(begin, end - begin)));
        }
    }
    void SetText(const std::string& text) override { path = text; }
    void SetCaption(const std::string& text) override { caption = text; }
    void MsgBox(const std::string& text, MessageStyle, const std::string&) override {
        Note("box: " + text);
        Tell("box");
    }
    std::string InputBox(const std::string&, const std::string&) override {
        Note("prompt");
        return m_answered < answers.size() ? answers[m_answered++] : "";
    }
    std::optional<std::string> GetOpenFileName(const OpenFileRequest& request) override {
        requests.push_back(request);
        return m_chosen < choices.size() ? choices[m_chosen++] : std::nullopt;
    }
    std::optional<std::size_t> MemoryAvailable() override { return Call("memory", memory); }
    std::string ReadAll(const std::string& file, std::size_t, ReadProgress& progress) override {
        if (!Call("read", files.contains(file))) {
            throw RuntimeError(kFileNotFound, "No file.");
        }
        // A slow share: readPace bytes come each quarter second while the loader waits on.
        for (std::chrono::milliseconds waited{0}; readPace > 0 && progress < files.at(file).size();
             progress += readPace) {
            if (!(*m_waiting)(waited += std::chrono::milliseconds(250))) {
                Note("gave up after " + std::to_string(waited.count()) + " ms");
                throw m_abandoned = true;
            }
        }
        return files.at(file);
    }
    // Runs what is chosen at this step, counted from 1 over the whole test.
    void DoEvents() override {
        Note(Call("pump", std::string("pump")));
        if (auto command = at.extract(++steps)) {
            command.mapped()();
        }
    }
    void Sleep(int) override { Note(Call("sleep", std::string("pause"))); }
    // Runs the job at once, then waits on as long as slowWork says its decoding lasts; or, while
    // stalledRead is set, waits on it in steps of a quarter second without running it, as for a
    // file on a share that stopped answering, and keeps it in `leftBehind`.
    bool Run(std::function<void()> job, const KeepWaiting& keepWaiting) override {
        for (std::chrono::milliseconds waited{0}; stalledRead;
             waited += std::chrono::milliseconds(250)) {
            if (!keepWaiting(waited) || waited.count() > 60000) {
                Note("gave up after " + std::to_string(waited.count()) + " ms");
                leftBehind.push_back(std::move(job));
                return false;
            }
        }
        m_waiting = &keepWaiting;
        m_abandoned = false;
        job();
        for (std::chrono::milliseconds waited{250}; waited <= slowWork && !m_abandoned;
             waited += std::chrono::milliseconds(250)) {
            if (!keepWaiting(waited)) {
                Note("gave up after " + std::to_string(waited.count()) + " ms");
                return false;
            }
        }
        return !m_abandoned;
    }
    int Calls(const std::string& operation) const { return m_calls[operation]; }
    [[noreturn]] void EndProgram() override { throw ProgramEnded{}; }
    std::string AppPath() const override { return "/opt/orlavo/bin"; }
    // The window takes every write, unless it cannot move or the size is below minimumSize.
    float Top() const override { return top; }
    float Left() const override { return left; }
    float Width() const override { return width; }
    float Height() const override { return height; }
    void SetTop(float twips) override { top = canMove ? twips : top; }
    void SetLeft(float twips) override { left = canMove ? twips : left; }
    void SetWidth(float twips) override { width = Sized(twips); }
    void SetHeight(float twips) override { height = Sized(twips); }
    float ScreenWidth() const override { return screenWidth; }
    void Present() override { Note("present"); }
    bool Running() override { return screenReaderOn; }
    void ShowState(ReadingState state) override {
        Tell(state == ReadingState::kReading  ? "reading"
             : state == ReadingState::kPaused ? "paused"
                                              : "not reading");
    }
    void ShowItem(std::int32_t at, const std::string& title) override {
        Tell("item " + std::to_string(at) + (title.empty() ? "" : " of " + title));
    }
    void KeepAwake(bool awake) override { Tell(awake ? "awake" : "idle"); }
    void Notify(const std::string& text) override { Note("notice: " + text); }

    // Makes voices that note what is heard ("say a", "say a in ru" when a language is asked
    // for), or raises voiceFailure while it is set; voiceRoutes holds how each was made. A text
    // is heard word by word, each word told when `wordsHeard` is set, and a person may choose
    // something while a word is heard (`hearing`); a text cut then ends there ("cut").
    VoiceKeeper::Factory VoiceFactory() {
        struct FakeVoice : Voice {
            explicit FakeVoice(FakePlatform& platform) : p(platform) {}
            void Prepare() override { p.Call("prepare", 0); }
            Spoken Speak(std::string text, std::string_view language,
                         const Listening& listening) override {
                if (std::exchange(p.speaking, true)) {
                    p.Note("two voices at once");
                }
                const std::shared_ptr<void> done(nullptr, [this](void*) { p.speaking = false; });
                const std::string heard = "say " + text;
                p.Note(p.Call("speak", language.empty() ? heard : heard + " in " += language));
                for (std::size_t at = text.find_first_not_of(' '); at != std::string::npos;
                     at = text.find_first_not_of(' ', at)) {
                    const std::size_t end = std::min(text.find(' ', at), text.size());
                    if (p.wordsHeard && listening.wordHeard) {
                        listening.wordHeard(at, end);
                    }
                    if (auto command = p.hearing.extract(++p.wordsSpoken)) {
                        command.mapped()();
                    }
                    if (listening.cut.stop_requested()) {
                        p.Note("cut");
                        return Spoken::kCut;
                    }
                    at = end;
                }
                return Spoken::kWhole;
            }
            void Silence() override { p.Note("silence"); }
            FakePlatform& p;
        };
        return [this](VoiceRoute route) -> std::unique_ptr<Voice> {
            if (voiceFailure) {
                throw *voiceFailure;
            }
            ++voicesMade;
            voiceRoutes.push_back(route);
            return std::make_unique<FakeVoice>(*this);
        };
    }
    // Every service of the window from this fake; pump stands in for its own when given (the
    // program's ChosenCommands, say).
    Form1Services WindowServices(EventPump* pump = nullptr) {
        return {.list = *this,
                .pathBox = *this,
                .title = *this,
                .dialogs = *this,
                .fileDialog = *this,
                // The fake outlives every job of its test: shared, but not owned.
                .files = std::shared_ptr<FileReader>(std::shared_ptr<FileReader>(), this),
                .pump = pump != nullptr ? *pump : *this,
                .clock = *this,
                .app = *this,
                .window = *this,
                .background = *this,
                .desktop = *this,
                .createVoice = VoiceFactory(),
                .screenReader = this};
    }
    ReadingServices ReadingServicesOf() {
        return {.list = *this, .dialogs = *this, .pump = *this, .clock = *this, .desktop = *this};
    }
    // One item for each letter, "_" an empty one.
    void SetItems(const std::string& letters) {
        std::vector<std::string> items;
        for (const char letter : letters) {
            items.push_back(letter == '_' ? "" : std::string(1, letter));
        }
        m_items = BookOf(items);
    }
    std::vector<std::string> Items() const {
        std::vector<std::string> items;
        for (std::int32_t i = 0; i < m_items.size(); ++i) {
            items.emplace_back(m_items.at(i));
        }
        return items;
    }
    // What the person saw and heard, in order, one event after another: "say a", "highlight 1",
    // "pause", "pump" (a pump step), "prompt", "box: text", "silence", "present".
    std::string Trace() const { return Joined(journal); }
    // What the desktop was told: "awake" / "idle", "reading" / "not reading", "item 1" (of its
    // title, when it has one) and, to order them against it, "box" when a box was shown.
    std::string Desktop() const { return Joined(told); }
    // Counts a call of the operation and raises its scripted error when this is the call.
    template <typename T>
    T Call(const std::string& operation, T result) const {
        if (onEveryCall) {
            onEveryCall(operation);
        }
        const int call = ++m_calls[operation];
        if (const auto fault = faults.find(operation);
            fault != faults.end() && fault->second.second == call) {
            throw RuntimeError(fault->second.first, "scripted " + operation + " fault");
        }
        return result;
    }
    void Note(const std::string& what) const { journal.push_back(what); }
    void Tell(const std::string& what) { told.push_back(what); }

    mutable std::vector<std::string> journal;
    std::vector<std::string> told;
    // By operation ("speak", "select", "pump", ...): the error number and which call, counted
    // from 1 over the whole test, raises it.
    std::map<std::string, std::pair<int, int>> faults;
    std::function<void(const std::string&)> onEveryCall;  // sees every call first
    std::map<int, std::function<void()>> at;              // what the person chooses at a pump step
    std::map<int, std::function<void()>> hearing;  // ... while a word is heard, counted from 1
    bool wordsHeard = false;
    bool speaking = false;
    int wordsSpoken = 0;
    std::int32_t selected = -1;
    std::string path, caption;
    std::vector<std::string> answers;  // one for each prompt, then Cancel
    std::vector<std::optional<std::string>> choices;
    std::vector<OpenFileRequest> requests;
    std::map<std::string, std::string> files;
    std::optional<RuntimeError> voiceFailure;
    int steps = 0, voicesMade = 0;
    bool screenReaderOn = false;
    std::vector<VoiceRoute> voiceRoutes;
    float top = 1200, left = 1200, width = 9150, height = 7000, screenWidth = 15360;
    float minimumSize = 0;
    bool canMove = true;
    bool stalledRead = false;
    std::chrono::milliseconds slowWork{0};
    std::vector<std::function<void()>> leftBehind;
    std::size_t readPace = 0;
    std::optional<std::size_t> memory;  // what the system can still give; nothing: it does not say

  private:
    std::int32_t Checked(std::int32_t at) const {
        if (at < 0 || at >= m_items.size()) {
            throw RuntimeError(kInvalidListPosition, kInvalidArrayIndex);
        }
        return at;
    }
    float Sized(float twips) const {
        if (twips < minimumSize) {
            throw RuntimeError(kInvalidArgument, "refused");
        }
        return twips;
    }
    static std::string Joined(const std::vector<std::string>& events) {
        std::string joined;
        for (const std::string& event : events) {
            joined += (joined.empty() ? "" : "; ") + event;
        }
        return joined;
    }

    BookItems m_items;
    std::size_t m_answered = 0, m_chosen = 0;
    mutable std::map<std::string, int> m_calls;
    const KeepWaiting* m_waiting = nullptr;
    bool m_abandoned = false;
};

}  // namespace orlavo::testing
