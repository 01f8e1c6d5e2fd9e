// What each caller sees of persons, accounts, multimedia objects and segments through the door,
// compared with plain SQL on the same rows; and the view check before any method runs.
#include "tests/mappers/records/persons/PersonRecordsTest.h"

#include "platform/com/Variant.h"
#include "tests/support/AwaitLimit.h"

#include <algorithm>
#include <chrono>
#include <string>

using namespace e2e;
using records_test::RecordsCallers;

namespace {
class PersonViews : public records_test::PersonRecordsTest
{
protected:
    // The values of one property of every instance an enumeration answers, sorted.
    Table Enumerated(const wchar_t* className, const wchar_t* property)
    {
        const Reply reply = Enum(Form::Sync, className);
        EXPECT_EQ(reply.result, WBEM_S_NO_ERROR) << Utf8(className) << " " << Hex(reply.result);
        return Values(reply.objects, {property});
    }
};
}  // namespace

TEST_F(PersonViews, EachCallerSeesThePersonsOfItsKindsAndSegments)
{
    const struct
    {
        const char* what;
        const wchar_t* caller;
        const wchar_t* className;
        const wchar_t* property;
        const char* sql;
    } cases[] = {
        {"every person", RecordsCallers::kRecordsAdmin, L"Bnt_Person", L"ID", "SELECT ID FROM EMP"},
        {"every cardholder", RecordsCallers::kRecordsAdmin, L"Bnt_Cardholder", L"ID",
         "SELECT ID FROM EMP WHERE VISITOR = 0"},
        {"visitors only", RecordsCallers::kVisitorClerk, L"Bnt_Person", L"ID", "SELECT ID FROM EMP WHERE VISITOR = 1"},
        {"visitors' accounts only", RecordsCallers::kVisitorClerk, L"Bnt_Account", L"ID",
         "SELECT CARDHOLDER_ACCOUNTID FROM CARDHOLDER_ACCOUNT A JOIN EMP E ON E.ID = A.EMPID WHERE E.VISITOR = 1"},
        {"visitors' multimedia only", RecordsCallers::kVisitorClerk, L"Bnt_MultimediaObject", L"PersonID",
         "SELECT EMPID FROM MMOBJS M JOIN EMP E ON E.ID = M.EMPID WHERE E.VISITOR = 1"},
        {"cardholders of segment 1", RecordsCallers::kHeadquartersClerk, L"Bnt_Cardholder", L"ID",
         "SELECT ID FROM EMP WHERE VISITOR = 0 AND SEGMENTID = 1"},
        {"visitors of segment 1", RecordsCallers::kHeadquartersClerk, L"Bnt_Visitor", L"ID",
         "SELECT ID FROM EMP WHERE VISITOR = 1 AND SEGMENTID = 1"},
        {"the units of segment 1", RecordsCallers::kHeadquartersClerk, L"Bnt_SegmentUnit", L"ID",
         "SELECT SEGMENTID FROM SEGMENT WHERE SEGMENTID = 1"},
        {"no group beyond segment 1", RecordsCallers::kHeadquartersClerk, L"Bnt_SegmentGroup", L"ID",
         "SELECT SEGMENTID FROM SEGMENT WHERE 0"},
        {"no membership in a group it does not see", RecordsCallers::kHeadquartersClerk, L"Bnt_SegmentGroupMember",
         L"Group", "SELECT SEGMENTID FROM SEGMENT WHERE 0"},
        {"every membership", RecordsCallers::kRecordsAdmin, L"Bnt_SegmentGroupMember", L"Group",
         "SELECT 'Bnt_SegmentGroup.ID=\"' || SEGMENTID || '\"' FROM SEGMENT_GROUP_MEMBER"},
        {"every unit, never the row -1", RecordsCallers::kRecordsAdmin, L"Bnt_SegmentUnit", L"ID",
         "SELECT SEGMENTID FROM SEGMENT WHERE TYPE = 0 AND SEGMENTID <> -1"},
        {"every group and the row -1", RecordsCallers::kRecordsAdmin, L"Bnt_SegmentGroup", L"ID",
         "SELECT SEGMENTID FROM SEGMENT WHERE TYPE = 1 OR SEGMENTID = -1"},
        {"directories without templates", RecordsCallers::kViewer, L"Bnt_Directory", L"ID",
         "SELECT BNT_DIRECTORYID FROM BNT_DIRECTORY WHERE DIR_ISTEMPLATE = 0"},
        {"no port of a local-accounts directory", RecordsCallers::kViewer, L"Bnt_Directory", L"Port",
         "SELECT CASE WHEN DIR_TYPE IN (2, 3) THEN '<null>' ELSE DIR_PORT END FROM BNT_DIRECTORY "
         "WHERE DIR_ISTEMPLATE = 0"},
    };
    for (const auto& c : cases)
    {
        CallAs(c.caller);
        EXPECT_EQ(Enumerated(c.className, c.property), Sorted(DoorInstallation::Rows(c.sql))) << c.what;
    }
}

