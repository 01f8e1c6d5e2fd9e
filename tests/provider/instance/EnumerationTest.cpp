// CreateInstanceEnumAsync, ExecQueryAsync and CreateClassEnumAsync.
#include <algorithm>
#include <set>

#include "tests/provider/instance/InstanceProviderTestSupport.h"

namespace instancetest {
namespace {

class Enumeration : public ProviderTest
{
protected:
    HRESULT Query(const wchar_t* wql, LONG flags = 0)
    {
        Text text(wql);
        Text language(L"WQL");
        return m_provider.ExecQueryAsync(language, text, flags, nullptr, m_sink.Get());
    }

    // "panel.reader" of every indicated instance, sorted.
    std::set<std::wstring> Readers() const
    {
        std::set<std::wstring> readers;
        for (const auto& object : m_sink->Objects())
            readers.insert(std::to_wstring(NumberOf(object.Get(), L"PanelID")) + L"." +
                           std::to_wstring(NumberOf(object.Get(), L"ReaderID")));
        return readers;
    }
};

TEST_F(Enumeration, EnumerationIndicatesEveryInstance)
{
    Text className(kReaderClass);
    EXPECT_EQ(m_provider.CreateInstanceEnumAsync(className, 0, nullptr, m_sink.Get()), WBEM_S_NO_ERROR);
    ExpectOneFinalStatus(*m_sink, WBEM_S_NO_ERROR);
    EXPECT_EQ(Readers(), (std::set<std::wstring>{L"1.0", L"1.1", L"2.0", L"2.1", L"6.0", L"6.1", L"6.2", L"6.3"}));
    EXPECT_EQ(m_sink->ProgressCount(), 0);
}

TEST_F(Enumeration, SendStatusFollowsEachInstanceWithProgress)
{
    Text className(kReaderClass);
    EXPECT_EQ(m_provider.CreateInstanceEnumAsync(className, WBEM_FLAG_SEND_STATUS, nullptr, m_sink.Get()),
              WBEM_S_NO_ERROR);
    EXPECT_EQ(m_sink->ProgressCount(), 8);
    const auto statuses = m_sink->Statuses();
    ASSERT_FALSE(statuses.empty());
    EXPECT_EQ(statuses.back().flags, WBEM_STATUS_COMPLETE);
}

TEST_F(Enumeration, RefusedCallerEnumeratesNothingWithSuccessButItsQueryFails)
{
    for (const wchar_t* sid : {kNoProviderRightSid, kNoViewRightSid})
    {
        CallAs(sid);
        auto sink = MakeComObject<RecordingSink>();
        Text className(kReaderClass);
        EXPECT_EQ(m_provider.CreateInstanceEnumAsync(className, 0, nullptr, sink.Get()), WBEM_S_ACCESS_DENIED);
        ExpectOneFinalStatus(*sink, WBEM_S_ACCESS_DENIED);
        EXPECT_TRUE(sink->Objects().empty());

        auto querySink = MakeComObject<RecordingSink>();
        Text query(L"SELECT * FROM Bnt_TestReader");
        EXPECT_EQ(m_provider.ExecQueryAsync(nullptr, query, 0, nullptr, querySink.Get()), WBEM_E_ACCESS_DENIED);
        ExpectOneFinalStatus(*querySink, WBEM_E_ACCESS_DENIED);
        EXPECT_TRUE(querySink->Objects().empty());
    }
}

TEST_F(Enumeration, UnknownClassIsInvalidForEnumerationAndNotFoundForQuery)
{
    Text className(L"Bnt_NoSuchClass");
    EXPECT_EQ(m_provider.CreateInstanceEnumAsync(className, 0, nullptr, m_sink.Get()), WBEM_E_INVALID_CLASS);
    ExpectOneFinalStatus(*m_sink, WBEM_E_INVALID_CLASS);
    auto sink = MakeComObject<RecordingSink>();
    Text query(L"SELECT * FROM Bnt_NoSuchClass");
    EXPECT_EQ(m_provider.ExecQueryAsync(nullptr, query, 0, nullptr, sink.Get()), WBEM_E_NOT_FOUND);
    ExpectOneFinalStatus(*sink, WBEM_E_NOT_FOUND);
}

TEST_F(Enumeration, QueriesSelectOnlyTheMatchingInstances)
{
    // Parity is computed by the mapper, which drops its comparisons from the SQL: the rows are
    // then a superset and must be narrowed to the full WHERE clause.
    const struct
    {
        const wchar_t* wql;
        std::set<std::wstring> readers;
    } cases[] = {
        {L"SELECT * FROM Bnt_TestReader WHERE PanelID = 1", {L"1.0", L"1.1"}},
        {L"select * from bnt_testreader where Description = 'Dock entry'", {L"2.0"}},
        // Strings compare without regard to case, in the SQL and in memory alike.
        {L"SELECT * FROM Bnt_TestReader WHERE Description = 'dock ENTRY'", {L"2.0"}},
        {L"SELECT * FROM Bnt_TestReader WHERE Description <> 'LOBBY ENTRY' AND Description > 'lobby'", {L"1.1"}},
        {L"SELECT * FROM Bnt_TestReader WHERE Parity = 'EVEN' AND Description >= 'DOCK'", {L"1.0", L"2.0"}},
        {L"SELECT * FROM Bnt_TestReader WHERE NOT (Parity = 'Odd')", {L"1.0", L"2.0", L"6.0", L"6.2"}},
        {L"SELECT * FROM Bnt_TestReader WHERE Parity = 'even'", {L"1.0", L"2.0", L"6.0", L"6.2"}},
        {L"SELECT * FROM Bnt_TestReader WHERE Parity = 'even' AND PanelID = 2", {L"2.0"}},
        {L"SELECT * FROM Bnt_TestReader WHERE Parity = 'odd' OR PanelID = 1",
         {L"1.0", L"1.1", L"2.1", L"6.1", L"6.3"}},
        {L"SELECT * FROM Bnt_TestReader WHERE NOT (Parity = 'odd')", {L"1.0", L"2.0", L"6.0", L"6.2"}},
        {L"SELECT * FROM Bnt_TestReader WHERE NOT (Parity = 'odd' OR PanelID = 2)", {L"1.0", L"6.0", L"6.2"}},
        {L"SELECT * FROM Bnt_TestReader WHERE Parity = 'none'", {}},
        {L"SELECT * FROM Bnt_TestReader WHERE PanelID = 7", {}},
    };
    for (const auto& c : cases)
    {
        m_sink = MakeComObject<RecordingSink>();
        EXPECT_EQ(Query(c.wql), WBEM_S_NO_ERROR) << c.wql;
        ExpectOneFinalStatus(*m_sink, WBEM_S_NO_ERROR);
        EXPECT_EQ(Readers(), c.readers) << c.wql;
    }
}

TEST_F(Enumeration, QueriesThatAreNotPlainSelectsAreNotCapable)
{
    const wchar_t* const refused[] = {
        L"ASSOCIATORS OF {Bnt_TestReader.PanelID=1,ReaderID=0}",
        L"REFERENCES OF {Bnt_TestReader.PanelID=1,ReaderID=0}",
        L"SELECT FROM",
        L"SELECT * FROM Bnt_TestReader WHERE (PanelID = 1",
        L"DELETE FROM Bnt_TestReader",
        L"",
    };
    for (const wchar_t* wql : refused)
    {
        m_sink = MakeComObject<RecordingSink>();
        EXPECT_EQ(Query(wql), WBEM_E_PROVIDER_NOT_CAPABLE) << wql;
        const StatusCall status = ExpectOneFinalStatus(*m_sink, WBEM_E_PROVIDER_NOT_CAPABLE);
        EXPECT_NE(status.statusObject, nullptr);
        EXPECT_TRUE(m_sink->Objects().empty());
    }
}

TEST_F(Enumeration, QueryOnAPropertyTheClassDoesNotRegisterFails)
{
    EXPECT_EQ(Query(L"SELECT * FROM Bnt_TestReader WHERE Nonsense = 1"), WBEM_E_INVALID_QUERY);
    ExpectOneFinalStatus(*m_sink, WBEM_E_INVALID_QUERY);
    EXPECT_TRUE(m_sink->Objects().empty());
}

class ClassListing : public ProviderTest
{
protected:
    HRESULT List(const wchar_t* superclass, LONG flags)
    {
        m_sink = MakeComObject<RecordingSink>();
        Text text(superclass);
        return m_provider.CreateClassEnumAsync(text, flags, nullptr, m_sink.Get());
    }

