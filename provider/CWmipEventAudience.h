// CWmipEventAudience: who an event provider's events may reach: the account that made each
// active query, and for one event the security descriptor that lets it reach only those of them
// that may see the event's segment (hardware) or read its record (software). The WMI service
// hands an event that carries the descriptor only to the consumers it grants.
//
// Shared by an event provider (CWmipEventProvider), which records and forgets queries on WMI
// threads, and its processor, which asks on its own thread (the processor may outlive the
// provider).
// Thread-safe: m_lock guards the accounts; the user cache is asked outside it.
#pragma once

#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/win32/ThreadSafety.h"
#include "platform/win32/WinTypes.h"

class IWmipUserEntry;

class CWmipEventAudience
{
public:
    CWmipEventAudience() = default;
    CWmipEventAudience(const CWmipEventAudience&) = delete;
    CWmipEventAudience& operator=(const CWmipEventAudience&) = delete;

    // Records the calling account (the impersonated client, as the user cache finds it) as the
    // consumer of the query; a known id gets the new caller. A caller the user cache cannot
    // name is recorded without an account, so no event is ever granted to it.
    void Add(ULONG queryId);
    // Forgets the query; an unknown id changes nothing.
    void Remove(ULONG queryId);

    // A self-relative security descriptor granting WBEM_RIGHT_SUBSCRIBE to each recorded
    // account that is linked, may use the provider and whose user-cache entry mayRead admits (a
    // record-change event reaches only those who may read the record); an account that fails is
    // named in the log under `source`. With no such account the descriptor grants nobody.
    std::vector<BYTE> DescriptorFor(const std::function<bool(IWmipUserEntry&)>& mayRead, const wchar_t* source) const;
    // The accounts that pass the same check grouped by what classify answers for each user (an
    // event that names records some of them may not see is served in one form per group): the
    // descriptor granting each group under its answer. An account classify answers nothing for
    // is in no group; with no group the map is empty.
    std::map<unsigned, std::vector<BYTE>> DescriptorsBy(
        const std::function<std::optional<unsigned>(IWmipUserEntry&)>& classify, const wchar_t* source) const;

private:
    mutable CheckedMutex m_lock;
    // The binary SID of each query's consumer (empty: none).
    std::map<ULONG, std::vector<BYTE>> m_consumers GUARDED_BY(m_lock);
};
