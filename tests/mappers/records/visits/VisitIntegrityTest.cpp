// The visit records stay whole through every write: a delete takes what hangs on the deleted row
// or is refused while it is needed, a reference must name a row, a modify keeps what it does not
// carry and is checked against what is stored, the change time is stamped by the system, and a
// disposable badge is printed on its type's print service when the caller names none.
#include "tests/mappers/records/visits/VisitRecordsTest.h"

#include "platform/com/Variant.h"
#include "platform/wmi/IWbemQualifierSet.h"
#include "simulation/SimulatedInstallation.h"

#include <string>
#include <vector>

using namespace e2e;

namespace {
// Demo persons: Ada Adler (1) may host visitors; Dina Dorn (4) is a visitor.
constexpr long kHostId = 1;
constexpr long kVisitorId = 4;

class VisitIntegrity : public records_test::VisitRecordsTest
{
protected:
    static std::wstring PathOf(long visit) { return L"Bnt_Visit.ID=" + std::to_wstring(visit); }

    Reply Modify(long visit, const std::vector<std::pair<const wchar_t*, _variant_t>>& values)
    {
        std::vector<std::pair<const wchar_t*, _variant_t>> all{{L"ID", _variant_t(static_cast<LONG>(visit))}};
        all.insert(all.end(), values.begin(), values.end());
        return Put(Form::Sync, NewInstance(L"Bnt_Visit", all).Get(), WBEM_FLAG_UPDATE_ONLY);
    }

    // A visit of the visitor to the host with a recipient address.
    long VisitWithRecipient(long host, long visitor)
    {
        const Reply added = Put(Form::Sync,
                                NewInstance(L"Bnt_Visit", {{L"CARDHOLDERID", _variant_t(static_cast<LONG>(host))},
                                                           {L"VISITORID", _variant_t(static_cast<LONG>(visitor))},
                                                           {L"EMAIL_LIST", _variant_t(L"a@example.com")}})
                                    .Get(),
                                WBEM_FLAG_CREATE_ONLY);
        EXPECT_EQ(added.result, WBEM_S_NO_ERROR) << Description(added.statusObject.Get());
        return KeyOf(added);
    }

    support::SimulatedInstallation m_servers{{L"localhost"}};
};
}  // namespace

TEST_F(VisitIntegrity, DeletingAVisitTakesItsRecipients)
{
    const long visit = VisitWithRecipient(kHostId, kVisitorId);
    ASSERT_GT(visit, 0);
    const std::string id = std::to_string(visit);
    ASSERT_EQ(Count("VISIT_EMAIL_LINK", "VISITID = " + id), 1);
    ASSERT_EQ(Delete(Form::Sync, PathOf(visit)).result, WBEM_S_NO_ERROR);
    EXPECT_EQ(Count("VISIT_EMAIL_LINK", "VISITID = " + id), 0);
    const Reply recipients =
        Query(Form::Sync, L"SELECT * FROM Bnt_VisitEmailRecipient WHERE VisitID = " + std::to_wstring(visit));
    EXPECT_TRUE(recipients.objects.empty());
}

TEST_F(VisitIntegrity, DeletingAVisitorTakesItsVisitsAndTheirEvents)
{
    const long visitor = NewPerson(L"Bnt_Visitor", L"Transient", 1);
    ASSERT_GT(visitor, 0);
    CallAs(Callers::kAdministrator);
    const long visit = VisitWithRecipient(kHostId, visitor);
    ASSERT_GT(visit, 0);
    const std::string id = std::to_string(visit);
    const std::string eventId = Scalar("SELECT VISIT_EVENTID FROM VISIT WHERE VISITID = " + id);

    ASSERT_EQ(Delete(Form::Sync, L"Bnt_Visitor.ID=" + std::to_wstring(visitor)).result, WBEM_S_NO_ERROR);
    EXPECT_EQ(Count("VISIT", "VISITORID = " + std::to_string(visitor)), 0);
    EXPECT_EQ(Count("VISIT_EMAIL_LINK", "VISITID = " + id), 0);
    EXPECT_EQ(Count("VISIT_EVENT", "VISIT_EVENTID = " + eventId), 0);
}

