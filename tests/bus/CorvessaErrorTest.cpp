#include <gtest/gtest.h>

#include <string>

#include "bus/CCorvessaBaseApp.h"
#include "bus/CCorvessaException.h"
#include "framework/CWmipClassMapper.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "inhouse/BntUtility/StringConversion.h"
#include "platform/com/WbemConstants.h"
#include "tests/bus/BusTestInstallation.h"

using brontel::utility::CWMIException;

namespace {

struct HResultCase
{
    HRESULT hr;
    const char* key;
    const char* message;
};

TEST(CorvessaErrors, EveryHResultHasItsKeyAndMessage)
{
    const HResultCase cases[] = {
        {static_cast<HRESULT>(0x80040520u), "corvessa.general.invalidsessiontoken",
         "Invalid authentication token. Check server logs for more details."},
        {static_cast<HRESULT>(0x80040521u), "corvessa.general.invalidfilter",
         "Invalid filter specified. Check server logs for more details."},
        {static_cast<HRESULT>(0x80040522u), "corvessa.general.invalidtypename",
         "Type name specified does not exist. Check server logs for more details."},
        {static_cast<HRESULT>(0x80040523u), "corvessa.general.missingrequestitem",
         "Key property is missing from request. Check server logs for more details."},
        {static_cast<HRESULT>(0x80040524u), "corvessa.general.decodingfailed",
         "Failed to decode base64 binary data. Check server logs for more details."},
        {static_cast<HRESULT>(0x80040525u), "corvessa.authentication.failedtoauthenticate",
         "Failed to authenticate. Check server logs for more details."},
        {static_cast<HRESULT>(0x80040526u), "corvessa.invalidparameter.error",
         "Invalid or missing method parameter. Check server logs for more details."},
        {static_cast<HRESULT>(0x80041001u), "corvessa.general.exception",
         "Exception occurred, check server logs for details."},
        {static_cast<HRESULT>(0x8004051Fu), "corvessa.general.exception",
         "Exception occurred, check server logs for details."},
        {S_OK, "corvessa.general.exception", "Exception occurred, check server logs for details."},
    };
    for (const HResultCase& c : cases)
    {
        const CCorvessaException e(c.hr);
        EXPECT_EQ(e.ErrorCode(), c.key) << std::hex << c.hr;
        EXPECT_EQ(e.ErrorMessage(), c.message) << std::hex << c.hr;
        EXPECT_FALSE(e.IsInvalidDBConnectionException());
    }
    EXPECT_TRUE(
        CCorvessaException("corvessa.general.invaliddbconnection", std::string("x")).IsInvalidDBConnectionException());
}

TEST(CorvessaErrors, WmiWordingIsRewrittenCaseSensitively)
{
    EXPECT_EQ(CCorvessaException::ReplaceMentionOfWMIWithCorvessa(L"WMI failed; Fluxmere said wmi and WMIWMI"),
              CString(L"Corvessa failed; Corvessa said wmi and CorvessaCorvessa"));
    EXPECT_EQ(
        CCorvessaException::ReplaceWMIErrorMessageWithCorvessaMessage(L"a.cpp(12): not supported (x): y", L"New."),
        CString(L"a.cpp(12): New."));
    EXPECT_EQ(CCorvessaException::ReplaceWMIErrorMessageWithCorvessaMessage(L"no marker", L"New."), CString(L"New."));

    const CWMIException notSupported(L"Mapper.cpp", 7, WBEM_E_NOT_SUPPORTED, L"WMI cannot do this");
    const CCorvessaException converted("corvessa.editinstance.error", notSupported);
    EXPECT_EQ(converted.ErrorMessage(),
              "Mapper.cpp(7): The operation attempted is not supported by the Corvessa service.");
    const CWMIException failed(L"Fluxmere.cpp", 3, WBEM_E_FAILED, L"The WMI call failed");
    EXPECT_EQ(CCorvessaException("k", failed).ErrorMessage(), "Corvessa.cpp(3): The Corvessa call failed");
}

TEST(CorvessaErrors, MessageCopiesAreTruncatedAndTerminated)
{
    const CCorvessaException e("k", std::string("abcdef"));
    wchar_t buffer[4] = {L'x', L'x', L'x', L'x'};
    UINT help = 99;
    EXPECT_TRUE(e.GetErrorMessage(buffer, 4, &help));
    EXPECT_EQ(std::wstring(buffer), L"abc");
    EXPECT_EQ(help, 0u);
    const CCorvessaException utf8("k", std::string("Gr\xC3\xBC\xC3\x9F"));
    EXPECT_EQ(utf8.ErrorMessageCString(), CString(L"Gr\u00FC\u00DF"));
    EXPECT_EQ(utf8.ErrorMessage(), "Gr\xC3\xBC\xC3\x9F");
}

class CorvessaConversion : public BusTestInstallation
{
};

TEST_F(CorvessaConversion, MapperFailuresChooseTheirKeys)
{
    const struct
    {
        HRESULT hr;
        const char* key;
    } cases[] = {
        {WBEM_E_MISSING_PARAMETER_ID, "corvessa.general.missingrequestitem"},
        {WBEM_E_ILLEGAL_NULL, "corvessa.general.missingrequestitem"},
        {WBEM_E_INVALID_PARAMETER, "corvessa.general.invalidrequestitem"},
        {WBEM_E_ACCESS_DENIED, "corvessa.editinstance.error"},
        {WBEM_E_FAILED, "corvessa.editinstance.error"},
    };
    for (const auto& c : cases)
    {
        const CWMIException source(L"Mapper.cpp", 1, c.hr, L"WMI refused");
        const CCorvessaException converted = m_app->ConvertToCorvessaException(source, "corvessa.editinstance.error");
        EXPECT_EQ(converted.ErrorCode(), c.key) << std::hex << c.hr;
        EXPECT_EQ(converted.ErrorMessage(), "Mapper.cpp(1): Corvessa refused");
    }
}

TEST_F(CorvessaConversion, VersionAndPageCounts)
{
    std::map<std::string, qpid::types::Variant> version;
    EXPECT_EQ(m_app->GetVersion(version), S_OK);
    EXPECT_EQ(version.at("product_version").asString(), "");
    EXPECT_EQ(version.at("product_name").getType(), qpid::types::VAR_STRING);
    {
        CBntRegistry key(false, L"SOFTWARE\\Brontel\\Ivarune");
        ASSERT_TRUE(key.SetStringValue(L"ProductVersion", L"7.2 \u00DF"));
    }
    EXPECT_EQ(m_app->GetVersion(version), S_OK);
    EXPECT_EQ(version.at("product_version").asString(), "7.2 \xC3\x9F");

    EXPECT_EQ(CCorvessaBaseApp::CalculateNumberOfPages(10, 5), 2);
    EXPECT_EQ(CCorvessaBaseApp::CalculateNumberOfPages(11, 5), 3);
    EXPECT_EQ(CCorvessaBaseApp::CalculateNumberOfPages(0, 5), 0);
    EXPECT_EQ(CCorvessaBaseApp::CalculateNumberOfPages(2147483647, 1), 2147483647);
    EXPECT_EQ(CCorvessaBaseApp::CalculateNumberOfPages(5, 0), 0);
}

TEST_F(CorvessaConversion, MappersAreFoundOnlyForExposedTypesAndBoundToTheEntry)
{
    CWmipUserCacheEntry* entry = nullptr;
    ASSERT_EQ(Cache().GetUser(&entry), S_OK);
    std::unique_ptr<CWmipClassMapper> mapper;
    EXPECT_EQ(m_app->GetMapperForType(L"Bnt_WorldTimezone", nullptr, mapper, true), WBEM_E_INVALID_PARAMETER);
    EXPECT_EQ(m_app->GetMapperForType(L"Bnt_BadgeTWICPrivacyKey", entry, mapper, true),
              static_cast<HRESULT>(0x80040522u));
    EXPECT_EQ(m_app->GetMapperForType(L"Bnt_NoSuchClass", entry, mapper, true), static_cast<HRESULT>(0x80040522u));
    EXPECT_EQ(mapper, nullptr);
    ASSERT_EQ(m_app->GetMapperForType(L"bnt_worldtimezone", entry, mapper, true), S_OK);
    ASSERT_NE(mapper, nullptr);
    EXPECT_EQ(mapper->GetUserEntry(), entry);
    EXPECT_EQ(entry->GetUseCount(), 2);
    mapper.reset();
    EXPECT_EQ(entry->GetUseCount(), 1);
    EXPECT_EQ(Cache().ReleaseUser(entry), S_OK);
}

}  // namespace
