#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>

namespace orlavo {

// Tells, while a text of ours waits or is spoken through speech-dispatcher, whether speech still
// goes on. speech-dispatcher answering is judged by the voice, which asks it something every few
// seconds; this judges the synthesizer, speech-dispatcher's module process, by whether it is
// alive: there, neither stopped nor ended. A slow voice is then never cut, however long the text:
// a Chinese paragraph or a line of digits read one at a time takes minutes.
//
// Where the module cannot be seen (speech-dispatcher runs where this program cannot look, or
// several of the user's own, started on demand, run modules of that name), the text is given the
// time it takes at the slowest plausible speed instead, counting digits, and characters of the
// scripts read a syllable at a time or named one by one, as several.
class SpeechWatchdog {
  public:
    using Clock = std::chrono::steady_clock;

    // `daemon` is speech-dispatcher's process (0 when unknown), `rate` the desktop's DefaultRate.
    SpeechWatchdog(pid_t daemon, const std::string& text, int rate);

    // The synthesizer began the text.
    void Begun(Clock::time_point now);
    // Whether speech still goes on now that speech-dispatcher said it speaks with `module`;
    // false once the module stopped or ended, or the text outran its time where the module
    // cannot be seen.
    bool GoesOn(Clock::time_point now, const std::string& module);
    // When GoesOn turns false unless something else is heard first; none while the module is
    // watched.
    std::optional<Clock::time_point> Deadline() const { return m_deadline; }

    // The longest a synthesizer may plausibly take from beginning the text to ending it.
    static Clock::duration Allowance(const std::string& text, int rate);

  private:
    pid_t m_daemon;
    Clock::duration m_allowance;
    bool m_begun = false;
    pid_t m_module = 0;  // the module process once seen
    pid_t m_moduleParent = 0;
    std::optional<Clock::time_point> m_deadline;
};

}  // namespace orlavo
