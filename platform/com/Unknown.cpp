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
    return std::malloc(size == 0 ? 1 : size);
}

void CoTaskMemFree(LPVOID block)
{
    std::free(block);
}

LPVOID CoTaskMemRealloc(LPVOID block, SIZE_T size)
{
    return std::realloc(block, size == 0 ? 1 : size);
}
