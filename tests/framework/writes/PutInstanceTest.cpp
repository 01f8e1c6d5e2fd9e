#include "tests/framework/writes/WritesTestFixture.h"

#include "common/Crypto.h"
#include "framework/CWmipInstanceWriter.h"
#include "framework/CWmipObjectPath.h"
#include "framework/WMIHelper.h"
#include "platform/com/SafeArray.h"
#include "tests/support/IntegerArray.h"

#include <cstring>

using namespace writestest;

namespace {

class PutInstance : public WritesTest
{
protected:
    // A new person with the values a create needs.
    ComPtr<IWbemClassObject> NewPerson(CWmipClassMapper& mapper, const wchar_t* lastName = L"Fischer")
    {
        ComPtr<IWbemClassObject> person = NewInstance(mapper);
        Set(person.Get(), L"LastName", _variant_t(lastName));
        Set(person.Get(), L"Ssno", _variant_t(L"S-77"));
        return person;
    }
};

TEST_F(PutInstance, CreateGeneratesTheKeyAndFillsDefaultsAndLinkedRows)
{
    auto mapper = MakeMapper<TestPersonMapper>(L"Wrt_Person");
    ComPtr<IWbemClassObject> person = NewPerson(*mapper);
    const auto [hr, path] = Put(*mapper, person.Get(), WBEM_FLAG_CREATE_ONLY);
    ASSERT_EQ(hr, S_OK) << CStringToUtf8(path);
    // NEXTID gives 10 for persons in the demo (rows 1-9 exist).
    EXPECT_EQ(CStringToUtf8(path), "Wrt_Person.ID=\"10\"");
    EXPECT_EQ(Scalar("SELECT LASTNAME || '|' || SSNO || '|' || SEGMENTID || '|' || GUARD FROM EMP WHERE ID = 10"),
              "Fischer|S-77|1|7");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM UDFEMP WHERE ID = 10"), "1") << "the linked table gets its row";
    EXPECT_EQ(support::PropertyCString(person.Get(), L"ID"), L"10")
        << "the generated key is put back into the instance";
    EXPECT_EQ(support::PropertyCString(person.Get(), L"SegmentID"), L"1") << "the default is put back too";
}

TEST_F(PutInstance, CallsTheMappersOperationsInTheirFixedOrder)
{
    auto mapper = MakeMapper<TestPersonMapper>(L"Wrt_Person");
    ComPtr<IWbemClassObject> person = NewPerson(*mapper);
    ASSERT_EQ(Put(*mapper, person.Get(), WBEM_FLAG_CREATE_ONLY).first, S_OK);
    EXPECT_EQ(mapper->m_log.calls,
              (std::vector<std::string>{"CanAdd", "AddAdditionalFields EMP", "AddAdditionalFields UDFEMP",
                                        "CanAdd instance", "Before 4", "Log 4", "After 4"}));

    mapper->m_log.calls.clear();
    Set(person.Get(), L"FirstName", _variant_t(L"Franz"));
    ASSERT_EQ(Put(*mapper, person.Get(), WBEM_FLAG_UPDATE_ONLY).first, S_OK);
    EXPECT_EQ(mapper->m_log.calls,
              (std::vector<std::string>{"CanModify", "CanModify instance", "Before 6", "Log 6", "After 6"}))
        << "an update inserts no row, so AddAdditionalFields is not asked";
}

TEST_F(PutInstance, FlagsDecideBetweenCreateAndUpdate)
{
    auto mapper = MakeMapper<TestPersonMapper>(L"Wrt_Person");
    // Create or update (0) with the key of an existing person updates it.
    ComPtr<IWbemClassObject> existing = NewPerson(*mapper, L"Adler-Neu");
    Set(existing.Get(), L"ID", _variant_t(1L));
    Set(existing.Get(), L"Ssno", _variant_t(L"E-1001"));
    EXPECT_EQ(Put(*mapper, existing.Get(), 0).first, S_OK);
    EXPECT_EQ(Scalar("SELECT LASTNAME FROM EMP WHERE ID = 1"), "Adler-Neu");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM EMP"), "9");

    // Create or update without a key creates.
    ComPtr<IWbemClassObject> fresh = NewPerson(*mapper, L"Neu");
    EXPECT_EQ(Put(*mapper, fresh.Get(), 0).first, S_OK);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM EMP"), "10");

    // Update-only of a person that does not exist, and create-only of one that does.
    ComPtr<IWbemClassObject> missing = NewPerson(*mapper);
    Set(missing.Get(), L"ID", _variant_t(99L));
    EXPECT_EQ(
        Put(*mapper, missing.Get(), WBEM_FLAG_UPDATE_ONLY),
        std::make_pair(WBEM_E_NOT_FOUND, CString(L"The requested instance could not be retrieved or does not exist.")));
    EXPECT_EQ(Put(*mapper, existing.Get(), WBEM_FLAG_CREATE_ONLY).first, WBEM_E_ALREADY_EXISTS);
    ComPtr<IWbemClassObject> both = NewPerson(*mapper);
    EXPECT_EQ(Put(*mapper, both.Get(), WBEM_FLAG_CREATE_ONLY | WBEM_FLAG_UPDATE_ONLY).first, WBEM_E_INVALID_PARAMETER);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM EMP"), "10");
}

TEST_F(PutInstance, RefusalsCarryTheirCodeAndMessage)
{
    auto mapper = MakeMapper<TestPersonMapper>(L"Wrt_Person");
    struct Case
    {
        const char* what;
        const wchar_t* property;
        _variant_t value;
        LONG flags;
        HRESULT hr;
        const wchar_t* message;
    };
    const Case cases[] = {
        {"not_null without default", L"LastName", _variant_t(), WBEM_FLAG_CREATE_ONLY, WBEM_E_ILLEGAL_NULL,
         L"The required property LastName had no value and no default was provided."},
        {"empty text counts as no value", L"LastName", _variant_t(L""), WBEM_FLAG_CREATE_ONLY, WBEM_E_ILLEGAL_NULL,
         L"The required property LastName had no value and no default was provided."},
        {"longer than maxlen", L"LastName", _variant_t(L"ABCDEFGHIJKLMNOPQRSTUVWXYZ"), WBEM_FLAG_CREATE_ONLY,
         WBEM_E_INVALID_PARAMETER, L"The property LastName did not exist or contained an invalid value."},
        {"number that is no number", L"SegmentID", _variant_t(L"12abc"), WBEM_FLAG_CREATE_ONLY,
         WBEM_E_INVALID_PARAMETER, L"The property SegmentID did not exist or contained an invalid value."},
        {"date-time that is no date", L"LastChanged", _variant_t(L"20241399000000.000000+000"), WBEM_FLAG_CREATE_ONLY,
         WBEM_E_INVALID_PARAMETER, L"The property LastChanged did not exist or contained an invalid value."},
        {"generated key given on create", L"ID", _variant_t(77L), WBEM_FLAG_CREATE_ONLY, WBEM_E_FAILED,
         L"The property ID is not editable, but a value was specified that was different from the current value."},
        {"generated key of no stored instance", L"ID", _variant_t(77L), WBEM_FLAG_CREATE_OR_UPDATE, WBEM_E_NOT_FOUND,
         L"The requested instance could not be retrieved or does not exist."},
    };
    for (const Case& c : cases)
    {
        ComPtr<IWbemClassObject> person = NewPerson(*mapper);
        Set(person.Get(), c.property, c.value);
        EXPECT_EQ(Put(*mapper, person.Get(), c.flags), std::make_pair(c.hr, CString(c.message))) << c.what;
    }
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM EMP"), "9") << "no refusal writes anything";
}

TEST_F(PutInstance, ReadTogetherWithNotNullIsSettableOnCreateOnly)
{
    auto mapper = MakeMapper<TestPersonMapper>(L"Wrt_Person");
    ComPtr<IWbemClassObject> person = NewPerson(*mapper);
    Set(person.Get(), L"Ssno", _variant_t());
    EXPECT_EQ(Put(*mapper, person.Get(), WBEM_FLAG_CREATE_ONLY).second,
              L"The required property Ssno had no value and no default was provided.");
    person = NewPerson(*mapper);
    Set(person.Get(), L"Ssno", _variant_t(L"S-1"));
    ASSERT_EQ(Put(*mapper, person.Get(), WBEM_FLAG_CREATE_ONLY).first, S_OK);

    // On modify the same value passes, another one is refused, none keeps the stored one.
    EXPECT_EQ(Put(*mapper, person.Get(), WBEM_FLAG_UPDATE_ONLY).first, S_OK);
    Set(person.Get(), L"Ssno", _variant_t(L"S-2"));
    EXPECT_EQ(
        Put(*mapper, person.Get(), WBEM_FLAG_UPDATE_ONLY),
        std::make_pair(WBEM_E_FAILED, CString(L"The property Ssno is not editable, but a value was specified that "
                                              L"was different from the current value.")));
    Set(person.Get(), L"Ssno", _variant_t());
    Set(person.Get(), L"FirstName", _variant_t(L"Fritz"));
    EXPECT_EQ(Put(*mapper, person.Get(), WBEM_FLAG_UPDATE_ONLY).first, S_OK);
    EXPECT_EQ(Scalar("SELECT SSNO || '|' || FIRSTNAME FROM EMP WHERE ID = " +
                     CStringToUtf8(support::PropertyCString(person.Get(), L"ID"))),
              "S-1|Fritz");
}

TEST_F(PutInstance, UpdateLeavesPropertiesWithoutValueAsStored)
{
    auto mapper = MakeMapper<TestPersonMapper>(L"Wrt_Person");
    ComPtr<IWbemClassObject> partial = NewInstance(*mapper);
    Set(partial.Get(), L"ID", _variant_t(2L));
    Set(partial.Get(), L"FirstName", _variant_t(L"Benno"));
    ASSERT_EQ(Put(*mapper, partial.Get(), WBEM_FLAG_UPDATE_ONLY).first, S_OK);
    EXPECT_EQ(Scalar("SELECT LASTNAME || '|' || FIRSTNAME || '|' || SSNO FROM EMP WHERE ID = 2"),
              "Brandt|Benno|E-1002");
    // An empty text clears a column that may be empty, and is refused for one that may not.
    Set(partial.Get(), L"FirstName", _variant_t(L""));
    ASSERT_EQ(Put(*mapper, partial.Get(), WBEM_FLAG_UPDATE_ONLY).first, S_OK);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM EMP WHERE ID = 2 AND FIRSTNAME IS NULL"), "1");
    Set(partial.Get(), L"LastName", _variant_t(L""));
    EXPECT_EQ(Put(*mapper, partial.Get(), WBEM_FLAG_UPDATE_ONLY).first, WBEM_E_ILLEGAL_NULL);
}

TEST_F(PutInstance, ValuesAreBoundNeverPastedIntoSql)
{
    auto mapper = MakeMapper<TestPersonMapper>(L"Wrt_Person");
    ComPtr<IWbemClassObject> person = NewPerson(*mapper, L"x';DROP TABLE EMP--");
    ASSERT_EQ(Put(*mapper, person.Get(), WBEM_FLAG_CREATE_ONLY).first, S_OK);
    EXPECT_EQ(Scalar("SELECT LASTNAME FROM EMP WHERE ID = 10"), "x';DROP TABLE EMP--");
}

TEST_F(PutInstance, DateTimesAreStoredAsLocalWallClock)
{
    auto mapper = MakeMapper<TestPersonMapper>(L"Wrt_Person");
    ComPtr<IWbemClassObject> person = NewPerson(*mapper);
    Set(person.Get(), L"LastChanged", _variant_t(L"20240315103000.000000+000"));
    ASSERT_EQ(Put(*mapper, person.Get(), WBEM_FLAG_CREATE_ONLY).first, S_OK);
    const COleDateTime local = WMIHelper::UtcToLocal(COleDateTime(2024, 3, 15, 10, 30, 0));
    EXPECT_EQ(Scalar("SELECT LASTCHANGED FROM EMP WHERE ID = 10"), CStringToUtf8(local.Format(L"%Y-%m-%d %H:%M:%S")));
}

TEST_F(PutInstance, AFailureAtAnyStepLeavesNothingWritten)
{
    const std::string audits = Scalar("SELECT COUNT(*) FROM USER_TRANSACTION_LOG");
    const auto expectUnchanged = [&](const char* what) {
        EXPECT_EQ(Scalar("SELECT COUNT(*) FROM EMP"), "9") << what;
        EXPECT_EQ(Scalar("SELECT COUNT(*) FROM USER_TRANSACTION_LOG"), audits) << what;
    };

    {
        // The main table's statement fails.
        auto mapper = MakeMapper<TestPersonMapper>(L"Wrt_Person");
        mapper->m_failStatements = 1;
        ComPtr<IWbemClassObject> person = NewPerson(*mapper);
        EXPECT_EQ(
            Put(*mapper, person.Get(), WBEM_FLAG_CREATE_ONLY),
            std::make_pair(WBEM_E_FAILED, CString(L"The system was unable to write the instance to the database.")));
        expectUnchanged("main table");
        EXPECT_EQ(mapper->m_log.calls.back(), "Before 4") << "neither audit nor AfterWriteInstance ran";
    }
    {
        // The main row is written, then the linked table's row fails (a stray UDFEMP row holds the key).
        m_installation.Exec("INSERT INTO UDFEMP (ID) SELECT NEXTVAL FROM NEXTID WHERE TYPE = 2;");
        auto mapper = MakeMapper<TestPersonMapper>(L"Wrt_Person");
        ComPtr<IWbemClassObject> person = NewPerson(*mapper);
        EXPECT_EQ(Put(*mapper, person.Get(), WBEM_FLAG_CREATE_ONLY).first, WBEM_E_FAILED);
        expectUnchanged("linked table");
        m_installation.Exec("DELETE FROM UDFEMP WHERE ID > 5;");
    }
    {
        // Both tables are written, then the audit entry fails: the write must not stand unaudited.
        auto mapper = MakeMapper<TestPersonMapper>(L"Wrt_Person");
        mapper->m_failAudit = true;
        ComPtr<IWbemClassObject> person = NewPerson(*mapper);
        EXPECT_EQ(Put(*mapper, person.Get(), WBEM_FLAG_CREATE_ONLY).first, WBEM_E_FAILED);
        expectUnchanged("audit");
        EXPECT_EQ(Scalar("SELECT COUNT(*) FROM UDFEMP"), "3");
    }
    {
        // And the write goes through once nothing fails.
        auto mapper = MakeMapper<TestPersonMapper>(L"Wrt_Person");
        ComPtr<IWbemClassObject> person = NewPerson(*mapper);
        EXPECT_EQ(Put(*mapper, person.Get(), WBEM_FLAG_CREATE_ONLY).first, S_OK);
        EXPECT_EQ(Scalar("SELECT COUNT(*) FROM EMP"), "10");
    }
}

TEST_F(PutInstance, AnExceptionOfAHookBeforeTheWriteWritesNothing)
{
    auto mapper = MakeMapper<TestPersonMapper>(L"Wrt_Person");
    mapper->m_throwBefore = true;
    ComPtr<IWbemClassObject> person = NewPerson(*mapper);
    EXPECT_EQ(Put(*mapper, person.Get(), WBEM_FLAG_CREATE_ONLY).first, WBEM_E_ACCESS_DENIED);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM EMP"), "9");
}

TEST_F(PutInstance, TheHooksWriteInsideTheWritesTransaction)
{
    const std::string nextId = Scalar("SELECT NEXTVAL FROM NEXTID WHERE TYPE = 2");
    const struct
    {
        bool throwAfter;
        const char* persons;
        const char* hookRows;
    } cases[] = {{true, "9", "0"}, {false, "10", "1"}};
    for (const auto& c : cases)
    {
        auto mapper = MakeMapper<TestPersonMapper>(L"Wrt_Person");
        mapper->m_hookWrites = true;
        mapper->m_throwAfter = c.throwAfter;
        ComPtr<IWbemClassObject> person = NewPerson(*mapper);
        EXPECT_EQ(SUCCEEDED(Put(*mapper, person.Get(), WBEM_FLAG_CREATE_ONLY).first), !c.throwAfter);
        EXPECT_EQ(Scalar("SELECT COUNT(*) FROM EMP"), c.persons) << c.throwAfter;
        EXPECT_EQ(Scalar("SELECT COUNT(*) FROM CONFIG_VALUE WHERE CONFIGID = 7777"), c.hookRows) << c.throwAfter;
        if (c.throwAfter)
        {
            EXPECT_EQ(Scalar("SELECT NEXTVAL FROM NEXTID WHERE TYPE = 2"), nextId) << "the drawn key went back too";
        }
    }
    // A delete's hooks are inside its transaction as well.
    auto mapper = MakeMapper<TestPersonMapper>(L"Wrt_Person");
    mapper->m_throwAfter = true;
    CWmipObjectPath path(L"Wrt_Person");
    path.AddKey(L"ID", 10L);
    EXPECT_THROW(mapper->DeleteInstance(&path), CWMIException);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM EMP WHERE ID = 10"), "1");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM UDFEMP WHERE ID = 10"), "1");
}

