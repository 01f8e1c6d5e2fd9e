// Writes of persons and of the records that hang on them, end to end through the door: the
// all-or-nothing delete cascade, segment and value refusals, the one-segment default, linking
// an account once, and the checks of multimedia objects and secondary segments.
#include "tests/mappers/records/persons/PersonRecordsTest.h"

#include "framework/CWmipClassMapper.h"
#include "framework/CWmipMapperRegistry.h"
#include "framework/CWmipMessages.h"
#include "inhouse/BntLogin/DBConnectionManager.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "platform/com/Variant.h"
#include "provider/CWmipApp.h"

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

using namespace e2e;
using records_test::RecordsCallers;

namespace {
class PersonWrites : public records_test::PersonRecordsTest
{
protected:
    Reply Link(long personId, long directoryId, const wchar_t* accountId)
    {
        return Put(Form::Sync,
                   NewInstance(L"Bnt_Account", {{L"PersonID", _variant_t(static_cast<LONG>(personId))},
                                                {L"DirectoryID", _variant_t(static_cast<LONG>(directoryId))},
                                                {L"AccountID", _variant_t(accountId)}})
                       .Get(),
                   WBEM_FLAG_CREATE_ONLY);
    }
    static std::string Count(const std::string& table, const std::string& where)
    {
        return Scalar("SELECT COUNT(*) FROM " + table + " WHERE " + where);
    }
};
}  // namespace

TEST_F(PersonWrites, AFailingDependentDeleteLeavesThePersonWhole)
{
    const long person = NewPerson(L"Bnt_Cardholder", L"Cascade", 1);
    ASSERT_GT(person, 0);
    const std::string id = std::to_string(person);
    ASSERT_EQ(Link(person, 2, L"cclara").result, WBEM_S_NO_ERROR);
    ASSERT_EQ(Link(person, 2, L"ddorn").result, WBEM_S_NO_ERROR);
    // The second account's delete fails inside the cascade (a fault planted in the database).
    ExecSql("CREATE TRIGGER FAIL_ACCOUNT_DELETE BEFORE DELETE ON CARDHOLDER_ACCOUNT WHEN OLD.ACCOUNTID = 'ddorn' "
            "BEGIN SELECT RAISE(ABORT, 'refused'); END;");
    const std::string audits = Scalar("SELECT COUNT(*) FROM USER_TRANSACTION_LOG");

    const Reply refused = Delete(Form::Sync, L"Bnt_Cardholder.ID=" + std::to_wstring(person));
    EXPECT_TRUE(FAILED(refused.result)) << Hex(refused.result);
    EXPECT_TRUE(
        EndsWith(Description(refused.statusObject.Get()), "Unable to delete account while deleting cardholder."))
        << Description(refused.statusObject.Get());
    EXPECT_EQ(Count("EMP", "ID = " + id), "1");
    EXPECT_EQ(Count("UDFEMP", "ID = " + id), "1");
    EXPECT_EQ(Count("CARDHOLDER_ACCOUNT", "EMPID = " + id), "2") << "the first account's delete was undone too";
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM USER_TRANSACTION_LOG"), audits) << "no audit of what did not happen";

    ExecSql("DROP TRIGGER FAIL_ACCOUNT_DELETE;");
    const Reply deleted = Delete(Form::Sync, L"Bnt_Cardholder.ID=" + std::to_wstring(person));
    ASSERT_EQ(deleted.result, WBEM_S_NO_ERROR) << Description(deleted.statusObject.Get());
    EXPECT_EQ(Count("EMP", "ID = " + id), "0");
    EXPECT_EQ(Count("UDFEMP", "ID = " + id), "0");
    EXPECT_EQ(Count("CARDHOLDER_ACCOUNT", "EMPID = " + id), "0");
    EXPECT_EQ(
        Count("USER_TRANSACTION_LOG", "OBJECT_TYPE = 58 AND OPERATION = 7 AND DESCRIPTION LIKE 'Person " + id + ":%'"),
        "2")
        << "each account audited";
}

