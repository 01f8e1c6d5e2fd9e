// WmipHostServices: the process services of the current host (IWmipFrameworkHost) as a mapper
// calls them, so that no mapper names the application class that provides them. Each answers
// null, or does nothing, when the calling thread has no host.
#pragma once

#include <memory>

class CAcsUser;
class CfgMessage;
class CWimpHardwareStatusCache;
class CWmipClassCache;
class IWmipUserEntry;

namespace WmipHostServices {

CWmipClassCache* ClassCache();
CWimpHardwareStatusCache* HardwareStatusCache();
void UpdateCommServer(int code, CfgMessage& message);
void SendCfgMessage(CfgMessage& message);
std::unique_ptr<IWmipUserEntry> WrapPooledUser(CAcsUser* pooledUser);

}  // namespace WmipHostServices
