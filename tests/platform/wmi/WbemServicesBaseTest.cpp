#include "platform/com/WbemConstants.h"
#include "platform/wmi/WbemServicesBase.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {
// The base alone: nothing served.
class Unserved final : public WbemServicesBase
{
public:
    HRESULT QueryInterface(REFIID, void** object) override
    {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return 1; }
    ULONG Release() override { return 1; }
};

// A value no method would write to an out-pointer.
template <class T>
T* Stale()
{
    return reinterpret_cast<T*>(0x1);
}

// Every kind of out-pointer a method has, each starting stale, so a method that leaves one
// alone shows.
struct Outputs
{
    IWbemServices* ns = Stale<IWbemServices>();
    IWbemCallResult* result = Stale<IWbemCallResult>();
    IWbemObjectSink* sink = Stale<IWbemObjectSink>();
    IWbemClassObject* object = Stale<IWbemClassObject>();
    IEnumWbemClassObject* enumerator = Stale<IEnumWbemClassObject>();

    int Cleared() const
    {
        return (ns == nullptr) + (result == nullptr) + (sink == nullptr) + (object == nullptr) +
               (enumerator == nullptr);
    }
};

struct Refusal
{
    const char* method;
    // How many out-pointers the method has: each must come back null.
    int outputs;
    std::function<HRESULT(IWbemServices&, Outputs&)> call;
};

// Every method of the interface (23).
const std::vector<Refusal> kEveryMethod = {
    {"OpenNamespace", 2,
     [](IWbemServices& s, Outputs& o) { return s.OpenNamespace(nullptr, 0, nullptr, &o.ns, &o.result); }},
    {"CancelAsyncCall", 0, [](IWbemServices& s, Outputs&) { return s.CancelAsyncCall(nullptr); }},
    {"QueryObjectSink", 1, [](IWbemServices& s, Outputs& o) { return s.QueryObjectSink(0, &o.sink); }},
    {"GetObject", 2,
     [](IWbemServices& s, Outputs& o) { return s.GetObject(nullptr, 0, nullptr, &o.object, &o.result); }},
    {"GetObjectAsync", 0, [](IWbemServices& s, Outputs&) { return s.GetObjectAsync(nullptr, 0, nullptr, nullptr); }},
    {"PutClass", 1, [](IWbemServices& s, Outputs& o) { return s.PutClass(nullptr, 0, nullptr, &o.result); }},
    {"PutClassAsync", 0, [](IWbemServices& s, Outputs&) { return s.PutClassAsync(nullptr, 0, nullptr, nullptr); }},
    {"DeleteClass", 1, [](IWbemServices& s, Outputs& o) { return s.DeleteClass(nullptr, 0, nullptr, &o.result); }},
    {"DeleteClassAsync", 0,
     [](IWbemServices& s, Outputs&) { return s.DeleteClassAsync(nullptr, 0, nullptr, nullptr); }},
    {"CreateClassEnum", 1,
     [](IWbemServices& s, Outputs& o) { return s.CreateClassEnum(nullptr, 0, nullptr, &o.enumerator); }},
    {"CreateClassEnumAsync", 0,
     [](IWbemServices& s, Outputs&) { return s.CreateClassEnumAsync(nullptr, 0, nullptr, nullptr); }},
    {"PutInstance", 1, [](IWbemServices& s, Outputs& o) { return s.PutInstance(nullptr, 0, nullptr, &o.result); }},
    {"PutInstanceAsync", 0,
     [](IWbemServices& s, Outputs&) { return s.PutInstanceAsync(nullptr, 0, nullptr, nullptr); }},
    {"DeleteInstance", 1,
     [](IWbemServices& s, Outputs& o) { return s.DeleteInstance(nullptr, 0, nullptr, &o.result); }},
    {"DeleteInstanceAsync", 0,
     [](IWbemServices& s, Outputs&) { return s.DeleteInstanceAsync(nullptr, 0, nullptr, nullptr); }},
    {"CreateInstanceEnum", 1,
     [](IWbemServices& s, Outputs& o) { return s.CreateInstanceEnum(nullptr, 0, nullptr, &o.enumerator); }},
    {"CreateInstanceEnumAsync", 0,
     [](IWbemServices& s, Outputs&) { return s.CreateInstanceEnumAsync(nullptr, 0, nullptr, nullptr); }},
    {"ExecQuery", 1,
     [](IWbemServices& s, Outputs& o) { return s.ExecQuery(nullptr, nullptr, 0, nullptr, &o.enumerator); }},
    {"ExecQueryAsync", 0,
     [](IWbemServices& s, Outputs&) { return s.ExecQueryAsync(nullptr, nullptr, 0, nullptr, nullptr); }},
    {"ExecNotificationQuery", 1,
     [](IWbemServices& s, Outputs& o) { return s.ExecNotificationQuery(nullptr, nullptr, 0, nullptr, &o.enumerator); }},
    {"ExecNotificationQueryAsync", 0,
     [](IWbemServices& s, Outputs&) { return s.ExecNotificationQueryAsync(nullptr, nullptr, 0, nullptr, nullptr); }},
    {"ExecMethod", 2,
     [](IWbemServices& s, Outputs& o) {
         return s.ExecMethod(nullptr, nullptr, 0, nullptr, nullptr, &o.object, &o.result);
     }},
    {"ExecMethodAsync", 0,
     [](IWbemServices& s, Outputs&) { return s.ExecMethodAsync(nullptr, nullptr, 0, nullptr, nullptr, nullptr); }},
};
}  // namespace

TEST(WbemServicesBase, EveryMethodIsRefusedWithItsOutPointersCleared)
{
    Unserved services;
    EXPECT_EQ(kEveryMethod.size(), 23u);
    for (const Refusal& refusal : kEveryMethod)
    {
        Outputs outputs;
        EXPECT_EQ(refusal.call(services, outputs), WBEM_E_NOT_SUPPORTED) << refusal.method;
        EXPECT_EQ(outputs.Cleared(), refusal.outputs) << refusal.method;
    }
}

TEST(WbemServicesBase, NullOutPointersAreAcceptedAndStillRefused)
{
    Unserved services;
    EXPECT_EQ(services.OpenNamespace(nullptr, 0, nullptr, nullptr, nullptr), WBEM_E_NOT_SUPPORTED);
    EXPECT_EQ(services.GetObject(nullptr, 0, nullptr, nullptr, nullptr), WBEM_E_NOT_SUPPORTED);
    EXPECT_EQ(services.ExecMethod(nullptr, nullptr, 0, nullptr, nullptr, nullptr, nullptr), WBEM_E_NOT_SUPPORTED);
    EXPECT_EQ(services.QueryObjectSink(0, nullptr), WBEM_E_NOT_SUPPORTED);
}
