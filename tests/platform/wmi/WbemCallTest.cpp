// WbemCall: whatever the body of an interface method throws, the caller gets an HRESULT, out of memory read the same
// whichever way it was reported.
#include "platform/wmi/WbemCall.h"

#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <stdexcept>

namespace {

TEST(WbemCall, EveryThrowBecomesItsHResult)
{
    const struct
    {
        const char* body;
        std::function<HRESULT()> run;
        HRESULT expected;
    } table[] = {
        {"returns", [] { return WBEM_S_FALSE; }, WBEM_S_FALSE},
        {"bad_alloc", []() -> HRESULT { throw std::bad_alloc(); }, WBEM_E_OUT_OF_MEMORY},
        {"_com_error E_OUTOFMEMORY", []() -> HRESULT { throw _com_error(E_OUTOFMEMORY); }, WBEM_E_OUT_OF_MEMORY},
        {"_com_error other", []() -> HRESULT { throw _com_error(WBEM_E_TYPE_MISMATCH); }, WBEM_E_TYPE_MISMATCH},
        {"anything else", []() -> HRESULT { throw std::runtime_error("other"); }, WBEM_E_FAILED},
    };
    for (const auto& row : table)
    {
        SCOPED_TRACE(row.body);
        EXPECT_EQ(WbemCall::Run(row.run), row.expected);
    }
}

}  // namespace