TEST_F(PersonWrites, RefusedWritesNameTheirReasonAndWriteNothing)
{
    const long person = NewPerson(L"Bnt_Cardholder", L"Refusals", 1);
    const long visitor = NewPerson(L"Bnt_Visitor", L"Guest", 2);
    ASSERT_GT(person, 0);
    ASSERT_GT(visitor, 0);
    const std::wstring tooLong(129, L'a');
    const struct
    {
        const char* what;
        const wchar_t* caller;
        const wchar_t* className;
        std::vector<std::pair<const wchar_t*, _variant_t>> values;
        HRESULT expected;
        const char* message;
    } cases[] = {
        {"a segment the caller cannot write",
         RecordsCallers::kHeadquartersClerk,
         L"Bnt_Cardholder",
         {{L"LASTNAME", _variant_t(L"Far")}, {L"PRIMARYSEGMENTID", _variant_t(2L)}},
         WBEM_E_ACCESS_DENIED,
         "The client does not have sufficient segment access to perform the requested operation."},
        {"no segment from a caller of several",
         RecordsCallers::kRecordsAdmin,
         L"Bnt_Cardholder",
         {{L"LASTNAME", _variant_t(L"Nowhere")}},
         WBEM_E_ILLEGAL_NULL,
         "The required property PRIMARYSEGMENTID had no value and no default was provided."},
        {"a caller without the add right",
         RecordsCallers::kViewer,
         L"Bnt_Visitor",
         {{L"LASTNAME", _variant_t(L"Nope")}, {L"PRIMARYSEGMENTID", _variant_t(1L)}},
         WBEM_E_ACCESS_DENIED,
         "The client does not have sufficient user permissions to perform the requested operation."},
        {"an account of an unknown directory",
         RecordsCallers::kRecordsAdmin,
         L"Bnt_Account",
         {{L"PersonID", _variant_t(person)}, {L"DirectoryID", _variant_t(99L)}, {L"AccountID", _variant_t(L"x")}},
         WBEM_E_INVALID_PARAMETER,
         "The property DirectoryID did not exist or contained an invalid value."},
        {"an account of an unknown person",
         RecordsCallers::kRecordsAdmin,
         L"Bnt_Account",
         {{L"PersonID", _variant_t(9999L)}, {L"DirectoryID", _variant_t(2L)}, {L"AccountID", _variant_t(L"cclara")}},
         WBEM_E_INVALID_PARAMETER,
         "The property PersonID did not exist or contained an invalid value."},
        {"an account identifier over 128 characters",
         RecordsCallers::kRecordsAdmin,
         L"Bnt_Account",
         {{L"PersonID", _variant_t(person)},
          {L"DirectoryID", _variant_t(2L)},
          {L"AccountID", _variant_t(tooLong.c_str())}},
         WBEM_E_INVALID_PARAMETER,
         "The property AccountID did not exist or contained an invalid value."},
        {"an account the directory does not hold",
         RecordsCallers::kRecordsAdmin,
         L"Bnt_Account",
         {{L"PersonID", _variant_t(person)}, {L"DirectoryID", _variant_t(2L)}, {L"AccountID", _variant_t(L"ghost")}},
         WBEM_E_FAILED,
         "An account with the specified account ID does not exist, or there was a problem connecting to the "
         "directory."},
        {"an account of a person of another segment, refused by the person check",
         RecordsCallers::kHeadquartersClerk,
         L"Bnt_Account",
         {{L"PersonID", _variant_t(visitor)}, {L"DirectoryID", _variant_t(2L)}, {L"AccountID", _variant_t(L"cclara")}},
         WBEM_E_ACCESS_DENIED,
         "The client does not have sufficient user permissions to perform the requested operation."},
        {"a multimedia object of an unknown person",
         RecordsCallers::kRecordsAdmin,
         L"Bnt_MultimediaObject",
         {{L"PersonID", _variant_t(9999L)}, {L"ObjectType", _variant_t(1L)}, {L"DataType", _variant_t(0L)}},
         WBEM_E_INVALID_PARAMETER,
         "The property PersonID did not exist or contained an invalid value."},
        {"a secondary segment that does not exist",
         RecordsCallers::kRecordsAdmin,
         L"Bnt_PersonSecondarySegments",
         {{L"PersonID", _variant_t(person)}, {L"SegmentID", _variant_t(77L)}},
         WBEM_E_INVALID_PARAMETER,
         "The property SegmentID did not exist or contained an invalid value."},
        {"the primary segment as a secondary one",
         RecordsCallers::kRecordsAdmin,
         L"Bnt_PersonSecondarySegments",
         {{L"PersonID", _variant_t(person)}, {L"SegmentID", _variant_t(1L)}},
         WBEM_E_FAILED,
         "This segment is already assigned."},
        {"the all-segments group as a secondary segment",
         RecordsCallers::kRecordsAdmin,
         L"Bnt_PersonSecondarySegments",
         {{L"PersonID", _variant_t(person)}, {L"SegmentID", _variant_t(-1L)}},
         WBEM_E_FAILED,
         "Cannot assign this segment based on segmentation rules."},
    };
    const std::vector<Table> before = DoorInstallation::WholeDatabase();
    for (const auto& c : cases)
    {
        CallAs(c.caller);
        const Reply reply = Put(Form::Sync, NewInstance(c.className, c.values).Get(), WBEM_FLAG_CREATE_ONLY);
        EXPECT_EQ(reply.result, c.expected) << c.what << ": " << Hex(reply.result);
        EXPECT_TRUE(EndsWith(Description(reply.statusObject.Get()), c.message))
            << c.what << ": " << Description(reply.statusObject.Get());
    }
    EXPECT_TRUE(DoorInstallation::WholeDatabase() == before) << "a refused write left something behind";
}

