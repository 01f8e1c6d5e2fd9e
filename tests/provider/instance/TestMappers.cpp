// The mappers of the test classes, registered with the mapper registry, and the definition
// of the reader test class.
#include <algorithm>
#include <memory>
#include <string>

#include "tests/support/TestSegmentSources.h"
#include "framework/CWmipDynamicClassMapper.h"
#include "framework/CWmipMapperRegistry.h"
#include "framework/CWmipObjectPath.h"
#include "inhouse/BntLogin/DBConnectionManager.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "platform/com/CimTypes.h"
#include "platform/com/SafeArray.h"
#include "platform/wmi/IWbemObjectSink.h"
#include "platform/wmi/IWbemQualifierSet.h"
#include "platform/wmi/WbemClassObject.h"
#include "provider/CWmipApp.h"
#include "tests/provider/instance/InstanceProviderTestSupport.h"

using brontel::utility::CWMIException;

namespace instancetest {
namespace {

constexpr const wchar_t* kSource = L"TestMappers";

// The classes of the class listing; each gets a mapper that only builds its definition.
constexpr const wchar_t* kListedClasses[] = {
    L"Bnt_Segment",     L"Bnt_SegmentGroupMember", L"Bnt_Person",     L"Bnt_Badge",  L"Bnt_Visit",
    L"Bnt_SegmentUnit", L"Bnt_SegmentGroup",       L"Bnt_Cardholder", L"Bnt_Visitor"};

_variant_t StringArray(std::initializer_list<const wchar_t*> texts)
{
    SAFEARRAY* array = SafeArrayCreateVector(VT_BSTR, 0, static_cast<ULONG>(texts.size()));
    LONG index = 0;
    for (const wchar_t* text : texts)
    {
        BSTR element = SysAllocString(text);
        SafeArrayPutElement(array, &index, element);
        SysFreeString(element);
        ++index;
    }
    _variant_t value;
    value.vt = VT_ARRAY | VT_BSTR;
    value.parray = array;
    return value;
}

void PutQualifier(IWbemClassObject* classObject, const wchar_t* property, const wchar_t* name, _variant_t value)
{
    ComPtr<IWbemQualifierSet> qualifiers;
    if (SUCCEEDED(classObject->GetPropertyQualifierSet(property, &qualifiers)))
        qualifiers->Put(name, &value, 0);
}

// Counts the mappers alive, so that a test can see that none outlives its connection.
class LiveMapper
{
public:
    LiveMapper() { Lives().Born(); }
    ~LiveMapper() { Lives().Died(); }
    LiveMapper(const LiveMapper&) = delete;
    LiveMapper& operator=(const LiveMapper&) = delete;
};

// Reads READER rows as its class; drops every comparison on the computed Parity from the SQL.
class TestReaderMapper final : public CWmipDynamicClassMapper
{
public:
    TestReaderMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services, const wchar_t* className)
        : CWmipDynamicClassMapper(user, context, services, className)
    {
        SetPermissions(Control().viewPermission, kNoPermissionCheck, kNoPermissionCheck, kNoPermissionCheck);
    }

    ~TestReaderMapper() override
    {
        DBConnectionManager* manager = CWmipApp::GetConnectionManager();
        Lives().ReaderDied(manager != nullptr ? manager->GetLentCount() : -1);
    }

    BOOL WMIStoresClassDefinition() override { return Control().storesClassDefinition; }

    HRESULT CreateClass(IWbemClassObject** classObject, BOOL) override
    {
        if (Control().sharedClass != nullptr)
        {
            *classObject = ComPtr<IWbemClassObject>(Control().sharedClass).Detach();
            return S_OK;
        }
        *classObject = BuildReaderClass(GetClassName()).Detach();
        return *classObject != nullptr ? S_OK : WBEM_E_FAILED;
    }

    ProcessClauseResult ProcessClause(CString& property, int& wqlOperator, CString& literal, CString& extra) override
    {
        if (property.CompareNoCase(L"Parity") == 0)
            return ProcessClauseDrop;
        return CWmipDynamicClassMapper::ProcessClause(property, wqlOperator, literal, extra);
    }

    HRESULT CreateInstance(IWbemClassObject** instance) override
    {
        const HRESULT result = CWmipDynamicClassMapper::CreateInstance(instance);
        if (FAILED(result) || *instance == nullptr)
            return result;
        _variant_t reader;
        (*instance)->Get(L"ReaderID", 0, &reader, nullptr, nullptr);
        _variant_t parity(reader.vt == VT_I4 && reader.lVal % 2 == 0 ? L"even" : L"odd");
        (*instance)->Put(L"Parity", 0, &parity, 0);
        return result;
    }

    HRESULT PutInstance(IWbemClassObject*, LONG flags, CString& path) override
    {
        ++Control().putCalls;
        Control().lastPutFlags = flags;
        if (Control().putThrows != S_OK)
            throw CWMIException(kSource, __LINE__, Control().putThrows, L"The put was refused by the test.");
        if (SUCCEEDED(Control().putResult))
            path = L"Bnt_TestReader.PanelID=1,ReaderID=7";
        return Control().putResult;
    }

    HRESULT DeleteInstance(CWmipObjectPath* path) override
    {
        ++Control().deleteCalls;
        Control().lastDeletedClass = static_cast<LPCWSTR>(path->GetClassName());
        if (Control().deleteThrows != S_OK)
            throw CWMIException(kSource, __LINE__, Control().deleteThrows, L"The delete was refused by the test.");
        return Control().deleteResult;
    }

    bool IsMethodSupported(const wchar_t* methodName) override
    {
        return methodName != nullptr && std::wstring(methodName) == L"Pulse";
    }

