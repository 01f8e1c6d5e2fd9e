#include "Libraries/OstrumCore/Source/Platform/ThreadSignalList.h"

namespace ostrum {

void ThreadSignalList::add(ThreadSignal* signal)
{
    if (signal != nullptr)
    {
        m_signals.push_back(signal);
    }
}

void ThreadSignalList::add(const ThreadSignalList* list)
{
    if (list != nullptr)
    {
        // Copied first: a list may be appended to itself.
        const std::vector<ThreadSignal*> added = list->m_signals;
        m_signals.insert(m_signals.end(), added.begin(), added.end());
    }
}

int ThreadSignalList::getCount() const
{
    return static_cast<int>(m_signals.size());
}

ThreadSignal* ThreadSignalList::getSignal(int index) const
{
    return m_signals.at(static_cast<std::size_t>(index));
}

}  // namespace ostrum
