#include "tests/platform/wmi-service/ServiceTestSupport.h"

#include "platform/wmi/IEnumWbemClassObject.h"
#include "platform/wmi/IWbemCallResult.h"
#include "platform/wmi/WbemContext.h"
#include "platform/wmi/WbemErrorInfo.h"

using namespace servicetest;

namespace {
std::vector<std::wstring> Drain(IEnumWbemClassObject* enumerator)
{
    std::vector<std::wstring> names;
    for (;;)
    {
        IWbemClassObject* object = nullptr;
        ULONG returned = 0;
        const HRESULT hr = enumerator->Next(WBEM_INFINITE, 1, &object, &returned);
        if (returned == 0)
        {
            EXPECT_EQ(hr, WBEM_S_FALSE);
            return names;
        }
        names.push_back(TextOf(object, L"__CLASS"));
        object->Release();
    }
}

std::vector<std::wstring> ClassNames(const std::vector<ComPtr<IWbemClassObject>>& objects)
{
    std::vector<std::wstring> names;
    for (const ComPtr<IWbemClassObject>& object : objects)
        names.push_back(TextOf(object.Get(), L"__CLASS"));
    return names;
}
}  // namespace

using WbemServiceClasses = ServiceFixture;

TEST_F(WbemServiceClasses, GetObjectAnswersClassPathsFromTheRepository)
{
    ComPtr<IWbemClassObject> object;
    ComPtr<IWbemCallResult> callResult;
    ASSERT_EQ(services->GetObject(Text(L"bnt_badge"), 0, nullptr, &object, &callResult), WBEM_S_NO_ERROR);
    EXPECT_EQ(TextOf(object.Get(), L"__CLASS"), L"Bnt_Badge");
    EXPECT_EQ(TextOf(object.Get(), L"__PATH"), L"\\\\HOST1\\root\\Brontel:Bnt_Badge");
    LONG status = 1;
    EXPECT_EQ(callResult->GetCallStatus(0, &status), WBEM_S_NO_ERROR);
    EXPECT_EQ(status, WBEM_S_NO_ERROR);
    ComPtr<IWbemClassObject> fromResult;
    EXPECT_EQ(callResult->GetResultObject(0, &fromResult), WBEM_S_NO_ERROR);
    EXPECT_EQ(fromResult.Get(), object.Get());

    // The same path with this namespace's prefix, and the copies are the caller's own.
    ComPtr<IWbemClassObject> prefixed;
    ASSERT_EQ(services->GetObject(Text(L"\\\\.\\ROOT\\brontel:Bnt_Badge"), 0, nullptr, &prefixed, nullptr),
              WBEM_S_NO_ERROR);
    EXPECT_NE(prefixed.Get(), object.Get());
    EXPECT_TRUE(provider->Calls().empty());
}

TEST_F(WbemServiceClasses, AnEmptyPathGivesANewEmptyClass)
{
    ComPtr<IWbemClassObject> object;
    ASSERT_EQ(services->GetObject(nullptr, 0, nullptr, &object, nullptr), WBEM_S_NO_ERROR);
    ComPtr<IWbemClassObject> named;
    ASSERT_EQ(object->SpawnDerivedClass(0, &named), WBEM_E_INCOMPLETE_CLASS);
    _variant_t name(L"Bnt_Made");
    EXPECT_EQ(object->Put(L"__CLASS", 0, &name, 0), WBEM_S_NO_ERROR);
}

