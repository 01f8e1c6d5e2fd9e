// Interface identity, the root interface and reference-counting helpers of the COM layer.
//
// GUID/IID name an interface; IUnknown is the root every interface derives from, and each
// interface declares `static constexpr IID kIID` so ComPtr<T>::As<U>() can ask for it.
// Objects own themselves: the last Release frees them. ComPtr is a single-owner handle (not
// thread-safe itself); RefCounted keeps an atomic count so an object may be shared by threads.
// CoInitializeEx/CoUninitialize keep a per-thread count only; there is no apartment machinery.
#pragma once

#include "platform/win32/WinTypes.h"

#include <atomic>
#include <cstddef>
#include <type_traits>
#include <utility>

struct GUID
{
    DWORD Data1;
    WORD Data2;
    WORD Data3;
    BYTE Data4[8];
};
using IID = GUID;
using CLSID = GUID;
using REFGUID = const GUID&;
using REFIID = const IID&;
using REFCLSID = const CLSID&;

// True when both identifiers hold the same 128 bits.
constexpr bool IsEqualGUID(REFGUID left, REFGUID right) noexcept
{
    if (left.Data1 != right.Data1 || left.Data2 != right.Data2 || left.Data3 != right.Data3)
        return false;
    for (std::size_t i = 0; i < sizeof(left.Data4); ++i)
    {
        if (left.Data4[i] != right.Data4[i])
            return false;
    }
    return true;
}

constexpr bool operator==(REFGUID left, REFGUID right) noexcept
{
    return IsEqualGUID(left, right);
}

// The root interface. Objects are never deleted through it (the destructor is protected): the
// object frees itself when Release brings its count to zero.
class IUnknown
{
public:
    static constexpr IID kIID = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

    // S_OK with *object set to the requested interface (one reference added); E_NOINTERFACE
    // with *object null when the object does not offer it; E_POINTER when object is null.
    virtual HRESULT QueryInterface(REFIID iid, void** object) = 0;
    // The new reference count (informational only).
    virtual ULONG AddRef() = 0;
    // The remaining reference count; at zero the object has freed itself.
    virtual ULONG Release() = 0;

protected:
    IUnknown() = default;
    IUnknown(const IUnknown&) = default;
    IUnknown& operator=(const IUnknown&) = default;
    ~IUnknown() = default;
};

constexpr IID IID_IUnknown = IUnknown::kIID;

// QueryInterface of an object that offers IUnknown and one interface besides: both are answered
// with `self` as that interface, with a reference for the caller.
template <class Interface>
HRESULT QueryOnlyInterface(Interface* self, REFIID iid, void** object)
{
    if (object == nullptr)
        return E_POINTER;
    *object = nullptr;
    if (iid != IUnknown::kIID && iid != Interface::kIID)
        return E_NOINTERFACE;
    *object = self;
    self->AddRef();
    return S_OK;
}

// Owning handle to one reference of a COM object. Copying adds a reference, destruction
// releases it. Not thread-safe: one handle is used by one thread at a time.
template <class T>
class ComPtr
{
public:
    ComPtr() noexcept = default;
    ComPtr(std::nullptr_t) noexcept {}
    // Shares the object: adds a reference of its own.
    explicit ComPtr(T* object) noexcept : m_ptr(object) { AddRefHeld(); }
    ComPtr(const ComPtr& other) noexcept : m_ptr(other.m_ptr) { AddRefHeld(); }
    ComPtr(ComPtr&& other) noexcept : m_ptr(std::exchange(other.m_ptr, nullptr)) {}
    template <class U, class = std::enable_if_t<std::is_convertible_v<U*, T*>>>
    ComPtr(const ComPtr<U>& other) noexcept : m_ptr(other.Get())
    {
        AddRefHeld();
    }
    template <class U, class = std::enable_if_t<std::is_convertible_v<U*, T*>>>
    ComPtr(ComPtr<U>&& other) noexcept : m_ptr(other.Detach())
    {
    }
    ~ComPtr() { ReleaseHeld(); }

    ComPtr& operator=(const ComPtr& other) noexcept
    {
        ComPtr(other).Swap(*this);
        return *this;
    }
    ComPtr& operator=(ComPtr&& other) noexcept
    {
        ComPtr(std::move(other)).Swap(*this);
        return *this;
    }
    // Shares the object (adds a reference) and releases the one held before.
    ComPtr& operator=(T* object) noexcept
    {
        ComPtr(object).Swap(*this);
        return *this;
    }
    ComPtr& operator=(std::nullptr_t) noexcept
    {
        Reset();
        return *this;
    }

    T* Get() const noexcept { return m_ptr; }
    operator T*() const noexcept { return m_ptr; }
    T* operator->() const noexcept { return m_ptr; }
    T& operator*() const noexcept { return *m_ptr; }

    // Out-pointer access for calls that hand back a new reference: the held reference is
    // released first so the call can never leak it.
    T** operator&() noexcept
    {
        ReleaseHeld();
        return &m_ptr;
    }

