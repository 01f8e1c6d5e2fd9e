#include "platform/wmi/WbemErrorInfo.h"

#include <utility>

namespace {
ComPtr<IWbemClassObject>& Slot()
{
    thread_local ComPtr<IWbemClassObject> statusObject;
    return statusObject;
}
}  // namespace

void WbemErrorInfo::Set(IWbemClassObject* statusObject)
{
    Slot() = statusObject;
}

ComPtr<IWbemClassObject> WbemErrorInfo::Take()
{
    return std::exchange(Slot(), nullptr);
}
