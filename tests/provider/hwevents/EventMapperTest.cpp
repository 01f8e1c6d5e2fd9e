// The eight hardware event mappers behind the processor's dispatch: which mapper claims a
// message, and the event object each builds (with the embedded alarm).
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "platform/com/Variant.h"
#include "platform/com/WbemConstants.h"
#include "platform/wmi/IWbemClassObject.h"
#include "platform/wmi/WbemRepository.h"
#include "platform/wmi/WbemSecurityEventClasses.h"
#include "provider/CWmipEventAudience.h"
#include "provider/CWmipHardwareEventProcessor.h"
#include "tests/provider/hwevents/HwEventTestSupport.h"
#include "tests/support/RecordingSink.h"

using bnt::utility::BntMessage;
using bnt::utility::BntMessageEx;

namespace {

// A processor with its mappers on the test namespace, whose sink records what it indicates;
// the thread is never started: the test dispatches on its own thread.
class EventMapperTest : public ::testing::Test
{
protected:
    EventMapperTest()
        : m_namespace(hwtest::MakeNamespace()), m_queue(std::make_shared<ThreadSafeQueue<BntMessageEx>>(true)),
          m_processor(m_queue, std::make_shared<CWmipEventAudience>())
    {
        m_processor.CreateMappers(nullptr, m_namespace.Get());
        m_processor.SetSink(m_sink.Get());
    }

    // The one event the message gives; null when none was indicated.
    ComPtr<IWbemClassObject> Dispatch(const BntMessageEx& message)
    {
        const std::size_t before = m_sink->Objects().size();
        const bool indicated = m_processor.Dispatch(message);
        const auto objects = m_sink->Objects();
        EXPECT_LE(objects.size(), before + 1);
        EXPECT_EQ(indicated, objects.size() > before);
        return objects.size() > before ? objects.back() : ComPtr<IWbemClassObject>();
    }

    static _variant_t Value(IWbemClassObject* object, const wchar_t* name)
    {
        _variant_t value;
        EXPECT_EQ(object->Get(name, 0, &value, nullptr, nullptr), WBEM_S_NO_ERROR) << name;
        return value;
    }
    static std::wstring Text(IWbemClassObject* object, const wchar_t* name)
    {
        const _variant_t value = Value(object, name);
        return value.vt == VT_BSTR && value.bstrVal != nullptr ? std::wstring(value.bstrVal) : std::wstring(L"<none>");
    }
    static std::optional<LONG> Number(IWbemClassObject* object, const wchar_t* name)
    {
        const _variant_t value = Value(object, name);
        return value.vt == VT_I4 ? std::optional<LONG>(value.lVal) : std::nullopt;
    }
    static std::optional<bool> Flag(IWbemClassObject* object, const wchar_t* name)
    {
        const _variant_t value = Value(object, name);
        return value.vt == VT_BOOL ? std::optional<bool>(value.boolVal != VARIANT_FALSE) : std::nullopt;
    }
    static ComPtr<IWbemClassObject> Embedded(IWbemClassObject* object, const wchar_t* name)
    {
        const _variant_t value = Value(object, name);
        ComPtr<IWbemClassObject> embedded;
        if (value.vt == VT_UNKNOWN && value.punkVal != nullptr)
        {
            value.punkVal->QueryInterface(IWbemClassObject::kIID, reinterpret_cast<void**>(&embedded));
        }
        return embedded;
    }

    ComPtr<WbemServiceNamespace> m_namespace;
    std::shared_ptr<ThreadSafeQueue<BntMessageEx>> m_queue;
    CWmipHardwareEventProcessor m_processor;
    ComPtr<support::RecordingSink> m_sink = support::RecordingSink::Create();
};

BntMessageEx WithAlarm(const BntMessageEx& message, LONG alarmId, const wchar_t* text = L"")
{
    return BntMessageEx(message.Record(), text, message.GetHostName(), alarmId);
}

}  // namespace

