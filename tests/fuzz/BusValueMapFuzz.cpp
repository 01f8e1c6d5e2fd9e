// Fuzz target for the value maps a bus client sends: the bytes are read as a map of bus values
// (each entry a type byte, a name and a value; lists hold scalars). Every value must convert
// for every CIM type a property can have, or be refused with the bus's or WMI's own exception,
// never another one and never a crash; looking up each name in another case finds an entry of
// that name, and taking a converted value removes exactly that entry.
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "bus/CCorvessaHelper.h"
#include "bus/CCorvessaQpidInstance.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "platform/com/CimTypes.h"
#include "platform/mfc/CException.h"
#include "platform/qpid/Variant.h"
#include "tests/fuzz/FuzzRequire.h"

using fuzz::Require;
using qpid::types::Variant;

namespace {

constexpr CIMTYPE kTypes[] = {
    CIM_SINT8,
    CIM_UINT8,
    CIM_SINT16,
    CIM_UINT16,
    CIM_SINT32,
    CIM_UINT32,
    CIM_SINT64,
    CIM_UINT64,
    CIM_REAL32,
    CIM_REAL64,
    CIM_BOOLEAN,
    CIM_STRING,
    CIM_DATETIME,
    CIM_REFERENCE,
    CIM_CHAR16,
    CIM_UINT8 | CIM_FLAG_ARRAY,
    CIM_SINT32 | CIM_FLAG_ARRAY,
    CIM_STRING | CIM_FLAG_ARRAY,
    CIM_UINT32 | CIM_FLAG_ARRAY,
};

// Reads the fuzz bytes front to back; past the end every read answers zeros.
class Reader
{
public:
    Reader(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
    bool AtEnd() const { return m_at >= m_size; }
    std::uint8_t Byte() { return AtEnd() ? 0 : m_data[m_at++]; }
    template <typename T>
    T Number()
    {
        T value{};
        unsigned char raw[sizeof(T)] = {};
        for (unsigned char& byte : raw)
            byte = Byte();
        std::memcpy(&value, raw, sizeof(T));
        return value;
    }
    // A property name: letters, digits and "_" in either case.
    std::string Name()
    {
        static constexpr char kAlphabet[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_";
        const std::size_t length = 1 + Byte() % 12;
        std::string name;
        for (std::size_t i = 0; i < length; ++i)
            name.push_back(kAlphabet[Byte() % (sizeof kAlphabet - 1)]);
        return name;
    }
    std::string Text()
    {
        const std::size_t length = Byte() % 24;
        std::string text;
        for (std::size_t i = 0; i < length && !AtEnd(); ++i)
            text.push_back(static_cast<char>(Byte()));
        return text;
    }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_at = 0;
};

Variant Scalar(Reader& in, std::uint8_t kind)
{
    switch (kind % 13)
    {
    case 0:
        return Variant();
    case 1:
        return Variant(in.Byte() % 2 == 1);
    case 2:
        return Variant(in.Number<std::uint8_t>());
    case 3:
        return Variant(in.Number<std::uint16_t>());
    case 4:
        return Variant(in.Number<std::uint32_t>());
    case 5:
        return Variant(in.Number<std::uint64_t>());
    case 6:
        return Variant(in.Number<std::int8_t>());
    case 7:
        return Variant(in.Number<std::int16_t>());
    case 8:
        return Variant(in.Number<std::int32_t>());
    case 9:
        return Variant(in.Number<std::int64_t>());
    case 10:
        return Variant(in.Number<float>());
    case 11:
        return Variant(in.Number<double>());
    default:
        return Variant(in.Text());
    }
}

Variant Value(Reader& in)
{
    const std::uint8_t kind = in.Byte();
    if (kind < 0xF0)
        return Scalar(in, kind);
    Variant::List list;
    for (int count = in.Byte() % 8; count > 0; --count)
        list.push_back(Scalar(in, in.Byte()));
    return Variant(list);
}

std::string Upper(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

void Convert(const std::string& name, const Variant& value, CIMTYPE type, bool isBase64)
{
    CCorvessaHelper::IsValidValue(value, type);
    try
    {
        CCorvessaHelper::ConvertFromQpidVariantToWMIVariant(Utf8ToCString(name), value, type, isBase64);
    }
    catch (const CException&)
    {
    }
    catch (const brontel::utility::CWMIException&)
    {
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Reader in(data, size);
    CCorvessaQpidInstance::ValueMap values;
    while (!in.AtEnd() && values.size() < 8)
    {
        std::string name = in.Name();
        values[name] = Value(in);
    }
    for (const auto& [name, value] : values)
    {
        for (const CIMTYPE type : kTypes)
        {
            Convert(name, value, type, false);
            Convert(name, value, type, true);
        }
        const auto found = CCorvessaQpidInstance::FindProperty(values, Upper(name));
        Require(found != values.end());
        Require(Upper(found->first) == Upper(name));

        CCorvessaQpidInstance::ValueMap taken = values;
        try
        {
            CCorvessaQpidInstance::ConvertedValue(taken, Utf8ToCString(name), CIM_STRING, false, true);
            Require(taken.size() + 1 == values.size());
        }
        catch (const CException&)
        {
        }
        catch (const brontel::utility::CWMIException&)
        {
        }
    }
    return 0;
}
