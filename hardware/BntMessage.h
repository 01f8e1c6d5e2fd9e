// bnt::utility::BntMessage: the 216-byte little-endian record in which hardware events and
// device status changes travel between the installation's hardware services and this library,
// with its event text. The byte layout is a shared binary format: every field is read and
// written through the one field table below (offset, width, signedness), never through a
// struct overlaid on the bytes.
//
// A plain value type (copies are independent); not shared between threads.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "platform/mfc/CString.h"
#include "platform/win32/WinTypes.h"

namespace bnt::utility {

// The stream Write and Read use: two operations, read then write, each answering success.
class BntMessageStream
{
public:
    virtual ~BntMessageStream() = default;
    virtual bool Read(void* buffer, DWORD count) = 0;
    virtual bool Write(const void* buffer, DWORD count) = 0;
};

// The older event structures the record converts from, as their raw bytes.
struct BntCompactEvent
{
    static constexpr std::size_t kSize = 104;
    std::array<BYTE, kSize> bytes{};
};
struct BntEvent104
{
    static constexpr std::size_t kSize = 104;
    std::array<BYTE, kSize> bytes{};
};
struct BntEvent144
{
    static constexpr std::size_t kSize = 144;
    std::array<BYTE, kSize> bytes{};
};

// One field of the record: where it lies, how wide it is (1, 2, 4 or 8 bytes) and whether it
// reads as a signed value.
struct BntMessageField
{
    const wchar_t* name;
    std::size_t offset;
    std::size_t width;
    bool isSigned;
};

class BntMessage
{
public:
    static constexpr std::size_t kRecordSize = 216;
    // The longest event text Write and Read carry, in UTF-16 code units: a stored length above
    // it is hostile, not a text.
    static constexpr DWORD kMaxTextUnits = 32768;
    // The extended identifier: 64 UTF-16 characters from offset 72 and a NUL at offset 200,
    // so the two values at 204 and 208 stay untouched.
    static constexpr std::size_t kExtendedIdOffset = 72;
    static constexpr std::size_t kExtendedIdMaxChars = 64;
    // The status text: at most 63 bytes and a NUL in 64 bytes from offset 72.
    static constexpr std::size_t kStatusTextOffset = 72;
    static constexpr std::size_t kStatusTextBytes = 64;
    // The event data area.
    static constexpr std::size_t kDataOffset = 56;
    static constexpr std::size_t kDataSize = 148;

    enum MessageKind : BYTE
    {
        kEventMessage = 0,
        kStatusMessage = 1,
        kSecondEventMessage = 2
    };

    // The named fields, in record order.
    static constexpr BntMessageField Size{L"Size", 0, 4, false};
    static constexpr BntMessageField MessageType{L"MessageType", 4, 1, false};
    static constexpr BntMessageField EventType{L"EventType", 5, 1, false};
    static constexpr BntMessageField HasText{L"HasText", 6, 1, false};
    static constexpr BntMessageField SerialNumber{L"SerialNumber", 8, 4, true};
    static constexpr BntMessageField Time{L"Time", 12, 4, false};
    static constexpr BntMessageField InitiatingEventID{L"InitiatingEventID", 16, 4, false};
    static constexpr BntMessageField ParameterValue{L"ParameterValue", 20, 4, false};
    static constexpr BntMessageField TransmitterID{L"TransmitterID", 24, 4, false};
    static constexpr BntMessageField TransmitterInputID{L"TransmitterInputID", 28, 4, false};
    static constexpr BntMessageField Segment{L"Segment", 32, 4, true};
    static constexpr BntMessageField PanelID{L"PanelID", 36, 2, true};
    static constexpr BntMessageField DeviceID{L"DeviceID", 38, 2, true};
    static constexpr BntMessageField InputID{L"InputID", 40, 2, true};
    static constexpr BntMessageField EventSubtype{L"EventSubtype", 42, 2, true};
    static constexpr BntMessageField Detail1{L"Detail1", 44, 1, false};
    static constexpr BntMessageField Detail2{L"Detail2", 45, 1, false};
    static constexpr BntMessageField Detail3{L"Detail3", 46, 1, false};
    static constexpr BntMessageField Detail4{L"Detail4", 47, 1, false};
    static constexpr BntMessageField Detail5{L"Detail5", 48, 1, false};
    static constexpr BntMessageField DataType{L"DataType", 49, 1, false};
    static constexpr BntMessageField HasParameter{L"HasParameter", 50, 1, false};
    static constexpr BntMessageField Detail6{L"Detail6", 51, 1, false};
    static constexpr BntMessageField DataExtra{L"DataExtra", 204, 4, false};
    static constexpr BntMessageField CarriedValue{L"CarriedValue", 208, 4, false};
    // Every named field, in record order.
    static std::span<const BntMessageField> Fields();
    // The named field (without regard to case); null when there is none.
    static const BntMessageField* FindField(std::wstring_view name);

