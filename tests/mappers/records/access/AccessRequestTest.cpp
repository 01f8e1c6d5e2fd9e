// Access level requests, end to end through the door: who may approve, deny or hold, which
// requests a caller sees at all (only those of persons it may see), the transitions between
// stages (one winner among concurrent approvals), the length of a stage's note, and the derived
// Status in queries.
#include "tests/mappers/records/access/AccessRecordsTest.h"
#include "tests/support/StatementGate.h"

#include <algorithm>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

using namespace e2e;
using access_test::AccessCallers;

namespace {
// The demo operator: manages levels 1 and 3 with full rights and level 2 view-only.
constexpr const wchar_t* kOperator = support::callers::kOperator;

class AccessRequests : public access_test::AccessRecordsTest
{
protected:
    // A submitted request of person 2 for the level; answers its id.
    static long NewRequest(long level)
    {
        const long id = std::stol(Scalar("SELECT COALESCE(MAX(ID), 0) + 1 FROM ACCESS_REQUEST"));
        ExecSql("INSERT INTO ACCESS_REQUEST (ID, TYPE, EMPID, ACCESSLVID, SUBMITTED_USERID, READERID, PANELID) "
                "VALUES (" +
                std::to_string(id) + ", 1, 2, " + std::to_string(level) + ", 1, 0, 0);");
        return id;
    }
    Reply Stage(long request, const wchar_t* method)
    {
        return Exec(Form::Sync, L"Bnt_AccessLevelRequest.ID=" + std::to_wstring(request), method);
    }
    static std::string Column(long request, const std::string& column)
    {
        return Scalar("SELECT COALESCE(" + column + ", '') FROM ACCESS_REQUEST WHERE ID = " + std::to_string(request));
    }
};

struct TransitionCase
{
    const wchar_t* first;
    const wchar_t* second;
    HRESULT secondResult;
    const char* message;
};
}  // namespace

TEST_F(AccessRequests, StagesMoveOnlyFromSubmittedOrOnHold)
{
    const TransitionCase cases[] = {
        {L"Approve", L"Approve", WBEM_E_INVALID_OPERATION,
         "Cannot approve an access request that has already been approved or denied"},
        {L"Deny", L"Approve", WBEM_E_INVALID_OPERATION,
         "Cannot approve an access request that has already been approved or denied"},
        {L"Hold", L"Hold", WBEM_E_INVALID_OPERATION,
         "Cannot put on hold an access request that has already been approved or denied or put on hold"},
        {L"Approve", L"Deny", WBEM_E_INVALID_OPERATION,
         "Cannot deny an access request that has already been approved or denied"},
        {L"Hold", L"Deny", WBEM_S_NO_ERROR, nullptr},
        {L"Hold", L"Approve", WBEM_S_NO_ERROR, nullptr},
    };
    for (const TransitionCase& c : cases)
    {
        const long request = NewRequest(1);
        const Reply first = Stage(request, c.first);
        ASSERT_EQ(first.result, WBEM_S_NO_ERROR) << Utf8(c.first) << " " << Description(first.statusObject.Get());
        const Reply second = Stage(request, c.second);
        EXPECT_EQ(second.result, c.secondResult) << Utf8(c.first) << " then " << Utf8(c.second);
        if (c.message != nullptr)
        {
            EXPECT_TRUE(EndsWith(Description(second.statusObject.Get()), c.message))
                << Description(second.statusObject.Get());
        }
    }
    const long request = NewRequest(1);
    ASSERT_EQ(Stage(request, L"Approve").result, WBEM_S_NO_ERROR);
    EXPECT_EQ(Column(request, "APPROVED_USERID"), "31") << "the caller";
    EXPECT_NE(Column(request, "APPROVED_DATE"), "");
    EXPECT_TRUE(FAILED(Stage(request, L"Cancel").result));
}

