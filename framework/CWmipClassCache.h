// CWmipClassCache: the process's cache of class definitions. Built definitions (those WMI does
// not keep in its repository) are kept per field-permission group and segments, and per services
// object they are built through: a definition's value lists follow the user's segments, and the
// WMI service and the bus's in-process namespace hand out objects of their own kinds. Definitions WMI keeps are kept
// once for everybody, as they are fetched as the system. Definitions are handed out as copies; the caller's permissions
// shape the copy, never the cached definition. A built definition is kept only as its mapper says its build allows
// (IWmipClassBuilder::GetBuiltClassReuse), and a shaped copy beside it for its user as the mapper says
// its shaping allows (IWmipClassBuilder::GetShapedClassReuse): one that reads the installation's rows
// serves again only while the stamps read for the request are those it was made under
// (CDefinitionStamps: the database generation, the user's rights stamp, the list stamp that
// every write of a table or option a definition is built or shaped from sets anew, and for one
// read from lists whose triggers set that stamp the schema cookie). The mapper is asked when it builds or shapes, not
// when a kept one serves: what it answers may take reads of its own, and stands on those stamps. A database without the
// list stamp keeps none of them. The whole cache is dropped once its span (stored value 39, in seconds) has passed
// since it was last cleared. Both doors take their class definitions from here: the WMI door through its mappers, the
// bus through the same mappers (CWMITypeInfo::GetUserDefinition, and the re-read of a type's published definition).
//
// One per process, owned by the application object (CWmipApp::GetClassCache). Thread-safe:
// every map access is made under m_lock; definitions are built, copied and shaped outside it
// (a cached definition is never changed once cached, only replaced or dropped, so callers
// copy it at once under a reference of their own).
#pragma once

#include "framework/IWmipClassBuilder.h"
#include "inhouse/BntLogin/CDefinitionStamps.h"
#include "platform/com/Unknown.h"
#include "platform/mfc/CString.h"
#include "platform/win32/Clock.h"
#include "platform/win32/Threading.h"
#include "platform/win32/WinTypes.h"

#include <functional>
#include <map>
#include <optional>
#include <utility>

class CAcsUser;
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

    // The stamps an entry was made under.
    using Stamps = CDefinitionStamps;
    // How an entry was allowed to be kept: for the cache's span, or while the request's stamps are
    // those it was made under (byStamps; all 0 otherwise), the schema cookie among them when it
    // stands on its lists' triggers (bySchema).
    struct Kept
    {
        bool allowed = false;
        bool byStamps = false;
        bool bySchema = false;
        Stamps stamps;
        bool operator==(const Kept&) const = default;
    };
    // The span of stored value 39 from the hosting application (0 without one).
    static LONG StoredSpan();
    // The part of a key that names the user (system for null).
    static CString MakeKeyPrefix(const CAcsUser* user);
    static CString MakeKey(const wchar_t* className, const CAcsUser* user);
    // The user whose database a request's stamps are read on: the caller, or for the system
    // mapper.GetDatabaseUser().
    static const CAcsUser* ReadsOn(IWmipClassBuilder& mapper, const CAcsUser* user, BOOL system);
    // The stamps of the request (without the schema cookie); empty when nothing read now may be
    // kept by them.
    static std::optional<Stamps> ReadStamps(IWmipClassBuilder& mapper, const CAcsUser* user, BOOL system);
    // The stamps with the schema cookie; empty when either is.
    static std::optional<Stamps> WithSchema(std::optional<Stamps> stamps, std::optional<LONGLONG> schema);
    // What the mapper's answer allows for an entry made now under `stamps` and `schema` (read
    // before the mapper was asked).
    static Kept JudgeReuse(IWmipClassBuilder::DefinitionReuse reuse, const std::optional<Stamps>& stamps,
                           const std::optional<LONGLONG>& schema);
    // Whether an entry kept as `kept` serves a request of `stamps`.
    static bool Serves(const Kept& kept, const std::optional<Stamps>& stamps);
    // A built definition's key: MakeKey's text, and the services the mapper builds through (the
    // WMI door's and the bus's in-process namespace give definitions of different kinds).
    using BuiltKey = std::pair<CString, const IWbemServices*>;
    // Drops the definition kept under `key` when it is still `built`.
    void DropBuilt(const BuiltKey& key, const IWbemClassObject* built);
    // Keeps the shaped copy for the user beside the built definition it was copied from (kept
    // under `key`), unless that definition was replaced or dropped meanwhile.
    void KeepShaped(const BuiltKey& key, const IWbemClassObject* built, LONG userId, const Kept& kept,
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

    // A copy shaped for one user, with how it was allowed to be kept.
    struct ShapedClass
    {
        Kept kept;
        ComPtr<IWbemClassObject> definition;
    };
    // A built definition, the services it was built through (held, as StoredClass holds its
    // own), how it was allowed to be kept, and the copies shaped from it, by user id: they go
    // with it.
    struct BuiltClass
    {
        ComPtr<IWbemServices> services;
        ComPtr<IWbemClassObject> definition;
        Kept kept;
        std::map<LONG, ShapedClass> shaped;
    };

    mutable CRITICAL_SECTION m_lock;
    std::map<BuiltKey, BuiltClass> m_classes GUARDED_BY(m_lock);
    std::map<CString, StoredClass> m_storedClasses GUARDED_BY(m_lock);  // upper-cased names
    // Steady time: a wall clock set back (or a change of daylight saving time) would keep
    // stale definitions until it caught up again.
    ULONGLONG m_clearedAt GUARDED_BY(m_lock);
};
