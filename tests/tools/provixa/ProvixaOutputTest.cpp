#include "tools/provixa/ProvixaObjectList.h"
#include "tools/provixa/ProvixaOutput.h"
#include "tools/provixa/WbemStatusName.h"

#include "platform/com/SafeArray.h"
#include "platform/com/WbemConstants.h"
#include "platform/wmi/WbemClassObject.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

namespace {
ComPtr<IWbemClassObject> Status(const wchar_t* description)
{
    ComPtr<IWbemClassObject> statusClass;
    EXPECT_EQ(CreateWbemClass(L"__ExtendedStatus", nullptr, &statusClass), WBEM_S_NO_ERROR);
    EXPECT_EQ(statusClass->Put(L"Description", 0, nullptr, CIM_STRING), WBEM_S_NO_ERROR);
    ComPtr<IWbemClassObject> status;
    EXPECT_EQ(statusClass->SpawnInstance(0, &status), WBEM_S_NO_ERROR);
    if (description != nullptr)
    {
        _variant_t text(description);
        EXPECT_EQ(status->Put(L"Description", 0, &text, 0), WBEM_S_NO_ERROR);
    }
    return status;
}
}  // namespace

TEST(ProvixaOutput, ErrorLinesCarryHexNameAndDescription)
{
    EXPECT_EQ(ProvixaOutput::Error(WBEM_E_NOT_FOUND, nullptr), "Error 0x80041002 (WBEM_E_NOT_FOUND)");
    EXPECT_EQ(ProvixaOutput::Error(WBEM_E_ACCESS_DENIED, Status(L"Denied \u00e9").Get()),
              "Error 0x80041003 (WBEM_E_ACCESS_DENIED): Denied \xc3\xa9");
    EXPECT_EQ(ProvixaOutput::Error(WBEM_E_FAILED, Status(nullptr).Get()), "Error 0x80041001 (WBEM_E_FAILED)");
    EXPECT_EQ(ProvixaOutput::Error(static_cast<HRESULT>(0x80990001u), nullptr), "Error 0x80990001");
}

TEST(ProvixaOutput, KnowsTheNamesOfTheStatusesWmiAnswers)
{
    EXPECT_STREQ(WbemStatusName::Of(WBEM_E_INVALID_OBJECT_PATH), "WBEM_E_INVALID_OBJECT_PATH");
    EXPECT_STREQ(WbemStatusName::Of(WBEM_S_ACCESS_DENIED), "WBEM_S_ACCESS_DENIED");
    EXPECT_STREQ(WbemStatusName::Of(WBEM_E_PROVIDER_TIMED_OUT), "WBEM_E_PROVIDER_TIMED_OUT");
    EXPECT_STREQ(WbemStatusName::Of(E_INVALIDARG), "E_INVALIDARG");
    EXPECT_EQ(WbemStatusName::Of(static_cast<HRESULT>(0x80990001u)), nullptr);
}

TEST(ProvixaOutput, JsonStringsEscapeWhatJsonCannotHold)
{
    EXPECT_EQ(ProvixaOutput::JsonString(L"plain"), "\"plain\"");
    EXPECT_EQ(ProvixaOutput::JsonString(L"a\"b\\c\nd\te\x01"), "\"a\\\"b\\\\c\\nd\\te\\u0001\"");
    EXPECT_EQ(ProvixaOutput::JsonString(L"\u20ac"), "\"\xe2\x82\xac\"");
}

