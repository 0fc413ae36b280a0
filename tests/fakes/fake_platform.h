#pragma once

// Fakes of every platform service. They record what the program did (texts spoken, boxes shown,
// items selected) and replay what a person would do (answers typed, files chosen, commands given
// while a book is being read). FakePlatform bundles them so a test builds Form1 in a few lines.

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "main_window/form1_members.h"
#include "platform/application.h"
#include "platform/book_list.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/event_pump.h"
#include "platform/file_dialog.h"
#include "platform/file_reader.h"
#include "platform/label.h"
#include "platform/runtime_error.h"
#include "platform/text_box.h"
#include "platform/voice.h"
#include "platform/window_geometry.h"

namespace orlavo::testing {

// One entry of the journal all fakes write to, so a test can check the order of events.
struct Happening {
    std::string what;  // "speak", "select", "sleep", "pump", "msgbox", "input"
    std::string text;
    bool operator==(const Happening&) const = default;
};

inline void PrintTo(const Happening& h, std::ostream* os) {
    *os << h.what << ' ' << h.text;
}

using Journal = std::vector<Happening>;

// A fault to raise from a fake operation, on its n-th call (1-based) or on every call.
struct Fault {
    int number = 0;
    int onCall = 0;  // 0: every call
};

class FakeBookList : public BookList {
  public:
    explicit FakeBookList(Journal& journal) : m_journal(journal) {}

    void Clear() override {
        m_items = BookItems();
        m_selected = -1;
    }
    void AddItem(std::string_view text) override { m_items.push_back(text); }
    void ReplaceItems(BookItems items) override {
        m_items = std::move(items);
        m_selected = -1;
    }
    std::int32_t ListCount() const override {
        Check(countFault, m_countCalls);
        return m_items.size();
    }
    std::int32_t ListIndex() const override {
        Check(indexFault, m_indexCalls);
        return m_selected;
    }
    std::string List(std::int32_t position) const override {
        Check(textFault, m_textCalls);
        if (position == -1) {
            return {};
        }
        if (position < 0 || position >= m_items.size()) {
            throw RuntimeError(kInvalidListPosition, "Invalid property array index");
        }
        return std::string(m_items.at(position));
    }
    void Select(std::int32_t position) override {
        Check(selectFault, m_selectCalls);
        if (position < 0 || position >= m_items.size()) {
            throw RuntimeError(kInvalidListPosition, "Invalid property array index");
        }
        m_selected = position;
        m_journal.push_back({"select", std::to_string(position)});
    }

    // Test set-up: fills the list as a load would.
    void SetItems(const std::vector<std::string>& items) {
        Clear();
        for (const std::string& item : items) {
            AddItem(item);
        }
    }
    std::vector<std::string> Items() const {
        std::vector<std::string> out;
        for (std::int32_t i = 0; i < m_items.size(); ++i) {
            out.emplace_back(m_items.at(i));
        }
        return out;
    }
    void SetSelected(std::int32_t position) { m_selected = position; }
    std::int32_t Selected() const { return m_selected; }

    std::optional<Fault> countFault, indexFault, textFault, selectFault;

  private:
    static void Check(const std::optional<Fault>& fault, int& calls) {
        ++calls;
        if (fault && (fault->onCall == 0 || fault->onCall == calls)) {
            throw RuntimeError(fault->number, "scripted fault");
        }
    }

    Journal& m_journal;
    BookItems m_items;
    std::int32_t m_selected = -1;
    mutable int m_countCalls = 0, m_indexCalls = 0, m_textCalls = 0, m_selectCalls = 0;
};

class FakeTextBox : public TextBox {
  public:
    void SetText(const std::string& text) override { m_text = text.substr(0, text.find('\0')); }
    std::string Text() const override { return m_text; }

  private:
    std::string m_text;
};

class FakeLabel : public Label {
  public:
    void SetCaption(const std::string& caption) override { this->caption = caption; }
    std::string caption;
};

struct ShownBox {
    std::string text;
    MessageStyle style;
    std::string title;
    bool operator==(const ShownBox&) const = default;
};

class FakeDialogs : public Dialogs {
  public:
    explicit FakeDialogs(Journal& journal) : m_journal(journal) {}

    void MsgBox(const std::string& text, MessageStyle style, const std::string& title) override {
        boxes.push_back({text, style, title});
        m_journal.push_back({"msgbox", text});
        if (onMsgBox) {
            onMsgBox(text);
        }
    }
    std::string InputBox(const std::string& prompt) override {
        prompts.push_back(prompt);
        m_journal.push_back({"input", prompt});
        if (answers.empty()) {
            return {};  // an unscripted prompt is cancelled
        }
        std::string answer = answers.front();
        answers.pop_front();
        return answer;
    }

    std::vector<ShownBox> boxes;
    std::vector<std::string> prompts;
    std::deque<std::string> answers;
    std::function<void(const std::string&)> onMsgBox;

  private:
    Journal& m_journal;
};

class FakeFileDialog : public FileDialog {
  public:
    std::optional<std::string> GetOpenFileName(const OpenFileRequest& request) override {
        requests.push_back(request);
        if (choices.empty()) {
            return std::nullopt;
        }
        std::optional<std::string> choice = choices.front();
        choices.pop_front();
        return choice;
    }

