#include "tests/framework/mappers/MapperTestFixture.h"

#include "framework/CWmipObjectPath.h"
#include "framework/WMIHelper.h"
#include "inhouse/BntCoreDb/CMultiFilterRecordset.h"
#include "platform/com/WbemConstants.h"

using namespace mappertest;

namespace {

// The badge mapper of the fixture with BADGE.STATUS hooked: the hook shows the stored status plus
// 100, or fails with the failure it is given.
class HookedBadgeMapper : public TestBadgeMapper
{
public:
    HookedBadgeMapper(const CAcsUser* user, IWbemServices* services) : TestBadgeMapper(user, nullptr, services)
    {
        static constexpr ColumnHook kHooks[] = {
            {L"BADGE", L"STATUS", Reader<&HookedBadgeMapper::ReadStatus>},
        };
        SetColumnHooks(kHooks);
    }

    std::vector<CString> columnsRead;
    HRESULT failure = S_OK;

private:
    HRESULT ReadStatus(IWbemClassObject& instance, const CMultiFilterRecordset& row, const CString& column)
    {
        columnsRead.push_back(column);
        if (FAILED(failure))
            return failure;
        _variant_t value(static_cast<LONG>(row.GetLong(L"BADGE.STATUS") + 100));
        return instance.Put(L"Status", 0, &value, 0);
    }
};

class ColumnHooks : public MapperTest
{
protected:
    std::unique_ptr<HookedBadgeMapper> MakeHooked()
    {
        LoginCaller();
        auto mapper = std::make_unique<HookedBadgeMapper>(m_connection.get(), &m_services);
        mapper->SetUserEntry(m_caller.get());
        return mapper;
    }
};

TEST_F(ColumnHooks, OnlyTheHookedTableAndColumnAreReadByTheMapper)
{
    auto hooked = MakeHooked();
    TestBadgeMapper plain(m_connection.get(), nullptr, &m_services);
    const struct
    {
        const wchar_t* table;
        const wchar_t* column;
        bool hooked;
    } cases[] = {
        {L"BADGE", L"STATUS", true},   {L"badge", L"Status", true},    {L"EMP", L"STATUS", false},
        {L"BADGE", L"STATUS2", false}, {L"BADGE", L"BADGEKEY", false}, {L"BADGE", L"", false},
    };
    for (const auto& item : cases)
    {
        const int method = hooked->GetPropertyProcessMethod(item.column, item.table);
        if (item.hooked)
            EXPECT_EQ(method, WMIHelper::kProcessByMapper)
                << CStringToUtf8(item.table) << "." << CStringToUtf8(item.column);
        else
            EXPECT_EQ(method, plain.GetPropertyProcessMethod(item.column, item.table))
                << CStringToUtf8(item.table) << "." << CStringToUtf8(item.column);
    }
    EXPECT_NE(plain.GetPropertyProcessMethod(L"STATUS", L"BADGE"), WMIHelper::kProcessByMapper);
}

TEST_F(ColumnHooks, EveryReadInstanceShowsWhatTheHookReads)
{
    auto mapper = MakeHooked();
    const struct
    {
        LONG badgeKey;
        const wchar_t* status;
    } cases[] = {{1, L"101"}, {2, L"100"}, {4, L"101"}};
    for (const auto& item : cases)
    {
        CWmipObjectPath path(L"Tst_Badge");
        path.AddKey(L"BadgeKey", item.badgeKey);
        ComPtr<IWbemClassObject> instance;
        instance.Attach(mapper->GetCurrentInstance(&path));
        ASSERT_NE(instance, nullptr) << item.badgeKey;
        EXPECT_EQ(support::PropertyCString(instance.Get(), L"Status"), CString(item.status)) << item.badgeKey;
    }
    EXPECT_EQ(mapper->columnsRead, Strings({L"STATUS", L"STATUS", L"STATUS"}));
}

TEST_F(ColumnHooks, ProcessingWithoutARowOrForAnUnhookedColumnIsRefused)
{
    auto mapper = MakeHooked();
    ComPtr<IWbemClassObject> instance;
    ASSERT_TRUE(mapper->BeginEnumeration());
    IWbemClassObject* raw = nullptr;
    ASSERT_EQ(mapper->NextInstance(&raw, 0), S_OK);
    instance.Attach(raw);
    mapper->columnsRead.clear();

    IWbemClassObject* target = instance.Get();
    EXPECT_EQ(mapper->ProcessInstanceProperty(&target, L"BADGEKEY", L"BADGE"), WBEM_E_NOT_SUPPORTED);
    EXPECT_EQ(mapper->ProcessInstanceProperty(nullptr, L"STATUS", L"BADGE"), WBEM_E_INVALID_PARAMETER);
    IWbemClassObject* none = nullptr;
    EXPECT_EQ(mapper->ProcessInstanceProperty(&none, L"STATUS", L"BADGE"), WBEM_E_INVALID_PARAMETER);
    EXPECT_EQ(mapper->ProcessInstanceProperty(&target, L"STATUS", L"BADGE"), S_OK);
    mapper->EndEnumeration();
    EXPECT_EQ(mapper->ProcessInstanceProperty(&target, L"STATUS", L"BADGE"), WBEM_E_INVALID_PARAMETER);
    EXPECT_EQ(mapper->columnsRead.size(), 1u) << "the hook runs only on an open row";
}

TEST_F(ColumnHooks, AFailingHookFailsTheRow)
{
    auto mapper = MakeHooked();
    mapper->failure = WBEM_E_ACCESS_DENIED;
    ASSERT_TRUE(mapper->BeginEnumeration());
    IWbemClassObject* instance = nullptr;
    EXPECT_EQ(mapper->NextInstance(&instance, 0), WBEM_E_ACCESS_DENIED);
    EXPECT_EQ(instance, nullptr);
    mapper->EndEnumeration();
}

}  // namespace
