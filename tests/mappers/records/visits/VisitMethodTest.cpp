// The methods of the visit family and the service classes through the door: a visit signs in
// once and out once, only with the visitor's own badge, and a failed badge sign-out undoes the
// sign-out; LaunchTour reaches the linkage server of the caller's database or answers 7; the
// mobile verification answers and logs; the manager classes tell the caller who it is.
#include "tests/mappers/records/visits/VisitRecordsTest.h"

#include "framework/CWmipMessages.h"
#include "framework/CWmipObjectPath.h"
#include "hardware/RpcBlock.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "mappers/records/CWmipVisitMapper.h"
#include "platform/rpc/RpcBindingOrder.h"
#include "platform/com/CimTypes.h"
#include "platform/com/Variant.h"
#include "platform/wmi/WbemClassObject.h"
#include "simulation/SimulatedInstallation.h"
#include "tests/support/AwaitLimit.h"

#include <chrono>
#include <algorithm>
#include <string>
#include <vector>

using namespace e2e;

namespace {
constexpr long kHost = 1;
constexpr long kVisitor = 4;
// Bruno Brandt's badge: another person's.
constexpr wchar_t kOthersBadge[] = L"100002";

class VisitMethods : public records_test::VisitRecordsTest
{
protected:
    static std::wstring PathOf(long visit) { return L"Bnt_Visit.ID=" + std::to_wstring(visit); }
    static std::string TimeIn(long visit)
    {
        return Scalar("SELECT ifnull(TIMEIN_UTC, '') FROM VISIT WHERE VISITID = " + std::to_string(visit));
    }
    static std::string TimeOut(long visit)
    {
        return Scalar("SELECT ifnull(TIMEOUT_UTC, '') FROM VISIT WHERE VISITID = " + std::to_string(visit));
    }

    support::SimulatedInstallation m_servers{{L"localhost"}};
};

// The 64-bit value at the offset of a block.
LONGLONG Long64(const std::vector<BYTE>& block, std::size_t offset)
{
    LONGLONG value = 0;
    RpcBlock::GetLongLong(block, offset, &value);
    return value;
}

// ReturnValue of a method's one out-parameters object; -1 when there is none.
long ReturnValue(const Reply& reply)
{
    if (reply.objects.size() != 1)
        return -1;
    _variant_t value;
    reply.objects.front()->Get(L"ReturnValue", 0, &value, nullptr, nullptr);
    return value.vt == VT_I4 ? value.lVal : -1;
}
}  // namespace

TEST_F(VisitMethods, AVisitSignsInOnceAndOutOnce)
{
    const long visit = NewVisit(kHost, kVisitor);
    ASSERT_GT(visit, 0);
    EXPECT_EQ(Exec(Form::Sync, PathOf(visit), L"SignVisitOut").result, WBEM_E_FAILED) << "never signed in";
    EXPECT_EQ(TimeOut(visit), "");

    ASSERT_EQ(Exec(Form::Sync, PathOf(visit), L"SignVisitIn").result, WBEM_S_NO_ERROR);
    const std::string signedIn = TimeIn(visit);
    ASSERT_FALSE(signedIn.empty());
    const long notices = Count("EMAIL_OUTBOX", "1=1");
    for (const Form form : kBothForms)
    {
        SCOPED_TRACE(NameOf(form));
        EXPECT_EQ(Exec(form, PathOf(visit), L"signvisitin").result, WBEM_E_METHOD_NOT_IMPLEMENTED)
            << "the door asks for the exact name";
        EXPECT_EQ(Exec(form, PathOf(visit), L"SignVisitIn").result, WBEM_E_FAILED);
    }
    EXPECT_EQ(TimeIn(visit), signedIn);
    EXPECT_EQ(Count("EMAIL_OUTBOX", "1=1"), notices) << "no notice of what did not happen";

    ASSERT_EQ(Exec(Form::Sync, PathOf(visit), L"SignVisitOut").result, WBEM_S_NO_ERROR);
    const std::string signedOut = TimeOut(visit);
    EXPECT_FALSE(signedOut.empty());
    EXPECT_EQ(Exec(Form::Sync, PathOf(visit), L"SignVisitOut").result, WBEM_E_FAILED);
    EXPECT_EQ(TimeOut(visit), signedOut);
    EXPECT_EQ(Exec(Form::Sync, L"Bnt_Visit.ID=99999", L"SignVisitIn").result, WBEM_E_NOT_FOUND);
}

