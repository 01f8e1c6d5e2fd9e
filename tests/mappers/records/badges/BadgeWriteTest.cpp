// Badges end to end through the door with the simulated configuration servers: the badge rules
// checked inside the write (concurrent adds, active badges, printed badges), the download
// notices (order, and a refused notice failing the write), AddBadge and AssignAccessLevel, the
// person delete cascade, what a segment-restricted caller sees, and the badge records.
#include "tests/mappers/records/persons/PersonRecordsTest.h"

#include "platform/com/Bstr.h"
#include "platform/com/SafeArray.h"
#include "platform/com/Variant.h"
#include "simulation/SimulatedInstallation.h"
#include "tests/isolation/BusDoor.h"
#include "tests/support/IntegerArray.h"
#include "tests/support/ManualClock.h"

#include <atomic>
#include <cstring>
#include <optional>
#include <string>
#include <thread>
#include <vector>

using namespace e2e;
using records_test::RecordsCallers;

namespace {
// The records administrator may also work on badges and badge statuses and assign any access
// level (granted before the program's first login: a logged-in user keeps its rights).
constexpr const char* kBadgeRights = R"(
INSERT OR IGNORE INTO USER_PERM_GRANT (USER_PERMID, PERMISSIONID) VALUES
    (61, 0x20000006), (61, 0x20000007), (61, 0x20000008), (61, 0x2000000A), (61, 0x20000002),
    (61, 0x20000013),
    (63, 0x10000026), (63, 0x10000027), (63, 0x10000028), (63, 0x10000029);
)";

// Three callers of the badge methods, who log in on both doors (the bus with the demo operator's
// password): one holds the methods' rights (AddBadge's add right, AssignAccessLevel's right to
// give any level) and may view persons but not badges, nor modify visitors; one may view badges
// but holds neither method right; one holds every card right of the records administrator, in
// segment 1 only.
constexpr wchar_t kMethodsOnly[] = L"S-1-5-21-1004336348-1177238915-682003330-4190";
constexpr wchar_t kViewOnly[] = L"S-1-5-21-1004336348-1177238915-682003330-4191";
constexpr wchar_t kSegmentOne[] = L"S-1-5-21-1004336348-1177238915-682003330-4192";
constexpr const char* kMethodCallers = R"(
INSERT OR IGNORE INTO USER_PERM (USER_PERMID, NAME, SEGMENTID, TYPE, DEVICES_ARE_EXCLUDED) VALUES
    (190, 'Badges: methods without view', -1, 2, 0), (191, 'Badges: view without methods', -1, 2, 0),
    (192, 'Badges: every card right', -1, 2, 0);
INSERT OR IGNORE INTO USER_PERM_GRANT (USER_PERMID, PERMISSIONID) VALUES
    (190, 0x20000003), (190, 0x20000057), (190, 0x20000023), (190, 0x20000005), (190, 0x20000002),
    (190, 0x20000007), (190, 0x20000013),
    (191, 0x20000003), (191, 0x20000057), (191, 0x20000023), (191, 0x20000005), (191, 0x20000025),
    (191, 0x20000006), (191, 0x20000013);
INSERT OR IGNORE INTO USER_PERM_GRANT (USER_PERMID, PERMISSIONID)
    SELECT 192, PERMISSIONID FROM USER_PERM_GRANT WHERE USER_PERMID = 61;
INSERT OR IGNORE INTO USERS (USERID, LOGONID, FIRSTNAME, LASTNAME, SEGMENTID, MZID, LOGONPWD, ISENABLED,
    SYSTEM_USER_PERMID, MONITOR_USER_PERMID, CARD_USER_PERMID, REPORT_USER_PERMID, USER_PERM_UDFID, IS_AUTO_CREATED_USER,
    BNT_DBID) VALUES
    (190, 'methodsonly', 'Meta', 'Methods', -1, 0, (SELECT LOGONPWD FROM USERS WHERE USERID = 1), 1, 63, 0, 190, 0, 0, 0, 1),
    (191, 'viewonly', 'Vera', 'View', -1, 0, (SELECT LOGONPWD FROM USERS WHERE USERID = 1), 1, 63, 0, 191, 0, 0, 0, 1),
    (192, 'segmentone', 'Sean', 'One', 1, 0, (SELECT LOGONPWD FROM USERS WHERE USERID = 1), 1, 63, 0, 192, 0, 0, 0, 1);
INSERT OR IGNORE INTO USER_ACCOUNT (USER_ACCOUNTID, USERID, BNT_DIRECTORYID, ACCOUNTID) VALUES
    (190, 190, 1, 'S-1-5-21-1004336348-1177238915-682003330-4190'),
    (191, 191, 1, 'S-1-5-21-1004336348-1177238915-682003330-4191'),
    (192, 192, 1, 'S-1-5-21-1004336348-1177238915-682003330-4192');
)";

// A BSTR for one call.
class CallBstr
{
public:
    explicit CallBstr(const std::wstring& text) : m_text(SysAllocString(text.c_str())) {}
    ~CallBstr() { SysFreeString(m_text); }
    CallBstr(const CallBstr&) = delete;
    CallBstr& operator=(const CallBstr&) = delete;
    operator BSTR() const { return m_text; }

private:
    BSTR m_text;
};

// A download notice as the communication server received it: {code, message block}.
struct Notice
{
    LONG action = 0;
    LONGLONG badgeId = 0;
    LONG oldUseLimit = 0;
};

class BadgeWrites : public records_test::PersonRecordsTest
{
protected:
    void SetUp() override
    {
        PersonRecordsTest::SetUp();
        ExecSql(kBadgeRights);
        ExecSql(kMethodCallers);
        ExecSql("UPDATE CONFIG_VALUE SET NUMBERVALUE = 2 WHERE CONFIGID = 1604;");
        m_servers->CommServer().ClearCalls();
        CallAs(RecordsCallers::kRecordsAdmin);
    }

    std::vector<Notice> Notices() const
    {
        std::vector<Notice> notices;
        for (const support::SimulatedCall& call : m_servers->CommServer().Calls())
        {
            if (call.block.size() < 4 + 416)
                continue;
            Notice notice;
            std::memcpy(&notice.action, call.block.data() + 4 + 8, 4);
            std::memcpy(&notice.oldUseLimit, call.block.data() + 4 + 104, 4);
            std::memcpy(&notice.badgeId, call.block.data() + 4 + 72, 8);
            notices.push_back(notice);
        }
        return notices;
    }

    ComPtr<IWbemClassObject> NewBadge(long person, LONG type, std::optional<LONGLONG> id, LONG issueCode = 0,
                                      LONG status = 1)
    {
        ComPtr<IWbemClassObject> badge = NewInstance(L"Bnt_Badge");
        const std::vector<std::pair<const wchar_t*, _variant_t>> values = {
            {L"PERSONID", _variant_t(static_cast<LONG>(person))},
            {L"TYPE", _variant_t(type)},
            {L"STATUS", _variant_t(status)},
            {L"ISSUECODE", _variant_t(issueCode)},
        };
        for (const auto& [name, value] : values)
        {
            _variant_t copy(value);
            EXPECT_EQ(badge->Put(name, 0, &copy, 0), WBEM_S_NO_ERROR);
        }
        if (id)
        {
            _variant_t text(std::to_wstring(*id).c_str());
            EXPECT_EQ(badge->Put(L"ID", 0, &text, 0), WBEM_S_NO_ERROR);
        }
        return badge;
    }

    Reply Add(long person, LONG type, std::optional<LONGLONG> id, LONG issueCode = 0, LONG status = 1)
    {
        return Put(Form::Sync, NewBadge(person, type, id, issueCode, status).Get(), WBEM_FLAG_CREATE_ONLY);
    }

    Reply Change(long badgeKey, const wchar_t* property, const _variant_t& value)
    {
        ComPtr<IWbemClassObject> badge = Instance(L"Bnt_Badge.BADGEKEY=" + std::to_wstring(badgeKey));
        if (badge == nullptr)
            return Reply{};
        _variant_t copy(value);
        EXPECT_EQ(badge->Put(property, 0, &copy, 0), WBEM_S_NO_ERROR);
        return Put(Form::Sync, badge.Get(), WBEM_FLAG_UPDATE_ONLY);
    }

