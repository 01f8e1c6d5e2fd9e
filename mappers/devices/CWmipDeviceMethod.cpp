#include "mappers/devices/CWmipDeviceMethod.h"

#include "framework/CWmipMessages.h"
#include "framework/CWmipAfterCommit.h"
#include "framework/WMIHelper.h"
#include "hardware/LAAPProxy.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntResources/BntResourceStrings.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "platform/mfc/CException.h"
#include "platform/wmi/IWbemObjectSink.h"
#include "framework/WmipHostServices.h"

using brontel::utility::CWMIException;

namespace {

constexpr wchar_t kDeviceMethodSource[] = L"CWmipDeviceMethod";
constexpr wchar_t kStatusMethod[] = L"GetHardwareStatus";
constexpr wchar_t kStatusProperty[] = L"Status";
constexpr wchar_t kCommandFailed[] = L"The hardware command failed.";
constexpr wchar_t kOutputFailed[] = L"The device method could not answer.";

}  // namespace

HRESULT CWmipDeviceMethod::CheckCaller(CWmipClassMapper& mapper, const wchar_t* source, DWORD permission,
                                       IWbemClassObject* instance, CAcsUser** user)
{
    const HRESULT found = mapper.GetUser(user);
    if (FAILED(found))
        throw CWMIException(source, __LINE__, found, CWmipMessages::kNoIdentity);
    const HRESULT allowed = mapper.CanPerformOperation(permission, instance);
    if (allowed == WBEM_E_ACCESS_DENIED)
        throw CWMIException(source, __LINE__, WBEM_E_ACCESS_DENIED, CWmipMessages::kAccessDenied);
    if (FAILED(allowed))
        throw CWMIException(source, __LINE__, allowed);
    return allowed;
}

HRESULT CWmipDeviceMethod::RunFramed(CWmipClassMapper& mapper, const wchar_t* source, CWmipObjectPath* path,
                                     const wchar_t* methodName, IWbemClassObject* inParams, IWbemObjectSink* sink,
                                     const Select& select, const Step& step)
{
    // A device method always names its device: no path is no device.
    if (path == nullptr)
        throw CWMIException(source, __LINE__, WBEM_E_NOT_FOUND, CWmipMessages::kNotFound);
    DeviceMethodCall call{nullptr, inParams, sink, DeviceAudit{}, CString()};
    // The step reads the device after the frame has let its own copy go.
    ComPtr<IWbemClassObject> device;
    HRESULT selected = S_OK;
    HRESULT allowed = S_OK;
    CAcsUser* user = nullptr;
    // Every row audits a step that succeeded: the method writes, if only after the commit.
    return CWmipAfterCommit::RunMethod(
        source, mapper, path, methodName, inParams, CWmipWriteFrame::MethodRows::Written,
        [&](IWbemClassObject* instance) {
            device = ComPtr<IWbemClassObject>(instance);
            call.instance = instance;
            DWORD permission = 0;
            selected = select(call, permission);
            if (selected == S_OK)
                allowed = CheckCaller(mapper, source, permission, instance, &user);
        },
        [&](IWbemClassObject*, CBntDatabase&) { return selected; },
        [&] {
            const HRESULT answer = step(call);
            if (answer == S_OK)
                Audit(mapper, user, call);
            return answer == S_OK || answer == kNothingSent ? allowed : answer;
        });
}

HRESULT CWmipDeviceMethod::RunCommand(const wchar_t* source, IWbemClassObject* instance, const wchar_t* hostProperty,
                                      const Command& command)
{
    try
    {
        LAAPProxy proxy;
        proxy.SetHostName(Text(instance, hostProperty));
        const HRESULT sent = command(proxy);
        if (sent == S_OK || sent == kNothingSent || sent == WBEM_E_INVALID_PARAMETER)
            return sent;
        // The caller hears a plain failure; the log keeps why the server did not take it.
        CString refusal = proxy.GetLastFailure();
        if (refusal.IsEmpty())
            refusal = CWmipMessages::kHardwareCommandNotAccepted;
        brontel::utility::CWMIDebugLog::LogError(source, __LINE__, CString(kCommandFailed) + L" " + refusal);
        return WBEM_E_FAILED;
    }
    catch (...)
    {
        // Whatever fails after the permission check is a failed command, never an exception.
        LogCaught(source, __LINE__, kCommandFailed);
        return WBEM_E_FAILED;
    }
}

