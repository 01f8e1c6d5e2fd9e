// CWmipResultSender: what the instance provider's entry points share to answer with objects:
// finding the mapper of a class, sending a class definition and sending the instances of a
// class (restricted by a query) to the sink.
//
// A small value built per request from the provider's members; the services and the connection
// manager are borrowed and outlive it. Used on the request's thread only (no lock).
#pragma once

#include <memory>

#include "platform/mfc/CString.h"
#include "platform/win32/WinTypes.h"

class CAcsUser;
class CWmipClassMapper;
class CWmipListObjectClassCache;
class CWmipMapperLease;
class CWmipQuery;
class IWbemClassObject;
class IWbemContext;
class IWbemObjectSink;
class IWbemServices;

class CWmipResultSender
{
public:
    // listCache (may be null) resolves the user-defined list classes.
    CWmipResultSender(IWbemServices* services, CWmipListObjectClassCache* listCache);

    // The class's mapper built on the database user (a pooled connection, which must outlive
    // the mapper), the context and the services (a user-defined list class through the list
    // cache); null when the class has none.
    std::unique_ptr<CWmipClassMapper> GetMapper(const CAcsUser* databaseUser, const CString& className,
                                                IWbemContext* context) const;

    // Indicates the definition of the mapper's class and deletes the mapper. Shell only: the
    // definition without properties. Otherwise, unless trusted, the class's view right first:
    // a refusal answers WBEM_S_ACCESS_DENIED (0x40009) with nothing indicated. For a caller
    // marked as a system account the "Values" and "ValueMap" qualifiers are removed from every
    // property of a copy (the cached definition is never changed). Answers the HRESULT of the
    // build; WBEM_E_FAILED (logged) when no definition could be built.
    HRESULT SendClassDefinition(std::unique_ptr<CWmipClassMapper> mapper, IWbemObjectSink* sink, BOOL trusted,
                                BOOL systemAccount, BOOL shellOnly) const;

    // Enumerates the class through its mapper on the request's connection (taken by `lease` unless
    // it holds one: a read transaction opened on it is shared) (restricted by the query when
    // given) and indicates the instances, only the first unless all is set; with
    // WBEM_FLAG_SEND_STATUS in flags each is followed by a progress status. Answers the last
    // build's HRESULT (the view check's when nothing was built); WBEM_E_INVALID_CLASS when the
    // class has no mapper; the view check's failure; WBEM_E_NOT_FOUND when all is not set
    // and nothing matches. Throws CWMIException WBEM_E_FAILED when no connection is available
    // or the rows cannot be read, and the failure of an instance build. The mapper is deleted on
    // every path; the connection stays with the lease.
    HRESULT SendQueryResults(const CString& className, CWmipQuery* query, IWbemContext* context, IWbemObjectSink* sink,
                             LONG flags, BOOL all, CWmipMapperLease& lease) const;

private:
    // Removes "Values" and "ValueMap" from every non-system property; the first failure of the
    // walk is answered (WBEM_S_NO_MORE_DATA counts as success).
    static HRESULT RemoveValueQualifiers(IWbemClassObject* classObject);

    // Set at construction.
    IWbemServices* const m_services;
    CWmipListObjectClassCache* const m_listCache;
};
