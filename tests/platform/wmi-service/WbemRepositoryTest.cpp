#include "tests/platform/wmi-service/ServiceTestSupport.h"

#include "platform/wmi/WbemRepository.h"

#include <algorithm>
#include <atomic>

using namespace servicetest;

namespace {
std::vector<std::wstring> StoredClassNames(const std::vector<ComPtr<WbemClassObject>>& classes)
{
    std::vector<std::wstring> names;
    for (const ComPtr<WbemClassObject>& one : classes)
        names.push_back(one->ClassName());
    return names;
}

std::vector<std::wstring> Below(WbemRepository& repository, const wchar_t* superclass, bool deep)
{
    std::vector<ComPtr<WbemClassObject>> classes;
    EXPECT_EQ(repository.EnumerateClasses(superclass, deep, &classes), WBEM_S_NO_ERROR) << superclass;
    return StoredClassNames(classes);
}

std::vector<std::wstring> PropertyNames(WbemClassObject& object)
{
    std::vector<std::wstring> names;
    for (const WbemClassObject::PropertyInfo& property : object.Properties())
        names.push_back(property.name);
    return names;
}
}  // namespace

TEST(WbemRepository, HoldsTheSystemClassesTheProviderUses)
{
    WbemRepository repository(kServer, kNamespace);
    auto status = Stored(repository, L"__extendedstatus");
    ASSERT_TRUE(status);
    EXPECT_EQ(status->SuperclassName(), L"__NotifyStatus");
    EXPECT_EQ(PropertyNames(*status), (std::vector<std::wstring>{L"StatusCode", L"Description", L"Operation",
                                                                 L"ParameterInfo", L"ProviderName"}));
    EXPECT_EQ(TextOf(status.Get(), L"__PATH"), L"\\\\HOST1\\root\\Brontel:__ExtendedStatus");

    // What the provider writes into a status object is accepted, a negative code included.
    ComPtr<IWbemClassObject> instance;
    ASSERT_EQ(status->SpawnInstance(0, &instance), WBEM_S_NO_ERROR);
    _variant_t code(static_cast<LONG>(WBEM_E_ACCESS_DENIED));
    EXPECT_EQ(instance->Put(L"StatusCode", 0, &code, 0), WBEM_S_NO_ERROR);

    auto modification = Stored(repository, L"__InstanceModificationEvent");
    ASSERT_TRUE(modification);
    EXPECT_EQ(modification->InheritsFrom(L"__Event"), WBEM_S_NO_ERROR);
    EXPECT_EQ(PropertyNames(*modification), (std::vector<std::wstring>{L"SECURITY_DESCRIPTOR", L"TIME_CREATED",
                                                                       L"TargetInstance", L"PreviousInstance"}));
    EXPECT_TRUE(Stored(repository, L"__InstanceCreationEvent"));
    EXPECT_TRUE(Stored(repository, L"__InstanceDeletionEvent"));
    EXPECT_TRUE(Stored(repository, L"__ExtrinsicEvent"));
    EXPECT_TRUE(Stored(repository, L"__Event")->Qualifiers()->IsTrue(L"abstract"));
}

TEST(WbemRepository, HandsOutCopiesThatCannotChangeTheStoredClass)
{
    auto repository = MakeRepository();
    auto copy = Stored(*repository, L"Bnt_Badge");
    ASSERT_EQ(copy->Put(L"Extra", 0, nullptr, CIM_STRING), WBEM_S_NO_ERROR);
    ASSERT_EQ(copy->Delete(L"Name"), WBEM_S_NO_ERROR);
    auto again = Stored(*repository, L"BNT_BADGE");
    EXPECT_EQ(PropertyNames(*again), (std::vector<std::wstring>{L"ID", L"Name"}));
    EXPECT_EQ(TextOf(again.Get(), L"__NAMESPACE"), kNamespace);
}

TEST(WbemRepository, EnumeratesShallowAndDeepInStoringOrder)
{
    auto repository = MakeRepository();
    EXPECT_EQ(Below(*repository, L"Bnt_Element", false), (std::vector<std::wstring>{L"Bnt_Badge"}));
    EXPECT_EQ(Below(*repository, L"bnt_element", true), (std::vector<std::wstring>{L"Bnt_Badge", L"Bnt_TempBadge"}));
    EXPECT_EQ(Below(*repository, L"Bnt_TempBadge", true), std::vector<std::wstring>{});
    EXPECT_EQ(Below(*repository, L"", false),
              (std::vector<std::wstring>{L"__SystemClass", L"Bnt_Element", L"Bnt_Note"}));
    const std::vector<std::wstring> all = Below(*repository, L"", true);
    EXPECT_EQ(all.size(), 14u);
    EXPECT_EQ(all.front(), L"__SystemClass");
    EXPECT_EQ(all.back(), L"Bnt_Note");
    EXPECT_EQ(Below(*repository, L"__Event", false),
              (std::vector<std::wstring>{L"__ExtrinsicEvent", L"__InstanceOperationEvent"}));

    std::vector<ComPtr<WbemClassObject>> classes;
    EXPECT_EQ(repository->EnumerateClasses(L"Bnt_Unknown", true, &classes), WBEM_E_INVALID_CLASS);
    EXPECT_EQ(repository->EnumerateClasses(L"", true, nullptr), WBEM_E_INVALID_PARAMETER);
}

