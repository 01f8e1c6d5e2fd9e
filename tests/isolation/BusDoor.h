// BusDoor: the bus front end over a test program's door installation (tests/e2e's
// DoorInstallation), for tests that drive both doors alike: it logs internal accounts in and
// answers reads, adds, method calls and subscription writes as the bus host would, and keeps
// the change notices the front end sends. Used on the test thread only.
#pragma once

#include "bus/CCorvessaBaseApp.h"
#include "bus/CCorvessaException.h"
#include "bus/CCorvessaQpidInstance.h"
#include "bus/CCorvessaQpidMethodParameter.h"
#include "bus/CCorvessaQpidType.h"
#include "bus/GenericException.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "platform/mfc/COleDateTime.h"
#include "platform/mfc/ModuleState.h"
#include "tests/bus/SubscriptionTestSupport.h"
#include "tests/e2e/DoorTest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <map>
#include <utility>
#include <vector>

namespace isolation {

// The bus door over the same installation, as the bus host runs it: an application object of
// its own, made the thread's current one for each call (the WMI door's fixture keeps the
// provider's application object current on the test thread, and the bus front end finds its
// user cache through the current application object).
class BusDoor
{
public:
    // The bus password of the test callers that log in on the bus: the demo operator's.
    static constexpr char kPassword[] = "operator-demo";

    BusDoor()
    {
        const CModuleStateSwitch current(&m_app);
        m_app.InitInstance();
        m_app.SetQpidWrapper(&m_notices);
    }
    ~BusDoor()
    {
        const CModuleStateSwitch current(&m_app);
        m_app.ExitInstance();
    }
    BusDoor(const BusDoor&) = delete;
    BusDoor& operator=(const BusDoor&) = delete;

    // The session token of an internal account, or of an account of the directory; empty (the
    // test failed) when the login fails.
    std::string Login(const std::string& user, int directory = CCorvessaBaseApp::kInternalDirectoryId,
                      const std::string& password = kPassword)
    {
        std::string token;
        EXPECT_EQ(SignIn(user, directory, password, token), "ok") << user;
        return token;
    }
    // How a sign-in ends: "ok" with the session's token, or the refusal's key and text.
    std::string SignIn(const std::string& user, int directory, const std::string& password, std::string& token)
    {
        const CModuleStateSwitch current(&m_app);
        COleDateTime when;
        return Answer([&] { return m_app.Authenticate(kApplication, directory, user, password, token, when); });
    }

    // The possible values (value texts) the bus's type description gives the property.
    std::set<std::string> PossibleValues(const std::string& token, const std::wstring& type,
                                         const std::string& property)
    {
        std::set<std::string> values;
        const auto lists = PossibleValueLists(token, type);
        const auto list = lists.find(property);
        if (list != lists.end())
        {
            for (const auto& [value, label] : list->second)
                values.insert(value);
        }
        return values;
    }
    // Every property's possible values in the bus's type description: (value, display text).
    std::map<std::string, std::vector<std::pair<std::string, std::string>>> PossibleValueLists(const std::string& token,
                                                                                               const std::wstring& type)
    {
        std::map<std::string, std::vector<std::pair<std::string, std::string>>> lists;
        for (const qpid::types::Variant::Map& map : DescribedProperties(token, type))
        {
            const auto name = map.find("name");
            const auto possible = map.find("possible_values");
            if (name == map.end() || possible == map.end())
                continue;
            for (const auto& [value, label] : possible->second.asMap())
                lists[name->second.asString()].emplace_back(value, label.asString());
        }
        return lists;
    }
    // The property's entry in the bus's type description ("access", "max_length", ...); empty
    // when the description names no such property.
    qpid::types::Variant::Map DescribedProperty(const std::string& token, const std::wstring& type,
                                                const std::string& property)
    {
        for (const qpid::types::Variant::Map& map : DescribedProperties(token, type))
        {
            const auto name = map.find("name");
            if (name != map.end() && name->second.asString() == property)
                return map;
        }
        return {};
    }
    // Every property entry of the bus's type description, as the session is served it.
    std::vector<qpid::types::Variant::Map> DescribedProperties(const std::string& token, const std::wstring& type)
    {
        const CModuleStateSwitch current(&m_app);
        CCorvessaQpidType described;
        EXPECT_EQ(m_app.GetType(token, kApplication, e2e::DoorTest::Utf8(type), described), S_OK);
        std::vector<qpid::types::Variant::Map> properties;
        for (const qpid::types::Variant& entry : described.GetProperties())
            properties.push_back(entry.asMap());
        return properties;
    }
    // The ids of the levels the bus's accesslevels lists for the session.
    std::set<LONG> ManagedLevels(const std::string& token)
    {
        const CModuleStateSwitch current(&m_app);
        std::vector<CCorvessaBaseApp::AccessLevel> levels;
        EXPECT_EQ(m_app.GetManagedAccessLevels(token, kApplication, levels), S_OK);
        std::set<LONG> ids;
        for (const CCorvessaBaseApp::AccessLevel& level : levels)
            ids.insert(level.accessLevelId);
        return ids;
    }