TEST_F(VisitIntegrity, AHostIsNotDeletedWhileItHasVisits)
{
    const long host = NewPerson(L"Bnt_Cardholder", L"Hostess", 1);
    ASSERT_GT(host, 0);
    ExecSql("UPDATE EMP SET ALLOWEDVISITORS = 1 WHERE ID = " + std::to_string(host));
    CallAs(Callers::kAdministrator);
    const long visit = NewVisit(host, kVisitorId);
    ASSERT_GT(visit, 0);
    const std::wstring hostPath = L"Bnt_Cardholder.ID=" + std::to_wstring(host);
    const std::vector<Table> before = DoorInstallation::WholeDatabase();

    const Reply refused = Delete(Form::Sync, hostPath);
    EXPECT_EQ(refused.result, WBEM_E_FAILED);
    EXPECT_TRUE(EndsWith(Description(refused.statusObject.Get()),
                         "The cardholder is the host of visits and cannot be deleted until those visits are deleted."))
        << Description(refused.statusObject.Get());
    EXPECT_EQ(DoorInstallation::WholeDatabase(), before);

    ASSERT_EQ(Delete(Form::Sync, PathOf(visit)).result, WBEM_S_NO_ERROR);
    EXPECT_EQ(Delete(Form::Sync, hostPath).result, WBEM_S_NO_ERROR);
}

TEST_F(VisitIntegrity, AStationMustNameAnExistingSignInLocation)
{
    const long before = Count("VISIT_SELF_SERVICE_STATION", "1=1");
    for (const auto& [location, expected] : {std::pair{999L, WBEM_E_INVALID_PARAMETER}, std::pair{1L, WBEM_S_NO_ERROR}})
    {
        const Reply reply = Put(Form::Sync,
                                NewInstance(L"Bnt_VisitSelfServiceStation",
                                            {{L"Name", _variant_t(L"Kiosk")},
                                             {L"VisitSignInLocationID", _variant_t(static_cast<LONG>(location))}})
                                    .Get(),
                                WBEM_FLAG_CREATE_ONLY);
        EXPECT_EQ(reply.result, expected) << Description(reply.statusObject.Get());
        if (FAILED(expected))
        {
            EXPECT_TRUE(EndsWith(Description(reply.statusObject.Get()),
                                 "The property VisitSignInLocationID did not exist or contained an invalid value."));
        }
    }
    EXPECT_EQ(Count("VISIT_SELF_SERVICE_STATION", "1=1"), before + 1);
}

TEST_F(VisitIntegrity, OneScheduledTimeIsCheckedAgainstTheOtherStored)
{
    // Scheduled 09:00 to 17:00 UTC today.
    const long visit = NewVisit(kHostId, kVisitorId);
    ASSERT_GT(visit, 0);
    const std::string id = std::to_string(visit);
    const std::string eventId = Scalar("SELECT VISIT_EVENTID FROM VISIT WHERE VISITID = " + id);
    const std::string stored =
        Scalar("SELECT SCHEDULED_TIMEIN || SCHEDULED_TIMEOUT FROM VISIT_EVENT WHERE VISIT_EVENTID = " + eventId);
    const std::string day = Scalar("SELECT strftime('%Y%m%d', SCHEDULED_TIMEIN) FROM VISIT_EVENT WHERE "
                                   "VISIT_EVENTID = " +
                                   eventId);
    const std::wstring wideDay(day.begin(), day.end());
    for (const auto& [property, time] :
         {std::pair{L"SCHEDULED_TIMEIN", L"180000"}, std::pair{L"SCHEDULED_TIMEOUT", L"080000"}})
    {
        const std::wstring text = wideDay + time + L".000000+000";
        const Reply refused = Modify(visit, {{property, _variant_t(text.c_str())}});
        EXPECT_EQ(refused.result, WBEM_E_FAILED) << Utf8(property);
        EXPECT_TRUE(EndsWith(Description(refused.statusObject.Get()),
                             "The specified visit scheduled time in must come before the scheduled timeout."))
            << Description(refused.statusObject.Get());
    }
    EXPECT_EQ(Scalar("SELECT SCHEDULED_TIMEIN || SCHEDULED_TIMEOUT FROM VISIT_EVENT WHERE VISIT_EVENTID = " + eventId),
              stored);
}

TEST_F(VisitIntegrity, TheSystemStampsTheChangeTimeOfVisitsAndPersons)
{
    const long visit = NewVisit(kHostId, kVisitorId);
    ASSERT_GT(visit, 0);
    const std::string id = std::to_string(visit);
    EXPECT_NE(Scalar("SELECT ifnull(LASTCHANGED_UTC, '') FROM VISIT WHERE VISITID = " + id), "");
    ExecSql("UPDATE VISIT SET LASTCHANGED_UTC = NULL WHERE VISITID = " + id);
    ASSERT_EQ(Modify(visit, {{L"EMAIL_INCLUDE_HOST", _variant_t(true)}}).result, WBEM_S_NO_ERROR);
    EXPECT_NE(Scalar("SELECT ifnull(LASTCHANGED_UTC, '') FROM VISIT WHERE VISITID = " + id), "");

    const long person = NewPerson(L"Bnt_Cardholder", L"Stamped", 1);
    ASSERT_GT(person, 0);
    const std::string personId = std::to_string(person);
    EXPECT_NE(Scalar("SELECT ifnull(LASTCHANGED, '') FROM EMP WHERE ID = " + personId), "");
    ExecSql("UPDATE EMP SET LASTCHANGED = NULL WHERE ID = " + personId);
    CallAs(records_test::RecordsCallers::kRecordsAdmin);
    ASSERT_EQ(Put(Form::Sync,
                  NewInstance(L"Bnt_Cardholder",
                              {{L"ID", _variant_t(static_cast<LONG>(person))}, {L"FIRSTNAME", _variant_t(L"Sam")}})
                      .Get(),
                  WBEM_FLAG_UPDATE_ONLY)
                  .result,
              WBEM_S_NO_ERROR);
    EXPECT_NE(Scalar("SELECT ifnull(LASTCHANGED, '') FROM EMP WHERE ID = " + personId), "");
}

