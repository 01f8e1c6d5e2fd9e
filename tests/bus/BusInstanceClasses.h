// Classes the instance tests of the bus front end declare for themselves, registered once per
// process, and the fixture that reads and writes them through the front end:
//   Pag_Base                      abstract: ID (key), Name, Label (which no derived type maps)
//   Pag_Alpha, Pag_Beta, Pag_Gamma  concrete, derived from Pag_Base (registered Gamma first),
//                                 each on its own table PAG_<NAME>: ID (key), Name, Extra
//   Pag_Delta                     concrete, derived from Pag_Base, on PAG_DELTA: ID (key), Extra
//                                 only; viewing it takes a permission the demo operator lacks
//   Bpw_Person                    EMP: ID (key, generated), LastName (not_null), FirstName,
//                                 SegmentID (possible values -1 and 1), Photo (binary, EMP.PHOTO);
//                                 method Echo (class method, in Text, out Result), no permission checks
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "tests/support/TestSegmentSources.h"
#include "framework/objects/CCorvessaClassObject.h"
#include "bus/CCorvessaException.h"
#include "framework/CWmipDynamicClassMapper.h"
#include "framework/CWmipMapperRegistry.h"
#include "platform/com/CimTypes.h"
#include "platform/com/WbemConstants.h"
#include "platform/wmi/IWbemObjectSink.h"
#include "tests/bus/BusTestInstallation.h"
#include "tests/support/TestMapperFactory.h"

namespace bustest {

class PageMapper : public CWmipDynamicClassMapper
{
public:
    PageMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services, const wchar_t* className)
        : CWmipDynamicClassMapper(user, context, services, className)
    {
    }
};

class HiddenPageMapper : public CWmipDynamicClassMapper
{
public:
    static constexpr DWORD kHiddenPermission = 0x2000FFFF;
    HiddenPageMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
        : CWmipDynamicClassMapper(user, context, services, L"Pag_Delta")
    {
        SetPermissions(kHiddenPermission, GetAddPermission(), GetModifyPermission(), GetDeletePermission());
    }
};

class PersonMapper : public CWmipDynamicClassMapper
{
public:
    PersonMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
        : CWmipDynamicClassMapper(user, context, services, L"Bpw_Person")
    {
        SetPermissions(kNoPermissionCheck, kNoPermissionCheck, kNoPermissionCheck, kNoPermissionCheck);
    }
    // Echo: Result = the Text given ("" without one); the path it was called with is recorded.
    HRESULT ExecuteMethod(CWmipObjectPath* path, const wchar_t* methodName, LONG, IWbemContext*,
                          IWbemClassObject* inParams, IWbemObjectSink* sink) override
    {
        calledWithPath = path != nullptr;
        calledWithParameters = inParams != nullptr;
        if (std::wstring(methodName) != L"Echo")
        {
            return WBEM_E_NOT_SUPPORTED;
        }
        _variant_t text(L"");
        if (inParams != nullptr)
        {
            _variant_t given;
            if (SUCCEEDED(inParams->Get(L"Text", 0, &given, nullptr, nullptr)) && given.vt == VT_BSTR)
            {
                text = given;
            }
        }
        CCorvessaClassObject out;
        out.Put(L"Result", 0, &text, CIM_STRING);
        IWbemClassObject* objects[] = {&out};
        return sink->Indicate(1, objects);
    }
    static inline bool calledWithPath = false;
    static inline bool calledWithParameters = false;
};