    // The number of the type's instances that match the WQL condition (every row: page 0), as
    // bus get answers them; nothing for a type the bus does not expose. A refused read fails
    // the test.
    std::optional<std::size_t> Get(const std::string& token, const std::wstring& type, const std::string& filter)
    {
        const std::optional<std::vector<std::string>> rows = Rows(token, type, filter, {});
        return rows ? std::optional<std::size_t>(rows->size()) : std::nullopt;
    }
    // The same instances, each as its values of the properties ("name=value", joined by commas),
    // sorted: which rows the bus served, not only how many.
    std::optional<std::vector<std::string>> Rows(const std::string& token, const std::wstring& type,
                                                 const std::string& filter, const std::vector<std::string>& properties)
    {
        std::optional<Paged> every = Page(token, type, filter, properties, 0, 1);
        return every ? std::optional<std::vector<std::string>>(std::move(every->rows)) : std::nullopt;
    }
    // One page of the read (page 0: every row), its rows as Rows gives them, and the number of
    // rows the bus counted for the whole read.
    struct Paged
    {
        std::vector<std::string> rows;
        std::int64_t total = 0;
    };
    std::optional<Paged> Page(const std::string& token, const std::wstring& type, const std::string& filter,
                              const std::vector<std::string>& properties, std::int32_t pageNumber,
                              std::int32_t pageSize)
    {
        const CModuleStateSwitch current(&m_app);
        corvessa::PagingParameters paging;
        paging.pageNumber = pageNumber;
        paging.pageSize = pageSize;
        CCorvessaBaseApp::CorvessaPaginatedInfo info;
        CCorvessaBaseApp::InstanceList instances;
        if (!ReadPage(token, type, filter, paging, info, instances))
            return std::nullopt;
        Paged page;
        page.total = info.totalCount;
        for (const std::unique_ptr<CCorvessaQpidInstance>& instance : instances)
            page.rows.push_back(RowText(properties, [&](const std::string& property) {
                const auto value = CCorvessaQpidInstance::FindProperty(instance->GetInstanceValues(), property);
                return value == instance->GetInstanceValues().end() ? "<none>" : value->second.asString();
            }));
        std::sort(page.rows.begin(), page.rows.end());
        return page;
    }
    // Every instance's ID in the order the bus serves them under the order text (page 0).
    std::vector<std::string> IdsInOrder(const std::string& token, const std::wstring& type, const std::string& order)
    {
        const CModuleStateSwitch current(&m_app);
        corvessa::PagingParameters paging;
        paging.pageSize = 100;
        paging.orderBy = order;
        CCorvessaBaseApp::CorvessaPaginatedInfo info;
        CCorvessaBaseApp::InstanceList instances;
        std::vector<std::string> ids;
        if (!ReadPage(token, type, "", paging, info, instances))
            return ids;
        for (const std::unique_ptr<CCorvessaQpidInstance>& instance : instances)
            ids.push_back(CCorvessaQpidInstance::FindProperty(instance->GetInstanceValues(), "ID")->second.asString());
        return ids;
    }
    // How many of the type's instances match the WQL condition as the bus counts them (the total
    // of a one-row page); nothing for a type the bus does not expose. A refused read fails the test.
    std::optional<std::int32_t> Count(const std::string& token, const std::wstring& type, const std::string& filter)
    {
        const std::optional<Paged> first = Page(token, type, filter, {}, 1, 1);
        return first ? std::optional<std::int32_t>(static_cast<std::int32_t>(first->total)) : std::nullopt;
    }
    // A row as Rows gives it: each property's value, "name=value", joined by commas.
    static std::string RowText(const std::vector<std::string>& properties,
                               const std::function<std::string(const std::string&)>& valueOf)
    {
        std::string row;
        for (const std::string& property : properties)
            row += (row.empty() ? "" : ",") + property + "=" + valueOf(property);
        return row;
    }

