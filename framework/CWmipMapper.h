// CWmipMapper: the mapper interface that every class served by the provider implements: the
// WMI class it serves, its class definition (through the class cache, or fetched once through
// WMI when the repository keeps it), the caller's user-cache entry, the attached query and the
// translation of its WHERE clause, and the nested WMI calls made as the system.
//
// A mapper lives for one request and is owned by whoever built it (the provider, the front end,
// an association mapper), who deletes it through the virtual destructor. It holds references on
// the context and the services it was given and one reference on its user-cache entry. One
// mapper serves one request on one thread: no lock.
#pragma once

#include "framework/Door.h"
#include "framework/IWmipClassBuilder.h"
#include "framework/IWmipClauseProcessor.h"
#include "framework/wql/ProcessClauseResult.h"
#include "platform/com/Unknown.h"
#include "platform/mfc/COleDateTime.h"
#include "platform/mfc/CString.h"
#include "platform/win32/WinTypes.h"

#include <functional>
#include <memory>
#include <vector>

class CAcsUser;
class CWmipClassCache;
class CWmipQuery;
class DBConnectionManager;
class IWbemClassObject;
class IWbemContext;
class IWbemServices;
class IWmipUserDirectory;
class IWmipUserEntry;

class CWmipMapper : public IWmipClauseProcessor, public IWmipClassBuilder
{
public:
    // Keeps a reference on context and services when given (either may be null), the class
    // name, and the class cache, connection manager and user cache of the running application.
    // No user-cache entry yet.
    CWmipMapper(IWbemContext* context, IWbemServices* services, const wchar_t* className);
    CWmipMapper(const CWmipMapper&) = delete;
    CWmipMapper& operator=(const CWmipMapper&) = delete;

    // Gives back the held user-cache entry and the kept class definition.
    virtual ~CWmipMapper();

    // Virtual operations, in the order the framework's callers rely on.

    // TRUE when WMI keeps the class's definition in its repository; the base answers FALSE.
    virtual BOOL WMIStoresClassDefinition();
    // One WQL comparison of the attached query's WHERE clause. The base formats a date literal
    // for the database and answers ProcessClausePlain, leaving the property to the derived
    // mapper. See framework/wql/ProcessClauseResult.h for the meaning of the four arguments.
    ProcessClauseResult ProcessClause(CString& property, int& wqlOperator, CString& literal, CString& extra) override;
    // Applies the caller's class permissions to a freshly built class definition. The base
    // changes nothing and answers S_OK.
    HRESULT ProcessClassPermissions(IWbemClassObject* classObject) override;
    // What CreateClass reads; the base, which fetches the definition WMI keeps: ForTheSpan.
    DefinitionReuse GetBuiltClassReuse() override;
    // What ProcessClassPermissions reads, for the caller the mapper serves; the base: Never.
    DefinitionReuse GetShapedClassReuse() override;
    // The logged-in user whose database a definition built for the system reads (its lists and
    // options), through which the class cache reads the list stamp; the base: none, so that a
    // system definition said to read stamped rows is never kept.
    const CAcsUser* GetDatabaseUser() const override;
    // Builds the class definition into *classObject (nulled first). The base fetches it through
    // WMI as the system (GetObject with the class name). system is TRUE when the definition is
    // built for the system rather than for the caller. Answers the HRESULT of the build.
    HRESULT CreateClass(IWbemClassObject** classObject, BOOL system) override;
    // True when the class keeps its date-times in UTC (no conversion on read); the base: false.
    virtual bool IsUseUTC();
    // True when the class reads binary columns as byte arrays; the base: false.
    virtual bool IsUseByteArray();
    // True when the class has per-property permissions; the base: false.
    virtual bool HasPerPropertyPermissions();
    // True when the caller may access the property (asked only when HasPerPropertyPermissions);
    // the base: true.
    virtual bool CanAccessProperty(const CString& property);
    // Whether a query may name the property (in its WHERE clause or select list): the base
    // knows no class and answers true; a class mapper answers for its class's properties.
    virtual bool IsQueryableProperty(const CString& property);
    // Whether the property's value is withheld from every caller (never served), so that no
    // WHERE clause, filter or order may evaluate it; the base: false.
    virtual bool IsWithheldProperty(const CString& property);

    // The name of the WMI class the mapper serves, as given at construction.
    const CString& GetClassName() const override { return m_className; }

    // The door whose request the mapper serves: Door::kWmi until its factory hands it the door
    // it was built for (SetDoor), which a mapper built by this one takes too. Where the doors'
    // rules differ, a mapper asks IsBusDoor.
    Door GetDoor() const { return m_door; }
    bool IsBusDoor() const { return m_door == Door::kBus; }
    // Called by the factory that built the mapper, before its first operation (a test that
    // builds a mapper itself plays the factory).
    void SetDoor(Door door) { m_door = door; }

