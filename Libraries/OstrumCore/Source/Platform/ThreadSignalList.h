// An ordered list of signals waited on together (ThreadSignal::waitAny).
//
// The signals are borrowed: they must outlive the list. Not thread-safe.
#pragma once

#include <vector>

namespace ostrum {

class ThreadSignal;

class ThreadSignalList
{
public:
    ThreadSignalList() = default;
    ThreadSignalList(const ThreadSignalList&) = delete;
    ThreadSignalList& operator=(const ThreadSignalList&) = delete;

    // Appends one signal; a null signal is ignored.
    void add(ThreadSignal* signal);
    // Appends every signal of `list` in order; a null list is ignored.
    void add(const ThreadSignalList* list);

    int getCount() const;
    // The signal at `index` (0 <= index < getCount()).
    ThreadSignal* getSignal(int index) const;

private:
    std::vector<ThreadSignal*> m_signals;
};

}  // namespace ostrum