// Without a database connection both signing methods answer as every write does, before any
// step of their own.
TEST_F(VisitMethods, WithoutAConnectionTheSigningMethodsAnswerTheWritesNoConnectionText)
{
    const long visit = NewVisit(kHost, kVisitor);
    ASSERT_GT(visit, 0);
    CWmipVisitMapper unconnected(nullptr, nullptr, nullptr);
    const auto path = CWmipObjectPath::CreateFromPath(PathOf(visit).c_str());
    ASSERT_NE(path, nullptr);
    for (const wchar_t* method : {L"SignVisitIn", L"SignVisitOut"})
    {
        try
        {
            unconnected.ExecuteMethod(path.get(), method, 0, nullptr, nullptr, nullptr);
            ADD_FAILURE() << "answered without a connection";
        }
        catch (const brontel::utility::CWMIException& e)
        {
            EXPECT_EQ(e.GetHResult(), WBEM_E_FAILED);
            EXPECT_EQ(e.GetText(), CString(CWmipMessages::kNoConnection));
        }
    }
    EXPECT_EQ(TimeIn(visit), "");
}

TEST_F(VisitMethods, TheAssignedBadgeMustBeANumberAndTheVisitorsOwn)
{
    const long visit = NewVisit(kHost, kVisitor);
    ASSERT_GT(visit, 0);
    // Straight to the provider, as a front end hands it the badge id text the client sent.
    auto signIn = [&](const wchar_t* badge) {
        ComPtr<IWbemClassObject> inParams;
        EXPECT_EQ(CreateWbemClass(L"__PARAMETERS", nullptr, &inParams), WBEM_S_NO_ERROR);
        _variant_t text(badge);
        inParams->Put(L"AssignedBadgeID", 0, &text, CIM_STRING);
        const _variant_t path(PathOf(visit).c_str());
        const _variant_t method(L"SignVisitIn");
        const ComPtr<DoorSink> sink = DoorSink::Create();
        ProviderShell()->ExecMethodAsync(static_cast<const VARIANT&>(path).bstrVal,
                                         static_cast<const VARIANT&>(method).bstrVal, 0, nullptr, inParams.Get(),
                                         sink.Get());
        EXPECT_TRUE(sink->WaitForFinalStatus(support::kAwaitLimit));
        const auto finals = sink->FinalStatuses();
        return finals.size() == 1 ? finals.front().result : WBEM_E_FAILED;
    };
    // Dina Dorn also holds visitor badges of 12 digits, the system unit's limit, and of 13.
    ExecSql("INSERT INTO BADGE (BADGEKEY, ID, ISSUECODE, TYPE, STATUS, EMPID) VALUES "
            "(9012, 999999999999, 0, 2, 1, 4), (9013, 1000000000000, 0, 2, 1, 4);");
    const struct
    {
        const wchar_t* badge;
        HRESULT expected;
    } refused[] = {
        {L"12ab", WBEM_E_INVALID_PARAMETER}, {L"1e5", WBEM_E_INVALID_PARAMETER},
        {L"-", WBEM_E_INVALID_PARAMETER},    {L"99999999999999999999", WBEM_E_INVALID_PARAMETER},
        {kOthersBadge, WBEM_E_FAILED},       {L"424242", WBEM_E_FAILED},
        {L"1000000000000", WBEM_E_FAILED},
    };
    for (const auto& entry : refused)
    {
        SCOPED_TRACE(Utf8(entry.badge));
        EXPECT_EQ(signIn(entry.badge), entry.expected);
        EXPECT_EQ(TimeIn(visit), "");
    }
    // Dina Dorn's own visitor badge of the most digits, through the door as any client sends it.
    EXPECT_EQ(ExecWith(PathOf(visit), L"SignVisitIn", {{L"AssignedBadgeID", _variant_t(L"999999999999")}}).result,
              WBEM_S_NO_ERROR);
    EXPECT_FALSE(TimeIn(visit).empty());
}

