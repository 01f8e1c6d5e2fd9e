#include "tools/provixa/ProvixaBusJson.h"

#include <cmath>

#include "tools/provixa/ProvixaOutput.h"
#include "tools/provixa/ProvixaText.h"

namespace {
std::string Text(const std::string& utf8)
{
    return ProvixaOutput::JsonString(ProvixaText::FromUtf8(utf8));
}

std::string Real(double value, const std::string& text)
{
    // JSON has no infinities or NaN.
    return std::isfinite(value) ? text : "null";
}
}  // namespace

std::string ProvixaBusJson::Json(const qpid::types::Variant& value)
{
    using namespace qpid::types;
    switch (value.getType())
    {
    case VAR_VOID:
        return "null";
    case VAR_BOOL:
        return value.asBool() ? "true" : "false";
    case VAR_UINT8:
    case VAR_UINT16:
    case VAR_UINT32:
    case VAR_UINT64:
    case VAR_INT8:
    case VAR_INT16:
    case VAR_INT32:
    case VAR_INT64:
        return value.asString();
    case VAR_FLOAT:
    case VAR_DOUBLE:
        return Real(value.asDouble(), value.asString());
    case VAR_MAP:
        return Json(value.asMap());
    case VAR_LIST: {
        std::string json = "[";
        for (const Variant& element : value.asList())
            json += (json.size() > 1 ? "," : "") + Json(element);
        return json + "]";
    }
    default:
        return Text(value.asString());
    }
}

std::string ProvixaBusJson::Json(const qpid::types::Variant::Map& map)
{
    std::string json = "{";
    for (const auto& [key, value] : map)
        json += (json.size() > 1 ? "," : "") + Text(key) + ":" + Json(value);
    return json + "}";
}
