// The application base of the installation's programs: the framework's application object
// under the installation's own name, so that the programs' common base (CBntApp) and the
// framework's module state see one object.
//
// Owned by the program (usually one global object); not copyable. Thread-safety as CWinApp.
#pragma once

#include "platform/mfc/ModuleState.h"

namespace brontel::utility {

class BaseApp : public CWinApp
{
public:
    explicit BaseApp(LPCWSTR appName = nullptr) : CWinApp(appName) {}
};

}  // namespace brontel::utility
