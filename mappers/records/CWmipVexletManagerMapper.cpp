#include "mappers/records/CWmipVexletManagerMapper.h"

#include "framework/CWmipClassCache.h"
#include "framework/WMIHelper.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "mappers/records/helpers/CWmipMethodOutput.h"
#include "platform/com/CimTypes.h"
#include "platform/com/WbemConstants.h"
#include "framework/WmipHostServices.h"

namespace {
constexpr wchar_t kRefreshCache[] = L"RefreshCache";
constexpr wchar_t kGetCurrentUser[] = L"GetCurrentUser";
}  // namespace

CWmipVexletManagerMapper::CWmipVexletManagerMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
    : CWmipMapperSkeleton(user, context, services)
{
}

CWmipVexletManagerMapper::CWmipVexletManagerMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services,
                                                   const wchar_t* className)
    : CWmipMapperSkeleton(user, context, services, className)
{
}

bool CWmipVexletManagerMapper::IsMethodSupported(const wchar_t* methodName)
{
    return methodName != nullptr && (CString(methodName) == kRefreshCache || CString(methodName) == kGetCurrentUser);
}

HRESULT CWmipVexletManagerMapper::ExecuteMethod(CWmipObjectPath*, const wchar_t* methodName, LONG, IWbemContext*,
                                                IWbemClassObject*, IWbemObjectSink* sink)
{
    const CString name(methodName != nullptr ? methodName : L"");
    if (name.CompareNoCase(kRefreshCache) == 0)
        return RefreshCache();
    if (name.CompareNoCase(kGetCurrentUser) == 0)
        return GetCurrentUser(sink);
    return WBEM_E_METHOD_NOT_IMPLEMENTED;
}

HRESULT CWmipVexletManagerMapper::RefreshCache()
{
    RequireUser();
    try
    {
        CWmipClassCache* cache = WmipHostServices::ClassCache();
        if (cache == nullptr)
            return WBEM_E_FAILED;
        cache->Clear();
        return S_OK;
    }
    catch (...)
    {
        return WBEM_E_FAILED;
    }
}

HRESULT CWmipVexletManagerMapper::GetCurrentUser(IWbemObjectSink* sink)
{
    const CAcsUser* user = RequireUser();
    try
    {
        CString text;
        text.FormatMessage(L"%1, %2 (%3!ld!)", user->GetLastName().GetString(), user->GetFirstName().GetString(),
                           user->GetUserID());
        return CWmipMethodOutput::Indicate(*this, kWMIClassName, kGetCurrentUser, sink,
                                           [&text](IWbemClassObject* output) {
                                               return WMIHelper::PutString(output, L"ReturnValue", text, CIM_STRING);
                                           });
    }
    catch (...)
    {
        return WBEM_E_FAILED;
    }
}
