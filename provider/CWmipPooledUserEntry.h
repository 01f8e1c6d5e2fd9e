// CWmipPooledUserEntry: a user-cache entry around a pooled connection's user that it does not
// own, so that a nested lookup can run as that user (the badge checks read the owning person
// through the person mapper this way). It belongs to no cache, counts its uses without a lock
// and never deletes the user.
//
// Owned by value by the code that makes the nested lookup; it must not outlive the pooled
// connection, and it is never deleted through a CWmipUserCacheEntry pointer. One thread.
#pragma once

#include "provider/CWmipUserCacheEntry.h"

class CWmipPooledUserEntry : public CWmipUserCacheEntry
{
public:
    explicit CWmipPooledUserEntry(CAcsUser* pooledUser);
    ~CWmipPooledUserEntry();
    CWmipPooledUserEntry(const CWmipPooledUserEntry&) = delete;
    CWmipPooledUserEntry& operator=(const CWmipPooledUserEntry&) = delete;
};