TEST_F(EventMapperTest, TheFirstMapperInTheAskingOrderClaimsTheMessage)
{
    struct ClaimCase
    {
        LONG type;
        LONG subtype;
        LONG messageType;
        LONG dataType;
        const wchar_t* expected;  // empty: not exposed
    };
    const ClaimCase cases[] = {
        {0, 0, 0, 0, L"Bnt_AccessEvent"},
        {1, 5, 0, 0, L"Bnt_AccessEvent"},
        {3, 9, 0, 0, L"Bnt_AccessEvent"},
        {5, 1, 0, 0, L"Bnt_AccessEvent"},
        {5, 4, 0, 0, L"Bnt_OtherSecurityEvent"},
        {5, 5, 0, 0, L"Bnt_OtherSecurityEvent"},
        {5, 6, 0, 0, L"Bnt_AccessEvent"},
        {5, 78, 0, 0, L"Bnt_AccessEvent"},
        {2, 4, 0, 0, L"Bnt_AccessEvent"},
        {3, 5, 0, 0, L"Bnt_AccessEvent"},
        {4, 5, 0, 0, L"Bnt_OtherSecurityEvent"},
        {4, 78, 0, 0, L"Bnt_FunctionExecEvent"},
        {0, 78, 0, 0, L"Bnt_AccessEvent"},
        {7, 78, 0, 0, L"Bnt_FireEvent"},
        {7, 1, 0, 0, L"Bnt_FireEvent"},
        {10, 0, 0, 0, L"Bnt_IntercomEvent"},
        {11, 0, 0, 0, L"Bnt_VideoEvent"},
        {12, 3, 0, 0, L"Bnt_TransmitterEvent"},
        {8, 1, 0, 3, L"Bnt_StatusChangeEvent"},
        {9, 78, 0, 3, L"Bnt_StatusChangeEvent"},
        {9, 78, 0, 0, L"Bnt_FunctionExecEvent"},
        {8, 1, 0, 0, L""},
        {20, 1, 0, 0, L"Bnt_OtherSecurityEvent"},
        {30, 1, 0, 0, L"Bnt_OtherSecurityEvent"},
        {31, 1, 0, 0, L""},
        {6, 4, 0, 0, L""},
        // Status and second-kind records: only the access mapper looks past the message type.
        {0, 1, 1, 0, L"Bnt_AccessEvent"},
        {7, 1, 1, 0, L""},
        {1, 0, 2, 0, L"Bnt_AccessEvent"},
        {4, 5, 2, 0, L""},
    };
    for (const ClaimCase& c : cases)
    {
        const ComPtr<IWbemClassObject> event =
            Dispatch(hwtest::Record(c.type, c.subtype, c.dataType, 1, 0, c.messageType));
        const std::wstring claimed = event ? Text(event.Get(), L"__CLASS") : std::wstring();
        EXPECT_EQ(claimed, c.expected) << "type " << c.type << " subtype " << c.subtype << " message type "
                                       << c.messageType << " data type " << c.dataType;
    }
}

TEST_F(EventMapperTest, AnUnclaimedMessageIsLoggedWithItsSerialNumber)
{
    BntMessageEx message = hwtest::Record(31, 2);
    message.Set(BntMessage::SerialNumber, 4711);
    EXPECT_FALSE(Dispatch(message));
    EXPECT_EQ(hwtest::CountProviderLogLines("Event 4711 is not exposed through the hardware event provider"), 1);
}

TEST_F(EventMapperTest, CommonPropertiesComeFromTheRecordAndTheCaches)
{
    // Panel 6 lies in segment 1: panel, device, input and segment all differ, so a swap shows.
    BntMessageEx message(hwtest::Record(4, 5, 0, 6, 1).Record(), L"forced", L"COMMHOST", 0);
    message.Set(BntMessage::InputID, 3);
    message.Set(BntMessage::Time, 86400);
    const ComPtr<IWbemClassObject> event = Dispatch(message);
    ASSERT_TRUE(event);
    EXPECT_EQ(Text(event.Get(), L"Description"), L"Door Forced Open");
    EXPECT_EQ(Number(event.Get(), L"ID"), 6);
    EXPECT_EQ(Number(event.Get(), L"PanelID"), 6);
    EXPECT_EQ(Number(event.Get(), L"DeviceID"), 1);
    EXPECT_EQ(Number(event.Get(), L"SecondaryDeviceID"), 3);
    EXPECT_EQ(Number(event.Get(), L"SegmentID"), 1);
    EXPECT_EQ(Number(event.Get(), L"SerialNumber"), 7);
    EXPECT_EQ(Number(event.Get(), L"Type"), 4);
    EXPECT_EQ(Number(event.Get(), L"SubType"), 5);
    EXPECT_EQ(Text(event.Get(), L"EventText"), L"forced");
    EXPECT_EQ(Text(event.Get(), L"CommServerHostName"), L"COMMHOST");
    EXPECT_EQ(Text(event.Get(), L"Time"), L"19700102000000.000000+000");
    EXPECT_FALSE(Embedded(event.Get(), L"Alarm"));

    // A pair the event table does not hold: no description, ID -1.
    const ComPtr<IWbemClassObject> unknown = Dispatch(hwtest::Record(20, 99));
    ASSERT_TRUE(unknown);
    EXPECT_EQ(Text(unknown.Get(), L"Description"), L"");
    EXPECT_EQ(Number(unknown.Get(), L"ID"), -1);
}

