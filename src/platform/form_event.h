#pragma once

namespace orlavo {

// What happens to Orlavo's window that its form answers (main_window/form1.h): its opening, the
// commands of its File menu, its closing, and the desktop's media controls, which steer reading as
// the menu does. The window on screen, the desktop session and main.cpp raise them; Form1 runs
// each, as ChosenCommands lets it.
enum class FormEvent {
    kLoad,
    kLoadEBookClick,
    kStartOrlavoClick,
    kStartOrlavoFromLineClick,
    kStopOrlavoClick,
    kUnload,
    // The desktop's media controls (a headset's buttons, the lock screen, playerctl).
    kMediaPlay,
    kMediaPause,
    kMediaPlayPause,
    kMediaStop,
};

constexpr bool FromMediaControls(FormEvent event) {
    return event == FormEvent::kMediaPlay || event == FormEvent::kMediaPause ||
           event == FormEvent::kMediaPlayPause || event == FormEvent::kMediaStop;
}

}  // namespace orlavo
