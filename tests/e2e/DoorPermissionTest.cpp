// Who may use the WMI door: a caller linked to no user, a user without the right to use the
// provider, and users without the view right of a class, each with the status and the
// extended status text the client sees.
#include "tests/e2e/DoorTest.h"
#include "tests/e2e/ServedClass.h"

#include "framework/CWmipMessages.h"

using namespace e2e;

namespace {
constexpr char kNoProviderRight[] = "The client does not have sufficient user permissions to perform the requested "
                                    "operation. The user does not have permission to use Fluxmere.";
constexpr char kNotLinked[] = "The client does not have access to use Fluxmere. The user account has not been linked.";

class DoorPermissions : public DoorTest
{
protected:
    // Every instance request of every served class is refused with the message: an
    // enumeration completes with WBEM_S_ACCESS_DENIED and nothing, the others fail.
    void ExpectEveryRequestRefused(const std::string& message)
    {
        for (const ServedClass& served : ServedClass::All())
            for (const Form form : kBothForms)
            {
                SCOPED_TRACE(Utf8(served.name) + " " + NameOf(form));
                const Reply enumeration = Enum(form, served.name);
                EXPECT_EQ(enumeration.result, WBEM_S_ACCESS_DENIED) << Hex(enumeration.result);
                EXPECT_TRUE(enumeration.objects.empty());
                // A success code carries its status object only to an asynchronous caller.
                if (form == Form::Async)
                {
                    EXPECT_TRUE(EndsWith(Description(enumeration.statusObject), message))
                        << Description(enumeration.statusObject);
                }

                const Reply query = Query(form, std::wstring(L"SELECT * FROM ") + served.name);
                EXPECT_EQ(query.result, WBEM_E_ACCESS_DENIED) << Hex(query.result);
                EXPECT_TRUE(query.objects.empty());
                EXPECT_TRUE(EndsWith(Description(query.statusObject), message)) << Description(query.statusObject);

                const Reply get = Get(form, served.foundPath);
                EXPECT_EQ(get.result, WBEM_E_ACCESS_DENIED) << Hex(get.result);
                EXPECT_TRUE(get.objects.empty());
                EXPECT_TRUE(EndsWith(Description(get.statusObject), message)) << Description(get.statusObject);

                // A path that cannot name an instance is refused for the caller first.
                const Reply malformed = Get(form, served.wrongKeysPath);
                EXPECT_EQ(malformed.result, WBEM_E_ACCESS_DENIED) << Hex(malformed.result);

                const Reply deletion = Delete(form, served.foundPath);
                EXPECT_EQ(deletion.result, WBEM_E_ACCESS_DENIED) << Hex(deletion.result);
                EXPECT_TRUE(EndsWith(Description(deletion.statusObject), message))
                    << Description(deletion.statusObject);

                const ComPtr<IWbemClassObject> instance = NewInstance(served.name);
                ASSERT_TRUE(instance);
                _variant_t key(static_cast<LONG>(1));
                ASSERT_EQ(instance->Put(served.properties.front(), 0, &key, 0), WBEM_S_NO_ERROR);
                const Reply put = Put(form, instance.Get(), 0);
                EXPECT_EQ(put.result, WBEM_E_ACCESS_DENIED) << Hex(put.result);
                EXPECT_FALSE(put.hasText);
                EXPECT_TRUE(EndsWith(Description(put.statusObject), message)) << Description(put.statusObject);
            }
    }
};
}  // namespace

TEST_F(DoorPermissions, CallerWithoutTheRightToUseTheProviderIsRefusedEveryInstanceRequest)
{
    // The guest holds both view rights, but not the provider's.
    CallAs(Callers::kGuest);
    ExpectEveryRequestRefused(kNoProviderRight);
}

TEST_F(DoorPermissions, CallerLinkedToNoUserIsToldSo)
{
    CallAs(Callers::kStranger);
    ExpectEveryRequestRefused(kNotLinked);
}

