#include "framework/IWmipFrameworkHost.h"

#include "platform/mfc/ModuleState.h"

IWmipFrameworkHost* IWmipFrameworkHost::Current()
{
    return dynamic_cast<IWmipFrameworkHost*>(AfxGetApp());
}
