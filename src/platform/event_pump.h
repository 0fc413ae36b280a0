#pragma once

namespace orlavo {

// Runs every pending window event (menu commands, repainting, closing) to its end, then returns.
// Commands run here can nest inside whatever called the pump.
class EventPump {
  public:
    virtual ~EventPump() = default;
    virtual void DoEvents() = 0;
};

}  // namespace orlavo
