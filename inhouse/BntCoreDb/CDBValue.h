// One database value: NULL, a 64-bit integer, a real, a text or bytes. Used for every bound
// parameter and for every column value read from a row.
//
// A plain value type: copyable, no shared state; safe to use from any thread that owns it.
// Texts are kept as UTF-8 (the database's encoding), embedded NULs included.
#pragma once

#include <concepts>
#include <cstdint>
#include <limits>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>
#include <vector>

#include "platform/mfc/CString.h"
#include "platform/mfc/TimeStructs.h"
#include "platform/win32/WinTypes.h"

class CDBValue
{
public:
    enum class Kind
    {
        Null,
        Integer,
        Real,
        Text,
        Blob
    };

    // NULL.
    CDBValue() = default;

    // An integer; bool gives 0 or 1. An unsigned value above the 64-bit signed range throws
    // CDBException (22003).
    template <std::integral T>
    CDBValue(T value) : m_value(ToInteger(value))
    {
    }

    CDBValue(double value) : m_value(value) {}

    // A text; every character is kept, embedded NULs included. A null pointer gives NULL.
    CDBValue(const CString& text);
    CDBValue(const wchar_t* text);

    static CDBValue FromUtf8(std::string text);
    static CDBValue FromBytes(std::vector<BYTE> bytes);

    // Replace the value by a text or bytes, reusing the storage of a text or bytes value held
    // before (a row read into the same values again allocates nothing new).
    void AssignUtf8(std::string_view text);
    void AssignBytes(std::span<const BYTE> bytes);

    // The date-time as the text "YYYY-MM-DD HH:MM:SS" that date-time columns hold (the fraction
    // is not stored). Throws CDBException (22007) when a field is out of range (year 1-9999).
    static CDBValue FromTimestamp(const TIMESTAMP_STRUCT& timestamp);

    Kind GetKind() const { return static_cast<Kind>(m_value.index()); }
    bool IsNull() const { return GetKind() == Kind::Null; }

    // Conversions for the typed getters. NULL reads as 0, 0.0, an empty text or no bytes.
    // A text converts to a number only when it is entirely a decimal number; a real converts
    // to an integer only when it has no fraction. Failures throw CDBException: 22018 when the
    // value has the wrong kind, 22003 when it is out of the 64-bit range.
    LONGLONG AsInteger() const;
    double AsReal() const;
    CString AsText() const;
    // The text AsText gives, written into `text` (its storage reused). Throws as AsText.
    void AsText(std::wstring& text) const;
    std::vector<BYTE> AsBytes() const;
    // The bytes AsBytes gives, where the value holds them: valid while the value is unchanged
    // and alive. Throws as AsBytes.
    std::span<const BYTE> AsBytesView() const;

    // A date-time text "YYYY-MM-DD HH:MM:SS" with an optional fraction of up to nine digits
    // after a dot. NULL gives all fields 0. Anything else throws CDBException (22007).
    TIMESTAMP_STRUCT AsTimestamp() const;

    // The raw forms, for binding. Valid only for the matching kind.
    LONGLONG GetInteger() const { return std::get<LONGLONG>(m_value); }
    double GetReal() const { return std::get<double>(m_value); }
    const std::string& GetUtf8() const { return std::get<std::string>(m_value); }
    const std::vector<BYTE>& GetBytes() const { return std::get<std::vector<BYTE>>(m_value); }

    bool operator==(const CDBValue& other) const = default;

private:
    using Storage = std::variant<std::monostate, LONGLONG, double, std::string, std::vector<BYTE>>;

    template <std::integral T>
    static LONGLONG ToInteger(T value)
    {
        if constexpr (std::is_same_v<T, bool>)
            return value ? 1 : 0;
        else if constexpr (std::is_unsigned_v<T> && sizeof(T) >= sizeof(LONGLONG))
        {
            if (value > static_cast<T>(std::numeric_limits<LONGLONG>::max()))
                ThrowOutOfRange();
            return static_cast<LONGLONG>(value);
        }
        else
            return static_cast<LONGLONG>(value);
    }

    [[noreturn]] static void ThrowOutOfRange();

    Storage m_value;
};