    HRESULT Method(const std::wstring& path, const wchar_t* method, const wchar_t* parameter, const _variant_t& value,
                   IWbemClassObject** out = nullptr)
    {
        ComPtr<IWbemClassObject> classObject;
        const CallBstr className(L"Bnt_Badge");
        EXPECT_EQ(Services()->GetObject(className, 0, nullptr, &classObject, nullptr), WBEM_S_NO_ERROR);
        ComPtr<IWbemClassObject> signature;
        EXPECT_EQ(classObject->GetMethod(method, 0, &signature, nullptr), WBEM_S_NO_ERROR);
        ComPtr<IWbemClassObject> in;
        EXPECT_EQ(signature->SpawnInstance(0, &in), WBEM_S_NO_ERROR);
        _variant_t copy(value);
        EXPECT_EQ(in->Put(parameter, 0, &copy, 0), WBEM_S_NO_ERROR);
        ComPtr<IWbemClassObject> result;
        const CallBstr pathText(path);
        const CallBstr methodText(method);
        const HRESULT hr = Services()->ExecMethod(pathText, methodText, 0, nullptr, in.Get(), &result, nullptr);
        if (out != nullptr)
            *out = result.Detach();
        return hr;
    }

    static _variant_t Levels(const std::vector<LONG>& levels) { return support::IntegerArray(levels); }

    static std::string Count(const std::string& table, const std::string& where)
    {
        return Scalar("SELECT COUNT(*) FROM " + table + " WHERE " + where);
    }

    std::optional<support::SimulatedInstallation> m_servers{std::in_place, std::vector<std::wstring>{L"localhost"}};
};

// One refusal of a write: the badge to write and the message that must end the description.
struct Refusal
{
    const char* rule;
    const char* message;
};

}  // namespace

TEST_F(BadgeWrites, AddBadgeMakesTheBadgeAndTellsThePanels)
{
    const long person = NewPerson(L"Bnt_Cardholder", L"Adder", 1);
    CallAs(RecordsCallers::kRecordsAdmin);
    _variant_t embedded;
    embedded.vt = VT_UNKNOWN;
    ComPtr<IWbemClassObject> badge = NewBadge(person, 4, std::nullopt);
    embedded.punkVal = badge.Detach();
    ComPtr<IWbemClassObject> out;
    ASSERT_EQ(Method(L"Bnt_Badge", L"AddBadge", L"BadgeIn", embedded, &out), WBEM_S_NO_ERROR);
    ASSERT_NE(out, nullptr);
    _variant_t stored;
    ASSERT_EQ(out->Get(L"BadgeOut", 0, &stored, nullptr, nullptr), WBEM_S_NO_ERROR);
    ASSERT_EQ(stored.vt, VT_UNKNOWN);
    ComPtr<IWbemClassObject> storedBadge;
    ASSERT_EQ(stored.punkVal->QueryInterface(IWbemClassObject::kIID, reinterpret_cast<void**>(&storedBadge)), S_OK);
    const std::string id = support::PropertyText(storedBadge.Get(), L"ID");
    // The Temporary type draws its IDs from its range and carries its default access group.
    EXPECT_GE(std::stoll(id), 200000);
    EXPECT_LE(std::stoll(id), 299999);
    const std::string key = support::PropertyText(storedBadge.Get(), L"BADGEKEY");
    EXPECT_EQ(Count("BADGE", "BADGEKEY = " + key + " AND EMPID = " + std::to_string(person) + " AND SEGMENTID = -1"),
              "1");
    // Of the default access group's two levels only the one of the owner's segment.
    EXPECT_EQ(Count("BADGELINK", "BADGEKEY = " + key), "1");
    const std::vector<Notice> notices = Notices();
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].action, 1);
    EXPECT_EQ(notices[0].badgeId, std::stoll(id));
    EXPECT_EQ(notices[0].oldUseLimit, -1);
    // A null BadgeIn succeeds and writes nothing.
    EXPECT_EQ(Method(L"Bnt_Badge", L"AddBadge", L"BadgeIn", _variant_t()), WBEM_S_NO_ERROR);
    EXPECT_EQ(Notices().size(), 1u);
}

TEST_F(BadgeWrites, AddBadgeChecksEveryValuesFormAsAPutOfTheBadgeDoes)
{
    const long person = NewPerson(L"Bnt_Cardholder", L"Former", 1);
    CallAs(RecordsCallers::kRecordsAdmin);
    // February 31st: no real date, in the change time, which the write itself replaces with
    // now: only the check of every value's form looks at what was given.
    const auto badgeWithNoRealDate = [&] {
        ComPtr<IWbemClassObject> badge = NewBadge(person, 4, std::nullopt);
        _variant_t noDate(L"20260231000000.000000+000");
        EXPECT_EQ(badge->Put(L"LASTCHANGED", 0, &noDate, 0), WBEM_S_NO_ERROR);
        return badge;
    };
    const Reply put = Put(Form::Sync, badgeWithNoRealDate().Get(), WBEM_FLAG_CREATE_ONLY);
    EXPECT_EQ(put.result, WBEM_E_INVALID_PARAMETER);
    EXPECT_TRUE(EndsWith(Description(put.statusObject.Get()),
                         "The property LASTCHANGED did not exist or contained an invalid value."))
        << Description(put.statusObject.Get());
    _variant_t embedded;
    embedded.vt = VT_UNKNOWN;
    embedded.punkVal = badgeWithNoRealDate().Detach();
    EXPECT_EQ(Method(L"Bnt_Badge", L"AddBadge", L"BadgeIn", embedded), WBEM_E_INVALID_PARAMETER);
    EXPECT_EQ(Count("BADGE", "EMPID = " + std::to_string(person)), "0");
    EXPECT_TRUE(Notices().empty());
}

TEST_F(BadgeWrites, ConcurrentAddsOfOneIdAndIssueCodeGiveExactlyOneSuccess)
{
    const long first = NewPerson(L"Bnt_Cardholder", L"Racer", 1);
    for (int round = 0; round < 4; ++round)
    {
        const LONGLONG id = 700000 + round;
        constexpr int kThreads = 4;
        std::vector<ComPtr<IWbemClassObject>> badges;
        for (int i = 0; i < kThreads; ++i)
            badges.push_back(NewBadge(first, 1, id, 3, 2));
        std::atomic<int> successes{0};
        std::vector<std::thread> threads;
        for (int i = 0; i < kThreads; ++i)
        {
            threads.emplace_back([&, i] {
                const CallerIdentity::Scope caller(
                    CallerIdentity(RecordsCallers::kRecordsAdmin, SecurityImpersonation));
                if (Put(Form::Sync, badges[static_cast<std::size_t>(i)].Get(), WBEM_FLAG_CREATE_ONLY).result ==
                    WBEM_S_NO_ERROR)
                    ++successes;
            });
        }
        for (std::thread& thread : threads)
            thread.join();
        EXPECT_EQ(successes.load(), 1) << "round " << round;
        EXPECT_EQ(Count("BADGE", "ID = " + std::to_string(id)), "1");
    }
}

TEST_F(BadgeWrites, RefusedWritesNameTheirRuleAndWriteNothing)
{
    const long owner = NewPerson(L"Bnt_Cardholder", L"Owner", 1);
    const long other = NewPerson(L"Bnt_Cardholder", L"Other", 1);
    const long visitor = NewPerson(L"Bnt_Visitor", L"Guest", 1);
    CallAs(RecordsCallers::kRecordsAdmin);
    const Reply first = Add(owner, 1, 710001, 0);
    ASSERT_EQ(first.result, WBEM_S_NO_ERROR) << Description(first.statusObject.Get());
    const std::string badges = Scalar("SELECT COUNT(*) FROM BADGE");
    struct Case
    {
        Refusal refusal;
        long person;
        LONG type;
        std::optional<LONGLONG> id;
        LONG issueCode;
        HRESULT code;
    };
    const Case cases[] = {
        {{"same ID and issue code", "Please provide another badge ID/issue code combination."},
         owner,
         1,
         710001,
         0,
         WBEM_E_FAILED},
        {{"ID of another owner", "Only one person can have badges with a particular badge ID."},
         other,
         1,
         710001,
         1,
         WBEM_E_FAILED},
        {{"second active badge of an ID", "Only one active badge may have a particular badge ID."},
         owner,
         1,
         710001,
         1,
         WBEM_E_FAILED},
        {{"hand-entered ID of a generating type", "a badge ID was manually entered by the client."},
         owner,
         4,
         250000,
         0,
         WBEM_E_FAILED},
        {{"hand-entered type without an ID", "had no value and no default was provided."},
         owner,
         3,
         std::nullopt,
         0,
         WBEM_E_ILLEGAL_NULL},
        {{"visitor with a cardholder type", "but the person specified is a visitor."},
         visitor,
         1,
         710002,
         0,
         WBEM_E_ACCESS_DENIED},
        {{"ID beyond the digits of the unit", "exceeds the maximum allowed."},
         owner,
         1,
         1234567890123LL,
         0,
         WBEM_E_FAILED},
        {{"badge ID 0", "A badge ID of 0 is not allowed."}, owner, 1, 0, 0, WBEM_E_FAILED},
    };
    for (const Case& test : cases)
    {
        const Reply reply = Add(test.person, test.type, test.id, test.issueCode);
        EXPECT_EQ(reply.result, test.code) << test.refusal.rule << ": " << Hex(reply.result);
        EXPECT_TRUE(EndsWith(Description(reply.statusObject.Get()), test.refusal.message))
            << test.refusal.rule << ": " << Description(reply.statusObject.Get());
    }
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM BADGE"), badges);
    EXPECT_EQ(Notices().size(), 1u) << "only the first add was downloaded";
}

