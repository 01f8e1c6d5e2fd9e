// ComClassTable: the process's table of creatable COM classes, in place of the registry's
// class registrations, and CoCreateInstance and OleRun over it. The host and the tests
// register a factory per class identifier; CoCreateInstance looks the class up, makes an
// object through its factory and asks it for the requested interface.
//
// Process-wide; thread-safe: the table is guarded by its own lock, which is never held while
// a factory runs (a factory may create other classes).
#pragma once

#include <functional>
#include <map>
#include <mutex>

#include "platform/win32/ThreadSafety.h"
#include "platform/com/Unknown.h"

// Class contexts of CoCreateInstance.
constexpr DWORD CLSCTX_INPROC_SERVER = 0x1;
constexpr DWORD CLSCTX_INPROC_HANDLER = 0x2;
constexpr DWORD CLSCTX_LOCAL_SERVER = 0x4;
constexpr DWORD CLSCTX_REMOTE_SERVER = 0x10;
constexpr DWORD CLSCTX_ALL = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER;

constexpr HRESULT REGDB_E_CLASSNOTREG = MAKE_HRESULT_FROM_BITS(0x80040154u);
constexpr HRESULT CLASS_E_NOAGGREGATION = MAKE_HRESULT_FROM_BITS(0x80040110u);

class ComClassTable
{
public:
    // Makes one new object of a class, holding its creator's single reference; null when it
    // cannot be made.
    using Factory = std::function<ComPtr<IUnknown>()>;

    // The process's table.
    static ComClassTable& Instance();

    // Registers (or replaces) the factory of the class. An empty factory unregisters it.
    void Register(REFCLSID clsid, Factory factory);
    void Unregister(REFCLSID clsid);
    // A new object of the class through its factory; null when the class is not registered
    // or its factory makes none. *registered tells the two apart.
    ComPtr<IUnknown> Create(REFCLSID clsid, bool* registered) const;

    ComClassTable(const ComClassTable&) = delete;
    ComClassTable& operator=(const ComClassTable&) = delete;

private:
    ComClassTable() = default;

    // Orders identifiers by their fields; any strict order serves a look-up.
    struct GuidLess
    {
        bool operator()(const GUID& left, const GUID& right) const;
    };

    mutable CheckedMutex m_lock;
    std::map<CLSID, Factory, GuidLess> m_factories GUARDED_BY(m_lock);
};

// Registers a class for the life of the object (tests, the host), restoring "not registered"
// at its end.
class ScopedComClassRegistration
{
public:
    ScopedComClassRegistration(REFCLSID clsid, ComClassTable::Factory factory) : m_clsid(clsid)
    {
        ComClassTable::Instance().Register(clsid, std::move(factory));
    }
    ~ScopedComClassRegistration() { ComClassTable::Instance().Unregister(m_clsid); }
    ScopedComClassRegistration(const ScopedComClassRegistration&) = delete;
    ScopedComClassRegistration& operator=(const ScopedComClassRegistration&) = delete;

private:
    CLSID m_clsid;
};

// A new object of the registered class asked for the interface iid, in *object. *object is
// nulled first. S_OK; E_POINTER for a null out-pointer; CLASS_E_NOAGGREGATION with an outer
// object; E_INVALIDARG for a context naming no kind of server; REGDB_E_CLASSNOTREG for a class
// not in the table; E_OUTOFMEMORY when its factory makes no object; the object's
// QueryInterface failure (E_NOINTERFACE) otherwise. Every class here runs in-process, so any
// context that names some server kind finds it.
HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD clsContext, REFIID iid, LPVOID* object);
// Puts a created object into its running state. Objects of the table run once made: S_OK for
// any object; E_INVALIDARG for null.
HRESULT OleRun(IUnknown* object);
