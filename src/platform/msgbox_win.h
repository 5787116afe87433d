// Modal message boxes with one OK button.
#pragma once

#include "platform/gateway.h"

namespace vantrel::win {

class MessageBoxes : public IMessageBox {
public:
    void Show(const std::string& text, const std::string& title, MsgIcon icon) override;
};

}  // namespace vantrel::win
