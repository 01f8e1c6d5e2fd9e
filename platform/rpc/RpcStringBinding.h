// RpcStringBinding: one string binding, "protseq:address[endpoint]", with the three protocol
// sequences the hardware clients use (ncalrpc, ncacn_np, ncacn_ip_tcp). Composes the text
// from its parts and parses a text back into them; network options and object UUIDs are not
// used by the clients and are refused.
//
// A value type; not shared between threads.
#pragma once

#include <string>
#include <string_view>

#include "platform/rpc/RpcStatus.h"

class RpcStringBinding
{
public:
    // Longest binding text accepted by Parse and produced by Compose.
    static constexpr std::size_t kMaxBindingLength = 512;

    static constexpr wchar_t kLocal[] = L"ncalrpc";
    static constexpr wchar_t kNamedPipe[] = L"ncacn_np";
    static constexpr wchar_t kTcp[] = L"ncacn_ip_tcp";

    RpcStringBinding() = default;
    RpcStringBinding(std::wstring protocolSequence, std::wstring networkAddress, std::wstring endpoint);

    // The binding text into *text. RPC_S_OK; RPC_S_PROTSEQ_NOT_SUPPORTED for another protocol
    // sequence; RPC_S_INVALID_STRING_BINDING when a part holds a character of the syntax
    // (':', '[', ']', '@', ',') or a control character, or the text would be too long.
    RPC_STATUS Compose(std::wstring* text) const;

    // Reads a binding text into *binding (changed only on success). RPC_S_OK;
    // RPC_S_INVALID_STRING_BINDING for a text that is not "protseq:address[endpoint]" (the
    // endpoint part may be absent), is too long or carries options or an object UUID;
    // RPC_S_PROTSEQ_NOT_SUPPORTED for another protocol sequence.
    static RPC_STATUS Parse(std::wstring_view text, RpcStringBinding* binding);

    // True for the three protocol sequences above (compared exactly, as the runtime does).
    static bool IsSupportedProtocol(std::wstring_view protocolSequence);

    const std::wstring& ProtocolSequence() const { return m_protocolSequence; }
    const std::wstring& NetworkAddress() const { return m_networkAddress; }
    const std::wstring& Endpoint() const { return m_endpoint; }

    bool operator==(const RpcStringBinding&) const = default;

private:
    std::wstring m_protocolSequence;
    std::wstring m_networkAddress;
    std::wstring m_endpoint;
};
