// CCorvessaNamespace: the in-process IWbemServices through which the mappers fetch class
// definitions, handed to the mappers that the bus front end and the type descriptions build.
//
// Only GetObject works: it answers copies of the class definitions that the installed class
// source (the framework's registry) keeps; every other method sets its out-pointers to null
// and answers WBEM_E_NOT_SUPPORTED (WbemServicesBase). It holds no data and counts no
// references: the one instance (Instance) lives for the whole process, and Release never
// destroys it. GetObject keeps no state and takes no lock; what it copies is read under the
// registry's rules (filled at load, only read afterwards).
#pragma once

#include "platform/wmi/WbemServicesBase.h"

class CCorvessaNamespace final : public WbemServicesBase
{
public:
    CCorvessaNamespace() = default;
    CCorvessaNamespace(const CCorvessaNamespace&) : WbemServicesBase() {}
    CCorvessaNamespace& operator=(const CCorvessaNamespace&) { return *this; }
    ~CCorvessaNamespace() = default;

    // The process's one services object.
    static CCorvessaNamespace& Instance();

    // S_OK for IUnknown and IWbemServices; E_NOINTERFACE (and a null *object) otherwise;
    // E_POINTER for a null object.
    HRESULT QueryInterface(REFIID iid, void** object) override;
    // Count nothing; both answer 1.
    ULONG AddRef() override;
    ULONG Release() override;

    // A new class object (one reference for the caller) in *object: an empty object named
    // by the path for a null path, "Bnt_Element" or a name the class source does not know (or
    // without one), else a copy of the source's definition of the class.
    // WBEM_S_NO_ERROR; WBEM_E_INVALID_PARAMETER for a null object; WBEM_E_OUT_OF_MEMORY
    // (*object null) when the copy cannot be made. Flags, context and call result are ignored.
    HRESULT GetObject(const BSTR objectPath, LONG flags, IWbemContext* context, IWbemClassObject** object,
                      IWbemCallResult** callResult) override;
};
