#include "platform/win32/LocalMemory.h"

#include "platform/win32/ThreadSafety.h"
#include "platform/win32/SystemInfo.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <mutex>
#include <new>
#include <unordered_map>

namespace {

// Blocks are aligned for any type, so that a caller may store any type in them.
constexpr std::uintptr_t kAlignment = alignof(std::max_align_t);
// Address space is taken from the system in spans of at least this size; what a span holds is
// made writable page by page as blocks are handed out.
constexpr std::size_t kSpanBytes = std::size_t{64} << 20;

std::uintptr_t RoundUp(std::uintptr_t value, std::uintptr_t to)
{
    return (value + to - 1) / to * to;
}

// Addresses are handed out in rising order and never again: a span's address space stays taken
// for the life of the process, and a page whose blocks are all freed gives its memory back
// (replaced by an inaccessible page) but not its address. So a stale LocalFree names no live
// block, and a stale pointer faults rather than reaching another caller's block.
class LocalHeap
{
public:
    // A new zero-filled block, or null with *error set.
    void* Allocate(std::size_t bytes, DWORD* error)
    {
        const std::size_t page = PageBytes();
        if (bytes > std::numeric_limits<std::size_t>::max() - kSpanBytes - page)
        {
            *error = ERROR_NOT_ENOUGH_MEMORY;
            return nullptr;
        }
        // At least one unit, so that every block has an address of its own.
        const std::uintptr_t allotted = RoundUp(bytes == 0 ? 1 : bytes, kAlignment);
        CheckedMutexLock guard(m_lock);
        if (m_spanEnd - m_next < allotted && !TakeSpanLocked(allotted))
        {
            *error = ERROR_NOT_ENOUGH_MEMORY;
            return nullptr;
        }
        const std::uintptr_t address = m_next;
        const std::uintptr_t writable = RoundUp(address + allotted, page);
        if (writable > m_writableEnd)
        {
            if (mprotect(reinterpret_cast<void*>(m_writableEnd), writable - m_writableEnd, PROT_READ | PROT_WRITE) != 0)
            {
                *error = ERROR_NOT_ENOUGH_MEMORY;
                return nullptr;
            }
            m_writableEnd = writable;
        }
        m_next = address + allotted;
        for (std::uintptr_t at = address / page * page; at < address + allotted; at += page)
            ++m_livePerPage[at];
        m_blocks.emplace(address, allotted);
        // Fresh pages are zero already; a caller that wrote past its block leaves nothing behind.
        std::memset(reinterpret_cast<void*>(address), 0, allotted);
        return reinterpret_cast<void*>(address);
    }

    // Frees a live block; false when the address is none.
    bool Free(const void* block)
    {
        const std::size_t page = PageBytes();
        CheckedMutexLock guard(m_lock);
        const auto found = m_blocks.find(reinterpret_cast<std::uintptr_t>(block));
        if (found == m_blocks.end())
            return false;
        const std::uintptr_t address = found->first;
        const std::uintptr_t end = address + found->second;
        m_blocks.erase(found);
        // The page the next block starts on keeps its memory until the heap has moved past it.
        const std::uintptr_t filling = m_next % page != 0 ? m_next / page * page : 0;
        std::uintptr_t run = 0;  // the first page of a run of pages to give back
        for (std::uintptr_t at = address / page * page; at < end; at += page)
        {
            const auto live = m_livePerPage.find(at);
            const bool empty = --live->second == 0;
            if (empty)
                m_livePerPage.erase(live);
            const bool release = empty && at != filling;
            if (release && run == 0)
                run = at;
            if (!release && run != 0)
            {
                ReleaseLocked(run, at - run);
                run = 0;
            }
        }
        if (run != 0)
            ReleaseLocked(run, RoundUp(end, page) - run);
        return true;
    }

private:
    static std::size_t PageBytes()
    {
        static const std::size_t bytes = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
        return bytes;
    }

    // Takes a new span for a block of `allotted` bytes; the rest of the current one is never
    // handed out. False when the system has no address space to give.
    bool TakeSpanLocked(std::uintptr_t allotted) REQUIRES(m_lock)
    {
        const std::size_t page = PageBytes();
        const std::size_t bytes = std::max<std::size_t>(kSpanBytes, RoundUp(allotted, page));
        void* span = mmap(nullptr, bytes, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
        if (span == MAP_FAILED)
            return false;
        // The page the heap was filling is now behind it: free if none of its blocks lives.
        if (m_next % page != 0 && m_livePerPage.count(m_next / page * page) == 0)
            ReleaseLocked(m_next / page * page, page);
        m_next = reinterpret_cast<std::uintptr_t>(span);
        m_writableEnd = m_next;
        m_spanEnd = m_next + bytes;
        return true;
    }

    // Gives the memory of the pages back and keeps their addresses taken, inaccessible.
    void ReleaseLocked(std::uintptr_t at, std::size_t bytes) REQUIRES(m_lock)
    {
        mmap(reinterpret_cast<void*>(at), bytes, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE | MAP_FIXED, -1,
             0);
    }

    CheckedMutex m_lock;
    std::uintptr_t m_next GUARDED_BY(m_lock) = 0;         // the next block's address
    std::uintptr_t m_writableEnd GUARDED_BY(m_lock) = 0;  // the end of the span's writable pages
    std::uintptr_t m_spanEnd GUARDED_BY(m_lock) = 0;      // the end of the span being handed out
    // Every live block: its address, its size.
    std::unordered_map<std::uintptr_t, std::uintptr_t> m_blocks GUARDED_BY(m_lock);
    // Every page holding a live block: its address, how many.
    std::unordered_map<std::uintptr_t, std::size_t> m_livePerPage GUARDED_BY(m_lock);
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
    DWORD error = ERROR_SUCCESS;
    void* block = Heap().Allocate(bytes, &error);
    if (block == nullptr)
        SetLastError(error);
    return block;
}

HLOCAL LocalFree(HLOCAL block)
{
    if (block == nullptr || Heap().Free(block))
        return nullptr;
    SetLastError(ERROR_INVALID_HANDLE);
    return block;
}
