// Several clients at once through the WMI door, each on its own thread as its own caller:
// every call gets the answer of its own caller, and every asynchronous call one final status.
#include "tests/e2e/DoorTest.h"
#include "tests/e2e/ServedClass.h"

#include <atomic>
#include <functional>
#include <thread>
#include <vector>

using namespace e2e;

namespace {
constexpr int kRounds = 15;

class DoorConcurrency : public DoorTest
{
};
}  // namespace

TEST_F(DoorConcurrency, ParallelCallersEachGetTheirOwnAnswer)
{
    const ServedClass& definitions = ServedClass::Named(L"Bnt_EventSubtypeDefinition");
    const ServedClass& world = ServedClass::Named(L"Bnt_WorldTimezone");
    const Table allDefinitions = Sorted(DoorInstallation::Rows("SELECT " + definitions.columns + " FROM EVENT"));
    const Table fireDefinitions =
        Sorted(DoorInstallation::Rows("SELECT " + definitions.columns + " FROM EVENT WHERE EVTYPEID = 7"));
    const size_t worldRows = DoorInstallation::Rows("SELECT * FROM WORLDTZ").size();
    std::atomic<int> wrong{0};

    // What each kind of caller must be answered.
    auto viewer = [&](Form form) {
        const Reply all = Enum(form, definitions.name);
        const Reply fire = Query(form, L"SELECT * FROM Bnt_EventSubtypeDefinition WHERE TypeID = 7");
        return all.result == WBEM_S_NO_ERROR && Values(all.objects, definitions.properties) == allDefinitions &&
               fire.result == WBEM_S_NO_ERROR && Values(fire.objects, definitions.properties) == fireDefinitions;
    };
    auto operatorCaller = [&](Form form) {
        const Reply refused = Enum(form, definitions.name);
        const Reply zones = Enum(form, world.name);
        return refused.result == WBEM_S_ACCESS_DENIED && refused.objects.empty() && zones.result == WBEM_S_NO_ERROR &&
               zones.objects.size() == worldRows;
    };
    auto guest = [&](Form form) {
        const Reply refused = Query(form, L"SELECT * FROM Bnt_WorldTimezone");
        const Reply get = Get(form, world.foundPath);
        return refused.result == WBEM_E_ACCESS_DENIED && refused.objects.empty() &&
               get.result == WBEM_E_ACCESS_DENIED && get.objects.empty();
    };

    struct Client
    {
        const wchar_t* sid;
        std::function<bool(Form)> check;
    };
    const Client clients[] = {
        {Callers::kViewer, viewer},        {Callers::kOperator, operatorCaller}, {Callers::kGuest, guest},
        {Callers::kAdministrator, viewer}, {Callers::kOperator, operatorCaller}, {Callers::kStranger, guest},
    };
    std::vector<std::thread> threads;
    for (const Client& client : clients)
        threads.emplace_back([&wrong, &client] {
            const CallerIdentity::Scope caller(CallerIdentity(client.sid, SecurityImpersonation));
            for (int round = 0; round < kRounds; ++round)
                for (const Form form : kBothForms)
                    if (!client.check(form))
                        ++wrong;
        });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(wrong.load(), 0);
}