TEST_F(BadgeWrites, ValueRulesOfUseLimitIssueCodePinAndDates)
{
    const long owner = NewPerson(L"Bnt_Cardholder", L"Values", 1);
    CallAs(RecordsCallers::kRecordsAdmin);
    struct Case
    {
        const wchar_t* property;
        _variant_t value;
        bool accepted;
    };
    // Each limit on both sides and at the limit itself. Badge types are not segmented here, so
    // the system's segment unit gives the badge ID its 12 digits.
    const Case cases[] = {
        {L"USELIMIT", _variant_t(-1L), false},
        {L"USELIMIT", _variant_t(0L), true},
        {L"USELIMIT", _variant_t(255L), true},
        {L"USELIMIT", _variant_t(256L), false},
        {L"ISSUECODE", _variant_t(-1L), false},
        {L"ISSUECODE", _variant_t(0L), true},
        {L"ID", _variant_t(L"0"), false},
        {L"ID", _variant_t(L"1"), true},
        {L"ID", _variant_t(L"999999999999"), true},
        {L"ID", _variant_t(L"1000000000000"), false},
        {L"PIN", _variant_t(L"0123"), true},
        {L"PIN", _variant_t(L"12a4"), false},
        {L"DEACTIVATE", _variant_t(L"20240101000000.000000+000"), false},
    };
    LONGLONG id = 720000;
    for (const Case& test : cases)
    {
        ComPtr<IWbemClassObject> badge = NewBadge(owner, 1, ++id, 0, 2);
        _variant_t activate(L"20240101000000.000000+000");
        badge->Put(L"ACTIVATE", 0, &activate, 0);
        _variant_t copy(test.value);
        ASSERT_EQ(badge->Put(test.property, 0, &copy, 0), WBEM_S_NO_ERROR);
        const Reply reply = Put(Form::Sync, badge.Get(), WBEM_FLAG_CREATE_ONLY);
        EXPECT_EQ(SUCCEEDED(reply.result), test.accepted)
            << Utf8(test.property) << " " << support::PropertyText(badge.Get(), test.property) << ": "
            << Description(reply.statusObject.Get());
    }

    // A PIN is stored as a cipher and shown, decrypted, only for a type that shows it (Contractor).
    std::vector<std::string> shown;
    for (const LONG type : {3, 1})
    {
        ComPtr<IWbemClassObject> badge = NewBadge(owner, type, ++id, 1, 2);
        _variant_t pin(L"0427");
        ASSERT_EQ(badge->Put(L"PIN", 0, &pin, 0), WBEM_S_NO_ERROR);
        const Reply added = Put(Form::Sync, badge.Get(), WBEM_FLAG_CREATE_ONLY);
        ASSERT_EQ(added.result, WBEM_S_NO_ERROR) << Description(added.statusObject.Get());
        EXPECT_EQ(Scalar("SELECT typeof(PIN) FROM BADGE WHERE ID = " + std::to_string(id)), "blob");
        const ComPtr<IWbemClassObject> read = Instance(L"Bnt_Badge.BADGEKEY=" + std::to_wstring(KeyOf(added)));
        ASSERT_NE(read, nullptr);
        shown.push_back(support::PropertyText(read.Get(), L"PIN"));
    }
    EXPECT_EQ(shown, (std::vector<std::string>{"0427", "<null>"}));
}

TEST_F(BadgeWrites, MaxActiveBadgesIsCountedInsideTheWrite)
{
    ExecSql("UPDATE CONFIG_VALUE SET NUMBERVALUE = 1 WHERE CONFIGID = 1604;");
    const long owner = NewPerson(L"Bnt_Cardholder", L"Single", 1);
    CallAs(RecordsCallers::kRecordsAdmin);
    ASSERT_EQ(Add(owner, 1, 730001).result, WBEM_S_NO_ERROR);
    const Reply second = Add(owner, 1, 730002);
    EXPECT_TRUE(
        EndsWith(Description(second.statusObject.Get()), "The person already has the maximum number of active badges."))
        << Description(second.statusObject.Get());
    // An inactive badge is allowed; activating it is the second activation and fails.
    const Reply inactive = Add(owner, 1, 730002, 0, 2);
    ASSERT_EQ(inactive.result, WBEM_S_NO_ERROR) << Description(inactive.statusObject.Get());
    const Reply activate = Change(KeyOf(inactive), L"STATUS", _variant_t(1L));
    EXPECT_TRUE(EndsWith(Description(activate.statusObject.Get()),
                         "The person already has the maximum number of active badges."))
        << Description(activate.statusObject.Get());
    EXPECT_EQ(Count("BADGE", "EMPID = " + std::to_string(owner) + " AND STATUS = 1"), "1");
}

TEST_F(BadgeWrites, APrintedBadgeKeepsItsIssueCode)
{
    const long owner = NewPerson(L"Bnt_Cardholder", L"Printed", 1);
    CallAs(RecordsCallers::kRecordsAdmin);
    const Reply added = Add(owner, 1, 740001, 0, 2);
    ASSERT_EQ(added.result, WBEM_S_NO_ERROR);
    const long key = KeyOf(added);
    ExecSql("UPDATE BADGE SET PRINTS = 1 WHERE BADGEKEY = " + std::to_string(key) + ";");
    const Reply issue = Change(key, L"ISSUECODE", _variant_t(4L));
    EXPECT_TRUE(EndsWith(Description(issue.statusObject.Get()), "because the badge has been printed."))
        << Description(issue.statusObject.Get());
    EXPECT_EQ(Count("BADGE", "BADGEKEY = " + std::to_string(key) + " AND ISSUECODE = 0"), "1");
    EXPECT_EQ(Change(key, L"STATUS", _variant_t(1L)).result, WBEM_S_NO_ERROR) << "a status change passes";
}

TEST_F(BadgeWrites, NoticesFollowTheChange)
{
    const long owner = NewPerson(L"Bnt_Cardholder", L"Notices", 1);
    CallAs(RecordsCallers::kRecordsAdmin);
    const Reply added = Add(owner, 1, 750001);
    ASSERT_EQ(added.result, WBEM_S_NO_ERROR);
    const long key = KeyOf(added);
    m_servers->CommServer().ClearCalls();
    // Where the old and another number were last seen: the old number's row goes with it.
    ExecSql("INSERT INTO LASTLOCATION (PANELID, READERID, CARDNUM, EVENT_TIME_UTC, EVENTTYPE, EMPID, EVENTID, "
            "ACCESS_FLAG, IS_FROMREPLICATION, BNT_DBID_SRC) VALUES (1, 0, 750001, '2024-01-02 10:00:00', 0, " +
            std::to_string(owner) + ", 1, 1, 0, 0), (1, 0, 750003, '2024-01-02 10:05:00', 0, 1, 2, 1, 0, 0);");

    ASSERT_EQ(Change(key, L"ID", _variant_t(L"750002")).result, WBEM_S_NO_ERROR);
    std::vector<Notice> notices = Notices();
    ASSERT_EQ(notices.size(), 2u);
    EXPECT_EQ(notices[0].action, 3) << "the old ID is removed first";
    EXPECT_EQ(notices[0].badgeId, 750001);
    EXPECT_EQ(notices[1].action, 1);
    EXPECT_EQ(notices[1].badgeId, 750002);
    EXPECT_EQ(e2e::DoorInstallation::Rows("SELECT CARDNUM FROM LASTLOCATION WHERE CARDNUM BETWEEN 750001 AND 750003"),
              (Table{{"750003"}}));

    m_servers->CommServer().ClearCalls();
    ASSERT_EQ(Change(key, L"USELIMIT", _variant_t(7L)).result, WBEM_S_NO_ERROR);
    notices = Notices();
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].action, 2);
    EXPECT_EQ(notices[0].oldUseLimit, 255) << "a stored null use limit is 255";

    m_servers->CommServer().ClearCalls();
    ASSERT_EQ(Delete(Form::Sync, L"Bnt_Badge.BADGEKEY=" + std::to_wstring(key)).result, WBEM_S_NO_ERROR);
    notices = Notices();
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].action, 3);
    EXPECT_EQ(notices[0].badgeId, 750002);
}

