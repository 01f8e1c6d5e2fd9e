// CWmipClassCache: the process's cache of class definitions. Built definitions (those WMI does
// not keep in its repository) are kept per field-permission group and segments, and per services
// object they are built through: a definition's value lists follow the user's segments, and the
// WMI service and the bus's in-process namespace hand out objects of their own kinds. Definitions WMI keeps are kept
// once for everybody, as they are fetched as the system. Definitions are handed out as copies; the caller's permissions
// shape the copy, never the cached definition. A built definition is kept only as its mapper says its build allows
// (IWmipClassBuilder::GetBuiltClassReuse), and a shaped copy beside it for its user as the mapper says
// its shaping allows (IWmipClassBuilder::GetShapedClassReuse): one that reads the installation's rows
// serves again only while the stamps read for the request are those it was made under
// (CDefinitionStamps: the database generation, the user's rights stamp, and the list stamp that
// every write of a table or option a definition is built or shaped from sets anew). A database
// without the list stamp keeps none of them. The whole cache is dropped once its span (stored
// value 39, in seconds) has passed since it was last cleared. Both doors take their class
// definitions from here: the WMI door through its mappers, the bus through the same mappers
// (CWMITypeInfo::GetUserDefinition, and the re-read of a type's published definition).
//
// One per process, owned by the application object (CWmipApp::GetClassCache). Thread-safe:
// every map access is made under m_lock; definitions are built, copied and shaped outside it
// (a cached definition is never changed once cached, only replaced or dropped, so callers
// copy it at once under a reference of their own).
#pragma once

#include "inhouse/BntLogin/CDefinitionStamps.h"
#include "platform/com/Unknown.h"
#include "platform/mfc/CString.h"
#include "platform/win32/Clock.h"
#include "platform/win32/Threading.h"
#include "platform/win32/WinTypes.h"

#include <functional>
#include <map>
#include <utility>

class CAcsUser;
class IWmipClassBuilder;
class IWbemClassObject;
class IWbemServices;

class CWmipClassCache
{
public:
    // An empty cache whose span is stored value 39 (CWmipApp::GetStoredValue; 0 without an
    // application, so nothing stays cached).
    CWmipClassCache();
    // An empty cache with the given span in seconds (negative counts as 0), measured on the
    // clock's steady time (the clock is not owned and outlives the cache).
    explicit CWmipClassCache(LONG spanSeconds, const IClock& clock = IClock::Process());
    virtual ~CWmipClassCache();
    CWmipClassCache(const CWmipClassCache&) = delete;
    CWmipClassCache& operator=(const CWmipClassCache&) = delete;

    // A copy of the mapper's class definition for the user into *classObject (nulled first;
    // one reference for the caller). A definition not cached (dropped because the span passed,
    // or made under other stamps than the request's) is built with mapper.CreateClass(system)
    // and cached as GetBuiltClassReuse allows. With system FALSE the copy is shaped by
    // mapper.ProcessClassPermissions; user must then be the caller's logged-in user. A shaping
    // that succeeded is kept for the user as GetShapedClassReuse allows, and a later call whose
    // stamps match copies it without shaping again. When the list stamp cannot be read (no row,
    // no database), nothing that reads stamped rows is kept or served from the cache: it is
    // built and shaped anew. With system TRUE user is not used, the list stamp is read on
    // mapper.GetDatabaseUser()'s database, and the copy is not shaped. S_OK on success;
    // WBEM_E_INVALID_PARAMETER for a null out-pointer or a missing user; the failure of
    // CreateClass or of the copy otherwise (nothing is cached then).
    HRESULT GetClass(IWmipClassBuilder& mapper, const CAcsUser* user, BOOL system, IWbemClassObject** classObject);