TEST_F(PutInstance, AuditAndReplicationRowsFollowTheWrite)
{
    auto mapper = MakeMapper<TestPersonMapper>(L"Wrt_Person");
    ComPtr<IWbemClassObject> person = NewPerson(*mapper, L"Audit");
    ASSERT_EQ(Put(*mapper, person.Get(), WBEM_FLAG_CREATE_ONLY).first, S_OK);
    EXPECT_EQ(Scalar("SELECT USERID || '|' || OPERATION || '|' || OBJECT_TYPE || '|' || DESCRIPTION FROM "
                     "USER_TRANSACTION_LOG ORDER BY USER_TRANSACTION_LOGID DESC LIMIT 1"),
              "1|4|13|Audit");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM REPL_TRANSACTION_LOG"), "0") << "server type 0 replicates nothing";

    m_installation.Exec("UPDATE CONFIG_VALUE SET NUMBERVALUE = 1 WHERE CONFIGID = 1002;");
    auto replicated = std::make_unique<CAcsUser>();
    ASSERT_TRUE(replicated->Login(nullptr, nullptr, nullptr, -1, 1));
    CWmipUserCacheEntry entry(std::move(replicated), nullptr, 0);
    auto second = MakeMapper<TestPersonMapper>(L"Wrt_Person");
    second->SetUserEntry(nullptr);
    second->SetUserEntry(&entry);
    Set(person.Get(), L"FirstName", _variant_t(L"Again"));
    const int lent = m_manager->GetLentCount();
    ASSERT_EQ(Put(*second, person.Get(), WBEM_FLAG_UPDATE_ONLY).first, S_OK);
    EXPECT_EQ(Scalar("SELECT USERID || '|' || ACTION || '|' || OBJECT_TYPE || '|' || EMPID FROM REPL_TRANSACTION_LOG"),
              "1|3|1|10");
    EXPECT_EQ(m_manager->GetLentCount(), lent) << "the replication connection was given back";

    // A failed write logs no replication entry either.
    second->m_failStatements = 1;
    EXPECT_EQ(Put(*second, person.Get(), WBEM_FLAG_UPDATE_ONLY).first, WBEM_E_FAILED);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM REPL_TRANSACTION_LOG"), "1");
    EXPECT_EQ(m_manager->GetLentCount(), lent);
}

