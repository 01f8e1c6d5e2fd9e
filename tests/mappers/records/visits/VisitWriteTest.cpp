// Writes of visits through the door: the event row, its audit and replication stand or fall with
// the visit; the client never names the event row; e-mail lists are split and hostile addresses
// refused before anything is written; adding a self-service station is a right of its own.
#include "tests/mappers/records/visits/VisitRecordsTest.h"

#include "mappers/records/CWmipVisitMapper.h"
#include "platform/com/Variant.h"
#include "tests/isolation/BusDoor.h"

#include <string>
#include <vector>

using namespace e2e;
using records_test::RecordsCallers;

namespace {
// Demo persons: Ada Adler (1) may host visitors, Bruno Brandt (2) may not; Dina Dorn (4) is a
// visitor. Ada and Dina stand in Headquarters; Clara Castell (3), who may host visitors too, in
// the Warehouse, with Headquarters as a further segment.
constexpr long kVisitorsHost = 1;
constexpr long kNoVisitorsHost = 2;
constexpr long kWarehouseHost = 3;
constexpr long kVisitingPerson = 4;

class VisitWrites : public records_test::VisitRecordsTest
{
protected:
    Reply AddVisit(const std::vector<std::pair<const wchar_t*, _variant_t>>& values)
    {
        ComPtr<IWbemClassObject> visit = NewInstance(L"Bnt_Visit");
        for (const auto& [name, value] : values)
        {
            _variant_t copy(value);
            EXPECT_EQ(visit->Put(name, 0, &copy, 0), WBEM_S_NO_ERROR) << Utf8(name);
        }
        return Put(Form::Sync, visit.Get(), WBEM_FLAG_CREATE_ONLY);
    }
    // Rows of the tables an add writes, to compare before and after a refusal.
    static std::vector<long> Written()
    {
        return {Count("VISIT", "1=1"), Count("VISIT_EVENT", "1=1"), Count("USER_TRANSACTION_LOG", "1=1"),
                Count("VISIT_EMAIL_LINK", "1=1"), Count("EMAIL_OUTBOX", "1=1")};
    }
};

struct RefusedAdd
{
    const char* name;
    long host;
    long visitor;
    const wchar_t* emailList;
    HRESULT expected;
};

const RefusedAdd kRefusedAdds[] = {
    {"visitor is a cardholder", kVisitorsHost, kNoVisitorsHost, L"", WBEM_E_FAILED},
    {"host may not have visitors", kNoVisitorsHost, kVisitingPerson, L"", WBEM_E_FAILED},
    {"no such host", 999, kVisitingPerson, L"", WBEM_E_INVALID_PARAMETER},
    {"line break in an address", kVisitorsHost, kVisitingPerson, L"a@example.com\r\nBcc: b@example.com",
     WBEM_E_INVALID_PARAMETER},
    {"tab in an address", kVisitorsHost, kVisitingPerson, L"a@example.com;b\t@example.com", WBEM_E_INVALID_PARAMETER},
    {"delete character", kVisitorsHost, kVisitingPerson, L"a\x7F@example.com", WBEM_E_INVALID_PARAMETER},
    {"escape character", kVisitorsHost, kVisitingPerson, L"\x1B[2Ja@example.com", WBEM_E_INVALID_PARAMETER},
};
}  // namespace

TEST_F(VisitWrites, ARefusedAddLeavesNoEventRowAuditOrLink)
{
    for (const RefusedAdd& add : kRefusedAdds)
    {
        SCOPED_TRACE(add.name);
        const std::vector<long> before = Written();
        const Reply refused = AddVisit({{L"CARDHOLDERID", _variant_t(static_cast<LONG>(add.host))},
                                        {L"VISITORID", _variant_t(static_cast<LONG>(add.visitor))},
                                        {L"EMAIL_LIST", _variant_t(add.emailList)}});
        EXPECT_EQ(refused.result, add.expected) << Description(refused.statusObject.Get());
        EXPECT_EQ(Written(), before);
    }
}

