#include "platform/win32/LocalMemory.h"

#include "platform/win32/ThreadSafety.h"
#include "platform/win32/SystemInfo.h"

#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <unordered_map>

namespace {

// Blocks are arrays of max_align_t so that a caller may store any type in them.
using Block = std::unique_ptr<std::max_align_t[]>;

struct LocalHeap
{
    CheckedMutex m_lock;
    // Every live block, by address.
    std::unordered_map<const void*, Block> m_blocks GUARDED_BY(m_lock);
};

// Kept alive past static destruction: blocks may still be freed by late exit code.
union ImmortalHeap
{
    LocalHeap m_heap;
    ImmortalHeap() : m_heap() {}
    ~ImmortalHeap() {}
};

LocalHeap& Heap()
{
    static ImmortalHeap heap;
    return heap.m_heap;
}

}  // namespace

HLOCAL LocalAlloc(UINT flags, SIZE_T bytes)
{
    if ((flags & ~LMEM_ZEROINIT) != 0)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const std::size_t units = bytes / sizeof(std::max_align_t) + 1;
    Block block;
    try
    {
        block = std::make_unique<std::max_align_t[]>(units);
    }
    catch (const std::bad_alloc&)
    {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    // Every block starts zero-filled whatever the flags say: no stale bytes reach a caller.
    std::memset(block.get(), 0, units * sizeof(std::max_align_t));
    void* address = block.get();
    LocalHeap& heap = Heap();
    CheckedMutexLock guard(heap.m_lock);
    heap.m_blocks.emplace(address, std::move(block));
    return address;
}

HLOCAL LocalFree(HLOCAL block)
{
    if (block == nullptr)
        return nullptr;
    Block released;
    {
        LocalHeap& heap = Heap();
        CheckedMutexLock guard(heap.m_lock);
        const auto found = heap.m_blocks.find(block);
        if (found == heap.m_blocks.end())
        {
            SetLastError(ERROR_INVALID_HANDLE);
            return block;
        }
        released = std::move(found->second);
        heap.m_blocks.erase(found);
    }
    return nullptr;
}
