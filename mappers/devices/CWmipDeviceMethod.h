// CWmipDeviceMethod: the shape every device mapper's WMI methods share, written once:
// dispatch by method name over the class's method table; the caller's identity and the
// method's permission; a command handler that sends one command to the hardware driver server
// of the device's host through an LAAPProxy and audits it only when it succeeded; and a status
// handler that answers a status word as the output parameter "Status" and audits it. The
// class mappers pass in what differs: the permission, the audit values and the step that
// builds and sends the command or reads the status.
//
// Static helpers; each call runs on the request's thread for one mapper. No state.
#pragma once

#include <functional>
#include <span>

#include "framework/CWmipClassMapper.h"
#include "framework/CWmipMessages.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "mappers/devices/MapperMethodEntry.h"
#include "platform/com/Unknown.h"
#include "platform/com/WbemConstants.h"
#include "platform/mfc/CString.h"

class CAcsUser;
class CWimpHardwareStatusCache;
class CWmipObjectPath;
class IWbemObjectSink;
class LAAPProxy;

// The audit record of one method: operation, object kind and text resource (its %1 is the
// device's "Name").
struct DeviceAudit
{
    LONG operation;
    LONG objectKind;
    UINT textResource;
};

class CWmipDeviceMethod
{
public:
    // What a command step answers when it had nothing to send: the handler succeeds without an
    // audit record.
    static constexpr HRESULT kNothingSent = S_FALSE;

    // A command step: sends the command through the proxy (already aimed at the device's
    // host). S_OK when the call succeeded, WBEM_E_FAILED when it did not,
    // WBEM_E_INVALID_PARAMETER when a key is out of range and nothing was sent, kNothingSent
    // when the device needs no command.
    using Command = std::function<HRESULT(LAAPProxy& proxy)>;
    // A status step: the status word to answer.
    using StatusRead = std::function<ULONG()>;
    // Fills the output-parameter object of a method.
    using OutputFill = std::function<void(IWbemClassObject* output)>;

    CWmipDeviceMethod() = delete;

    // ExecuteMethod: the current instance of the path (none: throws 0x80041002 with
    // CWmipMessages::kNotFound, before the name is looked at), then the first row whose name equals
    // methodName without regard to case; its handler's result, or 0x80041055 when no row
    // matches. A handler's exception passes out unchanged; the instance is released on every
    // path.
    template <class Mapper>
    static HRESULT Dispatch(Mapper& mapper, const wchar_t* source, CWmipObjectPath* path, const wchar_t* methodName,
                            std::span<const MapperMethodEntry<Mapper>> table, IWbemClassObject* inParams,
                            IWbemObjectSink* sink)
    {
        ComPtr<IWbemClassObject> instance;
        instance.Attach(mapper.GetCurrentInstance(path));
        if (instance == nullptr)
            throw brontel::utility::CWMIException(source, __LINE__, WBEM_E_NOT_FOUND, CWmipMessages::kNotFound);
        for (const MapperMethodEntry<Mapper>& row : table)
        {
            if (CString(row.name).CompareNoCase(methodName) == 0)
                return (mapper.*row.handler)(instance.Get(), inParams, sink);
        }
        return WBEM_E_INVALID_METHOD;
    }

    // Steps 1 and 2 of every handler: the caller (into *user) and the method's permission.
    // Throws CWMIException: the lookup's HRESULT with CWmipMessages::kNoIdentity, 0x80041003
    // with CWmipMessages::kAccessDenied, or another failing permission code without text. The permission check's
    // success code otherwise.
    static HRESULT CheckCaller(CWmipClassMapper& mapper, const wchar_t* source, DWORD permission,
                               IWbemClassObject* instance, CAcsUser** user);

    // A command handler: CheckCaller, then under a catch-all (any exception: logged with its
    // text, WBEM_E_FAILED, no audit) reads hostProperty and "Name", aims a proxy at the host
    // and runs the command step once. S_OK-class result of the permission check and one audit
    // record after a successful command; the same without audit when the step had nothing to
    // send; WBEM_E_INVALID_PARAMETER without audit when the step refused its keys. A command
    // the server did not take throws CWMIException WBEM_E_FAILED whose message is the reason
    // (LAAPProxy::GetLastFailure), logged first; nothing is audited.
    static HRESULT RunCommand(CWmipClassMapper& mapper, const wchar_t* source, DWORD permission,
                              IWbemClassObject* instance, const wchar_t* hostProperty, const DeviceAudit& audit,
                              const Command& command);

    // A GetHardwareStatus handler: RunOutput answering the status step's word as "Status".
    static HRESULT RunStatus(CWmipClassMapper& mapper, const wchar_t* source, DWORD permission,
                             IWbemClassObject* instance, IWbemObjectSink* sink, const DeviceAudit& audit,
                             const StatusRead& status);

    // A handler with output parameters (GetMode and the like): CheckCaller, then under the
    // catch-all reads "Name", answers the object that fill completes (AnswerOutput) and audits
    // once it was handed over. S_OK; WBEM_E_FAILED without audit otherwise, its reason logged.
    static HRESULT RunOutput(CWmipClassMapper& mapper, const wchar_t* source, DWORD permission,
                             IWbemClassObject* instance, IWbemObjectSink* sink, const DeviceAudit& audit,
                             const wchar_t* method, const OutputFill& fill);

    // The output of a method of the mapper's class: an instance of the method's output
    // signature, completed by fill and indicated to the sink. S_OK; WBEM_E_FAILED when the
    // class, signature or instance cannot be had or Indicate fails.
    static HRESULT AnswerOutput(CWmipClassMapper& mapper, IWbemObjectSink* sink, const wchar_t* method,
                                const OutputFill& fill);

    // The provider's hardware status cache for a status step; none throws CWMIException
    // WBEM_E_FAILED (inside the handlers' catch-all).
    static CWimpHardwareStatusCache& StatusCache();

    // Logs the exception being handled as an error line: `what`, then the exception's own text.
    // Call only inside a catch block.
    static void LogCaught(const wchar_t* source, int line, const wchar_t* what);

    // Writes the audit record (its answer is not examined).
    static void Audit(CAcsUser* user, const DeviceAudit& audit, const CString& name);

    // A numeric property of the instance; one that cannot be read as a number throws
    // CWMIException WBEM_E_FAILED (inside the handlers' catch-all).
    static LONG Number(IWbemClassObject* instance, const wchar_t* property);
    // A text property of the instance; empty when it is missing or NULL (an empty host binds
    // to no server).
    static CString Text(IWbemClassObject* instance, const wchar_t* property);
};
