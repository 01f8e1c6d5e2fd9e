#include "hardware/BntMessage.h"

#include <algorithm>
#include <new>
#include <vector>

#include "platform/win32/Clock.h"
#include "platform/win32/UnicodeConversion.h"

namespace bnt::utility {

namespace {

constexpr BntMessageField kAllFields[] = {
    BntMessage::Size,
    BntMessage::MessageType,
    BntMessage::EventType,
    BntMessage::HasText,
    BntMessage::SerialNumber,
    BntMessage::Time,
    BntMessage::InitiatingEventID,
    BntMessage::ParameterValue,
    BntMessage::TransmitterID,
    BntMessage::TransmitterInputID,
    BntMessage::Segment,
    BntMessage::PanelID,
    BntMessage::DeviceID,
    BntMessage::InputID,
    BntMessage::EventSubtype,
    BntMessage::Detail1,
    BntMessage::Detail2,
    BntMessage::Detail3,
    BntMessage::Detail4,
    BntMessage::Detail5,
    BntMessage::DataType,
    BntMessage::HasParameter,
    BntMessage::Detail6,
    BntMessage::DataExtra,
    BntMessage::CarriedValue,
};

// The data types whose dump item the record description carries.
enum DataKind : BYTE
{
    kCardNumber = 0,
    kFacilityCode = 1,
    kCardAccess = 2,
    kStatusChange = 3,
    kUnused19 = 19,
    kAsset = 20,
    kIntercom = 21,
    kUnused22 = 22,
    kUnused23 = 23,
    kWorkstation = 24,
    kRecorder = 25,
    kAntiPassback = 26,
    kIntrusion = 27,
    kUserCommand = 28,
    kAccessManager = 29,
};
constexpr BYTE kTransmitterEventType = 12;

// The record's time field: now by the process clock, in the field's 32-bit seconds.
DWORD Now32()
{
    return static_cast<DWORD>(IClock::Process().GetUtcSeconds());
}

bool Fits(std::size_t offset, std::size_t width, std::size_t size)
{
    return offset <= size && width <= size - offset;
}

ULONGLONG LoadLittleEndian(const BYTE* bytes, std::size_t width)
{
    ULONGLONG value = 0;
    for (std::size_t i = width; i-- > 0;)
    {
        value = (value << 8) | bytes[i];
    }
    return value;
}

void StoreLittleEndian(BYTE* bytes, std::size_t width, ULONGLONG value)
{
    for (std::size_t i = 0; i < width; ++i)
    {
        bytes[i] = static_cast<BYTE>(value >> (8 * i));
    }
}

// Copies count bytes between record-sized buffers; both ranges are checked.
template <std::size_t SourceSize, std::size_t TargetSize>
void CopyBytes(const std::array<BYTE, SourceSize>& source, std::size_t from, std::array<BYTE, TargetSize>& target,
               std::size_t to, std::size_t count)
{
    if (Fits(from, count, SourceSize) && Fits(to, count, TargetSize))
    {
        std::copy_n(source.begin() + static_cast<std::ptrdiff_t>(from), count,
                    target.begin() + static_cast<std::ptrdiff_t>(to));
    }
}

}  // namespace

std::span<const BntMessageField> BntMessage::Fields()
{
    return kAllFields;
}

const BntMessageField* BntMessage::FindField(std::wstring_view name)
{
    for (const BntMessageField& field : kAllFields)
    {
        if (CString(field.name).CompareNoCase(std::wstring(name).c_str()) == 0)
        {
            return &field;
        }
    }
    return nullptr;
}

BntMessage::BntMessage()
{
    Reset();
    StampTime();
}

BntMessage::BntMessage(SHORT panelId, DWORD time, LONG serialNumber)
{
    Reset();
    Set(Time, time != 0 ? time : Now32());
    Set(PanelID, panelId);
    Set(SerialNumber, serialNumber);
}

BntMessage::BntMessage(std::span<const BYTE, kRecordSize> record, const CString& text) : m_text(text)
{
    std::copy(record.begin(), record.end(), m_record.begin());
    SyncHasText();
}

BntMessage::BntMessage(const BntCompactEvent& source, const CString& text) : m_text(text)
{
    Reset();
    const auto& s = source.bytes;
    CopyBytes(s, 4, m_record, MessageType.offset, 1);
    CopyBytes(s, 8, m_record, SerialNumber.offset, 4);
    CopyBytes(s, 12, m_record, Time.offset, 4);
    CopyBytes(s, 16, m_record, PanelID.offset, 2);
    CopyBytes(s, 18, m_record, DeviceID.offset, 2);
    CopyBytes(s, 20, m_record, InputID.offset, 2);
    CopyBytes(s, 22, m_record, EventType.offset, 1);
    CopyBytes(s, 24, m_record, EventSubtype.offset, 2);
    CopyBytes(s, 28, m_record, InitiatingEventID.offset, 4);
    // Detail1 to Detail5, DataType and HasParameter lie in the same order in both layouts.
    CopyBytes(s, 32, m_record, Detail1.offset, 7);
    CopyBytes(s, 40, m_record, ParameterValue.offset, 4);
    CopyBytes(s, 44, m_record, TransmitterID.offset, 4);
    CopyBytes(s, 48, m_record, TransmitterInputID.offset, 4);
    CopyBytes(s, 52, m_record, Detail6.offset, 1);
    CopyBytes(s, 56, m_record, Segment.offset, 4);
    ConvertCompactData(source);
    SyncHasText();
}

void BntMessage::ConvertCompactData(const BntCompactEvent& source)
{
    const auto& s = source.bytes;
    const auto cardFromU32 = [&] { WriteU64(kDataOffset, LoadLittleEndian(&s[60], 4)); };
    switch (static_cast<BYTE>(Get(DataType)))
    {
    case 0:
    case 13:
        cardFromU32();
        break;
    case kWorkstation:
        cardFromU32();
        CopyBytes(s, 64, m_record, 64, 4);
        break;
    case kCardAccess:
        cardFromU32();
        CopyBytes(s, 64, m_record, 64, 4);
        CopyBytes(s, 68, m_record, 68, 4);
        break;
    case kFacilityCode:
    case kIntercom:
        CopyBytes(s, 60, m_record, 56, 8);
        break;
    case 14:
        CopyBytes(s, 60, m_record, 56, 1);
        break;
    case kUnused22:
        CopyBytes(s, 60, m_record, 56, 36);
        break;
    case kRecorder:
        CopyBytes(s, 60, m_record, 56, 18);
        break;
    case kUnused19:
        CopyBytes(s, 60, m_record, 56, 4);
        CopyBytes(s, 64, m_record, 64, 4);
        WriteU32(68, 0);
        CopyBytes(s, 68, m_record, 72, 32);
        break;
    case kAsset:
        cardFromU32();
        CopyBytes(s, 64, m_record, 64, 32);
        CopyBytes(s, 96, m_record, 96, 4);
        CopyBytes(s, 100, m_record, 100, 4);
        break;
    case kIntrusion:
        CopyBytes(s, 60, m_record, 56, 2);
        CopyBytes(s, 62, m_record, 58, 2);
        break;
    case kUserCommand:
    case kAccessManager:
        break;
    default:
        CopyBytes(s, 60, m_record, 56, 4);
        break;
    }
}

BntMessage::BntMessage(const BntEvent104& source, const CString& text) : m_text(text)
{
    Reset();
    CopyBytes(source.bytes, 0, m_record, 0, BntEvent104::kSize);
    Set(Size, kRecordSize);
    if (Get(DataType) == kUnused19)
    {
        // Moved into place from the source; the copied bytes at 60 stay as they came.
        CopyBytes(source.bytes, 60, m_record, 64, 4);
        std::fill(m_record.begin() + 68, m_record.begin() + 72, BYTE{0});
        CopyBytes(source.bytes, 64, m_record, 72, 32);
    }
    SyncHasText();
}

BntMessage::BntMessage(const BntEvent144& source, const CString& text) : m_text(text)
{
    Reset();
    CopyBytes(source.bytes, 0, m_record, 0, BntEvent144::kSize);
    Set(Size, kRecordSize);
    CopyBytes(source.bytes, 136, m_record, CarriedValue.offset, 4);
    SyncHasText();
}

void BntMessage::Reset()
{
    m_record.fill(0);
    Set(Size, kRecordSize);
}

void BntMessage::StampTime()
{
    Set(Time, Now32());
}

void BntMessage::SetText(const CString& text)
{
    m_text = text;
    SyncHasText();
}

void BntMessage::SyncHasText()
{
    Set(HasText, m_text.IsEmpty() ? 0 : 1);
}

void BntMessage::SetStatus(DWORD statusType, DWORD status, const char* text)
{
    Set(MessageType, kStatusMessage);
    WriteU32(56, statusType);
    WriteU32(64, status);
    WriteU32(68, 0);
    if (text != nullptr)
    {
        // Cut to the field and always terminated: a longer text is a caller error that must not
        // spill into the values behind the field.
        const std::string_view narrow(text);
        const std::size_t count = std::min(narrow.size(), kStatusTextBytes - 1);
        std::fill_n(m_record.begin() + kStatusTextOffset, kStatusTextBytes, BYTE{0});
        std::copy_n(narrow.begin(), count, m_record.begin() + kStatusTextOffset);
    }
}

void BntMessage::SetExtendedID(std::wstring_view text)
{
    Set(DataType, kCardAccess);
    const std::u16string units =
        UnicodeConversion::EncodeUtf16(text.substr(0, std::min(text.size(), kExtendedIdMaxChars)));
    const std::size_t count = std::min(units.size(), kExtendedIdMaxChars);
    std::fill_n(m_record.begin() + kExtendedIdOffset, (kExtendedIdMaxChars + 1) * 2, BYTE{0});
    for (std::size_t i = 0; i < count; ++i)
    {
        StoreLittleEndian(&m_record[kExtendedIdOffset + 2 * i], 2, units[i]);
    }
}

void BntMessage::SetCardAccessData(DWORD cardLow, DWORD cardHigh, DWORD issueCode, DWORD thirdValue)
{
    Set(DataType, kCardAccess);
    WriteU32(56, cardLow);
    WriteU32(60, cardHigh);
    WriteU32(64, issueCode);
    WriteU32(68, thirdValue);
}

void BntMessage::SetCardAccessData(DWORD cardLow, DWORD cardHigh, DWORD issueCode, const wchar_t* extendedId,
                                   DWORD extra)
{
    Set(DataType, kCardAccess);
    WriteU32(56, cardLow);
    WriteU32(60, cardHigh);
    WriteU32(64, issueCode);
    Set(DataExtra, extra);
    SetExtendedID(extendedId != nullptr ? std::wstring_view(extendedId) : std::wstring_view());
}

LONGLONG BntMessage::Get(const BntMessageField& field) const
{
    if (!Fits(field.offset, field.width, kRecordSize) || field.width == 0 || field.width > 8)
    {
        return 0;
    }
    const ULONGLONG raw = LoadLittleEndian(&m_record[field.offset], field.width);
    if (!field.isSigned || field.width == 8)
    {
        return static_cast<LONGLONG>(raw);
    }
    const unsigned bits = static_cast<unsigned>(field.width * 8);
    const ULONGLONG sign = 1ULL << (bits - 1);
    return static_cast<LONGLONG>((raw ^ sign) - sign);
}

void BntMessage::Set(const BntMessageField& field, LONGLONG value)
{
    if (Fits(field.offset, field.width, kRecordSize) && field.width <= 8)
    {
        StoreLittleEndian(&m_record[field.offset], field.width, static_cast<ULONGLONG>(value));
    }
}

BYTE BntMessage::ReadU8(std::size_t offset) const
{
    return Fits(offset, 1, kRecordSize) ? m_record[offset] : BYTE{0};
}

SHORT BntMessage::ReadI16(std::size_t offset) const
{
    return Fits(offset, 2, kRecordSize) ? static_cast<SHORT>(LoadLittleEndian(&m_record[offset], 2)) : SHORT{0};
}

DWORD BntMessage::ReadU32(std::size_t offset) const
{
    return Fits(offset, 4, kRecordSize) ? static_cast<DWORD>(LoadLittleEndian(&m_record[offset], 4)) : 0;
}

ULONGLONG BntMessage::ReadU64(std::size_t offset) const
{
    return Fits(offset, 8, kRecordSize) ? LoadLittleEndian(&m_record[offset], 8) : 0;
}

CString BntMessage::ReadUtf16(std::size_t offset, std::size_t maxChars) const
{
    std::u16string units;
    for (std::size_t i = 0; i < maxChars && Fits(offset + 2 * i, 2, kRecordSize); ++i)
    {
        const auto unit = static_cast<char16_t>(LoadLittleEndian(&m_record[offset + 2 * i], 2));
        if (unit == 0)
        {
            break;
        }
        units.push_back(unit);
    }
    return CString(UnicodeConversion::DecodeUtf16(units));
}

CString BntMessage::ReadNarrow(std::size_t offset, std::size_t maxBytes) const
{
    std::string bytes;
    for (std::size_t i = 0; i < maxBytes && Fits(offset + i, 1, kRecordSize); ++i)
    {
        if (m_record[offset + i] == 0)
        {
            break;
        }
        bytes.push_back(static_cast<char>(m_record[offset + i]));
    }
    return CString(UnicodeConversion::DecodeUtf8(bytes));
}

void BntMessage::WriteU32(std::size_t offset, DWORD value)
{
    if (Fits(offset, 4, kRecordSize))
    {
        StoreLittleEndian(&m_record[offset], 4, value);
    }
}

void BntMessage::WriteU64(std::size_t offset, ULONGLONG value)
{
    if (Fits(offset, 8, kRecordSize))
    {
        StoreLittleEndian(&m_record[offset], 8, value);
    }
}

void BntMessage::WriteBytes(std::size_t offset, std::span<const BYTE> bytes)
{
    if (Fits(offset, bytes.size(), kRecordSize))
    {
        std::copy(bytes.begin(), bytes.end(), m_record.begin() + static_cast<std::ptrdiff_t>(offset));
    }
}

CString BntMessage::ToString() const
{
    CString text;
    text.Format(L"sz:%d, type:%d, serno:%d, time:%d, dev(%d,%d,%d)", static_cast<int>(Get(Size)),
                static_cast<int>(Get(MessageType)), static_cast<int>(Get(SerialNumber)), static_cast<int>(Get(Time)),
                static_cast<int>(Get(PanelID)), static_cast<int>(Get(DeviceID)), static_cast<int>(Get(InputID)));
    const auto kind = Get(MessageType);
    if (kind == kEventMessage)
    {
        text.AppendFormat(
            L", event(%d,%d), ie:%d, iv:%d, ia:%d, il:%d, iz:%d, id:%d, dt:%d, ep:%d, pv:%d, ti:%d, "
            L"ti:%d, dt:%d, at:%d, sg:%d",
            static_cast<int>(Get(EventType)), static_cast<int>(Get(EventSubtype)),
            static_cast<int>(Get(InitiatingEventID)), static_cast<int>(Get(Detail1)), static_cast<int>(Get(Detail2)),
            static_cast<int>(Get(Detail3)), static_cast<int>(Get(Detail4)), static_cast<int>(Get(Detail5)),
            static_cast<int>(Get(DataType)), static_cast<int>(Get(HasParameter)), static_cast<int>(Get(ParameterValue)),
            static_cast<int>(Get(TransmitterID)), static_cast<int>(Get(TransmitterInputID)),
            static_cast<int>(Get(Detail6)), static_cast<int>(Get(HasText)), static_cast<int>(Get(Segment)));
        AppendEventData(text);
        if (Get(EventType) == kTransmitterEventType)
        {
            text.AppendFormat(L", TRANtr:%d", static_cast<int>(ReadU32(56)));
        }
    }
    else if (kind == kStatusMessage)
    {
        text.AppendFormat(L", statusType:%d, status:%d", static_cast<int>(ReadU32(56)), static_cast<int>(ReadU32(64)));
    }
    return text;
}

void BntMessage::AppendEventData(CString& text) const
{
    const auto u32 = [this](std::size_t offset) { return static_cast<int>(ReadU32(offset)); };
    const auto i16 = [this](std::size_t offset) { return static_cast<int>(ReadI16(offset)); };
    const auto u64 = [this](std::size_t offset) { return static_cast<LONGLONG>(ReadU64(offset)); };
    switch (static_cast<BYTE>(Get(DataType)))
    {
    case kCardNumber:
        text.AppendFormat(L", CNAcn:%I64d", u64(56));
        break;
    case kFacilityCode:
        text.AppendFormat(L", FCfc:%d, FCic:%d", u32(56), u32(60));
        break;
    case kCardAccess:
        text.AppendFormat(L", CAcn:%I64d, CAic:%d, CAbs:%d", u64(56), u32(64), u32(68));
        break;
    case kStatusChange:
    case kUnused19:
    case kUnused22:
    case kUnused23:
        break;
    case kAsset:
        // The asset identifier is 8-bit text, shown as the text it is.
        text.AppendFormat(L", ASSid:%s, ASScn:%I64d", ReadNarrow(64, 32).GetString(), u64(56));
        break;
    case kIntercom:
        text.AppendFormat(L", INTid:%d, INTln:%d", u32(56), u32(60));
        break;
    case kWorkstation:
        text.AppendFormat(L", WKScn:%I64d, WKSid:%d", u64(56), u32(64));
        break;
    case kRecorder:
        text.AppendFormat(L", RECri:%d, RECar:%d, RECui:%d, RECln:%d", i16(56), i16(60), i16(62), i16(58));
        break;
    case kAntiPassback:
        text.AppendFormat(L", APBid:%d", u32(56));
        break;
    case kIntrusion:
        text.AppendFormat(L", INTar:%d, INTui:%d", i16(56), i16(58));
        break;
    case kUserCommand:
        text.AppendFormat(L", UCMDcn:%I64d, UCMDamg:%d", u64(56), u32(64));
        break;
    case kAccessManager:
        text.AppendFormat(L", AMGid:%d", u32(56));
        break;
    default:
        text += L", unknown event data type";
        break;
    }
}

bool BntMessage::Write(BntMessageStream& stream) const
{
    if (Get(HasText) == 0)
    {
        return stream.Write(m_record.data(), kRecordSize);
    }
    const std::u16string units =
        UnicodeConversion::EncodeUtf16(std::wstring_view(m_text.GetString(), m_text.GetLength()));
    if (units.size() > kMaxTextUnits)
    {
        return false;
    }
    std::vector<BYTE> block;
    try
    {
        block.resize(kRecordSize + 4 + 2 * units.size());
    }
    catch (const std::bad_alloc&)
    {
        return false;
    }
    std::copy(m_record.begin(), m_record.end(), block.begin());
    StoreLittleEndian(&block[kRecordSize], 4, units.size());
    for (std::size_t i = 0; i < units.size(); ++i)
    {
        StoreLittleEndian(&block[kRecordSize + 4 + 2 * i], 2, units[i]);
    }
    return stream.Write(block.data(), static_cast<DWORD>(block.size()));
}

bool BntMessage::Read(BntMessageStream& stream)
{
    if (!stream.Read(m_record.data(), kRecordSize))
    {
        return false;
    }
    if (Get(HasText) == 0)
    {
        m_text.Empty();
        return true;
    }
    BYTE lengthBytes[4] = {};
    if (!stream.Read(lengthBytes, sizeof lengthBytes))
    {
        return false;
    }
    const auto length = static_cast<DWORD>(LoadLittleEndian(lengthBytes, 4));
    if (length == 0)
    {
        return true;
    }
    // The length comes from the stream: a hostile one must not size an allocation.
    if (length > kMaxTextUnits)
    {
        return false;
    }
    std::vector<BYTE> bytes(static_cast<std::size_t>(length) * 2);
    if (!stream.Read(bytes.data(), static_cast<DWORD>(bytes.size())))
    {
        return false;
    }
    std::u16string units(length, u'\0');
    for (std::size_t i = 0; i < units.size(); ++i)
    {
        units[i] = static_cast<char16_t>(LoadLittleEndian(&bytes[2 * i], 2));
    }
    m_text = CString(UnicodeConversion::DecodeUtf16(units));
    return true;
}

}  // namespace bnt::utility
