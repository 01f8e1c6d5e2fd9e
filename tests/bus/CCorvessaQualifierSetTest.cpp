#include "framework/objects/CCorvessaQualifierSet.h"
#include "platform/com/WbemConstants.h"
#include "platform/wmi/IWbemContext.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
std::vector<std::wstring> QualifierNames(CCorvessaQualifierSet& set)
{
    std::vector<std::wstring> names;
    set.BeginEnumeration(0);
    BSTR name = nullptr;
    while (set.Next(0, &name, nullptr, nullptr) == WBEM_S_NO_ERROR)
    {
        names.emplace_back(name);
        SysFreeString(name);
    }
    set.EndEnumeration();
    return names;
}

void Put(CCorvessaQualifierSet& set, const wchar_t* name, _variant_t value)
{
    ASSERT_EQ(set.Put(name, &value, 3), WBEM_S_NO_ERROR);
}
}  // namespace

TEST(CCorvessaQualifierSet, NamesAreCaseSensitive)
{
    CCorvessaQualifierSet set;
    Put(set, L"key", _variant_t(true));
    _variant_t value(LONG(9));
    LONG flavor = 77;
    EXPECT_EQ(set.Get(L"Key", 0, &value, &flavor), WBEM_E_NOT_FOUND);
    EXPECT_EQ(value.vt, VT_I4);
    ASSERT_EQ(set.Get(L"key", 0, &value, &flavor), WBEM_S_NO_ERROR);
    EXPECT_EQ(value.vt, VT_BOOL);
    EXPECT_EQ(flavor, 77);
}

TEST(CCorvessaQualifierSet, PutReplacesAndDeleteKeepsTheQualifier)
{
    CCorvessaQualifierSet set;
    Put(set, L"maxlen", _variant_t(LONG(10)));
    Put(set, L"maxlen", _variant_t(LONG(20)));
    EXPECT_EQ(QualifierNames(set), (std::vector<std::wstring>{L"maxlen"}));
    EXPECT_EQ(set.Delete(L"maxlen"), WBEM_S_NO_ERROR);
    _variant_t value;
    ASSERT_EQ(set.Get(L"maxlen", 0, &value, nullptr), WBEM_S_NO_ERROR);
    EXPECT_EQ(value.lVal, 20);
}

TEST(CCorvessaQualifierSet, AssignmentMergesIntoTheTarget)
{
    CCorvessaQualifierSet source;
    Put(source, L"a", _variant_t(LONG(1)));
    Put(source, L"shared", _variant_t(L"source"));
    CCorvessaQualifierSet target;
    Put(target, L"b", _variant_t(LONG(2)));
    Put(target, L"shared", _variant_t(L"target"));
    source.BeginEnumeration(0);
    target = source;
    EXPECT_EQ(QualifierNames(target), (std::vector<std::wstring>{L"a", L"b", L"shared"}));
    _variant_t shared;
    target.Get(L"shared", 0, &shared, nullptr);
    EXPECT_STREQ(shared.bstrVal, L"source");
    // The source's enumeration was run and ended by the assignment.
    BSTR name = nullptr;
    EXPECT_EQ(source.Next(0, &name, nullptr, nullptr), WBEM_S_NO_MORE_DATA);
}

TEST(CCorvessaQualifierSet, EnumerationNeedsABeginningAndEntries)
{
    CCorvessaQualifierSet set;
    BSTR name = nullptr;
    EXPECT_EQ(set.Next(0, &name, nullptr, nullptr), WBEM_S_NO_MORE_DATA);
    set.BeginEnumeration(0);
    EXPECT_EQ(set.Next(0, &name, nullptr, nullptr), WBEM_S_NO_MORE_DATA);
    Put(set, L"z", _variant_t(LONG(1)));
    Put(set, L"A", _variant_t(LONG(2)));
    EXPECT_EQ(QualifierNames(set), (std::vector<std::wstring>{L"A", L"z"}));
}

TEST(CCorvessaQualifierSet, MissingArgumentsAreReportedNotThrown)
{
    CCorvessaQualifierSet set;
    EXPECT_EQ(set.Put(L"q", nullptr, 0), E_POINTER);
    EXPECT_EQ(QualifierNames(set), std::vector<std::wstring>{});
    SAFEARRAY* names = reinterpret_cast<SAFEARRAY*>(0x1);
    EXPECT_EQ(set.GetNames(0, &names), WBEM_E_NOT_SUPPORTED);
    EXPECT_EQ(names, nullptr);
    void* raw = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(set.QueryInterface(IWbemContext::kIID, &raw), E_NOINTERFACE);
    EXPECT_EQ(raw, nullptr);
    ASSERT_EQ(set.QueryInterface(IWbemQualifierSet::kIID, &raw), S_OK);
    EXPECT_EQ(raw, static_cast<void*>(static_cast<IWbemQualifierSet*>(&set)));
    set.Release();
}
