#include "mappers/records/CWmipGuardTourMapper.h"

#include "common/AccessCodes.h"
#include "framework/CWmipMessages.h"
#include "framework/CWmipObjectPath.h"
#include "framework/CWmipAfterCommit.h"
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
constexpr wchar_t kGuardTourMapperSourceFile[] = L"CWmipGuardTourMapper.cpp";
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
        // one that does not exist: the write frame resolves it behind the permission step. The
        // server is asked once that frame has let the write lock go.
        Launch launch;
        return CWmipAfterCommit::RunMethod(
            kGuardTourMapperSourceFile, *this, path, kLaunchTourMethod, inParams, CWmipWriteFrame::MethodRows::None,
            [&](IWbemClassObject* instance) { RequirePermission(Permission::kLaunchGuardTours, instance); },
            [&](IWbemClassObject* instance, CBntDatabase&) { return PrepareLaunch(instance, inParams, launch); },
            [&] { return LaunchTour(launch, sink); });
    }
    ComPtr<IWbemClassObject> instance;
    instance.Attach(GetCurrentInstance(path));
    if (instance == nullptr)
        throw CWMIException(kGuardTourMapperSourceFile, __LINE__, WBEM_E_NOT_FOUND, CWmipMessages::kNotFound);
    return WBEM_E_METHOD_NOT_IMPLEMENTED;
}

HRESULT CWmipGuardTourMapper::PrepareLaunch(IWbemClassObject* instance, IWbemClassObject* inParams, Launch& launch)
{
    try
    {
        if (FAILED(WMIHelper::GetNumber(instance, L"ID", launch.tourId)))
            return WBEM_E_FAILED;
        launch.badgeId = CWmipMethodParameters::Number64(inParams, L"BadgeID");
        launch.stationId = static_cast<LONG>(CWmipMethodParameters::Number64(inParams, L"MonStationID"));
        launch.host.Empty();
        // Without a linkage server of the caller's database there is nobody to ask: an empty
        // host would be taken for the local machine and reach whatever server runs there.
        if (!FindLinkageServerHost(launch.host))
        {
            launch.host.Empty();
            CWMIDebugLog::LogError(kGuardTourMapperSourceFile, __LINE__,
                                   L"No linkage server serves this database; the tour was not launched.");
        }
        return S_OK;
    }
    catch (...)
    {
        return WBEM_E_FAILED;
    }
}

HRESULT CWmipGuardTourMapper::LaunchTour(const Launch& launch, IWbemObjectSink* sink)
{
    try
    {
        LONG result = kNotLaunched;
        if (!launch.host.IsEmpty())
        {
            ClslRPCServerProxy proxy(launch.host);
            proxy.LaunchTour(launch.tourId, 0, launch.badgeId, 0, launch.stationId, &result);
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
