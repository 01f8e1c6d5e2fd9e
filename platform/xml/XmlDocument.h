// XmlDocument: the XML document calls the event road makes (load a text, read its parse
// error, select single nodes by XPath), on libxml2.
//
// Texts come from outside and are hostile: the parser never loads a DTD or any external
// entity, never touches the network, and refuses a document that declares a DTD at all
// (entity-expansion and external-entity payloads need one), a text longer than kMaxTextLength
// characters, an element with more than kMaxAttributesPerElement attributes, more than
// kMaxNodes nodes and elements nested deeper than kMaxDepth. The shape limits are checked by
// one pass over the text before the parser runs, since the parser's cost grows with the square
// of an element's attributes. A refusal reads like any other parse error.
//
// Owned by its user; one document is used by one thread at a time. Nodes handed out keep the
// parsed tree alive (see XmlNode).
#pragma once

#include <memory>
#include <string_view>

#include "platform/mfc/CString.h"
#include "platform/win32/WinTypes.h"
#include "platform/xml/XmlNode.h"

// The parse error of the last load: errorCode 0 after a successful load.
struct XmlParseError
{
    LONG errorCode = 0;
    LONG line = 0;
    LONG linePosition = 0;
    CString reason;
};

class XmlDocument
{
public:
    // Limits on hostile input, checked before and after parsing.
    static constexpr std::size_t kMaxTextLength = 4 * 1024 * 1024;
    static constexpr int kMaxDepth = 64;
    static constexpr std::size_t kMaxAttributesPerElement = 256;
    // Elements, attributes, comments, character data sections and processing instructions.
    static constexpr std::size_t kMaxNodes = 100000;
    // Error codes of our own refusals (the parser's codes are positive and below these).
    static constexpr LONG kErrorTooLong = 0x10001;
    static constexpr LONG kErrorDtdRefused = 0x10002;
    static constexpr LONG kErrorTooDeep = 0x10003;
    static constexpr LONG kErrorNoMemory = 0x10004;
    static constexpr LONG kErrorTooManyAttributes = 0x10005;
    static constexpr LONG kErrorTooManyNodes = 0x10006;

    XmlDocument();
    ~XmlDocument();
    XmlDocument(const XmlDocument&) = delete;
    XmlDocument& operator=(const XmlDocument&) = delete;

    // Only "SelectionLanguage" = "XPath" is offered (selections are always XPath 1.0): true for
    // it, false for any other property or value.
    bool SetProperty(std::wstring_view name, std::wstring_view value);
    // Parses the text as the document (replacing an earlier one). True on success; false with
    // the parse error set and an empty document (every selection then finds nothing).
    bool LoadXML(std::wstring_view text);
    // The error of the last LoadXML (errorCode 0 when it succeeded or nothing was loaded).
    const XmlParseError& GetParseError() const { return m_parseError; }
    // The document node's selection (see XmlNode::SelectSingleNode); the null node when no
    // document is loaded.
    XmlNode SelectSingleNode(std::wstring_view xpath) const;
    // The root element; the null node when no document is loaded.
    XmlNode GetDocumentElement() const;

private:
    void Fail(LONG code, LONG line, LONG position, const CString& reason);

    std::shared_ptr<const XmlNode::Tree> m_tree;
    XmlParseError m_parseError;
};