TEST_F(PersonWrites, ACallerOfOneSegmentGetsItAsTheDefault)
{
    CallAs(RecordsCallers::kHeadquartersClerk);
    ComPtr<IWbemClassObject> person = NewInstance(L"Bnt_Cardholder", {{L"LASTNAME", _variant_t(L"Defaulted")}});
    const Reply written = Put(Form::Sync, person.Get(), WBEM_FLAG_CREATE_ONLY);
    ASSERT_EQ(written.result, WBEM_S_NO_ERROR) << Description(written.statusObject.Get());
    EXPECT_EQ(DoorInstallation::Rows("SELECT SEGMENTID, VISITOR, ASSET_GROUPID, GUARD FROM EMP WHERE ID = ?",
                                     {std::to_string(KeyOf(written))}),
              (Table{{"1", "0", "0", "0"}}));
}

TEST_F(PersonWrites, APrimarySegmentChangeRemovesTheAccessOfTheLostUnit)
{
    const long person = NewPerson(L"Bnt_Cardholder", L"Mover", 1);
    const std::string id = std::to_string(person);
    // A badge with one access level of each segment.
    ExecSql("INSERT INTO BADGE (BADGEKEY, ID, TYPE, STATUS, EMPID) VALUES (900 + " + id + ", 990000 + " + id +
            ", 1, 2, " + id + "); INSERT INTO BADGELINK (BADGEKEY, ACCLVLID) VALUES (900 + " + id + ", 1), (900 + " +
            id + ", 2);");
    ComPtr<IWbemClassObject> change =
        NewInstance(L"Bnt_Cardholder", {{L"ID", _variant_t(person)}, {L"PRIMARYSEGMENTID", _variant_t(2L)}});
    const Reply moved = Put(Form::Sync, change.Get(), WBEM_FLAG_UPDATE_ONLY);
    ASSERT_EQ(moved.result, WBEM_S_NO_ERROR) << Description(moved.statusObject.Get());
    EXPECT_EQ(Scalar("SELECT SEGMENTID FROM EMP WHERE ID = " + id), "2");
    EXPECT_EQ(DoorInstallation::Rows("SELECT ACCLVLID FROM BADGELINK WHERE BADGEKEY = 900 + " + id), (Table{{"2"}}))
        << "the level of segment 1 went with the segment";

    // A clean-up that fails fails the modify, which then changes nothing.
    ExecSql("CREATE TRIGGER FAIL_ACCESS_CLEANUP BEFORE DELETE ON BADGELINK BEGIN SELECT RAISE(ABORT, 'refused'); END;");
    change = NewInstance(L"Bnt_Cardholder", {{L"ID", _variant_t(person)}, {L"PRIMARYSEGMENTID", _variant_t(1L)}});
    EXPECT_TRUE(FAILED(Put(Form::Sync, change.Get(), WBEM_FLAG_UPDATE_ONLY).result));
    ExecSql("DROP TRIGGER FAIL_ACCESS_CLEANUP;");
    EXPECT_EQ(Scalar("SELECT SEGMENTID FROM EMP WHERE ID = " + id), "2");
    EXPECT_EQ(Count("BADGELINK", "BADGEKEY = 900 + " + id), "1");
}

