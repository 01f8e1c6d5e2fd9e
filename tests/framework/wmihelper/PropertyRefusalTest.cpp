// The one refusal of a missing required number: its code and text, for every way a number can
// be missing, beside the values it reads.
#include "framework/CWmipPropertyRefusal.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "tests/framework/wmihelper/WMIHelperTestSupport.h"

#include <gtest/gtest.h>

#include <optional>

using namespace wmihelpertest;

namespace {

constexpr HRESULT kRefusedNull = static_cast<HRESULT>(0x80041028u);

TEST(CWmipPropertyRefusal, RequireNumberReadsANumberAndRefusesAnythingElse)
{
    const struct
    {
        const char* label;
        _variant_t value;
        std::optional<LONG> read;
    } cases[] = {
        {"I4", _variant_t(LONG{42}), 42},          {"UI1", Typed(VT_UI1, 200), 200},
        {"NULL", Typed(VT_NULL, 0), std::nullopt}, {"EMPTY", Typed(VT_EMPTY, 0), std::nullopt},
        {"text", _variant_t(L"42"), std::nullopt}, {"64-bit", Typed(VT_I8, 42), std::nullopt},
    };
    for (const auto& c : cases)
    {
        const ComPtr<VariantObject> object = ObjectWith(c.value);
        try
        {
            const LONG value = CWmipPropertyRefusal::RequireNumber(L"test.cpp", object.Get(), L"P");
            EXPECT_EQ(std::optional<LONG>(value), c.read) << c.label;
        }
        catch (const brontel::utility::CWMIException& refusal)
        {
            EXPECT_EQ(c.read, std::nullopt) << c.label;
            EXPECT_EQ(refusal.GetHResult(), kRefusedNull) << c.label;
            EXPECT_EQ(refusal.GetText(), CString(L"The required property P had no value and no default was provided."))
                << c.label;
        }
    }
    // A property the instance does not have is missing too.
    const ComPtr<VariantObject> empty = MakeComObject<VariantObject>();
    EXPECT_THROW(CWmipPropertyRefusal::RequireNumber(L"test.cpp", empty.Get(), L"Absent"),
                 brontel::utility::CWMIException);
}

}  // namespace