TEST_F(BadgeWrites, ANoticeThePanelsDoNotTakeNowIsKeptForTheRetryAndTheWriteStands)
{
    const long owner = NewPerson(L"Bnt_Cardholder", L"Unheard", 1);
    CallAs(RecordsCallers::kRecordsAdmin);
    m_servers->CommServer().SetDefaultAnswer(support::SimulatedAnswer::Failing());
    const Reply added = Add(owner, 1, 760001);
    m_servers->CommServer().SetDefaultAnswer(support::SimulatedAnswer::Status(0));
    EXPECT_EQ(added.result, WBEM_S_NO_ERROR) << Description(added.statusObject.Get());
    EXPECT_EQ(Count("BADGE", "ID = 760001"), "1");
    // The refused notice waits in the communication-server thread's store for its next pass.
    EXPECT_EQ(m_servers->CommServer().Calls().size(), 1u);
}

TEST_F(BadgeWrites, AnOverLimitLevelFailsTheWholeAssignment)
{
    // Segment 2's unit allows 8 levels per badge: nine of them break the limit with the last.
    ExecSql("INSERT OR IGNORE INTO ACCESSLVL (ACCESSLVID, DESCRIPT, SEGMENTID) VALUES (91, 'L1', 2), (92, 'L2', 2), "
            "(93, 'L3', 2), (94, 'L4', 2), (95, 'L5', 2), (96, 'L6', 2), (97, 'L7', 2), (98, 'L8', 2), (99, 'L9', 2);");
    const long owner = NewPerson(L"Bnt_Cardholder", L"Levels", 1);
    CallAs(RecordsCallers::kRecordsAdmin);
    const Reply added = Add(owner, 1, 770001);
    ASSERT_EQ(added.result, WBEM_S_NO_ERROR);
    const std::string key = std::to_string(KeyOf(added));
    const std::wstring path = L"Bnt_Badge.BADGEKEY=" + std::to_wstring(KeyOf(added));
    const std::string links = Count("BADGELINK", "BADGEKEY = " + key);
    m_servers->CommServer().ClearCalls();

    EXPECT_EQ(Method(path, L"AssignAccessLevel", L"LevelIn", Levels({91, 92, 93, 94, 95, 96, 97, 98, 99})),
              WBEM_E_FAILED);
    EXPECT_EQ(Count("BADGELINK", "BADGEKEY = " + key), links) << "the accepted levels are not written either";
    EXPECT_TRUE(Notices().empty());

    EXPECT_EQ(Method(path, L"AssignAccessLevel", L"LevelIn", Levels({91, 91, 92})), WBEM_S_NO_ERROR);
    EXPECT_EQ(Count("BADGELINK", "BADGEKEY = " + key + " AND ACCLVLID IN (91, 92)"), "2");
    ASSERT_EQ(Notices().size(), 1u);
    EXPECT_EQ(Notices()[0].action, 2);
    EXPECT_EQ(Method(path, L"AssignAccessLevel", L"LevelIn", Levels({})), WBEM_S_NO_ERROR);
    EXPECT_EQ(Notices().size(), 1u) << "an empty array changes nothing";
    EXPECT_EQ(Method(path, L"AssignAccessLevel", L"LevelIn", Levels({999})), WBEM_E_INVALID_PARAMETER);
    // One call names at most 4096 levels; more are refused before anything is read.
    EXPECT_EQ(Method(path, L"AssignAccessLevel", L"LevelIn", Levels(std::vector<LONG>(4097, 91))),
              WBEM_E_INVALID_PARAMETER);
    EXPECT_EQ(Method(path, L"AssignAccessLevel", L"LevelIn", Levels(std::vector<LONG>(4096, 91))), WBEM_S_NO_ERROR);
}

TEST_F(BadgeWrites, AnAssignmentWhoseAuditEntryFailsIsUndoneAndAnnouncedToNobody)
{
    ExecSql("INSERT OR IGNORE INTO ACCESSLVL (ACCESSLVID, DESCRIPT, SEGMENTID) VALUES (91, 'L1', 2);");
    const long owner = NewPerson(L"Bnt_Cardholder", L"Unaudited", 1);
    CallAs(RecordsCallers::kRecordsAdmin);
    const Reply added = Add(owner, 1, 770002);
    ASSERT_EQ(added.result, WBEM_S_NO_ERROR);
    const std::string key = std::to_string(KeyOf(added));
    const std::wstring path = L"Bnt_Badge.BADGEKEY=" + std::to_wstring(KeyOf(added));
    const std::string audits = Scalar("SELECT COUNT(*) FROM USER_TRANSACTION_LOG");
    m_servers->CommServer().ClearCalls();

    ExecSql("CREATE TRIGGER FAIL_AUDIT BEFORE INSERT ON USER_TRANSACTION_LOG BEGIN SELECT RAISE(ABORT, 'refused'); "
            "END;");
    const HRESULT unaudited = Method(path, L"AssignAccessLevel", L"LevelIn", Levels({91}));
    ExecSql("DROP TRIGGER FAIL_AUDIT;");
    EXPECT_EQ(unaudited, WBEM_E_FAILED);
    EXPECT_EQ(Count("BADGELINK", "BADGEKEY = " + key + " AND ACCLVLID = 91"), "0");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM USER_TRANSACTION_LOG"), audits);
    EXPECT_TRUE(Notices().empty()) << "no server hears of an assignment that does not stand";

    EXPECT_EQ(Method(path, L"AssignAccessLevel", L"LevelIn", Levels({91})), WBEM_S_NO_ERROR);
    EXPECT_EQ(Count("BADGELINK", "BADGEKEY = " + key + " AND ACCLVLID = 91"), "1");
    EXPECT_EQ(Notices().size(), 1u);
}

TEST_F(BadgeWrites, APersonDeleteDeletesTheBadgesThroughTheBadgeMapper)
{
    const long owner = NewPerson(L"Bnt_Cardholder", L"Leaving", 1);
    CallAs(RecordsCallers::kRecordsAdmin);
    ASSERT_EQ(Add(owner, 1, 780001).result, WBEM_S_NO_ERROR);
    ASSERT_EQ(Add(owner, 1, 780002, 0, 2).result, WBEM_S_NO_ERROR);
    m_servers->CommServer().ClearCalls();
    const Reply deleted = Delete(Form::Sync, L"Bnt_Cardholder.ID=" + std::to_wstring(owner));
    ASSERT_EQ(deleted.result, WBEM_S_NO_ERROR) << Description(deleted.statusObject.Get());
    EXPECT_EQ(Count("BADGE", "EMPID = " + std::to_string(owner)), "0");
    EXPECT_EQ(Count("EMP", "ID = " + std::to_string(owner)), "0");
    const std::vector<Notice> notices = Notices();
    ASSERT_EQ(notices.size(), 2u);
    EXPECT_EQ(notices[0].action, 3);
    EXPECT_EQ(notices[1].action, 3);
}

TEST_F(BadgeWrites, ASegmentCallerSeesTheBadgesOfThePersonsItMaySee)
{
    const long mine = NewPerson(L"Bnt_Cardholder", L"Mine", 1);
    const long theirs = NewPerson(L"Bnt_Cardholder", L"Theirs", 2);
    CallAs(RecordsCallers::kRecordsAdmin);
    ASSERT_EQ(Add(mine, 1, 790001).result, WBEM_S_NO_ERROR);
    ASSERT_EQ(Add(theirs, 1, 790002).result, WBEM_S_NO_ERROR);
    CallAs(RecordsCallers::kHeadquartersClerk);
    const Reply seen = Query(Form::Sync, L"SELECT * FROM Bnt_Badge WHERE ID >= 790001 AND ID <= 790002");
    ASSERT_EQ(seen.result, WBEM_S_NO_ERROR) << Description(seen.statusObject.Get());
    EXPECT_EQ(Values(seen.objects, {L"ID"}), (Table{{"790001"}}));
    // The clerk's own add reads the new badge back although it is stored outside every segment.
    _variant_t embedded;
    embedded.vt = VT_UNKNOWN;
    embedded.punkVal = NewBadge(mine, 1, 790003).Detach();
    ComPtr<IWbemClassObject> out;
    EXPECT_EQ(Method(L"Bnt_Badge", L"AddBadge", L"BadgeIn", embedded, &out), WBEM_S_NO_ERROR);
    EXPECT_NE(out, nullptr);
}

