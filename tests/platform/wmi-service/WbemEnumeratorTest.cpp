#include "tests/platform/wmi-service/ServiceTestSupport.h"

#include "platform/wmi/WbemCallResult.h"
#include "platform/wmi/WbemEnumerator.h"

using namespace servicetest;

namespace {
WbemEnumerator::ObjectList Badges(int count)
{
    static auto repository = MakeRepository();
    WbemEnumerator::ObjectList objects;
    for (int i = 0; i < count; ++i)
        objects.push_back(MakeBadge(*repository, i, std::to_wstring(i).c_str()));
    return objects;
}

std::wstring Take(IEnumWbemClassObject* enumerator, ULONG count, HRESULT expected)
{
    std::vector<IWbemClassObject*> objects(count + 1, nullptr);
    ULONG returned = 99;
    EXPECT_EQ(enumerator->Next(WBEM_INFINITE, count, objects.data(), &returned), expected);
    std::wstring names;
    for (ULONG i = 0; i < returned; ++i)
    {
        names += TextOf(objects[i], L"Name");
        objects[i]->Release();
    }
    EXPECT_EQ(objects[count], nullptr);
    return names;
}
}  // namespace

TEST(WbemEnumerator, NextGivesObjectsInOrderAndSaysWhenItRanShort)
{
    auto enumerator = WbemEnumerator::Create(Badges(3));
    EXPECT_EQ(Take(enumerator.Get(), 2, WBEM_S_NO_ERROR), L"01");
    EXPECT_EQ(Take(enumerator.Get(), 2, WBEM_S_FALSE), L"2");
    EXPECT_EQ(Take(enumerator.Get(), 1, WBEM_S_FALSE), L"");
    EXPECT_EQ(enumerator->Reset(), WBEM_S_NO_ERROR);
    EXPECT_EQ(enumerator->Skip(0, 2), WBEM_S_NO_ERROR);
    EXPECT_EQ(enumerator->Skip(0, 2), WBEM_S_FALSE);
    EXPECT_EQ(Take(enumerator.Get(), 1, WBEM_S_FALSE), L"");
}

TEST(WbemEnumerator, ClonesKeepTheirOwnPosition)
{
    auto enumerator = WbemEnumerator::Create(Badges(3));
    EXPECT_EQ(Take(enumerator.Get(), 1, WBEM_S_NO_ERROR), L"0");
    ComPtr<IEnumWbemClassObject> copy;
    ASSERT_EQ(enumerator->Clone(&copy), WBEM_S_NO_ERROR);
    EXPECT_EQ(Take(copy.Get(), 5, WBEM_S_FALSE), L"12");
    EXPECT_EQ(Take(enumerator.Get(), 1, WBEM_S_NO_ERROR), L"1");
}

TEST(WbemEnumerator, NextAsyncIndicatesThenReportsOnce)
{
    auto enumerator = WbemEnumerator::Create(Badges(3));
    auto sink = MakeComObject<RecordingSink>();
    ASSERT_EQ(enumerator->NextAsync(2, sink.Get()), WBEM_S_NO_ERROR);
    EXPECT_EQ(sink->Objects().size(), 2u);
    EXPECT_EQ(sink->FinalStatuses(), 1);
    EXPECT_EQ(sink->Result(), WBEM_S_NO_ERROR);
    auto rest = MakeComObject<RecordingSink>();
    ASSERT_EQ(enumerator->NextAsync(2, rest.Get()), WBEM_S_NO_ERROR);
    EXPECT_EQ(rest->Objects().size(), 1u);
    EXPECT_EQ(rest->Result(), WBEM_S_FALSE);
    EXPECT_EQ(enumerator->NextAsync(1, nullptr), WBEM_E_INVALID_PARAMETER);
}

TEST(WbemEnumerator, RefusesBadArguments)
{
    auto enumerator = WbemEnumerator::Create(Badges(1));
    ULONG returned = 0;
    IWbemClassObject* object = nullptr;
    EXPECT_EQ(enumerator->Next(0, 1, nullptr, &returned), WBEM_E_INVALID_PARAMETER);
    EXPECT_EQ(enumerator->Next(0, 1, &object, nullptr), WBEM_E_INVALID_PARAMETER);
    EXPECT_EQ(enumerator->Next(-5, 1, &object, &returned), WBEM_E_INVALID_PARAMETER);
    EXPECT_EQ(enumerator->Clone(nullptr), WBEM_E_INVALID_PARAMETER);
    // Nothing was consumed by the refused calls.
    EXPECT_EQ(Take(enumerator.Get(), 1, WBEM_S_NO_ERROR), L"0");
}

TEST(WbemCallResult, AnswersFromTheFinishedCall)
{
    auto done = WbemCallResult::Create(WBEM_S_NO_ERROR, nullptr, L"Bnt_Badge.ID=3");
    BSTR text = nullptr;
    ASSERT_EQ(done->GetResultString(WBEM_INFINITE, &text), WBEM_S_NO_ERROR);
    EXPECT_STREQ(text, L"Bnt_Badge.ID=3");
    SysFreeString(text);
    ComPtr<IWbemClassObject> object;
    EXPECT_EQ(done->GetResultObject(0, &object), WBEM_E_NOT_FOUND);
    ComPtr<IWbemServices> services;
    EXPECT_EQ(done->GetResultServices(0, &services), WBEM_E_NOT_SUPPORTED);

    auto failed = WbemCallResult::Create(WBEM_E_ACCESS_DENIED, nullptr, L"");
    LONG status = 0;
    ASSERT_EQ(failed->GetCallStatus(0, &status), WBEM_S_NO_ERROR);
    EXPECT_EQ(status, WBEM_E_ACCESS_DENIED);
    EXPECT_EQ(failed->GetResultString(0, &text), WBEM_E_ACCESS_DENIED);
    EXPECT_EQ(text, nullptr);
    EXPECT_EQ(failed->GetCallStatus(0, nullptr), WBEM_E_INVALID_PARAMETER);
}
