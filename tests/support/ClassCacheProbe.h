// ClassCacheProbe: the tests' one way into the class cache's inner state, which no production
// caller reads: the span it was made with and how many definitions it keeps.
#pragma once

#include "framework/CWmipClassCache.h"

#include <cstddef>

class ClassCacheProbe
{
public:
    ClassCacheProbe() = delete;

    // The span in seconds the cache drops everything after.
    static LONG SpanSeconds(const CWmipClassCache& cache) { return cache.m_spanSeconds; }
    // The number of cached definitions, built and stored (the shaped copies kept beside the
    // built ones are not counted).
    static std::size_t Count(const CWmipClassCache& cache)
    {
        CriticalSectionLock guard(cache.m_lock);
        return cache.m_classes.size() + cache.m_storedClasses.size();
    }
};
