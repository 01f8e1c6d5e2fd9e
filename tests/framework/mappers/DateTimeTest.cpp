#include "tests/framework/mappers/MapperTestFixture.h"

#include "common/DateTimeZoneInfo.h"
#include "framework/CWmipMapper.h"

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

using namespace mappertest;

namespace {

// Pins the process's time zone for one test and restores it afterwards.
class PinnedZone
{
public:
    explicit PinnedZone(const char* tz) : m_saved(DefaultTimeZoneInfo)
    {
        if (const char* previous = std::getenv("TZ"))
            m_previousTz = previous;
        setenv("TZ", tz, 1);
        tzset();
        DefaultTimeZoneInfo = DateTimeZoneInfo::FromMachineZone();
    }
    ~PinnedZone()
    {
        if (m_previousTz)
            setenv("TZ", m_previousTz->c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
        DefaultTimeZoneInfo = m_saved;
    }
    PinnedZone(const PinnedZone&) = delete;
    PinnedZone& operator=(const PinnedZone&) = delete;

private:
    DateTimeZoneInfo m_saved;
    std::optional<std::string> m_previousTz;
};

class DateColumns : public MapperTest
{
protected:
    void SetUp() override
    {
        MapperTest::SetUp();
        LoginCaller();
    }
};

TEST_F(DateColumns, LocalColumnsAreReadAsUtc)
{
    PinnedZone zone("EST5");
    auto mapper = MakeMapper(L"Tst_Badge");
    ASSERT_NE(mapper, nullptr);
    EXPECT_EQ(Enumerate(*mapper, L"SELECT * FROM Tst_Badge WHERE BadgeKey <= 2", L"Activate"),
              Strings({L"20240115133000.000000+000", L"20240701170000.000000+000"}));
    // Crossing midnight and the year.
    EXPECT_EQ(Enumerate(*mapper, L"SELECT * FROM Tst_Badge WHERE BadgeKey = 4", L"Activate"),
              Strings({L"20240101043000.000000+000"}));
}

TEST_F(DateColumns, DaylightSavingFollowsTheDate)
{
    PinnedZone zone("CET-1CEST,M3.5.0,M10.5.0/3");
    auto mapper = MakeMapper(L"Tst_Badge");
    ASSERT_NE(mapper, nullptr);
    EXPECT_EQ(Enumerate(*mapper, L"SELECT * FROM Tst_Badge WHERE BadgeKey <= 2", L"Activate"),
              Strings({L"20240115073000.000000+000", L"20240701100000.000000+000"}));
}

TEST_F(DateColumns, UtcClassesAreReadWithoutConversion)
{
    PinnedZone zone("EST5");
    auto mapper = MakeMapper(L"Tst_Badge");
    ASSERT_NE(mapper, nullptr);
    static_cast<TestBadgeMapper&>(*mapper).m_useUtc = true;
    EXPECT_EQ(Enumerate(*mapper, L"SELECT * FROM Tst_Badge WHERE BadgeKey = 1", L"Activate"),
              Strings({L"20240115083000.000000+000"}));
}

TEST_F(DateColumns, UtcLiteralsSelectLocalColumnsAtTheSameInstant)
{
    PinnedZone zone("EST5");
    auto mapper = MakeMapper(L"Tst_Badge");
    ASSERT_NE(mapper, nullptr);
    // 13:30 UTC is the stored 08:30 local time of badge 1.
    EXPECT_EQ(
        Enumerate(*mapper, L"SELECT * FROM Tst_Badge WHERE Activate = \"20240115133000.000000+000\"", L"BadgeKey"),
        Strings({L"1"}));
    static_cast<TestBadgeMapper&>(*mapper).m_useUtc = true;
    EXPECT_EQ(
        Enumerate(*mapper, L"SELECT * FROM Tst_Badge WHERE Activate = \"20240115083000.000000+000\"", L"BadgeKey"),
        Strings({L"1"}));
}

TEST(MapperTime, ConversionsRoundTripAndKeepInvalidValues)
{
    PinnedZone zone("EST5");
    const COleDateTime local(2024, 3, 1, 0, 15, 0);
    const COleDateTime utc = CWmipMapper::LocalToUtc(local);
    ASSERT_EQ(utc.GetStatus(), COleDateTime::valid);
    EXPECT_EQ(utc.GetDay(), 1);
    EXPECT_EQ(utc.GetHour(), 5);
    const COleDateTime back = CWmipMapper::UtcToLocal(utc);
    EXPECT_EQ(back.GetHour(), 0);
    EXPECT_EQ(back.GetMinute(), 15);

    COleDateTime invalid;
    invalid.SetStatus(COleDateTime::invalid);
    EXPECT_EQ(CWmipMapper::LocalToUtc(invalid).GetStatus(), COleDateTime::invalid);
    // The conversion may not leave the valid years.
    EXPECT_EQ(CWmipMapper::LocalToUtc(COleDateTime(9999, 12, 31, 23, 0, 0)).GetStatus(), COleDateTime::invalid);
}

}  // namespace