TEST_F(AccessRequests, EachStagesNoteTakesItsMaxlenAndRefusesOneMoreStampingNothing)
{
    // A stage's note is shown by a property of 2000 characters at most.
    const struct
    {
        const wchar_t* method;
        const char* user;
        const char* note;
    } stages[] = {{L"Approve", "APPROVED_USERID", "APPROVED_NOTE"},
                  {L"Deny", "DENIED_USERID", "DENIED_NOTE"},
                  {L"Hold", "ONHOLD_USERID", "ONHOLD_NOTE"}};
    for (const auto& stage : stages)
    {
        SCOPED_TRACE(Utf8(stage.method));
        const long request = NewRequest(1);
        const std::wstring path = L"Bnt_AccessLevelRequest.ID=" + std::to_wstring(request);
        const auto withNote = [&](std::size_t length) {
            return Exec(Form::Sync, path, stage.method,
                        MethodParameters(L"Bnt_AccessLevelRequest", stage.method,
                                         {{L"Note", _variant_t(std::wstring(length, L'n').c_str())}})
                            .Get());
        };
        const Reply refused = withNote(2001);
        EXPECT_EQ(refused.result, WBEM_E_INVALID_PARAMETER) << Hex(refused.result);
        EXPECT_TRUE(EndsWith(Description(refused.statusObject.Get()),
                             "The property Note did not exist or contained an invalid value."))
            << Description(refused.statusObject.Get());
        EXPECT_EQ(Column(request, stage.user), "") << "nothing stamped";
        EXPECT_EQ(Column(request, stage.note), "");

        const Reply taken = withNote(2000);
        EXPECT_EQ(taken.result, WBEM_S_NO_ERROR) << Description(taken.statusObject.Get());
        EXPECT_EQ(Column(request, "length(" + std::string(stage.note) + ")"), "2000");
        // The stamped request can still be put back as it reads.
        const ComPtr<IWbemClassObject> stored = Instance(path);
        ASSERT_TRUE(stored);
        EXPECT_EQ(Put(Form::Sync, stored.Get(), WBEM_FLAG_UPDATE_ONLY).result, WBEM_S_NO_ERROR);
    }
}

TEST_F(AccessRequests, OnlyACallerWhoMayActOnTheRequestsLevelChangesItsStage)
{
    const long managed = NewRequest(1);
    const long viewOnly = NewRequest(2);
    CallAs(AccessCallers::kLevelViewer);
    const Reply refused = Stage(managed, L"Approve");
    EXPECT_EQ(refused.result, WBEM_E_ACCESS_DENIED) << Hex(refused.result);
    EXPECT_EQ(Column(managed, "APPROVED_USERID"), "") << "nothing stamped";

    CallAs(kOperator);
    const Reply notManaged = Stage(viewOnly, L"Deny");
    EXPECT_TRUE(FAILED(notManaged.result)) << "a level the operator only views";
    EXPECT_EQ(Column(viewOnly, "DENIED_USERID"), "");
    EXPECT_EQ(Stage(managed, L"Approve").result, WBEM_S_NO_ERROR);
}