TEST_F(VisitMethods, ANewDisposableBadgeIsIssuedAndSignedOutWithTheVisit)
{
    const long visit = NewVisit(kHost, kVisitor);
    ASSERT_GT(visit, 0);
    // The visitor's badges before the sign-in, which earlier tests may have given it.
    const std::string held = Scalar("SELECT IFNULL(GROUP_CONCAT(BADGEKEY), '') FROM BADGE WHERE EMPID = 4");
    m_servers.CommServer().ClearCalls();
    const Reply in =
        ExecWith(PathOf(visit), L"SignVisitIn",
                 {{L"BadgeTypeID", _variant_t(static_cast<LONG>(2))}, {L"PrinterName", _variant_t(L"Lobby")}});
    ASSERT_EQ(in.result, WBEM_S_NO_ERROR);
    ASSERT_EQ(Scalar("SELECT COUNT(*) FROM BADGE WHERE EMPID = 4 AND BADGEKEY NOT IN (" + held + ")"), "1");
    const std::string badge = Scalar("SELECT ID FROM BADGE WHERE EMPID = 4 AND BADGEKEY NOT IN (" + held + ")");
    ASSERT_FALSE(badge.empty());
    ASSERT_EQ(m_servers.CommServer().Calls().size(), 1u) << "the new badge is announced once";
    // As every badge of a sign-in: action 2 (changed) at 8, the badge id at 72.
    EXPECT_EQ(RpcBlock::Long(m_servers.CommServer().Calls().front().block, 4 + 8), 2);
    EXPECT_EQ(Long64(m_servers.CommServer().Calls().front().block, 4 + 72), std::stoll(badge));

    ASSERT_EQ(Exec(Form::Sync, PathOf(visit), L"SignVisitOut").result, WBEM_S_NO_ERROR);
    EXPECT_EQ(Count("BADGE", "ID = " + badge + " AND DEACTIVATE <= datetime('now', 'localtime')"), 1);
    const auto calls = m_servers.CommServer().Calls();
    ASSERT_GE(calls.size(), 2u);
    // Code -11, then the message: action 3 (removed) at 8, the badge id at 72; the visitor's
    // other badges, which earlier tests may have given it, are told alike.
    const auto removed = std::count_if(calls.begin() + 1, calls.end(), [&](const auto& call) {
        return RpcBlock::Long(call.block, 0) == -11 && RpcBlock::Long(call.block, 4 + 8) == 3 &&
               Long64(call.block, 4 + 72) == std::stoll(badge);
    });
    EXPECT_EQ(removed, 1);
}

TEST_F(VisitMethods, AFailedBadgeSignOutLeavesTheVisitSignedIn)
{
    const long visit = NewVisit(kHost, kVisitor);
    ASSERT_GT(visit, 0);
    ASSERT_EQ(ExecWith(PathOf(visit), L"SignVisitIn",
                       {{L"BadgeTypeID", _variant_t(static_cast<LONG>(2))}, {L"PrinterName", _variant_t(L"Lobby")}})
                  .result,
              WBEM_S_NO_ERROR);
    ExecSql("CREATE TRIGGER FAIL_BADGE_SIGNOUT BEFORE UPDATE OF DEACTIVATE ON BADGE "
            "BEGIN SELECT RAISE(ABORT, 'refused'); END;");
    m_servers.CommServer().ClearCalls();
    const Reply out = Exec(Form::Sync, PathOf(visit), L"SignVisitOut");
    ExecSql("DROP TRIGGER FAIL_BADGE_SIGNOUT;");
    EXPECT_EQ(out.result, WBEM_E_FAILED);
    EXPECT_EQ(TimeOut(visit), "") << "the visitor still holds a working badge";
    EXPECT_TRUE(m_servers.CommServer().Calls().empty());
    EXPECT_EQ(Exec(Form::Sync, PathOf(visit), L"SignVisitOut").result, WBEM_S_NO_ERROR);
}

