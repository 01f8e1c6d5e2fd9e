#include "platform/win32/HandleTable.h"

#include "platform/win32/ThreadSafety.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <unordered_map>

namespace {

// Handles start well above the pseudo handles (-1, -2 as unsigned are at the very top) and
// above small integers that a confused caller might pass; they step by 4 like Windows handles.
constexpr std::uintptr_t kFirstHandle = 0x10000;
constexpr std::uintptr_t kHandleStep = 4;
// Every request opens and closes token handles; one lock per shard keeps threads that do so
// at once from queueing behind each other. Consecutive handles land in different shards.
constexpr std::size_t kShardCount = 16;

struct alignas(64) Shard
{
    CheckedMutex m_lock;
    std::unordered_map<std::uintptr_t, std::shared_ptr<KernelObject>> m_objects GUARDED_BY(m_lock);
};

struct TableState
{
    std::atomic<std::uintptr_t> m_next{kFirstHandle};
    std::array<Shard, kShardCount> m_shards;

    Shard& ShardOf(std::uintptr_t value) { return m_shards[(value / kHandleStep) % kShardCount]; }
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
    const std::uintptr_t value = state.m_next.fetch_add(kHandleStep, std::memory_order_relaxed);
    Shard& shard = state.ShardOf(value);
    {
        const CheckedMutexLock guard(shard.m_lock);
        shard.m_objects.emplace(value, std::move(object));
    }
    return reinterpret_cast<HANDLE>(value);
}

std::shared_ptr<KernelObject> HandleTable::Find(HANDLE handle)
{
    const auto value = reinterpret_cast<std::uintptr_t>(handle);
    Shard& shard = State().ShardOf(value);
    const CheckedMutexLock guard(shard.m_lock);
    const auto found = shard.m_objects.find(value);
    return found == shard.m_objects.end() ? nullptr : found->second;
}

bool HandleTable::Close(HANDLE handle)
{
    const auto value = reinterpret_cast<std::uintptr_t>(handle);
    std::shared_ptr<KernelObject> released;
    {
        Shard& shard = State().ShardOf(value);
        const CheckedMutexLock guard(shard.m_lock);
        const auto found = shard.m_objects.find(value);
        if (found == shard.m_objects.end())
            return false;
        released = std::move(found->second);
        shard.m_objects.erase(found);
    }
    // The object may be destroyed here, outside the table lock, so its destructor can never
    // deadlock against a lookup.
    return true;
}