    // How a read of the type with the filter and order ends: S_OK and no text when it is
    // answered; otherwise the refusal's HRESULT (CWMIException) and its text.
    std::pair<HRESULT, std::string> Read(const std::string& token, const std::wstring& type, const std::string& filter,
                                         const std::string& order)
    {
        const CModuleStateSwitch current(&m_app);
        corvessa::PagingParameters page;
        page.pageSize = 10;
        page.orderBy = order;
        CCorvessaBaseApp::CorvessaPaginatedInfo info;
        CCorvessaBaseApp::InstanceList instances;
        std::string typeName = e2e::DoorTest::Utf8(type);
        try
        {
            return {m_app.GetInstance(token, kApplication, typeName, filter, page, info, instances), std::string()};
        }
        catch (const brontel::utility::CWMIException& e)
        {
            EXPECT_TRUE(instances.empty());
            return {e.GetHResult(), e2e::DoorTest::Utf8(e.GetMessage().GetString())};
        }
        catch (const CCorvessaException& e)
        {
            return {E_FAIL, e.ErrorCode() + " " + e.ErrorMessage()};
        }
    }

    // How the bus answered a refused add or method call: the HRESULT and the refusal's key and
    // text, or "ok" when it was not refused.
    std::string Add(const std::string& token, const std::wstring& type, const CCorvessaQpidInstance::ValueMap& values)
    {
        const CModuleStateSwitch current(&m_app);
        CCorvessaQpidInstance instance;
        instance.PopulateInstanceData(e2e::DoorTest::Utf8(type), values);
        CCorvessaQpidInstance result;
        return Answer([&] { return m_app.AddInstance(token, kApplication, instance, result, false); });
    }
    // How the bus answered a change of the instance whose keys the values carry: "ok", or the
    // refusal as Add gives it.
    std::string Modify(const std::string& token, const std::wstring& type,
                       const CCorvessaQpidInstance::ValueMap& values)
    {
        const CModuleStateSwitch current(&m_app);
        CCorvessaQpidInstance instance;
        instance.PopulateInstanceData(e2e::DoorTest::Utf8(type), values);
        CCorvessaQpidInstance result;
        return Answer([&] { return m_app.ModifyInstance(token, kApplication, instance, result, false); });
    }
    // The same for a delete of the instance the keys name.
    std::string Delete(const std::string& token, const std::wstring& type, const CCorvessaQpidInstance::ValueMap& keys)
    {
        const CModuleStateSwitch current(&m_app);
        CCorvessaQpidInstance instance;
        instance.PopulateInstanceData(e2e::DoorTest::Utf8(type), keys);
        return Answer([&] { return m_app.DeleteInstance(token, kApplication, instance); });
    }
    // The method of the instance the keys name (none: the class's static method).
    std::string Call(const std::string& token, const std::wstring& type, const std::wstring& method,
                     const CCorvessaQpidInstance::ValueMap& values, const CCorvessaQpidInstance::ValueMap& keys = {})
    {
        const CModuleStateSwitch current(&m_app);
        CCorvessaQpidInstance target;
        target.PopulateInstanceData(e2e::DoorTest::Utf8(type), keys);
        CCorvessaQpidMethodParameter input(true);
        input.PopulateUsingVariantMapData(values);
        CCorvessaQpidMethodParameter output(false);
        return Answer([&] {
            return m_app.ExecuteMethod(token, kApplication, target, e2e::DoorTest::Utf8(method), input, output);
        });
    }

