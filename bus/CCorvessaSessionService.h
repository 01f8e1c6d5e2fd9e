// CCorvessaSessionService: the session tokens of the bus front end. Authenticate issues a token
// (the text of a random UUID) that maps to the SID under which the user's entry sits in the bus
// user cache; every request turns its token into that entry (GetUserCacheEntryForToken, or
// LeaseEntryForToken with the entry's return) and gives it back after its work. A token lives
// from its issue until it is older than the lifetime (registry value
// "AuthenticatedTokenTimeout", 1 to 24 hours, default 8), measured on the steady time of the
// clock it is given: a request with an aged token is refused at once, and
// RemoveStaleAuthenticationTokens sweeps aged tokens out. A log-out (EndSession) removes the
// user's entry when no other token uses it.
//
// Owned by the CCorvessaBaseApp whose user cache it reads (through the cache source), which
// stops its sweeping thread before this object goes. Thread-safe. The token-map lock
// (recursive) guards the token table and is held across each whole token step: the check, the
// count of a SID's tokens together with the removal of the entry and the token, and the login
// of an issue together with the token it issues. It may be held while the user cache's lock is
// taken, never the other way round.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/mfc/COleDateTime.h"
#include "platform/mfc/CString.h"
#include "platform/win32/Clock.h"
#include "platform/win32/Threading.h"
#include "platform/win32/WinTypes.h"

class CCorvessaUserCache;
class CWmipUserCacheEntry;

class CCorvessaSessionService
{
public:
    // The bus user cache of the application; null when there is none.
    using CacheSource = CCorvessaUserCache* (*)();
    // Gives a token check's entry back when the request ends, whatever way it ends.
    using EntryLease = std::unique_ptr<CWmipUserCacheEntry, std::function<void(CWmipUserCacheEntry*)>>;

    static constexpr char kInternalSidPrefix[] = "INTERNAL_SID_FOR_";
    static constexpr int kDefaultTokenTimeoutHours = 8;
    static constexpr int kMinTokenTimeoutHours = 1;
    static constexpr int kMaxTokenTimeoutHours = 24;
    // A token records at most this many application ids of at most this many bytes, the
    // sign-in's own as every later one (an id past them is served, not recorded): a client
    // cannot grow the token table without bound by inventing ids.
    static constexpr std::size_t kMaxApplicationIdsPerToken = 64;
    static constexpr std::size_t kMaxApplicationIdBytes = 256;

    // Reads the token lifetime. clock: not owned, outlives the service; token ages are measured
    // on its steady time.
    CCorvessaSessionService(const IClock& clock, CacheSource cache);
    ~CCorvessaSessionService();
    CCorvessaSessionService(const CCorvessaSessionService&) = delete;
    CCorvessaSessionService& operator=(const CCorvessaSessionService&) = delete;

    // The token lifetime from the registry, 1 to 24 hours; 8 when absent or out of range.
    static int GetAuthenticatedTokenTimeoutInHours();
    static BOOL IsInternalAccountSID(const CString& sid);

    // Under the token-map lock: login(sid) and, when it succeeds with a SID, a token from
    // newToken() issued for that SID and the user of its entry now, with the application id
    // recorded within the limits above; token and authenticationTime are set only then. The login's HRESULT (the
    // cache's failure when the SID's entry was taken out meanwhile); what login or newToken throws.
    HRESULT IssueToken(const std::string& applicationId, const std::function<HRESULT(CString& sid)>& login,
                       const std::function<std::string()>& newToken, std::string& token,
                       COleDateTime& authenticationTime);
    // Ends the token's session. The token check's HRESULT (S_OK, or the cache's failure for a
    // token whose user is no longer cached; the token goes in both cases). Throws as the token
    // check.
    HRESULT EndSession(const std::string& token, const std::string& applicationId);

    // The token check: the token's user entry with its use count raised, in *entry; the
    // application id is added to the token's list when new (within the limits above). S_OK;
    // with report set, any failure is logged and becomes 0x80040520; without it the cache's
    // HRESULT (0x80041002 for a user no longer cached, also when the SID's entry is now another
    // user's than the one the token was issued to, or a sign-in's with another password) or
    // 0x80041001. Throws CCorvessaException
    // "corvessa.general.invalidsessiontoken" for an unknown token, and for an aged one, whose
    // session is ended first.
    HRESULT GetUserCacheEntryForToken(const std::string& token, const std::string& applicationId,
                                      CWmipUserCacheEntry** entry, bool report);
    // The token check with report set and, on its success, the lease of the token's entry in
    // lease. The token check's HRESULT; throws as the token check.
    HRESULT LeaseEntryForToken(const std::string& token, const std::string& applicationId, EntryLease& lease);
    // Gives a token check's entry back. The cache's result; 0x8000FFFF without a bus cache.
    HRESULT ReleaseUserCacheEntry(CWmipUserCacheEntry* entry);
    EntryLease LeaseEntry(CWmipUserCacheEntry* entry);

    // True when more than one token carries exactly this SID.
    bool IsCachedUserInUseByMultipleSessions(const CString& sid);
    // Ends the session of every token older than the lifetime (read anew here).
    void RemoveStaleAuthenticationTokens();
    // The application ids recorded for the token, the first first; empty for an unknown token
    // (and for one whose every id was past the limits).
    std::vector<std::string> GetTokenApplicationIds(const std::string& token);

private:
    struct TokenRecord
    {
        CString sid;
        // The user the token was issued to, and the stored password its sign-in was checked
        // against (CAcsUser::GetSignInCredential): the SID's entry serves the token only while it
        // is this user's under the same sign-in.
        LONG userId = 0;
        std::optional<std::string> credential;
        std::vector<std::string> applicationIds;
        COleDateTime authenticationTime;
        ULONGLONG issuedTick = 0;  // steady clock, milliseconds
    };
    using TokenMap = std::map<std::string, TokenRecord>;

    bool IsAgedLocked(const TokenRecord& record) const REQUIRES(m_tokenLock);
    // The entry of the SID from the bus cache, use count raised; *asked tells whether there was
    // a bus cache to ask. The caller holds the token-map lock.
    HRESULT LookUpSidLocked(const CString& sid, CWmipUserCacheEntry** entry, bool* asked) REQUIRES(m_tokenLock);
    // The same for the record's SID, refused (WBEM_E_NOT_FOUND, *entry null) when the entry's
    // user is not the one the token was issued to. The caller holds the token-map lock.
    HRESULT LookUpEntryLocked(const TokenRecord& record, CWmipUserCacheEntry** entry, bool* asked)
        REQUIRES(m_tokenLock);
    // Removes the entry (unless another token uses its SID), gives it back and removes the
    // token. The caller holds the token-map lock.
    void EndSessionLocked(const std::string& token, CWmipUserCacheEntry* entry) REQUIRES(m_tokenLock);

    // Set at construction.
    const IClock& m_clock;
    const CacheSource m_cache;

    mutable CRITICAL_SECTION m_tokenLock;
    TokenMap m_tokens GUARDED_BY(m_tokenLock);
    std::atomic<LONGLONG> m_tokenLifetimeMs{0};
};
