// qpid::types::Variant: the value of the message bus: void, a boolean, a signed or unsigned
// integer of 8 to 64 bits, a float or double, a UUID, a text (UTF-8 or bytes), or a map
// (text key to Variant) or list of Variants. A value type: copies are deep and independent;
// an object is not shared between threads while one of them changes it.
//
// The as... reads convert between types by these rules, and throw InvalidConversion for
// anything else:
// - asString: every type. Booleans give "True"/"False", integers their decimal text (8-bit
//   values as numbers, not characters), reals the shortest text that reads back to the same
//   value at their precision, a UUID its 36-character text, maps "{key:value, ...}" and
//   lists "[value, ...]", void the empty text.
// - asBool: booleans; integers (true when not 0); texts "true"/"false" in any case, or an
//   integer text (true when not 0).
// - integer reads (asUint8 ... asInt64): integers of any width whose value fits the target;
//   texts holding a whole decimal number that fits (an optional sign, then digits only; "-0"
//   fits unsigned targets). Booleans, reals, void and the rest are refused.
// - asFloat: floats and texts; asDouble: floats, doubles and texts. Integers are refused.
// - asUuid: UUIDs. asMap, asList: maps and lists only.
#pragma once

#include <cstdint>
#include <list>
#include <map>
#include <memory>
#include <ostream>
#include <string>

#include "platform/qpid/InvalidConversion.h"
#include "platform/qpid/Uuid.h"

namespace qpid::types {

enum VariantType
{
    VAR_VOID = 0,
    VAR_BOOL,
    VAR_UINT8,
    VAR_UINT16,
    VAR_UINT32,
    VAR_UINT64,
    VAR_INT8,
    VAR_INT16,
    VAR_INT32,
    VAR_INT64,
    VAR_FLOAT,
    VAR_DOUBLE,
    VAR_UUID,
    VAR_MAP,
    VAR_LIST,
    VAR_STRING
};

// "void", "bool", "uint8", ..., "string"; "unknown" for a number outside the enumeration.
std::string getTypeName(VariantType type);

class Variant
{
public:
    using Map = std::map<std::string, Variant>;
    using List = std::list<Variant>;

    Variant();
    Variant(bool value);
    Variant(std::uint8_t value);
    Variant(std::uint16_t value);
    Variant(std::uint32_t value);
    Variant(std::uint64_t value);
    Variant(std::int8_t value);
    Variant(std::int16_t value);
    Variant(std::int32_t value);
    Variant(std::int64_t value);
    Variant(float value);
    Variant(double value);
    Variant(const std::string& value);
    // Takes the text, map or list over without copying it: a binary value of megabytes is held once.
    Variant(std::string&& value);
    Variant(const char* value);
    Variant(const Map& value);
    Variant(Map&& value);
    Variant(const List& value);
    Variant(List&& value);
    Variant(const Uuid& value);
    Variant(const Variant& other);
    Variant(Variant&& other) noexcept;
    ~Variant();

    Variant& operator=(const Variant& other);
    Variant& operator=(Variant&& other) noexcept;

    VariantType getType() const { return m_type; }
    bool isVoid() const { return m_type == VAR_VOID; }
    // Makes the value void.
    void reset();

    bool asBool() const;
    std::uint8_t asUint8() const;
    std::uint16_t asUint16() const;
    std::uint32_t asUint32() const;
    std::uint64_t asUint64() const;
    std::int8_t asInt8() const;
    std::int16_t asInt16() const;
    std::int32_t asInt32() const;
    std::int64_t asInt64() const;
    float asFloat() const;
    double asDouble() const;
    Uuid asUuid() const;
    std::string asString() const;

    // The map or list held; references stay valid until the value is changed or destroyed.
    const Map& asMap() const;
    Map& asMap();
    const List& asList() const;
    List& asList();
    // The text held (VAR_STRING only).
    const std::string& getString() const;
    std::string& getString();

    // Same type and equal value (maps and lists element by element).
    bool isEqualTo(const Variant& other) const;

private:
    [[noreturn]] void Refuse(const char* target) const;
    // Refuses the conversion to target unless the value is of type.
    void Expect(VariantType type, const char* target) const;
    template <typename T>
    T AsInteger(const char* target) const;
    void CopyFrom(const Variant& other);
    // Every member but the string, the map and the list.
    void CopyScalars(const Variant& other);

    VariantType m_type = VAR_VOID;
    // The member that the type uses: booleans, signed or unsigned integers, reals.
    bool m_bool = false;
    std::int64_t m_signed = 0;
    std::uint64_t m_unsigned = 0;
    float m_float = 0;
    double m_double = 0;
    Uuid m_uuid;
    std::string m_string;
    std::unique_ptr<Map> m_map;
    std::unique_ptr<List> m_list;
};

bool operator==(const Variant& left, const Variant& right);
// The asString text of the value.
std::ostream& operator<<(std::ostream& out, const Variant& value);
std::ostream& operator<<(std::ostream& out, const Variant::Map& map);
std::ostream& operator<<(std::ostream& out, const Variant::List& list);

}  // namespace qpid::types
