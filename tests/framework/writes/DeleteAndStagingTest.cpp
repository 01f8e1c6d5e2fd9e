#include "tests/framework/writes/WritesTestFixture.h"

#include "framework/objects/CCorvessaClassObject.h"
#include "framework/CWmideStage.h"
#include "framework/CWmipObjectPath.h"
#include "inhouse/BntCoreDb/CDBException.h"

using namespace writestest;

namespace {

class DeleteInstance : public WritesTest
{
protected:
    std::pair<HRESULT, CString> Delete(CWmipClassMapper& mapper, const wchar_t* path)
    {
        auto parsed = CWmipObjectPath::CreateFromPath(path);
        EXPECT_NE(parsed, nullptr);
        try
        {
            return {mapper.DeleteInstance(parsed.get()), CString()};
        }
        catch (const CWMIException& e)
        {
            return {e.GetHResult(), e.GetText()};
        }
    }
};

TEST_F(DeleteInstance, RemovesTheLinkedRowsAndTheMainRowWithTheAudit)
{
    auto mapper = MakeMapper<TestPersonMapper>(L"Wrt_Person");
    EXPECT_EQ(Delete(*mapper, L"Wrt_Person.ID=2"), std::make_pair(S_OK, CString()));
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM EMP WHERE ID = 2"), "0");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM UDFEMP WHERE ID = 2"), "0");
    EXPECT_EQ(Scalar("SELECT OPERATION || '|' || OBJECT_TYPE || '|' || DESCRIPTION FROM USER_TRANSACTION_LOG"),
              "7|13|Brandt");
    EXPECT_EQ(mapper->m_log.calls, (std::vector<std::string>{"Before 7", "Log 7", "After 7"}));
}

TEST_F(DeleteInstance, NothingMatchingAnswersNotFound)
{
    auto mapper = MakeMapper<TestPersonMapper>(L"Wrt_Person");
    EXPECT_EQ(
        Delete(*mapper, L"Wrt_Person.ID=42"),
        std::make_pair(WBEM_E_NOT_FOUND, CString(L"The requested instance could not be retrieved or does not exist.")));
}

TEST_F(DeleteInstance, AFailedDeleteKeepsEveryRow)
{
    auto mapper = MakeMapper<TestPersonMapper>(L"Wrt_Person");
    mapper->m_failAudit = true;
    EXPECT_EQ(Delete(*mapper, L"Wrt_Person.ID=1").first, WBEM_E_FAILED);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM EMP WHERE ID = 1"), "1");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM UDFEMP WHERE ID = 1"), "1");
}

TEST_F(DeleteInstance, WithoutDeletePermissionNothingIsRead)
{
    auto mapper = MakeMapper<TestPersonMapper>(L"Wrt_Person");
    mapper->SetPermissions(mapper->GetViewPermission(), mapper->GetAddPermission(), mapper->GetModifyPermission(), 0);
    EXPECT_EQ(Delete(*mapper, L"Wrt_Person.ID=1").first, WBEM_E_NOT_SUPPORTED);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM EMP WHERE ID = 1"), "1");
}

class Staging : public WritesTest
{
};

TEST(CWmideFieldSet, HoldsOneUnitPerColumnAndKeepsKeyColumns)
{
    CWmideFieldSet fieldSet(L"EMP", CWmideFieldSet::Mode::Update);
    fieldSet.AddKeyUnit(CWmideUnit::Int(L"ID", 4));
    fieldSet.AddUnit(CWmideUnit::Text(L"LASTNAME", L"Dorn"));
    fieldSet.AddIntUnit(L"lastname", 3);
    fieldSet.AddIntUnit(L"id", 99);
    EXPECT_TRUE(fieldSet.HasUnit(L"LastName"));
    EXPECT_TRUE(fieldSet.HasUnit(L"ID"));
    EXPECT_FALSE(fieldSet.HasUnit(L"GUARD"));
    EXPECT_FALSE(fieldSet.HasUnit(nullptr));
    ASSERT_EQ(fieldSet.GetUnits().size(), 1u);
    EXPECT_EQ(fieldSet.GetUnit(L"LASTNAME")->GetType(), CWmideUnit::Type::Int) << "a later unit replaces";
    EXPECT_EQ(fieldSet.GetUnit(L"ID")->GetValue(), CDBValue(4)) << "the key keeps the row's identity";
}

