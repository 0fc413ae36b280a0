#pragma once

#include "platform/label.h"

class QLabel;

namespace orlavo {

// The title label. The label keeps its size: a title too wide for it is cut with an ellipsis,
// and the whole title is then shown as the label's tooltip.
class QtLabel : public Label {
  public:
    explicit QtLabel(QLabel& label);

    void SetCaption(const std::string& caption) override;

  private:
    QLabel& m_label;
};

}  // namespace orlavo
