// The local heap: blocks that Windows functions hand to their caller, released with LocalFree.
//
// Every block is recorded, so LocalFree of a pointer this heap did not hand out (or already
// freed) answers failure instead of corrupting memory. No address is handed out twice in a
// process, so a stale LocalFree fails even after later blocks were handed out, and leaves them
// alone; a freed block's whole pages go back to the system. Thread-safe.
#pragma once

#include "platform/win32/WinTypes.h"

constexpr UINT LMEM_FIXED = 0x0000;
constexpr UINT LMEM_ZEROINIT = 0x0040;
constexpr UINT LPTR = LMEM_FIXED | LMEM_ZEROINIT;

// A block of `bytes` bytes (at least one), aligned for any type and always zero-filled.
// Null with ERROR_INVALID_PARAMETER for flags other than LMEM_ZEROINIT (movable memory is
// not offered) or ERROR_NOT_ENOUGH_MEMORY when it cannot be had.
HLOCAL LocalAlloc(UINT flags, SIZE_T bytes);

// Frees a block from LocalAlloc. Null on success (also for a null argument); the argument
// itself with ERROR_INVALID_HANDLE when it is not a live block of this heap (a block freed
// before included, whatever was allocated since).
HLOCAL LocalFree(HLOCAL block);