TEST_F(BadgeWrites, BadgeRecordsShowBytesAndRefuseNonHexLiterals)
{
    ExecSql("INSERT OR IGNORE INTO BADGE_FIPS201 (BADGEKEY, FASCN, CREDENTIAL_TYPE) VALUES (1, X'0AFF', 2);");
    const Reply byText = Query(Form::Sync, L"SELECT * FROM Bnt_BadgeFIPS201 WHERE FASCN = \"0aff\" AND BADGEKEY = 1");
    ASSERT_EQ(byText.result, WBEM_S_NO_ERROR) << Description(byText.statusObject.Get());
    EXPECT_EQ(Values(byText.objects, {L"BADGEKEY", L"FASCN"}), (Table{{"1", "0AFF"}}));
    const Reply twic = Get(Form::Sync, L"Bnt_BadgeTWICPrivacyKey.BADGEKEY=1");
    ASSERT_EQ(twic.result, WBEM_S_NO_ERROR);
    ASSERT_EQ(twic.objects.size(), 1u);
    _variant_t bytes;
    ASSERT_EQ(twic.objects[0]->Get(L"FASCN", 0, &bytes, nullptr, nullptr), WBEM_S_NO_ERROR);
    ASSERT_EQ(bytes.vt, VT_ARRAY | VT_UI1);
    LONG upper = -1;
    SafeArrayGetUBound(bytes.parray, 1, &upper);
    EXPECT_EQ(upper, 1) << "two elements";

    for (const wchar_t* literal : {L"\"0AF\"", L"\"0A' OR 1=1 --\"", L"\"zz\"", L"\"\""})
    {
        const Reply refused =
            Query(Form::Sync, std::wstring(L"SELECT * FROM Bnt_BadgeFIPS201 WHERE FASCN = ") + literal);
        EXPECT_EQ(refused.result, WBEM_E_INVALID_QUERY) << Utf8(literal);
    }
    const Reply noBadge = Put(
        Form::Sync,
        [&] {
            ComPtr<IWbemClassObject> record = NewInstance(L"Bnt_BadgeProperties");
            _variant_t key(999999L);
            _variant_t serial(L"S1");
            _variant_t cms(1L);
            _variant_t card(1L);
            record->Put(L"CardInterface", 0, &card, 0);
            record->Put(L"CardTechnology", 0, &card, 0);
            record->Put(L"BADGEKEY", 0, &key, 0);
            record->Put(L"SerialNumber", 0, &serial, 0);
            record->Put(L"IssuingCmsID", 0, &cms, 0);
            return record;
        }()
            .Get(),
        WBEM_FLAG_CREATE_ONLY);
    EXPECT_EQ(noBadge.result, WBEM_E_INVALID_PARAMETER) << Description(noBadge.statusObject.Get());
    EXPECT_TRUE(EndsWith(Description(noBadge.statusObject.Get()),
                         "The property BADGEKEY did not exist or contained an invalid value."));
}

TEST_F(BadgeWrites, APersonNumberIdIsADecimalNumberOrNoIdAtAll)
{
    ExecSql("INSERT OR IGNORE INTO BADGETYP (ID, NAME, BADGE_CLASS, DISPOSABLE, DEFGROUP, SEGMENTID) VALUES "
            "(40, 'Numbered', 1, 0, 0, -1);"
            "INSERT OR IGNORE INTO BADGETYP_IDCONFIG (BADGETYPEID, ID_MODE, MANUAL_ID) VALUES (40, 2, 0);");
    const struct
    {
        const char* number;
        const char* id;
    } cases[] = {
        {"4242", "4242"}, {"E-1002", nullptr}, {"99999999999", nullptr}, {"", nullptr}, {"12 ", nullptr},
    };
    for (const auto& test : cases)
    {
        const long owner = NewPerson(L"Bnt_Cardholder", L"Numbered", 1);
        ExecSql("UPDATE EMP SET SSNO = '" + std::string(test.number) + "' WHERE ID = " + std::to_string(owner) + ";");
        CallAs(RecordsCallers::kRecordsAdmin);
        const Reply reply = Add(owner, 40, std::nullopt);
        if (test.id != nullptr)
        {
            ASSERT_EQ(reply.result, WBEM_S_NO_ERROR) << Description(reply.statusObject.Get());
            EXPECT_EQ(Count("BADGE", "EMPID = " + std::to_string(owner) + " AND ID = " + test.id), "1");
            continue;
        }
        EXPECT_EQ(reply.result, WBEM_E_UNEXPECTED) << test.number;
        EXPECT_TRUE(EndsWith(Description(reply.statusObject.Get()), "unable to generate an ID for the property ID."))
            << Description(reply.statusObject.Get());
    }
}

TEST_F(BadgeWrites, AnActiveBadgeNeedsThePersonFieldsItsTypeRequires)
{
    ExecSql("INSERT OR IGNORE INTO BADGETYP (ID, NAME, BADGE_CLASS, DISPOSABLE, DEFGROUP, SEGMENTID) VALUES "
            "(41, 'Numbered staff', 1, 0, 0, -1);"
            "INSERT OR IGNORE INTO BDGREQFLDLINK (BADGETYPEID, DDFLDID) VALUES (41, 4);");
    const long owner = NewPerson(L"Bnt_Cardholder", L"Unnumbered", 1);
    CallAs(RecordsCallers::kRecordsAdmin);
    const Reply refused = Add(owner, 41, 795001);
    EXPECT_EQ(refused.result, WBEM_E_ILLEGAL_NULL);
    EXPECT_TRUE(EndsWith(Description(refused.statusObject.Get()),
                         "The required property SSNO had no value and no default was provided."))
        << Description(refused.statusObject.Get());
    EXPECT_EQ(Add(owner, 41, 795001, 0, 2).result, WBEM_S_NO_ERROR) << "an inactive badge needs none";
    ExecSql("UPDATE EMP SET SSNO = 'N-1' WHERE ID = " + std::to_string(owner) + ";");
    EXPECT_EQ(Add(owner, 41, 795002).result, WBEM_S_NO_ERROR);
}

TEST_F(BadgeWrites, BadgeStatusesProtectTheSystemOnesAndThoseInUse)
{
    ExecSql("INSERT OR IGNORE INTO BADGSTAT (ID, NAME) VALUES (20, 'Spare'), (21, 'Damaged');");
    CallAs(RecordsCallers::kRecordsAdmin);
    const auto rename = [&](LONG id, const wchar_t* name) {
        ComPtr<IWbemClassObject> status = Instance(L"Bnt_BadgeStatus.ID=" + std::to_wstring(id));
        if (status == nullptr)
            return Reply{};
        _variant_t text(name);
        status->Put(L"Name", 0, &text, 0);
        return Put(Form::Sync, status.Get(), WBEM_FLAG_UPDATE_ONLY);
    };
    EXPECT_EQ(rename(20, L"Spare").result, WBEM_S_NO_ERROR) << "its own name";
    EXPECT_TRUE(
        EndsWith(Description(rename(20, L"Damaged").statusObject.Get()), "This badge status name already exists."));
    EXPECT_TRUE(EndsWith(Description(rename(1, L"Enabled").statusObject.Get()),
                         "This item is a system field and cannot be changed."));
    const struct
    {
        const wchar_t* path;
        const char* message;
    } deletes[] = {
        {L"Bnt_BadgeStatus.ID=0", "This badge status is a system field and cannot be deleted."},
        {L"Bnt_BadgeStatus.ID=1", "This badge status is a system field and cannot be deleted."},
        {L"Bnt_BadgeStatus.ID=2",
         "Please reassign badges before attempting to delete the status since it is required."},
    };
    for (const auto& test : deletes)
    {
        const Reply refused = Delete(Form::Sync, test.path);
        EXPECT_EQ(refused.result, WBEM_E_FAILED) << Utf8(test.path);
        EXPECT_TRUE(EndsWith(Description(refused.statusObject.Get()), test.message))
            << Description(refused.statusObject.Get());
    }
    EXPECT_EQ(Delete(Form::Sync, L"Bnt_BadgeStatus.ID=21").result, WBEM_S_NO_ERROR);
    EXPECT_EQ(Count("BADGSTAT", "ID IN (0, 1, 2, 21)"), "3");
}

TEST_F(BadgeWrites, BadgeTypeClassesAreShownShiftedThroughWmi)
{
    ExecSql("INSERT OR IGNORE INTO BADGETYP (ID, NAME, BADGE_CLASS, DISPOSABLE, DEFGROUP, SEGMENTID) VALUES "
            "(42, 'Special', 4, 0, 0, -1);");
    CallAs(RecordsCallers::kRecordsAdmin);
    const Reply types = Query(Form::Sync, L"SELECT * FROM Bnt_BadgeType WHERE ID = 1 OR ID = 2 OR ID = 42");
    ASSERT_EQ(types.result, WBEM_S_NO_ERROR) << Description(types.statusObject.Get());
    EXPECT_EQ(Values(types.objects, {L"Name", L"BadgeTypeClass"}),
              (Table{{"Employee", "2"}, {"Special", "0"}, {"Visitor", "3"}}));
}