TEST_F(PutInstance, PinsAreStoredEncryptedOnlyWhenMadeOfDigits)
{
    auto mapper = MakeMapper(L"Wrt_Badge");
    const struct
    {
        const wchar_t* pin;
        bool stored;
    } cases[] = {{L"1234", true}, {L"000000009", true}, {L"12a4", false}, {L" 123", false}, {L"-12", false}};
    for (const auto& c : cases)
    {
        ComPtr<IWbemClassObject> badge = NewInstance(*mapper);
        Set(badge.Get(), L"BadgeID", _variant_t(L"900000000001"));
        Set(badge.Get(), L"PersonID", _variant_t(1L));
        Set(badge.Get(), L"Pin", _variant_t(c.pin));
        const auto [hr, path] = Put(*mapper, badge.Get(), WBEM_FLAG_CREATE_ONLY);
        ASSERT_EQ(hr, S_OK) << CStringToUtf8(path);
        const std::string key = CStringToUtf8(support::PropertyCString(badge.Get(), L"BadgeKey"));
        if (!c.stored)
        {
            EXPECT_EQ(Scalar("SELECT COUNT(*) FROM BADGE WHERE PIN IS NULL AND BADGEKEY = " + key), "1")
                << CStringToUtf8(c.pin);
            continue;
        }
        CDynamicRecordset rows(m_connection->GetDatabase());
        rows.SetTable(L"BADGE");
        rows.AddColumnToSet(L"PIN", L"BADGE");
        rows.AddColumnToSet(L"ID", L"BADGE");
        rows.AddFilterLong(L"BADGE.BADGEKEY", std::stol(key));
        rows.OpenForwardOnly();
        ASSERT_FALSE(rows.IsEOF());
        EXPECT_EQ(rows.GetLongLong(1), 900000000001LL);
        CString clear;
        EXPECT_TRUE(brontel::crypto::Crypto().DecryptPinString(rows.GetBytes(0), clear));
        EXPECT_EQ(clear, c.pin);
    }
}

