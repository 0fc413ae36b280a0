#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/screen_reader.h"
#include "platform/voice.h"

namespace orlavo {

// The one owner of the window's voice and of its life: made at start-up, dropped when it fails,
// made again by the next start command, so a sound server started or restarted later is picked
// up without restarting Orlavo. While there is no voice, Problem() says why in the person's terms.
// While a screen reader runs, the voice is one that speaks in the screen reader's queue; one made
// before the screen reader was turned on or off is made again at the next start.
class VoiceKeeper {
  public:
    using Factory = std::function<std::unique_ptr<Voice>(VoiceRoute)>;

    explicit VoiceKeeper(Factory create = {}, ScreenReader* screenReader = nullptr)
        : m_create(std::move(create)), m_screenReader(screenReader) {}

    // Makes the voice if there is none or the screen reader came or went since it was made, and
    // waits until it can speak. False, with Problem() saying why, when speech is unavailable.
    bool Ready();
    // Speaks and returns once the text has been heard, or cut (see Listening). An empty language
    // is the desktop's. A voice that fails is dropped, its reason kept, and the error goes on to
    // the caller.
    Spoken Speak(std::string text, std::string_view language = {}, const Listening& listening = {});
    // Cuts off whatever is being spoken; the person is closing Orlavo.
    void Silence();

    bool HasVoice() const { return m_voice != nullptr; }
    const std::string& Problem() const { return m_problem; }

  private:
    void Drop(const char* why);

    Factory m_create;
    ScreenReader* m_screenReader;
    std::unique_ptr<Voice> m_voice;
    VoiceRoute m_route = VoiceRoute::kAsChosen;  // the one m_voice was made for
    std::string m_problem;
};

}  // namespace orlavo
