// What the installation's panel types and controller types can do.
#include "inhouse/BntPanelModel/BntHardwarePredicates.h"
#include "inhouse/BntPanelModel/BntPanelCapabilities.h"

#include <gtest/gtest.h>

namespace {

TEST(BntPanelCapabilities, FamiliesAndIntrusionCountsByPanelType)
{
    const struct
    {
        LONG type;
        bool onity;
        bool casi;
        LONG counts[5];
    } cases[] = {
        {15, false, false, {0, 0, 0, 0, 0}}, {30, false, false, {64, 4, 16, 8, 8}}, {31, false, false, {1, 2, 0, 1, 4}},
        {40, true, false, {0, 0, 0, 0, 0}},  {41, false, true, {0, 0, 0, 0, 0}},    {-7, false, false, {0, 0, 0, 0, 0}},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.type);
        EXPECT_EQ(BntPanelCapabilities::IsOnityPanel(c.type), c.onity);
        EXPECT_EQ(BntPanelCapabilities::IsCASIPanel(c.type), c.casi);
        LONG counts[5] = {9, 9, 9, 9, 9};
        BntPanelCapabilities::GetMaxSupportedIntrusionObjects(c.type, counts);
        for (int i = 0; i < 5; ++i)
            EXPECT_EQ(counts[i], c.counts[i]) << i;
    }
    BntPanelCapabilities::GetMaxSupportedIntrusionObjects(30, nullptr);
}

TEST(BntHardwarePredicates, ControllerTypes)
{
    for (const LONG type : {0, 1, 19, 20, 21, 22, 30, 40, 41})
        EXPECT_EQ(BntIsOnboardReader2(type), type == 20 || type == 21) << type;
    for (const LONG type : {0, 1, 20, 30, 31})
        EXPECT_EQ(Bnt::IR::Utility::Hardware::BntReaderLogicalSlave(type, 0), type == 30) << type;
    for (const LONG type : {0, 1, 39, 40, 41, 42})
        EXPECT_EQ(Bnt::IR::Utility::Hardware::BntIsElevatorAlarmPanel(type), type == 40 || type == 41) << type;
}

}  // namespace
