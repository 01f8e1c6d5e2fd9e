#include "hardware/ClslRPCServerProxy.h"

#include <exception>
#include <vector>

#include "hardware/RpcBlock.h"
#include "platform/rpc/RpcEndpointTable.h"

namespace {

constexpr std::size_t kTourBlockSize = 28;
constexpr std::size_t kTourResultOffset = 24;
constexpr std::size_t kRegistrationTextsOffset = 12;

}  // namespace

ClslRPCServerProxy::ClslRPCServerProxy() = default;

ClslRPCServerProxy::ClslRPCServerProxy(const CString& host)
{
    SetHostName(host);
}

ClslRPCServerProxy::~ClslRPCServerProxy() = default;

void ClslRPCServerProxy::SetHostName(const CString& host)
{
    CString upper = host;
    upper.MakeUpper();
    const CheckedMutexLock lock(m_lock);
    if (m_host == upper)
        return;
    m_host = upper;
    m_server.reset();
}

CString ClslRPCServerProxy::GetHostName()
{
    const CheckedMutexLock lock(m_lock);
    return m_host;
}

LONG ClslRPCServerProxy::GetLastStatus()
{
    const CheckedMutexLock lock(m_lock);
    return m_lastStatus;
}

IClslLinkageServer* ClslRPCServerProxy::ServerLocked()
{
    // A proxy aimed at no host binds to nothing.
    if (m_server == nullptr && !m_host.IsEmpty())
        m_server = RpcEndpointTable::Instance().BindInterface<IClslLinkageServer>(m_host.GetWString(),
                                                                                  kLinkageServerEndpoints);
    return m_server.get();
}

RPC_STATUS ClslRPCServerProxy::Invoke(Procedure procedure, std::span<BYTE> block, LONG* answer)
{
    // The caller holds m_lock.
    IClslLinkageServer* server = ServerLocked();
    if (server == nullptr)
        return RPC_S_SERVER_UNAVAILABLE;
    try
    {
        return (server->*procedure)(block, answer);
    }
    catch (const std::exception&)
    {
        return RPC_S_CALL_FAILED;
    }
}

void ClslRPCServerProxy::Register(Procedure procedure, const CString& providerId, const CString& computerName,
                                  BYTE registerFlag)
{
    const std::vector<BYTE> provider = RpcBlock::Utf16WithTerminator(providerId.GetWString());
    const std::vector<BYTE> computer = RpcBlock::Utf16WithTerminator(computerName.GetWString());
    std::vector<BYTE> block(kRegistrationTextsOffset);
    RpcBlock::PutByte(block, 0, registerFlag);
    RpcBlock::PutLong(block, 4, static_cast<LONG>(provider.size()));
    RpcBlock::PutLong(block, 8, static_cast<LONG>(computer.size()));
    block.insert(block.end(), provider.begin(), provider.end());
    block.insert(block.end(), computer.begin(), computer.end());

    const CheckedMutexLock lock(m_lock);
    LONG answer = 0;
    const RPC_STATUS status = Invoke(procedure, block, &answer);
    m_lastStatus = status == RPC_S_OK ? answer : status;
}

void ClslRPCServerProxy::RegisterHardwareEventProvider(const CString& providerId, const CString& computerName,
                                                       BYTE registerFlag)
{
    Register(&IClslLinkageServer::RegisterHardwareEventProvider, providerId, computerName, registerFlag);
}

void ClslRPCServerProxy::RegisterSoftwareEventProvider(const CString& providerId, const CString& computerName,
                                                       BYTE registerFlag)
{
    Register(&IClslLinkageServer::RegisterSoftwareEventProvider, providerId, computerName, registerFlag);
}

BOOL ClslRPCServerProxy::LaunchTour(LONG tourId, LONG unnamed1, LONGLONG badgeId, LONG unnamed2,
                                    LONG monitoringStationId, LONG* result)
{
    std::vector<BYTE> block(kTourBlockSize);
    RpcBlock::PutLong(block, 0, tourId);
    RpcBlock::PutLong(block, 4, unnamed1);
    RpcBlock::PutLongLong(block, 8, badgeId);
    RpcBlock::PutLong(block, 16, unnamed2);
    RpcBlock::PutLong(block, 20, monitoringStationId);
    const CheckedMutexLock lock(m_lock);
    LONG answer = 0;
    if (Invoke(&IClslLinkageServer::LaunchTour, block, &answer) != RPC_S_OK)
        return FALSE;
    if (result != nullptr)
        *result = RpcBlock::Long(block, kTourResultOffset);
    return TRUE;
}
