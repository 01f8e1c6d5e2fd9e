#include "platform/qpid/Variant.h"

#include <charconv>
#include <limits>
#include <optional>
#include <sstream>
#include <utility>

namespace qpid::types {

namespace {

constexpr const char* kTypeNames[] = {"void",  "bool",  "uint8", "uint16", "uint32", "uint64", "int8", "int16",
                                      "int32", "int64", "float", "double", "uuid",   "map",    "list", "string"};

bool IsUnsigned(VariantType type)
{
    return type >= VAR_UINT8 && type <= VAR_UINT64;
}
bool IsSigned(VariantType type)
{
    return type >= VAR_INT8 && type <= VAR_INT64;
}

// The text without one leading '+', when a digit follows it; the text itself otherwise.
std::string_view WithoutPlus(std::string_view text)
{
    if (text.size() > 1 && text[0] == '+' && text[1] >= '0' && text[1] <= '9')
    {
        text.remove_prefix(1);
    }
    return text;
}

// A whole decimal number that fits T: an optional sign, then digits only.
template <typename T>
std::optional<T> ParseInteger(std::string_view text)
{
    text = WithoutPlus(text);
    bool negative = false;
    if constexpr (std::is_unsigned_v<T>)
    {
        // Only "-0" (and "-00"...) is a negative text an unsigned target takes.
        if (!text.empty() && text[0] == '-')
        {
            negative = true;
            text.remove_prefix(1);
        }
    }
    if (text.empty() || text[0] == '+' || (std::is_unsigned_v<T> && text[0] == '-'))
    {
        return std::nullopt;
    }
    T value{};
    const auto [end, status] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (status != std::errc() || end != text.data() + text.size() || (negative && value != 0))
    {
        return std::nullopt;
    }
    return value;
}

template <typename T>
std::optional<T> ParseReal(std::string_view text)
{
    text = WithoutPlus(text);
    if (text.empty() || text[0] == '+')
    {
        return std::nullopt;
    }
    T value{};
    const auto [end, status] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (status != std::errc() || end != text.data() + text.size())
    {
        return std::nullopt;
    }
    return value;
}

template <typename T>
std::string RealText(T value)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

bool EqualsNoCase(std::string_view text, std::string_view word)
{
    if (text.size() != word.size())
    {
        return false;
    }
    for (std::size_t i = 0; i < text.size(); ++i)
    {
        const char c = text[i] >= 'A' && text[i] <= 'Z' ? static_cast<char>(text[i] - 'A' + 'a') : text[i];
        if (c != word[i])
        {
            return false;
        }
    }
    return true;
}

}  // namespace

std::string getTypeName(VariantType type)
{
    return type >= VAR_VOID && type <= VAR_STRING ? kTypeNames[type] : "unknown";
}

Variant::Variant() = default;
Variant::Variant(bool value) : m_type(VAR_BOOL), m_bool(value) {}
Variant::Variant(std::uint8_t value) : m_type(VAR_UINT8), m_unsigned(value) {}
Variant::Variant(std::uint16_t value) : m_type(VAR_UINT16), m_unsigned(value) {}
Variant::Variant(std::uint32_t value) : m_type(VAR_UINT32), m_unsigned(value) {}
Variant::Variant(std::uint64_t value) : m_type(VAR_UINT64), m_unsigned(value) {}
Variant::Variant(std::int8_t value) : m_type(VAR_INT8), m_signed(value) {}
Variant::Variant(std::int16_t value) : m_type(VAR_INT16), m_signed(value) {}
Variant::Variant(std::int32_t value) : m_type(VAR_INT32), m_signed(value) {}
Variant::Variant(std::int64_t value) : m_type(VAR_INT64), m_signed(value) {}
Variant::Variant(float value) : m_type(VAR_FLOAT), m_float(value) {}
Variant::Variant(double value) : m_type(VAR_DOUBLE), m_double(value) {}
Variant::Variant(const std::string& value) : m_type(VAR_STRING), m_string(value) {}
Variant::Variant(std::string&& value) : m_type(VAR_STRING), m_string(std::move(value)) {}
Variant::Variant(const char* value) : m_type(VAR_STRING), m_string(value == nullptr ? "" : value) {}
Variant::Variant(const Map& value) : m_type(VAR_MAP), m_map(std::make_unique<Map>(value)) {}
Variant::Variant(Map&& value) : m_type(VAR_MAP), m_map(std::make_unique<Map>(std::move(value))) {}
Variant::Variant(const List& value) : m_type(VAR_LIST), m_list(std::make_unique<List>(value)) {}
Variant::Variant(List&& value) : m_type(VAR_LIST), m_list(std::make_unique<List>(std::move(value))) {}
Variant::Variant(const Uuid& value) : m_type(VAR_UUID), m_uuid(value) {}

Variant::Variant(const Variant& other)
{
    CopyFrom(other);
}

Variant::Variant(Variant&& other) noexcept
    : m_type(other.m_type), m_bool(other.m_bool), m_signed(other.m_signed), m_unsigned(other.m_unsigned),
      m_float(other.m_float), m_double(other.m_double), m_uuid(other.m_uuid), m_string(std::move(other.m_string)),
      m_map(std::move(other.m_map)), m_list(std::move(other.m_list))
{
    other.reset();
}

Variant::~Variant() = default;

Variant& Variant::operator=(const Variant& other)
{
    if (this != &other)
    {
        // Copied first: the other value may live inside this one's map or list.
        Variant copy(other);
        *this = std::move(copy);
    }
    return *this;
}

Variant& Variant::operator=(Variant&& other) noexcept
{
    if (this != &other)
    {
        CopyScalars(other);
        m_string = std::move(other.m_string);
        // Moved into a local first: the other value may live inside this one's map or list.
        std::unique_ptr<Map> map = std::move(other.m_map);
        std::unique_ptr<List> list = std::move(other.m_list);
        m_map = std::move(map);
        m_list = std::move(list);
        other.reset();
    }
    return *this;
}

void Variant::CopyScalars(const Variant& other)
{
    m_type = other.m_type;
    m_bool = other.m_bool;
    m_signed = other.m_signed;
    m_unsigned = other.m_unsigned;
    m_float = other.m_float;
    m_double = other.m_double;
    m_uuid = other.m_uuid;
}

void Variant::CopyFrom(const Variant& other)
{
    CopyScalars(other);
    m_string = other.m_string;
    m_map = other.m_map ? std::make_unique<Map>(*other.m_map) : nullptr;
    m_list = other.m_list ? std::make_unique<List>(*other.m_list) : nullptr;
}

void Variant::reset()
{
    m_type = VAR_VOID;
    m_bool = false;
    m_signed = 0;
    m_unsigned = 0;
    m_float = 0;
    m_double = 0;
    m_uuid = Uuid();
    m_string.clear();
    m_map.reset();
    m_list.reset();
}

void Variant::Refuse(const char* target) const
{
    if (m_type == VAR_STRING)
    {
        throw InvalidConversion("Cannot convert " + m_string + " to " + target);
    }
    throw InvalidConversion(getTypeName(m_type) + " cannot be converted to " + target);
}

void Variant::Expect(VariantType type, const char* target) const
{
    if (m_type != type)
    {
        Refuse(target);
    }
}

template <typename T>
T Variant::AsInteger(const char* target) const
{
    if (IsUnsigned(m_type) && std::in_range<T>(m_unsigned))
    {
        return static_cast<T>(m_unsigned);
    }
    if (IsSigned(m_type) && std::in_range<T>(m_signed))
    {
        return static_cast<T>(m_signed);
    }
    if (m_type == VAR_STRING)
    {
        if (const auto parsed = ParseInteger<T>(m_string))
        {
            return *parsed;
        }
    }
    Refuse(target);
}

bool Variant::asBool() const
{
    if (m_type == VAR_BOOL)
    {
        return m_bool;
    }
    if (IsUnsigned(m_type))
    {
        return m_unsigned != 0;
    }
    if (IsSigned(m_type))
    {
        return m_signed != 0;
    }
    if (m_type == VAR_STRING)
    {
        if (EqualsNoCase(m_string, "true"))
        {
            return true;
        }
        if (EqualsNoCase(m_string, "false"))
        {
            return false;
        }
        if (const auto number = ParseInteger<std::int32_t>(m_string))
        {
            return *number != 0;
        }
    }
    Refuse("bool");
}

std::uint8_t Variant::asUint8() const
{
    return AsInteger<std::uint8_t>("uint8");
}
std::uint16_t Variant::asUint16() const
{
    return AsInteger<std::uint16_t>("uint16");
}
std::uint32_t Variant::asUint32() const
{
    return AsInteger<std::uint32_t>("uint32");
}
std::uint64_t Variant::asUint64() const
{
    return AsInteger<std::uint64_t>("uint64");
}
std::int8_t Variant::asInt8() const
{
    return AsInteger<std::int8_t>("int8");
}
std::int16_t Variant::asInt16() const
{
    return AsInteger<std::int16_t>("int16");
}
std::int32_t Variant::asInt32() const
{
    return AsInteger<std::int32_t>("int32");
}
std::int64_t Variant::asInt64() const
{
    return AsInteger<std::int64_t>("int64");
}

float Variant::asFloat() const
{
    if (m_type == VAR_FLOAT)
    {
        return m_float;
    }
    if (m_type == VAR_STRING)
    {
        if (const auto parsed = ParseReal<float>(m_string))
        {
            return *parsed;
        }
    }
    Refuse("float");
}

double Variant::asDouble() const
{
    if (m_type == VAR_FLOAT)
    {
        return m_float;
    }
    if (m_type == VAR_DOUBLE)
    {
        return m_double;
    }
    if (m_type == VAR_STRING)
    {
        if (const auto parsed = ParseReal<double>(m_string))
        {
            return *parsed;
        }
    }
    Refuse("double");
}

Uuid Variant::asUuid() const
{
    Expect(VAR_UUID, "uuid");
    return m_uuid;
}

std::string Variant::asString() const
{
    switch (m_type)
    {
    case VAR_VOID:
        return std::string();
    case VAR_BOOL:
        return m_bool ? "True" : "False";
    case VAR_UINT8:
    case VAR_UINT16:
    case VAR_UINT32:
    case VAR_UINT64:
        return std::to_string(m_unsigned);
    case VAR_INT8:
    case VAR_INT16:
    case VAR_INT32:
    case VAR_INT64:
        return std::to_string(m_signed);
    case VAR_FLOAT:
        return RealText(m_float);
    case VAR_DOUBLE:
        return RealText(m_double);
    case VAR_UUID:
        return m_uuid.str();
    case VAR_STRING:
        return m_string;
    case VAR_MAP:
    case VAR_LIST: {
        std::ostringstream text;
        if (m_type == VAR_MAP)
        {
            text << *m_map;
        }
        else
        {
            text << *m_list;
        }
        return text.str();
    }
    }
    Refuse("string");
}

const Variant::Map& Variant::asMap() const
{
    Expect(VAR_MAP, "map");
    return *m_map;
}

Variant::Map& Variant::asMap()
{
    return const_cast<Map&>(std::as_const(*this).asMap());
}

const Variant::List& Variant::asList() const
{
    Expect(VAR_LIST, "list");
    return *m_list;
}

Variant::List& Variant::asList()
{
    return const_cast<List&>(std::as_const(*this).asList());
}

const std::string& Variant::getString() const
{
    Expect(VAR_STRING, "string");
    return m_string;
}

std::string& Variant::getString()
{
    return const_cast<std::string&>(std::as_const(*this).getString());
}

bool Variant::isEqualTo(const Variant& other) const
{
    if (m_type != other.m_type)
    {
        return false;
    }
    switch (m_type)
    {
    case VAR_VOID:
        return true;
    case VAR_BOOL:
        return m_bool == other.m_bool;
    case VAR_FLOAT:
        return m_float == other.m_float;
    case VAR_DOUBLE:
        return m_double == other.m_double;
    case VAR_UUID:
        return m_uuid == other.m_uuid;
    case VAR_STRING:
        return m_string == other.m_string;
    case VAR_MAP:
        return *m_map == *other.m_map;
    case VAR_LIST:
        return *m_list == *other.m_list;
    default:
        return IsUnsigned(m_type) ? m_unsigned == other.m_unsigned : m_signed == other.m_signed;
    }
}

bool operator==(const Variant& left, const Variant& right)
{
    return left.isEqualTo(right);
}

std::ostream& operator<<(std::ostream& out, const Variant& value)
{
    return out << value.asString();
}

namespace {

// "{key:value, ...}" or "[value, ...]": the elements joined by ", " between the brackets.
template <typename Range, typename Write>
std::ostream& WriteJoined(std::ostream& out, const Range& range, char open, char close, Write write)
{
    out << open;
    bool first = true;
    for (const auto& element : range)
    {
        out << (first ? "" : ", ");
        write(element);
        first = false;
    }
    return out << close;
}

}  // namespace

std::ostream& operator<<(std::ostream& out, const Variant::Map& map)
{
    return WriteJoined(out, map, '{', '}', [&out](const auto& pair) { out << pair.first << ':' << pair.second; });
}

std::ostream& operator<<(std::ostream& out, const Variant::List& list)
{
    return WriteJoined(out, list, '[', ']', [&out](const Variant& value) { out << value; });
}

}  // namespace qpid::types
