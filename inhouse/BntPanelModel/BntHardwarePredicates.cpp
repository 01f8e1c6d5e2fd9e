#include "inhouse/BntPanelModel/BntHardwarePredicates.h"

namespace {

constexpr LONG kOnboardReaderTypes[] = {20, 21};
constexpr LONG kLogicalSlaveReaderType = 30;
constexpr LONG kElevatorAlarmPanelTypes[] = {40, 41};

template <std::size_t N>
bool Contains(const LONG (&types)[N], LONG type)
{
    for (const LONG candidate : types)
    {
        if (candidate == type)
            return true;
    }
    return false;
}

}  // namespace

bool BntIsOnboardReader2(LONG controlType)
{
    return Contains(kOnboardReaderTypes, controlType);
}

namespace Bnt::IR::Utility::Hardware {

bool BntReaderLogicalSlave(LONG controlType, LONG)
{
    return controlType == kLogicalSlaveReaderType;
}

bool BntIsElevatorAlarmPanel(LONG controllerType)
{
    return Contains(kElevatorAlarmPanelTypes, controllerType);
}

}  // namespace Bnt::IR::Utility::Hardware