inline void RegisterBusTestClasses()
{
    static const bool registered = [] {
        CWmipMapperRegistry* registry = CWmipMapperRegistry::Instance();
        registry->RegisterClass(L"Pag_Base", L"");
        registry->RegisterProperty(L"Pag_Base", L"ID", CIM_SINT32, L"", L"", 1, 0);
        registry->RegisterProperty(L"Pag_Base", L"Name", CIM_STRING, L"", L"", 0, 40);
        registry->RegisterProperty(L"Pag_Base", L"Label", CIM_STRING, L"", L"", 0, 40);
        for (const wchar_t* name : {L"Gamma", L"Alpha", L"Beta"})
        {
            const CString className = CString(L"Pag_") + name;
            CString table = CString(L"PAG_") + name;
            table.MakeUpper();
            registry->RegisterClass(
                className, L"Pag_Base", false,
                [className](const CAcsUser* u, IWbemContext* c, IWbemServices* s, Door d) -> CWmipClassMapper* {
                    auto* mapper = new PageMapper(u, c, s, className);
                    mapper->SetDoor(d);
                    return mapper;
                });
            support::DeclareNotSegmented(className);
            registry->RegisterProperty(className, L"ID", CIM_SINT32, table, L"ID", 1, 0);
            registry->RegisterProperty(className, L"Name", CIM_STRING, table, L"NAME", 0, 40);
            registry->RegisterProperty(className, L"Extra", CIM_SINT32, table, L"EXTRA", 0, 0);
        }
        registry->RegisterClass(L"Pag_Delta", L"Pag_Base", false, &support::NewTestMapper<HiddenPageMapper>);
        support::DeclareNotSegmented(L"Pag_Delta");
        registry->RegisterProperty(L"Pag_Delta", L"ID", CIM_SINT32, L"PAG_DELTA", L"ID", 1, 0);
        registry->RegisterProperty(L"Pag_Delta", L"Extra", CIM_SINT32, L"PAG_DELTA", L"EXTRA", 0, 0);
        registry->RegisterClass(L"Bpw_Person", L"", false, &support::NewTestMapper<PersonMapper>);
        support::DeclareOwnSegment(L"Bpw_Person", L"EMP");
        registry->RegisterProperty(L"Bpw_Person", L"ID", CIM_SINT32, L"EMP", L"ID", 1, 0, 2);
        registry->RegisterProperty(L"Bpw_Person", L"LastName", CIM_STRING, L"EMP", L"LASTNAME", 0, 20);
        registry->RegisterPropertyAttribute(L"Bpw_Person", L"LastName", L"not_null", 1);
        registry->RegisterProperty(L"Bpw_Person", L"FirstName", CIM_STRING, L"EMP", L"FIRSTNAME", 0, 20);
        registry->RegisterProperty(L"Bpw_Person", L"SegmentID", CIM_SINT32, L"EMP", L"SEGMENTID", 0, 0);
        registry->RegisterPropertyValues(L"Bpw_Person", L"SegmentID", L"",
                                         {{L"-1", L"Global"}, {L"1", L"Head office"}});
        registry->RegisterProperty(L"Bpw_Person", L"Photo", CIM_UINT8 | CIM_FLAG_ARRAY, L"EMP", L"PHOTO", 0, 0);
        registry->RegisterMethod(L"Bpw_Person", L"Echo");
        registry->RegisterMethodParameter(L"Bpw_Person", L"Echo", true, L"Text", CIM_STRING);
        registry->RegisterMethodParameter(L"Bpw_Person", L"Echo", false, L"Result", CIM_STRING);
        return true;
    }();
    (void)registered;
}

// The demo installation with the test classes, their tables, and a session of "sa".
class BusInstanceTest : public BusTestInstallation
{
protected:
    BusInstanceTest()
    {
        RegisterBusTestClasses();
        Exec("CREATE TABLE PAG_ALPHA (ID INTEGER PRIMARY KEY, NAME TEXT, EXTRA INTEGER);"
             "CREATE TABLE PAG_BETA (ID INTEGER PRIMARY KEY, NAME TEXT, EXTRA INTEGER);"
             "CREATE TABLE PAG_GAMMA (ID INTEGER PRIMARY KEY, NAME TEXT, EXTRA INTEGER);"
             "CREATE TABLE PAG_DELTA (ID INTEGER PRIMARY KEY, EXTRA INTEGER);"
             "ALTER TABLE EMP ADD COLUMN PHOTO BLOB;");
        m_token = Login("sa", "sa-demo");
    }

    // Rows 1..count of the type's table, named "<Type><n>".
    void Fill(const std::string& type, int count)
    {
        std::string upper = type;
        for (char& c : upper)
        {
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        }
        for (int row = 1; row <= count; ++row)
        {
            Exec("INSERT INTO PAG_" + upper + " (ID, NAME, EXTRA) VALUES (" + std::to_string(row) + ", '" + type +
                 std::to_string(row) + "', 7);");
        }
    }

    // The use count of the session's cache entry, besides the look-up's own.
    int UseCount()
    {
        CWmipUserCacheEntry* entry = nullptr;
        EXPECT_EQ(m_app->Sessions().GetUserCacheEntryForToken(m_token, kApplication, &entry, false), S_OK);
        const int count = entry->GetUseCount() - 1;
        m_app->Sessions().ReleaseUserCacheEntry(entry);
        return count;
    }

    std::string m_token;
};

}  // namespace bustest