TEST_F(BadgeWrites, LevelsSharingAnOfflineLockReaderAreNotBothAssigned)
{
    // Panel 12 drives Onity locks (panel type 67), which the installation supports (PersonRecordsTest).
    ExecSql("INSERT OR IGNORE INTO ACCESSPANE (PANELID, NAME, SEGMENTID, ONLINE1, PANELTZ, DAYLIGHTSAVE, PANELTYPE) "
            "VALUES (12, 'Onity lock', 1, 1, 1, 0, 67);"
            "INSERT OR IGNORE INTO READER (PANELID, READERID, READERDESC) VALUES (12, 0, 'Lock');"
            "INSERT OR IGNORE INTO ACCESSLVL (ACCESSLVID, DESCRIPT, SEGMENTID) VALUES (81, 'Lock A', 1), "
            "(82, 'Lock B', 1), (83, 'Lobby too', 1);"
            "INSERT OR IGNORE INTO ACCLVLINK (ACCESSLVID, PANELID, READERID, TZID) VALUES (81, 12, 0, 1), "
            "(82, 12, 0, 1), (83, 2, 1, 1);");
    const long owner = NewPerson(L"Bnt_Cardholder", L"Locked", 1);
    CallAs(RecordsCallers::kRecordsAdmin);
    const Reply added = Add(owner, 1, 796001);
    ASSERT_EQ(added.result, WBEM_S_NO_ERROR);
    const std::string key = std::to_string(KeyOf(added));
    const std::wstring path = L"Bnt_Badge.BADGEKEY=" + std::to_wstring(KeyOf(added));
    // 82 shares the lock reader with 81, accepted before it in the same call: it is passed over.
    EXPECT_EQ(Method(path, L"AssignAccessLevel", L"LevelIn", Levels({81, 82, 83})), WBEM_S_NO_ERROR);
    EXPECT_EQ(Count("BADGELINK", "BADGEKEY = " + key + " AND ACCLVLID IN (81, 82, 83)"), "2");
    EXPECT_EQ(Count("BADGELINK", "BADGEKEY = " + key + " AND ACCLVLID = 82"), "0");
    m_servers->CommServer().ClearCalls();
    EXPECT_EQ(Method(path, L"AssignAccessLevel", L"LevelIn", Levels({82})), WBEM_S_NO_ERROR);
    EXPECT_TRUE(Notices().empty()) << "nothing assigned, nothing sent";
}

TEST_F(BadgeWrites, ADefaultActivationIsTheDayOfTheProcessClock)
{
    const long owner = NewPerson(L"Bnt_Cardholder", L"Clocked", 1);
    CallAs(RecordsCallers::kRecordsAdmin);
    support::ManualClock clock;
    clock.AdvanceSeconds(((3 * 24 + 7) * 60 + 5) * 60 + 9);  // 2026-12-10 16:05:09 UTC
    const support::ProcessClockScope scope(clock);
    ASSERT_EQ(Add(owner, 1, 731001).result, WBEM_S_NO_ERROR);
    // The badge type starts a badge on the day it is written, at midnight.
    EXPECT_EQ(Scalar("SELECT ACTIVATE FROM BADGE WHERE ID = 731001"), "2026-12-10 00:00:00");
}

TEST_F(BadgeWrites, AMethodIsDecidedByItsOwnRightOnEitherDoor)
{
    ExecSql("INSERT OR IGNORE INTO ACCESSLVL (ACCESSLVID, DESCRIPT, SEGMENTID) VALUES (181, 'Method A', 1), "
            "(182, 'Method B', 1), (183, 'Method C', 1);");
    const long seen = NewPerson(L"Bnt_Cardholder", L"Seen", 1);
    const long hidden = NewPerson(L"Bnt_Cardholder", L"Hidden", 2);
    CallAs(RecordsCallers::kRecordsAdmin);
    const long seenBadge = KeyOf(Add(seen, 1, 781001));
    const long hiddenBadge = KeyOf(Add(hidden, 1, 781002));
    ASSERT_GT(seenBadge, 0);
    ASSERT_GT(hiddenBadge, 0);
    isolation::BusDoor bus;
    const struct
    {
        const char* rule;
        const wchar_t* caller;
        const char* logon;
        long badge;
        // The level given through WMI, then through the bus.
        LONG wmiLevel;
        LONG busLevel;
        HRESULT code;
        const wchar_t* text;
        const char* busKey;
    } cases[] = {
        {"the method's right without the class's view right", kMethodsOnly, "methodsonly", seenBadge, 181, 182,
         WBEM_S_NO_ERROR, L"", ""},
        {"the view right without the method's right", kViewOnly, "viewonly", seenBadge, 183, 183, WBEM_E_FAILED,
         L"The client does not have sufficient user permissions to perform the requested operation.",
         "corvessa.executemethod.error"},
        {"every right, the badge beyond the caller's segment", kSegmentOne, "segmentone", hiddenBadge, 181, 181,
         WBEM_E_NOT_FOUND, L"The requested instance could not be retrieved or does not exist.",
         "corvessa.executemethod.error"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.rule);
        const std::wstring path = L"Bnt_Badge.BADGEKEY=" + std::to_wstring(c.badge);
        CallAs(RecordsCallers::kRecordsAdmin);
        const ComPtr<IWbemClassObject> in =
            MethodParameters(L"Bnt_Badge", L"AssignAccessLevel", {{L"LevelIn", Levels({c.wmiLevel})}});
        CallAs(c.caller);
        const Reply reply = Exec(Form::Async, path, L"AssignAccessLevel", in.Get());
        const std::string answer =
            bus.Call(bus.Login(c.logon), L"Bnt_Badge", L"AssignAccessLevel",
                     {{"LevelIn", qpid::types::Variant::List{qpid::types::Variant(static_cast<int32_t>(c.busLevel))}}},
                     {{"BADGEKEY", qpid::types::Variant(static_cast<int32_t>(c.badge))}});
        if (c.code == WBEM_S_NO_ERROR)
        {
            EXPECT_EQ(reply.result, WBEM_S_NO_ERROR) << Description(reply.statusObject.Get());
            EXPECT_EQ(answer, "ok");
            continue;
        }
        EXPECT_TRUE(Refused(reply, c.code, c.text));
        EXPECT_TRUE(answer.starts_with(std::string(c.busKey) + " | ") && EndsWith(answer, Utf8(c.text))) << answer;
    }
    EXPECT_EQ(Count("BADGELINK", "BADGEKEY = " + std::to_string(seenBadge) + " AND ACCLVLID IN (181, 182, 183)"), "2");
    EXPECT_EQ(Count("BADGELINK", "BADGEKEY = " + std::to_string(seenBadge) + " AND ACCLVLID = 183"), "0");
    EXPECT_EQ(Count("BADGELINK", "BADGEKEY = " + std::to_string(hiddenBadge) + " AND ACCLVLID = 181"), "0");

    // AddBadge answers the stored badge only to a caller who may view badges. A refusal answers
    // its code alone (the door gives the code's standard text); the log keeps the refusal's own.
    const std::wstring failedLine = L"CWmipBadgeMapper::AddBadge failed.";
    const struct
    {
        const char* rule;
        const wchar_t* caller;
        long person;
        HRESULT code;
        const wchar_t* text;
        bool badgeOut;
        // The refusal's own text, in the log only.
        const wchar_t* logged;
    } adds[] = {
        {"the view right", RecordsCallers::kRecordsAdmin, seen, WBEM_S_NO_ERROR, L"", true, nullptr},
        {"the add right without the view right", kMethodsOnly, seen, WBEM_S_NO_ERROR, L"", false, nullptr},
        {"the view right without the add right", kViewOnly, seen, WBEM_E_ACCESS_DENIED,
         L"The client does not have sufficient user permissions to perform the requested operation.", false,
         L"The client does not have sufficient user permissions to perform the requested operation."},
        {"every right, the owner beyond the caller's segment", kSegmentOne, hidden, WBEM_E_ACCESS_DENIED,
         L"The client does not have sufficient user permissions to perform the requested operation.", false,
         L"The client does not have sufficient segment access to perform the requested operation."},
    };
    for (const auto& c : adds)
    {
        SCOPED_TRACE(c.rule);
        const int failed = LogLines(failedLine);
        const int reasons = c.logged != nullptr ? LogLines(c.logged) : 0;
        CallAs(RecordsCallers::kRecordsAdmin);
        const std::string before = Count("BADGE", "EMPID = " + std::to_string(c.person));
        _variant_t embedded;
        embedded.vt = VT_UNKNOWN;
        embedded.punkVal = NewBadge(c.person, 4, std::nullopt, 0, 0).Detach();
        const ComPtr<IWbemClassObject> in = MethodParameters(L"Bnt_Badge", L"AddBadge", {{L"BadgeIn", embedded}});
        CallAs(c.caller);
        const Reply reply = Exec(Form::Async, L"Bnt_Badge", L"AddBadge", in.Get());
        EXPECT_EQ(LogLines(failedLine), failed + (c.code != WBEM_S_NO_ERROR ? 1 : 0));
        if (c.code != WBEM_S_NO_ERROR)
        {
            EXPECT_TRUE(Refused(reply, c.code, c.text));
            EXPECT_EQ(LogLines(c.logged), reasons + 1);
            EXPECT_EQ(Count("BADGE", "EMPID = " + std::to_string(c.person)), before);
            continue;
        }
        ASSERT_EQ(reply.result, WBEM_S_NO_ERROR) << Description(reply.statusObject.Get());
        EXPECT_EQ(std::stol(Count("BADGE", "EMPID = " + std::to_string(c.person))), std::stol(before) + 1);
        ASSERT_EQ(reply.objects.size(), 1u);
        _variant_t stored;
        ASSERT_EQ(reply.objects.front()->Get(L"BadgeOut", 0, &stored, nullptr, nullptr), WBEM_S_NO_ERROR);
        EXPECT_EQ(stored.vt == VT_UNKNOWN, c.badgeOut);
    }
}

