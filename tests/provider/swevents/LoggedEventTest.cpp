// The logged event class: the event history with its definition text and panel segment, the
// access values derived from type and subtype, conditions on them that never narrow the SQL,
// UTC times, the view permission and the refused writes.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "platform/com/Bstr.h"
#include "platform/com/WbemConstants.h"
#include "platform/wmi/IEnumWbemClassObject.h"
#include "mappers/records/CWmipLoggedEventMapper.h"
#include "tests/provider/swevents/SwEventTestSupport.h"
#include "tests/support/BstrText.h"

namespace {

class LoggedEvents : public swtest::SoftwareEventTest
{
protected:
    // The instances the query answers, by serial number; the failure when it fails.
    HRESULT Query(const wchar_t* wql, std::map<std::string, ComPtr<IWbemClassObject>>* rows)
    {
        IEnumWbemClassObject* raw = nullptr;
        const HRESULT hr = m_namespace->ExecQuery(support::BstrText(L"WQL"), support::BstrText(wql), 0, nullptr, &raw);
        ComPtr<IEnumWbemClassObject> enumerator;
        enumerator.Attach(raw);
        HRESULT result = hr;
        while (SUCCEEDED(hr) && enumerator != nullptr)
        {
            IWbemClassObject* object = nullptr;
            ULONG returned = 0;
            result = enumerator->Next(WBEM_INFINITE, 1, &object, &returned);
            if (returned == 0)
            {
                break;
            }
            ComPtr<IWbemClassObject> owned;
            owned.Attach(object);
            (*rows)[support::PropertyText(owned.Get(), L"SerialNumber")] = owned;
        }
        return FAILED(result) ? result : hr;
    }
};

TEST(LoggedEventMapper, AccessValuesFollowTypeAndSubtype)
{
    struct Case
    {
        LONG type;
        LONG subtype;
        bool written;
        LONG accessResult;
        bool entered;
        bool duress;
    };
    const Case cases[] = {
        {0, 0, true, 2, true, false},   {0, 1, true, 2, true, false},   {0, 2, true, 2, false, false},
        {0, 3, true, 2, false, false},  {1, 0, true, 3, false, false},  {1, 9, true, 3, false, false},
        {2, 0, true, 2, true, true},    {2, 2, true, 2, false, true},   {2, 1, true, 3, false, true},
        {2, 3, true, 3, false, true},   {3, 4, true, 2, true, false},   {3, 5, true, 2, true, false},
        {3, 0, true, 3, false, false},  {5, 4, false, 0, false, false}, {5, 5, false, 0, false, false},
        {5, 1, true, 3, false, false},  {4, 0, false, 0, false, false}, {-1, 0, false, 0, false, false},
        {6, 4, false, 0, false, false}, {7, 0, false, 0, false, false},
    };
    for (const Case& c : cases)
    {
        const auto values = CWmipLoggedEventMapper::DeriveAccessValues(c.type, c.subtype);
        EXPECT_EQ(values.written, c.written) << c.type << "/" << c.subtype;
        if (c.written)
        {
            EXPECT_EQ(values.accessResult, c.accessResult) << c.type << "/" << c.subtype;
            EXPECT_EQ(values.cardholderEntered, c.entered) << c.type << "/" << c.subtype;
            EXPECT_EQ(values.duress, c.duress) << c.type << "/" << c.subtype;
        }
    }
}

TEST_F(LoggedEvents, TheHistoryCarriesItsDefinitionSegmentAndComputedValues)
{
    std::map<std::string, ComPtr<IWbemClassObject>> rows;
    ASSERT_EQ(Query(L"SELECT * FROM Bnt_LoggedEvent", &rows), WBEM_S_NO_ERROR);
    const std::vector<const wchar_t*> properties = {L"Description",  L"SegmentID",         L"Type",
                                                    L"AccessResult", L"CardholderEntered", L"Duress"};
    const std::map<std::string, std::vector<std::string>> expected = {
        {"101", {"Access Granted", "1", "0", "2", "1", "0"}},
        {"102", {"Access Granted - No Entry Made", "1", "0", "2", "0", "0"}},
        {"103", {"Access Denied: Invalid Badge", "2", "1", "3", "0", "0"}},
        {"104", {"Granted Under Duress", "1", "2", "2", "1", "1"}},
        {"105", {"Door Forced Open", "2", "4", "<null>", "<null>", "<null>"}},
    };
    ASSERT_EQ(rows.size(), expected.size());
    for (const auto& [serial, values] : expected)
    {
        IWbemClassObject* row = rows[serial].Get();
        ASSERT_NE(row, nullptr) << serial;
        for (std::size_t i = 0; i < properties.size(); ++i)
            EXPECT_EQ(support::PropertyText(row, properties[i]), values[i]) << serial << " " << properties[i];
    }
    // The stored UTC time comes back unchanged.
    EXPECT_EQ(support::PropertyText(rows["103"].Get(), L"Time").substr(0, 14), "20261207071000");
}

TEST_F(LoggedEvents, ConditionsOnComputedPropertiesAreDecidedInMemory)
{
    struct Case
    {
        const wchar_t* query;
        const char* serials;
    };
    const Case cases[] = {
        {L"SELECT * FROM Bnt_LoggedEvent WHERE Duress = TRUE", "104,"},
        {L"SELECT * FROM Bnt_LoggedEvent WHERE accessresult = 3", "103,"},
        {L"SELECT * FROM Bnt_LoggedEvent WHERE CardholderEntered = FALSE AND PanelID = 1", "102,"},
        {L"SELECT * FROM Bnt_LoggedEvent WHERE NOT (AccessResult = 2) AND Type < 4", "103,"},
        {L"SELECT * FROM Bnt_LoggedEvent WHERE Type = 4", "105,"},
    };
    for (const Case& c : cases)
    {
        std::map<std::string, ComPtr<IWbemClassObject>> rows;
        ASSERT_EQ(Query(c.query, &rows), WBEM_S_NO_ERROR);
        std::string serials;
        for (const auto& [serial, row] : rows)
        {
            serials += serial + ",";
        }
        EXPECT_EQ(serials, c.serials) << CStringToUtf8(CString(c.query));
    }
}

TEST_F(LoggedEvents, ViewingNeedsThePermissionAndWritesAreRefused)
{
    m_caller.reset();
    m_caller = std::make_unique<CallerIdentity::Scope>(CallerIdentity(swtest::kNoViewSid, SecurityImpersonation));
    std::map<std::string, ComPtr<IWbemClassObject>> rows;
    EXPECT_EQ(Query(L"SELECT * FROM Bnt_LoggedEvent", &rows), WBEM_E_ACCESS_DENIED);
    EXPECT_TRUE(rows.empty());

    m_caller.reset();
    m_caller = std::make_unique<CallerIdentity::Scope>(CallerIdentity(swtest::kOperatorSid, SecurityImpersonation));
    ASSERT_EQ(Query(L"SELECT * FROM Bnt_LoggedEvent WHERE SerialNumber = 101", &rows), WBEM_S_NO_ERROR);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(m_namespace->PutInstance(rows["101"].Get(), 0, nullptr, nullptr), WBEM_E_NOT_SUPPORTED);
    const support::BstrText path(L"Bnt_LoggedEvent.SerialNumber=101,PanelID=1");
    // The instance provider reports a delete the class does not support as an invalid operation.
    EXPECT_EQ(m_namespace->DeleteInstance(path, 0, nullptr, nullptr), WBEM_E_INVALID_OPERATION);
}

}  // namespace
