#include "platform/win32/HandleTable.h"

#include <cstdint>
#include <mutex>
#include <unordered_map>

namespace {

// Handles start well above the pseudo handles (-1, -2 as unsigned are at the very top) and
// above small integers that a confused caller might pass; they step by 4 like Windows handles.
constexpr std::uintptr_t kFirstHandle = 0x10000;
constexpr std::uintptr_t kHandleStep = 4;

struct TableState
{
    std::mutex m_lock;
    // Guarded by m_lock.
    std::unordered_map<std::uintptr_t, std::shared_ptr<KernelObject>> m_objects;
    std::uintptr_t m_next = kFirstHandle;
};

// Kept alive past static destruction: detached threads may still close handles at exit.
union ImmortalTable
{
    TableState m_state;
    ImmortalTable() : m_state() {}
    ~ImmortalTable() {}
};

TableState& State()
{
    static ImmortalTable table;
    return table.m_state;
}

}  // namespace

HANDLE HandleTable::Insert(std::shared_ptr<KernelObject> object)
{
    TableState& state = State();
    std::lock_guard<std::mutex> guard(state.m_lock);
    const std::uintptr_t value = state.m_next;
    state.m_next += kHandleStep;
    state.m_objects.emplace(value, std::move(object));
    return reinterpret_cast<HANDLE>(value);
}

std::shared_ptr<KernelObject> HandleTable::Find(HANDLE handle)
{
    TableState& state = State();
    std::lock_guard<std::mutex> guard(state.m_lock);
    const auto found = state.m_objects.find(reinterpret_cast<std::uintptr_t>(handle));
    return found == state.m_objects.end() ? nullptr : found->second;
}

bool HandleTable::Close(HANDLE handle)
{
    std::shared_ptr<KernelObject> released;
    {
        TableState& state = State();
        std::lock_guard<std::mutex> guard(state.m_lock);
        const auto found = state.m_objects.find(reinterpret_cast<std::uintptr_t>(handle));
        if (found == state.m_objects.end())
            return false;
        released = std::move(found->second);
        state.m_objects.erase(found);
    }
    // The object may be destroyed here, outside the table lock, so its destructor can never
    // deadlock against a lookup.
    return true;
}
