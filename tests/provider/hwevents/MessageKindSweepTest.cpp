// Every message kind, event type, subtype and data type the processor tells apart, fed through
// the provider's queue: each record ends as the event of the one class the rules below give
// it, as "not exposed" (logged with its serial number), as dropped by the filter (silently) or
// as an invalid message type (logged). The rules are the processor's documented asking order,
// written here as a table the records are checked against, not taken from the code.
#include <gtest/gtest.h>

#include <condition_variable>
#include <fstream>
#include <map>
#include <mutex>
#include <set>
#include <string>

#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "inhouse/BntUtility/StringConversion.h"
#include "provider/CWmipHardwareEventProcessor.h"
#include "provider/CWmipHardwareEventProvider.h"
#include "tests/provider/hwevents/HwEventTestSupport.h"
#include "tests/support/PropertyText.h"
#include "tests/support/RecordingSink.h"
#include "tests/support/AwaitLimit.h"

using bnt::utility::BntMessage;
using bnt::utility::BntMessageEx;

namespace {
// Dropped by the filter, or an access event of a data type the access mapper cannot read (which
// logs that data type as unknown): no event, and no "not exposed" line.
constexpr char kDropped[] = "<no event>";
constexpr char kUnknownData[] = "<no event: unknown data type>";
constexpr char kNotExposed[] = "<not exposed>";
constexpr char kInvalidKind[] = "<invalid message type>";

// The event types 0 to 31 (every type a rule names, and types no rule names), the subtypes and
// data types the rules tell apart, and each message kind with one no sender uses.
constexpr LONG kLastType = 31;
constexpr LONG kSubtypes[] = {0, 1, 3, 4, 5, 78};
constexpr LONG kDataTypes[] = {0, 3};
constexpr LONG kKinds[] = {BntMessage::kEventMessage, BntMessage::kStatusMessage, BntMessage::kSecondEventMessage, 3};

// The class of an access-mapper message: by type, subtype exceptions first.
std::string AccessClass(LONG type, LONG subtype)
{
    if (type == 4)
        return subtype == 78 ? "Bnt_FunctionExecEvent" : "Bnt_OtherSecurityEvent";
    if ((type == 5 && (subtype == 4 || subtype == 5)) || (type == 11 && subtype == 0))
        return "";
    static const std::map<LONG, std::string> byType = {
        {0, "Bnt_AccessEvent"},    {1, "Bnt_AccessEvent"}, {2, "Bnt_AccessEvent"},
        {3, "Bnt_AccessEvent"},    {5, "Bnt_AccessEvent"}, {7, "Bnt_FireEvent"},
        {10, "Bnt_IntercomEvent"}, {11, "Bnt_VideoEvent"}, {12, "Bnt_TransmitterEvent"}};
    if (type >= 19 && type <= 30)
        return "Bnt_OtherSecurityEvent";
    const auto found = byType.find(type);
    return found == byType.end() ? "" : found->second;
}

// What becomes of the record.
std::string Expected(LONG kind, LONG type, LONG subtype, LONG dataType)
{
    if (kind == 3)
        return kInvalidKind;
    if ((kind == BntMessage::kEventMessage && type == 6 && subtype == 3) ||
        (kind == BntMessage::kSecondEventMessage && type == 11 && subtype == 0))
        return kDropped;
    // Only the access mapper looks past the kind; the others take event messages alone.
    if (AccessClass(type, subtype) == "Bnt_AccessEvent")
        return dataType == 3 ? kUnknownData : "Bnt_AccessEvent";
    if (kind != BntMessage::kEventMessage)
        return kNotExposed;
    static const std::map<LONG, std::string> byType = {
        {10, "Bnt_IntercomEvent"}, {7, "Bnt_FireEvent"}, {11, "Bnt_VideoEvent"}, {12, "Bnt_TransmitterEvent"}};
    if (const auto found = byType.find(type); found != byType.end())
        return found->second;
    if (dataType == 3)
        return "Bnt_StatusChangeEvent";
    if (subtype == 78)
        return "Bnt_FunctionExecEvent";
    if (type == 4 || type == 5 || (type >= 19 && type <= 30))
        return "Bnt_OtherSecurityEvent";
    return kNotExposed;
}

// The serial numbers the provider log names as not exposed.
std::set<LONG> NotExposedSerials()
{
    std::set<LONG> serials;
    std::ifstream log(brontel::utility::ConvertCStringToUtf8(brontel::utility::CWMIDebugLog::GetLogFileName()));
    const std::string marker = " is not exposed through the hardware event provider";
    for (std::string line; std::getline(log, line);)
        if (const std::size_t end = line.find(marker); end != std::string::npos)
        {
            const std::size_t start = line.rfind("Event ", end);
            if (start != std::string::npos)
                serials.insert(std::stol(line.substr(start + 6, end - start - 6)));
        }
    return serials;
}
}  // namespace

