// Test doubles for the COM layer: two interfaces and an object whose reference count the test
// reads. The test owns the object (it never frees itself), so a count that goes wrong shows up
// as a number instead of a crash. Not thread-safe.
#pragma once

#include "platform/com/Unknown.h"

class IProbe : public IUnknown
{
public:
    static constexpr IID kIID = {0x6b3f1a10, 0x2c4d, 0x4e5f, {0x80, 0x91, 0xa2, 0xb3, 0xc4, 0xd5, 0xe6, 0xf7}};
    virtual int Value() = 0;

protected:
    ~IProbe() = default;
};

class IAbsent : public IUnknown
{
public:
    static constexpr IID kIID = {0x6b3f1a11, 0x2c4d, 0x4e5f, {0x80, 0x91, 0xa2, 0xb3, 0xc4, 0xd5, 0xe6, 0xf7}};

protected:
    ~IAbsent() = default;
};

class CountingObject final : public IProbe
{
public:
    HRESULT QueryInterface(REFIID iid, void** object) override
    {
        if (object == nullptr)
            return E_POINTER;
        if (iid == IUnknown::kIID || iid == IProbe::kIID)
        {
            *object = static_cast<IProbe*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return ++m_count; }
    ULONG Release() override { return --m_count; }
    int Value() override { return 7; }

    // References others hold right now.
    ULONG Count() const { return m_count; }

private:
    ULONG m_count = 0;
};