TEST_F(PutInstance, EncryptedTextFieldsAreStoredEncrypted)
{
    auto mapper = MakeMapper<TestPersonMapper>(L"Wrt_Person");
    ComPtr<IWbemClassObject> person = NewPerson(*mapper);
    Set(person.Get(), L"Notes", _variant_t(L"keep this secret"));
    ASSERT_EQ(Put(*mapper, person.Get(), WBEM_FLAG_CREATE_ONLY).first, S_OK);
    CDynamicRecordset rows(m_connection->GetDatabase());
    rows.SetTable(L"UDFEMP");
    rows.AddColumnToSet(L"NOTES", L"UDFEMP");
    rows.AddFilterLong(L"UDFEMP.ID", 10);
    rows.OpenForwardOnly();
    ASSERT_FALSE(rows.IsEOF());
    const std::vector<BYTE> cipher = rows.GetBytes(0);
    EXPECT_FALSE(cipher.empty());
    CString clear;
    EXPECT_TRUE(brontel::crypto::Crypto().DecryptString(cipher, clear));
    EXPECT_EQ(clear, L"keep this secret");
}

namespace {

// A uint8 array value holding the bytes.
_variant_t ByteArrayValue(const std::vector<BYTE>& bytes)
{
    return support::ArrayValue(VT_UI1, bytes);
}

}  // namespace

