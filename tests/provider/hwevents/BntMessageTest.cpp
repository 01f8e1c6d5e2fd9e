// The 216-byte hardware event record: its description over every data type, its serialised
// form and the hostile lengths a stream may carry, the text fields' limits and the conversions.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <numeric>
#include <string>
#include <vector>

#include "hardware/BntMessage.h"
#include "provider/BntMessageEx.h"
#include "tests/support/ManualClock.h"

using bnt::utility::BntCompactEvent;
using bnt::utility::BntEvent104;
using bnt::utility::BntEvent144;
using bnt::utility::BntMessage;
using bnt::utility::BntMessageEx;
using bnt::utility::BntMessageField;
using bnt::utility::BntMessageStream;

namespace {

// A stream over a byte buffer: writes append, reads consume; a read past the end fails.
class BufferStream : public BntMessageStream
{
public:
    bool Read(void* buffer, DWORD count) override
    {
        if (count > m_bytes.size() - m_readAt)
        {
            return false;
        }
        std::memcpy(buffer, m_bytes.data() + m_readAt, count);
        m_readAt += count;
        return true;
    }
    bool Write(const void* buffer, DWORD count) override
    {
        ++m_writes;
        const auto* bytes = static_cast<const BYTE*>(buffer);
        m_bytes.insert(m_bytes.end(), bytes, bytes + count);
        return true;
    }

    std::vector<BYTE> m_bytes;
    std::size_t m_readAt = 0;
    int m_writes = 0;
};

// What the description carries after the common event part (", sg:N").
std::wstring Tail(const BntMessage& message)
{
    const std::wstring text = message.ToString().GetString();
    const auto segment = text.find(L", sg:");
    const auto next = segment == std::wstring::npos ? std::wstring::npos : text.find(L',', segment + 1);
    return next == std::wstring::npos ? std::wstring() : text.substr(next);
}

struct DumpCase
{
    BYTE dataType;
    std::wstring expectedTail;
};

}  // namespace

TEST(BntMessage, DefaultRecordDumpsZeroFieldsAndTheCardNumberItem)
{
    BntMessage message(0, 1234, 0);
    EXPECT_EQ(std::wstring(message.ToString().GetString()),
              L"sz:216, type:0, serno:0, time:1234, dev(0,0,0), event(0,0), ie:0, iv:0, ia:0, il:0, iz:0, id:0, "
              L"dt:0, ep:0, pv:0, ti:0, ti:0, dt:0, at:0, sg:0, CNAcn:0");
    EXPECT_NE(BntMessage().Get(BntMessage::Time), 0);
}

TEST(BntMessage, NowIsTheProcessClocksTime)
{
    support::ManualClock clock;
    const support::ProcessClockScope processClock(clock);
    const DWORD start = static_cast<DWORD>(support::ManualClock::kStartUtcMilliseconds / 1000);
    EXPECT_EQ(BntMessage().Get(BntMessage::Time), start);
    clock.AdvanceSeconds(90);
    EXPECT_EQ(BntMessage(3, 0, 7).Get(BntMessage::Time), start + 90);
    EXPECT_EQ(BntMessage(3, 1234, 7).Get(BntMessage::Time), 1234u);
    BntMessage stamped(3, 1234, 7);
    clock.AdvanceSeconds(5);
    stamped.StampTime();
    EXPECT_EQ(stamped.Get(BntMessage::Time), start + 95);
}