TEST_F(PersonWrites, OneAccountIsLinkedOnceUnderConcurrentPuts)
{
    const long first = NewPerson(L"Bnt_Cardholder", L"Racer", 1);
    const long second = NewPerson(L"Bnt_Cardholder", L"Chaser", 2);
    const std::string account = "contested-" + std::to_string(first);
    const std::wstring wideAccount(account.begin(), account.end());
    ExecSql("INSERT INTO BNT_DIRECTORY_ACCOUNT (BNT_DIRECTORYID, ACCOUNTID) VALUES (2, '" + account + "');");
    constexpr int kThreads = 6;
    std::atomic<int> linked{0};
    std::atomic<int> refused{0};
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i)
        threads.emplace_back([&, i] {
            const CallerIdentity::Scope caller(CallerIdentity(RecordsCallers::kRecordsAdmin, SecurityImpersonation));
            const Reply reply = Link(i % 2 == 0 ? first : second, 2, wideAccount.c_str());
            if (reply.result == WBEM_S_NO_ERROR)
                ++linked;
            else if (EndsWith(Description(reply.statusObject.Get()),
                              "This account is already linked to an existing person."))
                ++refused;
        });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(linked.load(), 1);
    EXPECT_EQ(refused.load(), kThreads - 1);
    EXPECT_EQ(Count("CARDHOLDER_ACCOUNT", "ACCOUNTID = '" + account + "'"), "1");
    EXPECT_EQ(Count("USER_TRANSACTION_LOG", "OBJECT_TYPE = 58 AND OPERATION = 4 AND (DESCRIPTION LIKE 'Person " +
                                                std::to_string(first) + ":%' OR DESCRIPTION LIKE 'Person " +
                                                std::to_string(second) + ":%')"),
              "1")
        << "exactly the one link is audited";
}

TEST_F(PersonWrites, MultimediaObjectsNeedTheOwnersModifyRightOnBothWrites)
{
    const long owner = NewPerson(L"Bnt_Visitor", L"Pictured", 1);
    const std::string id = std::to_string(owner);
    auto photo = [&](long dataType) {
        return NewInstance(
            L"Bnt_MultimediaObject",
            {{L"PersonID", _variant_t(owner)}, {L"ObjectType", _variant_t(1L)}, {L"DataType", _variant_t(dataType)}});
    };
    CallAs(RecordsCallers::kRecordsAdmin);
    ASSERT_EQ(Put(Form::Sync, photo(0).Get(), 0).result, WBEM_S_NO_ERROR);
    EXPECT_EQ(Put(Form::Sync, photo(2).Get(), 0).result, WBEM_S_NO_ERROR) << "a thumbnail beside the photo";
    EXPECT_EQ(Put(Form::Sync, photo(0).Get(), 0).result, WBEM_E_NOT_SUPPORTED) << "an object is never modified";

    const std::wstring path = L"Bnt_MultimediaObject.PersonID=" + std::to_wstring(owner) + L",ObjectType=1,DataType=0";
    for (const wchar_t* caller : {RecordsCallers::kViewer, RecordsCallers::kVisitorClerk})
    {
        CallAs(caller);
        const Reply refused = Delete(Form::Sync, path);
        EXPECT_EQ(refused.result, WBEM_E_ACCESS_DENIED) << Hex(refused.result);
    }
    EXPECT_EQ(Count("MMOBJS", "EMPID = " + id), "2");
    CallAs(RecordsCallers::kHeadquartersClerk);
    EXPECT_EQ(Delete(Form::Sync, path).result, WBEM_S_NO_ERROR);
    EXPECT_EQ(Count("MMOBJS", "EMPID = " + id), "1");
    EXPECT_EQ(Count("EMP", "ID = " + id), "1") << "the owner, joined on part of the key, is not the object's row";
    EXPECT_EQ(
        Count("USER_TRANSACTION_LOG", "OBJECT_TYPE = 23 AND DESCRIPTION = 'Pictured,  (" + id + "), Photo Image'"),
        "3");
}