TEST(CWmideUnit, TypesAndValues)
{
    EXPECT_EQ(CWmideUnit::Bool(L"A", true).GetValue(), CDBValue(1));
    EXPECT_EQ(CWmideUnit::Int64(L"A", 1LL << 40).GetValue(), CDBValue(1LL << 40));
    EXPECT_TRUE(CWmideUnit::Null(L"A").GetValue().IsNull());
    EXPECT_EQ(CWmideUnit::DateTime(L"A", COleDateTime(2024, 2, 29, 23, 59, 58)).GetValue().AsText(),
              L"2024-02-29 23:59:58");
    COleDateTime none;
    none.SetStatus(COleDateTime::null);
    EXPECT_EQ(CWmideUnit::DateTime(L"A", none).GetType(), CWmideUnit::Type::Null);
    COleDateTime invalid;
    invalid.SetStatus(COleDateTime::invalid);
    EXPECT_THROW(CWmideUnit::DateTime(L"A", invalid), CDBException);
}

TEST_F(Staging, WritesInsertsAndUpdatesWithBoundValuesAndRefusesBadNames)
{
    CBntDatabase& database = *m_connection->GetDatabase();
    CWmideStage stage;
    CWmideFieldSet& emp = stage.GetFieldSet(L"EMP", CWmideFieldSet::Mode::Insert);
    emp.AddKeyUnit(CWmideUnit::Int(L"ID", 50));
    emp.AddUnit(CWmideUnit::Text(L"LASTNAME", L"O'Brien"));
    CWmideFieldSet& udf = stage.GetFieldSet(L"udfemp", CWmideFieldSet::Mode::Insert);
    udf.AddKeyUnit(CWmideUnit::Int(L"ID", 50));
    EXPECT_EQ(&stage.GetFieldSet(L"UDFEMP", CWmideFieldSet::Mode::Update), &udf);
    stage.Write(database);
    EXPECT_EQ(Scalar("SELECT LASTNAME FROM EMP WHERE ID = 50"), "O'Brien");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM UDFEMP WHERE ID = 50"), "1");

    CWmideStage update;
    CWmideFieldSet& row = update.GetFieldSet(L"EMP", CWmideFieldSet::Mode::Update);
    row.AddKeyUnit(CWmideUnit::Int(L"ID", 51));
    row.AddUnit(CWmideUnit::Text(L"LASTNAME", L"Gone"));
    EXPECT_THROW(update.Write(database), CDBException) << "an update that finds no row fails";

    const struct
    {
        const wchar_t* table;
        const wchar_t* column;
    } bad[] = {{L"EMP; DROP TABLE EMP", L"ID"}, {L"EMP", L"ID = 1 OR 1"}, {L"", L"ID"}, {L"EMP", L"\"ID\""}};
    for (const auto& b : bad)
    {
        CWmideFieldSet fieldSet(b.table, CWmideFieldSet::Mode::Insert);
        fieldSet.AddUnit(CWmideUnit::Int(b.column, 1));
        EXPECT_THROW(fieldSet.Write(database), CDBException)
            << CStringToUtf8(b.table) << " " << CStringToUtf8(b.column);
    }
    CWmideFieldSet keyless(L"EMP", CWmideFieldSet::Mode::Update);
    keyless.AddUnit(CWmideUnit::Int(L"GUARD", 1));
    EXPECT_THROW(keyless.Write(database), CDBException) << "an update must name its row";
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM EMP WHERE GUARD = 1"), "1") << "only the demo's guard";
}