TEST(ProvixaOutput, InstancesBecomeJsonWithTypedValues)
{
    ComPtr<IWbemClassObject> badgeClass;
    ASSERT_EQ(CreateWbemClass(L"Bnt_Badge", nullptr, &badgeClass), WBEM_S_NO_ERROR);
    badgeClass->Put(L"ID", 0, nullptr, CIM_SINT32);
    badgeClass->Put(L"Name", 0, nullptr, CIM_STRING);
    badgeClass->Put(L"Active", 0, nullptr, CIM_BOOLEAN);
    badgeClass->Put(L"Serial", 0, nullptr, CIM_UINT64);
    badgeClass->Put(L"Notes", 0, nullptr, CIM_STRING);
    badgeClass->Put(L"Owner", 0, nullptr, CIM_OBJECT);
    badgeClass->Put(L"Level", 0, nullptr, CIM_UINT32);
    badgeClass->Put(L"Levels", 0, nullptr, CIM_UINT32 | CIM_FLAG_ARRAY);
    badgeClass->Put(L"Weight", 0, nullptr, CIM_REAL64);
    badgeClass->Put(L"Weights", 0, nullptr, CIM_REAL64 | CIM_FLAG_ARRAY);
    ComPtr<IWbemClassObject> badge;
    ASSERT_EQ(badgeClass->SpawnInstance(0, &badge), WBEM_S_NO_ERROR);
    _variant_t id(LONG(-7));
    _variant_t name(L"say \"hi\"");
    _variant_t active(true);
    _variant_t serial(L"18446744073709551615");
    badge->Put(L"ID", 0, &id, 0);
    badge->Put(L"Name", 0, &name, 0);
    badge->Put(L"Active", 0, &active, 0);
    badge->Put(L"Serial", 0, &serial, 0);
    ComPtr<IWbemClassObject> owner;
    ASSERT_EQ(badgeClass->SpawnInstance(0, &owner), WBEM_S_NO_ERROR);
    _variant_t ownerId(LONG(1));
    owner->Put(L"ID", 0, &ownerId, 0);
    _variant_t embedded(static_cast<IUnknown*>(owner.Get()));
    ASSERT_EQ(badge->Put(L"Owner", 0, &embedded, 0), WBEM_S_NO_ERROR);
    // A uint32 travels in the signed form; a real is written in the fewest digits that read back
    // as the same double (2^53, 0.1, and 2^53 + 2, which 15 digits would write as 2^53).
    _variant_t level(LONG(-1));
    ASSERT_EQ(badge->Put(L"Level", 0, &level, 0), WBEM_S_NO_ERROR);
    SAFEARRAY* levelArray = SafeArrayCreateVector(VT_I4, 0, 2);
    for (LONG i = 0; i < 2; ++i)
    {
        LONG element = i == 0 ? LONG(-2147483647 - 1) : LONG(7);
        ASSERT_EQ(SafeArrayPutElement(levelArray, &i, &element), S_OK);
    }
    _variant_t levels;
    levels.vt = VT_ARRAY | VT_I4;
    levels.parray = levelArray;
    ASSERT_EQ(badge->Put(L"Levels", 0, &levels, 0), WBEM_S_NO_ERROR);
    _variant_t weight(9007199254740992.0);
    ASSERT_EQ(badge->Put(L"Weight", 0, &weight, 0), WBEM_S_NO_ERROR);
    SAFEARRAY* weightArray = SafeArrayCreateVector(VT_R8, 0, 2);
    for (LONG i = 0; i < 2; ++i)
    {
        double element = i == 0 ? 0.1 : 9007199254740994.0;
        ASSERT_EQ(SafeArrayPutElement(weightArray, &i, &element), S_OK);
    }
    _variant_t weights;
    weights.vt = VT_ARRAY | VT_R8;
    weights.parray = weightArray;
    ASSERT_EQ(badge->Put(L"Weights", 0, &weights, 0), WBEM_S_NO_ERROR);

    const std::string json = ProvixaOutput::Json(badge.Get());
    EXPECT_EQ(json.rfind("{\"class\":\"Bnt_Badge\",\"path\":", 0), 0u) << json;
    EXPECT_NE(json.find("\"properties\":{\"ID\":-7,\"Name\":\"say \\\"hi\\\"\",\"Active\":true,"
                        "\"Serial\":\"18446744073709551615\",\"Notes\":null,\"Owner\":{\"class\":\"Bnt_Badge\""),
              std::string::npos)
        << json;
    EXPECT_NE(json.find("\"Level\":4294967295,\"Levels\":[2147483648,7],\"Weight\":9007199254740992,"
                        "\"Weights\":[0.1,9007199254740994]}"),
              std::string::npos)
        << json;
    const auto list = [](const std::vector<IWbemClassObject*>& objects, bool asJson) {
        std::ostringstream printed;
        ProvixaObjectList objectList(printed, asJson);
        for (IWbemClassObject* object : objects)
            objectList.Add(object);
        objectList.End();
        return printed.str();
    };
    EXPECT_EQ(list({}, true), "[]\n");
    EXPECT_EQ(list({badge.Get(), badge.Get()}, true), "[" + json + "," + json + "]\n");
    EXPECT_EQ(list({}, false), "");
    const std::string text = ProvixaOutput::Text(badge.Get());
    EXPECT_EQ(list({badge.Get(), owner.Get()}, false), text + "\n" + ProvixaOutput::Text(owner.Get()));
}
