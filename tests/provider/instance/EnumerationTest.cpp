// CreateInstanceEnumAsync, ExecQueryAsync and CreateClassEnumAsync.
#include <algorithm>
#include <set>

#include "framework/wql/WqlLimits.h"
#include "provider/CWmipApp.h"
#include "inhouse/BntLogin/DBConnectionManager.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntCoreDb/CBntDatabase.h"
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
        {L"SELECT * FROM Bnt_TestReader WHERE Parity = 'odd' OR PanelID = 1", {L"1.0", L"1.1", L"2.1", L"6.1", L"6.3"}},
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
    // Valid WQL beyond the provider, then text it cannot read, which is beyond it as well; each
    // with its reason (the parser's, with the offset).
    const struct
    {
        const wchar_t* wql;
        HRESULT expected;
        const wchar_t* reason;
    } refused[] = {
        {L"ASSOCIATORS OF {Bnt_TestReader.PanelID=1,ReaderID=0}", WBEM_E_PROVIDER_NOT_CAPABLE, L"SELECT queries"},
        {L"REFERENCES OF {Bnt_TestReader.PanelID=1,ReaderID=0}", WBEM_E_PROVIDER_NOT_CAPABLE, L"SELECT queries"},
        {L"SELECT FROM", WBEM_E_PROVIDER_NOT_CAPABLE, L"not valid WQL"},
        {L"SELECT * FROM Bnt_TestReader WHERE (PanelID = 1", WBEM_E_PROVIDER_NOT_CAPABLE, L"at offset"},
        {L"SELECT * FROM Bnt_TestReader WHERE PanelID = 1 -- x", WBEM_E_PROVIDER_NOT_CAPABLE, L"at offset"},
        {L"DELETE FROM Bnt_TestReader", WBEM_E_PROVIDER_NOT_CAPABLE, L"not valid WQL"},
        {L"", WBEM_E_PROVIDER_NOT_CAPABLE, L"not valid WQL"},
    };
    for (const auto& one : refused)
    {
        m_sink = MakeComObject<RecordingSink>();
        EXPECT_EQ(Query(one.wql), one.expected) << one.wql;
        const StatusCall status = ExpectOneFinalStatus(*m_sink, one.expected);
        ASSERT_NE(status.statusObject, nullptr);
        _variant_t description;
        EXPECT_EQ(status.statusObject->Get(L"Description", 0, &description, nullptr, nullptr), S_OK);
        EXPECT_TRUE(description.vt == VT_BSTR && wcsstr(description.bstrVal, one.reason) != nullptr) << one.wql;
        EXPECT_TRUE(m_sink->Objects().empty());
    }
}

TEST_F(Enumeration, EveryWhereClauseTheParserTakesTheDatabaseTakesToo)
{
    // The most comparisons, inside the deepest nesting: the database runs it.
    std::wstring wql =
        L"SELECT * FROM Bnt_TestReader WHERE " + std::wstring(WqlLimits::kMaxNestingDepth - 1, L'(') + L"ReaderID = 0";
    for (std::size_t i = 1; i < WqlLimits::kMaxComparisons; ++i)
        wql += L" OR ReaderID = " + std::to_wstring(i);
    wql += std::wstring(WqlLimits::kMaxNestingDepth - 1, L')');
    EXPECT_EQ(Query(wql.c_str()), WBEM_S_NO_ERROR);
    EXPECT_EQ(Readers(), (std::set<std::wstring>{L"1.0", L"1.1", L"2.0", L"2.1", L"6.0", L"6.1", L"6.2", L"6.3"}));

    // One comparison more is refused by the parser, with its reason, before the database.
    m_sink = MakeComObject<RecordingSink>();
    const std::wstring tooMany = wql.substr(0, wql.size() - (WqlLimits::kMaxNestingDepth - 1)) + L" OR ReaderID = 9" +
                                 std::wstring(WqlLimits::kMaxNestingDepth - 1, L')');
    EXPECT_EQ(Query(tooMany.c_str()), WBEM_E_PROVIDER_NOT_CAPABLE);
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

TEST_F(ClassListing, OptionsOfTheInstallationDecideSegmentsAndVisits)
{
    DBConnectionManager* manager = CWmipApp::GetConnectionManager();
    const CAcsUser* connection = manager->Connection(0);
    ASSERT_NE(connection, nullptr);
    struct GiveBack
    {
        DBConnectionManager* manager;
        const CAcsUser* connection;
        ~GiveBack() { manager->ReleaseConnection(connection); }
    } giveBack{manager, connection};
    CBntDatabase* database = connection->GetDatabase();
    ASSERT_NE(database, nullptr);
    auto setOption = [&](LONG id, LONG value) {
        database->ExecuteSQL(L"DELETE FROM CONFIG_VALUE WHERE CONFIGID = ?", {id});
        database->ExecuteSQL(L"INSERT INTO CONFIG_VALUE (CONFIGID, NUMBERVALUE) VALUES (?, ?)", {id, value});
    };
    const struct
    {
        LONG segmentsInUse;
        LONG serverType;
        LONG flagWord;
        const wchar_t* superclass;
        LONG flags;
        std::vector<std::wstring> classes;
    } cases[] = {
        // Without segments a shallow root listing sends nothing and succeeds.
        {0, 0, 0, L"", WBEM_FLAG_SHALLOW, {}},
        {0, 0, 0, L"", 0, {L"Bnt_Person", L"Bnt_Badge", L"Bnt_Visit", L"Bnt_Cardholder", L"Bnt_Visitor"}},
        {0, 0, 0, L"Bnt_Segment", 0, {}},
        // Server type 2 serves no visits, unless bit 0x4 of the flag word says otherwise.
        {1, 2, 0, L"Bnt_Element", WBEM_FLAG_SHALLOW, {L"Bnt_Person", L"Bnt_Badge"}},
        {1, 2, 0x3, L"Bnt_Element", WBEM_FLAG_SHALLOW, {L"Bnt_Person", L"Bnt_Badge"}},
        {1, 2, 0x4, L"Bnt_Element", WBEM_FLAG_SHALLOW, {L"Bnt_Person", L"Bnt_Badge", L"Bnt_Visit"}},
        {1, 1, 0, L"Bnt_Element", WBEM_FLAG_SHALLOW, {L"Bnt_Person", L"Bnt_Badge", L"Bnt_Visit"}},
    };
    for (const auto& c : cases)
    {
        setOption(1001, c.segmentsInUse);
        setOption(1002, c.serverType);
        setOption(1006, c.flagWord);
        m_sink = MakeComObject<RecordingSink>();
        EXPECT_EQ(List(c.superclass, c.flags), WBEM_S_NO_ERROR);
        EXPECT_EQ(Classes(), c.classes) << c.superclass << " segments " << c.segmentsInUse << " server " << c.serverType
                                        << " flags " << c.flagWord;
    }
    setOption(1001, 1);
    setOption(1002, 0);
    setOption(1006, 0);
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
