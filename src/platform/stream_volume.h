#pragma once

#include <algorithm>
#include <atomic>

namespace orlavo {

// The loudness of Orlavo's own voice for this run, as the desktop's media controls set it (a
// panel's slider, `playerctl volume 0.5`): 0 is silent, 1 the voice as synthesised; nothing is
// remembered. Set on the window's thread, read by the voice's worker for each piece of sound.
class StreamVolume {
  public:
    void Set(double level) { m_level = std::clamp(level, 0.0, 1.0); }
    double Level() const { return m_level; }

  private:
    std::atomic<double> m_level{1.0};
};

}  // namespace orlavo
