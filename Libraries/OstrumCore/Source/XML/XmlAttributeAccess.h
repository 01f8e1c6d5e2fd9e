// Typed reads of XML attribute values (numbers, booleans, strings, names from a list, bit
// fields) with the error texts a settings reader reports, and the writing of a named value
// back as attribute text.
//
// Each read finds the first attribute of exactly the given name and answers false when there
// is none. Numbers are read from the start of the value (12abc reads as 12); a value outside
// the target type's range is refused. Stateless; safe from any thread.
#pragma once

#include <cstdint>
#include <string>

namespace ostrum::xml {

class XmlAttributeList;

bool GetAttribute(const XmlAttributeList& list, const std::string& name, int16_t& value);
bool GetAttribute(const XmlAttributeList& list, const std::string& name, uint16_t& value);
bool GetAttribute(const XmlAttributeList& list, const std::string& name, int32_t& value);
bool GetAttribute(const XmlAttributeList& list, const std::string& name, uint32_t& value);
bool GetAttribute(const XmlAttributeList& list, const std::string& name, float& value);
// "T"/"t" at the start is true, "F"/"f" false; anything else (or empty) fails.
bool GetAttribute(const XmlAttributeList& list, const std::string& name, bool& value);
// The value unchanged; with requireNonEmpty an empty value fails.
bool GetAttribute(const XmlAttributeList& list, const std::string& name, std::string& value, bool requireNonEmpty);

// names ends with a null entry. On an exact match index receives the position; rawValue
// (when given) receives the value whenever the attribute exists.
bool GetEnumAttribute(const XmlAttributeList& list, const std::string& name, const char* const* names, int& index,
                      std::string* rawValue);
// A matching value ORs (position << shift) into flags. An unknown value fails with
// 'invalid "NAME" attribute value "VALUE"'; a missing one fails only when required, with
// 'missing required attribute "NAME"'.
bool GetFlagsAttribute(const XmlAttributeList& list, const std::string& name, const char* const* names, unsigned& flags,
                       bool required, int shift, std::string* error);
// ' NAME="VALUE"' for names[index]; empty when index is 0 and not forced.
std::string FormatEnumAttribute(const std::string& name, const char* const* names, int index, bool force);

}  // namespace ostrum::xml
