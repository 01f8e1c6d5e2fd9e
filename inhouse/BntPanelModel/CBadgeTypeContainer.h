// CBadgeTypeContainer: the process-wide list of badge types, read on demand and searched by
// id (the badge mapper looks up a badge's type for every PIN it shows).
//
// One object per process (Instance). Thread-safe: concurrent requests read and refill the list,
// so every access holds m_lock and Find hands out a copy, never a pointer into the list.
#pragma once

#include <map>
#include <mutex>
#include <optional>

#include "platform/win32/ThreadSafety.h"
#include "inhouse/BntPanelModel/CBadgeType.h"

class CAcsUser;

class CBadgeTypeContainer
{
public:
    static CBadgeTypeContainer& Instance();

    CBadgeTypeContainer(const CBadgeTypeContainer&) = delete;
    CBadgeTypeContainer& operator=(const CBadgeTypeContainer&) = delete;

    // A copy of the type with the id; nothing when the list does not hold it.
    std::optional<CBadgeType> Find(LONG badgeTypeId) const;
    // Reads every badge type with the user's connection, replacing the list (kept as it was
    // when the read fails). The second argument names the original library's database set
    // (-1: the user's own); the third, the original's reload option, always applies here.
    // True on success.
    bool Read(const CAcsUser* user, LONG, bool);

private:
    CBadgeTypeContainer() = default;

    mutable CheckedMutex m_lock;
    std::map<LONG, CBadgeType> m_types GUARDED_BY(m_lock);
};