TEST_F(VisitMethods, LaunchTourReachesTheLinkageServerOfTheCallersDatabase)
{
    m_servers.Linkage().ClearCalls();
    m_servers.Linkage().SetAnswer(1, support::SimulatedAnswer::Patched({{24, {5, 0, 0, 0}}}));
    const Reply launched =
        ExecWith(L"Bnt_GuardTour.ID=1", L"LaunchTour",
                 {{L"BadgeID", _variant_t(L"100002")}, {L"MonStationID", _variant_t(static_cast<LONG>(3))}});
    ASSERT_EQ(launched.result, WBEM_S_NO_ERROR);
    EXPECT_EQ(ReturnValue(launched), 5);
    const auto calls = m_servers.Linkage().CallsOf(1);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(RpcBlock::Long(calls[0].block, 0), 1);
    EXPECT_EQ(Long64(calls[0].block, 8), 100002);
    EXPECT_EQ(RpcBlock::Long(calls[0].block, 20), 3);

    // A linkage server whose call does not complete leaves the answer at 7.
    m_servers.Linkage().SetAnswer(1, support::SimulatedAnswer::Failing());
    const Reply failed =
        ExecWith(L"Bnt_GuardTour.ID=1", L"LaunchTour", {{L"MonStationID", _variant_t(static_cast<LONG>(3))}});
    EXPECT_EQ(failed.result, WBEM_S_NO_ERROR);
    EXPECT_EQ(ReturnValue(failed), 7);
    EXPECT_EQ(m_servers.Linkage().CallsOf(1).size(), 2u) << "the call reached the server";

    // Without a linkage server of the database nothing is called and the answer is 7. The
    // simulated linkage server stands at this computer, the host a binding of the empty host
    // names, and would answer 6.
    ASSERT_EQ(RpcBindingOrder::CanonicalHost(L""), RpcBindingOrder::CanonicalHost(L"localhost"));
    m_servers.Linkage().ClearCalls();
    m_servers.Linkage().SetAnswer(1, support::SimulatedAnswer::Patched({{24, {6, 0, 0, 0}}}));
    const int unservedLines = LogLines(L"No linkage server serves this database; the tour was not launched.");
    ExecSql("UPDATE LINKAGE_SERVER SET BNT_DBID = 99 WHERE LINKAGE_SERVERID = 2;");
    const Reply unserved =
        ExecWith(L"Bnt_GuardTour.ID=1", L"LaunchTour", {{L"MonStationID", _variant_t(static_cast<LONG>(3))}});
    ExecSql("UPDATE LINKAGE_SERVER SET BNT_DBID = 1 WHERE LINKAGE_SERVERID = 2;");
    EXPECT_EQ(unserved.result, WBEM_S_NO_ERROR);
    EXPECT_EQ(ReturnValue(unserved), 7);
    EXPECT_TRUE(m_servers.Linkage().Calls().empty());
    EXPECT_EQ(LogLines(L"No linkage server serves this database; the tour was not launched."), unservedLines + 1);

    EXPECT_EQ(Exec(Form::Sync, L"Bnt_GuardTour.ID=42", L"LaunchTour").result, WBEM_E_NOT_FOUND);

    // A caller who may view tours but not launch them reaches no server.
    m_servers.Linkage().ClearCalls();
    CallAs(kVisitDesk);
    EXPECT_EQ(Get(Form::Sync, L"Bnt_GuardTour.ID=1").result, WBEM_S_NO_ERROR);
    const ComPtr<IWbemClassObject> station =
        MethodParameters(L"Bnt_GuardTour", L"LaunchTour", {{L"MonStationID", _variant_t(static_cast<LONG>(3))}});
    EXPECT_TRUE(Refused(Exec(Form::Async, L"Bnt_GuardTour.ID=1", L"LaunchTour", station.Get()), WBEM_E_ACCESS_DENIED,
                        L"The client does not have sufficient user permissions to perform the requested operation."));
    EXPECT_TRUE(m_servers.Linkage().Calls().empty());
}

