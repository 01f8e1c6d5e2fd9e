#include "tests/framework/writes/WritesTestFixture.h"

#include "framework/CWmipObjectPath.h"
#include "platform/wmi/IWbemQualifierSet.h"
#include "tests/support/ArrayTexts.h"

using namespace writestest;

namespace {

// The layout of the test cardholder: four fields of UDFEMP (one restricted to field group 7,
// one from the list DEPT), a visitor-layout row and a badge-layout row that must not show.
class UDFClassMapper : public WritesTest
{
protected:
    void SetUp() override
    {
        WritesTest::SetUp();
        m_installation.Exec(
            "DELETE FROM UDFOBJS; DELETE FROM DDFLD;"  // this test's own layout only
            "ALTER TABLE UDFEMP ADD COLUMN DEPT INTEGER; ALTER TABLE UDFEMP ADD COLUMN COLOR TEXT;"
            "ALTER TABLE UDFEMP ADD COLUMN EMPNO TEXT; ALTER TABLE UDFEMP ADD COLUMN SECRET TEXT;"
            "INSERT INTO SEGMENT (SEGMENTID, NAME, TYPE) VALUES (3, 'Elsewhere', 0);"
            "CREATE TABLE DEPT (ID INTEGER PRIMARY KEY, NAME TEXT, SEGMENTID INTEGER);"
            "INSERT INTO DEPT VALUES (1, 'Sales', 1), (2, 'Operations', 2), (3, 'Hidden', 3);"
            "INSERT INTO DDTBL (ID, NAME, TBLNAME, ISLIST) VALUES (50, 'Departments', 'DEPT', 1);"
            "INSERT INTO DDFLD (DDFLDID, FLDNAME, CIMTYPE, MAXLEN, REQUIRED, ISUNIQUE, POSSIBLE_VALUES, "
            "POSSIBLE_LABELS,"
            " LISTID) VALUES (101, 'DEPT', 3, 0, 0, 0, NULL, NULL, 50),"
            " (102, 'COLOR', 8, 10, 0, 0, 'R|G|B', 'Red|Green|Blue', NULL),"
            " (103, 'EMPNO', 8, 20, 1, 1, NULL, NULL, NULL), (104, 'SECRET', 8, 20, 0, 0, NULL, NULL, NULL),"
            " (105, 'VISITORONLY', 8, 20, 0, 0, NULL, NULL, NULL);"
            "INSERT INTO UDFOBJS (UDFOBJSID, TBLID, DDFLDID, DBOBJTYPE, LFIELD, LABEL, USER_PERM_UDFID) VALUES"
            " (1, 2, 101, 1, 3, 'Department', 0), (2, 2, 102, 1, 1, 'Badge colour', 0),"
            " (3, 2, 103, 1, 2, 'Employee number', 0), (4, 2, 104, 1, 4, 'Secret', 7),"
            " (5, 2, 105, 9, 5, 'Visitor only', 0), (6, 3, 105, 1, 6, 'Badge field', 0);"
            "UPDATE UDFEMP SET EMPNO = 'E1' WHERE ID = 1;"
            "INSERT INTO BDGREQFLDLINK (BADGETYPEID, DDFLDID) VALUES (1, 103), (1, 102);");
    }

    ComPtr<IWbemClassObject> NewCardholder(CWmipClassMapper& mapper, const wchar_t* empNo)
    {
        ComPtr<IWbemClassObject> person = NewInstance(mapper);
        Set(person.Get(), L"LASTNAME", _variant_t(L"Udo"));
        Set(person.Get(), L"EMPNO", _variant_t(empNo));
        return person;
    }