    HRESULT ExecuteMethod(CWmipObjectPath*, const wchar_t* methodName, LONG, IWbemContext*, IWbemClassObject*,
                          IWbemObjectSink*) override
    {
        ++Control().methodCalls;
        Control().lastMethod = methodName;
        if (Control().methodThrows != S_OK)
            throw CWMIException(kSource, __LINE__, Control().methodThrows, L"The method was refused by the test.");
        return Control().methodResult;
    }

private:
    LiveMapper m_live;
};

// A class of the listing: builds a definition of its own name; its view right is refused when
// the test says so.
class ListedClassMapper final : public CWmipClassMapper
{
public:
    ListedClassMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services, const wchar_t* className)
        : CWmipClassMapper(user, context, services, className)
    {
        const auto& refused = Control().refusedListedClasses;
        const bool isRefused = std::find(refused.begin(), refused.end(), std::wstring(className)) != refused.end();
        // 0x1000000F is granted to nobody in the test database.
        SetPermissions(isRefused ? 0x1000000F : kNoPermissionCheck, 0, 0, 0);
    }

    BOOL WMIStoresClassDefinition() override { return FALSE; }

    HRESULT CreateClass(IWbemClassObject** classObject, BOOL) override
    {
        ComPtr<IWbemClassObject> built;
        const HRESULT result = CreateWbemClass(GetClassName(), nullptr, &built);
        if (FAILED(result))
            return result;
        built->Put(L"Name", 0, nullptr, CIM_STRING);
        *classObject = built.Detach();
        return S_OK;
    }

private:
    LiveMapper m_live;
};

}  // namespace

MapperControl& Control()
{
    static MapperControl control;
    return control;
}

void MapperLives::Clear()
{
    const CheckedMutexLock guard(m_lock);
    m_alive = 0;
    m_lentAtReaderDeaths.clear();
}

void MapperLives::Born()
{
    const CheckedMutexLock guard(m_lock);
    ++m_alive;
}

void MapperLives::Died()
{
    const CheckedMutexLock guard(m_lock);
    --m_alive;
}

void MapperLives::ReaderDied(int lentConnections)
{
    const CheckedMutexLock guard(m_lock);
    m_lentAtReaderDeaths.push_back(lentConnections);
}

int MapperLives::Alive() const
{
    const CheckedMutexLock guard(m_lock);
    return m_alive;
}

std::vector<int> MapperLives::LentAtReaderDeaths() const
{
    const CheckedMutexLock guard(m_lock);
    return m_lentAtReaderDeaths;
}

MapperLives& Lives()
{
    static MapperLives lives;
    return lives;
}

void ResetTestMappers()
{
    Control() = MapperControl();
    Lives().Clear();
}

ComPtr<IWbemClassObject> BuildReaderClass(const wchar_t* className)
{
    ComPtr<IWbemClassObject> built;
    if (FAILED(CreateWbemClass(className, nullptr, &built)))
        return nullptr;
    built->Put(L"PanelID", 0, nullptr, CIM_SINT32);
    built->Put(L"ReaderID", 0, nullptr, CIM_SINT32);
    built->Put(L"Description", 0, nullptr, CIM_STRING);
    built->Put(L"Parity", 0, nullptr, CIM_STRING);
    if (std::wstring(className) == kReaderClass)
    {
        PutQualifier(built.Get(), L"PanelID", L"key", _variant_t(true));
        PutQualifier(built.Get(), L"ReaderID", L"key", _variant_t(true));
    }
    PutQualifier(built.Get(), L"Description", L"ValueMap", StringArray({L"0", L"1"}));
    PutQualifier(built.Get(), L"Description", L"Values", StringArray({L"Entry", L"Exit"}));
    return built;
}

void RegisterTestClasses()
{
    static bool registered = false;
    if (registered)
        return;
    registered = true;
    CWmipMapperRegistry* registry = CWmipMapperRegistry::Instance();
    for (const wchar_t* readerClass : {kReaderClass, kKeylessReaderClass})
    {
        const std::wstring name(readerClass);
        const MapperFactory readerFactory = [name](const CAcsUser* user, IWbemContext* context, IWbemServices* services,
                                                   Door) -> CWmipClassMapper* {
            return std::make_unique<TestReaderMapper>(user, context, services, name.c_str()).release();
        };
        const int keyFlag = name == kReaderClass ? 1 : 0;
        registry->RegisterClass(readerClass, L"", readerFactory);
        support::DeclareNotSegmented(readerClass);
        CWmipMapperRegistry::AddToMapperChain(readerClass, readerFactory);
        registry->RegisterProperty(readerClass, L"PanelID", CIM_SINT32, L"READER", L"PANELID", keyFlag, 0);
        registry->RegisterProperty(readerClass, L"ReaderID", CIM_SINT32, L"READER", L"READERID", keyFlag, 0);
        registry->RegisterProperty(readerClass, L"Description", CIM_STRING, L"READER", L"READERDESC", 0, 64);
        registry->RegisterMethod(readerClass, L"Pulse");
    }
    for (const wchar_t* listed : kListedClasses)
    {
        const std::wstring name(listed);
        const MapperFactory factory = [name](const CAcsUser* user, IWbemContext* context, IWbemServices* services,
                                             Door) -> CWmipClassMapper* {
            return std::make_unique<ListedClassMapper>(user, context, services, name.c_str()).release();
        };
        registry->RegisterClass(listed, L"", factory);
        support::DeclareNotSegmented(listed);
        CWmipMapperRegistry::AddToMapperChain(listed, factory);
    }
}

}  // namespace instancetest
