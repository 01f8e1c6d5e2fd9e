#include "tests/framework/mappers/MapperTestFixture.h"

#include "framework/CWmipStoredValueRefusal.h"
#include "framework/WMIHelper.h"
#include "tests/common/TestEnvironment.h"

#include <string>

using namespace mappertest;

namespace {

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
    ScopedTimeZone zone("EST5");
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
    ScopedTimeZone zone("CET-1CEST,M3.5.0,M10.5.0/3");
    auto mapper = MakeMapper(L"Tst_Badge");
    ASSERT_NE(mapper, nullptr);
    EXPECT_EQ(Enumerate(*mapper, L"SELECT * FROM Tst_Badge WHERE BadgeKey <= 2", L"Activate"),
              Strings({L"20240115073000.000000+000", L"20240701100000.000000+000"}));
}

TEST_F(DateColumns, UtcClassesAreReadWithoutConversion)
{
    ScopedTimeZone zone("EST5");
    auto mapper = MakeMapper(L"Tst_Badge");
    ASSERT_NE(mapper, nullptr);
    static_cast<TestBadgeMapper&>(*mapper).m_useUtc = true;
    EXPECT_EQ(Enumerate(*mapper, L"SELECT * FROM Tst_Badge WHERE BadgeKey = 1", L"Activate"),
              Strings({L"20240115083000.000000+000"}));
}