TEST_F(BadgeWrites, TheBadgeRulesAnswerInTheirOrderForEveryCaller)
{
    const long cardholder = NewPerson(L"Bnt_Cardholder", L"Ordered", 1);
    const long farCardholder = NewPerson(L"Bnt_Cardholder", L"Remote", 2);
    const long visitor = NewPerson(L"Bnt_Visitor", L"Caller", 1);
    const long farVisitor = NewPerson(L"Bnt_Visitor", L"Faraway", 2);
    // The generating type Temporary (4) stands in segment 2; badge type segmentation is switched
    // per case.
    ExecSql("UPDATE BADGETYP SET SEGMENTID = 2 WHERE ID = 4;");
    // The changes' badges: one of Temporary with its generated ID, one of Employee (1) whose ID
    // lies outside Temporary's range, and one holding a level of segment 1, whose unit allows
    // six digits.
    CallAs(RecordsCallers::kRecordsAdmin);
    const long generated = KeyOf(Add(farCardholder, 4, std::nullopt));
    const long employee = KeyOf(Add(farCardholder, 1, 782101));
    const long levelled = KeyOf(Add(cardholder, 1, 782102));
    ASSERT_GT(generated, 0);
    ASSERT_GT(employee, 0);
    ASSERT_GT(levelled, 0);
    ExecSql("INSERT OR IGNORE INTO ACCESSLVL (ACCESSLVID, DESCRIPT, SEGMENTID) VALUES (185, 'Short numbers', 1);"
            "INSERT INTO BADGELINK (ACCLVLID, BADGEKEY) VALUES (185, " +
            std::to_string(levelled) +
            ");"
            "UPDATE SEGMENT_UNIT SET MAX_BADGE_NUMBER_LENGTH = 6 WHERE SEGMENTID = 1;");
    const std::string badges = Scalar("SELECT COUNT(*) FROM BADGE");
    const std::string stored = Scalar("SELECT group_concat(BADGEKEY || ' ' || ID || ' ' || TYPE, ';') FROM BADGE");
    const struct
    {
        const char* rule;
        const wchar_t* caller;
        bool typeSegments;
        long person;
        LONG type;
        HRESULT code;
        const char* text;
        // A change of this stored badge to the type and, unless 0, the ID instead of an add.
        long badge = 0;
        LONGLONG changedId = 0;
    } cases[] = {
        {"a visitor with a cardholder type", RecordsCallers::kRecordsAdmin, true, visitor, 1, WBEM_E_ACCESS_DENIED,
         "The badge type that was specified for this badge is not a visitor badge, but the person specified is a "
         "visitor."},
        {"the same, without the right to modify visitors", kMethodsOnly, true, visitor, 1, WBEM_E_ACCESS_DENIED,
         "The badge type that was specified for this badge is not a visitor badge, but the person specified is a "
         "visitor."},
        {"the same, the visitor beyond the caller's segment", kSegmentOne, true, farVisitor, 1, WBEM_E_ACCESS_DENIED,
         "The client does not have sufficient segment access to perform the requested operation."},
        {"a hand-entered ID of a generating type", RecordsCallers::kRecordsAdmin, true, cardholder, 4, WBEM_E_FAILED,
         "a badge ID was manually entered by the client."},
        {"the same type of another segment, types not segmented", kSegmentOne, false, cardholder, 4, WBEM_E_FAILED,
         "a badge ID was manually entered by the client."},
        {"the same type of another segment, types segmented", kSegmentOne, true, cardholder, 4,
         WBEM_E_INVALID_PARAMETER, "The property TYPE did not exist or contained an invalid value."},
        {"a generated ID changed by hand", RecordsCallers::kRecordsAdmin, false, farCardholder, 4, WBEM_E_FAILED,
         "The badge ID was changed, but the user was not permitted to change it.", generated, 250500},
        {"the same, the badge beyond the caller's segment", kSegmentOne, false, farCardholder, 4, WBEM_E_NOT_FOUND,
         "The requested instance could not be retrieved or does not exist.", generated, 250500},
        {"a type of other segments, types segmented", RecordsCallers::kRecordsAdmin, true, farCardholder, 4,
         WBEM_E_ACCESS_DENIED,
         "The badge type cannot be modified when the segments of the two badge types are different.", employee},
        {"a type whose range leaves the ID out, types not segmented", RecordsCallers::kRecordsAdmin, false,
         farCardholder, 4, WBEM_E_FAILED, "The specified badge ID is not valid for a badge with this badge type.",
         employee},
        {"an ID longer than the unit of a level the badge holds allows", RecordsCallers::kRecordsAdmin, true,
         cardholder, 1, WBEM_E_FAILED,
         "The badge id cannot be changed, because the new badge number length is greater than the Segment setting "
         "for some of the Access Levels currently assigned to the Badge",
         levelled, 7821020},
    };
    LONGLONG id = 782001;
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.rule);
        ExecSql(std::string("UPDATE CONFIG_VALUE SET NUMBERVALUE = ") + (c.typeSegments ? "1" : "0") +
                " WHERE CONFIGID = 1005;");
        // The badge is built from the definition, or read, as the administrator: a caller without
        // the view right reads none.
        CallAs(RecordsCallers::kRecordsAdmin);
        ComPtr<IWbemClassObject> badge = c.badge == 0 ? NewBadge(c.person, c.type, id++)
                                                      : Instance(L"Bnt_Badge.BADGEKEY=" + std::to_wstring(c.badge));
        ASSERT_NE(badge, nullptr);
        if (c.badge != 0)
        {
            _variant_t type(c.type);
            EXPECT_EQ(badge->Put(L"TYPE", 0, &type, 0), WBEM_S_NO_ERROR);
            _variant_t changed(std::to_wstring(c.changedId).c_str());
            if (c.changedId != 0)
            {
                EXPECT_EQ(badge->Put(L"ID", 0, &changed, 0), WBEM_S_NO_ERROR);
            }
        }
        CallAs(c.caller);
        const Reply reply = Put(Form::Sync, badge.Get(), c.badge == 0 ? WBEM_FLAG_CREATE_ONLY : WBEM_FLAG_UPDATE_ONLY);
        EXPECT_EQ(reply.result, c.code) << Hex(reply.result);
        EXPECT_TRUE(EndsWith(Description(reply.statusObject.Get()), c.text)) << Description(reply.statusObject.Get());
    }
    ExecSql("UPDATE CONFIG_VALUE SET NUMBERVALUE = 1 WHERE CONFIGID = 1005; UPDATE BADGETYP SET SEGMENTID = -1 "
            "WHERE ID = 4; UPDATE SEGMENT_UNIT SET MAX_BADGE_NUMBER_LENGTH = 10 WHERE SEGMENTID = 1;");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM BADGE"), badges);
    EXPECT_EQ(Scalar("SELECT group_concat(BADGEKEY || ' ' || ID || ' ' || TYPE, ';') FROM BADGE"), stored);
}

