// Refusals named by their code and the property they name, over every registered class: an add
// or an update that leaves out a key the system does not generate is refused as the missing
// required property it is, whichever check meets it first (the instance writer's, or the
// mapper's own in a class with a put of its own).
// A class declared later is covered by its declaration.
#include "framework/CWMITypeInfo.h"
#include "framework/CWmipMapperRegistry.h"
#include "framework/CWmipMessages.h"
#include "simulation/SimulatedInstallation.h"
#include "tests/e2e/DoorTest.h"
#include "tests/support/PropertyText.h"

#include <string>
#include <vector>

using namespace e2e;

namespace {
class RefusalSweep : public DoorTest
{
protected:
    support::SimulatedInstallation m_servers{std::vector<std::wstring>{L"localhost"}};
};
}  // namespace

TEST_F(RefusalSweep, AWriteWithoutAKeyTheSystemDoesNotGenerateNamesThatKeyAsRequired)
{
    CWmipMapperRegistry* registry = CWmipMapperRegistry::Instance();
    CallAs(Callers::kAdministrator);
    int tried = 0;
    for (const CString& className : registry->GetTypeNames())
    {
        const CWMITypeInfo* type = registry->GetTypeInfo(className, true);
        if (type == nullptr || !type->GetTypeConstructor())
            continue;
        const Reply instances = Enum(Form::Sync, className.GetString());
        if (FAILED(instances.result) || instances.objects.empty())
            continue;
        for (const auto& [key, column] : type->GetKeyProperties())
            for (const LONG flags : {WBEM_FLAG_CREATE_ONLY, WBEM_FLAG_UPDATE_ONLY})
            {
                // A generated key is left to each class's own order of checks (a name rule may
                // meet an update without its identity first).
                if (column.IsEmpty() || type->GetPropertyIDType(key) != CWMITypeInfo::kNoIDType)
                    continue;
                SCOPED_TRACE(Utf8(className.GetString()) + "." + Utf8(key.GetString()) +
                             (flags == WBEM_FLAG_CREATE_ONLY ? " add" : " update"));
                ComPtr<IWbemClassObject> copy;
                ASSERT_EQ(instances.objects.front()->Clone(&copy), WBEM_S_NO_ERROR);
                // The copy leaves out the key, and for an add every value an add may not give (a
                // generated identity, a value only the system writes).
                _variant_t none;
                none.vt = VT_NULL;
                ASSERT_EQ(copy->Put(key.GetString(), 0, &none, 0), WBEM_S_NO_ERROR);
                for (const auto& [property, tableDotColumn] : type->GetPropertyColumns())
                    if (flags == WBEM_FLAG_CREATE_ONLY &&
                        (type->IsPropertyViewOnly(property) ||
                         type->GetPropertyIDType(property) != CWMITypeInfo::kNoIDType))
                        copy->Put(property.GetString(), 0, &none, 0);
                const std::vector<Table> before = DoorInstallation::WholeDatabase();
                const Reply reply = Put(Form::Sync, copy.Get(), flags);
                CString reason;
                reason.Format(CWmipMessages::kRequiredProperty, key.GetString());
                if (reply.result != WBEM_E_NOT_SUPPORTED)
                {
                    EXPECT_TRUE(Refused(reply, WBEM_E_ILLEGAL_NULL, reason.GetString()));
                    ++tried;
                }
                EXPECT_EQ(DoorInstallation::WholeDatabase(), before);
            }
    }
    EXPECT_GT(tried, 0);

}
