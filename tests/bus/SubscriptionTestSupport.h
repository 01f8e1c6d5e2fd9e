// Support for the subscription tests: a bus interface that records every message, an event
// filter checker registered for the test's life that counts its calls, and logged-in callers.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "bus/IEventFilterChecker.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntUtility/StringConversion.h"
#include "platform/com/ComClassTable.h"
#include "platform/qpid/IQpidWrapper.h"

// Records every message sent; thread-safe.
class RecordingQpidWrapper : public sms::qpid::wrapper::IQpidWrapper
{
public:
    struct Message
    {
        std::string address;
        qpid::types::Variant::Map properties;
        qpid::types::Variant::Map content;
        int flags = -1;
    };

    long Send(const std::string& address, const qpid::types::Variant::Map& properties,
              const qpid::types::Variant::Map& content, int flags) override
    {
        const std::scoped_lock guard(m_lock);
        m_messages.push_back({address, properties, content, flags});
        return 0;
    }
    std::vector<Message> Messages() const
    {
        const std::scoped_lock guard(m_lock);
        return m_messages;
    }
    // (subscription id, change type) of every notice, in order.
    std::vector<std::pair<int, int>> Notices() const
    {
        std::vector<std::pair<int, int>> notices;
        for (const Message& message : Messages())
        {
            notices.emplace_back(message.content.at("subscription_id").asInt32(),
                                 message.content.at("change_type").asInt32());
        }
        return notices;
    }

private:
    mutable std::mutex m_lock;
    std::vector<Message> m_messages;
};

// What the registered checker answers and what it saw.
struct CheckerScript
{
    VARIANT_BOOL answer = VARIANT_TRUE;
    HRESULT result = S_OK;
    std::atomic<int> created{0};
    std::atomic<int> live{0};
    std::vector<std::wstring> filters;
};

class ScriptedFilterChecker final : public RefCounted<ScriptedFilterChecker, IEventFilterChecker>
{
public:
    explicit ScriptedFilterChecker(CheckerScript& script) : m_script(script)
    {
        ++m_script.created;
        ++m_script.live;
    }
    ~ScriptedFilterChecker() { --m_script.live; }
    HRESULT QueryInterface(REFIID iid, void** object) override
    {
        if (object == nullptr)
        {
            return E_POINTER;
        }
        *object = nullptr;
        if (!(iid == IUnknown::kIID || iid == IEventFilterChecker::kIID))
        {
            return E_NOINTERFACE;
        }
        *object = static_cast<IEventFilterChecker*>(this);
        AddRef();
        return S_OK;
    }
    HRESULT IsValidFilter(BSTR filter, VARIANT_BOOL* valid) override
    {
        m_script.filters.emplace_back(filter != nullptr ? std::wstring(filter, SysStringLen(filter)) : std::wstring());
        *valid = m_script.answer;
        return m_script.result;
    }

private:
    CheckerScript& m_script;
};

// The checker class registered for the object's life.
class RegisteredFilterChecker
{
public:
    RegisteredFilterChecker()
        : m_registration(CLSID_EventFilterChecker,
                         [this] { return ComPtr<IUnknown>(MakeComObject<ScriptedFilterChecker>(script)); })
    {
    }
    CheckerScript script;

private:
    ScopedComClassRegistration m_registration;
};

// A logged-in caller by user id (the demo's sa -1, operator 1, and users tests add).
inline std::unique_ptr<CAcsUser> LoggedInUser(LONG userId)
{
    auto user = std::make_unique<CAcsUser>();
    user->Login(nullptr, nullptr, nullptr, -1, userId);
    return user;
}