HRESULT CWmipDeviceMethod::RunStatus(CWmipClassMapper& mapper, const wchar_t* source, IWbemObjectSink* sink,
                                     const StatusRead& status)
{
    return RunOutput(mapper, source, sink, kStatusMethod, [&](IWbemClassObject* output) {
        WMIHelper::PutUnsignedNumber(output, kStatusProperty, status());
    });
}

HRESULT CWmipDeviceMethod::RunOutput(CWmipClassMapper& mapper, const wchar_t* source, IWbemObjectSink* sink,
                                     const wchar_t* method, const OutputFill& fill)
{
    try
    {
        if (AnswerOutput(mapper, sink, method, fill) == S_OK)
            return S_OK;
        brontel::utility::CWMIDebugLog::LogError(source, __LINE__,
                                                 CString(kOutputFailed) + L" Its output could not be delivered.");
        return WBEM_E_FAILED;
    }
    catch (...)
    {
        // As for commands: the handler answers a plain failure, its reason in the log.
        LogCaught(source, __LINE__, kOutputFailed);
        return WBEM_E_FAILED;
    }
}

HRESULT CWmipDeviceMethod::AnswerOutput(CWmipClassMapper& mapper, IWbemObjectSink* sink, const wchar_t* method,
                                        const OutputFill& fill)
{
    if (sink == nullptr)
        return WBEM_E_FAILED;
    ComPtr<IWbemClassObject> classObject;
    // Fetched as the system: only the method's out-signature is used, and the method's own
    // permission has decided, whatever the caller may view of the class.
    if (FAILED(mapper.GetObject(mapper.GetClassName(), &classObject, 1, 0)) || classObject == nullptr)
        return WBEM_E_FAILED;
    ComPtr<IWbemClassObject> signature;
    if (FAILED(classObject->GetMethod(method, 0, nullptr, &signature)) || signature == nullptr)
        return WBEM_E_FAILED;
    ComPtr<IWbemClassObject> output;
    if (FAILED(signature->SpawnInstance(0, &output)) || output == nullptr)
        return WBEM_E_FAILED;
    fill(output.Get());
    IWbemClassObject* objects[] = {output.Get()};
    return sink->Indicate(1, objects) == WBEM_S_NO_ERROR ? S_OK : WBEM_E_FAILED;
}

CWimpHardwareStatusCache& CWmipDeviceMethod::StatusCache()
{
    CWimpHardwareStatusCache* cache = WmipHostServices::HardwareStatusCache();
    if (cache == nullptr)
        throw CWMIException(kDeviceMethodSource, __LINE__, WBEM_E_FAILED);
    return *cache;
}

void CWmipDeviceMethod::Audit(CWmipClassMapper& mapper, CAcsUser* user, const DeviceMethodCall& call)
{
    if (user == nullptr)
        return;
    CString text = call.auditText;
    if (text.IsEmpty())
    {
        CString format;
        brontel::resources::LoadResourceString(call.audit.textResource, format);
        text.FormatMessage(format, Text(call.instance, L"Name").GetString());
    }
    user->LogTransToDB(call.audit.operation, call.audit.objectKind, text, mapper.GetDatabase(), 0, nullptr);
}

LONG CWmipDeviceMethod::Number(IWbemClassObject* instance, const wchar_t* property)
{
    LONG value = 0;
    if (FAILED(WMIHelper::GetNumber(instance, property, value)))
        throw CWMIException(kDeviceMethodSource, __LINE__, WBEM_E_FAILED);
    return value;
}

CString CWmipDeviceMethod::Text(IWbemClassObject* instance, const wchar_t* property)
{
    CString value;
    WMIHelper::GetString(instance, property, value);
    return value;
}

void CWmipDeviceMethod::LogCaught(const wchar_t* source, int line, const wchar_t* what)
{
    using brontel::utility::CWMIDebugLog;
    try
    {
        throw;
    }
    catch (const CWMIException& e)
    {
        CWMIDebugLog::LogError(source, line, what, e.GetHResult(), nullptr, &e);
    }
    catch (const CException& e)
    {
        CWMIDebugLog::LogError(source, line, what, WBEM_E_FAILED, &e);
    }
    catch (const std::exception& e)
    {
        CWMIDebugLog::LogError(source, line, CString(what) + L" " + CString(e.what()));
    }
    catch (...)
    {
        CWMIDebugLog::LogError(source, line, CString(what) + L" The cause is unknown.");
    }
}