TEST_F(VisitMethods, IsGrantAnswersOneOrZeroInWhateverCase)
{
    const struct
    {
        const wchar_t* method;
        LONG level;
        LONG setting;
        long expected;
    } cases[] = {{L"IsGrant", 3, 2, 1}, {L"isgrant", 2, 2, 1}, {L"ISGRANT", 1, 2, 0}, {L"iSgRaNt", 0, 4, 0}};
    for (const auto& entry : cases)
    {
        SCOPED_TRACE(Utf8(entry.method));
        const Reply reply = ExecWith(
            L"Bnt_Portavere", L"IsGrant",
            {{L"CardholderThreatLevelID", _variant_t(entry.level)}, {L"SystemSettingID", _variant_t(entry.setting)}});
        ASSERT_EQ(reply.result, WBEM_S_NO_ERROR);
        EXPECT_EQ(ReturnValue(reply), entry.expected);
    }
}

TEST_F(VisitMethods, AGrantOrDenyThatCannotBeLoggedFailsTheMethod)
{
    const long before = Count("PORTAVERE_TRANSACTION", "1=1");
    ASSERT_EQ(ExecWith(L"Bnt_Portavere", L"LogDenyTransaction",
                       {{L"CurrentLevel", _variant_t(static_cast<LONG>(2))},
                        {L"SystemLevel", _variant_t(static_cast<LONG>(4))}})
                  .result,
              WBEM_S_NO_ERROR);
    EXPECT_EQ(Count("PORTAVERE_TRANSACTION", "GRANTED = 0 AND CURRENT_LEVEL = 2 AND SYSTEM_LEVEL = 4 AND "
                                             "CARDHOLDER_NAME = '' AND GATE_NAME = ''"),
              1);
    ExecSql("CREATE TRIGGER FAIL_PORTAVERE BEFORE INSERT ON PORTAVERE_TRANSACTION "
            "BEGIN SELECT RAISE(ABORT, 'refused'); END;");
    const Reply refused =
        ExecWith(L"Bnt_Portavere", L"LogGrantTransaction", {{L"CardholderName", _variant_t(L"Adler")}});
    ExecSql("DROP TRIGGER FAIL_PORTAVERE;");
    EXPECT_EQ(refused.result, WBEM_E_FAILED);
    EXPECT_EQ(Count("PORTAVERE_TRANSACTION", "1=1"), before + 1);
}

TEST_F(VisitMethods, TheManagersNameTheCallerAndRefreshTheCache)
{
    for (const wchar_t* manager : {L"Bnt_VexletManager", L"Bnt_FluxmereManager"})
    {
        SCOPED_TRACE(Utf8(manager));
        const Reply reply = Exec(Form::Sync, manager, L"GetCurrentUser");
        ASSERT_EQ(reply.result, WBEM_S_NO_ERROR);
        ASSERT_EQ(reply.objects.size(), 1u);
        EXPECT_TRUE(EndsWith(support::PropertyText(reply.objects.front().Get(), L"ReturnValue"), " (-1)"))
            << support::PropertyText(reply.objects.front().Get(), L"ReturnValue");
        EXPECT_EQ(Exec(Form::Sync, manager, L"RefreshCache").result, WBEM_S_NO_ERROR);
        EXPECT_EQ(Exec(Form::Sync, manager, L"refreshcache").result, WBEM_E_METHOD_NOT_IMPLEMENTED);
    }
}

