#include "mappers/records/CWmipBadgeFIPS201.h"
#include "framework/CWmipMessages.h"
#include "mappers/records/helpers/CWmipRecordChecks.h"

#include <cwctype>
#include <vector>

#include "common/StringHelpers.h"
#include "framework/WMIHelper.h"
#include "inhouse/BntCoreDb/CMultiFilterRecordset.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "platform/com/WbemConstants.h"

using brontel::utility::CWMIException;

namespace {

constexpr const wchar_t* kBadgeFIPS201SourceFile = L"wpBadgeFIPS201.cpp";
// Longest byte value a query may name (the columns hold far less).
constexpr int kMaxHexDigits = 512;

bool IsByteColumn(const CString& name)
{
    return name.CompareNoCase(L"FASCN") == 0 || name.CompareNoCase(L"GUID") == 0;
}

}  // namespace

std::optional<CString> CWmipBadgeFIPS201::HexDigitsOf(const CString& literal)
{
    CString digits = literal;
    const int length = digits.GetLength();
    if (length >= 2 && (digits[0] == L'"' || digits[0] == L'\'') && digits[length - 1] == digits[0])
        digits = digits.Mid(1, length - 2);
    if (digits.IsEmpty() || digits.GetLength() % 2 != 0 || digits.GetLength() > kMaxHexDigits)
        return std::nullopt;
    for (int i = 0; i < digits.GetLength(); ++i)
    {
        if (!std::iswxdigit(static_cast<wint_t>(digits[i])))
            return std::nullopt;
    }
    return digits;
}

ProcessClauseResult CWmipBadgeFIPS201::ProcessClause(CString& property, int& wqlOperator, CString& literal,
                                                     CString& extra)
{
    if (!IsByteColumn(property))
        return CWmipMapperSkeleton::ProcessClause(property, wqlOperator, literal, extra);
    // Only hexadecimal digits reach the database, and only as a bound byte value.
    const std::optional<CString> digits = HexDigitsOf(literal);
    if (!digits)
        CWmipRecordChecks::ThrowNamed(kBadgeFIPS201SourceFile, __LINE__, WBEM_E_INVALID_QUERY,
                                      CWmipMessages::kInvalidProperty, property);
    literal = L"0x" + *digits;
    property = L"BADGE_FIPS201." + property;
    property.MakeUpper();
    return ProcessClauseKeep;
}

HRESULT CWmipBadgeFIPS201::ReadHexColumn(IWbemClassObject& instance, const CMultiFilterRecordset& row,
                                         const CString& column)
{
    const CString name = L"BADGE_FIPS201." + column;
    CString text;
    if (!row.IsFieldNull(name))
    {
        const std::vector<BYTE> bytes = row.GetBytes(name);
        text = BytesToHexString(bytes.data(), static_cast<int>(bytes.size()));
    }
    return WMIHelper::PutString(&instance, column.CompareNoCase(L"FASCN") == 0 ? L"FASCN" : L"GUID", text, CIM_STRING);
}