TEST_F(VisitWrites, AnEventIdOfTheClientsIsRefusedOnCreate)
{
    const std::vector<long> before = Written();
    const Reply refused = AddVisit({{L"CARDHOLDERID", _variant_t(static_cast<LONG>(kVisitorsHost))},
                                    {L"VISITORID", _variant_t(static_cast<LONG>(kVisitingPerson))},
                                    {L"VISIT_EVENTID", _variant_t(static_cast<LONG>(1))}});
    EXPECT_TRUE(FAILED(refused.result));
    EXPECT_TRUE(EndsWith(Description(refused.statusObject.Get()),
                         "VISIT_EVENTID is not editable, but a value was specified that was different from the "
                         "current value."))
        << Description(refused.statusObject.Get());
    EXPECT_EQ(Written(), before);
    EXPECT_EQ(Count("VISIT", "VISIT_EVENTID = 1"), 1) << "the demo visit keeps its event row alone";
}

TEST_F(VisitWrites, AnAddWritesItsOwnEventRowWithTheDefaultTimes)
{
    const long visit = NewVisit(kVisitorsHost, kVisitingPerson);
    ASSERT_GT(visit, 0);
    const std::string id = std::to_string(visit);
    const std::string eventId = Scalar("SELECT VISIT_EVENTID FROM VISIT WHERE VISITID = " + id);
    ASSERT_FALSE(eventId.empty());
    EXPECT_EQ(Count("VISIT", "VISIT_EVENTID = " + eventId), 1);
    EXPECT_EQ(Scalar("SELECT NAME FROM VISIT_EVENT WHERE VISIT_EVENTID = " + eventId),
              "Visit of Adler, Ada and Dorn, Dina");
    EXPECT_EQ(Scalar("SELECT substr(SCHEDULED_TIMEIN, 12) || '-' || substr(SCHEDULED_TIMEOUT, 12) FROM VISIT_EVENT "
                     "WHERE VISIT_EVENTID = " +
                     eventId),
              "09:00:00-17:00:00");
    EXPECT_EQ(Count("USER_TRANSACTION_LOG", "OBJECT_TYPE = 156 AND DESCRIPTION LIKE 'Visit event " + eventId + ":%'"),
              1);
}

TEST_F(VisitWrites, TheEmailListIsSplitAtSemicolonsAndTrimmed)
{
    // The host and the visitor stand in different segments: the default recipients are those of
    // the host's, and each person's row names that person.
    const Reply added = AddVisit({{L"CARDHOLDERID", _variant_t(static_cast<LONG>(kWarehouseHost))},
                                  {L"VISITORID", _variant_t(static_cast<LONG>(kVisitingPerson))},
                                  {L"EMAIL_LIST", _variant_t(L" a@example.com ;   ; b@example.com;")},
                                  {L"EMAIL_INCLUDE_HOST", _variant_t(true)},
                                  {L"EMAIL_INCLUDE_VISITOR", _variant_t(true)},
                                  {L"EMAIL_INCLUDE_DEF_RECIPENTS", _variant_t(true)}});
    ASSERT_EQ(added.result, WBEM_S_NO_ERROR) << Description(added.statusObject.Get());
    const std::string id = std::to_string(KeyOf(added));
    EXPECT_EQ(DoorInstallation::Rows("SELECT EMAILID, ifnull(ADDRESS, ''), HOST, VISITOR, ifnull(EMPID, 0), SEGMENTID "
                                     "FROM VISIT_EMAIL_LINK WHERE VISITID = " +
                                     id + " ORDER BY EMAILID"),
              (Table{{"1", "", "0", "0", "0", "2"},
                     {"2", "", "1", "0", "3", "-9999"},
                     {"3", "", "0", "1", "4", "-9999"},
                     {"4", "a@example.com", "0", "0", "0", "-9999"},
                     {"5", "b@example.com", "0", "0", "0", "-9999"}}));
    // The add's notice is queued for each of them, and no mail leaves the program.
    EXPECT_EQ(Count("EMAIL_OUTBOX", "VISITID = " + id), 5);
}

TEST(VisitEmailList, SplitsAtEverySemicolonAndDropsBlankPieces)
{
    const struct
    {
        const wchar_t* list;
        std::vector<CString> pieces;
    } cases[] = {
        {L"", {}},
        {L";;", {}},
        {L"a@x", {L"a@x"}},
        {L" a@x ; ;b@y;", {L"a@x", L"b@y"}},
        {L"a@x;b@y;c@z", {L"a@x", L"b@y", L"c@z"}},
    };
    for (const auto& entry : cases)
        EXPECT_EQ(CWmipVisitMapper::SplitEmailList(entry.list), entry.pieces) << CString(entry.list);
}

