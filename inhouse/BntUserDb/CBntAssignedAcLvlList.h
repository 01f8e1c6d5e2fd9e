// CBntAssignedAcLvlList: the access levels assigned (or to be assigned) to a badge, by id, in
// the order they were added. A plain value type; not shared between threads.
#pragma once

#include <vector>

#include "platform/win32/WinTypes.h"

class CBntAssignedAcLvlList {
public:
    void Add(LONG accessLevelId) { m_levels.push_back(accessLevelId); }
    std::size_t GetCount() const { return m_levels.size(); }
    bool IsEmpty() const { return m_levels.empty(); }
    const std::vector<LONG>& GetLevels() const { return m_levels; }

private:
    std::vector<LONG> m_levels;
};