// Without the right to assign levels, only a level managed with more than view rights opens the
// requests: a caller (user 32) whose only links are view-only is refused outright, on a list as
// on a stage change, not answered an empty list.
TEST_F(AccessRequests, ACallerManagingLevelsOnlyViewOnlyIsRefusedNotAnsweredEmpty)
{
    const long request = NewRequest(1);
    const struct
    {
        const char* links;
        HRESULT listed;
        HRESULT approved;
    } cases[] = {
        {"", WBEM_S_ACCESS_DENIED, WBEM_E_ACCESS_DENIED},
        {"(32, 1, 1)", WBEM_S_ACCESS_DENIED, WBEM_E_ACCESS_DENIED},
        {"(32, 1, 1), (32, 2, 1)", WBEM_S_ACCESS_DENIED, WBEM_E_ACCESS_DENIED},
        // A manager of level 2 alone does not see the request for level 1.
        {"(32, 2, 0)", WBEM_S_NO_ERROR, WBEM_E_NOT_FOUND},
        {"(32, 1, 0)", WBEM_S_NO_ERROR, WBEM_S_NO_ERROR},
    };
    CallAs(AccessCallers::kLevelViewer);
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.links);
        ExecSql(std::string("DELETE FROM USERS_ACCESSLEVEL_LINK WHERE USERID = 32;") +
                (*c.links != '\0' ? std::string("INSERT INTO USERS_ACCESSLEVEL_LINK (USERID, ACCESSLVID, "
                                                "HAS_AAM_VIEWONLY_ACCESS) VALUES ") +
                                        c.links + ";"
                                  : std::string()));
        const Reply listed = Enum(Form::Sync, L"Bnt_AccessLevelRequest");
        EXPECT_EQ(listed.result, c.listed) << Hex(listed.result);
        bool seen = false;
        for (const auto& object : listed.objects)
            seen = seen || support::PropertyText(object.Get(), L"ID") == std::to_string(request);
        EXPECT_EQ(seen, c.approved == WBEM_S_NO_ERROR);
        const Reply approved = Stage(request, L"Approve");
        EXPECT_EQ(approved.result, c.approved) << Hex(approved.result);
        EXPECT_EQ(Column(request, "APPROVED_USERID"), c.approved == WBEM_S_NO_ERROR ? "32" : "");
    }
    ExecSql("DELETE FROM USERS_ACCESSLEVEL_LINK WHERE USERID = 32;");
}

TEST_F(AccessRequests, OfConcurrentApprovalsExactlyOneStamps)
{
    const long request = NewRequest(1);
    const std::string audits = Scalar("SELECT COUNT(*) FROM USER_TRANSACTION_LOG WHERE OBJECT_TYPE = 171");
    constexpr int kThreads = 6;
    // Every approval has read the request's stage before any writes, unless the stage is read
    // inside the transaction that stamps it.
    support::StatementGate gate(kThreads);
    std::atomic<int> approved{0};
    std::atomic<int> refused{0};
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i)
        threads.emplace_back([&] {
            const CallerIdentity::Scope caller(CallerIdentity(kOperator, SecurityImpersonation));
            gate.Run([&] {
                const Reply reply = Stage(request, L"Approve");
                if (reply.result == WBEM_S_NO_ERROR)
                    ++approved;
                else if (reply.result == WBEM_E_INVALID_OPERATION)
                    ++refused;
            });
        });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_TRUE(gate.AllArrived());
    EXPECT_EQ(approved.load(), 1);
    EXPECT_EQ(refused.load(), kThreads - 1);
    EXPECT_EQ(std::stol(Scalar("SELECT COUNT(*) FROM USER_TRANSACTION_LOG WHERE OBJECT_TYPE = 171")),
              std::stol(audits) + 1);
}

TEST_F(AccessRequests, AStatusConditionSelectsByTheDerivedStatus)
{
    const long approved = NewRequest(1);
    const long denied = NewRequest(1);
    ASSERT_EQ(Stage(approved, L"Approve").result, WBEM_S_NO_ERROR);
    ASSERT_EQ(Stage(denied, L"Deny").result, WBEM_S_NO_ERROR);
    // Both stamps set: the denial wins.
    ExecSql("UPDATE ACCESS_REQUEST SET APPROVED_USERID = 1 WHERE ID = " + std::to_string(denied) + ";");
    const Reply reply = Query(Form::Sync, L"SELECT * FROM Bnt_AccessLevelRequest WHERE Status = 1");
    ASSERT_EQ(reply.result, WBEM_S_NO_ERROR);
    bool sawApproved = false;
    for (const auto& object : reply.objects)
    {
        EXPECT_EQ(support::PropertyText(object.Get(), L"Status"), "1");
        sawApproved = sawApproved || support::PropertyText(object.Get(), L"ID") == std::to_string(approved);
        EXPECT_NE(support::PropertyText(object.Get(), L"ID"), std::to_string(denied));
    }
    EXPECT_TRUE(sawApproved);
}

