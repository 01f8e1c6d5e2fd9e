#include "mappers/records/CWmipGuardTourMapper.h"

#include "common/AccessCodes.h"
#include "framework/CWmipMessages.h"
#include "framework/CWmipObjectPath.h"
#include "framework/CWmipWriteFrame.h"
#include "framework/WMIHelper.h"
#include "hardware/ClslRPCServerProxy.h"
#include "inhouse/BntAccessSets/CLinkageServerHostWorkstationJoinSet.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "mappers/records/helpers/CWmipMethodOutput.h"
#include "mappers/records/helpers/CWmipMethodParameters.h"
#include "mappers/records/helpers/CWmipRecordChecks.h"
#include "platform/com/Unknown.h"
#include "platform/com/WbemConstants.h"

using brontel::utility::CWMIDebugLog;
using brontel::utility::CWMIException;

namespace {
constexpr wchar_t kSourceFile[] = L"CWmipGuardTourMapper.cpp";
constexpr wchar_t kLaunchTourMethod[] = L"LaunchTour";
}  // namespace

CWmipGuardTourMapper::CWmipGuardTourMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
    : CWmipMapperSkeleton(user, context, services), m_user(user)
{
    SetPermissions(Permission::kViewGuardTours, 0, 0, 0);
}

HRESULT CWmipGuardTourMapper::ExecuteMethod(CWmipObjectPath* path, const wchar_t* methodName, LONG, IWbemContext*,
                                            IWbemClassObject* inParams, IWbemObjectSink* sink)
{
    if (path != nullptr && methodName != nullptr && CString(methodName).CompareNoCase(kLaunchTourMethod) == 0)
    {
        // The server is never asked to launch a tour for a badge the caller may not see, nor for
        // one that does not exist: the write frame resolves it behind the permission step, and
        // holds it so until the server has been asked.
        return CWmipWriteFrame::RunMethod(
            *this, path, kLaunchTourMethod, inParams,
            [&](IWbemClassObject* instance) { RequirePermission(Permission::kLaunchGuardTours, instance); },
            [&](IWbemClassObject* instance, CBntDatabase&) { return LaunchTour(instance, inParams, sink); });
    }
    ComPtr<IWbemClassObject> instance;
    instance.Attach(GetCurrentInstance(path));
    if (instance == nullptr)
        throw CWMIException(kSourceFile, __LINE__, WBEM_E_NOT_FOUND, CWmipMessages::kNotFound);
    return WBEM_E_METHOD_NOT_IMPLEMENTED;
}

HRESULT CWmipGuardTourMapper::LaunchTour(IWbemClassObject* instance, IWbemClassObject* inParams, IWbemObjectSink* sink)
{
    try
    {
        LONG tourId = 0;
        if (FAILED(WMIHelper::GetNumber(instance, L"ID", tourId)))
            return WBEM_E_FAILED;
        const LONGLONG badgeId = CWmipMethodParameters::Number64(inParams, L"BadgeID");
        const LONG stationId = static_cast<LONG>(CWmipMethodParameters::Number64(inParams, L"MonStationID"));
        LONG result = kNotLaunched;
        CString host;
        // Without a linkage server of the caller's database there is nobody to ask: an empty
        // host would be taken for the local machine and reach whatever server runs there.
        if (FindLinkageServerHost(host))
        {
            ClslRPCServerProxy proxy(host);
            proxy.LaunchTour(tourId, 0, badgeId, 0, stationId, &result);
        }
        else
        {
            CWMIDebugLog::LogError(kSourceFile, __LINE__,
                                   L"No linkage server serves this database; the tour was not launched.");
        }
        return CWmipMethodOutput::Indicate(
            *this, kWMIClassName, kLaunchTourMethod, sink,
            [result](IWbemClassObject* output) { return WMIHelper::PutNumber(output, L"ReturnValue", result); });
    }
    catch (...)
    {
        return WBEM_E_FAILED;
    }
}

bool CWmipGuardTourMapper::FindLinkageServerHost(CString& host)
{
    if (m_user == nullptr || GetDatabase() == nullptr)
        return false;
    CLinkageServerHostWorkstationJoinSet servers(GetDatabase());
    servers.AddDBIDFilter(m_user->GetDatabaseID());
    servers.AppendJoinFilter();
    servers.OpenForwardOnly();
    const bool found = !servers.IsEOF();
    if (found)
        host = servers.GetHostName().TrimRight();
    servers.Close();
    return found && !host.IsEmpty();
}
