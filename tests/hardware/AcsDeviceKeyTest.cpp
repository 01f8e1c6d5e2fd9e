// Device keys: their layout, the kind each combination of ids gives, and normalisation.
#include "hardware/AcsDeviceKey.h"
#include "hardware/LAcsAccessPanel.h"
#include "hardware/LAcsDeviceModel.h"

#include <gtest/gtest.h>

namespace {

constexpr LONG kAccessPanelType = 15;
constexpr LONG kLockSystemType = 40;
constexpr LONG kCasiType = 41;

TEST(AcsDeviceKey, PacksThreeSixteenBitIdsFromTheLowEnd)
{
    const AcsDeviceKey key(0x10002, 0x3FFFF, 5);
    EXPECT_EQ(key.GetKey(), 0x00000005FFFF0002ull);
    EXPECT_EQ(key.GetPanelId(), 2);
    EXPECT_EQ(key.GetDeviceId(), 0xFFFF);
    EXPECT_EQ(key.GetInputId(), 5);
    EXPECT_EQ(AcsDeviceKey(0xFFFF000000000001ull).GetKey(), 1u);
}

TEST(AcsDeviceKey, KindsFollowTheIdsAndThePanelFamily)
{
    struct Case
    {
        LONG panel, device, input, sourceType, panelType, third, kind;
    };
    const Case cases[] = {
        {0, 5, 1, 0, kAccessPanelType, 0, AcsDeviceKey::KindNone},
        {1, 0, 3, 0, kAccessPanelType, 0, AcsDeviceKey::KindPanel},
        {1, 0, 0, 0, kLockSystemType, 0, AcsDeviceKey::KindPanel},
        {1, 70, 3, 0, kLockSystemType, 0, AcsDeviceKey::KindReader},
        {1, 65, 0, 0, kAccessPanelType, 0, AcsDeviceKey::KindAlarmPanel},
        {1, 192, 0, 0, kAccessPanelType, 0, AcsDeviceKey::KindAlarmPanel},
        {1, 65, 16, 0, kAccessPanelType, 0, AcsDeviceKey::KindAlarmInput},
        {1, 65, 17, 0, kAccessPanelType, 0, AcsDeviceKey::KindAlarmOutput},
        {1, 65, 20, 0, kCasiType, 29, AcsDeviceKey::KindAlarmInput},
        {1, 65, 21, 0, kCasiType, 29, AcsDeviceKey::KindAlarmOutput},
        {1, 65, 20, 0, kCasiType, 28, AcsDeviceKey::KindAlarmOutput},
        {1, 65, 20, 0, kAccessPanelType, 29, AcsDeviceKey::KindAlarmOutput},
        {1, 64, 0, 0, kAccessPanelType, 0, AcsDeviceKey::KindReader},
        {1, 193, 254, 0, kAccessPanelType, 0, AcsDeviceKey::KindReader},
        {1, 3, 255, 0, kAccessPanelType, 0, AcsDeviceKey::KindReader},
        {1, 3, 16, 0, kAccessPanelType, 0, AcsDeviceKey::KindReaderInput},
        {1, 3, 17, 0, kAccessPanelType, 0, AcsDeviceKey::KindReaderOutput},
        {1, 3, 253, 0, kAccessPanelType, 0, AcsDeviceKey::KindReaderOutput},
        // Event source types 2..21 classify by the same rules.
        {1, 3, 5, 2, kAccessPanelType, 0, AcsDeviceKey::KindReaderInput},
        {1, 65, 0, 21, kAccessPanelType, 0, AcsDeviceKey::KindAlarmPanel},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(::testing::Message() << c.panel << "/" << c.device << "/" << c.input << " type " << c.panelType);
        const AcsDeviceKey key(c.panel, c.device, c.input);
        EXPECT_EQ(key.GetDeviceKind(c.sourceType, c.panelType, c.third), c.kind);
        const LAcsAccessPanel panel(c.panel, c.panelType, c.third);
        EXPECT_EQ(panel.GetDeviceKind(key), c.sourceType == 0 ? c.kind : panel.GetDeviceKind(key));
    }
}

TEST(AcsDeviceKey, NormalizeClearsTheInputOfAReaderOnly)
{
    AcsDeviceKey reader(1, 3, 254);
    reader.Normalize(0, kAccessPanelType, 0);
    EXPECT_EQ(reader, AcsDeviceKey(1, 3, 0));
    AcsDeviceKey input(1, 3, 4);
    input.Normalize(0, kAccessPanelType, 0);
    EXPECT_EQ(input, AcsDeviceKey(1, 3, 4));
    AcsDeviceKey lock(1, 3, 4);
    lock.Normalize(0, kLockSystemType, 0);
    EXPECT_EQ(lock, AcsDeviceKey(1, 3, 0));
}

TEST(LAcsAccessPanel, ANodeIsKnownToTheDeviceModelWhileItLives)
{
    LONG type = 0;
    {
        const LAcsAccessPanel panel(9, kCasiType, 29);
        EXPECT_EQ(panel.GetEventSourceType(), 0);
        EXPECT_EQ(panel.GetThirdValue(), 29);
        ASSERT_TRUE(LAcsDeviceModel::Instance().FindPanelType(panel.GetDeviceKey().GetKey(), &type));
        EXPECT_EQ(type, kCasiType);
    }
    EXPECT_FALSE(LAcsDeviceModel::Instance().FindPanelType(AcsDeviceKey(9, 0, 0).GetKey(), &type));
    const LAcsAccessPanel bare(9, 0, 0);
    EXPECT_EQ(bare.GetPanelType(), 0);
    EXPECT_EQ(bare.GetDeviceKind(AcsDeviceKey(9, 65, 20)), AcsDeviceKey::KindAlarmOutput);
}

}  // namespace
