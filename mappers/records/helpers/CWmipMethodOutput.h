// CWmipMethodOutput: how a record mapper's WMI method answers its out-parameters, written once:
// the class definition fetched through the mapper as the system, the out-signature of a method spawned into
// one object, filled by the caller's step and indicated to the sink.
//
// Static helpers; each call runs on the request's thread for one mapper. No state.
#pragma once

#include <functional>

#include "platform/win32/WinTypes.h"

class CWmipClassMapper;
class IWbemClassObject;
class IWbemObjectSink;

class CWmipMethodOutput
{
public:
    // Puts the out-parameters into the spawned object; a failed put is thrown or answered.
    using Fill = std::function<HRESULT(IWbemClassObject* output)>;

    CWmipMethodOutput() = delete;

    // Fetches the definition of className through the mapper as the system (only its method
    // signature is used, and a caller holding the method's right but not the class's view right
    // must get its answer too), spawns the out-signature of method, lets fill put the values and
    // indicates that one object. The
    // HRESULT of the indication; the first failure of the fetch, the signature, the spawn or the
    // fill (nothing indicated then); WBEM_E_INVALID_PARAMETER without a sink. Exceptions of fill
    // pass on.
    static HRESULT Indicate(CWmipClassMapper& mapper, const wchar_t* className, const wchar_t* method,
                            IWbemObjectSink* sink, const Fill& fill);
};