TEST_F(VisitWrites, AddingAStationNeedsItsOwnRight)
{
    for (const auto& [caller, expected] : {std::pair{RecordsCallers::kRecordsAdmin, WBEM_E_ACCESS_DENIED},
                                           std::pair{Callers::kAdministrator, WBEM_S_NO_ERROR}})
    {
        CallAs(caller);
        ComPtr<IWbemClassObject> station = NewInstance(L"Bnt_VisitSelfServiceStation");
        ASSERT_NE(station, nullptr);
        _variant_t name(L"Dock kiosk");
        station->Put(L"Name", 0, &name, 0);
        const long before = Count("VISIT_SELF_SERVICE_STATION", "1=1");
        const Reply reply = Put(Form::Sync, station.Get(), WBEM_FLAG_CREATE_ONLY);
        EXPECT_EQ(reply.result, expected) << Description(reply.statusObject.Get());
        EXPECT_EQ(Count("VISIT_SELF_SERVICE_STATION", "1=1"), before + (SUCCEEDED(expected) ? 1 : 0));
    }
}

TEST_F(VisitWrites, AModifyKeepsWhatItLeavesOutAndFixesTheSignedInTime)
{
    const Reply added = AddVisit({{L"CARDHOLDERID", _variant_t(static_cast<LONG>(kVisitorsHost))},
                                  {L"VISITORID", _variant_t(static_cast<LONG>(kVisitingPerson))},
                                  {L"EMAIL_LIST", _variant_t(L"a@example.com")}});
    ASSERT_EQ(added.result, WBEM_S_NO_ERROR);
    const long visit = KeyOf(added);
    const std::wstring path = L"Bnt_Visit.ID=" + std::to_wstring(visit);
    const std::string id = std::to_string(visit);
    const std::string eventId = Scalar("SELECT VISIT_EVENTID FROM VISIT WHERE VISITID = " + id);
    const std::string stored = Scalar("SELECT SCHEDULED_TIMEIN || SCHEDULED_TIMEOUT FROM VISIT_EVENT WHERE "
                                      "VISIT_EVENTID = " +
                                      eventId);

    // Only the host flag changes: the times, the event row and the address stay.
    ComPtr<IWbemClassObject> change = NewInstance(L"Bnt_Visit");
    _variant_t key(static_cast<LONG>(visit));
    _variant_t host(true);
    change->Put(L"ID", 0, &key, 0);
    change->Put(L"EMAIL_INCLUDE_HOST", 0, &host, 0);
    ASSERT_EQ(Put(Form::Sync, change.Get(), WBEM_FLAG_UPDATE_ONLY).result, WBEM_S_NO_ERROR);
    EXPECT_EQ(Scalar("SELECT SCHEDULED_TIMEIN || SCHEDULED_TIMEOUT FROM VISIT_EVENT WHERE VISIT_EVENTID = " + eventId),
              stored);
    EXPECT_EQ(DoorInstallation::Rows("SELECT ifnull(ADDRESS, ''), HOST FROM VISIT_EMAIL_LINK WHERE VISITID = " + id +
                                     " ORDER BY EMAILID"),
              (Table{{"a@example.com", "0"}, {"", "1"}}));

    // A change on the bus carries only what changes: the event row keeps its host, and the
    // recipients the stored flag includes stay.
    isolation::BusDoor bus;
    EXPECT_EQ(bus.Modify(bus.Login(kVisitDeskLogon), L"Bnt_Visit",
                         {{"ID", qpid::types::Variant(static_cast<int32_t>(visit))},
                          {"EMAIL_LIST", qpid::types::Variant(std::string("c@example.com"))}}),
              "ok");
    EXPECT_EQ(Scalar("SELECT EMPID FROM VISIT_EVENT WHERE VISIT_EVENTID = " + eventId), "1");
    EXPECT_EQ(DoorInstallation::Rows("SELECT ifnull(ADDRESS, ''), HOST FROM VISIT_EMAIL_LINK WHERE VISITID = " + id +
                                     " ORDER BY EMAILID"),
              (Table{{"", "1"}, {"c@example.com", "0"}}));

    // Once signed in, the scheduled time in is fixed.
    ASSERT_EQ(Exec(Form::Sync, path, L"SignVisitIn").result, WBEM_S_NO_ERROR);
    ComPtr<IWbemClassObject> current = Instance(path);
    ASSERT_NE(current, nullptr);
    _variant_t earlier(L"20000101100000.000000+000");
    current->Put(L"SCHEDULED_TIMEIN", 0, &earlier, 0);
    const Reply refused = Put(Form::Sync, current.Get(), WBEM_FLAG_UPDATE_ONLY);
    EXPECT_EQ(refused.result, WBEM_E_FAILED);
    EXPECT_TRUE(EndsWith(Description(refused.statusObject.Get()),
                         "Scheduled time in cannot change once a visitor has been signed in."))
        << Description(refused.statusObject.Get());
    EXPECT_EQ(Scalar("SELECT SCHEDULED_TIMEIN || SCHEDULED_TIMEOUT FROM VISIT_EVENT WHERE VISIT_EVENTID = " + eventId),
              stored);
}

