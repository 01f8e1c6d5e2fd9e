#include "platform/com/CimTypes.h"
#include "platform/com/Variant.h"
#include "platform/com/WbemConstants.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

// The numbers the system compares against literally ("0x80041028", CIM type 102, flags 0x40)
// must be the platform's own.
TEST(ComConstants, KeepPlatformNumbers)
{
    struct Code
    {
        HRESULT value;
        std::uint32_t bits;
    };
    const Code codes[] = {
        {WBEM_E_FAILED, 0x80041001u},
        {WBEM_E_NOT_FOUND, 0x80041002u},
        {WBEM_E_ACCESS_DENIED, 0x80041003u},
        {WBEM_E_INVALID_PARAMETER, 0x80041008u},
        {WBEM_E_NOT_SUPPORTED, 0x8004100Cu},
        {WBEM_E_INVALID_CLASS, 0x80041010u},
        {WBEM_E_INVALID_OPERATION, 0x80041016u},
        {WBEM_E_INVALID_QUERY, 0x80041017u},
        {WBEM_E_UNEXPECTED, 0x8004101Du},
        {WBEM_E_PROVIDER_NOT_CAPABLE, 0x80041024u},
        {WBEM_E_ILLEGAL_NULL, 0x80041028u},
        {WBEM_E_INVALID_OBJECT_PATH, 0x8004103Au},
        {WBEM_E_METHOD_NOT_IMPLEMENTED, 0x80041055u},
        {WBEM_S_NO_MORE_DATA, 0x40005u},
        {WBEM_S_ACCESS_DENIED, 0x40009u},
        {WBEM_S_INITIALIZED, 0u},
    };
    for (const Code& code : codes)
        EXPECT_EQ(static_cast<std::uint32_t>(code.value), code.bits);

    static_assert(CIM_SINT32 == VT_I4 && CIM_STRING == VT_BSTR && CIM_BOOLEAN == VT_BOOL);
    static_assert(CIM_UINT8 == VT_UI1 && CIM_SINT64 == VT_I8 && CIM_REAL64 == VT_R8);
    static_assert(CIM_DATETIME == 101 && CIM_REFERENCE == 102 && CIM_CHAR16 == 103);
    static_assert(CIM_FLAG_ARRAY == VT_ARRAY);
    static_assert(WBEM_FLAG_NONSYSTEM_ONLY == 0x40 && WBEM_FLAG_KEYS_ONLY == 0x4);
    static_assert(WBEM_FLAG_SEND_STATUS == 0x80 && WBEM_FLAG_SHALLOW == 1);
    static_assert(WBEM_FLAG_UPDATE_ONLY == 1 && WBEM_FLAG_CREATE_ONLY == 2);
    static_assert(WBEM_STATUS_COMPLETE == 0 && WBEM_STATUS_PROGRESS == 2);
}

}  // namespace
