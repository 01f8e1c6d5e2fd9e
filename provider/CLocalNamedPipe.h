// CLocalNamedPipe: an in-process first-in first-out queue of byte blocks. Writers append
// copies of blocks; a reader waits (with the read time-out) until a block is present and then
// takes, or only looks at, the oldest one. Nothing leaves the process.
//
// The software event road writes each event as a header block and a text block; WriteUnit
// appends both under one lock, so the blocks of concurrent senders never interleave.
//
// Owned by the software event processor. Thread-safe: any number of writers and readers; every
// queue change happens under m_lock, and a reader waits outside it. After Close only
// destruction may follow (reads then answer 0 at once).
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <vector>

#include "platform/win32/ThreadSafety.h"
#include "platform/win32/WinTypes.h"

class CLocalNamedPipe
{
public:
    // The read time-out of a new pipe: wait without limit.
    static constexpr LONG kWaitForever = -1;

    CLocalNamedPipe();
    ~CLocalNamedPipe();
    CLocalNamedPipe(const CLocalNamedPipe&) = delete;
    CLocalNamedPipe& operator=(const CLocalNamedPipe&) = delete;

    // Appends a copy of size bytes from data (a null pointer or a size below 1 queues a block
    // without bytes that still records size). Answers size; 0 when the block cannot be
    // allocated (nothing queued then).
    LONG Write(const void* data, LONG size);
    // Appends two blocks back to back under one lock, so no other writer's block comes between
    // them. Answers the sum of the two sizes; 0 when either cannot be allocated (nothing queued).
    LONG WriteUnit(const void* first, LONG firstSize, const void* second, LONG secondSize);
    // Waits for a block and removes the oldest; copies it when buffer is given, the block has
    // bytes and capacity is at least its size. Answers the bytes copied: 0 on time-out, on an
    // empty queue and for a block that does not fit (which is consumed all the same).
    LONG Read(void* buffer, LONG capacity);
    // Read without removing the block.
    LONG Peek(void* buffer, LONG capacity);
    // Discards the oldest block (after the wait). TRUE.
    BOOL Skip();
    // Waits for a block and moves the oldest into bytes (sized to the block). TRUE; FALSE on
    // time-out or an empty queue (bytes untouched).
    BOOL ReadBytes(std::vector<BYTE>& bytes);
    // The number of queued blocks.
    int GetCount() const;
    // Wakes every waiting reader; reads answer 0 from now on. TRUE.
    BOOL Close();

    // The wait of every read in milliseconds (kWaitForever: no limit; 0: no wait).
    void SetReadTimeout(LONG milliseconds);

private:
    struct Item
    {
        std::vector<BYTE> data;
        LONG size = 0;
    };

    // Waits for a block; false on time-out or after Close. Holds lock on return.
    bool WaitForDataLocked(CheckedMutexLock& lock) REQUIRES(m_lock);
    LONG ReadImpl(void* buffer, LONG capacity, bool remove);
    static Item MakeItem(const void* data, LONG size);

    mutable CheckedMutex m_lock;
    std::condition_variable m_dataAvailable;
    std::deque<Item> m_queue GUARDED_BY(m_lock);
    LONG m_readTimeoutMs GUARDED_BY(m_lock) = kWaitForever;
    bool m_closed GUARDED_BY(m_lock) = false;
};