TEST(BntMessage, DumpItemFollowsTheDataType)
{
    const DumpCase cases[] = {
        {0, L", CNAcn:8589934593"},
        {1, L", FCfc:1, FCic:2"},
        {2, L", CAcn:8589934593, CAic:3, CAbs:4"},
        {3, L""},
        {4, L", unknown event data type"},
        {13, L", unknown event data type"},
        {14, L", unknown event data type"},
        {18, L", unknown event data type"},
        {19, L""},
        {20, L", ASSid:\x03, ASScn:8589934593"},
        {21, L", INTid:1, INTln:2"},
        {22, L""},
        {23, L""},
        {24, L", WKScn:8589934593, WKSid:3"},
        {25, L", RECri:1, RECar:2, RECui:0, RECln:0"},
        {26, L", APBid:1"},
        {27, L", INTar:1, INTui:0"},
        {28, L", UCMDcn:8589934593, UCMDamg:3"},
        {29, L", AMGid:1"},
        {30, L", unknown event data type"},
        {255, L", unknown event data type"},
    };
    for (const DumpCase& c : cases)
    {
        BntMessage message(0, 1, 0);
        message.Set(BntMessage::DataType, c.dataType);
        message.WriteU32(56, 1);
        message.WriteU32(60, 2);
        message.WriteU32(64, 3);
        message.WriteU32(68, 4);
        EXPECT_EQ(Tail(message), c.expectedTail) << "data type " << int(c.dataType);
    }
}

TEST(BntMessage, AssetIdentifierIsShownAsItsText)
{
    BntMessage message(0, 1, 0);
    message.Set(BntMessage::DataType, 20);
    const std::string asset(40, 'A');  // longer than the 32-byte field: cut at the field
    message.WriteBytes(64, std::span(reinterpret_cast<const BYTE*>(asset.data()), 32));
    EXPECT_EQ(Tail(message), L", ASSid:" + std::wstring(32, L'A') + L", ASScn:0");
}

TEST(BntMessage, TransmitterAndStatusRecordsAddTheirItems)
{
    BntMessage transmitter(0, 1, 0);
    transmitter.Set(BntMessage::EventType, 12);
    transmitter.Set(BntMessage::DataType, 3);
    transmitter.WriteU32(56, 77);
    EXPECT_EQ(Tail(transmitter), L", TRANtr:77");

    BntMessage status(5, 9, 3);
    status.SetStatus(2, 6, "online");
    EXPECT_EQ(std::wstring(status.ToString().GetString()),
              L"sz:216, type:1, serno:3, time:9, dev(5,0,0), statusType:2, status:6");
    EXPECT_EQ(std::wstring(status.ReadNarrow(BntMessage::kStatusTextOffset, 64).GetString()), L"online");

    BntMessage other(0, 9, 0);
    other.Set(BntMessage::MessageType, 2);
    EXPECT_EQ(std::wstring(other.ToString().GetString()), L"sz:216, type:2, serno:0, time:9, dev(0,0,0)");
}

TEST(BntMessage, SixteenBitIdentifiersReadSigned)
{
    BntMessage message(0, 1, 0);
    message.Set(BntMessage::PanelID, 65535);
    message.Set(BntMessage::EventSubtype, 40000);
    EXPECT_EQ(message.Get(BntMessage::PanelID), -1);
    EXPECT_EQ(message.Get(BntMessage::EventSubtype), 40000 - 65536);
    EXPECT_NE(std::wstring(message.ToString().GetString()).find(L"dev(-1,0,0)"), std::wstring::npos);
}

TEST(BntMessage, FieldTableMatchesTheRecordLayout)
{
    std::size_t covered = 0;
    for (const auto& field : BntMessage::Fields())
    {
        EXPECT_LE(field.offset + field.width, BntMessage::kRecordSize) << field.name;
        covered += field.width;
    }
    // 216 bytes less the reserved bytes 7, 52-55, 212-215 and the 148 data bytes.
    EXPECT_EQ(covered, 216u - 1 - 4 - 4 - 148);
    ASSERT_NE(BntMessage::FindField(L"panelid"), nullptr);
    EXPECT_EQ(BntMessage::FindField(L"panelid")->offset, 36u);
    EXPECT_EQ(BntMessage::FindField(L"NoSuchField"), nullptr);
}

