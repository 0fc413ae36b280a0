#include "reading/reading_commands.h"

#include <string>

#include "reading/line_number.h"
#include "reading/reading_presence.h"
#include "texts/program_texts.h"

namespace orlavo {

ReadingCommands::ReadingCommands(Form1Members& members, ReadingServices services,
                                 std::string decimalMark)
    : m_members(members), m_services(services), m_decimalMark(std::move(decimalMark)) {}

void ReadingCommands::StartOrlavo_Click() {
    if (m_services.list.ListCount() == 0) {
        m_members.Voice.Speak(kLoadBookFirst);
        return;
    }
    m_members.StopSpeaking = kFalse;
    ReadAloud(m_members, m_services);
}

void ReadingCommands::StartOrlavoFromLine_Click() {
    if (m_services.list.ListCount() == 0) {
        m_members.Voice.Speak(kLoadBookFirst);
        return;
    }
    std::string answer;
    bool numeric = false;
    while (!numeric) {
        answer = m_services.dialogs.InputBox(kEnterLinePrompt, kProgramName);
        numeric = IsNumeric(answer, m_decimalMark);
        if (!numeric && answer.empty()) {
            return;  // Cancel, or OK on an empty box: the person changed their mind
        }
    }

    // Lines are list positions, so the last line a person can start from is the last item.
    const std::int32_t highest = m_services.list.ListCount() - 1;
    const double line = TextToDouble(answer, m_decimalMark);
    if (line > highest) {
        m_services.dialogs.MsgBox(kMaxPrefix + std::to_string(highest), MessageStyle::kInformation,
                                  kProgramName);
        return;
    }
    // Anything that rounds to a negative position names no line.
    if (line < -0.5) {
        m_services.dialogs.MsgBox(kMinMessage, MessageStyle::kInformation, kProgramName);
        return;
    }
    m_services.list.Select(RoundToInteger(line));
    // A typed line is read from its beginning, even the one a Stop cut.
    m_members.m_cutPlace.reset();
    m_members.StopSpeaking = kFalse;
    ReadAloud(m_members, m_services);
}

void ReadingCommands::Halt(bool paused) {
    m_members.StopSpeaking = kTrue;
    m_members.m_moveTo.reset();
    m_members.m_paused = paused;
    m_members.m_itemCut.request_stop();
    TellDesktop(m_members, m_services.desktop);
}

void ReadingCommands::StopOrlavo_Click() {
    Halt(false);
    m_services.dialogs.MsgBox(kStoppedOnLine + std::to_string(m_members.LinePos),
                              MessageStyle::kExclamation, kProgramName);
}

void ReadingCommands::Pause() {
    if (IsReading(m_members)) {
        Halt(true);
    }
}

void ReadingCommands::Stop() {
    Halt(false);
}

}  // namespace orlavo
