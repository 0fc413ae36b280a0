#pragma once

#include "form_state/form1_members.h"
#include "reading/read_aloud.h"

namespace orlavo {

// The three menu commands that start and stop reading, and the media controls' stops. Each may come
// while reading: a start then moves the reading, a stop silences it at once.
class ReadingCommands {
  public:
    // decimalMark: the desktop's decimal mark for typed line numbers ("." or ",").
    ReadingCommands(Form1Members& members, ReadingServices services, std::string decimalMark);

    // Reads from the selected item (from the first one when nothing is selected).
    void StartOrlavo_Click();
    // Asks for a line number, then reads from there.
    void StartOrlavoFromLine_Click();
    // Stops reading at once and says which line it stopped on: the item cut, which stays
    // highlighted, or the next one when the stop came between two.
    void StopOrlavo_Click();
    // The media controls' Pause and Stop: the same stop, told only to the media controls, which
    // show Orlavo paused or stopped. Play goes on from there as Start Orlavo does.
    void Pause();
    void Stop();

  private:
    void Halt(bool paused);

    Form1Members& m_members;
    ReadingServices m_services;
    std::string m_decimalMark;
};

}  // namespace orlavo
