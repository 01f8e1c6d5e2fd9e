#include "platform/com/Unknown.h"

#include <cstdlib>

namespace {

constexpr DWORD kKnownCoInitFlags = COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE | COINIT_SPEED_OVER_MEMORY;

// How often the current thread has initialised COM, and in which threading mode.
struct ThreadComState
{
    ULONG initCount = 0;
    DWORD mode = COINIT_MULTITHREADED;
};

thread_local ThreadComState t_comState;
thread_local CoTaskMemWatch* t_taskMemWatch = nullptr;

}  // namespace

HRESULT CoInitializeEx(LPVOID reserved, DWORD coInit)
{
    if (reserved != nullptr || (coInit & ~kKnownCoInitFlags) != 0)
        return E_INVALIDARG;
    const DWORD mode = coInit & COINIT_APARTMENTTHREADED;
    if (t_comState.initCount == 0)
    {
        t_comState.mode = mode;
        t_comState.initCount = 1;
        return S_OK;
    }
    if (t_comState.mode != mode)
        return RPC_E_CHANGED_MODE;
    ++t_comState.initCount;
    return S_FALSE;
}

HRESULT CoInitialize(LPVOID reserved)
{
    return CoInitializeEx(reserved, COINIT_APARTMENTTHREADED);
}

void CoUninitialize()
{
    if (t_comState.initCount > 0)
        --t_comState.initCount;
}

LPVOID CoTaskMemAlloc(SIZE_T size)
{
    LPVOID block = std::malloc(size == 0 ? 1 : size);
    if (block != nullptr && t_taskMemWatch != nullptr)
        t_taskMemWatch->Allocated(block);
    return block;
}

void CoTaskMemFree(LPVOID block)
{
    if (block != nullptr && t_taskMemWatch != nullptr)
        t_taskMemWatch->Freed(block);
    std::free(block);
}

LPVOID CoTaskMemRealloc(LPVOID block, SIZE_T size)
{
    CoTaskMemWatch* const watch = t_taskMemWatch;
    if (block != nullptr && watch != nullptr)
        watch->Freed(block);
    LPVOID resized = std::realloc(block, size == 0 ? 1 : size);
    // A failed resize leaves the old block standing.
    LPVOID standing = resized != nullptr ? resized : block;
    if (standing != nullptr && watch != nullptr)
        watch->Allocated(standing);
    return resized;
}

void WatchCoTaskMem(CoTaskMemWatch* watch)
{
    t_taskMemWatch = watch;
}