TEST_F(VisitWrites, RecipientsShowTheirDefaultRecipientsFlagAndEventsTheirUtcColumn)
{
    ExecSql("INSERT INTO VISIT_EMAIL_LINK (EMAILID, VISITID, ADDRESS, HOST, VISITOR, SEGMENTID) VALUES "
            "(1, 9001, 'x@example.com', 0, 0, -9999), (2, 9001, NULL, 0, 0, 0);");
    const Reply recipients = Query(Form::Sync, L"SELECT * FROM Bnt_VisitEmailRecipient WHERE VisitID = 9001");
    ASSERT_EQ(recipients.result, WBEM_S_NO_ERROR);
    EXPECT_EQ(Values(recipients.objects, {L"RecipientNumber", L"SegmentID", L"IncludeDefaultRecipients"}),
              (Table{{"1", "<null>", "0"}, {"2", "0", "1"}}));

    const Reply events =
        Query(Form::Sync, L"SELECT * FROM Bnt_VisitEvent WHERE LastChanged < \"20240104000000.000000+000\"");
    ASSERT_EQ(events.result, WBEM_S_NO_ERROR);
    EXPECT_EQ(Values(events.objects, {L"ID", L"Name"}), (Table{{"1", "Supplier meeting"}}));
    EXPECT_EQ(Delete(Form::Sync, L"Bnt_VisitEvent.ID=1").result, WBEM_E_INVALID_OPERATION) << "written by visits only";
}

TEST_F(VisitWrites, AClerkOfOneSegmentSeesTheVisitsOfItsHostsAndVisitorsOnly)
{
    ExecSql("INSERT OR IGNORE INTO USER_PERM_GRANT (USER_PERMID, PERMISSIONID) VALUES (61, 0x20000027);");
    // Ada Adler hosts Dina Dorn in Headquarters; Clara Castell hosts Emil Ebert in the Warehouse.
    const long headquarters = NewVisit(kVisitorsHost, kVisitingPerson);
    const long warehouse = NewVisit(3, 5);
    ASSERT_GT(headquarters, 0);
    ASSERT_GT(warehouse, 0);
    CallAs(RecordsCallers::kHeadquartersClerk);
    for (const auto& [visit, seen] : {std::pair{headquarters, true}, std::pair{warehouse, false}})
    {
        const Reply reply = Get(Form::Sync, L"Bnt_Visit.ID=" + std::to_wstring(visit));
        EXPECT_EQ(reply.result, seen ? WBEM_S_NO_ERROR : WBEM_E_NOT_FOUND) << visit;
    }
    const Reply all = Enum(Form::Sync, L"Bnt_Visit");
    ASSERT_EQ(all.result, WBEM_S_NO_ERROR);
    bool sawHeadquarters = false;
    for (const auto& object : all.objects)
    {
        EXPECT_NE(support::PropertyText(object.Get(), L"ID"), std::to_string(warehouse));
        EXPECT_EQ(support::PropertyText(object.Get(), L"CARDHOLDERID"), "1") << "only Headquarters hosts";
        sawHeadquarters |= support::PropertyText(object.Get(), L"ID") == std::to_string(headquarters);
    }
    EXPECT_TRUE(sawHeadquarters);
}