TEST(WbemRepository, RefusesClassesItCannotKeepConsistent)
{
    auto repository = MakeRepository();
    auto orphan = NewClass(L"Bnt_Orphan", NewClass(L"Bnt_Missing", nullptr).Get());
    EXPECT_EQ(repository->PutClass(orphan.Get(), 0), WBEM_E_INVALID_SUPERCLASS);
    EXPECT_EQ(repository->PutClass(NewClass(L"__MySystem", nullptr).Get(), 0), WBEM_E_INVALID_OPERATION);
    EXPECT_EQ(repository->PutClass(WbemClassObject::CreateEmptyClass().Get(), 0), WBEM_E_INCOMPLETE_CLASS);
    EXPECT_EQ(repository->PutClass(nullptr, 0), WBEM_E_INVALID_PARAMETER);
    auto instance = MakeBadge(*repository, 1, L"one");
    EXPECT_EQ(repository->PutClass(instance.Get(), 0), WBEM_E_INVALID_PARAMETER);

    // Replacing a class that has subclasses would leave them with the old definition.
    auto element = NewClass(L"Bnt_Element", nullptr);
    EXPECT_EQ(repository->PutClass(element.Get(), 0), WBEM_E_CLASS_HAS_CHILDREN);
    auto note = NewClass(L"Bnt_Note", nullptr);
    EXPECT_EQ(repository->PutClass(note.Get(), WBEM_FLAG_CREATE_ONLY), WBEM_E_ALREADY_EXISTS);
    EXPECT_EQ(repository->PutClass(note.Get(), WBEM_FLAG_UPDATE_ONLY), WBEM_S_NO_ERROR);
    EXPECT_EQ(PropertyNames(*Stored(*repository, L"Bnt_Note")), std::vector<std::wstring>{});
    EXPECT_EQ(repository->PutClass(NewClass(L"Bnt_New", nullptr).Get(), WBEM_FLAG_UPDATE_ONLY), WBEM_E_NOT_FOUND);
    // A replaced class keeps its place in the listing.
    EXPECT_EQ(Below(*repository, L"", false).back(), L"Bnt_Note");
}

TEST(WbemRepository, NamesTheProviderOfDynamicClassesOnly)
{
    auto repository = MakeRepository();
    std::wstring provider = L"unchanged";
    EXPECT_EQ(repository->GetInstanceProvider(L"bnt_tempbadge", &provider), WBEM_S_NO_ERROR);
    EXPECT_EQ(provider, kProviderName);
    EXPECT_EQ(repository->GetInstanceProvider(L"Bnt_Note", &provider), WBEM_S_NO_ERROR);
    EXPECT_EQ(provider, L"");
    EXPECT_EQ(repository->GetInstanceProvider(L"Bnt_Unknown", &provider), WBEM_E_NOT_FOUND);

    auto lost = NewClass(L"Bnt_Lost", nullptr);
    ComPtr<IWbemQualifierSet> qualifiers;
    lost->GetQualifierSet(&qualifiers);
    PutQualifier(qualifiers.Get(), L"Dynamic", _variant_t(true));
    ASSERT_EQ(repository->PutClass(lost.Get(), 0), WBEM_S_NO_ERROR);
    EXPECT_EQ(repository->GetInstanceProvider(L"Bnt_Lost", &provider), WBEM_E_INVALID_PROVIDER_REGISTRATION);
}

TEST(WbemRepository, ServesReadersOnSeveralThreads)
{
    auto repository = MakeRepository();
    std::vector<std::thread> readers;
    std::atomic<int> failures{0};
    for (int t = 0; t < 4; ++t)
    {
        readers.emplace_back([&repository, &failures] {
            for (int i = 0; i < 200; ++i)
            {
                ComPtr<WbemClassObject> copy;
                std::vector<ComPtr<WbemClassObject>> classes;
                if (repository->GetClass(L"Bnt_Badge", &copy) != WBEM_S_NO_ERROR ||
                    repository->EnumerateClasses(L"", true, &classes) != WBEM_S_NO_ERROR)
                    ++failures;
            }
        });
    }
    auto extra = NewClass(L"Bnt_Extra", nullptr);
    EXPECT_EQ(repository->PutClass(extra.Get(), 0), WBEM_S_NO_ERROR);
    for (std::thread& reader : readers)
        reader.join();
    EXPECT_EQ(failures.load(), 0);
}
