// CWmipDeviceMethod: the shape every device mapper's WMI methods share, written once:
// dispatch by method name over the class's method table, which checks the caller's identity
// and the row's permission in the write frame, runs the row's command step only after the
// frame's commit (CWmipAfterCommit: no server is called under the write lock) and writes the
// row's audit record only when the step succeeded; a command step that sends one command
// to the hardware driver server of the device's host through an LAAPProxy; and a status step that answers a status word
// as the output parameter "Status". The class mappers pass in only the step that builds and sends the command or reads
// the status.
//
// Static helpers; each call runs on the request's thread for one mapper. No state.
#pragma once

#include <functional>
#include <span>
#include <type_traits>

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

    // ExecuteMethod, in the write frame (CWmipWriteFrame::RunMethod): inside its transaction the
    // current instance of the path read as the caller (none, or one the caller may not see:
    // throws 0x80041002 with CWmipMessages::kNotFound, before the name is looked at), then the
    // first row whose name equals methodName without regard to case (none: 0x80041055). For that
    // row: its check of the in-parameters when it has one (an answer other than S_OK is the
    // method's), the caller and the row's permission (CheckCaller's exceptions pass out), the
    // records the in-parameters name. Only after the commit, with no transaction open, and
    // before the answer, the row's step runs (it is what reaches the hardware): a step that
    // answers S_OK is audited with the row's record, and it and kNothingSent answer the
    // permission check's success code; any other answer of the step is the method's. A step's
    // exception passes out unchanged and nothing is audited. Refused (WBEM_E_FAILED,
    // CWmipAfterCommit::kInsideAnotherWrite) when a transaction is already open on the thread,
    // and, as every write, by the frame on a database this process may not write, before the
    // step (the audit record could not be written after it).
    template <class Owner>
    static HRESULT Dispatch(std::type_identity_t<Owner>& mapper, const wchar_t* source, CWmipObjectPath* path,
                            const wchar_t* methodName, std::span<const MapperMethodEntry<Owner>> table,
                            IWbemClassObject* inParams, IWbemObjectSink* sink)
    {
        const MapperMethodEntry<Owner>* found = nullptr;
        return RunFramed(
            mapper, source, path, methodName, inParams, sink,
            [&](DeviceMethodCall& call, DWORD& permission) -> HRESULT {
                for (const MapperMethodEntry<Owner>& row : table)
                {
                    if (CString(row.name).CompareNoCase(methodName) == 0)
                    {
                        found = &row;
                        call.audit = row.audit;
                        permission = row.permission;
                        return row.check != nullptr ? (mapper.*row.check)(call) : S_OK;
                    }
                }
                return WBEM_E_INVALID_METHOD;
            },
            [&](DeviceMethodCall& call) { return (mapper.*found->handler)(call); });
    }

    // A command step: under a catch-all (any exception: logged with its text, WBEM_E_FAILED)
    // reads hostProperty, aims a proxy at the host and runs the command once. S_OK after a
    // successful command; kNothingSent when the command had nothing to send;
    // WBEM_E_INVALID_PARAMETER when it refused its keys; WBEM_E_FAILED without a text when the
    // server did not take the command, its reason (LAAPProxy::GetLastFailure) in an error line
    // of the log.
    static HRESULT RunCommand(const wchar_t* source, IWbemClassObject* instance, const wchar_t* hostProperty,
                              const Command& command);

    // A GetHardwareStatus step: RunOutput answering the status step's word as "Status".
    static HRESULT RunStatus(CWmipClassMapper& mapper, const wchar_t* source, IWbemObjectSink* sink,
                             const StatusRead& status);

    // A step with output parameters (GetMode and the like): under the catch-all, answers the
    // object that fill completes (AnswerOutput). S_OK once it was handed over; WBEM_E_FAILED
    // otherwise, its reason logged.
    static HRESULT RunOutput(CWmipClassMapper& mapper, const wchar_t* source, IWbemObjectSink* sink,
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

    // A numeric property of the instance; one that cannot be read as a number throws
    // CWMIException WBEM_E_FAILED (inside the handlers' catch-all).
    static LONG Number(IWbemClassObject* instance, const wchar_t* property);
    // A text property of the instance; empty when it is missing or NULL (an empty host binds
    // to no server).
    static CString Text(IWbemClassObject* instance, const wchar_t* property);

private:
    // The caller (into *user) and the permission. Throws CWMIException: the lookup's HRESULT
    // with CWmipMessages::kNoIdentity, 0x80041003 with CWmipMessages::kAccessDenied, or another
    // failing permission code without text. The permission check's success code otherwise.
    static HRESULT CheckCaller(CWmipClassMapper& mapper, const wchar_t* source, DWORD permission,
                               IWbemClassObject* instance, CAcsUser** user);
    // Finds the row of the call inside the frame: the call's audit record and the row's
    // permission into its arguments; S_OK to go on, any other answer is the method's.
    using Select = std::function<HRESULT(DeviceMethodCall& call, DWORD& permission)>;
    using Step = std::function<HRESULT(DeviceMethodCall& call)>;
    // Dispatch's work: the frame (instance, row, check, CheckCaller, named records), then, after
    // its commit, the step and its audit.
    static HRESULT RunFramed(CWmipClassMapper& mapper, const wchar_t* source, CWmipObjectPath* path,
                             const wchar_t* methodName, IWbemClassObject* inParams, IWbemObjectSink* sink,
                             const Select& select, const Step& step);
    // Writes the call's audit record on the mapper's connection (its answer is not examined):
    // the call's audit text, or the record's text resource naming the device's "Name".
    static void Audit(CWmipClassMapper& mapper, CAcsUser* user, const DeviceMethodCall& call);
};