    // Empty text, Reset, Time = now.
    BntMessage();
    // Empty text, Reset, Time = time (now when 0), PanelID and SerialNumber set.
    BntMessage(SHORT panelId, DWORD time, LONG serialNumber);
    // The 216 bytes as they are (Size included), the text, HasText in step with it.
    BntMessage(std::span<const BYTE, kRecordSize> record, const CString& text);
    // Conversions from the older structures: the text kept, Reset, the source converted,
    // HasText in step with the text.
    BntMessage(const BntCompactEvent& source, const CString& text);
    BntMessage(const BntEvent104& source, const CString& text);
    BntMessage(const BntEvent144& source, const CString& text);

    // All 216 bytes to 0, then Size = 216; the text is untouched.
    void Reset();
    // Time = now.
    void StampTime();
    void SetText(const CString& text);
    const CString& GetText() const { return m_text; }

    // MessageType 1, status type at 56, status at 64, 0 at 68; a non-null text goes to 72,
    // cut to 63 bytes and always terminated.
    void SetStatus(DWORD statusType, DWORD status, const char* text);
    // DataType 2; the text at 72, cut to 64 characters and always terminated at 200.
    void SetExtendedID(std::wstring_view text);
    // DataType 2; card number low and high at 56 and 60, issue code at 64, third value at 68.
    void SetCardAccessData(DWORD cardLow, DWORD cardHigh, DWORD issueCode, DWORD thirdValue);
    // DataType 2; card number at 56 and 60, issue code at 64, DataExtra = extra, the extended
    // identifier (empty when null) at 72.
    void SetCardAccessData(DWORD cardLow, DWORD cardHigh, DWORD issueCode, const wchar_t* extendedId, DWORD extra);

    // A field's value: sign-extended for a signed field, zero-extended otherwise.
    LONGLONG Get(const BntMessageField& field) const;
    // Stores the low bytes of value in the field.
    void Set(const BntMessageField& field, LONGLONG value);

    // Reads of the record at a record offset; an offset whose value would run past the record
    // reads 0 (or an empty text).
    BYTE ReadU8(std::size_t offset) const;
    SHORT ReadI16(std::size_t offset) const;
    DWORD ReadU32(std::size_t offset) const;
    ULONGLONG ReadU64(std::size_t offset) const;
    // UTF-16 text of at most maxChars code units from offset, ending at the first NUL.
    CString ReadUtf16(std::size_t offset, std::size_t maxChars) const;
    // 8-bit text of at most maxBytes bytes from offset, ending at the first NUL (UTF-8).
    CString ReadNarrow(std::size_t offset, std::size_t maxBytes) const;
    // The extended identifier (data types 2 and 28).
    CString GetExtendedID() const { return ReadUtf16(kExtendedIdOffset, kExtendedIdMaxChars); }
    // Writes of the record at a record offset; a write that would run past the record is
    // dropped.
    void WriteU32(std::size_t offset, DWORD value);
    void WriteU64(std::size_t offset, ULONGLONG value);
    void WriteBytes(std::size_t offset, std::span<const BYTE> bytes);

    // The 216 record bytes.
    std::span<const BYTE, kRecordSize> Record() const { return m_record; }

    // The one-line debug description.
    CString ToString() const;

    // Without text one write of the 216 bytes; with text one write of 216 bytes, the length n
    // as u32 and n UTF-16 code units. The stream's answer; false, writing nothing, for a text
    // longer than kMaxTextUnits.
    bool Write(BntMessageStream& stream) const;
    // Reads the 216 bytes, then (HasText set) a length and that many code units. False when a
    // read fails or the length is above kMaxTextUnits (the text is then left as it was).
    bool Read(BntMessageStream& stream);

private:
    void SyncHasText();
    void ConvertCompactData(const BntCompactEvent& source);
    void AppendEventData(CString& text) const;

    std::array<BYTE, kRecordSize> m_record{};
    CString m_text;
};

}  // namespace bnt::utility