TEST_F(EventMapperTest, AccessEventsCarryCardDataAccessResultAndAreas)
{
    struct AccessCase
    {
        const char* rule;
        LONG type;
        LONG subtype;
        LONG dataType;
        LONG accessResult;
        bool readable;
        bool duress;
        bool entered;
        std::optional<LONG> areaEntered;
    };
    const AccessCase cases[] = {
        {"facility code data", 0, 0, 1, 3, true, false, false, std::nullopt},
        {"no card data", 0, 0, 0, 3, false, false, false, std::nullopt},
        {"granted at the lobby entry", 0, 0, 2, 2, true, false, true, 2},
        {"granted, no entry made", 0, 2, 2, 2, true, false, false, 2},
        {"duress with subtype 2", 2, 2, 2, 2, true, true, false, 2},
        {"duress with another subtype", 2, 1, 2, 3, true, true, false, std::nullopt},
        {"denied: no area lookup", 1, 4, 2, 3, true, false, false, std::nullopt},
        {"type 3 subtype 5 granted", 3, 5, 28, 2, true, false, true, 2},
    };
    for (const AccessCase& c : cases)
    {
        BntMessageEx message = hwtest::Record(c.type, c.subtype, c.dataType, 1, 0);
        message.WriteU32(56, 1234);
        message.WriteU32(60, c.dataType == 1 ? 55 : 0);
        message.WriteU32(64, 9);
        message.Set(BntMessage::Detail2, 4);
        const ComPtr<IWbemClassObject> event = Dispatch(message);
        ASSERT_TRUE(event) << c.rule;
        EXPECT_EQ(Number(event.Get(), L"AccessResult"), c.accessResult) << c.rule;
        EXPECT_EQ(Flag(event.Get(), L"IsReadableCard"), c.readable) << c.rule;
        EXPECT_EQ(Flag(event.Get(), L"Duress"), c.duress) << c.rule;
        EXPECT_EQ(Flag(event.Get(), L"CardholderEntered"), c.entered) << c.rule;
        EXPECT_EQ(Number(event.Get(), L"AreaEnteredID"), c.areaEntered) << c.rule;
        if (c.dataType == 1)
        {
            EXPECT_EQ(Number(event.Get(), L"FacilityCode"), 1234) << c.rule;
            EXPECT_EQ(Number(event.Get(), L"IssueCode"), 55) << c.rule;
            EXPECT_EQ(Text(event.Get(), L"CardNumber"), L"<none>") << c.rule;
            EXPECT_EQ(Number(event.Get(), L"ElevatorFloor"), std::nullopt) << c.rule;
        }
        else if (c.dataType != 0)
        {
            EXPECT_EQ(Text(event.Get(), L"CardNumber"), L"1234") << c.rule;
            EXPECT_EQ(Number(event.Get(), L"IssueCode"), 9) << c.rule;
            EXPECT_EQ(Number(event.Get(), L"ElevatorFloor"), 4) << c.rule;
        }
    }
}

TEST_F(EventMapperTest, AccessEventIdentifiersAndUnknownDataTypes)
{
    BntMessageEx card = hwtest::Record(0, 0, 2, 2, 0);
    card.SetExtendedID(L"PIV-0001");
    const ComPtr<IWbemClassObject> withId = Dispatch(card);
    ASSERT_TRUE(withId);
    EXPECT_EQ(Text(withId.Get(), L"ExtendedID"), L"PIV-0001");
    // The dock reader has no areas configured: none are written.
    EXPECT_EQ(Number(withId.Get(), L"AreaEnteredID"), std::nullopt);

    BntMessageEx asset = hwtest::Record(0, 0, 20);
    const std::string assetText = "ASSET-42";
    asset.WriteBytes(64, std::span(reinterpret_cast<const BYTE*>(assetText.data()), assetText.size()));
    const ComPtr<IWbemClassObject> withAsset = Dispatch(asset);
    ASSERT_TRUE(withAsset);
    EXPECT_EQ(Text(withAsset.Get(), L"AssetID"), L"ASSET-42");

    // A reader the panel does not have: the areas stay unknown and the event still goes.
    const int invalid = hwtest::CountProviderLogLines("Invalid panel/reader combination in BntMessage");
    EXPECT_TRUE(Dispatch(hwtest::Record(0, 0, 2, 1, 9)));
    EXPECT_EQ(hwtest::CountProviderLogLines("Invalid panel/reader combination in BntMessage"), invalid + 1);

    const int unknown = hwtest::CountProviderLogLines("Unknown BntMessage data type");
    EXPECT_FALSE(Dispatch(hwtest::Record(0, 0, 21)));
    EXPECT_EQ(hwtest::CountProviderLogLines("Unknown BntMessage data type"), unknown + 1);
}