TEST(BntMessage, WriteLengthsFollowTheText)
{
    BntMessage plain(0, 1, 0);
    BufferStream plainStream;
    ASSERT_TRUE(plain.Write(plainStream));
    EXPECT_EQ(plainStream.m_bytes.size(), 216u);

    BntMessage texted(0, 1, 0);
    texted.SetText(L"Door \u00e9 open");
    EXPECT_EQ(texted.Get(BntMessage::HasText), 1);
    BufferStream textStream;
    ASSERT_TRUE(texted.Write(textStream));
    EXPECT_EQ(textStream.m_writes, 1);
    EXPECT_EQ(textStream.m_bytes.size(), 220u + 2 * 11);

    BntMessage back;
    ASSERT_TRUE(back.Read(textStream));
    EXPECT_EQ(std::wstring(back.GetText().GetString()), L"Door \u00e9 open");
    EXPECT_TRUE(std::equal(back.Record().begin(), back.Record().end(), texted.Record().begin()));

    texted.SetText(L"");
    EXPECT_EQ(texted.Get(BntMessage::HasText), 0);
}

TEST(BntMessage, ReadRefusesHostileAndShortStreams)
{
    BntMessage source(0, 1, 0);
    source.SetText(L"x");
    BufferStream stream;
    ASSERT_TRUE(source.Write(stream));

    // A stored length far beyond any text: refused before anything is allocated.
    BufferStream hostile = stream;
    const DWORD huge = 0x7FFFFFFF;
    std::memcpy(&hostile.m_bytes[216], &huge, 4);
    BntMessage target;
    target.SetText(L"kept");
    EXPECT_FALSE(target.Read(hostile));
    EXPECT_EQ(std::wstring(target.GetText().GetString()), L"kept");

    // Lengths at and just past the cap, with every promised byte present: only the cap refuses.
    for (const DWORD length : {BntMessage::kMaxTextUnits, BntMessage::kMaxTextUnits + 1})
    {
        SCOPED_TRACE(length);
        BufferStream full;
        full.m_bytes.assign(stream.m_bytes.begin(), stream.m_bytes.begin() + 216);
        full.m_bytes.resize(220 + 2 * static_cast<std::size_t>(length), 'a');
        std::memcpy(&full.m_bytes[216], &length, 4);
        BntMessage read;
        read.SetText(L"kept");
        const bool within = length <= BntMessage::kMaxTextUnits;
        EXPECT_EQ(read.Read(full), within);
        EXPECT_EQ(read.GetText().GetLength(), within ? static_cast<int>(length) : 4);

        // The writer keeps to the same cap.
        BntMessage written(0, 1, 0);
        written.SetText(std::wstring(length, L'a').c_str());
        BufferStream out;
        EXPECT_EQ(written.Write(out), within);
        EXPECT_EQ(out.m_bytes.size(), within ? 220 + 2 * static_cast<std::size_t>(length) : 0u);
    }

    // A length that promises more than the stream holds.
    BufferStream truncated = stream;
    truncated.m_bytes.pop_back();
    EXPECT_FALSE(BntMessage().Read(truncated));

    BufferStream tooShort;
    tooShort.m_bytes.assign(100, 0);
    EXPECT_FALSE(BntMessage().Read(tooShort));

    // A length of 0 leaves the text as it was.
    BufferStream zero = stream;
    std::memset(&zero.m_bytes[216], 0, 4);
    zero.m_bytes.resize(220);
    BntMessage keeps;
    keeps.SetText(L"before");
    EXPECT_TRUE(keeps.Read(zero));
    EXPECT_EQ(std::wstring(keeps.GetText().GetString()), L"before");
}

