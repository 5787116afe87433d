// Objects created by ProgID for the core.
#pragma once

#include "platform/gateway.h"

namespace vantrel::win {

class ObjectFactory : public IObjectFactory {
public:
    std::unique_ptr<IScriptShell> CreateScriptShell() override;
    std::unique_ptr<IBrowser> CreateBrowser() override;
};

}  // namespace vantrel::win