    // The class definition into *classObject (nulled first). With system FALSE the caller is
    // resolved (a failing HRESULT when it cannot be) and the class cache hands out a copy
    // shaped by the caller's permissions, which the caller releases. With system TRUE the copy
    // is built as the system. When WMIStoresClassDefinition answers TRUE the definition is
    // fetched once through WMI and kept by this mapper, which owns it: the caller takes no
    // reference, releases nothing, and the pointer stays valid for the mapper's life; a failed
    // fetch is kept too and its code is answered again on every later call. The fetch goes
    // through the class cache, which keeps what WMI answered for its span.
    HRESULT GetClass(IWbemClassObject** classObject, BOOL system);
    // GetClass's definition held by a reference of the caller's own, for reading and spawning
    // instances only: a definition WMI keeps is the mapper's; a built one is the request's own
    // (made once, as GetClass makes it), lent without a copy, so a caller that would change it
    // takes a Clone first. GetClass's HRESULT, or WBEM_E_FAILED when it gave no definition.
    // classObject is emptied first and set only on success.
    HRESULT GetHeldClass(ComPtr<IWbemClassObject>& classObject, BOOL system);
    // The definition this mapper builds (CreateClass, and for the caller ProcessClassPermissions),
    // through the class cache as GetClass makes one, even where WMI keeps one too (the bus reads a
    // dynamic class's definition so); lent as GetHeldClass lends a built one. The same results.
    HRESULT GetBuiltClass(ComPtr<IWbemClassObject>& classObject, BOOL system);
    // The caller's class definition as GetHeldClass lends it, held for as long as the result
    // lives, for reading only; null when it cannot be built. The query checks look names up in
    // it (CWmipCallerDefinition::HasProperty).
    ComPtr<IWbemClassObject> GetCallerDefinition();

    // Fetches a class or object through the mapper's IWbemServices into *object (nulled first;
    // the caller owns and releases it). asSystem: acts as the system with the internal trust
    // value under "BackDoor" in the context; shellOnly: puts "ShellOnly" = true into the
    // context; with both 0 the call impersonates the client with the mapper's context
    // unchanged. Every value put into the context is removed again after the call. Answers the
    // HRESULT of the fetch; 0x80041001 when a needed context cannot be created; 0x80041001
    // when the mapper has no services.
    HRESULT GetObject(const wchar_t* path, IWbemClassObject** object, int asSystem, int shellOnly);
    HRESULT GetObjectW(const wchar_t* path, IWbemClassObject** object, int asSystem, int shellOnly)
    {
        return GetObject(path, object, asSystem, shellOnly);
    }

    // Attaches the query to this mapper and this mapper to the query, and translates the
    // query's WHERE clause through ProcessClause. S_OK on success; a null query detaches the
    // current one and answers S_OK. A WHERE clause that cannot be translated throws
    // CWMIException 0x80041017. The query stays owned by the caller and must outlive its
    // attachment.
    HRESULT SetQuery(CWmipQuery* query);
    // The attached query; null when none.
    CWmipQuery* GetQuery() const { return m_query; }

    // Keeps entry (with AddRef) when the mapper holds none; null gives back (Release) the held
    // entry; another entry while one is held changes nothing.
    void SetUserEntry(IWmipUserEntry* entry);
    // The held user-cache entry (no reference taken; valid while the mapper holds it); null
    // when none.
    IWmipUserEntry* GetUserEntry() const { return m_userEntry; }

    // The logged-in user of the mapper's user-cache entry into *user (nulled first), taking the
    // caller's entry from the user cache first when the mapper holds none. S_OK on success;
    // the failing HRESULT of the lookup otherwise (0x80041001 without a user cache). The user
    // stays valid while the mapper holds its entry.
    HRESULT GetUser(CAcsUser** user);
    // The caller's user-cache entry into *entry (nulled first), taken with AddRef: the held
    // one when there is one, else one from the user cache. Give it back with ReleaseUser.
    HRESULT GetUser(IWmipUserEntry** entry);
    // Gives back an entry taken with GetUser(IWmipUserEntry**); null is ignored.
    void ReleaseUser(IWmipUserEntry* entry);

    // The services and context given at construction (no reference taken); may be null.
    IWbemServices* GetServices() const override { return m_services.Get(); }
    IWbemContext* GetContext() const { return m_context.Get(); }
    // The application's class cache, connection manager and user cache taken at construction;
    // null without an application (class definitions are then built for each call).
    CWmipClassCache* GetClassCache() const { return m_classCache; }
    DBConnectionManager* GetConnectionManager() const { return m_connectionManager; }
    IWmipUserDirectory* GetUserDirectory() const { return m_userDirectory; }

protected:
    // Where SetQuery finds the "TABLE.COLUMN" texts a plain comparison may name (none when
    // not set, so every plain comparison is refused).
    void SetRegisteredColumnSource(std::function<std::vector<CString>()> source)
    {
        m_registeredColumnSource = std::move(source);
    }
    // Attaches an already translated query again (null detaches) without translating it.
    void SetQueryAttachment(CWmipQuery* query);

private:
    HRESULT FetchStoredClassDefinition();
    // Makes m_builtClass[system] when the request has not made it yet: S_OK, or the failure
    // of resolving the caller or of the build (nothing kept then).
    HRESULT MakeBuiltClass(BOOL system);

    // Set at construction.
    ComPtr<IWbemContext> m_context;
    ComPtr<IWbemServices> m_services;
    CString m_className;
    // Set by the factory right after construction.
    Door m_door = Door::kWmi;
    CWmipClassCache* m_classCache = nullptr;
    DBConnectionManager* m_connectionManager = nullptr;
    IWmipUserDirectory* m_userDirectory = nullptr;
    std::function<std::vector<CString>()> m_registeredColumnSource;

    // Per request.
    IWmipUserEntry* m_userEntry = nullptr;
    // With connection pooling disabled the caller's entry is this mapper's own.
    std::unique_ptr<IWmipUserEntry> m_ownedEntry;
    CWmipQuery* m_query = nullptr;
    // The definition fetched once through WMI (WMIStoresClassDefinition), with its result.
    bool m_storedClassFetched = false;
    HRESULT m_storedClassResult = S_OK;
    ComPtr<IWbemClassObject> m_storedClass;
    // The built definition, shaped for the caller (index 0) or as the system's (index 1), made
    // once per request: GetClass hands out copies of it, GetHeldClass lends it.
    ComPtr<IWbemClassObject> m_builtClass[2];
};
