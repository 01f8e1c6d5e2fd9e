// Shared fixture of the write tests: the demo installation (db/schema.sql + db/demo.sql in a
// temporary PROVIXA_HOME), a current CWmipApp (connection manager on that database), a pooled
// connection as the mappers' database user, the demo operator (user 1) as the caller with the
// cardholder write permissions, and the test classes registered once per process:
//   Wrt_Person  EMP (+ UDFEMP through ID): ID (key, generated, ID type 2), LastName (not_null,
//               maxlen 20), FirstName, Ssno ("read" and "not_null"), SegmentID ("DefaultValue"
//               1), LastChanged (datetime), Notes (UDFEMP.NOTES, "EncryptedTextField")
//   Wrt_Badge   BADGE: BadgeKey (key, ID type 25), BadgeID (sint64), PersonID, Pin, Status
//   Wrt_Fips    BADGE_FIPS201 with byte arrays: BadgeKey (key from the client), Fascn (hex
//               text), PrivacyKey (uint8 array)
//   Wrt_Cardholder  a user-defined-field class on EMP/UDFEMP whose fields come from the layout
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/support/TestSegmentSources.h"
#include "framework/objects/CCorvessaNamespace.h"
#include "framework/CWMITypeInfo.h"
#include "framework/CWmipDynamicClassMapper.h"
#include "framework/CWmipMapperRegistry.h"
#include "framework/CWmipUDFClassMapper.h"
#include "framework/CWmideFieldSet.h"
#include "framework/WMIHelper.h"
#include "inhouse/BntCommon/CBntCardholderTrans.h"
#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "inhouse/BntCoreDb/CDynamicRecordset.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "platform/security/CallerIdentity.h"
#include "provider/CWmipUserCache.h"
#include "inhouse/BntLogin/DBConnectionManager.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "platform/com/CimTypes.h"
#include "platform/com/Variant.h"
#include "platform/com/WbemConstants.h"
#include "platform/wmi/IWbemClassObject.h"
#include "provider/CWmipApp.h"
#include "provider/CWmipUserCacheEntry.h"
#include "tests/provider/core/ProviderTestInstallation.h"
#include "tests/support/InstallationDatabase.h"
#include "tests/support/PropertyText.h"
#include "tests/support/TestMapperFactory.h"

namespace writestest {

using brontel::utility::CWMIException;
using Operation = brontel::UserTranOperation::UserTransactionOperation;

constexpr DWORD kView = 0x20000003;
constexpr DWORD kAdd = 0x20000004;
constexpr DWORD kModify = 0x20000005;
constexpr DWORD kDelete = 0x20000009;

// What a test mapper saw of the write, in order.
struct HookLog
{
    std::vector<std::string> calls;
};

class TestPersonMapper : public CWmipDynamicClassMapper
{
public:
    TestPersonMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
        : CWmipDynamicClassMapper(user, context, services, L"Wrt_Person")
    {
        AddJoin(L"EMP", L"ID", L"UDFEMP", L"ID");
        SetPermissions(kView, kAdd, kModify, kDelete);
        SetTransactionObject(13);
        SetReplTransactionObject(1);
    }
    void AddAdditionalFields(CWmideFieldSet& fieldSet) override
    {
        m_log.calls.push_back("AddAdditionalFields " + CStringToUtf8(fieldSet.GetTableName()));
        if (fieldSet.GetTableName() == L"EMP")
            fieldSet.AddIntUnit(L"GUARD", 7);
    }
    void CanAdd(IWbemClassObject* instance) override
    {
        m_log.calls.push_back(instance == nullptr ? "CanAdd" : "CanAdd instance");
        CWmipDynamicClassMapper::CanAdd(instance);
    }
    void CanModify(IWbemClassObject* instance) override
    {
        m_log.calls.push_back(instance == nullptr ? "CanModify" : "CanModify instance");
        CWmipDynamicClassMapper::CanModify(instance);
    }
    void BeforeWriteInstance(Operation operation, IWbemClassObject*) override
    {
        m_log.calls.push_back("Before " + std::to_string(static_cast<int>(operation)));
        if (m_throwBefore)
            throw CWMIException(L"test", 0, WBEM_E_ACCESS_DENIED);
        if (m_failStatements > 0)
            GetDatabase()->TestHookFailNextStatements(m_failStatements, m_failCode);
    }
    void AfterWriteInstance(Operation operation, IWbemClassObject*) override
    {
        m_log.calls.push_back("After " + std::to_string(static_cast<int>(operation)));
        // A write of the hook's own, which must stand or fall with the instance's rows.
        if (m_hookWrites)
            GetDatabase()->ExecuteSQL(L"INSERT INTO CONFIG_VALUE (CONFIGID, NUMBERVALUE) VALUES (7777, 1)");
        if (m_throwAfter)
            throw CWMIException(L"test", 0, WBEM_E_FAILED);
    }
    void LogTransaction(Operation operation, IWbemClassObject* instance) override
    {
        m_log.calls.push_back("Log " + std::to_string(static_cast<int>(operation)));
        if (m_failAudit)
            GetDatabase()->TestHookFailNextStatements(1, 19);
        CWmipDynamicClassMapper::LogTransaction(operation, instance);
    }
    CString GetTransactionValues(Operation, IWbemClassObject* instance) override
    {
        _variant_t name;
        instance->Get(L"LastName", 0, &name, nullptr, nullptr);
        return name.vt == VT_BSTR ? CString(name.bstrVal) : CString(L"?");
    }
    void SetupReplTransaction(CBntCardholderTrans& transaction, Operation, IWbemClassObject* instance) override
    {
        _variant_t id;
        instance->Get(L"ID", 0, &id, nullptr, nullptr);
        transaction.SetPersonID(id.vt == VT_I4 ? id.lVal : 0);
    }

