#include "Libraries/OstrumCore/Source/XML/XmlTreeReader.h"

#include "Libraries/OstrumCore/Source/IO/MemoryInputStream.h"
#include "Libraries/OstrumCore/Source/XML/XmlParser.h"
#include "Libraries/OstrumCore/Source/XML/XmlTree.h"

#include <limits>

namespace ostrum::xml {

XmlTreeReader::XmlTreeReader() : m_parser(std::make_unique<XmlParser>(this, nullptr, true)) {}

XmlTreeReader::~XmlTreeReader() = default;

bool XmlTreeReader::Read(XmlTree* tree, io::InputStream& input, bool keepText, bool skipHeader)
{
    m_keepText = keepText;
    m_tree = tree;
    m_openNodes.clear();
    m_parser->SetUserData(tree);
    const bool parsed = m_parser->Parse(input, skipHeader);
    m_openNodes.clear();
    return parsed;
}

const XmlParser& XmlTreeReader::GetParser() const
{
    return *m_parser;
}

void XmlTreeReader::StartElement(const std::string& name, const XmlAttributeList& attributes, XmlParser&, void*)
{
    if (m_openNodes.empty())
    {
        m_tree->SetName(name);
        m_tree->SetAttributes(attributes);
        m_openNodes.push_back(m_tree);
        return;
    }
    m_openNodes.push_back(m_openNodes.back()->AddChild(name, attributes));
}

bool XmlTreeReader::Text(const std::string& elementName, io::PushbackInputStream& input, XmlParser& parser,
                         void* userData)
{
    if (!m_keepText || m_openNodes.empty())
    {
        return XmlParserCallback::Text(elementName, input, parser, userData);
    }
    std::string text;
    if (!ReadTextUpToTag(input, &text))
    {
        return false;
    }
    m_openNodes.back()->SetText(text);
    return true;
}

void XmlTreeReader::EndElement(const std::string&, XmlParser&, void*)
{
    if (!m_openNodes.empty())
    {
        m_openNodes.pop_back();
    }
}

bool ParseXmlText(const std::string& text, XmlTree* tree, bool skipHeader)
{
    if (text.size() > static_cast<std::size_t>(std::numeric_limits<int>::max()))
    {
        return false;
    }
    io::MemoryInputStream input(reinterpret_cast<const unsigned char*>(text.data()), static_cast<int>(text.size()));
    XmlTreeReader reader;
    return reader.Read(tree, input, true, skipHeader);
}

}  // namespace ostrum::xml