TEST_F(VisitMethods, TheBadgeTypeWinsAndABadgeIdOfZeroMeansNoBadge)
{
    const long both = NewVisit(kHost, kVisitor);
    const long zero = NewVisit(kHost, kVisitor);
    ASSERT_GT(both, 0);
    ASSERT_GT(zero, 0);
    const long badges = Count("BADGE", "EMPID = 4");
    // Another person's badge would be refused: the type is taken first and the badge id ignored.
    ASSERT_EQ(ExecWith(PathOf(both), L"SignVisitIn",
                       {{L"BadgeTypeID", _variant_t(static_cast<LONG>(2))},
                        {L"PrinterName", _variant_t(L"Lobby")},
                        {L"AssignedBadgeID", _variant_t(kOthersBadge)}})
                  .result,
              WBEM_S_NO_ERROR);
    EXPECT_EQ(Count("BADGE", "EMPID = 4"), badges + 1);

    ASSERT_EQ(ExecWith(PathOf(zero), L"SignVisitIn",
                       {{L"BadgeTypeID", _variant_t(static_cast<LONG>(0))}, {L"AssignedBadgeID", _variant_t(L"0")}})
                  .result,
              WBEM_S_NO_ERROR);
    EXPECT_EQ(Count("BADGE", "EMPID = 4"), badges + 1);
    EXPECT_FALSE(TimeIn(zero).empty());

    // A type that is not a visitor type, and a visitor type without a printer, sign nobody in.
    const long refused = NewVisit(kHost, kVisitor);
    for (const auto& parameters :
         {std::vector<std::pair<const wchar_t*, _variant_t>>{{L"BadgeTypeID", _variant_t(static_cast<LONG>(1))},
                                                             {L"PrinterName", _variant_t(L"Lobby")}},
          std::vector<std::pair<const wchar_t*, _variant_t>>{{L"BadgeTypeID", _variant_t(static_cast<LONG>(2))}}})
    {
        EXPECT_EQ(ExecWith(PathOf(refused), L"SignVisitIn", parameters).result, WBEM_E_FAILED);
        EXPECT_EQ(TimeIn(refused), "");
    }
    EXPECT_EQ(Count("BADGE", "EMPID = 4"), badges + 1);
}