    HookLog m_log;
    // Statements of the write that fail, counted from BeforeWriteInstance on (0: none).
    int m_failStatements = 0;
    int m_failCode = 19;  // SQLITE_CONSTRAINT
    // The audit entry's statement fails.
    bool m_failAudit = false;
    // BeforeWriteInstance refuses the write.
    bool m_throwBefore = false;
    // AfterWriteInstance writes a row of its own, and then fails.
    bool m_hookWrites = false;
    bool m_throwAfter = false;
};

class TestBadgeMapper : public CWmipDynamicClassMapper
{
public:
    TestBadgeMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
        : CWmipDynamicClassMapper(user, context, services, L"Wrt_Badge")
    {
        SetPermissions(kView, kAdd, kModify, kDelete);
    }
};

class TestFipsMapper : public CWmipDynamicClassMapper
{
public:
    TestFipsMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
        : CWmipDynamicClassMapper(user, context, services, L"Wrt_Fips")
    {
        SetPermissions(kView, kAdd, kModify, kDelete);
    }
    bool IsUseByteArray() override { return true; }
    bool HasAutoGeneratedKeys() override { return false; }
    WMIHelper::ProcessMethod GetPropertyProcessMethod(const CString& column, const CString& table) override
    {
        return column == L"FASCN" ? WMIHelper::kProcessByMapper
                                  : CWmipDynamicClassMapper::GetPropertyProcessMethod(column, table);
    }
    // The FASCN is shown as hexadecimal text, the form the write takes back.
    HRESULT ProcessInstanceProperty(IWbemClassObject** instance, const CString& column, const CString& table) override
    {
        if (column != L"FASCN")
            return CWmipDynamicClassMapper::ProcessInstanceProperty(instance, column, table);
        CString hex;
        for (BYTE b : GetInstanceRecordset()->GetBytes(L"BADGE_FIPS201.FASCN"))
        {
            CString pair;
            pair.Format(L"%02X", b);
            hex += pair;
        }
        return WMIHelper::PutString(*instance, L"Fascn", hex, 0);
    }
};

class TestCardholderMapper : public CWmipUDFClassMapper
{
public:
    TestCardholderMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
        : CWmipUDFClassMapper(user, context, services, L"Wrt_Cardholder")
    {
        AddForeignKeyPropertyMapping(L"ID", L"ID", L"UDFEMP");
        SetPermissions(kView, kAdd, kModify, kDelete);
    }
    void FilterUDFLayoutRecordset(CMultiFilterRecordset& recordset) override
    {
        recordset.AddFilterInt(L"DBOBJTYPE", 1);
        recordset.AddFilterLong(L"TBLID", 2);
    }
    CString GetTableDotColumn(const CString& property) override
    {
        if (property.CompareNoCase(L"ID") == 0)
            return L"EMP.ID";
        for (const LayoutField& field : GetLayout())
        {
            if (field.property.CompareNoCase(property) == 0)
                return field.table + L"." + field.column;
        }
        return CWmipUDFClassMapper::GetTableDotColumn(property);
    }
    void SetupInstanceRecordset(CDynamicRecordset* recordset) override
    {
        recordset->SetupJoin(L"EMP", L"ID", L"UDFEMP", L"ID", CMultiFilterRecordset::LeftOuterJoin);
        recordset->AddColumnToSet(L"ID", L"EMP");
        recordset->AddColumnToSet(L"LASTNAME", L"EMP");
        recordset->AddColumnToSet(L"SEGMENTID", L"EMP");
        for (const LayoutField& field : GetLayout())
            recordset->AddColumnToSet(field.column, field.table);
    }
    ProcessClauseResult ProcessClause(CString& property, int& op, CString& literal, CString& extra) override
    {
        const ProcessClauseResult result = CWmipUDFClassMapper::ProcessClause(property, op, literal, extra);
        if (result != ProcessClausePlain)
            return result;
        property = GetTableDotColumn(property);
        return property.IsEmpty() ? result : ProcessClauseKeep;
    }
};

inline void RegisterTestClasses()
{
    static const bool registered = [] {
        CWmipMapperRegistry* registry = CWmipMapperRegistry::Instance();
        if (registry->GetTypeInfo(L"Bnt_Element", true) == nullptr)
            registry->RegisterClass(L"Bnt_Element", L"");

        registry->RegisterClass(L"Wrt_Person", L"", false, &support::NewTestMapper<TestPersonMapper>);
        support::DeclareOwnSegment(L"Wrt_Person", L"EMP");
        registry->RegisterProperty(L"Wrt_Person", L"ID", CIM_SINT32, L"EMP", L"ID", 1, 0, 2);
        registry->RegisterProperty(L"Wrt_Person", L"LastName", CIM_STRING, L"EMP", L"LASTNAME", 0, 20);
        registry->RegisterPropertyAttribute(L"Wrt_Person", L"LastName", L"not_null", 1);
        registry->RegisterProperty(L"Wrt_Person", L"FirstName", CIM_STRING, L"EMP", L"FIRSTNAME", 0, 20);
        registry->RegisterProperty(L"Wrt_Person", L"Ssno", CIM_STRING, L"EMP", L"SSNO", 0, 20);
        registry->RegisterPropertyAttribute(L"Wrt_Person", L"Ssno", L"read", 1);
        registry->RegisterPropertyAttribute(L"Wrt_Person", L"Ssno", L"not_null", 1);
        registry->RegisterProperty(L"Wrt_Person", L"SegmentID", CIM_SINT32, L"EMP", L"SEGMENTID", 0, 0);
        registry->RegisterPropertyAttribute(L"Wrt_Person", L"SegmentID", L"DefaultValue", CString(L"1"));
        registry->RegisterProperty(L"Wrt_Person", L"LastChanged", CIM_DATETIME, L"EMP", L"LASTCHANGED", 0, 0);
        registry->RegisterProperty(L"Wrt_Person", L"Notes", CIM_STRING, L"UDFEMP", L"NOTES", 0, 200);
        registry->RegisterPropertyAttribute(L"Wrt_Person", L"Notes", L"EncryptedTextField", 1);

        registry->RegisterClass(L"Wrt_Badge", L"", false, &support::NewTestMapper<TestBadgeMapper>);
        support::DeclareOwnSegment(L"Wrt_Badge", L"BADGE");
        registry->RegisterProperty(L"Wrt_Badge", L"BadgeKey", CIM_SINT32, L"BADGE", L"BADGEKEY", 1, 0, 25);
        registry->RegisterProperty(L"Wrt_Badge", L"BadgeID", CIM_SINT64, L"BADGE", L"ID", 0, 0);
        registry->RegisterProperty(L"Wrt_Badge", L"PersonID", CIM_SINT32, L"BADGE", L"EMPID", 0, 0);
        registry->RegisterProperty(L"Wrt_Badge", L"Pin", CIM_STRING, L"BADGE", L"PIN", 0, 9);
        registry->RegisterProperty(L"Wrt_Badge", L"Status", CIM_SINT32, L"BADGE", L"STATUS", 0, 0);

        registry->RegisterClass(L"Wrt_Fips", L"", false, &support::NewTestMapper<TestFipsMapper>);
        support::DeclareNotSegmented(L"Wrt_Fips");
        registry->RegisterProperty(L"Wrt_Fips", L"BadgeKey", CIM_SINT32, L"BADGE_FIPS201", L"BADGEKEY", 1, 0);
        registry->RegisterProperty(L"Wrt_Fips", L"Fascn", CIM_STRING, L"BADGE_FIPS201", L"FASCN", 0, 50);
        registry->RegisterProperty(L"Wrt_Fips", L"PrivacyKey", CIM_UINT8 | CIM_FLAG_ARRAY, L"BADGE_FIPS201",
                                   L"TWIC_PRIVACY_KEY", 0, 32);

        registry->RegisterClass(L"Wrt_Cardholder", L"", false, &support::NewTestMapper<TestCardholderMapper>);
        support::DeclareOwnSegment(L"Wrt_Cardholder", L"EMP");
        registry->RegisterProperty(L"Wrt_Cardholder", L"ID", CIM_SINT32, L"EMP", L"ID", 1, 0, 2);
        registry->RegisterProperty(L"Wrt_Cardholder", L"LASTNAME", CIM_STRING, L"EMP", L"LASTNAME", 0, 20);
        registry->RegisterProperty(L"Wrt_Cardholder", L"SEGMENTID", CIM_SINT32, L"EMP", L"SEGMENTID", 0, 0);
        registry->RegisterPropertyAttribute(L"Wrt_Cardholder", L"SEGMENTID", L"DefaultValue", CString(L"1"));
        return true;
    }();
    (void)registered;
}

class WritesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        RegisterTestClasses();
        m_installation.Exec(
            "ALTER TABLE UDFEMP ADD COLUMN NOTES BLOB;"
            "INSERT OR IGNORE INTO USER_PERM_GRANT (USER_PERMID, PERMISSIONID) VALUES (2, 536870916), (2, 536870917),"
            " (2, 536870921);");
        m_app = std::make_unique<CWmipApp>();
        m_manager = CWmipApp::GetConnectionManager();
        ASSERT_NE(m_manager, nullptr);
        m_connection = m_manager->Connection(0);
        ASSERT_NE(m_connection, nullptr);
        auto caller = std::make_unique<CAcsUser>();
        ASSERT_TRUE(caller->Login(nullptr, nullptr, nullptr, -1, 1));
        m_caller = std::make_unique<CWmipUserCacheEntry>(std::move(caller), nullptr, 0);
        LoadFieldRights(ProviderTestInstallation::kOperatorSid);
    }

    // Logs the account in through the application's user cache and gives it back, so that the
    // cache holds the field rights of its field permission group.
    static void LoadFieldRights(const wchar_t* sid)
    {
        const CallerIdentity::Scope scope(CallerIdentity(sid, SecurityImpersonation));
        CWmipUserCache* cache = CWmipApp::GetUserCache();
        ASSERT_NE(cache, nullptr);
        CWmipUserCacheEntry* entry = nullptr;
        ASSERT_EQ(cache->GetUserFromSID(&entry, CString(sid)), S_OK) << sid;
        EXPECT_EQ(cache->ReleaseUser(entry), S_OK);
    }
    void TearDown() override
    {
        if (m_manager != nullptr && m_connection != nullptr)
            m_manager->ReleaseConnection(m_connection);
    }

    template <typename Mapper = CWmipClassMapper>
    std::unique_ptr<Mapper> MakeMapper(const wchar_t* className)
    {
        std::unique_ptr<CWmipClassMapper> mapper(CWmipMapperRegistry::Instance()->GetMapperUsingRegistry(
            m_connection, nullptr, &m_services, className, Door::kWmi));
        EXPECT_NE(mapper, nullptr);
        if (mapper != nullptr)
            mapper->SetUserEntry(m_caller.get());
        return std::unique_ptr<Mapper>(dynamic_cast<Mapper*>(mapper.release()));
    }

    // A new, empty instance of the mapper's class (the caller's definition).
    ComPtr<IWbemClassObject> NewInstance(CWmipClassMapper& mapper)
    {
        IWbemClassObject* raw = nullptr;
        EXPECT_EQ(mapper.GetClass(&raw, FALSE), S_OK);
        ComPtr<IWbemClassObject> definition;
        if (mapper.WMIStoresClassDefinition())
            definition = ComPtr<IWbemClassObject>(raw);
        else
            definition.Attach(raw);
        ComPtr<IWbemClassObject> instance;
        if (definition != nullptr)
        {
            EXPECT_EQ(definition->SpawnInstance(0, &instance), S_OK);
        }
        return instance;
    }

    static void Set(IWbemClassObject* instance, const wchar_t* property, _variant_t value)
    {
        ASSERT_EQ(instance->Put(property, 0, &value, 0), S_OK) << CStringToUtf8(property);
    }

    // Runs the put and answers the thrown exception's HRESULT and text (S_OK and the path when
    // none was thrown).
    std::pair<HRESULT, CString> Put(CWmipClassMapper& mapper, IWbemClassObject* instance, LONG flags)
    {
        CString path;
        try
        {
            const HRESULT hr = mapper.PutInstance(instance, flags, path);
            return {hr, path};
        }
        catch (const CWMIException& e)
        {
            return {e.GetHResult(), e.GetText()};
        }
    }

    std::string Scalar(const std::string& sql) const
    {
        return support::InstallationDatabase::Scalar(m_installation.Home().Path() / "provixa.db", sql);
    }

    ProviderTestInstallation m_installation;
    std::unique_ptr<CWmipApp> m_app;
    CCorvessaNamespace m_services;
    DBConnectionManager* m_manager = nullptr;
    CAcsUser* m_connection = nullptr;
    std::unique_ptr<CWmipUserCacheEntry> m_caller;
};

}  // namespace writestest