TEST_F(Staging, DefaultsComeFromTheQualifierOrTheIdGenerator)
{
    auto mapper = MakeMapper<TestPersonMapper>(L"Wrt_Person");
    ComPtr<IWbemClassObject> person = NewInstance(*mapper);
    _variant_t value;
    EXPECT_EQ(mapper->GetDefaultValue(person.Get(), L"SegmentID", value.GetVARIANT()), S_OK);
    EXPECT_EQ(CString(value.bstrVal), L"1");
    // The generator is kept above the stored keys.
    m_installation.Exec("INSERT INTO EMP (ID, LASTNAME) VALUES (40, 'High');");
    _variant_t id;
    EXPECT_EQ(mapper->GetDefaultValue(person.Get(), L"ID", id.GetVARIANT()), S_OK);
    EXPECT_EQ(id.vt, VT_I4);
    EXPECT_EQ(id.lVal, 41);
    _variant_t none;
    EXPECT_EQ(mapper->GetDefaultValue(person.Get(), L"FirstName", none.GetVARIANT()), WBEM_E_NOT_FOUND);
    EXPECT_EQ(none.vt, VT_EMPTY);

    m_installation.Exec("DROP TABLE NEXTID;");
    try
    {
        _variant_t failed;
        mapper->GetDefaultValue(person.Get(), L"ID", failed.GetVARIANT());
        ADD_FAILURE() << "no generator, no id";
    }
    catch (const CWMIException& e)
    {
        EXPECT_EQ(e.GetHResult(), WBEM_E_UNEXPECTED);
        EXPECT_EQ(e.GetText(), L"The operation cannot be completed because the system was unable to generate an ID for "
                               L"the property ID.");
    }
}

TEST(ClassMapperPutProperty, FlagBitsBecomeQualifiers)
{
    ComPtr<IWbemClassObject> owner;
    owner.Attach(new CCorvessaClassObject());
    IWbemClassObject& definition = *owner.Get();
    struct
    {
        int flags;
        std::vector<const wchar_t*> present;
        std::vector<const wchar_t*> absent;
    } const cases[] = {
        {1, {L"not_null"}, {L"key", L"read", L"noedit"}},
        {2 | 8 | 64 | 32, {L"key", L"read", L"noedit", L"Unique"}, {L"not_null", L"optional"}},
        {64, {}, {L"noedit", L"read"}},
        {4 | 16 | 128, {L"optional", L"weak", L"EncryptedTextField"}, {L"read"}},
    };
    int n = 0;
    for (const auto& c : cases)
    {
        const CString name = CString(L"P") + CString(std::to_wstring(n++).c_str());
        ASSERT_EQ(CWmipClassMapper::PutProperty(&definition, name, CIM_STRING, c.flags, 12, L"Shown", nullptr, 7, L"x"),
                  S_OK);
        ComPtr<IWbemQualifierSet> qualifiers;
        ASSERT_EQ(definition.GetPropertyQualifierSet(name, &qualifiers), S_OK);
        for (const wchar_t* q : c.present)
        {
            _variant_t v;
            EXPECT_EQ(qualifiers->Get(q, 0, &v, nullptr), S_OK) << CStringToUtf8(q);
        }
        for (const wchar_t* q : c.absent)
        {
            _variant_t v;
            EXPECT_NE(qualifiers->Get(q, 0, &v, nullptr), S_OK) << CStringToUtf8(q);
        }
        _variant_t maxlen;
        ASSERT_EQ(qualifiers->Get(L"maxlen", 0, &maxlen, nullptr), S_OK);
        EXPECT_EQ(static_cast<LONG>(maxlen), 12);
    }
    ASSERT_EQ(CWmipClassMapper::PutProperty(&definition, L"Ref", CIM_SINT32, 0, 0, nullptr, L"Bnt_Person", 0, nullptr),
              S_OK);
    ComPtr<IWbemQualifierSet> qualifiers;
    ASSERT_EQ(definition.GetPropertyQualifierSet(L"Ref", &qualifiers), S_OK);
    _variant_t cimType;
    ASSERT_EQ(qualifiers->Get(L"CIMTYPE", 0, &cimType, nullptr), S_OK);
    EXPECT_EQ(CString(cimType.bstrVal), L"ref:Bnt_Person");
    _variant_t maxlen;
    EXPECT_NE(qualifiers->Get(L"maxlen", 0, &maxlen, nullptr), S_OK);
    EXPECT_EQ(CWmipClassMapper::PutProperty(nullptr, L"X", CIM_STRING, 0, 0, nullptr, nullptr, 0, nullptr),
              WBEM_E_INVALID_PARAMETER);
    EXPECT_EQ(CWmipClassMapper::PutProperty(&definition, L"", CIM_STRING, 0, 0, nullptr, nullptr, 0, nullptr),
              WBEM_E_INVALID_PARAMETER);
}

}  // namespace
