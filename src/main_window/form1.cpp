#include "main_window/form1.h"

#include <memory>
#include <string>
#include <utility>

#include "main_window/closing_animation.h"
#include "platform/voice_failure.h"
#include "reading/reading_presence.h"
#include "texts/program_texts.h"

namespace orlavo {
Form1::Form1(Form1Services services)
    : m_services(std::move(services)),
      m_dialogs(m_services.dialogs, m_services.desktop),
      m_loader(m_members, {.list = m_services.list,
                           .pathBox = m_services.pathBox,
                           .title = m_services.title,
                           .dialogs = m_dialogs,
                           .fileDialog = m_services.fileDialog,
                           .files = m_services.files,
                           .app = m_services.app,
                           .background = m_services.background}),
      m_reading(m_members,
                {.list = m_services.list,
                 .dialogs = m_dialogs,
                 .pump = m_services.pump,
                 .clock = m_services.clock,
                 .desktop = m_services.desktop},
                m_services.decimalMark) {
    m_members.Voice = VoiceKeeper(m_services.createVoice, m_services.screenReader);
}

void Form1::Raise(Event event) {
    // Back as it was when the event ends: a menu command run inside a reading the media
    // controls started shows its boxes, and that reading goes on telling the desktop.
    const std::shared_ptr<void> restore(
        nullptr, [this, was = m_dialogs.TellTheDesktop(FromMediaControls(event))](void*) {
            m_dialogs.TellTheDesktop(was);
        });
    try {
        switch (event) {
            case Event::kLoad:
                Form_Load();
                break;
            case Event::kLoadEBookClick:
                LoadEBook_Click();
                break;
            case Event::kStartOrlavoClick:
                StartOrlavo_Click();
                break;
            case Event::kStartOrlavoFromLineClick:
                StartOrlavoFromLine_Click();
                break;
            case Event::kStopOrlavoClick:
                StopOrlavo_Click();
                break;
            case Event::kUnload:
                Form_Unload();
                break;
            case Event::kMediaPlay:
            case Event::kMediaPause:
            case Event::kMediaPlayPause:
            case Event::kMediaStop:
                MediaKey(event);
                break;
        }
    } catch (const RuntimeError& error) {
        // The voice failing ("Load Ee Book First" unheard) is told as every voice failure is.
        m_dialogs.MsgBox(IsVoiceFailure(error) ? SpeechUnavailableText(error.what())
                                               : RunTimeErrorText(error.number(), error.what()),
                         MessageStyle::kExclamation, kProgramName);
    } catch (const std::exception& error) {
        m_dialogs.MsgBox(RunTimeErrorText(kInvalidArgument, error.what()),
                         MessageStyle::kExclamation, kProgramName);
    }
}

bool Form1::RunsAtOnce(Event event) const {
    switch (event) {
        case Event::kUnload:
            return true;
        case Event::kStartOrlavoClick:
        case Event::kStartOrlavoFromLineClick:
        case Event::kStopOrlavoClick:
        case Event::kMediaPlay:
        case Event::kMediaPause:
        case Event::kMediaPlayPause:
        case Event::kMediaStop:
            return m_members.m_readingUnderWay;
        case Event::kLoad:
        case Event::kLoadEBookClick:
            return false;
    }
    return false;
}

// A sound server started after Orlavo is picked up here, by the next start command; while the
// voice reads, it is the one in use and stays.
bool Form1::VoiceReady() {
    if (m_members.m_readingUnderWay) {
        return true;
    }
    if (m_members.Voice.Ready()) {
        return true;
    }
    m_dialogs.MsgBox(SpeechUnavailableText(m_members.Voice.Problem()), MessageStyle::kExclamation,
                     kProgramName);
    return false;
}

void Form1::Form_Load() {
    VoiceReady();
}

void Form1::LoadEBook_Click() {
    m_loader.LoadEBook_Click();
}

void Form1::StartOrlavo_Click() {
    if (VoiceReady()) {
        m_reading.StartOrlavo_Click();
    }
}

void Form1::StartOrlavoFromLine_Click() {
    if (VoiceReady()) {
        m_reading.StartOrlavoFromLine_Click();
    }
}

void Form1::StopOrlavo_Click() {
    m_reading.StopOrlavo_Click();
}

void Form1::MediaKey(Event key) {
    const bool reading = IsReading(m_members);
    if (key == Event::kMediaStop) {
        m_reading.Stop();
    } else if (key == Event::kMediaPause || (key == Event::kMediaPlayPause && reading)) {
        m_reading.Pause();
    } else if (!reading) {
        StartOrlavo_Click();
    }
}

// The desktop forgets Orlavo's media controls and its wish to stay awake with Orlavo's own bus
// connection, as the process ends; nothing sent now would be sure to leave before it does.
void Form1::Form_Unload() {
    m_members.Voice.Silence();
    RunClosingAnimation(m_services.window);
    m_services.app.EndProgram();
}

}  // namespace orlavo
