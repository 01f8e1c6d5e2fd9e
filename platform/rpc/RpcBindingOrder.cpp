#include "platform/rpc/RpcBindingOrder.h"

#include <cwctype>

#include "platform/registry/ProfileFile.h"
#include "platform/win32/SystemInfo.h"

namespace {

std::wstring Upper(std::wstring text)
{
    for (wchar_t& c : text)
        c = static_cast<wchar_t>(std::towupper(c));
    return text;
}

}  // namespace

std::wstring RpcBindingOrder::LocalComputerName()
{
    wchar_t buffer[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    if (!GetComputerNameW(buffer, &size))
        return L"LOCALHOST";
    return Upper(std::wstring(buffer, size));
}

bool RpcBindingOrder::IsLocalHost(const std::wstring& host)
{
    const std::wstring upper = Upper(host);
    return upper.empty() || upper == L"." || upper == L"LOCALHOST" || upper == LocalComputerName();
}

std::wstring RpcBindingOrder::CanonicalHost(const std::wstring& host)
{
    return IsLocalHost(host) ? LocalComputerName() : Upper(host);
}

std::vector<RpcStringBinding> RpcBindingOrder::ForHost(const std::wstring& host, const RpcServiceEndpoints& service)
{
    const std::wstring address = CanonicalHost(host);
    std::vector<RpcStringBinding> order;
    if (IsLocalHost(host))
        order.emplace_back(RpcStringBinding::kLocal, address, service.localEndpoint);
    if (GetPrivateProfileIntW(kServiceSection, kUsePipesKey, 0, kProfileFile) == 1)
        order.emplace_back(RpcStringBinding::kNamedPipe, address, service.pipeEndpoint);
    if (service.portKey == nullptr)
        return order;
    UINT port =
        GetPrivateProfileIntW(kServiceSection, service.portKey, static_cast<INT>(service.defaultPort), kProfileFile);
    if (port == 0 || port > kMaxPort)
        port = service.defaultPort;
    order.emplace_back(RpcStringBinding::kTcp, address, std::to_wstring(port));
    return order;
}
