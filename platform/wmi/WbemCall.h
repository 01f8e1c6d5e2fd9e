// WbemCall: runs the body of an interface method and turns the exceptions of the value layer
// (short memory, a failed VARIANT copy) into the HRESULT the caller receives, so that no
// exception ever leaves an interface method.
//
// Stateless; safe on any thread.
#pragma once

#include "platform/com/ComError.h"
#include "platform/com/WbemConstants.h"

#include <new>

class WbemCall
{
public:
    WbemCall() = delete;

    // The body's HRESULT; WBEM_E_OUT_OF_MEMORY when it ran out of memory (std::bad_alloc, or a
    // _com_error carrying E_OUTOFMEMORY); the carried HRESULT of another _com_error;
    // WBEM_E_FAILED for any other exception.
    template <class Body>
    static HRESULT Run(Body&& body) noexcept
    {
        try
        {
            return body();
        }
        catch (const std::bad_alloc&)
        {
            return WBEM_E_OUT_OF_MEMORY;
        }
        catch (const _com_error& error)
        {
            return error.Error() == E_OUTOFMEMORY ? WBEM_E_OUT_OF_MEMORY : error.Error();
        }
        catch (...)
        {
            return WBEM_E_FAILED;
        }
    }
};