TEST(BntMessage, TextFieldsAreCutAndTerminated)
{
    BntMessage message(0, 1, 0);
    message.Set(BntMessage::DataExtra, 0x11111111);
    message.Set(BntMessage::CarriedValue, 0x22222222);
    message.SetExtendedID(std::wstring(80, L'Z'));
    EXPECT_EQ(message.Get(BntMessage::DataType), 2);
    EXPECT_EQ(std::wstring(message.GetExtendedID().GetString()), std::wstring(64, L'Z'));
    EXPECT_EQ(message.ReadU8(200), 0);
    EXPECT_EQ(message.ReadU8(201), 0);
    EXPECT_EQ(message.Get(BntMessage::DataExtra), 0x11111111);
    EXPECT_EQ(message.Get(BntMessage::CarriedValue), 0x22222222);

    message.SetStatus(1, 2, std::string(100, 'q').c_str());
    EXPECT_EQ(std::wstring(message.ReadNarrow(72, 200).GetString()), std::wstring(63, L'q'));

    // Reads past the record answer nothing rather than bytes beyond it.
    EXPECT_EQ(message.ReadU32(214), 0u);
    EXPECT_EQ(message.ReadU64(210), 0u);
    const BYTE last[] = {'A', 0};
    message.WriteBytes(214, last);
    EXPECT_EQ(std::wstring(message.ReadUtf16(214, 10).GetString()), L"A");
    message.WriteBytes(215, last);
    EXPECT_EQ(message.ReadU8(215), 0);
}

TEST(BntMessage, CardAccessDataWithExtendedIdentifier)
{
    BntMessage message(0, 1, 0);
    message.SetCardAccessData(5, 1, 7, L"EXT-1", 99);
    EXPECT_EQ(message.ReadU64(56), (1ULL << 32) + 5);
    EXPECT_EQ(message.ReadU32(64), 7u);
    EXPECT_EQ(message.Get(BntMessage::DataExtra), 99);
    EXPECT_EQ(std::wstring(message.GetExtendedID().GetString()), L"EXT-1");
    message.SetCardAccessData(5, 1, 7, nullptr, 0);
    EXPECT_TRUE(message.GetExtendedID().IsEmpty());
}

namespace {

// Bytes an older layout carries into the record: count bytes from its offset `from` to the
// record's offset `to`.
struct Carried
{
    std::size_t to;
    std::size_t from;
    std::size_t count;
};

Carried From(const BntMessageField& field, std::size_t from)
{
    return {field.offset, from, field.width};
}

// Every byte differs from the others, so a field read from the wrong offset shows.
template <typename Layout>
Layout Distinct()
{
    Layout layout;
    std::iota(layout.bytes.begin(), layout.bytes.end(), BYTE{1});
    return layout;
}

// The converted record holds exactly the carried bytes, Size 216 and HasText in step with the
// text; every field is compared by name, then the whole record.
template <typename Layout>
void ExpectConverted(const Layout& source, const wchar_t* text, const std::vector<Carried>& carried)
{
    std::array<BYTE, BntMessage::kRecordSize> record{};
    for (const Carried& c : carried)
        std::copy_n(source.bytes.begin() + c.from, c.count, record.begin() + c.to);
    std::fill_n(record.begin(), 4, BYTE{0});
    record[BntMessage::Size.offset] = BntMessage::kRecordSize;
    record[BntMessage::HasText.offset] = *text != L'\0' ? 1 : 0;
    const BntMessage converted(source, text);
    for (const BntMessageField& field : BntMessage::Fields())
        EXPECT_EQ(converted.Get(field), BntMessage(record, text).Get(field)) << field.name;
    EXPECT_EQ(std::vector<BYTE>(converted.Record().begin(), converted.Record().end()),
              std::vector<BYTE>(record.begin(), record.end()));
    EXPECT_EQ(std::wstring(converted.GetText().GetString()), text);
}

}  // namespace

