// What an XmlParser reports to: element starts with their attributes, body text and ends.
//
// Called on the parsing thread, in document order. userData is the parser's untyped pointer,
// handed through unchanged.
#pragma once

#include <string>

namespace ostrum::io {
class PushbackInputStream;
}  // namespace ostrum::io

namespace ostrum::xml {

class XmlAttributeList;
class XmlParser;

class XmlParserCallback
{
public:
    virtual ~XmlParserCallback() = default;

    // An element starts; attributes in document order (values decoded when the parser
    // decodes entities). Valid only during the call.
    virtual void StartElement(const std::string& name, const XmlAttributeList& attributes, XmlParser& parser,
                              void* userData) = 0;
    // The next thing inside elementName is not a tag: read the text from input and leave the
    // input at the next "<". The default reads and drops up to the next "<" (put back) and
    // answers true; false when the input ends first.
    virtual bool Text(const std::string& elementName, io::PushbackInputStream& input, XmlParser& parser,
                      void* userData);
    virtual void EndElement(const std::string& name, XmlParser& parser, void* userData) = 0;

protected:
    // Reads the characters up to the next "<" (which is put back) into text when it is not
    // null; false when the input ends first.
    static bool ReadTextUpToTag(io::PushbackInputStream& input, std::string* text);
};

}  // namespace ostrum::xml
