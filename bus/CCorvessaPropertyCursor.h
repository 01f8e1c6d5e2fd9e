// CCorvessaPropertyCursor: a walk over the properties of a WMI object (name, value, CIM type)
// that begins the object's property enumeration at construction and ends it at destruction,
// whatever way the walk is left.
//
// Lives on the stack of one request; the object must outlive it and must not be enumerated by
// anyone else meanwhile (walk a copy of a shared class definition).
#pragma once

#include "platform/com/BstrOwner.h"
#include "platform/com/ComError.h"
#include "platform/com/Variant.h"
#include "platform/com/WbemConstants.h"
#include "platform/mfc/CString.h"
#include "platform/wmi/IWbemClassObject.h"

class CCorvessaPropertyCursor
{
public:
    CCorvessaPropertyCursor(IWbemClassObject* object, LONG flags) : m_object(object)
    {
        m_object->BeginEnumeration(flags);
    }
    ~CCorvessaPropertyCursor() { m_object->EndEnumeration(); }
    CCorvessaPropertyCursor(const CCorvessaPropertyCursor&) = delete;
    CCorvessaPropertyCursor& operator=(const CCorvessaPropertyCursor&) = delete;

    // The next property into name, value and type: true; false at the end. Throws _com_error
    // with the object's failure.
    bool Next(CString& name, _variant_t& value, CIMTYPE& type)
    {
        BstrOwner rawName;
        VARIANT rawValue;
        VariantInit(&rawValue);
        const HRESULT hr = m_object->Next(0, rawName.Receive(), &rawValue, &type, nullptr);
        if (hr == WBEM_S_NO_MORE_DATA)
        {
            return false;
        }
        if (FAILED(hr))
        {
            _com_issue_error(hr);
        }
        name = CString(rawName.Get(), static_cast<int>(SysStringLen(rawName.Get())));
        value.Attach(rawValue);
        return true;
    }

private:
    IWbemClassObject* m_object;
};
