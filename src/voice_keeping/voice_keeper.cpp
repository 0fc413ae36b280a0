#include "voice_keeping/voice_keeper.h"

#include <exception>
#include <utility>

#include "platform/voice_failure.h"

namespace orlavo {

void VoiceKeeper::Drop(const char* why) {
    m_problem = why;
    m_voice.reset();
}

bool VoiceKeeper::Ready() {
    try {
        const VoiceRoute route = m_screenReader != nullptr && m_screenReader->Running()
                                     ? VoiceRoute::kBesideScreenReader
                                     : VoiceRoute::kAsChosen;
        if (m_voice && route != m_route) {
            m_voice.reset();
        }
        if (!m_voice) {
            if (!m_create) {
                m_problem = kNoSpeechEngine;
                return false;
            }
            m_voice = m_create(route);
            m_route = route;
        }
        m_voice->Prepare();
        m_problem.clear();
        return true;
    } catch (const std::exception& error) {
        Drop(error.what());
        return false;
    }
}

Spoken VoiceKeeper::Speak(std::string text, std::string_view language, const Listening& listening) {
    if (!m_voice) {
        throw RuntimeError(kNoVoice, m_problem);
    }
    try {
        return m_voice->Speak(std::move(text), language, listening);
    } catch (const RuntimeError& error) {
        // The engine or the sound server failed (the server was stopped, say). The caller decides
        // what that means for reading; the voice goes, so that the next start command makes a
        // new one, or tells the person why it cannot, instead of falling silent again.
        if (IsVoiceFailure(error)) {
            Drop(error.what());
        }
        throw;
    }
}

void VoiceKeeper::Silence() {
    if (m_voice) {
        m_voice->Silence();
    }
}

}  // namespace orlavo