TEST_F(AccessRequests, APutIsALevelRequestStampedAsSubmittedByTheWriter)
{
    const ComPtr<IWbemClassObject> request =
        NewInstance(L"Bnt_AccessLevelRequest", {{L"PersonID", _variant_t(static_cast<LONG>(3))},
                                                {L"AccessLevelID", _variant_t(static_cast<LONG>(1))},
                                                {L"SubmittedNote", _variant_t(L"night work")}});
    const Reply written = Put(Form::Sync, request.Get(), WBEM_FLAG_CREATE_ONLY);
    ASSERT_EQ(written.result, WBEM_S_NO_ERROR) << Description(written.statusObject.Get());
    const e2e::Table rows = DoorInstallation::Rows(
        "SELECT TYPE, SUBMITTED_USERID, SUBMITTED_NOTE, SUBMITTED_DATE IS NOT NULL FROM ACCESS_REQUEST "
        "WHERE EMPID = 3 AND SUBMITTED_NOTE = 'night work'");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0], (e2e::Row{"1", "31", "night work", "1"})) << "type 1, the writer, the time";
}

TEST_F(AccessRequests, ARequestOfAPersonTheCallerCannotSeeIsNeitherListedReadNorActedOn)
{
    // Person 2 stands in segment 1, person 3 in segment 2; level 1 and the Lobby panel are of
    // segment 1, the caller's only segment.
    const long first = std::stol(Scalar("SELECT COALESCE(MAX(ID), 0) + 1 FROM ACCESS_REQUEST"));
    const auto insert = [&](long id, long type, long person) {
        ExecSql("INSERT INTO ACCESS_REQUEST (ID, TYPE, EMPID, ACCESSLVID, SUBMITTED_USERID, READERID, PANELID) "
                "VALUES (" +
                std::to_string(id) + ", " + std::to_string(type) + ", " + std::to_string(person) +
                (type == 1 ? ", 1, 1, 0, 0);" : ", NULL, 1, 1, 1);"));
    };
    const struct
    {
        const wchar_t* className;
        long type;
    } classes[] = {{L"Bnt_AccessLevelRequest", 1}, {L"Bnt_ReaderRequest", 0}};
    CallAs(AccessCallers::kHeadquartersChief);
    for (const auto& c : classes)
    {
        SCOPED_TRACE(Utf8(c.className));
        const long seen = first + 2 * c.type;
        const long hidden = seen + 1;
        insert(seen, c.type, 2);
        insert(hidden, c.type, 3);
        std::vector<std::string> listed;
        for (const auto& object : Query(Form::Sync, std::wstring(L"SELECT * FROM ") + c.className).objects)
            listed.push_back(support::PropertyText(object.Get(), L"ID"));
        EXPECT_NE(std::find(listed.begin(), listed.end(), std::to_string(seen)), listed.end());
        EXPECT_EQ(std::find(listed.begin(), listed.end(), std::to_string(hidden)), listed.end());
        const auto path = [&](long id) { return std::wstring(c.className) + L".ID=" + std::to_wstring(id); };
        EXPECT_TRUE(Get(Form::Sync, path(hidden)).objects.empty());
        for (const wchar_t* method : {L"Hold", L"Deny", L"Approve"})
        {
            const Reply refused = Exec(Form::Sync, path(hidden), method);
            EXPECT_EQ(refused.result, WBEM_E_NOT_FOUND) << Utf8(method) << " " << Hex(refused.result);
        }
        EXPECT_EQ(DoorInstallation::Rows("SELECT COALESCE(ONHOLD_USERID, 0) + COALESCE(DENIED_USERID, 0) + "
                                         "COALESCE(APPROVED_USERID, 0) FROM ACCESS_REQUEST WHERE ID = " +
                                         std::to_string(hidden)),
                  (Table{{"0"}}))
            << "nothing stamped";
        EXPECT_EQ(Get(Form::Sync, path(seen)).objects.size(), 1u);
        EXPECT_EQ(Exec(Form::Sync, path(seen), L"Approve").result, WBEM_S_NO_ERROR);
    }
}