    // A copy of the definition of className that WMI keeps in its repository, as services
    // answer it, into *classObject (nulled first; one reference for the caller). A definition
    // not cached yet for those services (or dropped because the span passed) is fetched with
    // fetch and cached. S_OK on success; WBEM_E_INVALID_PARAMETER for a null out-pointer; the
    // failure of fetch or of the copy otherwise (nothing is cached then).
    HRESULT GetStoredClass(const CString& className, IWbemServices* services,
                           const std::function<HRESULT(ComPtr<IWbemClassObject>&)>& fetch,
                           IWbemClassObject** classObject);

    // Drops the cached definition of one class for one user; nothing when it is not cached.
    void RemoveClass(const wchar_t* className, const CAcsUser* user);
    // Drops every cached definition that belongs to the user's field-permission group.
    void RemoveUserClasses(const CAcsUser* user);
    // Drops every cached definition and stamps the current time. Never throws: a failure is
    // logged and swallowed.
    void Clear();

private:
    // The tests' one way in (tests/support/ClassCacheProbe.h): the span and the entry count.
    friend class ClassCacheProbe;

    // The stamps an entry was made under (all 0 for an entry that reads no stamped rows).
    using Stamps = CDefinitionStamps;
    // Which of the request's entries may be kept and served, and the stamps they must match.
    struct Reuse
    {
        bool built = false;
        bool shaped = false;
        bool builtByStamps = false;
        bool shapedByStamps = false;
        Stamps stamps;
    };
    // The span of stored value 39 from the hosting application (0 without one).
    static LONG StoredSpan();
    // The part of a key that names the user (system for null).
    static CString MakeKeyPrefix(const CAcsUser* user);
    static CString MakeKey(const wchar_t* className, const CAcsUser* user);
    // What the mapper says its build and shaping read, with the stamps read for the request: read
    // before anything is looked up, built or shaped, so that the rows a build reads later are
    // never older than the stamps it is kept under. The list stamp is read on the caller's
    // database, or for the system on mapper.GetDatabaseUser()'s.
    static Reuse ReadReuse(IWmipClassBuilder& mapper, const CAcsUser* user, BOOL system);
    // A built definition's key: MakeKey's text, and the services the mapper builds through (the
    // WMI door's and the bus's in-process namespace give definitions of different kinds).
    using BuiltKey = std::pair<CString, const IWbemServices*>;
    // Keeps the shaped copy for the user beside the built definition it was copied from (kept
    // under `key`), unless that definition was replaced or dropped meanwhile.
    void KeepShaped(const BuiltKey& key, const IWbemClassObject* built, LONG userId, const Stamps& stamps,
                    ComPtr<IWbemClassObject> shaped);
    // Under m_lock: drops everything when the span has passed between m_clearedAt and `now`
    // (read before the lock is taken, so that callers do not queue behind the clock).
    void ExpireLocked(ULONGLONG now) REQUIRES(m_lock);

    // Set at construction.
    const LONG m_spanSeconds;
    const IClock& m_clock;

    // A definition WMI keeps, with the services it came from (held, so that no other services
    // object can take its address while the entry lives).
    struct StoredClass
    {
        ComPtr<IWbemServices> services;
        ComPtr<IWbemClassObject> definition;
    };

    // A copy shaped for one user, with the stamps it was shaped under.
    struct ShapedClass
    {
        Stamps stamps;
        ComPtr<IWbemClassObject> definition;
    };
    // A built definition, the services it was built through (held, as StoredClass holds its
    // own), the stamps it was built under, and the copies shaped from it, by user id: they go
    // with it.
    struct BuiltClass
    {
        ComPtr<IWbemServices> services;
        ComPtr<IWbemClassObject> definition;
        Stamps stamps;
        std::map<LONG, ShapedClass> shaped;
    };

    mutable CRITICAL_SECTION m_lock;
    std::map<BuiltKey, BuiltClass> m_classes GUARDED_BY(m_lock);
    std::map<CString, StoredClass> m_storedClasses GUARDED_BY(m_lock);  // upper-cased names
    // Steady time: a wall clock set back (or a change of daylight saving time) would keep
    // stale definitions until it caught up again.
    ULONGLONG m_clearedAt GUARDED_BY(m_lock);
};
