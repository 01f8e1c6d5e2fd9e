// CCorvessaObjectSink: the IWbemObjectSink a bus method execution hands to a mapper; it keeps
// a copy of the one object indicated to it (the out-parameters), which its owner reads after
// the call.
//
// Lives on the stack of the method execution (one reference, its creator's); a mapper that
// takes references gives them back. Used by the one request that created it; only the
// reference count is atomic.
#pragma once

#include "framework/objects/CCorvessaClassObject.h"
#include "platform/wmi/IWbemObjectSink.h"

#include <atomic>
#include <memory>

class CCorvessaObjectSink final : public IWbemObjectSink
{
public:
    CCorvessaObjectSink() = default;
    CCorvessaObjectSink(const CCorvessaObjectSink&) = delete;
    CCorvessaObjectSink& operator=(const CCorvessaObjectSink&) = delete;
    ~CCorvessaObjectSink() = default;

    // S_OK with a reference for IUnknown and IWbemObjectSink; E_NOINTERFACE (and a null
    // *object) otherwise; E_POINTER for a null object.
    HRESULT QueryInterface(REFIID iid, void** object) override;
    // Both answer 0; Release destroys the sink when the count falls to 0 or below.
    ULONG AddRef() override;
    ULONG Release() override;
    // Keeps a new copy of the one object, replacing the copy kept before. 0x80041008 when
    // count is not 1 or the object is not a CCorvessaClassObject; WBEM_E_OUT_OF_MEMORY when
    // it cannot be copied; the kept object is then unchanged.
    HRESULT Indicate(LONG count, IWbemClassObject** objects) override;
    // Answers 0 and keeps nothing.
    HRESULT SetStatus(LONG flags, HRESULT result, BSTR param, IWbemClassObject* statusObject) override;

    // The kept object, or null before the first successful Indicate; valid until the next
    // Indicate or the sink's end.
    const CCorvessaClassObject* GetObject() const { return m_object.get(); }

private:
    std::atomic<LONG> m_refCount{1};
    std::unique_ptr<CCorvessaClassObject> m_object;
};