namespace {
// Three callers of the records administrator's rights in every segment, each lacking one of them:
// the cardholder modifier may not modify visitors, the visitor modifier may not modify
// cardholders, and the blind modifier may not view cardholders.
constexpr wchar_t kCardholderModifier[] = L"S-1-5-21-1004336348-1177238915-682003330-4195";
constexpr wchar_t kVisitorModifier[] = L"S-1-5-21-1004336348-1177238915-682003330-4196";
constexpr wchar_t kBlindModifier[] = L"S-1-5-21-1004336348-1177238915-682003330-4197";
constexpr const char* kModifierCallers = R"(
INSERT OR IGNORE INTO USER_PERM (USER_PERMID, NAME, SEGMENTID, TYPE, DEVICES_ARE_EXCLUDED) VALUES
    (195, 'Records: no visitor modify', -1, 2, 0), (196, 'Records: no cardholder modify', -1, 2, 0),
    (197, 'Records: no cardholder view', -1, 2, 0);
INSERT OR IGNORE INTO USER_PERM_GRANT (USER_PERMID, PERMISSIONID)
    SELECT 195, PERMISSIONID FROM USER_PERM_GRANT WHERE USER_PERMID = 61 AND PERMISSIONID <> 0x20000025;
INSERT OR IGNORE INTO USER_PERM_GRANT (USER_PERMID, PERMISSIONID)
    SELECT 196, PERMISSIONID FROM USER_PERM_GRANT WHERE USER_PERMID = 61 AND PERMISSIONID <> 0x20000005;
INSERT OR IGNORE INTO USER_PERM_GRANT (USER_PERMID, PERMISSIONID)
    SELECT 197, PERMISSIONID FROM USER_PERM_GRANT WHERE USER_PERMID = 61 AND PERMISSIONID <> 0x20000003;
INSERT OR IGNORE INTO USERS (USERID, LOGONID, FIRSTNAME, LASTNAME, SEGMENTID, MZID, LOGONPWD, ISENABLED,
    SYSTEM_USER_PERMID, MONITOR_USER_PERMID, CARD_USER_PERMID, REPORT_USER_PERMID, USER_PERM_UDFID, IS_AUTO_CREATED_USER,
    BNT_DBID) VALUES
    (195, 'cardholdermodifier', 'Cara', 'Modifier', -1, 0, (SELECT LOGONPWD FROM USERS WHERE USERID = 1), 1, 63, 0, 195,
     0, 0, 0, 1),
    (196, 'visitormodifier', 'Vito', 'Modifier', -1, 0, (SELECT LOGONPWD FROM USERS WHERE USERID = 1), 1, 63, 0, 196, 0,
     0, 0, 1),
    (197, 'blindmodifier', 'Bea', 'Modifier', -1, 0, (SELECT LOGONPWD FROM USERS WHERE USERID = 1), 1, 63, 0, 197, 0, 0,
     0, 1);
INSERT OR IGNORE INTO USER_ACCOUNT (USER_ACCOUNTID, USERID, BNT_DIRECTORYID, ACCOUNTID) VALUES
    (195, 195, 1, 'S-1-5-21-1004336348-1177238915-682003330-4195'),
    (196, 196, 1, 'S-1-5-21-1004336348-1177238915-682003330-4196'),
    (197, 197, 1, 'S-1-5-21-1004336348-1177238915-682003330-4197');
)";
}  // namespace

