// The ordered attributes of one XML element: (name, value) pairs in document order.
//
// Adding appends; duplicate names stay, in order. The list owns its pairs; a pointer returned
// by Find stays valid until the list is cleared, replaced or destroyed (adding does not move
// existing pairs). Copying copies every pair. Not thread-safe.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace ostrum::xml {

using XmlAttribute = std::pair<std::string, std::string>;

class XmlAttributeList
{
public:
    XmlAttributeList() = default;
    XmlAttributeList(const XmlAttributeList& other);
    XmlAttributeList& operator=(const XmlAttributeList& other);
    XmlAttributeList(XmlAttributeList&&) noexcept = default;
    XmlAttributeList& operator=(XmlAttributeList&&) noexcept = default;
    virtual ~XmlAttributeList() = default;

    void Add(const std::string& name, const std::string& value);
    // The first pair of exactly that name (byte comparison), or null.
    const XmlAttribute* Find(const std::string& name) const;
    // The same, ignoring ASCII case when caseSensitive is false.
    const XmlAttribute* Find(const std::string& name, bool caseSensitive) const;
    bool Contains(const std::string& name) const;
    void Clear();

    std::size_t Size() const;
    // The pair at index (0 <= index < Size()).
    const XmlAttribute& At(std::size_t index) const;

private:
    std::vector<std::unique_ptr<XmlAttribute>> m_attributes;
};

}  // namespace ostrum::xml
