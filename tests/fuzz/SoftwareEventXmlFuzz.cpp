// Fuzz target for the XML text of a software event: any bytes, read as UTF-8, must load or be
// refused with a parse error code and no crash. A loaded document's root element writes XML
// that loads again and writes the same XML, and the selections the event road makes run on it.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/mfc/CString.h"
#include "platform/xml/XmlDocument.h"
#include "tests/fuzz/FuzzRequire.h"

using fuzz::Require;

namespace {

// Walks the element tree (bounded by the document's own depth limit).
void Walk(const XmlNode& node)
{
    node.GetName();
    node.GetText();
    for (const XmlNode& child : node.GetChildElements())
        Walk(child);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const CString text = Utf8ToCString(std::string(reinterpret_cast<const char*>(data), size));
    XmlDocument document;
    if (!document.LoadXML(text.GetWString()))
    {
        Require(document.GetParseError().errorCode != 0);
        Require(document.GetDocumentElement().IsNull());
        return 0;
    }
    const XmlNode root = document.GetDocumentElement();
    Require(!root.IsNull());
    Walk(root);
    for (const wchar_t* path : {L"/ROOT/NEWDATA", L"/ROOT/OLDDATA/*", L"//EMP/ID", L"ROOT/NEWDATA/*[1]"})
        document.SelectSingleNode(path);

    const CString written = root.GetXml();
    XmlDocument again;
    Require(again.LoadXML(written.GetWString()));
    Require(again.GetDocumentElement().GetXml() == written);
    return 0;
}