TEST_F(EventMapperTest, TheOtherMappersAddTheirOwnProperties)
{
    BntMessageEx fire = hwtest::Record(7, 1);
    const ComPtr<IWbemClassObject> noTrouble = Dispatch(fire);
    ASSERT_TRUE(noTrouble);
    EXPECT_EQ(Number(noTrouble.Get(), L"TroubleCode"), -1);
    fire.Set(BntMessage::HasParameter, 1);
    fire.Set(BntMessage::ParameterValue, 11);
    EXPECT_EQ(Number(Dispatch(fire).Get(), L"TroubleCode"), 11);

    BntMessageEx intercom = hwtest::Record(10, 1);
    intercom.WriteU32(56, 77);
    intercom.WriteU32(60, 3);
    const ComPtr<IWbemClassObject> call = Dispatch(intercom);
    EXPECT_EQ(Number(call.Get(), L"IntercomData"), 77);
    EXPECT_EQ(Number(call.Get(), L"LineNumber"), 3);

    BntMessageEx transmitter = hwtest::Record(12, 1);
    transmitter.Set(BntMessage::TransmitterID, 5);
    transmitter.Set(BntMessage::TransmitterInputID, 6);
    transmitter.WriteU32(56, 8);
    transmitter.Set(BntMessage::HasParameter, 1);
    transmitter.Set(BntMessage::ParameterValue, 1);
    const ComPtr<IWbemClassObject> sent = Dispatch(transmitter);
    EXPECT_EQ(Number(sent.Get(), L"TransmitterID"), 5);
    EXPECT_EQ(Number(sent.Get(), L"TransmitterBaseID"), 8);
    EXPECT_EQ(Number(sent.Get(), L"TransmitterInputID"), 6);
    EXPECT_EQ(Flag(sent.Get(), L"VerifiedAlarm"), true);
    transmitter.Set(BntMessage::HasParameter, 0);
    EXPECT_EQ(Flag(Dispatch(transmitter).Get(), L"VerifiedAlarm"), false);

    BntMessageEx status = hwtest::Record(8, 1, 3);
    const BYTE statusBytes[] = {2, 1, 0xFF, 0xFF};
    status.WriteBytes(56, statusBytes);
    const ComPtr<IWbemClassObject> changed = Dispatch(status);
    EXPECT_EQ(Number(changed.Get(), L"NewStatus"), 2);
    EXPECT_EQ(Number(changed.Get(), L"OldStatus"), 1);
    EXPECT_EQ(Number(changed.Get(), L"CommunicationStatus"), -1);

    BntMessageEx function = hwtest::Record(4, 78);
    function.Set(BntMessage::Detail1, 12);
    function.Set(BntMessage::Detail2, 200);
    function.Set(BntMessage::InitiatingEventID, 99);
    const ComPtr<IWbemClassObject> executed = Dispatch(function);
    EXPECT_EQ(Number(executed.Get(), L"FunctionID"), 12);
    EXPECT_EQ(Number(executed.Get(), L"FunctionInputArguments"), 200);
    EXPECT_EQ(Number(executed.Get(), L"InitiatingEventID"), 99);
}