// A badge type of one segment is given to a person whose primary segment or one of whose assigned
// segments it is, and to nobody else; a type of every segment to everybody.
TEST_F(BadgeWrites, ABadgeTypeReachesThePersonThroughItsPrimaryOrAnAssignedSegment)
{
    ExecSql("INSERT OR IGNORE INTO BADGETYP (ID, NAME, BADGE_CLASS, DISPOSABLE, DEFGROUP, SEGMENTID) VALUES "
            "(191, 'Headquarters staff', 1, 0, 0, 1), (192, 'Warehouse staff', 1, 0, 0, 2);");
    const long headquarters = NewPerson(L"Bnt_Cardholder", L"Primary", 1);
    const long assigned = NewPerson(L"Bnt_Cardholder", L"Assigned", 1);
    const long warehouse = NewPerson(L"Bnt_Cardholder", L"Stocker", 2);
    ExecSql("INSERT INTO EMP_SEGMENT_LINK (EMPID, SEGMENTID) VALUES (" + std::to_string(assigned) + ", 2);");
    const struct
    {
        const char* rule;
        long person;
        LONG type;
        LONGLONG id;
        HRESULT code;
    } cases[] = {
        {"the type of the person's primary segment", headquarters, 191, 786001, WBEM_S_NO_ERROR},
        {"the type of the person's assigned segment alone", assigned, 192, 786002, WBEM_S_NO_ERROR},
        {"the type of every segment", warehouse, 1, 786003, WBEM_S_NO_ERROR},
        {"the type of a segment the person is not in", headquarters, 192, 786004, WBEM_E_ACCESS_DENIED},
        {"the same, the other way round", warehouse, 191, 786005, WBEM_E_ACCESS_DENIED},
    };
    std::string stored;
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.rule);
        CallAs(RecordsCallers::kRecordsAdmin);
        const Reply reply = Add(c.person, c.type, c.id);
        EXPECT_EQ(reply.result, c.code) << Hex(reply.result) << " " << Description(reply.statusObject.Get());
        if (c.code == WBEM_S_NO_ERROR)
        {
            stored += std::to_string(c.id) + " " + std::to_string(c.person) + " " + std::to_string(c.type) + ";";
        }
        else
        {
            EXPECT_TRUE(EndsWith(Description(reply.statusObject.Get()),
                                 "The client does not have sufficient segment access to perform the requested "
                                 "operation."))
                << Description(reply.statusObject.Get());
        }
    }
    std::string found;
    for (const auto& row : e2e::DoorInstallation::Rows(
             "SELECT ID, EMPID, TYPE FROM BADGE WHERE ID BETWEEN 786001 AND 786005 ORDER BY ID"))
        found += row[0] + " " + row[1] + " " + row[2] + ";";
    EXPECT_EQ(found, stored);
}

TEST_F(BadgeWrites, AModifyRecordsTheStoredUseLimitWhereverItDiffers)
{
    const long owner = NewPerson(L"Bnt_Cardholder", L"Limited", 1);
    const long far = NewPerson(L"Bnt_Cardholder", L"Unlimited", 2);
    CallAs(RecordsCallers::kRecordsAdmin);
    const long key = KeyOf(Add(owner, 1, 783001));
    const long farKey = KeyOf(Add(far, 1, 783002));
    ASSERT_GT(key, 0);
    ASSERT_GT(farKey, 0);
    // No use limit stored, none given: the stored one is 255, the new one -1.
    const int differ = LogLines(L"Use limits differ, setting old use limit value [255]");
    const int compared = LogLines(L"Determine if use limits differ: old use limit [255], new use limit [-1]");
    m_servers->CommServer().ClearCalls();
    ASSERT_EQ(Change(key, L"DEFAULT_DOOR", _variant_t(0L)).result, WBEM_S_NO_ERROR);
    EXPECT_EQ(LogLines(L"Determine if use limits differ: old use limit [255], new use limit [-1]"), compared + 1);
    EXPECT_EQ(LogLines(L"Use limits differ, setting old use limit value [255]"), differ + 1);
    const std::vector<Notice> notices = Notices();
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].action, 2);
    EXPECT_EQ(notices[0].badgeId, 783001);
    EXPECT_EQ(notices[0].oldUseLimit, 255);

    // The same change by a caller without the modify right, and by one the badge is hidden from.
    ComPtr<IWbemClassObject> badge = Instance(L"Bnt_Badge.BADGEKEY=" + std::to_wstring(key));
    ComPtr<IWbemClassObject> farBadge = Instance(L"Bnt_Badge.BADGEKEY=" + std::to_wstring(farKey));
    ASSERT_NE(badge, nullptr);
    ASSERT_NE(farBadge, nullptr);
    m_servers->CommServer().ClearCalls();
    CallAs(kViewOnly);
    EXPECT_TRUE(Refused(Put(Form::Async, badge.Get(), WBEM_FLAG_UPDATE_ONLY), WBEM_E_ACCESS_DENIED,
                        L"The client does not have sufficient user permissions to perform the requested operation."));
    CallAs(kSegmentOne);
    const Reply hidden = Put(Form::Async, farBadge.Get(), WBEM_FLAG_UPDATE_ONLY);
    EXPECT_EQ(hidden.result, WBEM_E_NOT_FOUND) << Description(hidden.statusObject.Get());
    EXPECT_EQ(LogLines(L"Use limits differ, setting old use limit value [255]"), differ + 1);
    EXPECT_TRUE(Notices().empty());
}

TEST_F(BadgeWrites, ASegmentUnitsLimitOfZeroTakesNothing)
{
    ExecSql("INSERT OR IGNORE INTO ACCESSLVL (ACCESSLVID, DESCRIPT, SEGMENTID) VALUES (184, 'Zero A', 1);");
    const long owner = NewPerson(L"Bnt_Cardholder", L"Zero", 1);
    CallAs(RecordsCallers::kRecordsAdmin);
    const long key = KeyOf(Add(owner, 1, 784001));
    ASSERT_GT(key, 0);
    const std::wstring path = L"Bnt_Badge.BADGEKEY=" + std::to_wstring(key);
    const struct
    {
        const char* limit;
        const wchar_t* text;
    } cases[] = {
        {"MAX_BADGE_NUMBER_LENGTH", L"The number of digits in the badge ID specified exceeds the maximum allowed."},
        {"MAX_ACCESS_LEVELS", L"The max number of access levels for this badge has been reached."},
        {"MAX_STANDARD_ACCESS_LEVELS", L"The max number of standard access levels for this badge has been reached."},
    };
    m_servers->CommServer().ClearCalls();
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.limit);
        ExecSql(std::string("UPDATE SEGMENT_UNIT SET ") + c.limit + " = 0 WHERE SEGMENTID = 1;");
        const ComPtr<IWbemClassObject> in =
            MethodParameters(L"Bnt_Badge", L"AssignAccessLevel", {{L"LevelIn", Levels({184})}});
        const Reply reply = Exec(Form::Async, path, L"AssignAccessLevel", in.Get());
        ExecSql("UPDATE SEGMENT_UNIT SET MAX_BADGE_NUMBER_LENGTH = 10, MAX_ACCESS_LEVELS = 16, "
                "MAX_STANDARD_ACCESS_LEVELS = 16 WHERE SEGMENTID = 1;");
        EXPECT_TRUE(Refused(reply, WBEM_E_FAILED, c.text));
        EXPECT_EQ(Count("BADGELINK", "BADGEKEY = " + std::to_string(key) + " AND ACCLVLID = 184"), "0");
    }
    EXPECT_TRUE(Notices().empty());
    const ComPtr<IWbemClassObject> in =
        MethodParameters(L"Bnt_Badge", L"AssignAccessLevel", {{L"LevelIn", Levels({184})}});
    EXPECT_EQ(Exec(Form::Async, path, L"AssignAccessLevel", in.Get()).result, WBEM_S_NO_ERROR);
    EXPECT_EQ(Count("BADGELINK", "BADGEKEY = " + std::to_string(key) + " AND ACCLVLID = 184"), "1");

    // A new badge's own digits check reads a length of 0 the same way: no badge number is stored
    // that the levels' checks would then refuse.
    ExecSql("UPDATE SEGMENT_UNIT SET MAX_BADGE_NUMBER_LENGTH = 0 WHERE SEGMENTID IN (-1, 1);");
    EXPECT_TRUE(Refused(Add(owner, 1, 784002), WBEM_E_FAILED,
                        L"The number of digits in the badge ID specified exceeds the maximum allowed."));
    EXPECT_EQ(Count("BADGE", "ID = 784002"), "0");
}
