#include "mappers/devices/QpidTypeConverter.h"

#include "platform/win32/UnicodeConversion.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <stdexcept>

namespace {

using qpid::types::Variant;

void WriteString(std::string_view given, std::string& out)
{
    // Texts the system makes are UTF-8 already; only malformed bytes pay for the repair, and
    // plain ASCII (a binary value's Base64 among it) is never widened to look for them.
    const bool ascii =
        std::all_of(given.begin(), given.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    const std::wstring decoded = ascii ? std::wstring() : UnicodeConversion::DecodeUtf8(given);
    const std::string repaired = decoded.find(UnicodeConversion::kReplacementCharacter) == std::wstring::npos
                                     ? std::string()
                                     : UnicodeConversion::EncodeUtf8(decoded);
    const std::string_view text = repaired.empty() ? given : std::string_view(repaired);
    // Escapes only lengthen a text: its own length is the least it adds. A sixteenth more leaves
    // room for what follows a long text (the rest of its object), so that the whole is not grown
    // and copied again; room never written costs no memory.
    out.reserve(out.size() + text.size() + text.size() / 16 + 2);
    out += '"';
    for (const char c : text)
    {
        const auto byte = static_cast<unsigned char>(c);
        switch (c)
        {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (byte < 0x20)
            {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
                out += escaped;
            }
            else
            {
                out += c;
            }
        }
    }
    out += '"';
}

void Write(const Variant& value, int depth, std::string& out)
{
    if (depth > QpidTypeConverter::kMaxDepth)
        throw std::length_error("bus value nested too deeply for JSON");
    switch (value.getType())
    {
    case qpid::types::VAR_VOID:
        out += "null";
        return;
    case qpid::types::VAR_BOOL:
        out += value.asBool() ? "true" : "false";
        return;
    case qpid::types::VAR_FLOAT:
    case qpid::types::VAR_DOUBLE:
        if (!std::isfinite(value.asDouble()))
            throw std::invalid_argument("JSON carries no NaN or infinity");
        out += value.asString();
        return;
    case qpid::types::VAR_UUID:
        WriteString(value.asString(), out);
        return;
    case qpid::types::VAR_STRING:
        // The text held, not a copy of it.
        WriteString(value.getString(), out);
        return;
    case qpid::types::VAR_MAP: {
        out += '{';
        bool first = true;
        for (const auto& [key, item] : value.asMap())
        {
            out += first ? "" : ",";
            first = false;
            WriteString(key, out);
            out += ':';
            Write(item, depth + 1, out);
        }
        out += '}';
        return;
    }
    case qpid::types::VAR_LIST: {
        out += '[';
        bool first = true;
        for (const Variant& item : value.asList())
        {
            out += first ? "" : ",";
            first = false;
            Write(item, depth + 1, out);
        }
        out += ']';
        return;
    }
    default:
        // Every integer width reads as its decimal text.
        out += value.asString();
        return;
    }
}

}  // namespace

std::string QpidTypeConverter::JsonString(std::string_view utf8)
{
    std::string out;
    WriteString(utf8, out);
    return out;
}

std::string QpidTypeConverter::ToJson(const Variant& value)
{
    std::string out;
    Write(value, 0, out);
    return out;
}
