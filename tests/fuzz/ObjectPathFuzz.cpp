// Fuzz target for object paths: any byte sequence, read as UTF-8 and as one character per
// byte, must parse or be refused without a crash; a refusal says why; the WMI service reads
// every path the provider reads, to the same class and keys; a parsed path must write a path
// text that reads back to the same class and keys, and a query whose WHERE clause holds
// exactly one equality per key with the key's value as the literal.
#include <cstddef>
#include <cstdint>
#include <string>

#include "framework/CWmipObjectPath.h"
#include "framework/CWmipQuery.h"
#include "platform/com/WbemConstants.h"
#include "platform/wmi/WbemPathParser.h"
#include "tests/fuzz/FuzzRequire.h"

using fuzz::Require;

namespace {

void CheckPath(const CString& text)
{
    CString error;
    auto path = CWmipObjectPath::CreateFromPath(text.GetString(), &error);
    // Both readers get the path as callers pass it, a NUL-terminated text: the provider's reader
    // takes a C string, so the service must be given the same text, not the bytes after a NUL.
    WbemPathParser::Result routed;
    const bool serviceReads = SUCCEEDED(WbemPathParser::Parse(std::wstring_view(text.GetString()), &routed));
    if (!path)
    {
        Require(!error.IsEmpty());
        return;
    }
    Require(serviceReads);
    Require(CString(routed.className.c_str()) == path->GetClassName());
    Require(routed.keys.size() == static_cast<std::size_t>(path->GetKeyCount()));
    for (std::size_t i = 0; i < routed.keys.size(); ++i)
        Require(CString(routed.keys[i].value.c_str()) == path->GetKeyValues()[i]);
    const CString written = path->GetPath();
    auto again = CWmipObjectPath::CreateFromPath(written.GetString());
    Require(again != nullptr);
    Require(again->GetClassName() == path->GetClassName());
    Require(again->GetKeyNames() == path->GetKeyNames());
    Require(again->GetKeyValues() == path->GetKeyValues());
    Require(again->IsSingleton() == path->IsSingleton());

    auto query = CWmipQuery::CreateFromObjectPath(*path);
    if (!query)
        return;
    Require(query->GetClassName() == path->GetClassName());
    const WqlExpression* where = query->GetWhereExpression();
    if (path->GetKeyCount() == 0)
    {
        Require(where == nullptr);
        return;
    }
    Require(where != nullptr);
    const bool single = path->GetKeyCount() == 1;
    Require(single ? where->GetKind() == WqlExpression::Kind::Comparison
                   : where->GetKind() == WqlExpression::Kind::And &&
                         where->GetOperands().size() == static_cast<std::size_t>(path->GetKeyCount()));
    for (int i = 0; i < path->GetKeyCount(); ++i)
    {
        const WqlExpression& comparison = single ? *where : *where->GetOperands()[i];
        Require(comparison.GetKind() == WqlExpression::Kind::Comparison);
        Require(comparison.GetOperator() == WqlOpEqual);
        Require(comparison.GetProperty() == path->GetKeyNames()[i]);
        Require(comparison.GetLiteral().Text == path->GetKeyValues()[i]);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    CheckPath(Utf8ToCString(bytes));
    std::wstring wide;
    for (unsigned char byte : bytes)
    {
        if (byte == 0)
            break;
        wide.push_back(static_cast<wchar_t>(byte));
    }
    CheckPath(CString(wide));
    return 0;
}