    // How the bus answered a subscription's add (of the description), modify (of subscription
    // id's description) or disable: "ok", or the refusal's key and text.
    std::string AddSubscription(const std::string& token, const std::string& description)
    {
        corvessa::EventSubscription request;
        request.description = description;
        return SubscriptionAnswer([&] { m_app.AddEventSubscription(request, token, kApplication); });
    }
    std::string ModifySubscription(const std::string& token, std::int32_t id, const std::string& description)
    {
        corvessa::EventSubscription request;
        request.id = id;
        request.description = description;
        return SubscriptionAnswer([&] { m_app.ModifyEventSubscription(request, token, kApplication); });
    }
    std::string DisableSubscription(const std::string& token, std::int32_t id)
    {
        corvessa::EventSubscription request;
        request.id = id;
        return SubscriptionAnswer([&] { m_app.DisableEventSubscription(request, token, kApplication); });
    }
    // (subscription id, change type) of every change notice sent since the last call, in order.
    std::vector<std::pair<int, int>> TakeNotices()
    {
        std::vector<std::pair<int, int>> notices = m_notices.Notices();
        notices.erase(notices.begin(), notices.begin() + static_cast<std::ptrdiff_t>(m_noticesTaken));
        m_noticesTaken += notices.size();
        return notices;
    }

    // The cardholder the bus finds for the directory account: its id, or the refusal's key and
    // text with the id it wrote ("id | key | text").
    std::string CardholderOf(const std::string& token, int directory, const std::string& user,
                             const std::string& password)
    {
        const CModuleStateSwitch current(&m_app);
        LONG cardholder = -5;
        const std::string answer = Answer([&] {
            return m_app.GetCardholderFromDirectory(token, kApplication, directory, user, password, &cardholder);
        });
        return std::to_string(cardholder) + (answer == "ok" ? "" : " | " + answer);
    }

    // The bus filter that names the instance of a relative path: its keys, ANDed.
    static std::string KeyFilter(const std::wstring& path)
    {
        const std::string keys = e2e::DoorTest::Utf8(path.substr(path.find(L'.') + 1));
        std::string filter;
        bool quoted = false;
        for (std::size_t i = 0; i < keys.size(); ++i)
        {
            const char c = keys[i];
            if (quoted && c == '\\' && i + 1 < keys.size())
            {
                filter += {c, keys[++i]};
                continue;
            }
            quoted = c == '"' ? !quoted : quoted;
            filter += quoted || (c != ',' && c != '=') ? std::string(1, c) : c == ',' ? " AND " : " = ";
        }
        return filter;
    }

private:
    // One page of the type's instances that match the condition, as bus get answers it; false
    // for a type the bus does not expose. A refused read fails the test. The caller makes the
    // application current.
    bool ReadPage(const std::string& token, const std::wstring& type, const std::string& filter,
                  const corvessa::PagingParameters& page, CCorvessaBaseApp::CorvessaPaginatedInfo& info,
                  CCorvessaBaseApp::InstanceList& instances)
    {
        std::string typeName = e2e::DoorTest::Utf8(type);
        try
        {
            const HRESULT hr = m_app.GetInstance(token, kApplication, typeName, filter, page, info, instances);
            if (hr == corvessa::kInvalidTypeName)
                return false;
            EXPECT_EQ(hr, S_OK) << e2e::DoorTest::Hex(hr) << " " << filter;
        }
        catch (const CCorvessaException& e)
        {
            ADD_FAILURE() << filter << ": " << e.ErrorCode() << " | " << e.ErrorMessage();
        }
        catch (const GenericException& e)
        {
            ADD_FAILURE() << filter << ": " << e2e::DoorTest::Utf8(e.GetMessage().GetString());
        }
        return true;
    }

    template <typename Request>
    static std::string Answer(Request request)
    {
        try
        {
            const HRESULT hr = request();
            return SUCCEEDED(hr) ? "ok" : e2e::DoorTest::Hex(hr);
        }
        catch (const CCorvessaException& e)
        {
            return e.ErrorCode() + " | " + e.ErrorMessage();
        }
        catch (const GenericException& e)
        {
            return e2e::DoorTest::Utf8(e.GetMessage().GetString());
        }
    }

    std::string SubscriptionAnswer(const std::function<void()>& write)
    {
        const CModuleStateSwitch current(&m_app);
        return Answer([&] {
            write();
            return S_OK;
        });
    }

    static constexpr char kApplication[] = "isolation";
    // Outlives the application object, which sends to it.
    RecordingQpidWrapper m_notices;
    std::size_t m_noticesTaken = 0;
    CCorvessaBaseApp m_app;
};

}  // namespace isolation