TEST_F(PutInstance, ByteArrayClassesStoreBytesFromArraysAndHexText)
{
    auto mapper = MakeMapper(L"Wrt_Fips");
    ComPtr<IWbemClassObject> fips = NewInstance(*mapper);
    Set(fips.Get(), L"BadgeKey", _variant_t(1L));
    Set(fips.Get(), L"Fascn", _variant_t(L"0AFF"));
    Set(fips.Get(), L"PrivacyKey", ByteArrayValue({0x10, 0x11, 0x12}));
    ASSERT_EQ(Put(*mapper, fips.Get(), WBEM_FLAG_CREATE_ONLY).first, S_OK);
    EXPECT_EQ(Scalar("SELECT hex(FASCN) || '|' || hex(TWIC_PRIVACY_KEY) FROM BADGE_FIPS201 WHERE BADGEKEY = 1"),
              "0AFF|101112");

    for (const wchar_t* bad : {L"0AF", L"ZZ", L"0x0A"})
    {
        Set(fips.Get(), L"Fascn", _variant_t(bad));
        EXPECT_EQ(Put(*mapper, fips.Get(), WBEM_FLAG_UPDATE_ONLY),
                  std::make_pair(WBEM_E_INVALID_PARAMETER,
                                 CString(L"The property Fascn did not exist or contained an invalid value.")))
            << CStringToUtf8(bad);
    }
}

