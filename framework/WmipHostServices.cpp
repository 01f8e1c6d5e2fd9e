#include "framework/WmipHostServices.h"

#include "framework/IWmipFrameworkHost.h"
#include "framework/IWmipUserEntry.h"

namespace WmipHostServices {

CWmipClassCache* ClassCache()
{
    IWmipFrameworkHost* host = IWmipFrameworkHost::Current();
    return host != nullptr ? host->GetHostClassCache() : nullptr;
}

CWimpHardwareStatusCache* HardwareStatusCache()
{
    IWmipFrameworkHost* host = IWmipFrameworkHost::Current();
    return host != nullptr ? host->GetHostHardwareStatusCache() : nullptr;
}

void UpdateCommServer(int code, CfgMessage& message)
{
    if (IWmipFrameworkHost* host = IWmipFrameworkHost::Current())
        host->UpdateHostCommServer(code, message);
}

void SendCfgMessage(CfgMessage& message)
{
    if (IWmipFrameworkHost* host = IWmipFrameworkHost::Current())
        host->SendHostCfgMessage(message);
}

std::unique_ptr<IWmipUserEntry> WrapPooledUser(CAcsUser* pooledUser)
{
    IWmipFrameworkHost* host = IWmipFrameworkHost::Current();
    return host != nullptr ? host->WrapPooledUser(pooledUser) : nullptr;
}

}  // namespace WmipHostServices
