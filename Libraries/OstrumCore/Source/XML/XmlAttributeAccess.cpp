#include "Libraries/OstrumCore/Source/XML/XmlAttributeAccess.h"

#include "Libraries/OstrumCore/Source/XML/XmlAttributeList.h"

#include <cerrno>
#include <cstdlib>
#include <limits>

namespace ostrum::xml {

namespace {

const std::string* findValue(const XmlAttributeList& list, const std::string& name)
{
    const XmlAttribute* attribute = list.Find(name);
    return attribute == nullptr ? nullptr : &attribute->second;
}

// Reads a leading integer as the C library does (leading blanks, optional sign); false when no
// digit stands there or the number leaves [low, high].
template <typename T>
bool readInteger(const XmlAttributeList& list, const std::string& name, T& value, long long low, long long high)
{
    const std::string* text = findValue(list, name);
    if (text == nullptr)
    {
        return false;
    }
    const char* begin = text->c_str();
    char* end = nullptr;
    errno = 0;
    const long long parsed = std::strtoll(begin, &end, 10);
    if (end == begin || errno == ERANGE || parsed < low || parsed > high)
    {
        return false;
    }
    value = static_cast<T>(parsed);
    return true;
}

int findName(const char* const* names, const std::string& value)
{
    for (int i = 0; names[i] != nullptr; ++i)
    {
        if (value == names[i])
        {
            return i;
        }
    }
    return -1;
}

}  // namespace

bool GetAttribute(const XmlAttributeList& list, const std::string& name, int16_t& value)
{
    return readInteger(list, name, value, std::numeric_limits<int16_t>::min(), std::numeric_limits<int16_t>::max());
}

bool GetAttribute(const XmlAttributeList& list, const std::string& name, uint16_t& value)
{
    return readInteger(list, name, value, 0, std::numeric_limits<uint16_t>::max());
}

bool GetAttribute(const XmlAttributeList& list, const std::string& name, int32_t& value)
{
    return readInteger(list, name, value, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max());
}

bool GetAttribute(const XmlAttributeList& list, const std::string& name, uint32_t& value)
{
    return readInteger(list, name, value, 0, std::numeric_limits<uint32_t>::max());
}

bool GetAttribute(const XmlAttributeList& list, const std::string& name, float& value)
{
    const std::string* text = findValue(list, name);
    if (text == nullptr)
    {
        return false;
    }
    const char* begin = text->c_str();
    char* end = nullptr;
    const float parsed = std::strtof(begin, &end);
    if (end == begin)
    {
        return false;
    }
    value = parsed;
    return true;
}

bool GetAttribute(const XmlAttributeList& list, const std::string& name, bool& value)
{
    const std::string* text = findValue(list, name);
    if (text == nullptr || text->empty())
    {
        return false;
    }
    const char first = text->front();
    if (first == 'T' || first == 't')
    {
        value = true;
        return true;
    }
    if (first == 'F' || first == 'f')
    {
        value = false;
        return true;
    }
    return false;
}

bool GetAttribute(const XmlAttributeList& list, const std::string& name, std::string& value, bool requireNonEmpty)
{
    const std::string* text = findValue(list, name);
    if (text == nullptr)
    {
        return false;
    }
    value = *text;
    return !requireNonEmpty || !text->empty();
}

bool GetEnumAttribute(const XmlAttributeList& list, const std::string& name, const char* const* names, int& index,
                      std::string* rawValue)
{
    const std::string* text = findValue(list, name);
    if (names == nullptr || text == nullptr)
    {
        return false;
    }
    if (rawValue != nullptr)
    {
        *rawValue = *text;
    }
    const int found = findName(names, *text);
    if (found < 0)
    {
        return false;
    }
    index = found;
    return true;
}

bool GetFlagsAttribute(const XmlAttributeList& list, const std::string& name, const char* const* names, unsigned& flags,
                       bool required, int shift, std::string* error)
{
    const std::string* text = findValue(list, name);
    if (text == nullptr)
    {
        if (required && error != nullptr)
        {
            *error = "missing required attribute \"" + name + "\"";
        }
        return !required;
    }
    const int found = names == nullptr ? -1 : findName(names, *text);
    if (found < 0)
    {
        if (error != nullptr)
        {
            *error = "invalid \"" + name + "\" attribute value \"" + *text + "\"";
        }
        return false;
    }
    flags |= static_cast<unsigned>(found) << shift;
    return true;
}

std::string FormatEnumAttribute(const std::string& name, const char* const* names, int index, bool force)
{
    if (!force && index == 0)
    {
        return {};
    }
    return " " + name + "=\"" + names[index] + "\"";
}

}  // namespace ostrum::xml