// A photo (or thumbnail) is added and removed by the right to modify its owner's kind alone, and
// each person holds one object of a type and kind.
TEST_F(PersonWrites, AMultimediaObjectIsWrittenByTheModifyRightOfItsOwnersKind)
{
    ExecSql(kModifierCallers);
    const long cardholder = NewPerson(L"Bnt_Cardholder", L"Portrait", 1);
    const long visitor = NewPerson(L"Bnt_Visitor", L"Snapshot", 2);
    auto object = [this](long owner, long dataType) {
        return NewInstance(
            L"Bnt_MultimediaObject",
            {{L"PersonID", _variant_t(owner)}, {L"ObjectType", _variant_t(1L)}, {L"DataType", _variant_t(dataType)}});
    };
    auto path = [](long owner, long dataType) {
        return L"Bnt_MultimediaObject.PersonID=" + std::to_wstring(owner) + L",ObjectType=1,DataType=" +
               std::to_wstring(dataType);
    };
    auto stored = [](long owner) {
        std::string types;
        for (const auto& row : e2e::DoorInstallation::Rows(
                 "SELECT TYPE FROM MMOBJS WHERE EMPID = " + std::to_string(owner) + " ORDER BY TYPE"))
            types += row.front() + ";";
        return types;
    };
    const wchar_t* const denied = CWmipMessages::kAccessDenied;
    // One write of an object: an add (a put that creates) or a delete.
    struct Write
    {
        const char* what;
        bool add;
        const wchar_t* caller;
        long owner;
        long dataType;
        HRESULT expected;
        const wchar_t* text;
    };
    const auto run = [&](const std::vector<Write>& writes) {
        for (const Write& w : writes)
        {
            SCOPED_TRACE(w.what);
            CallAs(w.caller);
            const Reply reply = w.add ? Put(Form::Sync, object(w.owner, w.dataType).Get(), WBEM_FLAG_CREATE_ONLY)
                                      : Delete(Form::Sync, path(w.owner, w.dataType));
            EXPECT_EQ(reply.result, w.expected) << Hex(reply.result) << " " << Description(reply.statusObject.Get());
            if (w.text != nullptr)
            {
                EXPECT_TRUE(EndsWith(Description(reply.statusObject.Get()), Utf8(w.text)))
                    << Description(reply.statusObject.Get());
            }
        }
    };
    run({
        {"the cardholder modifier, a cardholder's photo", true, kCardholderModifier, cardholder, 0, WBEM_S_NO_ERROR,
         nullptr},
        {"the cardholder modifier, a visitor's photo", true, kCardholderModifier, visitor, 0, WBEM_E_ACCESS_DENIED,
         denied},
        {"the visitor modifier, a visitor's thumbnail", true, kVisitorModifier, visitor, 2, WBEM_S_NO_ERROR, nullptr},
        {"the visitor modifier, a cardholder's thumbnail", true, kVisitorModifier, cardholder, 2, WBEM_E_ACCESS_DENIED,
         denied},
        {"the administrator, the cardholder's photo again", true, RecordsCallers::kRecordsAdmin, cardholder, 0,
         WBEM_E_ALREADY_EXISTS, CWmipMessages::kInstanceAlreadyExists},
        // A caller that may not see the cardholders' objects does not find the photo there: the
        // mapper's own count refuses the second one.
        {"a modifier blind to cardholders, the cardholder's photo again", true, kBlindModifier, cardholder, 0,
         WBEM_E_FAILED, CWmipMessages::kDuplicateMultimediaObject},
        {"the administrator, the visitor's photo", true, RecordsCallers::kRecordsAdmin, visitor, 0, WBEM_S_NO_ERROR,
         nullptr},
    });
    EXPECT_EQ(stored(cardholder), "0;");
    EXPECT_EQ(stored(visitor), "0;2;");
    run({
        {"the cardholder modifier, the visitor's photo", false, kCardholderModifier, visitor, 0, WBEM_E_ACCESS_DENIED,
         denied},
        {"the visitor modifier, the cardholder's photo", false, kVisitorModifier, cardholder, 0, WBEM_E_ACCESS_DENIED,
         denied},
        {"the cardholder modifier, the cardholder's photo", false, kCardholderModifier, cardholder, 0, WBEM_S_NO_ERROR,
         nullptr},
        {"the visitor modifier, the visitor's thumbnail", false, kVisitorModifier, visitor, 2, WBEM_S_NO_ERROR,
         nullptr},
    });
    EXPECT_EQ(stored(cardholder), "");
    EXPECT_EQ(stored(visitor), "0;");
}

