#include "platform/rpc/RpcStringBinding.h"

#include <utility>

namespace {

// A character that would change the meaning of a composed binding text.
bool IsSyntaxCharacter(wchar_t c)
{
    return c == L':' || c == L'[' || c == L']' || c == L'@' || c == L',' || c < 0x20 || c == 0x7F;
}

bool IsPlainPart(std::wstring_view part)
{
    for (const wchar_t c : part)
    {
        if (IsSyntaxCharacter(c))
            return false;
    }
    return true;
}

}  // namespace

RpcStringBinding::RpcStringBinding(std::wstring protocolSequence, std::wstring networkAddress, std::wstring endpoint)
    : m_protocolSequence(std::move(protocolSequence)), m_networkAddress(std::move(networkAddress)),
      m_endpoint(std::move(endpoint))
{
}

bool RpcStringBinding::IsSupportedProtocol(std::wstring_view protocolSequence)
{
    return protocolSequence == kLocal || protocolSequence == kNamedPipe || protocolSequence == kTcp;
}

RPC_STATUS RpcStringBinding::Compose(std::wstring* text) const
{
    if (!IsSupportedProtocol(m_protocolSequence))
        return RPC_S_PROTSEQ_NOT_SUPPORTED;
    if (!IsPlainPart(m_networkAddress) || !IsPlainPart(m_endpoint))
        return RPC_S_INVALID_STRING_BINDING;
    std::wstring composed = m_protocolSequence + L":" + m_networkAddress;
    if (!m_endpoint.empty())
        composed += L"[" + m_endpoint + L"]";
    if (composed.size() > kMaxBindingLength)
        return RPC_S_INVALID_STRING_BINDING;
    *text = std::move(composed);
    return RPC_S_OK;
}

RPC_STATUS RpcStringBinding::Parse(std::wstring_view text, RpcStringBinding* binding)
{
    if (text.size() > kMaxBindingLength)
        return RPC_S_INVALID_STRING_BINDING;
    const std::size_t colon = text.find(L':');
    if (colon == std::wstring_view::npos || colon == 0)
        return RPC_S_INVALID_STRING_BINDING;
    const std::wstring_view protocol = text.substr(0, colon);
    if (!IsPlainPart(protocol))
        return RPC_S_INVALID_STRING_BINDING;
    if (!IsSupportedProtocol(protocol))
        return RPC_S_PROTSEQ_NOT_SUPPORTED;
    std::wstring_view rest = text.substr(colon + 1);
    std::wstring_view endpoint;
    const std::size_t open = rest.find(L'[');
    if (open != std::wstring_view::npos)
    {
        if (rest.back() != L']')
            return RPC_S_INVALID_STRING_BINDING;
        endpoint = rest.substr(open + 1, rest.size() - open - 2);
        rest = rest.substr(0, open);
    }
    if (!IsPlainPart(rest) || !IsPlainPart(endpoint))
        return RPC_S_INVALID_STRING_BINDING;
    *binding = RpcStringBinding(std::wstring(protocol), std::wstring(rest), std::wstring(endpoint));
    return RPC_S_OK;
}