    std::vector<std::wstring> Classes() const
    {
        std::vector<std::wstring> names;
        for (const auto& object : m_sink->Objects())
            names.push_back(StringOf(object.Get(), L"__CLASS"));
        return names;
    }
};

TEST_F(ClassListing, ListsFollowTheSuperclassAndDepth)
{
    // The demo installation uses segments and is a stand-alone database.
    const struct
    {
        const wchar_t* superclass;
        LONG flags;
        std::vector<std::wstring> classes;
    } cases[] = {
        {L"", WBEM_FLAG_SHALLOW, {L"Bnt_Segment", L"Bnt_SegmentGroupMember"}},
        {L"",
         0,
         {L"Bnt_Segment", L"Bnt_SegmentGroupMember", L"Bnt_Person", L"Bnt_Badge", L"Bnt_Visit", L"Bnt_SegmentUnit",
          L"Bnt_SegmentGroup", L"Bnt_Cardholder", L"Bnt_Visitor"}},
        {L"Bnt_Element", WBEM_FLAG_SHALLOW, {L"Bnt_Person", L"Bnt_Badge", L"Bnt_Visit"}},
        {L"Bnt_Element", 0, {L"Bnt_Person", L"Bnt_Badge", L"Bnt_Visit", L"Bnt_Cardholder", L"Bnt_Visitor"}},
        {L"bnt_person", WBEM_FLAG_SHALLOW, {L"Bnt_Cardholder", L"Bnt_Visitor"}},
        {L"BNT_SEGMENT", 0, {L"Bnt_SegmentUnit", L"Bnt_SegmentGroup"}},
        {L"Bnt_Badge", 0, {}},
    };
    for (const auto& c : cases)
    {
        EXPECT_EQ(List(c.superclass, c.flags), WBEM_S_NO_ERROR) << c.superclass;
        ExpectOneFinalStatus(*m_sink, WBEM_S_NO_ERROR);
        EXPECT_EQ(Classes(), c.classes) << c.superclass << " flags " << c.flags;
    }
}

TEST_F(ClassListing, AClassTheCallerMayNotViewIsLeftOut)
{
    Control().refusedListedClasses = {L"Bnt_Person"};
    EXPECT_EQ(List(L"Bnt_Element", WBEM_FLAG_SHALLOW), WBEM_S_NO_ERROR);
    ExpectOneFinalStatus(*m_sink, WBEM_S_NO_ERROR);
    EXPECT_EQ(Classes(), (std::vector<std::wstring>{L"Bnt_Badge", L"Bnt_Visit"}));
}

TEST_F(ClassListing, CallerWithoutProviderRightIsRefusedWhereTheDatabaseIsNeeded)
{
    CallAs(kNoProviderRightSid);
    EXPECT_EQ(List(L"Bnt_Element", 0), WBEM_E_ACCESS_DENIED);
    ExpectOneFinalStatus(*m_sink, WBEM_E_ACCESS_DENIED);
    EXPECT_TRUE(m_sink->Objects().empty());

    // A superclass that matches no step needs neither the check nor a connection.
    EXPECT_EQ(List(L"Bnt_Badge", 0), WBEM_S_NO_ERROR);
    ExpectOneFinalStatus(*m_sink, WBEM_S_NO_ERROR);
}

}  // namespace
}  // namespace instancetest
