// WbemRepository: the class repository of one namespace of the WMI service stand-in: the
// system classes the provider and its callers use (__SystemClass, __NotifyStatus,
// __ExtendedStatus, __IndicationRelated, __Event, __ExtrinsicEvent, __InstanceOperationEvent
// and its creation, modification and deletion events), plus the classes the installation
// declares, which the host puts in from its registered declarations. It keeps no instances:
// the instances of a class marked "Dynamic" come from the provider its "Provider" qualifier
// names.
//
// Owned by whoever creates it, usually shared by the namespace objects that answer from it.
// Thread-safe: the classes are guarded by m_lock, and callers only ever receive copies.
#pragma once

#include "platform/win32/ThreadSafety.h"
#include "platform/com/Unknown.h"
#include "platform/wmi/IWbemClassObject.h"
#include "platform/wmi/WbemClassObject.h"

#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

class WbemRepository
{
public:
    // A repository of namespace `ns` (as "root\\Brontel") on computer `server`, holding the
    // system classes. Throws std::bad_alloc or _com_error on short memory.
    WbemRepository(std::wstring server, std::wstring ns);
    WbemRepository(const WbemRepository&) = delete;
    WbemRepository& operator=(const WbemRepository&) = delete;

    const std::wstring& Server() const { return m_server; }
    const std::wstring& Namespace() const { return m_namespace; }

    // Stores a copy of a class definition of this implementation, which must be named and
    // whose superclass (if any) must be stored already. `flags`: WBEM_FLAG_CREATE_OR_UPDATE
    // (0), WBEM_FLAG_CREATE_ONLY or WBEM_FLAG_UPDATE_ONLY. WBEM_S_NO_ERROR;
    // WBEM_E_INVALID_PARAMETER for null, an instance or another implementation;
    // WBEM_E_INCOMPLETE_CLASS for an unnamed class; WBEM_E_INVALID_OPERATION for a system
    // class name; WBEM_E_INVALID_SUPERCLASS when the superclass is not stored;
    // WBEM_E_ALREADY_EXISTS (create only) or WBEM_E_NOT_FOUND (update only);
    // WBEM_E_CLASS_HAS_CHILDREN when a stored class with subclasses would be replaced (they
    // would keep the old definition); WBEM_E_OUT_OF_MEMORY.
    HRESULT PutClass(IWbemClassObject* classObject, LONG flags);

    // A new copy of the named class (without regard to case) in *copy, one reference for the
    // caller (null on failure). WBEM_S_NO_ERROR;
    // WBEM_E_NOT_FOUND; WBEM_E_INVALID_PARAMETER for a null copy; WBEM_E_OUT_OF_MEMORY.
    HRESULT GetClass(std::wstring_view className, WbemClassObject** copy) const;

    // New copies of the classes below `superclass` (empty: the root) in the order they were
    // first stored: its direct subclasses when `deep` is false, every descendant when true.
    // WBEM_S_NO_ERROR; WBEM_E_INVALID_CLASS for a superclass that is not stored;
    // WBEM_E_INVALID_PARAMETER for a null list; WBEM_E_OUT_OF_MEMORY.
    HRESULT EnumerateClasses(std::wstring_view superclass, bool deep,
                             std::vector<ComPtr<WbemClassObject>>* classes) const;

    // The provider that serves the class's instances: the text of its "Provider" qualifier
    // when its "Dynamic" qualifier is true, otherwise empty (the repository serves it and
    // keeps no instances). WBEM_S_NO_ERROR; WBEM_E_NOT_FOUND for a class that is not stored;
    // WBEM_E_INVALID_PROVIDER_REGISTRATION for a dynamic class without a provider name;
    // WBEM_E_INVALID_PARAMETER for a null provider.
    HRESULT GetInstanceProvider(std::wstring_view className, std::wstring* provider) const;

    // A new __ExtendedStatus instance telling why the service itself refused a request:
    // StatusCode `status`, Description `description`. Null when it cannot be built.
    ComPtr<IWbemClassObject> NewRefusal(HRESULT status, std::wstring_view description) const;

private:
    // Stores a system class; used while the repository is built. Caller holds m_lock.
    void AddSystemClass(const wchar_t* name, const wchar_t* superclass,
                        std::initializer_list<std::pair<const wchar_t*, CIMTYPE>> properties, bool abstract)
        REQUIRES(m_lock);
    // The stored class (upper-cased name); null when absent. Caller holds m_lock.
    WbemClassObject* Find(std::wstring_view className) const REQUIRES(m_lock);
    // A copy of a stored class. Caller holds m_lock.
    static HRESULT CopyOf(WbemClassObject& stored, WbemClassObject** copy);

    // Set at construction.
    const std::wstring m_server;
    const std::wstring m_namespace;

    mutable CheckedMutex m_lock;
    // The classes in the order first stored, and their index by
    // upper-cased name.
    std::vector<ComPtr<WbemClassObject>> m_classes GUARDED_BY(m_lock);
    std::map<std::wstring, std::size_t> m_index GUARDED_BY(m_lock);
};