TEST_F(PersonWrites, SecondarySegmentsAreAuditedAsAChangeOfThePerson)
{
    const long person = NewPerson(L"Bnt_Cardholder", L"Spread", 1);
    const std::string id = std::to_string(person);
    ExecSql("UPDATE EMP SET LASTCHANGED = '2000-01-01 00:00:00' WHERE ID = " + id);
    const std::wstring path = L"Bnt_PersonSecondarySegments.PersonID=" + std::to_wstring(person) + L",SegmentID=2";
    ComPtr<IWbemClassObject> link = NewInstance(L"Bnt_PersonSecondarySegments",
                                                {{L"PersonID", _variant_t(person)}, {L"SegmentID", _variant_t(2L)}});
    CallAs(RecordsCallers::kHeadquartersClerk);
    EXPECT_EQ(Put(Form::Sync, link.Get(), WBEM_FLAG_CREATE_ONLY).result, WBEM_E_ACCESS_DENIED)
        << "segment 2 is beyond the clerk: the link's own segment refusal";
    CallAs(RecordsCallers::kRecordsAdmin);
    ASSERT_EQ(Put(Form::Sync, link.Get(), WBEM_FLAG_CREATE_ONLY).result, WBEM_S_NO_ERROR);
    EXPECT_EQ(Put(Form::Sync, link.Get(), WBEM_FLAG_UPDATE_ONLY).result, WBEM_E_NOT_SUPPORTED);
    EXPECT_NE(Scalar("SELECT LASTCHANGED FROM EMP WHERE ID = " + id), "2000-01-01 00:00:00");
    ASSERT_EQ(Delete(Form::Sync, path).result, WBEM_S_NO_ERROR);
    EXPECT_EQ(Count("USER_TRANSACTION_LOG",
                    "OBJECT_TYPE = 43 AND OPERATION = 6 AND DESCRIPTION = 'Person " + id + ": Spread,  '"),
              "2");
}

TEST_F(PersonWrites, APrimarySegmentOfAnotherTypeIsRefusedBeforeItsAccess)
{
    // A client's value reaches the mapper in the type the class gives it; the mapper still
    // refuses any other type on its own (asked directly, as the bus front end may ask it).
    CallAs(RecordsCallers::kHeadquartersClerk);
    DBConnectionManager* manager = CWmipApp::GetConnectionManager();
    CAcsUser* connection = manager->Connection(0);
    ASSERT_NE(connection, nullptr);
    {
        const std::unique_ptr<CWmipClassMapper> mapper(
            CWmipMapperRegistry::GetMapper(connection, nullptr, Services(), L"Bnt_Cardholder", Door::kWmi));
        ASSERT_NE(mapper, nullptr);
        const struct
        {
            _variant_t value;
            HRESULT expected;
        } cases[] = {{_variant_t(L"1"), WBEM_E_INVALID_PARAMETER},
                     {_variant_t(1.0), WBEM_E_INVALID_PARAMETER},
                     {_variant_t(static_cast<LONG>(2)), WBEM_E_ACCESS_DENIED},
                     {_variant_t(static_cast<LONG>(1)), S_OK},
                     {_variant_t(static_cast<LONGLONG>(1)), WBEM_E_INVALID_PARAMETER}};
        for (const auto& c : cases)
        {
            _variant_t value(c.value);
            HRESULT result = S_OK;
            try
            {
                result = mapper->IsValidValue(nullptr, L"PRIMARYSEGMENTID", value.GetVARIANT());
            }
            catch (const brontel::utility::CWMIException& e)
            {
                result = e.GetHResult();
            }
            EXPECT_EQ(result, c.expected) << Hex(c.expected);
        }
    }
    manager->ReleaseConnection(connection);
}
