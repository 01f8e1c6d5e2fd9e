#include "Libraries/OstrumCore/Source/XML/XmlAttributeList.h"

#include <strings.h>

namespace ostrum::xml {

XmlAttributeList::XmlAttributeList(const XmlAttributeList& other)
{
    *this = other;
}

XmlAttributeList& XmlAttributeList::operator=(const XmlAttributeList& other)
{
    if (this != &other)
    {
        std::vector<std::unique_ptr<XmlAttribute>> copy;
        copy.reserve(other.m_attributes.size());
        for (const auto& attribute : other.m_attributes)
        {
            copy.push_back(std::make_unique<XmlAttribute>(*attribute));
        }
        m_attributes = std::move(copy);
    }
    return *this;
}

void XmlAttributeList::Add(const std::string& name, const std::string& value)
{
    m_attributes.push_back(std::make_unique<XmlAttribute>(name, value));
}

const XmlAttribute* XmlAttributeList::Find(const std::string& name) const
{
    return Find(name, true);
}

const XmlAttribute* XmlAttributeList::Find(const std::string& name, bool caseSensitive) const
{
    for (const auto& attribute : m_attributes)
    {
        const bool equal = caseSensitive ? attribute->first == name
                                         : attribute->first.size() == name.size() &&
                                               ::strcasecmp(attribute->first.c_str(), name.c_str()) == 0;
        if (equal)
        {
            return attribute.get();
        }
    }
    return nullptr;
}

bool XmlAttributeList::Contains(const std::string& name) const
{
    return Find(name) != nullptr;
}

void XmlAttributeList::Clear()
{
    m_attributes.clear();
}

std::size_t XmlAttributeList::Size() const
{
    return m_attributes.size();
}

const XmlAttribute& XmlAttributeList::At(std::size_t index) const
{
    return *m_attributes.at(index);
}

}  // namespace ostrum::xml
