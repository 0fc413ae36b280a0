#pragma once

// The state of Orlavo's one window, shared by the commands that load and read a book. Every
// command handler works on these members. Two other things hold state of their own: the voice
// (Voice below, which makes it when first asked and drops it after a failure) and ChosenCommands,
// which holds the commands chosen while another one runs. The book itself lives only in the book
// list on screen.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <stop_token>
#include <string>

#include "platform/desktop_session.h"
#include "voice_keeping/voice_keeper.h"

namespace orlavo {

inline constexpr std::int16_t kTrue = -1;
inline constexpr std::int16_t kFalse = 0;

// The names without a prefix are the program's old names: they mirror the member table of the
// form Orlavo reproduces, so that each handler reads as that form's code did and can be checked
// against it line by line. The m_ ones are Orlavo's own additions.
struct Form1Members {
    // What the open-file dialog returned: the path, a NUL and padding spaces.
    std::string SourcePath;
    // The reading position: the list position of the item being read, or where reading stopped.
    std::int32_t LinePos = 0;
    // Set by Stop, cleared by the start commands; the reading loop looks at it once per item.
    std::int16_t StopSpeaking = kFalse;
    // The voice, and why there is none when speech is unavailable.
    VoiceKeeper Voice;

    // The language the loaded book is written in ("ru", "de"), empty when it could not be told;
    // its items are spoken in it.
    std::string m_bookLanguage;
    // Counts successful loads, so a reading loop can tell that the book under it was replaced.
    std::uint64_t m_bookGeneration = 0;
    // The loaded book's title, as shown above the list.
    std::string m_bookTitle;
    // Whether the reading loop runs (there is only ever one), what the desktop was last told of
    // it and whether a media Pause, rather than a Stop, ended it last (see
    // reading/reading_presence.h).
    bool m_readingUnderWay = false;
    ReadingState m_desktopKnows = ReadingState::kStopped;
    bool m_paused = false;
    // Cuts the text the voice is speaking for the reading loop, at once: a Stop, a start elsewhere.
    std::stop_source m_itemCut;
    // Where a start chosen while reading moves the reading: a list position.
    std::optional<std::int32_t> m_moveTo;
    // Where a Stop cut an item short: reading that starts at that item of that book goes on from
    // the word it was cut at (its first byte) instead of from its beginning.
    struct CutPlace {
        std::int32_t position = 0;
        std::size_t at = 0;
        std::uint64_t book = 0;
    };
    std::optional<CutPlace> m_cutPlace;
};

}  // namespace orlavo