    static std::vector<CString> Strings(IWbemClassObject* definition, const wchar_t* property, const wchar_t* qualifier)
    {
        ComPtr<IWbemQualifierSet> qualifiers;
        std::vector<CString> result;
        if (FAILED(definition->GetPropertyQualifierSet(property, &qualifiers)))
            return result;
        _variant_t value;
        if (FAILED(qualifiers->Get(qualifier, 0, &value, nullptr)))
            return result;
        for (const std::wstring& text : support::ArrayTexts(value))
            result.emplace_back(text.c_str());
        return result;
    }
};

TEST_F(UDFClassMapper, BuildsTheClassFromTheLayoutInFieldOrder)
{
    auto mapper = MakeMapper<TestCardholderMapper>(L"Wrt_Cardholder");
    ASSERT_NE(mapper, nullptr);
    std::vector<CString> fields;
    for (const auto& field : mapper->GetLayout())
        fields.push_back(field.property + L"@" + field.table);
    EXPECT_EQ(fields, (std::vector<CString>{L"COLOR@UDFEMP", L"EMPNO@UDFEMP", L"DEPT@UDFEMP", L"SECRET@UDFEMP"}))
        << "LFIELD order; the visitor layout and the badge table's fields stay out";

    ComPtr<IWbemClassObject> definition;
    ASSERT_EQ(mapper->CreateClass(&definition, FALSE), S_OK);
    EXPECT_EQ(support::PropertyCString(definition.Get(), L"__class"), L"Wrt_Cardholder");
    _variant_t missing;
    EXPECT_NE(definition->Get(L"VISITORONLY", 0, &missing, nullptr, nullptr), S_OK);
    EXPECT_EQ(Strings(definition.Get(), L"COLOR", L"ValueMap"), (std::vector<CString>{L"R", L"G", L"B"}));
    EXPECT_EQ(Strings(definition.Get(), L"COLOR", L"Values"), (std::vector<CString>{L"Red", L"Green", L"Blue"}));
    // The operator reaches segments 1 and 2: the department in segment 3 is not offered.
    EXPECT_EQ(Strings(definition.Get(), L"DEPT", L"ValueMap"), (std::vector<CString>{L"1", L"2"}));
    EXPECT_EQ(Strings(definition.Get(), L"DEPT", L"Values"), (std::vector<CString>{L"Sales", L"Operations"}));
    ComPtr<IWbemQualifierSet> qualifiers;
    ASSERT_EQ(definition->GetPropertyQualifierSet(L"EMPNO", &qualifiers), S_OK);
    for (const wchar_t* name : {L"not_null", L"Unique", L"maxlen", L"DisplayName"})
    {
        _variant_t value;
        EXPECT_EQ(qualifiers->Get(name, 0, &value, nullptr), S_OK) << CStringToUtf8(name);
    }
    ComPtr<IWbemQualifierSet> key;
    ASSERT_EQ(definition->GetPropertyQualifierSet(L"ID", &key), S_OK);
    _variant_t isKey;
    EXPECT_EQ(key->Get(L"key", 0, &isKey, nullptr), S_OK) << "the registered key is part of the class";
}

TEST_F(UDFClassMapper, WritesCheckValueListsListTablesAndUniqueness)
{
    auto mapper = MakeMapper<TestCardholderMapper>(L"Wrt_Cardholder");
    const struct
    {
        const wchar_t* property;
        _variant_t value;
        HRESULT hr;
        const wchar_t* message;
    } refused[] = {
        {L"COLOR", _variant_t(L"Y"), WBEM_E_INVALID_PARAMETER,
         L"The property COLOR did not exist or contained an invalid value."},
        {L"DEPT", _variant_t(3L), WBEM_E_INVALID_PARAMETER,
         L"The property DEPT did not exist or contained an invalid value."},
        {L"DEPT", _variant_t(9L), WBEM_E_INVALID_PARAMETER,
         L"The property DEPT did not exist or contained an invalid value."},
        {L"EMPNO", _variant_t(L"E1"), WBEM_E_FAILED, L"The property EMPNO contained an non-unique value."},
    };
    for (const auto& r : refused)
    {
        ComPtr<IWbemClassObject> person = NewCardholder(*mapper, L"E2");
        Set(person.Get(), r.property, r.value);
        EXPECT_EQ(Put(*mapper, person.Get(), WBEM_FLAG_CREATE_ONLY), std::make_pair(r.hr, CString(r.message)))
            << CStringToUtf8(r.property);
    }
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM EMP"), "9");

    ComPtr<IWbemClassObject> person = NewCardholder(*mapper, L"E2");
    Set(person.Get(), L"COLOR", _variant_t(L"G"));
    Set(person.Get(), L"DEPT", _variant_t(2L));
    const auto [hr, path] = Put(*mapper, person.Get(), WBEM_FLAG_CREATE_ONLY);
    ASSERT_EQ(hr, S_OK) << CStringToUtf8(path);
    const std::string id = CStringToUtf8(support::PropertyCString(person.Get(), L"ID"));
    EXPECT_EQ(Scalar("SELECT E.LASTNAME || '|' || U.COLOR || '|' || U.DEPT || '|' || U.EMPNO FROM EMP E JOIN UDFEMP U"
                     " ON U.ID = E.ID WHERE E.ID = " +
                     id),
              "Udo|G|2|E2");
    // Its own row does not make the value a duplicate on update.
    Set(person.Get(), L"COLOR", _variant_t(L"B"));
    EXPECT_EQ(Put(*mapper, person.Get(), WBEM_FLAG_UPDATE_ONLY).first, S_OK);
    EXPECT_EQ(Scalar("SELECT COLOR FROM UDFEMP WHERE ID = " + id), "B");
}

TEST_F(UDFClassMapper, FieldRightsComeFromTheFieldPermissionGroup)
{
    // Group 6 may neither see nor change SECRET; group 7 may see it but not change it, and may
    // not see COLOR; every other field has no item and is open to both.
    m_installation.Exec(
        "INSERT INTO USER_PERM_UDF (USER_PERM_UDFID, NAME) VALUES (6, 'Clerks'), (7, 'Secret readers');"
        "INSERT INTO USER_PERM_UDF_FIELD (USER_PERM_UDFID, DDFLDID, CANVIEW, CANEDIT) VALUES"
        " (6, 104, 0, 0), (7, 104, 1, 0), (7, 102, 0, 0);"
        "INSERT INTO USERS (USERID, LOGONID, FIRSTNAME, LASTNAME, SEGMENTID, ISENABLED, SYSTEM_USER_PERMID,"
        " MONITOR_USER_PERMID, CARD_USER_PERMID, REPORT_USER_PERMID, USER_PERM_UDFID, BNT_DBID) VALUES"
        " (21, 'clerk6', 'C', 'Six', -1, 1, 1, 3, 2, 0, 6, 1), (22, 'reader7', 'R', 'Seven', -1, 1, 1, 3, 2, 0, 7, 1);"
        "INSERT INTO USER_ACCOUNT (USER_ACCOUNTID, USERID, BNT_DIRECTORYID, ACCOUNTID) VALUES"
        " (21, 21, 1, 'S-1-5-21-7-7-7-21'), (22, 22, 1, 'S-1-5-21-7-7-7-22');");
    LoadFieldRights(L"S-1-5-21-7-7-7-21");
    LoadFieldRights(L"S-1-5-21-7-7-7-22");
    auto entryOf = [](LONG userId) {
        auto user = std::make_unique<CAcsUser>();
        EXPECT_TRUE(user->Login(nullptr, nullptr, nullptr, -1, userId));
        return std::make_unique<CWmipUserCacheEntry>(std::move(user), nullptr, 0);
    };
    const auto clerk = entryOf(21);
    const auto reader = entryOf(22);
    auto asClerk = MakeMapper<TestCardholderMapper>(L"Wrt_Cardholder");
    asClerk->SetUserEntry(nullptr);
    asClerk->SetUserEntry(clerk.get());
    auto asReader = MakeMapper<TestCardholderMapper>(L"Wrt_Cardholder");
    asReader->SetUserEntry(nullptr);
    asReader->SetUserEntry(reader.get());

    const struct
    {
        const wchar_t* property;
        bool clerkSees;
        bool readerSees;
    } rights[] = {{L"EMPNO", true, true}, {L"SECRET", false, true}, {L"COLOR", true, false}, {L"LASTNAME", true, true}};
    for (const auto& right : rights)
    {
        EXPECT_EQ(asClerk->CanAccessProperty(right.property), right.clerkSees) << right.property;
        EXPECT_EQ(asReader->CanAccessProperty(right.property), right.readerSees) << right.property;
    }
    EXPECT_TRUE(asClerk->HasPerPropertyPermissions());

    // A value for a field the group may see but not change is refused; without it the write goes through.
    ComPtr<IWbemClassObject> person = NewCardholder(*asReader, L"E3");
    Set(person.Get(), L"SECRET", _variant_t(L"x"));
    EXPECT_EQ(Put(*asReader, person.Get(), WBEM_FLAG_CREATE_ONLY).first, WBEM_E_ACCESS_DENIED);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM UDFEMP WHERE EMPNO = 'E3'"), "0") << "nothing written";
    ComPtr<IWbemClassObject> plain = NewCardholder(*asReader, L"E3");
    EXPECT_EQ(Put(*asReader, plain.Get(), WBEM_FLAG_CREATE_ONLY).first, S_OK);

    // The system administrator's group -1 has every right without a list; the demo operator's
    // group 0 has an empty list.
    auto asOperator = MakeMapper<TestCardholderMapper>(L"Wrt_Cardholder");
    EXPECT_TRUE(asOperator->CanAccessProperty(L"SECRET"));
    CWmipUserCache* cache = CWmipApp::GetUserCache();
    const auto administrator = entryOf(-1);
    EXPECT_TRUE(cache->HasUDFPermission(administrator->GetUser(), 104, TRUE));
    EXPECT_FALSE(cache->HasUDFPermission(nullptr, 104, FALSE));
    // A group whose rights were never loaded is refused.
    m_installation.Exec("UPDATE USERS SET USER_PERM_UDFID = 9 WHERE USERID = 21;");
    const auto unloaded = entryOf(21);
    EXPECT_FALSE(cache->HasUDFPermission(unloaded->GetUser(), 101, FALSE));
}

TEST_F(UDFClassMapper, BadgeTypeRequiredFieldsMustHaveValues)
{
    auto mapper = MakeMapper<TestCardholderMapper>(L"Wrt_Cardholder");
    ComPtr<IWbemClassObject> person = NewCardholder(*mapper, L"E4");
    try
    {
        mapper->CheckBadgeTypeRequiredFields(person.Get(), 1);
        ADD_FAILURE() << "COLOR is required by badge type 1";
    }
    catch (const CWMIException& e)
    {
        EXPECT_EQ(e.GetHResult(), WBEM_E_ILLEGAL_NULL);
        EXPECT_EQ(e.GetText(), L"The required property COLOR had no value and no default was provided.");
    }
    Set(person.Get(), L"COLOR", _variant_t(L"R"));
    EXPECT_NO_THROW(mapper->CheckBadgeTypeRequiredFields(person.Get(), 1));
    EXPECT_NO_THROW(mapper->CheckBadgeTypeRequiredFields(person.Get(), 2)) << "type 2 requires nothing";
}

TEST_F(UDFClassMapper, ListQualifiersFollowTheUsersSegments)
{
    ComPtr<IWbemClassObject> owner;
    owner.Attach(new CCorvessaClassObject());
    ASSERT_EQ(owner->Put(L"TYPE", 0, nullptr, CIM_SINT32), S_OK);
    CString extra;
    EXPECT_EQ(CWmipUDFClassMapper::PutListValueQualifiers(owner.Get(), L"TYPE", L"DEPT", extra, m_caller->GetUser(), 1),
              S_OK);
    EXPECT_EQ(Strings(owner.Get(), L"TYPE", L"Values"), (std::vector<CString>{L"Operations", L"Sales"})) << "by NAME";
    EXPECT_EQ(CWmipUDFClassMapper::PutListValueQualifiers(owner.Get(), L"TYPE", L"DEPT", extra, m_connection, 0), S_OK);
    EXPECT_EQ(Strings(owner.Get(), L"TYPE", L"ValueMap"), (std::vector<CString>{L"1", L"2", L"3"}))
        << "the system administrator sees every row";
    EXPECT_EQ(CWmipUDFClassMapper::PutListValueQualifiers(owner.Get(), L"TYPE", L"NO_SUCH", extra, m_connection, 0),
              WBEM_E_FAILED);
    EXPECT_EQ(CWmipUDFClassMapper::PutListValueQualifiers(owner.Get(), L"TYPE", L"DEPT; DROP TABLE DEPT", extra,
                                                          m_connection, 0),
              WBEM_E_FAILED);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM DEPT"), "3");
}

}  // namespace
