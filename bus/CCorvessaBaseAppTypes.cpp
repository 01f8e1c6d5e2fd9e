// CCorvessaBaseApp: the type list and the type descriptions that bus clients discover the
// data model through.

#include "bus/CCorvessaBaseApp.h"
#include "bus/CCorvessaException.h"
#include "bus/CCorvessaQpidType.h"
#include "framework/CWMITypeInfo.h"
#include "framework/CWmipMapperRegistry.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "inhouse/BntUtility/StringConversion.h"
#include "platform/win32/SystemInfo.h"
#include "provider/CWmipUserCacheEntry.h"

using brontel::utility::ConvertCStringToUtf8;
using brontel::utility::CWMIDebugLog;
using brontel::utility::CWMIException;

namespace {

constexpr wchar_t kBaseAppTypesSource[] = L"CorvessaBaseApp";

}  // namespace

HRESULT CCorvessaBaseApp::GetTypes(const std::string& token, const std::string& applicationId,
                                   std::map<std::string, qpid::types::Variant>& result)
{
    const ULONGLONG start = GetTickCount64();
    EntryLease lease;
    const HRESULT hr = m_sessions->LeaseEntryForToken(token, applicationId, lease);
    if (FAILED(hr))
    {
        return hr;
    }
    // The token only proves the caller.
    lease.reset();
    CWmipMapperRegistry* registry = CWmipMapperRegistry::Instance();
    for (const CString& name : registry->GetTypeNames())
    {
        const CWMITypeInfo* typeInfo = registry->GetTypeInfo(name);
        if (typeInfo != nullptr && typeInfo->IsExposedOnBus())
        {
            result[ConvertCStringToUtf8(name)] =
                qpid::types::Variant(ConvertCStringToUtf8(typeInfo->GetParentTypeName()));
        }
    }
    CString text;
    text.Format(L"CCorvessaBaseApp::GetTypes took %ld ms", static_cast<long>(GetTickCount64() - start));
    CWMIDebugLog::LogInfo(kBaseAppTypesSource, __LINE__, text);
    return S_OK;
}

HRESULT CCorvessaBaseApp::GetType(const std::string& token, const std::string& applicationId, std::string typeName,
                                  CCorvessaQpidType& result)
{
    const ULONGLONG start = GetTickCount64();
    EntryLease lease;
    const HRESULT hr = m_sessions->LeaseEntryForToken(token, applicationId, lease);
    if (FAILED(hr))
    {
        return hr;
    }
    // Held until the details are built, and given back on every path.
    CWmipUserCacheEntry* const entry = lease.get();
    const CString name = brontel::utility::ConvertUtf8ToCString(typeName);
    try
    {
        Initialize();
        CWMITypeInfo* typeInfo = CWmipMapperRegistry::Instance()->GetTypeInfo(name);
        if (typeInfo == nullptr || !typeInfo->IsExposedOnBus())
        {
            CString message;
            message.Format(L"Failed to get details for type %s", name.GetString());
            throw CCorvessaException(CCorvessaException::kInvalidTypeNameKey, message);
        }
        result.PopulateTypeDetails(entry, typeInfo);
        CString text;
        text.Format(L"CCorvessaBaseApp::GetType took %ld ms to get type %s",
                    static_cast<long>(GetTickCount64() - start), name.GetString());
        CWMIDebugLog::LogInfo(kBaseAppTypesSource, __LINE__, text);
        return S_OK;
    }
    catch (const CWMIException& e)
    {
        CWMIDebugLog::LogError(kBaseAppTypesSource, __LINE__, e.GetMessage(), e.GetHResult(), nullptr, &e);
        throw CCorvessaException(CCorvessaException::kInvalidTypeNameKey, e);
    }
}
