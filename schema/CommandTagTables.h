// The command-capability tags of intrusion and intercom devices, in their fixed order. The
// device model hands a table with its count to ReadCommandCapabilities
// (schema/CommandCapabilities.h) together with a device's capability text.
//
// Constant data: usable from any static initialiser and any thread without a lock.
#pragma once

#include <cstddef>
#include <iterator>

inline constexpr const wchar_t* IntrusionCommandTagTable[] = {
    L"<Disarm>",     L"<PerimeterArm>",      L"<EntirePartitionArm>",  L"<ArmDelay>",
    L"<ArmInstant>", L"<PerimeterArmDelay>", L"<PerimeterArmInstant>", L"<SilenceAlarms>",
    L"<PartialArm>", L"<CancelReset>",       L"<ExecuteFunction>",
};
inline constexpr std::size_t kIntrusionCommandTagCount = std::size(IntrusionCommandTagTable);

inline constexpr const wchar_t* IntercomCommandTagTable[] = {
    L"<CancelIntercomCall>", L"<PlaceIntercomCall>", L"<CancelSpecificCall>",
    L"<AnswerSpecificCall>", L"<SetBlockedState>",   L"<DivertSpecificCall>",
};
inline constexpr std::size_t kIntercomCommandTagCount = std::size(IntercomCommandTagTable);