TEST_F(DoorPermissions, ClassDefinitionsDoNotDependOnTheCaller)
{
    for (const wchar_t* caller : {Callers::kGuest, Callers::kStranger})
    {
        CallAs(caller);
        for (const Form form : kBothForms)
        {
            const Reply reply = Get(form, L"Bnt_Holiday");
            EXPECT_EQ(reply.result, WBEM_S_NO_ERROR) << Hex(reply.result);
            ASSERT_EQ(reply.objects.size(), 1u);
            EXPECT_EQ(reply.objects.front()->Get(L"Name", 0, nullptr, nullptr, nullptr), WBEM_S_NO_ERROR);
        }
    }
}

TEST_F(DoorPermissions, CallerWithoutTheViewRightOfAClassSeesNoneOfItsInstances)
{
    // The operator may use the provider but view neither the events nor the calendar; the
    // clerk may view the calendar only.
    const struct
    {
        const wchar_t* caller;
        DWORD missing;
    } callers[] = {
        {Callers::kOperator, kViewEventConfigurationPermission},
        {Callers::kOperator, kViewCalendarPermission},
        {Callers::kClerk, kViewEventConfigurationPermission},
    };
    for (const auto& c : callers)
    {
        CallAs(c.caller);
        for (const ServedClass& served : ServedClass::All())
        {
            if (served.viewPermission != c.missing)
                continue;
            for (const Form form : kBothForms)
            {
                SCOPED_TRACE(Utf8(served.name) + " " + NameOf(form) + " " + Utf8(c.caller));
                const Reply enumeration = Enum(form, served.name);
                EXPECT_EQ(enumeration.result, WBEM_S_ACCESS_DENIED) << Hex(enumeration.result);
                EXPECT_TRUE(enumeration.objects.empty());
                if (form == Form::Async)
                {
                    EXPECT_EQ(StatusCode(enumeration.statusObject.Get()), WBEM_E_ACCESS_DENIED);
                    EXPECT_TRUE(
                        EndsWith(Description(enumeration.statusObject.Get()), Utf8(CWmipMessages::kAccessDenied)))
                        << Description(enumeration.statusObject.Get());
                }

                const Reply query = Query(form, std::wstring(L"SELECT * FROM ") + served.name + L" WHERE " +
                                                    served.properties.front() + L" > 0");
                EXPECT_TRUE(Refused(query, WBEM_E_ACCESS_DENIED, CWmipMessages::kAccessDenied));
                EXPECT_TRUE(query.objects.empty());
                EXPECT_EQ(StatusCode(query.statusObject.Get()), WBEM_E_ACCESS_DENIED);

                // The keyed read reports the view check's answer as it stands, without a status.
                const Reply get = Get(form, served.foundPath);
                EXPECT_EQ(get.result, WBEM_E_ACCESS_DENIED) << Hex(get.result);
                EXPECT_TRUE(get.objects.empty());
                EXPECT_EQ(get.statusObject, nullptr);
            }
        }
    }
}

TEST_F(DoorPermissions, WorldTimezonesNeedOnlyTheRightToUseTheProvider)
{
    const ServedClass& world = ServedClass::Named(L"Bnt_WorldTimezone");
    for (const wchar_t* caller : {Callers::kOperator, Callers::kClerk})
    {
        CallAs(caller);
        for (const Form form : kBothForms)
        {
            SCOPED_TRACE(Utf8(caller) + " " + NameOf(form));
            const Reply reply = Enum(form, world.name);
            EXPECT_EQ(reply.result, WBEM_S_NO_ERROR) << Hex(reply.result);
            EXPECT_EQ(reply.objects.size(), DoorInstallation::Rows("SELECT * FROM WORLDTZ").size());
            EXPECT_EQ(Get(form, world.foundPath).result, WBEM_S_NO_ERROR);
        }
    }
}
