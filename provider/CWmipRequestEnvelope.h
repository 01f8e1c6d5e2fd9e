// CWmipRequestEnvelope: the frame every asynchronous entry point of the instance provider runs
// in, written once: the switch to the library's own module state, the "<operation>(<argument>)"
// and "Leaving <operation>(<argument>)" log lines, the guarded regions that turn every failure
// into a CWMIException and its extended status object, the request's resources (object path,
// query, database connection and mapper, the caller's user-cache entry the request's lookups
// share) given back before the one final SetStatus.
//
// Built on the stack of one entry point and used on that thread only (no lock). The services,
// context and sink are borrowed from the caller; each may be null (a null sink hears nothing).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "platform/com/Bstr.h"
#include "platform/mfc/CString.h"
#include "platform/mfc/ModuleState.h"
#include "platform/win32/WinTypes.h"
#include "provider/CWmipMapperLease.h"
#include "provider/CWmipStatusReporter.h"
#include "provider/CWmipUserCache.h"

class CWmipObjectPath;
class CWmipQuery;
class DBConnectionManager;
class IWbemContext;
class IWbemObjectSink;
class IWbemServices;

class CWmipRequestEnvelope
{
public:
    // The step that differs between entry points: answers the request's HRESULT, or throws.
    using Work = std::function<HRESULT()>;
    // Rewrites the HRESULT of a failure caught by the envelope (the extended status still
    // describes the failure as it was thrown).
    using FailureMapping = HRESULT (*)(HRESULT);

    // The source name of the provider's log lines and exceptions.
    static constexpr LPCWSTR kSourceName = L"wpInstanceProvider";

    // Switches the calling thread to the library's module state for the envelope's life and
    // logs "<operation>(<argument>)".
    CWmipRequestEnvelope(LPCWSTR operation, const CString& argument, IWbemServices* services, IWbemContext* context,
                         IWbemObjectSink* sink, DBConnectionManager* connectionManager);
    ~CWmipRequestEnvelope();
    CWmipRequestEnvelope(const CWmipRequestEnvelope&) = delete;
    CWmipRequestEnvelope& operator=(const CWmipRequestEnvelope&) = delete;

    // Runs the work inside the guarded regions; gives back the request's resources; reports
    // the result (with the result text when it succeeded and one was set, and the extended
    // status of a caught failure) with SetStatus; logs the leaving line. Answers the reported
    // HRESULT. Never throws.
    HRESULT Run(const Work& work, FailureMapping mapping = nullptr);
    // Reports the result at once, with neither text nor status object, and without the
    // leaving line (an answer that ends the request before its work begins).
    HRESULT AnswerEarly(HRESULT result);

    // Which keys a keyed path must name.
    enum class KeyRule
    {
        // Every key property, each once: a path that deletes or runs a method on one instance.
        kAllKeys,
        // Key properties only, each at most once: a read, which answers the first match.
        kSomeKeys,
    };

    // Parses the request's object path into Path(). True when the text parses and, for a path
    // with keys, the keys follow `rule` for the path's registered class (names compared
    // without regard to case). False, with Path() null, otherwise. Class and singleton paths,
    // and the paths of a class that is not registered or has no key properties, are taken as
    // parsed (the entry point answers for them as before).
    bool ParsePath(const wchar_t* text, KeyRule rule = KeyRule::kAllKeys);

    // True when the BSTR holds a NUL before its end (SysStringLen reaches past the first NUL):
    // read as a C string it would lose its rest, a WHERE clause for one, so every entry point
    // refuses such an argument as malformed. False for a null BSTR and for a text without an
    // embedded NUL. The argument must be a BSTR: its length prefix is read.
    static bool HasEmbeddedNul(const BSTR text);

    // Takes the request's connection, before its caller is checked, and opens a read transaction
    // on it (CWmipMapperLease::BeginRead) in which the caller's check reads the stamps and the
    // request's reads follow: one moment, one transaction's locks. Without a free connection the
    // caller is checked on its entry's own. Throws CDBException.
    void BeginRead();

    // The request's resources; all are given back by Run before it reports, and by the
    // destructor on any other way out.
    std::unique_ptr<CWmipObjectPath>& Path() { return m_path; }
    std::unique_ptr<CWmipQuery>& Query() { return m_query; }
    CWmipMapperLease& Lease() { return m_lease; }
    // The result text reported on success (the put's object path).
    void SetResultText(const CString& text) { m_resultText = text; }
    // True when the request has written an error line (its reason) to the provider log.
    bool WroteErrorLine() const;

private:
    void ReleaseResources();

    // Set at construction. The module state is switched first and restored last.
    CModuleStateSwitch m_moduleState;
    const CString m_operation;
    const CString m_argument;
    // The thread's count of error lines written when the request began.
    const std::uint64_t m_errorLinesBefore;
    IWbemServices* const m_services;
    IWbemContext* const m_context;
    // The caller's entry as the request's first lookup found it, shared by its later lookups.
    CWmipUserCache::RequestScope m_caller;
    // Declared before the resources so that a guard report comes after they are given back.
    CWmipStatusReporter m_reporter;

    std::optional<CString> m_resultText;
    std::unique_ptr<CWmipObjectPath> m_path;
    std::unique_ptr<CWmipQuery> m_query;
    // Declared after the query: the mapper refers to the query attached to it.
    CWmipMapperLease m_lease;
};
