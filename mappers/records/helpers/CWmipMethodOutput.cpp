#include "mappers/records/helpers/CWmipMethodOutput.h"

#include "framework/CWmipClassMapper.h"
#include "platform/com/Unknown.h"
#include "platform/com/WbemConstants.h"
#include "platform/wmi/IWbemClassObject.h"
#include "platform/wmi/IWbemObjectSink.h"

HRESULT CWmipMethodOutput::Indicate(CWmipClassMapper& mapper, const wchar_t* className, const wchar_t* method,
                                    IWbemObjectSink* sink, const Fill& fill)
{
    if (sink == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    ComPtr<IWbemClassObject> classObject;
    HRESULT hr = mapper.GetObject(className, &classObject, 1, 0);
    if (FAILED(hr))
        return hr;
    if (classObject == nullptr)
        return WBEM_E_FAILED;
    ComPtr<IWbemClassObject> signature;
    hr = classObject->GetMethod(method, 0, nullptr, &signature);
    if (FAILED(hr))
        return hr;
    if (signature == nullptr)
        return WBEM_E_FAILED;
    ComPtr<IWbemClassObject> output;
    hr = signature->SpawnInstance(0, &output);
    if (FAILED(hr))
        return hr;
    if (output == nullptr)
        return WBEM_E_FAILED;
    hr = fill(output.Get());
    if (FAILED(hr))
        return hr;
    IWbemClassObject* objects[] = {output.Get()};
    return sink->Indicate(1, objects);
}
