// UserPoolTestAccess: the tests' one way into a user cache's pool (CWmipUserCachePool), which
// production code never asks how many entries it holds: the cached and the retired entries of
// a cache (the WMI door's or the bus's, which keeps its entries in its base's pool), and the
// cache's own clean-up, run as a lookup or a release runs it. Header only; the caches name it
// their friend.
#pragma once

#include <cstddef>

#include "provider/CWmipUserCache.h"
#include "provider/CWmipUserCachePool.h"

struct UserPoolTestAccess
{
    // Entries cached now, one per SID.
    static std::size_t CachedCount(const CWmipUserCachePool& pool) { return pool.CachedCount(); }
    static std::size_t CachedCount(const CWmipUserCache& cache) { return CachedCount(cache.m_pool); }
    // Entries taken out of the cache while in use, not yet purged.
    static std::size_t RetiredCount(const CWmipUserCachePool& pool) { return pool.RetiredCount(); }
    static std::size_t RetiredCount(const CWmipUserCache& cache) { return RetiredCount(cache.m_pool); }
    // The cache's clean-up (its GarbageCollect: for the WMI door still at most once per
    // interval, for the bus the purge of retired entries no longer in use).
    static void RunCleanUp(CWmipUserCache& cache) { cache.GarbageCollect(); }
};
