// CWmipInstanceProvider: the WMI instance provider of the Bnt_ classes. The outside COM
// provider shell constructs it and forwards IWbemProviderInit::Initialize and the
// IWbemServices methods to it. Every asynchronous entry point resolves the requested class to
// a mapper built on a pooled database connection, lets the mapper read or write, and reports
// to the sink exactly once through SetStatus, answering the same HRESULT. The synchronous and
// class-writing methods are not supported.
//
// Owned by the provider shell. Thread-safe: the WMI service calls it from several threads at
// once; the members are written only by Initialize (before any request) and every request
// keeps its state in its own call. The connection manager and the user cache belong to the
// application object and outlive the provider.
#pragma once

#include <memory>

#include "platform/com/Bstr.h"
#include "platform/com/Unknown.h"
#include "platform/mfc/CString.h"
#include "platform/win32/WinTypes.h"

class CAcsUser;
class CWmipClassMapper;
class CWmipListObjectClassCache;
class CWmipQuery;
class CWmipRequestEnvelope;
class CWmipUserCache;
class CWmipUserCacheEntry;
class DBConnectionManager;
class IEnumWbemClassObject;
class IWbemCallResult;
class IWbemClassObject;
class IWbemContext;
class IWbemObjectSink;
class IWbemProviderInitSink;
class IWbemServices;

class CWmipInstanceProvider
{
public:
    CWmipInstanceProvider();
    // Gives back the services reference.
    virtual ~CWmipInstanceProvider();
    CWmipInstanceProvider(const CWmipInstanceProvider&) = delete;
    CWmipInstanceProvider& operator=(const CWmipInstanceProvider&) = delete;

    // Keeps the namespace (a reference; one kept by an earlier call is released) and takes
    // the process-wide services of the application object (connection manager, user cache,
    // list-object cache; any of them missing fails). Reports WBEM_S_INITIALIZED (0) or
    // WBEM_E_FAILED to the init sink (when given) and answers the same.
    virtual HRESULT Initialize(LPWSTR user, LONG flags, LPWSTR ns, LPWSTR locale, IWbemServices* services,
                               IWbemContext* context, IWbemProviderInitSink* initSink);

    // The asynchronous entry points. Each reports once through the sink's SetStatus (when a
    // sink is given) and answers the HRESULT it reported. Results by cause are those of the
    // data-integration service: 0x80041008 for a null argument or before Initialize, the
    // permission check's failure, 0x8004103A for a bad path (one that cannot be parsed, a
    // BSTR holding a NUL before its end, or a keyed path whose keys are not exactly the key
    // properties of its registered class), 0x80041010 or 0x80041002 for an unknown class,
    // 0x80041002 when no instance matches, the mapper's HRESULT otherwise. A class path
    // answers its definition; an instance path the instance with its keys. A class path of
    // an unknown class (or one whose definition WMI stores) fails with 0x80041002 and its
    // extended status object.
    virtual HRESULT GetObjectAsync(const BSTR objectPath, LONG flags, IWbemContext* context, IWbemObjectSink* sink);
    // The class definitions that depend on the installation's data below the superclass
    // (empty: the root; WBEM_FLAG_SHALLOW: direct children only), the user-defined list
    // classes among the element children. Success when nothing fails.
    virtual HRESULT CreateClassEnumAsync(const BSTR superclass, LONG flags, IWbemContext* context,
                                         IWbemObjectSink* sink);
    // Writes the instance through its class's mapper (flags WBEM_FLAG_UPDATE_ONLY,
    // WBEM_FLAG_CREATE_ONLY or neither). On success the result text is the written
    // instance's object path. 0x80041024 when the context asks for a partial put.
    virtual HRESULT PutInstanceAsync(IWbemClassObject* instance, LONG flags, IWbemContext* context,
                                     IWbemObjectSink* sink);
    // Deletes the instance of a keyed path. 0x8004103A for a path without keys, whose keys
    // are not exactly its class's, or holding a NUL; a mapper's 0x8004100C is reported as
    // 0x80041016.
    virtual HRESULT DeleteInstanceAsync(const BSTR objectPath, LONG flags, IWbemContext* context,
                                        IWbemObjectSink* sink);
    // Every instance of the class. A caller refused the provider or the class's view right
    // completes with 0x40009 (WBEM_S_ACCESS_DENIED) and no instances.
    virtual HRESULT CreateInstanceEnumAsync(const BSTR className, LONG flags, IWbemContext* context,
                                            IWbemObjectSink* sink);
    // The instances a WQL SELECT query selects (the query language is not examined beyond
    // refusing a NUL in it). 0x80041024 for a query that cannot be parsed, holds a NUL or is
    // not a SELECT; 0x80041002 for an unknown class.
    virtual HRESULT ExecQueryAsync(const BSTR queryLanguage, const BSTR query, LONG flags, IWbemContext* context,
                                   IWbemObjectSink* sink);
    // Runs a method of a class or instance; the mapper indicates the out-parameters itself.
    // 0x8004103A for a path holding a NUL or an instance path whose keys are not exactly its
    // class's; 0x80041055 for a method the class does not have (a name holding a NUL included);
    // a mapper's 0x8004100C is reported as 0x80041016.
    virtual HRESULT ExecMethodAsync(const BSTR objectPath, const BSTR methodName, LONG flags, IWbemContext* context,
                                    IWbemClassObject* inParams, IWbemObjectSink* sink);

