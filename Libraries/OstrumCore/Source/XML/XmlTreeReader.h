// Builds an XmlTree from a parsed document: the XmlParserCallback behind the library's XML
// settings files.
//
// Every element becomes a node under the element open when it started; the root element
// fills the target tree itself (its name and attributes; children and text it already has
// stay). Body text is kept only when asked for, and only the last run before a tag stays on a
// node. The reader owns its parser; the target tree is borrowed for one Read. One thread.
#pragma once

#include "Libraries/OstrumCore/Source/XML/XmlParserCallback.h"

#include <memory>
#include <string>
#include <vector>

namespace ostrum::io {
class InputStream;
}  // namespace ostrum::io

namespace ostrum::xml {

class XmlParser;
class XmlTree;
class XmlTreeNode;

class XmlTreeReader : public XmlParserCallback
{
public:
    XmlTreeReader();
    XmlTreeReader(const XmlTreeReader&) = delete;
    XmlTreeReader& operator=(const XmlTreeReader&) = delete;
    ~XmlTreeReader() override;

    // Parses input into tree; the parser's result (its error texts stay readable through
    // GetParser). On failure the tree keeps what was built before the error.
    bool Read(XmlTree* tree, io::InputStream& input, bool keepText, bool skipHeader);
    const XmlParser& GetParser() const;

    void StartElement(const std::string& name, const XmlAttributeList& attributes, XmlParser& parser,
                      void* userData) override;
    bool Text(const std::string& elementName, io::PushbackInputStream& input, XmlParser& parser,
              void* userData) override;
    void EndElement(const std::string& name, XmlParser& parser, void* userData) override;

private:
    bool m_keepText = false;
    std::unique_ptr<XmlParser> m_parser;
    XmlTree* m_tree = nullptr;
    std::vector<XmlTreeNode*> m_openNodes;
};

// Parses a whole document held in text into tree, keeping body text.
bool ParseXmlText(const std::string& text, XmlTree* tree, bool skipHeader);

}  // namespace ostrum::xml
