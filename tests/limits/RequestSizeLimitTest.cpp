// Size limits on hostile requests, each at the limit itself (accepted) and one step beyond it
// (refused): the texts and lists of WQL, object paths, raw SQL filters and IN lists, and the
// byte literals of badge records. The limits that other tables already walk on both sides (query
// length, nesting, comparisons, path keys, identifiers of paths and SQL) are not repeated here.
#include "framework/CWmipObjectPath.h"
#include "framework/CWmipQuery.h"
#include "framework/wql/WqlLimits.h"
#include "framework/wql/WqlParser.h"
#include "inhouse/BntCoreDb/CDBException.h"
#include "inhouse/BntCoreDb/CDBValue.h"
#include "inhouse/BntCoreDb/CMultiFilterRecordset.h"
#include "inhouse/BntCoreDb/CRecordsetQuery.h"
#include "inhouse/BntCoreDb/CSqlText.h"
#include "mappers/records/CWmipBadgeFIPS201.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {
// A text of the length given: the prefix, then 'a's, then the suffix.
std::wstring Padded(const std::wstring& prefix, std::size_t length, const std::wstring& suffix)
{
    return prefix + std::wstring(length - prefix.size() - suffix.size(), L'a') + suffix;
}

// True when the call throws no database refusal.
bool NotRefused(const std::function<void()>& call)
{
    try
    {
        call();
        return true;
    }
    catch (const CDBException&)
    {
        return false;
    }
}

struct SizeLimit
{
    const char* limit;
    std::size_t max;
    // The smallest size beyond the limit that no other rule refuses.
    std::size_t step;
    std::function<bool(std::size_t)> accepts;
};

std::vector<SizeLimit> SizeLimits()
{
    return {
        {"object path text", WqlLimits::kMaxPathLength, 1,
         [](std::size_t n) {
             return CWmipObjectPath::CreateFromPath(Padded(L"Bnt_X.Name=\"", n, L"\"").c_str()) != nullptr;
         }},
        {"WHERE text", WqlLimits::kMaxQueryLength, 1,
         [](std::size_t n) {
             CString error;
             return WqlParser::ParseWhereText(Padded(L"WHERE Name = '", n, L"'"), error) != nullptr;
         }},
        {"selected properties", WqlLimits::kMaxSelectedProperties, 1,
         [](std::size_t n) {
             std::wstring text = L"SELECT P0";
             for (std::size_t i = 1; i < n; ++i)
                 text += L", P" + std::to_wstring(i);
             return CWmipQuery::CreateFromQuery((text + L" FROM X").c_str()) != nullptr;
         }},
        {"WQL identifier", WqlLimits::kMaxIdentifierLength, 1,
         [](std::size_t n) {
             return CWmipQuery::CreateFromQuery((L"SELECT * FROM " + std::wstring(n, L'C')).c_str()) != nullptr;
         }},
        {"raw SQL filter text", CSqlText::kMaxRawTextLength, 1,
         [](std::size_t n) {
             return NotRefused([n] { CSqlText::CheckRawText(CString(L'x', static_cast<int>(n)), 0); });
         }},
        {"IN filter values", CRecordsetQuery::kMaxInValues, 1,
         [](std::size_t n) {
             return NotRefused([n] {
                 CRecordsetQuery query;
                 query.AddFilterIn(L"BADGE.ID", std::vector<CDBValue>(n, CDBValue(1)),
                                   CMultiFilterRecordset::AndFilter);
             });
         }},
        // Odd digit counts are refused for being odd; the next length is two digits more.
        {"badge record byte literal", 512, 2,
         [](std::size_t n) {
             return CWmipBadgeFIPS201::HexDigitsOf(CString((L"\"" + std::wstring(n, L'A') + L"\"").c_str()))
                 .has_value();
         }},
    };
}
}  // namespace

TEST(RequestSizeLimits, EachTakesItsLimitAndRefusesOneStepBeyond)
{
    for (const SizeLimit& size : SizeLimits())
    {
        SCOPED_TRACE(std::string(size.limit) + " at " + std::to_string(size.max));
        EXPECT_TRUE(size.accepts(size.max));
        EXPECT_FALSE(size.accepts(size.max + size.step));
    }
}
