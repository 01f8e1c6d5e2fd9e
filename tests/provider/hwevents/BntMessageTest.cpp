// The 216-byte hardware event record: its description over every data type, its serialised
// form and the hostile lengths a stream may carry, the text fields' limits and the conversions.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "hardware/BntMessage.h"
#include "provider/BntMessageEx.h"

using bnt::utility::BntCompactEvent;
using bnt::utility::BntEvent104;
using bnt::utility::BntEvent144;
using bnt::utility::BntMessage;
using bnt::utility::BntMessageEx;
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

TEST(BntMessage, ConversionsFromOlderStructures)
{
    BntCompactEvent compact;
    compact.bytes[4] = 0;
    compact.bytes[8] = 42;
    compact.bytes[16] = 3;
    compact.bytes[22] = 1;
    compact.bytes[24] = 4;
    compact.bytes[37] = 2;  // data type
    compact.bytes[60] = 0x10;
    compact.bytes[64] = 0x20;
    compact.bytes[68] = 0x30;
    const BntMessage fromCompact(compact, L"t");
    EXPECT_EQ(fromCompact.Get(BntMessage::Size), 216);
    EXPECT_EQ(fromCompact.Get(BntMessage::SerialNumber), 42);
    EXPECT_EQ(fromCompact.Get(BntMessage::PanelID), 3);
    EXPECT_EQ(fromCompact.Get(BntMessage::EventType), 1);
    EXPECT_EQ(fromCompact.Get(BntMessage::EventSubtype), 4);
    EXPECT_EQ(fromCompact.Get(BntMessage::DataType), 2);
    EXPECT_EQ(fromCompact.ReadU64(56), 0x10u);
    EXPECT_EQ(fromCompact.ReadU32(64), 0x20u);
    EXPECT_EQ(fromCompact.ReadU32(68), 0x30u);
    EXPECT_EQ(fromCompact.Get(BntMessage::HasText), 1);

    BntEvent104 event104;
    event104.bytes[49] = 19;
    event104.bytes[56] = 1;
    event104.bytes[60] = 2;
    event104.bytes[64] = 3;
    const BntMessage from104(event104, L"");
    EXPECT_EQ(from104.Get(BntMessage::Size), 216);
    EXPECT_EQ(from104.ReadU32(56), 1u);
    EXPECT_EQ(from104.ReadU32(64), 2u);
    EXPECT_EQ(from104.ReadU32(68), 0u);
    EXPECT_EQ(from104.ReadU8(72), 3);

    BntEvent144 event144;
    event144.bytes[136] = 0x5A;
    const BntMessage from144(event144, L"");
    EXPECT_EQ(from144.Get(BntMessage::CarriedValue), 0x5A);
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