TEST_F(DateColumns, UtcLiteralsSelectLocalColumnsAtTheSameInstant)
{
    ScopedTimeZone zone("EST5");
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

// What an enumeration answers for badge 1 holding `stored` in its date column: the property's
// text, the failure of the row, the reason a stored value that cannot be served is refused for,
// or that no row came.
std::string ReadStoredDate(CWmipClassMapper& mapper, TestDatabase& db, const char* stored)
{
    db.Exec(std::string("UPDATE BADGE SET ACTIVATE = ") +
            (stored == nullptr ? "NULL" : "'" + std::string(stored) + "'") + " WHERE BADGEKEY = 1");
    std::unique_ptr<CWmipQuery> query = CWmipQuery::CreateFromQuery(L"SELECT * FROM Tst_Badge WHERE BadgeKey = 1");
    mapper.SetQuery(query.get());
    std::string answer;
    if (!mapper.BeginEnumeration())
        answer = "<no enumeration>";
    while (answer.empty() && mapper.HasMoreInstances())
    {
        IWbemClassObject* instance = nullptr;
        HRESULT hr = S_OK;
        try
        {
            hr = mapper.NextInstance(&instance, 0);
        }
        catch (const CWmipStoredValueRefusal& e)
        {
            const std::string text = CStringToUtf8(e.GetText());
            const std::string named = std::string("The stored value '") + (stored == nullptr ? "" : stored) +
                                      "' of property ACTIVATE of Tst_Badge.BadgeKey=\"1\" cannot be served: ";
            answer = text.rfind(named, 0) == 0 ? "<refused: " + text.substr(named.size()) + ">" : text;
            break;
        }
        if (FAILED(hr))
            answer = "<failed>";
        else if (instance != nullptr)
            answer = support::PropertyText(instance, L"Activate");
        if (instance != nullptr)
            instance->Release();
    }
    mapper.EndEnumeration();
    mapper.SetQuery(nullptr);
    return answer.empty() ? "<no row>" : answer;
}

TEST_F(DateColumns, StoredDateTextsAreAnsweredAsDmtf)
{
    struct Case
    {
        const char* zone;
        bool utc;
        const char* stored;
        const char* answer;
    };
    // A stored value no date-time of this system can take is refused with its reason, never
    // answered as a missing row or a missing value.
    const char* const kOutside =
        "<refused: It lies outside the years 100 to 9999, the date-times every road of this system takes.>";
    const char* const kForm = "<refused: The text is not a date-time of the form YYYY-MM-DD HH:MM:SS.>";
    const char* const kNoReal = "<refused: The date-time text names no real date or time.>";
    const Case cases[] = {
        // Eastern time: 02:00-03:00 is skipped on 2024-03-10 and 01:00-02:00 repeats on 2024-11-03.
        {"EST5EDT,M3.2.0,M11.1.0", false, "2024-03-10 01:59:59", "20240310065959.000000+000"},
        {"EST5EDT,M3.2.0,M11.1.0", false, "2024-03-10 02:30:00", "20240310063000.000000+000"},
        {"EST5EDT,M3.2.0,M11.1.0", false, "2024-03-10 03:00:00", "20240310070000.000000+000"},
        {"EST5EDT,M3.2.0,M11.1.0", false, "2024-11-03 00:59:59", "20241103045959.000000+000"},
        {"EST5EDT,M3.2.0,M11.1.0", false, "2024-11-03 01:30:00", "20241103053000.000000+000"},
        {"EST5EDT,M3.2.0,M11.1.0", false, "2024-11-03 02:00:00", "20241103070000.000000+000"},
        {"EST5EDT,M3.2.0,M11.1.0", false, "2024-02-29 23:59:59", "20240301045959.000000+000"},
        {"EST5EDT,M3.2.0,M11.1.0", false, "2000-02-29 12:00:00", "20000229170000.000000+000"},
        {"EST5EDT,M3.2.0,M11.1.0", false, "1899-12-30 00:00:00", "18991230050000.000000+000"},
        {"EST5EDT,M3.2.0,M11.1.0", false, "1899-12-29 23:00:00", "18991230040000.000000+000"},
        {"EST5EDT,M3.2.0,M11.1.0", false, "1970-01-01 00:00:00", "19700101050000.000000+000"},
        {"EST5EDT,M3.2.0,M11.1.0", false, "9999-12-31 18:59:59", "99991231235959.000000+000"},
        {"EST5EDT,M3.2.0,M11.1.0", false, "9999-12-31 19:00:00", kOutside},
        {"EST5EDT,M3.2.0,M11.1.0", false, "0100-01-01 00:00:00", "01000101050000.000000+000"},
        {"EST5EDT,M3.2.0,M11.1.0", false, "0099-12-31 23:00:00", kOutside},
        {"EST5EDT,M3.2.0,M11.1.0", false, "2024-05-06 07:08:09.123456", "20240506110809.123456+000"},
        {"EST5EDT,M3.2.0,M11.1.0", false, "2024-05-06 07:08:09.9", "20240506110809.900000+000"},
        {"EST5EDT,M3.2.0,M11.1.0", false, "2024-05-06 07:08:09.1234567", "20240506110809.123456+000"},
        {"EST5EDT,M3.2.0,M11.1.0", false, nullptr, "<null>"},
        {"EST5EDT,M3.2.0,M11.1.0", false, "", kForm},
        {"EST5EDT,M3.2.0,M11.1.0", false, "2024-02-30 00:00:00", kNoReal},
        {"EST5EDT,M3.2.0,M11.1.0", false, "2023-02-29 00:00:00", kNoReal},
        {"EST5EDT,M3.2.0,M11.1.0", false, "2024-01-01 24:00:00", kNoReal},
        {"EST5EDT,M3.2.0,M11.1.0", false, "2024-01-01T00:00:00", kForm},
        {"EST5EDT,M3.2.0,M11.1.0", false, "not a date", kForm},
        // Central Europe: 02:00-03:00 is skipped on 2024-03-31 and repeats on 2024-10-27.
        {"CET-1CEST,M3.5.0,M10.5.0/3", false, "2024-03-31 01:59:59", "20240331005959.000000+000"},
        {"CET-1CEST,M3.5.0,M10.5.0/3", false, "2024-03-31 02:30:00", "20240331003000.000000+000"},
        {"CET-1CEST,M3.5.0,M10.5.0/3", false, "2024-03-31 03:00:00", "20240331010000.000000+000"},
        {"CET-1CEST,M3.5.0,M10.5.0/3", false, "2024-10-27 01:59:59", "20241026235959.000000+000"},
        {"CET-1CEST,M3.5.0,M10.5.0/3", false, "2024-10-27 02:30:00", "20241027003000.000000+000"},
        {"CET-1CEST,M3.5.0,M10.5.0/3", false, "2024-10-27 03:00:00", "20241027020000.000000+000"},
        {"CET-1CEST,M3.5.0,M10.5.0/3", false, "0100-01-01 00:30:00", kOutside},
        {"CET-1CEST,M3.5.0,M10.5.0/3", false, "9999-12-31 23:59:59", "99991231225959.000000+000"},
        // A class that keeps UTC answers the stored fields as they are.
        {"CET-1CEST,M3.5.0,M10.5.0/3", true, "2024-03-31 02:30:00", "20240331023000.000000+000"},
        {"CET-1CEST,M3.5.0,M10.5.0/3", true, "9999-12-31 23:59:59", "99991231235959.000000+000"},
        {"CET-1CEST,M3.5.0,M10.5.0/3", true, "0100-01-01 00:00:00", "01000101000000.000000+000"},
        {"CET-1CEST,M3.5.0,M10.5.0/3", true, "2024-05-06 07:08:09.999999", "20240506070809.999999+000"},
        {"CET-1CEST,M3.5.0,M10.5.0/3", true, nullptr, "<null>"},
        {"CET-1CEST,M3.5.0,M10.5.0/3", true, "2024-13-01 00:00:00", kNoReal},
    };
    auto mapper = MakeMapper(L"Tst_Badge");
    ASSERT_NE(mapper, nullptr);
    for (const Case& c : cases)
    {
        ScopedTimeZone zone(c.zone);
        static_cast<TestBadgeMapper&>(*mapper).m_useUtc = c.utc;
        EXPECT_EQ(ReadStoredDate(*mapper, m_db, c.stored), c.answer)
            << c.zone << (c.utc ? " utc " : " local ") << (c.stored == nullptr ? "NULL" : c.stored);
    }
}

TEST(MapperTime, ConversionsRoundTripAndKeepInvalidValues)
{
    ScopedTimeZone zone("EST5");
    const COleDateTime local(2024, 3, 1, 0, 15, 0);
    const COleDateTime utc = WMIHelper::LocalToUtc(local);
    ASSERT_EQ(utc.GetStatus(), COleDateTime::valid);
    EXPECT_EQ(utc.GetDay(), 1);
    EXPECT_EQ(utc.GetHour(), 5);
    const COleDateTime back = WMIHelper::UtcToLocal(utc);
    EXPECT_EQ(back.GetHour(), 0);
    EXPECT_EQ(back.GetMinute(), 15);

    COleDateTime invalid;
    invalid.SetStatus(COleDateTime::invalid);
    EXPECT_EQ(WMIHelper::LocalToUtc(invalid).GetStatus(), COleDateTime::invalid);
    // The conversion may not leave the valid years.
    EXPECT_EQ(WMIHelper::LocalToUtc(COleDateTime(9999, 12, 31, 23, 0, 0)).GetStatus(), COleDateTime::invalid);
}

}  // namespace