TEST(BntMessage, ConversionsFromOlderLayoutsCarryEveryField)
{
    // The compact layout: where each field of the record lies in it, then its data area by data
    // type (a card number of 32 bits widens to 64).
    const std::vector<Carried> compactFields = {
        From(BntMessage::MessageType, 4),
        From(BntMessage::SerialNumber, 8),
        From(BntMessage::Time, 12),
        From(BntMessage::PanelID, 16),
        From(BntMessage::DeviceID, 18),
        From(BntMessage::InputID, 20),
        From(BntMessage::EventType, 22),
        From(BntMessage::EventSubtype, 24),
        From(BntMessage::InitiatingEventID, 28),
        From(BntMessage::Detail1, 32),
        From(BntMessage::Detail2, 33),
        From(BntMessage::Detail3, 34),
        From(BntMessage::Detail4, 35),
        From(BntMessage::Detail5, 36),
        From(BntMessage::DataType, 37),
        From(BntMessage::HasParameter, 38),
        From(BntMessage::ParameterValue, 40),
        From(BntMessage::TransmitterID, 44),
        From(BntMessage::TransmitterInputID, 48),
        From(BntMessage::Detail6, 52),
        From(BntMessage::Segment, 56),
    };
    const struct
    {
        BYTE dataType;
        std::vector<Carried> data;
    } compact[] = {
        {0, {{56, 60, 4}}},
        {13, {{56, 60, 4}}},
        {24, {{56, 60, 4}, {64, 64, 4}}},
        {2, {{56, 60, 4}, {64, 64, 8}}},
        {1, {{56, 60, 8}}},
        {21, {{56, 60, 8}}},
        {14, {{56, 60, 1}}},
        {22, {{56, 60, 36}}},
        {25, {{56, 60, 18}}},
        {19, {{56, 60, 4}, {64, 64, 4}, {72, 68, 32}}},
        {20, {{56, 60, 4}, {64, 64, 40}}},
        {27, {{56, 60, 4}}},
        {28, {}},
        {29, {}},
        {3, {{56, 60, 4}}},
    };
    for (const auto& c : compact)
    {
        SCOPED_TRACE("compact, data type " + std::to_string(c.dataType));
        BntCompactEvent source = Distinct<BntCompactEvent>();
        source.bytes[37] = c.dataType;
        std::vector<Carried> carried = compactFields;
        carried.insert(carried.end(), c.data.begin(), c.data.end());
        ExpectConverted(source, L"t", carried);
    }

    // The 104-byte layout is the record's first 104 bytes; data type 19 moves its values apart.
    const struct
    {
        BYTE dataType;
        std::vector<Carried> data;
    } event104[] = {
        {3, {{56, 56, 48}}},
        {19, {{56, 56, 8}, {64, 60, 4}, {72, 64, 32}}},
    };
    for (const auto& c : event104)
    {
        SCOPED_TRACE("104 bytes, data type " + std::to_string(c.dataType));
        BntEvent104 source = Distinct<BntEvent104>();
        source.bytes[BntMessage::DataType.offset] = c.dataType;
        std::vector<Carried> carried = {{0, 0, 56}};
        carried.insert(carried.end(), c.data.begin(), c.data.end());
        ExpectConverted(source, L"", carried);
    }

    // The 144-byte layout is the record's first 144 bytes; its value at 136 is also the carried
    // value.
    SCOPED_TRACE("144 bytes");
    ExpectConverted(Distinct<BntEvent144>(), L"x", {{0, 0, 144}, {BntMessage::CarriedValue.offset, 136, 4}});
}

TEST(BntMessageEx, KeepsTheRecordAsItIs)
{
    std::array<BYTE, BntMessage::kRecordSize> raw{};
    raw[8] = 9;  // Size stays 0 as handed in
    const BntMessageEx message(raw, L"text", L"HOST", 4);
    EXPECT_EQ(message.Get(BntMessage::Size), 0);
    EXPECT_EQ(message.Get(BntMessage::SerialNumber), 9);
    EXPECT_EQ(message.Get(BntMessage::HasText), 1);
    EXPECT_EQ(std::wstring(message.GetHostName().GetString()), L"HOST");
    EXPECT_EQ(message.GetAlarmID(), 4);
    const BntMessageEx copy = message;
    EXPECT_EQ(copy.GetAlarmID(), 4);
    EXPECT_EQ(std::wstring(copy.GetText().GetString()), L"text");
}
