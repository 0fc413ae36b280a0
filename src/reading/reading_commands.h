#pragma once

#include "form_state/form1_members.h"
#include "reading/read_aloud.h"

namespace orlavo {

// The three menu commands that start and stop reading.
class ReadingCommands {
  public:
    // decimalMark: the desktop's decimal mark for typed line numbers ("." or ",").
    ReadingCommands(Form1Members& members, ReadingServices services, std::string decimalMark);

    // Reads from the selected item (from the first one when nothing is selected).
    void StartOrlavo_Click();
    // Asks for a line number, then reads from there.
    void StartOrlavoFromLine_Click();
    // Asks the reading loop to stop after the current item and says which line it was on.
    void StopOrlavo_Click();

  private:
    Form1Members& m_members;
    ReadingServices m_services;
    std::string m_decimalMark;
};

}  // namespace orlavo