    // Not supported: each answers 0x8004100C (WBEM_E_NOT_SUPPORTED) with no other effect.
    virtual HRESULT OpenNamespace(const BSTR ns, LONG flags, IWbemContext* context, IWbemServices** workingNamespace,
                                  IWbemCallResult** result);
    virtual HRESULT CancelAsyncCall(IWbemObjectSink* sink);
    virtual HRESULT QueryObjectSink(LONG flags, IWbemObjectSink** responseHandler);
    virtual HRESULT GetObject(const BSTR objectPath, LONG flags, IWbemContext* context, IWbemClassObject** object,
                              IWbemCallResult** callResult);
    virtual HRESULT PutClass(IWbemClassObject* object, LONG flags, IWbemContext* context, IWbemCallResult** callResult);
    virtual HRESULT PutClassAsync(IWbemClassObject* object, LONG flags, IWbemContext* context, IWbemObjectSink* sink);
    virtual HRESULT DeleteClass(const BSTR className, LONG flags, IWbemContext* context, IWbemCallResult** callResult);
    virtual HRESULT DeleteClassAsync(const BSTR className, LONG flags, IWbemContext* context, IWbemObjectSink* sink);
    virtual HRESULT CreateClassEnum(const BSTR superclass, LONG flags, IWbemContext* context,
                                    IEnumWbemClassObject** enumerator);
    virtual HRESULT PutInstance(IWbemClassObject* instance, LONG flags, IWbemContext* context,
                                IWbemCallResult** callResult);
    virtual HRESULT DeleteInstance(const BSTR objectPath, LONG flags, IWbemContext* context,
                                   IWbemCallResult** callResult);
    virtual HRESULT CreateInstanceEnum(const BSTR className, LONG flags, IWbemContext* context,
                                       IEnumWbemClassObject** enumerator);
    virtual HRESULT ExecQuery(const BSTR queryLanguage, const BSTR query, LONG flags, IWbemContext* context,
                              IEnumWbemClassObject** enumerator);
    virtual HRESULT ExecNotificationQuery(const BSTR queryLanguage, const BSTR query, LONG flags, IWbemContext* context,
                                          IEnumWbemClassObject** enumerator);
    virtual HRESULT ExecNotificationQueryAsync(const BSTR queryLanguage, const BSTR query, LONG flags,
                                               IWbemContext* context, IWbemObjectSink* sink);
    virtual HRESULT ExecMethod(const BSTR objectPath, const BSTR methodName, LONG flags, IWbemContext* context,
                               IWbemClassObject* inParams, IWbemClassObject** outParams, IWbemCallResult** callResult);

private:
    // The class's mapper built on the database user (a pooled connection); null when the
    // class has none. The caller owns it.
    std::unique_ptr<CWmipClassMapper> GetMapper(const CAcsUser* databaseUser, const CString& className,
                                                IWbemContext* context) const;
    // Returns when the provider is initialised and the caller may use it; throws CWMIException
    // otherwise (0x80041008 before Initialize).
    void EnsureVexletPermission() const;
    // Takes the request's one connection (0x80041001 with kNoConnection when none is free) and
    // leases the mapper of className built on it to the envelope: the mapper, which the envelope
    // owns, or null when the class has none.
    CWmipClassMapper* LeaseMapper(CWmipRequestEnvelope& envelope, const CString& className,
                                  IWbemContext* context) const;
    // The caller's user-cache entry, and its return.
    HRESULT GetUser(CWmipUserCacheEntry** entry) const;
    void ReleaseUser(CWmipUserCacheEntry* entry) const;
    // Indicates the class definition of the mapper's class; always deletes the mapper.
    HRESULT SendClassDefinition(std::unique_ptr<CWmipClassMapper> mapper, IWbemObjectSink* sink, BOOL trusted,
                                BOOL systemAccount, BOOL shellOnly) const;
    // Enumerates the class (restricted by the query, when given) on the request's connection and
    // indicates the instances; only the first unless all is set.
    HRESULT SendQueryResults(const CString& className, CWmipQuery* query, IWbemContext* context, IWbemObjectSink* sink,
                             LONG flags, BOOL all, CWmipRequestEnvelope& envelope) const;
    // True when the context holds one of the put-extension values.
    BOOL HasPartialInstanceOperations(IWbemContext* context) const;

    // The class path road of GetObjectAsync.
    HRESULT GetClassObject(const CString& className, IWbemContext* context, IWbemObjectSink* sink, bool trusted,
                           bool shellOnly, CWmipRequestEnvelope& envelope) const;

    // Written by Initialize only.
    ComPtr<IWbemServices> m_services;
    DBConnectionManager* m_connectionManager = nullptr;
    CWmipUserCache* m_userCache = nullptr;
    CWmipListObjectClassCache* m_listCache = nullptr;
};