TEST_F(PutInstance, BinaryValuesHaveTheirOwnSizeLimit)
{
    auto mapper = MakeMapper(L"Wrt_Fips");
    ComPtr<IWbemClassObject> fips = NewInstance(*mapper);
    Set(fips.Get(), L"BadgeKey", _variant_t(1L));
    Set(fips.Get(), L"PrivacyKey", ByteArrayValue({1}));
    ASSERT_EQ(Put(*mapper, fips.Get(), WBEM_FLAG_CREATE_ONLY).first, S_OK);
    // Beyond what the encryption layer takes, and up to the binary limit (an array one byte
    // longer cannot be made: the array layer holds at most as many elements).
    static_assert(CWmipInstanceWriter::kMaxBinaryBytes <= kMaxSafeArrayElements);
    for (const std::size_t bytes : {brontel::crypto::Crypto::kMaxBytes + 1, CWmipInstanceWriter::kMaxBinaryBytes})
    {
        Set(fips.Get(), L"PrivacyKey", ByteArrayValue(std::vector<BYTE>(bytes, 0x5A)));
        EXPECT_EQ(Put(*mapper, fips.Get(), WBEM_FLAG_UPDATE_ONLY).first, S_OK) << bytes;
        EXPECT_EQ(Scalar("SELECT length(TWIC_PRIVACY_KEY) FROM BADGE_FIPS201 WHERE BADGEKEY = 1"),
                  std::to_string(bytes));
    }
}

TEST_F(PutInstance, PermissionsAreCheckedBeforeAnythingIsStaged)
{
    m_installation.Exec("DELETE FROM USER_PERM_GRANT WHERE PERMISSIONID = 536870916;");
    auto refused = std::make_unique<CAcsUser>();
    ASSERT_TRUE(refused->Login(nullptr, nullptr, nullptr, -1, 1));
    CWmipUserCacheEntry entry(std::move(refused), nullptr, 0);
    auto mapper = MakeMapper<TestPersonMapper>(L"Wrt_Person");
    mapper->SetUserEntry(nullptr);
    mapper->SetUserEntry(&entry);
    ComPtr<IWbemClassObject> person = NewPerson(*mapper);
    EXPECT_EQ(Put(*mapper, person.Get(), WBEM_FLAG_CREATE_ONLY),
              std::make_pair(WBEM_E_ACCESS_DENIED, CString(L"The client does not have sufficient user permissions to "
                                                           L"perform the requested operation.")));
    EXPECT_EQ(mapper->m_log.calls, (std::vector<std::string>{"CanAdd"}));
}

}  // namespace