TEST_F(VisitIntegrity, ASegmentMoveNamesThePersonInTheAudit)
{
    const long person = NewPerson(L"Bnt_Cardholder", L"Mover", 1);
    ASSERT_GT(person, 0);
    ExecSql("UPDATE EMP SET FIRSTNAME = 'Max' WHERE ID = " + std::to_string(person));
    const long before = Count("USER_TRANSACTION_LOG", "1=1");
    ASSERT_EQ(Put(Form::Sync,
                  NewInstance(L"Bnt_Cardholder", {{L"ID", _variant_t(static_cast<LONG>(person))},
                                                  {L"PRIMARYSEGMENTID", _variant_t(static_cast<LONG>(2))}})
                      .Get(),
                  WBEM_FLAG_UPDATE_ONLY)
                  .result,
              WBEM_S_NO_ERROR);
    EXPECT_EQ(Count("USER_TRANSACTION_LOG", "1=1"), before + 1);
    EXPECT_EQ(Scalar("SELECT DESCRIPTION FROM USER_TRANSACTION_LOG ORDER BY rowid DESC LIMIT 1"),
              "Person " + std::to_string(person) + ": Mover, Max");
}

TEST_F(VisitIntegrity, ADisposableBadgeIsPrintedOnItsTypesServiceWhenNoneIsNamed)
{
    const long visit = NewVisit(kHostId, kVisitorId);
    ASSERT_GT(visit, 0);
    const std::vector<std::pair<const wchar_t*, _variant_t>> typeOnly{
        {L"BadgeTypeID", _variant_t(static_cast<LONG>(2))}};
    EXPECT_EQ(ExecWith(PathOf(visit), L"SignVisitIn", typeOnly).result, WBEM_E_FAILED) << "the type has no service";
    ExecSql("UPDATE BADGETYP SET DEFAULT_PRINT_SERVICE = 'Lobby' WHERE ID = 2");
    EXPECT_EQ(ExecWith(PathOf(visit), L"SignVisitIn", typeOnly).result, WBEM_S_NO_ERROR);
    ExecSql("UPDATE BADGETYP SET DEFAULT_PRINT_SERVICE = NULL WHERE ID = 2");
    EXPECT_NE(Scalar("SELECT ifnull(TIMEIN_UTC, '') FROM VISIT WHERE VISITID = " + std::to_string(visit)), "");
}

TEST_F(VisitIntegrity, SignVisitInParametersAreKeysNumberedInOrder)
{
    const Reply definition = Get(Form::Sync, L"Bnt_Visit");
    ASSERT_EQ(definition.objects.size(), 1u);
    ComPtr<IWbemClassObject> signature;
    ASSERT_EQ(definition.objects.front()->GetMethod(L"SignVisitIn", 0, &signature, nullptr), WBEM_S_NO_ERROR);
    ASSERT_NE(signature, nullptr);
    LONG position = 0;
    for (const wchar_t* parameter : {L"BadgeTypeID", L"PrinterName", L"AssignedBadgeID"})
    {
        SCOPED_TRACE(Utf8(parameter));
        ComPtr<IWbemQualifierSet> qualifiers;
        ASSERT_EQ(signature->GetPropertyQualifierSet(parameter, &qualifiers), WBEM_S_NO_ERROR);
        _variant_t key;
        _variant_t id;
        ASSERT_EQ(qualifiers->Get(L"key", 0, &key, nullptr), WBEM_S_NO_ERROR);
        ASSERT_EQ(qualifiers->Get(L"ID", 0, &id, nullptr), WBEM_S_NO_ERROR);
        EXPECT_EQ(static_cast<const VARIANT&>(key).boolVal, VARIANT_TRUE);
        EXPECT_EQ(static_cast<const VARIANT&>(id).lVal, position++);
    }
}
