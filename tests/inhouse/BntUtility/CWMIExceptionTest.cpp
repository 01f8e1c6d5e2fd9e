#include "inhouse/BntUtility/CWMIException.h"

#include <gtest/gtest.h>

#include "inhouse/BntUtility/StringConversion.h"
#include "tests/support/TemporaryHome.h"

using brontel::utility::ConvertCStringToUtf8;
using brontel::utility::CWMIException;

namespace {

constexpr HRESULT kNotSupported = static_cast<HRESULT>(0x8004100Cu);

TEST(CWMIException, MessageNamesSourceAndLineBeforeText)
{
    const CWMIException plain(L"wpClassMapper", 311, kNotSupported, L"Adding is not supported.");
    EXPECT_EQ(plain.GetHResult(), kNotSupported);
    EXPECT_EQ(ConvertCStringToUtf8(plain.GetMessage()), "wpClassMapper(311): Adding is not supported.");
    EXPECT_EQ(ConvertCStringToUtf8(plain.GetText()), "Adding is not supported.");

    const CWMIException bare(L"wpApp", 5, E_FAIL);
    EXPECT_EQ(ConvertCStringToUtf8(bare.GetMessage()), "wpApp(5): ");

    const CWMIException detailed(L"a", 1, E_FAIL, L"text", L"more");
    EXPECT_EQ(ConvertCStringToUtf8(detailed.GetDetail()), "more");

    const CWMIException nulls(nullptr, 0, E_FAIL, static_cast<LPCWSTR>(nullptr));
    EXPECT_EQ(ConvertCStringToUtf8(nulls.GetMessage()), "(0): ");
}

TEST(CWMIException, ReplacedExceptionMessageIsKeptAfterItIsGone)
{
    CWMIException copy(L"x", 0, S_OK);
    {
        const CMemoryException memory;
        copy = CWMIException(L"wpInstanceProvider", 77, static_cast<HRESULT>(0x80041001u), &memory);
    }
    EXPECT_EQ(ConvertCStringToUtf8(copy.GetInnerMessage()), "Out of memory.");
    EXPECT_EQ(ConvertCStringToUtf8(copy.GetMessage()), "wpInstanceProvider(77):  Out of memory.");
    const CWMIException none(L"a", 1, E_FAIL, static_cast<const CException*>(nullptr));
    EXPECT_TRUE(none.GetInnerMessage().IsEmpty());
}

TEST(CWMIException, GetErrorMessageTruncatesAndTerminates)
{
    const CWMIException e(L"src", 12, E_FAIL, L"abcdef");
    wchar_t buffer[8];
    UINT help = 99;
    ASSERT_TRUE(e.GetErrorMessage(buffer, 8, &help));
    EXPECT_EQ(help, 0u);
    EXPECT_EQ(std::wstring(buffer), L"src(12)");
    wchar_t big[64];
    ASSERT_TRUE(e.GetErrorMessage(big, 64));
    EXPECT_EQ(std::wstring(big), L"src(12): abcdef");
    EXPECT_FALSE(e.GetErrorMessage(nullptr, 8));
    EXPECT_FALSE(e.GetErrorMessage(big, 0));
}

TEST(CWMIException, LoggingFormWritesOnlyWhenAsked)
{
    support::TemporaryHome home;
    const CWMIException quiet(L"wpInstanceProvider", 3, E_ACCESSDENIED,
                              L"The client does not have access to use Fluxmere.", false);
    EXPECT_TRUE(support::TemporaryHome::ReadLines(home.Path() / "Logs" / "Fluxmere.log").empty());
    const CWMIException loud(L"wpInstanceProvider", 4, E_ACCESSDENIED, L"Logged.", true);
    const auto lines = support::TemporaryHome::ReadLines(home.Path() / "Logs" / "Fluxmere.log");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("ERROR wpInstanceProvider(4): Logged. (0x80070005)"), std::string::npos);
}

}  // namespace

#include "inhouse/BntUtility/DynLinkLibraryLocaleObserver.h"
#include "platform/com/Unknown.h"
#include "platform/com/Variant.h"
#include "platform/wmi/IWbemClassObject.h"

namespace {

std::wstring TextOf(IWbemClassObject* object, LPCWSTR name)
{
    _variant_t value;
    if (FAILED(object->Get(name, 0, &value, nullptr, nullptr)) || value.vt != VT_BSTR)
    {
        return L"<none>";
    }
    return value.bstrVal;
}

TEST(CWMIException, ExtendedStatusDescribesTheFailure)
{
    const CWMIException e(L"wpBadgeMapper", 88, static_cast<HRESULT>(0x80041008u),
                          L"The property ID did not exist or contained an invalid value.", L"ID");
    ComPtr<IWbemClassObject> status;
    status.Attach(e.CreateExtendedStatus(nullptr, nullptr));
    ASSERT_TRUE(status);
    EXPECT_EQ(TextOf(status, L"__CLASS"), L"__ExtendedStatus");
    EXPECT_EQ(TextOf(status, L"Description"),
              L"wpBadgeMapper(88): The property ID did not exist or contained an invalid value.");
    EXPECT_EQ(TextOf(status, L"Operation"), L"wpBadgeMapper");
    EXPECT_EQ(TextOf(status, L"ParameterInfo"), L"ID");
    EXPECT_EQ(TextOf(status, L"ProviderName"), L"BntProvider");
    _variant_t code;
    ASSERT_EQ(status->Get(L"StatusCode", 0, &code, nullptr, nullptr), S_OK);
    EXPECT_EQ(code.lVal, static_cast<LONG>(0x80041008u));
}

TEST(DynLinkLibraryLocaleObserver, LogsWhileItObservesALibrary)
{
    support::TemporaryHome home;
    support::TemporaryHome::SetLogLevel(brontel::utility::CWMIDebugLog::Level::Debug);
    {
        const brontel::utility::DynLinkLibraryLocaleObserver observer(nullptr, L"BntCommonResources");
        EXPECT_EQ(observer.GetLibraryName(), CString(L"BntCommonResources"));
    }
    const auto lines = support::TemporaryHome::ReadLines(home.Path() / "Logs" / "Fluxmere.log");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NE(lines[0].find("Observing the locale for resource library BntCommonResources"), std::string::npos);
    EXPECT_NE(lines[1].find("Stopped observing the locale for resource library BntCommonResources"), std::string::npos);
}

}  // namespace