TEST_F(VisitMethods, ADeleteEndsTheVisitorsBadgesAndItsEventRow)
{
    // Clara Castell (3) hosts Emil Ebert (5) in the Warehouse segment.
    const long visit = NewVisit(3, 5);
    ASSERT_GT(visit, 0);
    ASSERT_EQ(ExecWith(PathOf(visit), L"SignVisitIn",
                       {{L"BadgeTypeID", _variant_t(static_cast<LONG>(2))}, {L"PrinterName", _variant_t(L"Dock")}})
                  .result,
              WBEM_S_NO_ERROR);
    const std::string id = std::to_string(visit);
    const std::string eventId = Scalar("SELECT VISIT_EVENTID FROM VISIT WHERE VISITID = " + id);
    const long replicated = Count("REPL_TRANSACTION_LOG", "1=1");
    ASSERT_EQ(Delete(Form::Sync, PathOf(visit)).result, WBEM_S_NO_ERROR);
    EXPECT_EQ(Count("VISIT", "VISITID = " + id), 0);
    EXPECT_EQ(Count("VISIT_EVENT", "VISIT_EVENTID = " + eventId), 0);
    EXPECT_EQ(Count("BADGE", "EMPID = 5 AND STATUS = 1 AND (DEACTIVATE IS NULL OR "
                             "DEACTIVATE > datetime('now', 'localtime'))"),
              0);
    EXPECT_EQ(Count("USER_TRANSACTION_LOG",
                    "OBJECT_TYPE = 156 AND OPERATION = 7 AND DESCRIPTION LIKE 'Visit event " + eventId + ":%'"),
              1);
    EXPECT_GT(Count("REPL_TRANSACTION_LOG", "1=1"), replicated);

    // A visit whose event row is gone: the replication entry is still written, no audit entry.
    const long orphan = NewVisit(3, 5);
    ASSERT_GT(orphan, 0);
    const std::string orphanEvent = Scalar("SELECT VISIT_EVENTID FROM VISIT WHERE VISITID = " + std::to_string(orphan));
    ExecSql("DELETE FROM VISIT_EVENT WHERE VISIT_EVENTID = " + orphanEvent + ";");
    const long audits = Count("USER_TRANSACTION_LOG", "OBJECT_TYPE = 156");
    const std::string deletedEvent = "OBJECT_TYPE = 65536 AND ACTION = 2 AND RECORDID = " + orphanEvent;
    const long replications = Count("REPL_TRANSACTION_LOG", deletedEvent);
    ASSERT_EQ(Delete(Form::Sync, PathOf(orphan)).result, WBEM_S_NO_ERROR);
    EXPECT_EQ(Count("VISIT", "VISITID = " + std::to_string(orphan)), 0);
    EXPECT_EQ(Count("USER_TRANSACTION_LOG", "OBJECT_TYPE = 156"), audits);
    EXPECT_EQ(Count("REPL_TRANSACTION_LOG", deletedEvent), replications + 1);

    // Two visits sharing one event row: the row stays with the visit still naming it, and goes
    // with the last.
    const long first = NewVisit(3, 5);
    const long second = NewVisit(3, 5);
    ASSERT_GT(first, 0);
    ASSERT_GT(second, 0);
    const std::string shared = Scalar("SELECT VISIT_EVENTID FROM VISIT WHERE VISITID = " + std::to_string(first));
    const std::string own = Scalar("SELECT VISIT_EVENTID FROM VISIT WHERE VISITID = " + std::to_string(second));
    ExecSql("UPDATE VISIT SET VISIT_EVENTID = " + shared + " WHERE VISITID = " + std::to_string(second) +
            "; DELETE FROM VISIT_EVENT WHERE VISIT_EVENTID = " + own + ";");
    ASSERT_EQ(Delete(Form::Sync, PathOf(first)).result, WBEM_S_NO_ERROR);
    EXPECT_EQ(DoorInstallation::Rows("SELECT VISITID, VISIT_EVENTID FROM VISIT WHERE VISITID IN (" +
                                     std::to_string(first) + ", " + std::to_string(second) + ")"),
              (Table{{std::to_string(second), shared}}));
    EXPECT_EQ(Count("VISIT_EVENT", "VISIT_EVENTID = " + shared), 1);
    ASSERT_EQ(Delete(Form::Sync, PathOf(second)).result, WBEM_S_NO_ERROR);
    EXPECT_EQ(Count("VISIT_EVENT", "VISIT_EVENTID = " + shared), 0);
}

TEST_F(VisitMethods, TheRecommendationAnswersOneObject)
{
    ExecSql("INSERT OR REPLACE INTO CONFIG_VALUE (CONFIGID, NUMBERVALUE) VALUES (1010, 3);"
            "INSERT OR REPLACE INTO CONFIG_VALUE (CONFIGID, TEXTVALUE) VALUES (1013, 'Stop');");
    const Reply setting = Exec(Form::Sync, L"Bnt_Portavere", L"RecommendationSystemSetting");
    ASSERT_EQ(setting.result, WBEM_S_NO_ERROR);
    EXPECT_EQ(ReturnValue(setting), 3);
    const Reply properties = Exec(Form::Sync, L"Bnt_Portavere", L"RecommendProperties");
    ASSERT_EQ(properties.result, WBEM_S_NO_ERROR);
    ASSERT_EQ(properties.objects.size(), 1u);
    EXPECT_EQ(Values(properties.objects, {L"DenyText", L"GrantText", L"DenyColor", L"GrantOverride"}),
              (Table{{"Stop", "Grant", "255", "0"}}));
    EXPECT_EQ(Exec(Form::Sync, L"Bnt_Portavere", L"Recommend").result, WBEM_E_INVALID_METHOD);
}