    std::vector<OpenFileRequest> requests;
    std::deque<std::optional<std::string>> choices;
};

class FakeFileReader : public FileReader {
  public:
    std::string ReadAll(const std::string& path, std::size_t maxBytes) override {
        lastMaxBytes = maxBytes;
        if (auto failure = failures.find(path); failure != failures.end()) {
            throw RuntimeError(failure->second.number(), failure->second.what());
        }
        if (auto file = files.find(path); file != files.end()) {
            return file->second;
        }
        throw RuntimeError(kFileNotFound, "There is no file at " + path + ".");
    }

    std::map<std::string, std::string> files;
    std::map<std::string, RuntimeError> failures;
    std::size_t lastMaxBytes = 0;
};

// Runs scripted commands at given pump steps (1-based, counted over the whole test), as a person
// choosing a menu command while a book is being read.
class FakeEventPump : public EventPump {
  public:
    explicit FakeEventPump(Journal& journal) : m_journal(journal) {}

    void DoEvents() override {
        ++steps;
        m_journal.push_back({"pump", std::to_string(steps)});
        if (fault && (fault->onCall == 0 || fault->onCall == steps)) {
            throw RuntimeError(fault->number, "scripted fault");
        }
        if (onEveryStep) {
            onEveryStep();
        }
        if (auto command = m_commands.find(steps); command != m_commands.end()) {
            auto run = std::move(command->second);
            m_commands.erase(command);
            run();
        }
    }

    void At(int step, std::function<void()> command) { m_commands[step] = std::move(command); }

    int steps = 0;
    std::optional<Fault> fault;
    std::function<void()> onEveryStep;

  private:
    Journal& m_journal;
    std::map<int, std::function<void()>> m_commands;
};

class FakeClock : public Clock {
  public:
    explicit FakeClock(Journal& journal) : m_journal(journal) {}
    void Sleep(int milliseconds) override {
        ++calls;
        m_journal.push_back({"sleep", std::to_string(milliseconds)});
        if (fault && (fault->onCall == 0 || fault->onCall == calls)) {
            throw RuntimeError(fault->number, "scripted fault");
        }
    }
    int calls = 0;
    std::optional<Fault> fault;

  private:
    Journal& m_journal;
};

// Ending the program unwinds to the test instead of ending the test process.
struct ProgramEnded {};

class FakeApplication : public Application {
  public:
    [[noreturn]] void EndProgram() override { throw ProgramEnded{}; }
    std::string AppPath() const override { return appPath; }
    std::string appPath = "/opt/orlavo/bin";
};

class FakeVoice : public Voice {
  public:
    explicit FakeVoice(Journal& journal) : m_journal(journal) {}
    void Speak(std::string_view text) override {
        ++calls;
        if (fault && (fault->onCall == 0 || fault->onCall == calls)) {
            throw RuntimeError(fault->number, "scripted fault");
        }
        m_journal.push_back({"speak", std::string(text)});  // only what was heard
    }
    int calls = 0;
    std::optional<Fault> fault;

  private:
    Journal& m_journal;
};

// A window that applies every write exactly unless told otherwise.
class FakeWindowGeometry : public WindowGeometry {
  public:
    float Top() const override { return top; }
    float Left() const override { return left; }
    float Width() const override { return width; }
    float Height() const override { return height; }
    void SetTop(float twips) override {
        ++writes;
        if (!canMove) {
            return;
        }
        top = twips;
    }
    void SetLeft(float twips) override {
        ++writes;
        if (canMove) {
            left = twips;
        }
    }
    void SetWidth(float twips) override {
        ++writes;
        if (twips < minimumSize) {
            throw RuntimeError(kInvalidArgument, "size refused");
        }
        width = twips;
    }
    void SetHeight(float twips) override {
        ++writes;
        if (twips < minimumSize) {
            throw RuntimeError(kInvalidArgument, "size refused");
        }
        height = twips;
    }
    float ScreenWidth() const override { return screenWidth; }

    float top = 1200, left = 1200, width = 9150, height = 7000, screenWidth = 15360;
    float minimumSize = 0;
    bool canMove = true;
    int writes = 0;
};

// Every fake, wired together. The voice is owned by Form1 once created, so the platform keeps a
// pointer to the one it handed out.
struct FakePlatform {
    Journal journal;
    FakeBookList list{journal};
    FakeTextBox pathBox;
    FakeLabel title;
    FakeDialogs dialogs{journal};
    FakeFileDialog fileDialog;
    FakeFileReader files;
    FakeEventPump pump{journal};
    FakeClock clock{journal};
    FakeApplication app;
    FakeWindowGeometry window;
    FakeVoice* voice = nullptr;
    std::optional<RuntimeError> voiceFailure;  // set to make starting the voice fail

    std::unique_ptr<Voice> CreateVoice() {
        if (voiceFailure) {
            throw *voiceFailure;
        }
        auto created = std::make_unique<FakeVoice>(journal);
        voice = created.get();
        return created;
    }

    std::vector<std::string> Spoken() const {
        std::vector<std::string> out;
        for (const Happening& h : journal) {
            if (h.what == "speak") {
                out.push_back(h.text);
            }
        }
        return out;
    }

    // Only the happenings of the given kinds, in order.
    Journal Only(std::initializer_list<std::string_view> kinds) const {
        Journal out;
        for (const Happening& h : journal) {
            for (std::string_view kind : kinds) {
                if (h.what == kind) {
                    out.push_back(h);
                }
            }
        }
        return out;
    }
};

}  // namespace orlavo::testing
