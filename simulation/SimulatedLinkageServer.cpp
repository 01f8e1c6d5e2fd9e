#include "simulation/SimulatedLinkageServer.h"

namespace support {

SimulatedLinkageServer::SimulatedLinkageServer() : SimulatedServer(L"linkage server") {}

RPC_STATUS SimulatedLinkageServer::LaunchTour(std::span<BYTE> block, LONG* answer)
{
    return Answer(static_cast<LONG>(ClslProcedure::LaunchTour), L"LaunchTour", block, answer, nullptr);
}

RPC_STATUS SimulatedLinkageServer::RegisterHardwareEventProvider(std::span<BYTE> block, LONG* answer)
{
    return Answer(static_cast<LONG>(ClslProcedure::RegisterHardwareEventProvider), L"RegisterHardwareEventProvider",
                  block, answer, nullptr);
}

RPC_STATUS SimulatedLinkageServer::RegisterSoftwareEventProvider(std::span<BYTE> block, LONG* answer)
{
    return Answer(static_cast<LONG>(ClslProcedure::RegisterSoftwareEventProvider), L"RegisterSoftwareEventProvider",
                  block, answer, nullptr);
}

}  // namespace support
