// The video recorder's authentication document: the login name's backslashes, the JSON text of
// bus values, the document's keys, and GetAuthenticationData called as the bus front end calls
// it, which fails plainly (and logs) whenever the connection key is missing or unusable.
#include "tests/support/DemoMapperTest.h"

#include "framework/WMIHelper.h"
#include "mappers/devices/CWmipVideoRecorderMapper.h"
#include "mappers/devices/QpidTypeConverter.h"
#include "mappers/devices/VideoAuthenticationDocument.h"
#include "tests/support/RecorderKeyBlob.h"
#include "tests/support/RecordingSink.h"

#include <stdexcept>

using namespace demomapper;
using qpid::types::Variant;

namespace {

TEST(VideoRecorderLogin, LoneBackslashesAreDoubledAndPairsKept)
{
    const struct
    {
        const wchar_t* name;
        const wchar_t* escaped;
    } cases[] = {
        {L"ANNEX\\nvr", L"ANNEX\\\\nvr"},
        {L"ANNEX\\\\nvr", L"ANNEX\\\\nvr"},
        {L"nvr", L"nvr"},
        {L"\\", L"\\\\"},
        {L"a\\\\\\b", L"a\\\\\\\\b"},
        {L"", L""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(VideoAuthenticationDocument::EscapeUserName(c.name), CString(c.escaped))
            << CString(c.name).GetString();
}

TEST(QpidJson, WritesEveryKindOfValue)
{
    Variant::Map inner{{"b", Variant(true)}, {"n", Variant()}};
    Variant::List list{Variant(static_cast<std::int32_t>(-3)), Variant(static_cast<std::uint64_t>(7)), Variant(1.5)};
    const Variant::Map map{{"text", Variant("a\"b\\c\n\x01")}, {"inner", Variant(inner)}, {"list", Variant(list)}};
    EXPECT_EQ(QpidTypeConverter::ToJson(Variant(map)),
              "{\"inner\":{\"b\":true,\"n\":null},\"list\":[-3,7,1.5],\"text\":\"a\\\"b\\\\c\\n\\u0001\"}");
    EXPECT_EQ(QpidTypeConverter::ToJson(Variant(false)), "false");
    // Bytes that are no UTF-8 become U+FFFD, so the text stays valid JSON; valid text passes whole.
    EXPECT_EQ(QpidTypeConverter::JsonString("a\xFF"
                                            "b\t\xC3\xA9"),
              "\"a\xEF\xBF\xBD"
              "b\\t\xC3\xA9\"");
    EXPECT_EQ(QpidTypeConverter::ToJson(Variant(Variant::Map{{"k\xC3", Variant("v")}})), "{\"k\xEF\xBF\xBD\":\"v\"}");
}

TEST(QpidJson, RefusesWhatJsonCannotCarry)
{
    // A value nested as deep as the limit is written whole; one level more is refused.
    Variant deep(Variant::Map{});
    for (int i = 0; i < QpidTypeConverter::kMaxDepth; ++i)
        deep = Variant(Variant::List{deep});
    EXPECT_EQ(QpidTypeConverter::ToJson(deep),
              std::string(QpidTypeConverter::kMaxDepth, '[') + "{}" + std::string(QpidTypeConverter::kMaxDepth, ']'));
    deep = Variant(Variant::List{deep});
    EXPECT_THROW(QpidTypeConverter::ToJson(deep), std::length_error);
    EXPECT_THROW(QpidTypeConverter::ToJson(Variant(std::numeric_limits<double>::infinity())), std::invalid_argument);
}

TEST(VideoAuthenticationDocumentTest, HoldsTheLoginRightsAndTime)
{
    VideoRights rights;
    rights.viewLive = true;
    rights.exportVideo = true;
    rights.ptzPriority = 50;
    rights.userId = 7;
    const std::string json = QpidTypeConverter::ToJson(
        Variant(VideoAuthenticationDocument::Build(L"ANNEX\\nvr", L"pw", rights, L"2026-12-07T08:00:00Z")));
    EXPECT_EQ(json, "{\"created_datetime\":\"2026-12-07T08:00:00Z\",\"password\":\"pw\",\"permissions\":{"
                    "\"video.control_ptz\":true,\"video.ir.export_video\":true,\"video.ir.search_video\":false,"
                    "\"video.ir.view_live_video\":true,\"video.ir.view_recorded_video\":false,"
                    "\"video.ptz_priority\":50,\"video.ptz_userid\":7,\"video.transmit_audio\":false},"
                    "\"source\":\"Ivarune\",\"user\":\"ANNEX\\\\\\\\nvr\"}");
}

// PTZ control is granted by a priority above 0 alone; the priority itself is carried as given.
TEST(VideoAuthenticationDocumentTest, PtzControlNeedsAPriorityAboveZero)
{
    const struct
    {
        LONG priority;
        bool control;
    } cases[] = {{-1, false}, {0, false}, {1, true}, {99, true}};
    for (const auto& c : cases)
    {
        VideoRights rights;
        rights.ptzPriority = c.priority;
        const Variant::Map document = VideoAuthenticationDocument::Build(L"nvr", L"pw", rights, L"now");
        const Variant::Map permissions = document.at("permissions").asMap();
        EXPECT_EQ(permissions.at("video.control_ptz").asBool(), c.control) << c.priority;
        EXPECT_EQ(permissions.at("video.ptz_priority").asInt32(), c.priority);
    }
}

class VideoRecorders : public DemoMapperTest
{
protected:
    void SetUp() override
    {
        DemoMapperTest::SetUp();
        GrantOperator(0x30000026);
        LoginOperator();
    }

    HRESULT Authenticate(const wchar_t* path, std::string* data = nullptr)
    {
        const std::unique_ptr<CWmipClassMapper> mapper = FactoryMapper(L"Bnt_VideoRecorder");
        const std::unique_ptr<CWmipObjectPath> parsed = CWmipObjectPath::CreateFromPath(path);
        if (mapper == nullptr || parsed == nullptr)
        {
            ADD_FAILURE() << "no mapper or path";
            return E_FAIL;
        }
        const ComPtr<support::RecordingSink> sink = support::RecordingSink::Create();
        const HRESULT result = Outcome([&] {
            return mapper->ExecuteMethod(parsed.get(), L"GetAuthenticationData", 0, nullptr, nullptr, sink.Get());
        });
        const auto objects = sink->Objects();
        if (data != nullptr && objects.size() == 1)
        {
            CString text;
            WMIHelper::GetString(objects[0].Get(), L"AuthenticationData", text);
            *data = std::string(text.GetString(), text.GetString() + text.GetLength());
        }
        return result;
    }
};

TEST_F(VideoRecorders, AMissingEmptyOrUnusableKeyFailsPlainlyAndAuditsNothing)
{
    const std::string audits = "SELECT COUNT(*) FROM USER_TRANSACTION_LOG";
    const Table before = Rows(audits);
    // The demo recorder's key does not import without the exchange phrase it was wrapped with.
    EXPECT_EQ(Authenticate(L"Bnt_VideoRecorder.ID=7"), WBEM_E_FAILED);
    Exec("UPDATE ACCESSPANE_CONNECTION SET CONNECTION_KEY = x'' WHERE PANELID = 7");
    EXPECT_EQ(Authenticate(L"Bnt_VideoRecorder.ID=7"), WBEM_E_FAILED);
    // A key that is no wrapped key blob does not import: never S_OK.
    Exec("UPDATE ACCESSPANE_CONNECTION SET CONNECTION_KEY = x'0102030405060708' WHERE PANELID = 7");
    EXPECT_EQ(Authenticate(L"Bnt_VideoRecorder.ID=7"), WBEM_E_FAILED);
    EXPECT_EQ(Rows(audits), before);
    // Only recorders are served.
    EXPECT_EQ(Authenticate(L"Bnt_VideoRecorder.ID=1"), WBEM_E_NOT_FOUND);
}

TEST_F(VideoRecorders, AUsableKeyGivesEncryptedDataAndOneAuditRecord)
{
    constexpr char kPhrase[] = "Annex recorder exchange phrase";
    const char* home = std::getenv("PROVIXA_HOME");
    ASSERT_NE(home, nullptr);
    std::ofstream(std::string(home) + "/registry.ini", std::ios::app)
        << "[SOFTWARE\\Brontel\\Ivarune\\Crypto]\nKeyExchangePhrase=sz:" << kPhrase << "\n";
    const std::vector<BYTE> blob =
        support::MakeRecorderKeyBlob(kPhrase, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16});
    std::string hex;
    for (const BYTE b : blob)
    {
        char digits[3];
        std::snprintf(digits, sizeof digits, "%02X", b);
        hex += digits;
    }
    Exec("UPDATE ACCESSPANE_CONNECTION SET CONNECTION_KEY = x'" + hex + "' WHERE PANELID = 7");
    std::string data;
    ASSERT_EQ(Authenticate(L"Bnt_VideoRecorder.ID=7", &data), S_OK);
    // Base64 of at least the document's first blocks, in lines of 76 characters.
    EXPECT_GT(data.size(), 200u);
    EXPECT_EQ(data.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/=\r\n"),
              std::string::npos);
    const Table audit =
        Rows("SELECT OPERATION, OBJECT_TYPE, DESCRIPTION FROM USER_TRANSACTION_LOG ORDER BY rowid DESC LIMIT 1");
    EXPECT_EQ(audit, (Table{{"64", "33", "7(7)"}}));
}

}  // namespace