TEST_F(WbemServiceClasses, FailuresAreThoseTheServiceGives)
{
    struct Case
    {
        const wchar_t* path;
        HRESULT expected;
    };
    const Case cases[] = {
        {L"Bnt_Unknown", WBEM_E_NOT_FOUND},          {L"Bnt_Badge.", WBEM_E_INVALID_OBJECT_PATH},
        {L"Bnt Badge", WBEM_E_INVALID_OBJECT_PATH},  {L"root\\Other:Bnt_Badge", WBEM_E_INVALID_NAMESPACE},
        {L"Bnt_Unknown.ID=1", WBEM_E_INVALID_CLASS}, {L"Bnt_Note.Text=\"x\"", WBEM_E_NOT_FOUND},
    };
    for (const Case& one : cases)
    {
        ComPtr<IWbemClassObject> object;
        ComPtr<IWbemCallResult> callResult;
        EXPECT_EQ(services->GetObject(Text(one.path), 0, nullptr, &object, &callResult), one.expected) << one.path;
        EXPECT_FALSE(object) << one.path;
        LONG status = 0;
        callResult->GetCallStatus(0, &status);
        EXPECT_EQ(status, one.expected) << one.path;
        ComPtr<IWbemClassObject> none;
        EXPECT_EQ(callResult->GetResultObject(0, &none), one.expected) << one.path;

        auto sink = MakeComObject<RecordingSink>();
        EXPECT_EQ(services->GetObjectAsync(Text(one.path), 0, nullptr, sink.Get()), WBEM_S_NO_ERROR);
        EXPECT_EQ(sink->FinalStatuses(), 1) << one.path;
        EXPECT_EQ(sink->Result(), one.expected) << one.path;
        EXPECT_TRUE(sink->Objects().empty()) << one.path;
    }
    EXPECT_TRUE(provider->Calls().empty());
    EXPECT_EQ(services->GetObjectAsync(Text(L"Bnt_Badge"), 0, nullptr, nullptr), WBEM_E_INVALID_PARAMETER);
}

TEST_F(WbemServiceClasses, ClassEnumerationIsShallowOrDeepBelowTheSuperclass)
{
    ComPtr<IEnumWbemClassObject> enumerator;
    ASSERT_EQ(services->CreateClassEnum(Text(L"Bnt_Element"), WBEM_FLAG_SHALLOW, nullptr, &enumerator),
              WBEM_S_NO_ERROR);
    EXPECT_EQ(Drain(enumerator.Get()), (std::vector<std::wstring>{L"Bnt_Badge"}));
    ASSERT_EQ(services->CreateClassEnum(Text(L"Bnt_Element"), WBEM_FLAG_DEEP, nullptr, &enumerator), WBEM_S_NO_ERROR);
    EXPECT_EQ(Drain(enumerator.Get()), (std::vector<std::wstring>{L"Bnt_Badge", L"Bnt_TempBadge"}));
    ASSERT_EQ(services->CreateClassEnum(nullptr, WBEM_FLAG_SHALLOW, nullptr, &enumerator), WBEM_S_NO_ERROR);
    EXPECT_EQ(Drain(enumerator.Get()), (std::vector<std::wstring>{L"__SystemClass", L"Bnt_Element", L"Bnt_Note"}));

    auto sink = MakeComObject<RecordingSink>();
    ASSERT_EQ(services->CreateClassEnumAsync(Text(L"__InstanceOperationEvent"), 0, nullptr, sink.Get()),
              WBEM_S_NO_ERROR);
    EXPECT_EQ(ClassNames(sink->Objects()),
              (std::vector<std::wstring>{L"__InstanceCreationEvent", L"__InstanceModificationEvent",
                                         L"__InstanceDeletionEvent"}));
    EXPECT_EQ(sink->FinalStatuses(), 1);
    EXPECT_EQ(sink->Result(), WBEM_S_NO_ERROR);
    EXPECT_TRUE(provider->Calls().empty());
}

TEST_F(WbemServiceClasses, EnumeratingBelowAnUnknownClassIsInvalidClass)
{
    ComPtr<IEnumWbemClassObject> enumerator;
    EXPECT_EQ(services->CreateClassEnum(Text(L"Bnt_Unknown"), 0, nullptr, &enumerator), WBEM_E_INVALID_CLASS);
    EXPECT_FALSE(enumerator);
    auto sink = MakeComObject<RecordingSink>();
    EXPECT_EQ(services->CreateClassEnumAsync(Text(L"Bnt_Unknown"), 0, nullptr, sink.Get()), WBEM_S_NO_ERROR);
    EXPECT_EQ(sink->Result(), WBEM_E_INVALID_CLASS);
    EXPECT_EQ(sink->FinalStatuses(), 1);
    EXPECT_EQ(services->CreateClassEnum(nullptr, 0, nullptr, nullptr), WBEM_E_INVALID_PARAMETER);
}

