// Refusals named by their code and the property they name, over every registered class: an add
// or an update that leaves out a key the system does not generate is refused as the missing
// required property it is, whichever check meets it first (the instance writer's, or the
// mapper's own in a class with a put of its own).
// A class declared later is covered by its declaration.
#include "framework/CWMITypeInfo.h"
#include "framework/CWmipMapperRegistry.h"
#include "framework/CWmipMessages.h"
#include "simulation/SimulatedInstallation.h"
#include "inhouse/BntUtility/StringConversion.h"
#include "tests/e2e/DoorTest.h"
#include "tests/isolation/BusDoor.h"
#include "tests/support/ClassGroups.h"
#include "tests/support/InstallationDatabase.h"
#include "tests/support/TestCallers.h"
#include "tests/support/PropertyText.h"

#include <algorithm>
#include <string>
#include <vector>

using namespace e2e;

namespace {
// The sweep of missing keys runs a test per class group.
class RefusalSweep : public DoorTest, public ::testing::WithParamInterface<support::ClassGroup>
{
protected:
    // Whether the class is the test's group's; each class is in one group.
    bool InGroup(const CString& className) const
    {
        EXPECT_EQ(std::count_if(support::kClassGroups.begin(), support::kClassGroups.end(),
                                [&](const support::ClassGroup& group) { return group.Holds(className.GetString()); }),
                  1)
            << Utf8(className.GetString());
        return GetParam().Holds(className.GetString());
    }

    support::SimulatedInstallation m_servers{std::vector<std::wstring>{L"localhost"}};
};
}  // namespace

TEST_P(RefusalSweep, AWriteWithoutAKeyTheSystemDoesNotGenerateNamesThatKeyAsRequired)
{
    CWmipMapperRegistry* registry = CWmipMapperRegistry::Instance();
    CallAs(Callers::kAdministrator);
    int tried = 0;
    for (const CString& className : registry->GetTypeNames())
    {
        const CWMITypeInfo* type = registry->GetTypeInfo(className, true);
        if (!InGroup(className) || type == nullptr || !type->GetTypeConstructor())
            continue;
        const Reply instances = Enum(Form::Sync, className.GetString());
        if (FAILED(instances.result) || instances.objects.empty())
            continue;
        for (const auto& [key, column] : type->GetKeyProperties())
            for (const LONG flags : {WBEM_FLAG_CREATE_ONLY, WBEM_FLAG_UPDATE_ONLY})
            {
                // A generated key is left to each class's own order of checks (a name rule may
                // meet an update without its identity first).
                if (column.IsEmpty() || type->GetPropertyIDType(key) != kNoIdType)
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
                        (type->IsPropertyViewOnly(property) || type->GetPropertyIDType(property) != kNoIdType))
                        copy->Put(property.GetString(), 0, &none, 0);
                const Table before = DoorInstallation::Digest();
                const Reply reply = Put(Form::Sync, copy.Get(), flags);
                CString reason;
                reason.Format(CWmipMessages::kRequiredProperty, key.GetString());
                if (reply.result != WBEM_E_NOT_SUPPORTED)
                {
                    EXPECT_TRUE(Refused(reply, WBEM_E_ILLEGAL_NULL, reason.GetString()));
                    ++tried;
                }
                EXPECT_EQ(DoorInstallation::Digest(), before);
            }
    }
    EXPECT_GT(tried, 0);
}

// A text one character over its limit, or holding a NUL, is refused before any class's own
// check, on both doors: the class's write (the instance writer's, or a put of its own) never
// meets it, and the refusal names the property.
TEST_F(RefusalSweep, ATextOfTheWrongFormIsRefusedNamingItsPropertyOnBothDoors)
{
    support::InstallationDatabase::Execute(DoorInstallation::DatabaseFile(),
                                           support::TestCallers::Sql({support::callers::kBusAdministrator}));
    isolation::BusDoor bus;
    const std::string token = bus.Login("busadmin");
    CWmipMapperRegistry* registry = CWmipMapperRegistry::Instance();
    int tried = 0;
    for (const CString& className : registry->GetTypeNames())
    {
        const CWMITypeInfo* type = registry->GetTypeInfo(className, true);
        if (type == nullptr || !type->GetTypeConstructor())
            continue;
        CallAs(Callers::kAdministrator);
        const Reply instances = Enum(Form::Sync, className.GetString());
        if (FAILED(instances.result) || instances.objects.empty())
            continue;
        SCOPED_TRACE(Utf8(className.GetString()));
        const Table before = DoorInstallation::Digest();
        // The stored record's plain values, less what an add may not give.
        CCorvessaQpidInstance::ValueMap values;
        for (const auto& [property, column] : type->GetPropertyColumns())
        {
            const LONG cimType = type->GetPropertyType(property);
            if (type->IsPropertyViewOnly(property) || type->GetPropertyIDType(property) != kNoIdType ||
                (cimType != CIM_STRING && cimType != CIM_SINT32 && cimType != CIM_BOOLEAN))
                continue;
            const std::string text = support::PropertyText(instances.objects.front().Get(), property.GetString());
            if (text != "<null>" && text != "<missing>")
                values[Utf8(property.GetString())] = text;
        }
        for (const auto& [property, column] : type->GetPropertyColumns())
        {
            const LONG limit = type->GetPropertyLength(property);
            if (type->GetPropertyType(property) != CIM_STRING || type->IsPropertyViewOnly(property) ||
                type->IsPropertyReadOnly(property))
                continue;
            CString reason;
            reason.Format(CWmipMessages::kInvalidProperty, property.GetString());
            const std::string bad[] = {std::string("with\0nul", 8), std::string(std::size_t(limit) + 1, 'x')};
            for (std::size_t i = limit > 0 ? 0 : 1; i < std::size(bad) - (limit > 0 ? 0 : 1); ++i)
            {
                SCOPED_TRACE(Utf8(property.GetString()) + (i == 0 ? " with a NUL" : " over its limit"));
                ComPtr<IWbemClassObject> copy;
                ASSERT_EQ(instances.objects.front()->Clone(&copy), WBEM_S_NO_ERROR);
                const CString wide = brontel::utility::ConvertUtf8ToCString(bad[i]);
                _variant_t text;
                text.vt = VT_BSTR;
                text.bstrVal = SysAllocStringLen(wide.GetString(), static_cast<UINT>(wide.GetLength()));
                ASSERT_EQ(copy->Put(property.GetString(), 0, &text, 0), WBEM_S_NO_ERROR);
                EXPECT_TRUE(Refused(Put(Form::Sync, copy.Get(), WBEM_FLAG_UPDATE_ONLY), WBEM_E_INVALID_PARAMETER,
                                    reason.GetString()));
                CCorvessaQpidInstance::ValueMap given = values;
                given[Utf8(property.GetString())] = bad[i];
                const std::string answer = bus.Add(token, className.GetString(), given);
                EXPECT_TRUE(answer.starts_with(std::string(CCorvessaException::kInvalidRequestItemKey) + " | ") &&
                            EndsWith(answer, Utf8(reason.GetString())))
                    << answer;
                ++tried;
            }
        }
        EXPECT_EQ(DoorInstallation::Digest(), before);
    }
    EXPECT_GT(tried, 0);
}

INSTANTIATE_TEST_SUITE_P(Classes, RefusalSweep, ::testing::ValuesIn(support::kClassGroups), support::ClassGroupName);