TEST_F(VisitMethods, ASigningThatFailsAnswersTheCodeAloneAndOnlyTheSignInLogsIt)
{
    const long visit = NewVisit(kHost, kVisitor);
    ASSERT_GT(visit, 0);
    ASSERT_EQ(Exec(Form::Sync, PathOf(visit), L"SignVisitIn").result, WBEM_S_NO_ERROR);
    const long never = NewVisit(kHost, kVisitor);
    ASSERT_GT(never, 0);
    const long farHost = NewPerson(L"Bnt_Cardholder", L"Farhost", 2);
    const long farVisitor = NewPerson(L"Bnt_Visitor", L"Farguest", 2);
    ExecSql("UPDATE EMP SET ALLOWEDVISITORS = 1 WHERE ID = " + std::to_string(farHost));
    CallAs(Callers::kAdministrator);
    const long far = NewVisit(farHost, farVisitor);
    ASSERT_GT(far, 0);
    // The segment-1 clerk may sign visits in, and sees no visit of segment 2.
    ExecSql("INSERT OR IGNORE INTO USER_PERM_GRANT (USER_PERMID, PERMISSIONID) VALUES (61, 0x2000004B);");
    const std::wstring signInLine = L"An unexpected error occurred in CWmipVisitMapper::SignVisitIn";
    const std::wstring signOutLine = L"CWmipVisitMapper::SignVisitOut";
    const struct
    {
        const char* rule;
        const wchar_t* caller;
        long visit;
        const wchar_t* method;
        HRESULT code;
        // The text the answer ends with; null: the answer carries no text of the method's checks.
        const wchar_t* text;
        const char* unsaid;
        int signInLines;
    } cases[] = {
        {"signed in already", Callers::kAdministrator, visit, L"SignVisitIn", WBEM_E_FAILED, nullptr,
         "The specified visit has already been signed in.", 1},
        {"never signed in", Callers::kAdministrator, never, L"SignVisitOut", WBEM_E_FAILED, nullptr,
         "The specified visit is not active", 0},
        {"without the right to sign visits", records_test::RecordsCallers::kViewer, never, L"SignVisitIn",
         WBEM_E_ACCESS_DENIED,
         L"The client does not have sufficient user permissions to perform the requested operation.", "", 0},
        {"a visit beyond the caller's segment", records_test::RecordsCallers::kHeadquartersClerk, far, L"SignVisitIn",
         WBEM_E_NOT_FOUND, L"The requested instance could not be retrieved or does not exist.", "", 0},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.rule);
        CallAs(c.caller);
        const int signIns = LogLines(signInLine);
        const int signOuts = LogLines(signOutLine);
        const Reply reply = Exec(Form::Async, PathOf(c.visit), c.method);
        EXPECT_EQ(reply.result, c.code) << Hex(reply.result);
        const std::string description = Description(reply.statusObject.Get());
        if (c.text != nullptr)
        {
            EXPECT_TRUE(Refused(reply, c.code, c.text));
        }
        else
        {
            EXPECT_EQ(description.find(c.unsaid), std::string::npos) << description;
        }
        EXPECT_EQ(LogLines(signInLine), signIns + c.signInLines);
        EXPECT_EQ(LogLines(signOutLine), signOuts) << "a sign-out that fails is not logged";
    }
    EXPECT_EQ(TimeOut(never), "");
    EXPECT_EQ(TimeIn(far), "");
}