TEST_F(EventMapperTest, VideoTimesComeFromTheRecordsSystemTimes)
{
    BntMessageEx video = hwtest::Record(11, 1);
    video.WriteU32(56, 4);
    // Start: year 0 (no time); end: 2030-06-15 (checked only for being a date-time).
    const BYTE end[] = {0xEE, 0x07, 6, 0, 0, 0, 15, 0, 12, 0, 30, 0, 0, 0, 0, 0};
    video.WriteBytes(76, end);
    const ComPtr<IWbemClassObject> event = Dispatch(video);
    ASSERT_TRUE(event);
    EXPECT_EQ(Number(event.Get(), L"Channel"), 4);
    EXPECT_EQ(Text(event.Get(), L"StartTime"), L"19700101000000.000000+000");
    EXPECT_EQ(Text(event.Get(), L"EndTime").substr(0, 6), L"203006");

    // A month of 13 is not a time: the time value 0, and the event still goes.
    const BYTE badMonth[] = {0xEE, 0x07, 13, 0, 0, 0, 1, 0};
    video.WriteBytes(60, badMonth);
    const ComPtr<IWbemClassObject> bad = Dispatch(video);
    ASSERT_TRUE(bad);
    EXPECT_EQ(Text(bad.Get(), L"StartTime"), L"19700101000000.000000+000");
}

TEST_F(EventMapperTest, TheEmbeddedAlarmDescribesTheAlarmDefinition)
{
    const ComPtr<IWbemClassObject> forced = Dispatch(WithAlarm(hwtest::Record(4, 5), 1));
    ASSERT_TRUE(forced);
    const ComPtr<IWbemClassObject> alarm = Embedded(forced.Get(), L"Alarm");
    ASSERT_TRUE(alarm);
    EXPECT_EQ(Text(alarm.Get(), L"__CLASS"), L"Bnt_Alarm");
    EXPECT_EQ(Number(alarm.Get(), L"ID"), 1);
    EXPECT_EQ(Text(alarm.Get(), L"Description"), L"Door forced open");
    EXPECT_EQ(Number(alarm.Get(), L"Priority"), 20);
    EXPECT_EQ(Flag(alarm.Get(), L"IsActive"), true);
    EXPECT_EQ(Flag(alarm.Get(), L"MustAcknowledge"), true);
    EXPECT_EQ(Text(alarm.Get(), L"EventParamDescription"), L"");

    BntMessageEx fire = WithAlarm(hwtest::Record(7, 1, 0, 2, 0), 4);
    fire.Set(BntMessage::HasParameter, 1);
    fire.Set(BntMessage::ParameterValue, 1);
    const ComPtr<IWbemClassObject> fireAlarm = Embedded(Dispatch(fire).Get(), L"Alarm");
    ASSERT_TRUE(fireAlarm);
    EXPECT_EQ(Text(fireAlarm.Get(), L"EventParamDescription"), L"Smoke detector");
    EXPECT_EQ(Flag(fireAlarm.Get(), L"IsActive"), false);
    EXPECT_EQ(Flag(fireAlarm.Get(), L"MustAcknowledge"), true);
}

TEST_F(EventMapperTest, AnUnknownAlarmStillDeliversTheEventWithAnEmptyAlarm)
{
    const int before = hwtest::CountProviderLogLines("Event came in without corresponding Alarm. AlarmID:404 EID:6");
    const ComPtr<IWbemClassObject> event = Dispatch(WithAlarm(hwtest::Record(4, 5), 404, L"ghost"));
    ASSERT_TRUE(event);
    EXPECT_EQ(hwtest::CountProviderLogLines("Event came in without corresponding Alarm. AlarmID:404 EID:6"),
              before + 1);
    const ComPtr<IWbemClassObject> alarm = Embedded(event.Get(), L"Alarm");
    ASSERT_TRUE(alarm);
    EXPECT_EQ(Number(alarm.Get(), L"ID"), std::nullopt);
    EXPECT_EQ(Text(alarm.Get(), L"Description"), L"<none>");
}

TEST_F(EventMapperTest, AFailedClassFetchIsTriedAgainWithTheNextEvent)
{
    // A namespace without the event classes: every fetch fails, and is not remembered.
    auto bare = std::make_shared<WbemRepository>(L"TESTHOST", L"root\\Brontel");
    const ComPtr<WbemServiceNamespace> empty = WbemServiceNamespace::Create(bare);
    CWmipHardwareEventProcessor processor(std::make_shared<ThreadSafeQueue<BntMessageEx>>(true),
                                          std::make_shared<CWmipEventAudience>());
    processor.CreateMappers(nullptr, empty.Get());
    const ComPtr<support::RecordingSink> sink = support::RecordingSink::Create();
    processor.SetSink(sink.Get());
    processor.Dispatch(hwtest::Record(7, 1));
    EXPECT_TRUE(sink->Objects().empty());
    ASSERT_EQ(WbemSecurityEventClasses::AddTo(*bare), WBEM_S_NO_ERROR);
    processor.Dispatch(hwtest::Record(7, 1));
    EXPECT_EQ(sink->Objects().size(), 1u);
}