TEST_F(WbemServiceClasses, UnofferedMethodsAnswerNotSupportedAndClearTheirOutputs)
{
    ComPtr<IWbemServices> child;
    ComPtr<IWbemCallResult> callResult;
    EXPECT_EQ(services->OpenNamespace(Text(L"child"), 0, nullptr, &child, &callResult), WBEM_E_NOT_SUPPORTED);
    EXPECT_FALSE(child);
    EXPECT_EQ(services->PutClass(NewClass(L"Bnt_Put", nullptr).Get(), 0, nullptr, &callResult), WBEM_E_NOT_SUPPORTED);
    EXPECT_EQ(services->DeleteClass(Text(L"Bnt_Note"), 0, nullptr, nullptr), WBEM_E_NOT_SUPPORTED);
    ComPtr<IEnumWbemClassObject> enumerator;
    EXPECT_EQ(services->ExecNotificationQuery(Text(L"WQL"), Text(L"SELECT * FROM __InstanceCreationEvent"), 0, nullptr,
                                              &enumerator),
              WBEM_E_NOT_SUPPORTED);
    ComPtr<IWbemObjectSink> handler;
    EXPECT_EQ(services->QueryObjectSink(0, &handler), WBEM_E_NOT_SUPPORTED);
    EXPECT_TRUE(Stored(*repository, L"Bnt_Note"));
}

TEST_F(WbemServiceClasses, ClassesTheProviderBuildsAtRunTimeAreListedAndRouted)
{
    // A class the repository does not keep, as a provider builds it from its data.
    ComPtr<IWbemClassObject> element;
    ASSERT_EQ(services->GetObject(Text(L"Bnt_Element"), 0, nullptr, &element, nullptr), WBEM_S_NO_ERROR);
    ComPtr<IWbemClassObject> list;
    ASSERT_EQ(element->SpawnDerivedClass(0, &list), WBEM_S_NO_ERROR);
    _variant_t name(L"Bnt_DEPARTMENT");
    ASSERT_EQ(list->Put(L"__CLASS", 0, &name, 0), WBEM_S_NO_ERROR);
    provider->runtimeClasses.push_back(list);

    ComPtr<IEnumWbemClassObject> enumerator;
    ASSERT_EQ(services->CreateClassEnum(Text(L"Bnt_Element"), WBEM_FLAG_SHALLOW, nullptr, &enumerator),
              WBEM_S_NO_ERROR);
    EXPECT_EQ(Drain(enumerator.Get()), (std::vector<std::wstring>{L"Bnt_Badge", L"Bnt_DEPARTMENT"}));
    EXPECT_EQ(provider->classListings, (std::vector<std::wstring>{L"Bnt_Element"}));

    // A class the repository keeps is not listed twice when the provider lists it too.
    ComPtr<IWbemClassObject> badge;
    ASSERT_EQ(services->GetObject(Text(L"Bnt_Badge"), 0, nullptr, &badge, nullptr), WBEM_S_NO_ERROR);
    provider->runtimeClasses.push_back(badge);
    ASSERT_EQ(services->CreateClassEnum(Text(L"Bnt_Element"), WBEM_FLAG_SHALLOW, nullptr, &enumerator),
              WBEM_S_NO_ERROR);
    EXPECT_EQ(Drain(enumerator.Get()), (std::vector<std::wstring>{L"Bnt_Badge", L"Bnt_DEPARTMENT"}));

    // An instance request on the run-time class reaches the provider that lists it; one on a
    // class nobody lists stays unknown.
    ASSERT_EQ(services->CreateInstanceEnum(Text(L"bnt_department"), 0, nullptr, &enumerator), WBEM_S_NO_ERROR);
    ASSERT_EQ(provider->Calls().size(), 1u);
    EXPECT_EQ(provider->Calls()[0].operation, L"CreateInstanceEnumAsync");
    EXPECT_EQ(services->CreateInstanceEnum(Text(L"Bnt_Nothing"), 0, nullptr, &enumerator), WBEM_E_INVALID_CLASS);
    EXPECT_EQ(provider->Calls().size(), 1u);
}
