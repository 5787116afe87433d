// InternetExplorer.Application, called late-bound.
#pragma once

#include "platform/com_win.h"
#include "platform/gateway.h"

namespace vantrel::win {

class IeBrowser : public IBrowser {
public:
    // Raises 429 when the browser's automation object cannot be created.
    IeBrowser() : ie_(Dispatch::Create(L"InternetExplorer.Application")) {}
    void SetVisible(bool visible) override;
    void Navigate(const std::string& url) override;

private:
    Dispatch ie_;
};

}  // namespace vantrel::win