    // Takes over a reference the caller already owns (no AddRef); releases the one held before.
    void Attach(T* object) noexcept
    {
        ReleaseHeld();
        m_ptr = object;
    }
    // Gives the held reference to the caller, who must Release it; the handle becomes empty.
    T* Detach() noexcept { return std::exchange(m_ptr, nullptr); }
    // Releases the held reference; the handle becomes empty.
    void Reset() noexcept { ReleaseHeld(); }
    void Swap(ComPtr& other) noexcept { std::swap(m_ptr, other.m_ptr); }

    // The object's U interface through QueryInterface(U::kIID); empty when this handle is empty
    // or the object does not offer U.
    template <class U>
    ComPtr<U> As() const
    {
        ComPtr<U> result;
        if (m_ptr == nullptr)
            return result;
        void* raw = nullptr;
        if (SUCCEEDED(m_ptr->QueryInterface(U::kIID, &raw)) && raw != nullptr)
            result.Attach(static_cast<U*>(raw));
        return result;
    }

private:
    void AddRefHeld() noexcept
    {
        if (m_ptr != nullptr)
            m_ptr->AddRef();
    }
    void ReleaseHeld() noexcept
    {
        if (T* held = std::exchange(m_ptr, nullptr))
            held->Release();
    }

    T* m_ptr = nullptr;
};

// AddRef/Release for a COM object implementing one or more interfaces:
//     class Sink final : public RefCounted<Sink, IWbemObjectSink> { ... QueryInterface ... };
// The count starts at one (the creator's reference, see MakeComObject) and is atomic, so
// references may be taken and given back on any thread. At zero the object deletes itself as
// Derived, which should be final.
template <class Derived, class... Interfaces>
class RefCounted : public Interfaces...
{
    static_assert(sizeof...(Interfaces) > 0 && (std::is_base_of_v<IUnknown, Interfaces> && ...),
                  "RefCounted implements interfaces derived from IUnknown");

public:
    RefCounted(const RefCounted&) = delete;
    RefCounted& operator=(const RefCounted&) = delete;

    ULONG AddRef() override { return m_refCount.fetch_add(1, std::memory_order_relaxed) + 1; }
    // True when the caller's reference is the only one: nobody else can see the object change.
    bool IsSoleReference() const { return m_refCount.load(std::memory_order_acquire) == 1; }
    ULONG Release() override
    {
        const ULONG remaining = m_refCount.fetch_sub(1, std::memory_order_acq_rel) - 1;
        if (remaining == 0)
            delete static_cast<Derived*>(this);
        return remaining;
    }

protected:
    RefCounted() = default;
    ~RefCounted() = default;

private:
    std::atomic<ULONG> m_refCount{1};
};

// A new object of type T holding its creator's single reference.
template <class T, class... Args>
ComPtr<T> MakeComObject(Args&&... args)
{
    ComPtr<T> result;
    result.Attach(new T(std::forward<Args>(args)...));
    return result;
}

constexpr DWORD COINIT_MULTITHREADED = 0x0;
constexpr DWORD COINIT_APARTMENTTHREADED = 0x2;
constexpr DWORD COINIT_DISABLE_OLE1DDE = 0x4;
constexpr DWORD COINIT_SPEED_OVER_MEMORY = 0x8;

// Marks COM as initialised on the calling thread; there is nothing else to set up. S_OK on the
// thread's first call, S_FALSE on a nested call in the same mode (each success needs its own
// CoUninitialize), RPC_E_CHANGED_MODE when the thread is already initialised in the other
// threading mode, E_INVALIDARG for a non-null reserved argument or unknown flags.
HRESULT CoInitializeEx(LPVOID reserved, DWORD coInit);
// CoInitializeEx in the apartment-threaded mode.
HRESULT CoInitialize(LPVOID reserved);
// Undoes one successful CoInitialize(Ex) of the calling thread; does nothing when none is open.
void CoUninitialize();

// A block of at least `size` bytes from the task allocator, or null when memory is short.
// Zero bytes still gives a distinct block. Free it with CoTaskMemFree.
LPVOID CoTaskMemAlloc(SIZE_T size);
// Frees a block from CoTaskMemAlloc; null is ignored.
void CoTaskMemFree(LPVOID block);
// The block resized to at least `size` bytes, its contents kept up to the smaller size (a null
// block: a new one); null when memory is short, and the block is then left as it was.
LPVOID CoTaskMemRealloc(LPVOID block, SIZE_T size);

// Told of the task allocator's blocks on one thread, for a test that counts what a step costs
// (BSTRs and the rest of the COM memory come from it): each block as it is handed out, and as it
// is given back or moved by a resize.
class CoTaskMemWatch
{
public:
    virtual void Allocated(LPVOID block) = 0;
    virtual void Freed(LPVOID block) = 0;

protected:
    ~CoTaskMemWatch() = default;
};
// Watches the calling thread's task allocations until called again; null (the default) stops.
void WatchCoTaskMem(CoTaskMemWatch* watch);