TEST(HardwareMessageKinds, EveryKindTypeSubtypeAndDataTypeEndsAsItsRulesSay)
{
    const ComPtr<WbemServiceNamespace> services = hwtest::MakeNamespace();
    CWmipHardwareEventProvider provider(L"TestHardwareEvents");
    const ComPtr<support::RecordingSink> sink = support::RecordingSink::Create();
    ASSERT_EQ(provider.Initialize(nullptr, 0, nullptr, nullptr, services.Get(), nullptr, nullptr), S_OK);
    ASSERT_EQ(provider.ProvideEvents(sink.Get(), 0), S_OK);
    std::mutex lock;
    std::condition_variable changed;
    std::size_t told = 0;
    provider.GetProcessor()->SetOutcomeObserver([&](LONG, bool, bool) {
        const std::lock_guard<std::mutex> guard(lock);
        ++told;
        changed.notify_all();
    });
    const int invalidBefore = hwtest::CountProviderLogLines("Hardware event processor received invalid message type");
    const int unknownBefore = hwtest::CountProviderLogLines("Unknown BntMessage data type");
    std::map<LONG, std::string> expected;
    std::map<LONG, std::string> labels;
    LONG serial = 40000;
    for (const LONG kind : kKinds)
        for (LONG type = 0; type <= kLastType; ++type)
            for (const LONG subtype : kSubtypes)
                for (const LONG dataType : kDataTypes)
                {
                    BntMessageEx record = hwtest::Record(type, subtype, dataType, 1, 0, kind);
                    record.Set(BntMessage::SerialNumber, ++serial);
                    expected[serial] = Expected(kind, type, subtype, dataType);
                    labels[serial] = "kind " + std::to_string(kind) + ", type " + std::to_string(type) + ", subtype " +
                                     std::to_string(subtype) + ", data type " + std::to_string(dataType);
                    // The queue is bounded: each record waits for the one before it to end.
                    ASSERT_EQ(provider.ReceiveHardwareEvent(BntMessage::kRecordSize, record.Record().data(), L"text",
                                                            L"HOST", 0),
                              S_OK);
                    std::unique_lock<std::mutex> guard(lock);
                    ASSERT_TRUE(changed.wait_for(guard, support::kAwaitLimit, [&] { return told == expected.size(); }))
                        << labels[serial];
                }
    // Cleared before anything may return: the observer refers to this frame.
    provider.GetProcessor()->SetOutcomeObserver({});

    std::map<LONG, std::string> ended;
    for (const ComPtr<IWbemClassObject>& event : sink->Objects())
        ended[std::stol(support::PropertyText(event.Get(), L"SerialNumber"))] +=
            support::PropertyText(event.Get(), L"__CLASS");
    for (const LONG notExposed : NotExposedSerials())
        if (expected.contains(notExposed))
            ended[notExposed] += kNotExposed;
    // Records that end without an event or a line naming them are told apart by what they log.
    std::map<std::string, int> silent;
    for (const auto& [number, outcome] : expected)
    {
        const bool unnamed = outcome == kInvalidKind || outcome == kUnknownData;
        silent[outcome] += unnamed;
        const std::string seen = ended.contains(number) ? ended[number] : unnamed ? outcome : kDropped;
        EXPECT_EQ(seen, outcome) << labels[number];
    }
    EXPECT_EQ(hwtest::CountProviderLogLines("Hardware event processor received invalid message type"),
              invalidBefore + silent[kInvalidKind]);
    EXPECT_EQ(hwtest::CountProviderLogLines("Unknown BntMessage data type"), unknownBefore + silent[kUnknownData]);
}