TEST_F(PersonViews, ACallerWithoutTheViewRightsIsRefused)
{
    const struct
    {
        const wchar_t* caller;
        const wchar_t* className;
    } cases[] = {
        {RecordsCallers::kVisitorClerk, L"Bnt_Cardholder"}, {RecordsCallers::kVisitorClerk, L"Bnt_CardholderAccount"},
        {RecordsCallers::kNobody, L"Bnt_DirectoryAccount"}, {RecordsCallers::kNobody, L"Bnt_PersonSecondarySegments"},
        {RecordsCallers::kNobody, L"Bnt_Visitor"},          {RecordsCallers::kNobody, L"Bnt_Account"},
        {RecordsCallers::kHalfViewer, L"Bnt_Cardholder"},
    };
    for (const auto& c : cases)
    {
        CallAs(c.caller);
        const Reply reply = Enum(Form::Sync, c.className);
        EXPECT_TRUE(reply.result == WBEM_S_ACCESS_DENIED || reply.result == WBEM_E_ACCESS_DENIED)
            << Utf8(c.className) << " " << Hex(reply.result);
        EXPECT_TRUE(reply.objects.empty()) << Utf8(c.className);
    }
    // One right of two is enough where one is asked for.
    CallAs(RecordsCallers::kHalfViewer);
    const Reply visitors = Enum(Form::Sync, L"Bnt_Visitor");
    EXPECT_EQ(visitors.result, WBEM_S_NO_ERROR) << Hex(visitors.result);
    EXPECT_FALSE(visitors.objects.empty());
}

TEST_F(PersonViews, AMethodTheClassLacksIsUnknownToEveryCallerWhateverItMayView)
{
    // Straight to the provider, as the WMI service hands it a method call: the class's view
    // right decides no method, so a caller who may not view cardholders learns only what every
    // caller does.
    auto call = [&](const wchar_t* caller) {
        CallAs(caller);
        const _variant_t path(L"Bnt_Cardholder.ID=1");
        const _variant_t method(L"AddBadge");
        const ComPtr<DoorSink> sink = DoorSink::Create();
        ProviderShell()->ExecMethodAsync(static_cast<const VARIANT&>(path).bstrVal,
                                         static_cast<const VARIANT&>(method).bstrVal, 0, nullptr, nullptr, sink.Get());
        EXPECT_TRUE(sink->WaitForFinalStatus(support::kAwaitLimit));
        const auto finals = sink->FinalStatuses();
        return finals.size() == 1 ? finals.front().result : WBEM_E_FAILED;
    };
    EXPECT_EQ(call(RecordsCallers::kVisitorClerk), WBEM_E_METHOD_NOT_IMPLEMENTED);
    EXPECT_EQ(call(RecordsCallers::kRecordsAdmin), WBEM_E_METHOD_NOT_IMPLEMENTED);
    EXPECT_EQ(call(RecordsCallers::kNobody), WBEM_E_METHOD_NOT_IMPLEMENTED);
}

