#include <gtest/gtest.h>

#include <atomic>

#include "platform/com/ComClassTable.h"
#include "tests/platform/com/CountingObject.h"

namespace {
constexpr CLSID kProbeClass = {0x1f2e3d4c, 0x5b6a, 0x7988, {0x97, 0xa6, 0xb5, 0xc4, 0xd3, 0xe2, 0xf1, 0x00}};
constexpr CLSID kOtherClass = {0x1f2e3d4c, 0x5b6a, 0x7988, {0x97, 0xa6, 0xb5, 0xc4, 0xd3, 0xe2, 0xf1, 0x01}};

// A self-freeing probe that counts the live objects of its kind.
class LiveProbe final : public RefCounted<LiveProbe, IProbe>
{
public:
    explicit LiveProbe(std::atomic<int>& live) : m_live(live) { ++m_live; }
    ~LiveProbe() { --m_live; }
    HRESULT QueryInterface(REFIID iid, void** object) override
    {
        if (object == nullptr)
            return E_POINTER;
        *object = nullptr;
        if (!(iid == IUnknown::kIID || iid == IProbe::kIID))
            return E_NOINTERFACE;
        *object = static_cast<IProbe*>(this);
        AddRef();
        return S_OK;
    }
    int Value() override { return 42; }

private:
    std::atomic<int>& m_live;
};

ComClassTable::Factory ProbeFactory(std::atomic<int>& live)
{
    return [&live] { return ComPtr<IUnknown>(MakeComObject<LiveProbe>(live)); };
}

struct CreateCase
{
    const char* name;
    bool registered;
    bool aggregate;
    DWORD context;
    IID iid;
    HRESULT expected;
};

TEST(ComClassTable, CreateResultsTable)
{
    std::atomic<int> live{0};
    const ScopedComClassRegistration registration(kProbeClass, ProbeFactory(live));
    CountingObject outer;
    const CreateCase cases[] = {
        {"registered, every context", true, false, CLSCTX_ALL, IProbe::kIID, S_OK},
        {"the filter checker's context 0x17", true, false, 0x17, IUnknown::kIID, S_OK},
        {"local server only still runs in-process", true, false, CLSCTX_LOCAL_SERVER, IProbe::kIID, S_OK},
        {"interface the object lacks", true, false, CLSCTX_ALL, IAbsent::kIID, E_NOINTERFACE},
        {"aggregation refused", true, true, CLSCTX_ALL, IProbe::kIID, CLASS_E_NOAGGREGATION},
        {"no server kind", true, false, 0x8, IProbe::kIID, E_INVALIDARG},
        {"not registered", false, false, CLSCTX_ALL, IProbe::kIID, REGDB_E_CLASSNOTREG},
    };
    for (const CreateCase& test : cases)
    {
        void* object = reinterpret_cast<void*>(1);
        const HRESULT hr = CoCreateInstance(test.registered ? kProbeClass : kOtherClass,
                                            test.aggregate ? &outer : nullptr, test.context, test.iid, &object);
        EXPECT_EQ(hr, test.expected) << test.name;
        if (SUCCEEDED(hr))
        {
            ASSERT_NE(object, nullptr) << test.name;
            EXPECT_EQ(OleRun(static_cast<IUnknown*>(object)), S_OK);
            static_cast<IUnknown*>(object)->Release();
        }
        else
            EXPECT_EQ(object, nullptr) << test.name;
        // A failed request leaves no object behind.
        EXPECT_EQ(live.load(), 0) << test.name;
    }
    EXPECT_EQ(CoCreateInstance(kProbeClass, nullptr, CLSCTX_ALL, IProbe::kIID, nullptr), E_POINTER);
    EXPECT_EQ(OleRun(nullptr), E_INVALIDARG);
}

TEST(ComClassTable, FactoryMayCreateAnotherClassAndAnEmptyObjectIsOutOfMemory)
{
    std::atomic<int> live{0};
    const ScopedComClassRegistration inner(kOtherClass, ProbeFactory(live));
    // The table's lock is not held while a factory runs: this would deadlock otherwise.
    const ScopedComClassRegistration outer(kProbeClass, [] {
        void* object = nullptr;
        CoCreateInstance(kOtherClass, nullptr, CLSCTX_INPROC_SERVER, IUnknown::kIID, &object);
        ComPtr<IUnknown> made;
        made.Attach(static_cast<IUnknown*>(object));
        return made;
    });
    void* object = nullptr;
    ASSERT_EQ(CoCreateInstance(kProbeClass, nullptr, CLSCTX_ALL, IProbe::kIID, &object), S_OK);
    static_cast<IUnknown*>(object)->Release();
    EXPECT_EQ(live.load(), 0);

    const ScopedComClassRegistration empty(kProbeClass, [] { return ComPtr<IUnknown>(); });
    EXPECT_EQ(CoCreateInstance(kProbeClass, nullptr, CLSCTX_ALL, IProbe::kIID, &object), E_OUTOFMEMORY);
    EXPECT_EQ(object, nullptr);
}

TEST(ComClassTable, ARegistrationEndsWithItsScope)
{
    std::atomic<int> live{0};
    {
        const ScopedComClassRegistration registration(kProbeClass, ProbeFactory(live));
    }
    void* object = nullptr;
    EXPECT_EQ(CoCreateInstance(kProbeClass, nullptr, CLSCTX_ALL, IProbe::kIID, &object), REGDB_E_CLASSNOTREG);
}
}  // namespace
