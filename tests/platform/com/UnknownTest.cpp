#include "platform/com/Unknown.h"

#include "tests/platform/com/CountingObject.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

TEST(Guid, EqualOnlyWhenEveryFieldMatches)
{
    const GUID base = IProbe::kIID;
    EXPECT_TRUE(IsEqualGUID(base, IProbe::kIID));
    GUID changed = base;
    changed.Data1 ^= 1;
    EXPECT_FALSE(changed == base);
    changed = base;
    changed.Data2 ^= 1;
    EXPECT_FALSE(changed == base);
    changed = base;
    changed.Data3 ^= 1;
    EXPECT_FALSE(changed == base);
    changed = base;
    changed.Data4[7] ^= 1;
    EXPECT_FALSE(changed == base);
}

TEST(Guid, UnknownHasItsWindowsIdentifier)
{
    constexpr GUID expected = {0, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
    static_assert(IID_IUnknown == expected);
    static_assert(sizeof(GUID) == 16);
}

TEST(ComPtr, CopyAddsReferenceAndDestructionGivesItBack)
{
    CountingObject object;
    {
        ComPtr<IProbe> first(&object);
        EXPECT_EQ(object.Count(), 1u);
        ComPtr<IProbe> second = first;
        EXPECT_EQ(object.Count(), 2u);
        ComPtr<IProbe> third;
        third = second;
        EXPECT_EQ(object.Count(), 3u);
        const auto& self = third;
        third = self;
        EXPECT_EQ(object.Count(), 3u);
    }
    EXPECT_EQ(object.Count(), 0u);
}

TEST(ComPtr, MoveTransfersWithoutCounting)
{
    CountingObject object;
    ComPtr<IProbe> first(&object);
    ComPtr<IProbe> second(std::move(first));
    EXPECT_EQ(object.Count(), 1u);
    EXPECT_EQ(first.Get(), nullptr);
    ComPtr<IUnknown> base(std::move(second));
    EXPECT_EQ(object.Count(), 1u);
    base = nullptr;
    EXPECT_EQ(object.Count(), 0u);
}

TEST(ComPtr, AssigningRawPointerSharesNewAndReleasesOld)
{
    CountingObject oldObject;
    CountingObject newObject;
    ComPtr<IProbe> pointer(&oldObject);
    pointer = &newObject;
    EXPECT_EQ(oldObject.Count(), 0u);
    EXPECT_EQ(newObject.Count(), 1u);
    EXPECT_EQ(pointer->Value(), 7);
}

TEST(ComPtr, OutPointerAccessReleasesHeldReferenceFirst)
{
    CountingObject held;
    CountingObject produced;
    ComPtr<IProbe> pointer(&held);
    IProbe** slot = &pointer;
    EXPECT_EQ(held.Count(), 0u);
    EXPECT_EQ(*slot, nullptr);
    produced.AddRef();
    *slot = &produced;
    EXPECT_EQ(pointer.Get(), &produced);
    pointer.Reset();
    EXPECT_EQ(produced.Count(), 0u);
}

TEST(ComPtr, AttachAdoptsAndDetachHandsOverWithoutCounting)
{
    CountingObject object;
    object.AddRef();
    ComPtr<IProbe> pointer;
    pointer.Attach(&object);
    EXPECT_EQ(object.Count(), 1u);
    IProbe* raw = pointer.Detach();
    EXPECT_EQ(raw, &object);
    EXPECT_EQ(object.Count(), 1u);
    EXPECT_EQ(pointer.Get(), nullptr);
    raw->Release();
}

TEST(ComPtr, AsQueriesTheRequestedInterface)
{
    CountingObject object;
    ComPtr<IUnknown> unknown(&object);
    ComPtr<IProbe> probe = unknown.As<IProbe>();
    ASSERT_NE(probe.Get(), nullptr);
    EXPECT_EQ(probe->Value(), 7);
    EXPECT_EQ(object.Count(), 2u);

    ComPtr<IAbsent> absent = unknown.As<IAbsent>();
    EXPECT_EQ(absent.Get(), nullptr);
    EXPECT_EQ(object.Count(), 2u);

    ComPtr<IUnknown> empty;
    EXPECT_EQ(empty.As<IProbe>().Get(), nullptr);
}

class Counted final : public RefCounted<Counted, IProbe, IAbsent>
{
public:
    explicit Counted(std::atomic<int>& destroyed) : m_destroyed(destroyed) {}
    ~Counted() { ++m_destroyed; }

    HRESULT QueryInterface(REFIID iid, void** object) override
    {
        if (object == nullptr)
            return E_POINTER;
        *object = nullptr;
        if (iid == IUnknown::kIID || iid == IProbe::kIID)
            *object = static_cast<IProbe*>(this);
        else if (iid == IAbsent::kIID)
            *object = static_cast<IAbsent*>(this);
        else
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    int Value() override { return 1; }

private:
    std::atomic<int>& m_destroyed;
};

TEST(RefCounted, ObjectFreesItselfAtLastRelease)
{
    std::atomic<int> destroyed = 0;
    {
        ComPtr<Counted> object = MakeComObject<Counted>(destroyed);
        ComPtr<IAbsent> second = object.As<IAbsent>();
        ASSERT_NE(second.Get(), nullptr);
        object.Reset();
        EXPECT_EQ(destroyed, 0);
        EXPECT_EQ(second->AddRef(), 2u);
        EXPECT_EQ(second->Release(), 1u);
    }
    EXPECT_EQ(destroyed, 1);
}

TEST(RefCounted, ConcurrentReferencesFreeExactlyOnce)
{
    std::atomic<int> destroyed = 0;
    ComPtr<Counted> object = MakeComObject<Counted>(destroyed);
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t)
    {
        threads.emplace_back([shared = object]() {
            for (int i = 0; i < 10000; ++i)
            {
                ComPtr<Counted> copy = shared;
                copy->AddRef();
                copy->Release();
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(destroyed, 0);
    object.Reset();
    EXPECT_EQ(destroyed, 1);
}

// Each case runs on a thread of its own: the initialisation count belongs to the thread.
template <class Body>
void OnFreshThread(Body body)
{
    std::thread thread(body);
    thread.join();
}

TEST(CoInitialize, NestedCallsAnswerFalseUntilFullyUninitialised)
{
    OnFreshThread([] {
        EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
        EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_FALSE);
        CoUninitialize();
        EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_FALSE);
        CoUninitialize();
        CoUninitialize();
        CoUninitialize();
        EXPECT_EQ(CoInitialize(nullptr), S_OK);
        CoUninitialize();
    });
}

TEST(CoInitialize, OtherThreadingModeIsRefused)
{
    OnFreshThread([] {
        EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED | COINIT_DISABLE_OLE1DDE), S_OK);
        EXPECT_EQ(CoInitialize(nullptr), RPC_E_CHANGED_MODE);
        CoUninitialize();
        EXPECT_EQ(CoInitialize(nullptr), S_OK);
        CoUninitialize();
    });
}

TEST(CoInitialize, CountIsPerThreadAndArgumentsAreChecked)
{
    OnFreshThread([] {
        EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
        OnFreshThread([] {
            EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
            CoUninitialize();
        });
        int reserved = 0;
        EXPECT_EQ(CoInitializeEx(&reserved, COINIT_MULTITHREADED), E_INVALIDARG);
        EXPECT_EQ(CoInitializeEx(nullptr, 0x100), E_INVALIDARG);
        CoUninitialize();
    });
}

TEST(CoTaskMem, ZeroBytesGiveADistinctBlockAndNullFreesNothing)
{
    void* first = CoTaskMemAlloc(0);
    void* second = CoTaskMemAlloc(0);
    EXPECT_NE(first, nullptr);
    EXPECT_NE(first, second);
    CoTaskMemFree(first);
    CoTaskMemFree(second);
    CoTaskMemFree(nullptr);
}

}  // namespace