TEST_F(PersonViews, TheCardholderDefinitionFollowsTheInstallation)
{
    CallAs(RecordsCallers::kRecordsAdmin);
    const Reply definition = Get(Form::Sync, L"Bnt_Cardholder");
    ASSERT_EQ(definition.result, WBEM_S_NO_ERROR);
    ASSERT_EQ(definition.objects.size(), 1u);
    IWbemClassObject* cardholder = definition.objects.front().Get();
    EXPECT_EQ(support::PropertyText(cardholder, L"__SUPERCLASS"), "Bnt_Person");
    for (const wchar_t* property : {L"ID", L"LASTNAME", L"DEPARTMENT", L"THREATLEVEL", L"PRIMARYSEGMENTID", L"IsGrant"})
        EXPECT_NE(support::PropertyText(cardholder, property), "<missing>") << Utf8(property);
    EXPECT_EQ(support::PropertyText(cardholder, L"COMPANY"), "<missing>") << "a visitor field";

    // IsGrant: a clearance that reaches the system's threat level setting (2).
    const Reply adler = Get(Form::Sync, L"Bnt_Cardholder.ID=1");
    const Reply castell = Get(Form::Sync, L"Bnt_Cardholder.ID=3");
    ASSERT_EQ(adler.objects.size(), 1u);
    ASSERT_EQ(castell.objects.size(), 1u);
    EXPECT_EQ(support::PropertyText(adler.objects.front().Get(), L"IsGrant"), "1");
    EXPECT_EQ(support::PropertyText(castell.objects.front().Get(), L"IsGrant"), "0");
}

TEST_F(PersonViews, QueriesComparePersonPropertiesOnTheirOwnColumns)
{
    const struct
    {
        const wchar_t* wql;
        const char* sql;
    } cases[] = {
        {L"SELECT * FROM Bnt_Cardholder WHERE PRIMARYSEGMENTID = 2",
         "SELECT ID FROM EMP WHERE VISITOR = 0 AND SEGMENTID = 2"},
        {L"SELECT * FROM Bnt_Cardholder WHERE DEPARTMENT = 'security'",
         "SELECT E.ID FROM EMP E JOIN UDFEMP U ON U.ID = E.ID WHERE U.DEPARTMENT = 'Security'"},
        {L"SELECT * FROM Bnt_Cardholder WHERE IsGrant = TRUE AND THREATLEVEL < 5",
         "SELECT E.ID FROM EMP E JOIN UDFEMP U ON U.ID = E.ID WHERE U.THREATLEVEL >= 2 AND U.THREATLEVEL < 5"},
        {L"SELECT * FROM Bnt_Visitor WHERE COMPANY LIKE 'Dorn%' OR ID = 5",
         "SELECT E.ID FROM EMP E JOIN VISITOR_UDF V ON V.ID = E.ID WHERE V.COMPANY LIKE 'Dorn%' OR E.ID = 5"},
        {L"SELECT * FROM Bnt_Person WHERE LASTNAME = 'Adler'", "SELECT ID FROM EMP WHERE LASTNAME = 'Adler'"},
        {L"SELECT * FROM Bnt_SegmentGroupMember WHERE Group = 'Bnt_SegmentGroup.ID=10'",
         "SELECT SEGMENTID_MEMBER FROM SEGMENT_GROUP_MEMBER WHERE SEGMENTID = 10"},
    };
    CallAs(RecordsCallers::kRecordsAdmin);
    for (const auto& c : cases)
    {
        const Reply reply = Query(Form::Sync, c.wql);
        ASSERT_EQ(reply.result, WBEM_S_NO_ERROR) << Utf8(c.wql) << " " << Description(reply.statusObject.Get());
        const bool association = std::wstring(c.wql).find(L"GroupMember") != std::wstring::npos;
        Table keys;
        for (const ComPtr<IWbemClassObject>& object : reply.objects)
        {
            std::string key = support::PropertyText(object.Get(), association ? L"Member" : L"ID");
            if (association)
                key = key.substr(key.find('=') + 1);
            key.erase(std::remove(key.begin(), key.end(), '"'), key.end());
            keys.push_back({key});
        }
        EXPECT_EQ(Sorted(keys), Sorted(DoorInstallation::Rows(c.sql))) << Utf8(c.wql);
    }
    // Only the class's own properties are columns: no other column of the tables behind it.
    for (const wchar_t* wql :
         {L"SELECT * FROM Bnt_Cardholder WHERE GUARD = 1", L"SELECT * FROM Bnt_Visitor WHERE DEPARTMENT = 'Security'"})
    {
        const Reply refused = Query(Form::Sync, wql);
        EXPECT_EQ(refused.result, WBEM_E_INVALID_QUERY) << Utf8(wql) << " " << Hex(refused.result);
    }
}
