// CCorvessaHelper: the checks of request values (text forms per CIM type, possible values) and
// the look-up of a class definition.
#include "bus/CCorvessaHelper.h"

#include <string_view>

#include <boost/algorithm/string/predicate.hpp>

#include "bus/GenericException.h"
#include "framework/objects/CCorvessaClassObject.h"
#include "framework/CWMITypeInfo.h"
#include "framework/CWmipMapperRegistry.h"
#include "framework/WMIHelper.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "inhouse/BntUtility/StringConversion.h"
#include "platform/com/WbemConstants.h"
#include "platform/win32/UnicodeConversion.h"

using brontel::utility::CWMIDebugLog;
using qpid::types::Variant;

namespace {

constexpr wchar_t kHelperChecksSource[] = L"CorvessaHelper";

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool AllDigits(std::string_view text)
{
    for (const char c : text)
    {
        if (!IsDigit(c))
        {
            return false;
        }
    }
    return true;
}

// The bus's text checks; written out rather than as regular expressions, whose matcher recurses
// per character and could exhaust the stack on a long hostile text.
bool MatchesInteger(std::string_view text)
{
    if (!text.empty() && text.front() == '-')
    {
        text.remove_prefix(1);
    }
    return !text.empty() && AllDigits(text);
}

bool MatchesFloat(std::string_view text)
{
    if (!text.empty() && text.front() == '-')
    {
        text.remove_prefix(1);
    }
    const std::size_t point = text.find('.');
    if (point == std::string_view::npos)
    {
        return !text.empty() && AllDigits(text);
    }
    const std::string_view whole = text.substr(0, point);
    const std::string_view fraction = text.substr(point + 1);
    return AllDigits(whole) && !fraction.empty() && AllDigits(fraction);
}

}  // namespace

// --- Checks and look-ups -------------------------------------------------------------------

bool CCorvessaHelper::IsValidValue(const Variant& value, long cimType)
{
    switch (cimType)
    {
    case CIM_SINT32:
    case CIM_UINT8:
    case CIM_UINT32:
    case CIM_SINT64:
    case CIM_UINT64:
        return IsValidIntegerValue(value);
    case CIM_REAL32:
    case CIM_REAL64:
        return IsValidFloatValue(value);
    case CIM_BOOLEAN:
        return IsValidBooleanValue(value);
    case CIM_DATETIME:
        return IsValidDateTimeValue(value);
    case CIM_STRING:
    case CIM_REFERENCE:
        // Ill-formed bytes would be stored as U+FFFD, a text other than the one sent.
        return value.getType() != qpid::types::VAR_STRING || UnicodeConversion::IsWellFormedUtf8(value.getString());
    default:
        return true;
    }
}

bool CCorvessaHelper::IsValidIntegerValue(const Variant& value)
{
    return MatchesInteger(value.asString());
}

bool CCorvessaHelper::IsValidFloatValue(const Variant& value)
{
    return MatchesFloat(value.asString());
}

bool CCorvessaHelper::IsValidBooleanValue(const Variant& value)
{
    const std::string text = value.asString();
    return boost::algorithm::iequals(text, "true") || boost::algorithm::iequals(text, "false") || text == "0" ||
           text == "1";
}

bool CCorvessaHelper::IsValidDateTimeValue(const Variant& value)
{
    return WMIHelper::ToDateTimeUTC(brontel::utility::ConvertUtf8ToCString(value.asString()), Door::kBus).GetStatus() ==
           COleDateTime::valid;
}

bool CCorvessaHelper::IsSpecifiedValueInPossibleValues(CCorvessaClassObject& served, const CString& propertyName,
                                                       const _variant_t& value)
{
    if (IsVariantEmpty(value))
    {
        return true;
    }
    if (value.vt == VT_I4)
    {
        CString text;
        text.Format(L"%ld", static_cast<long>(value.lVal));
        return IsSpecifiedValueInPossibleValues(served, propertyName, text);
    }
    if (CWMITypeInfo::GetPossibleValues(served, propertyName).empty())
    {
        return true;
    }
    CString text;
    text.Format(L"CCorvessaHelper::IsSpecifiedValueInPossibleValues - Unexpected value type for property: %s::%s.",
                served.GetClassNameW().GetString(), propertyName.GetString());
    CWMIDebugLog::LogError(kHelperChecksSource, __LINE__, text);
    return true;
}

bool CCorvessaHelper::IsSpecifiedValueInPossibleValues(CCorvessaClassObject& served, const CString& propertyName,
                                                       const CString& valueText)
{
    const std::map<CString, CString> possible = CWMITypeInfo::GetPossibleValues(served, propertyName);
    return possible.empty() || possible.count(valueText) != 0;
}

std::shared_ptr<CCorvessaClassObject> CCorvessaHelper::GetTypeInformation(const CString& typeName)
{
    CWMITypeInfo* typeInfo = CWmipMapperRegistry::Instance()->GetTypeInfo(typeName);
    CString message;
    if (typeInfo == nullptr)
    {
        message.Format(L"CCorvessaHelper::GetTypeInformation - Failed to find type %s in the registry.",
                       typeName.GetString());
        throw GenericException(message);
    }
    std::shared_ptr<CCorvessaClassObject> definition = typeInfo->GetTypeInformation();
    if (definition == nullptr)
    {
        message.Format(L"CCorvessaHelper::GetTypeInformation - Failed to build WMI class for type %s.",
                       typeName.GetString());
        throw GenericException(message);
    }
    return definition;
}
