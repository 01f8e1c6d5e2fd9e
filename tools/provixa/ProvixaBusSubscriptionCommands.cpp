#include "tools/provixa/ProvixaBusSubscriptionCommands.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <string>

#include "bus/CCorvessaBaseApp.h"
#include "inhouse/BntUtility/StringConversion.h"
#include "tools/provixa/ProvixaBusHost.h"
#include "tools/provixa/ProvixaBusInstanceCommands.h"
#include "tools/provixa/ProvixaHost.h"
#include "mappers/devices/QpidTypeConverter.h"

namespace {
using qpid::types::Variant;

constexpr const char* kApplicationId = ProvixaBusHost::kApplicationId;

Variant DateValue(const corvessa::EventSubscription::OptionalDate& date)
{
    return date.has_value() ? Variant(brontel::utility::ConvertCStringToUtf8(date->ToISO8601String())) : Variant();
}

Variant::Map ToMap(const corvessa::EventSubscription& subscription)
{
    return {{"id", Variant(subscription.id)},
            {"user_id", Variant(subscription.userId)},
            {"queue_name", Variant(subscription.queueName)},
            {"description", Variant(subscription.description)},
            {"filter", Variant(subscription.filter)},
            {"is_durable", Variant(subscription.isDurable)},
            {"exchange_name", Variant(subscription.exchangeName)},
            {"binding_key", Variant(subscription.bindingKey)},
            {"message_broker_hostname", Variant(subscription.messageBrokerHostname)},
            {"message_broker_port", Variant(subscription.messageBrokerPort)},
            {"requires_secure_connection", Variant(subscription.requiresSecureConnection)},
            {"created_date", DateValue(subscription.createdDate)},
            {"last_updated_date", DateValue(subscription.lastUpdatedDate)},
            {"disabled_date", DateValue(subscription.disabledDate)}};
}

// The NAME=VALUE words of a command, each name at most once and among the allowed ones.
class Fields
{
public:
    Fields(ProvixaBusSession& session, const std::vector<std::string>& words, std::size_t first,
           std::initializer_list<const char*> allowed)
        : m_session(session)
    {
        for (std::size_t i = first; i < words.size(); ++i)
        {
            const std::size_t equals = words[i].find('=');
            const std::string name = words[i].substr(0, equals);
            if (equals == std::string::npos || std::find(allowed.begin(), allowed.end(), name) == allowed.end() ||
                !m_values.emplace(name, words[i].substr(equals + 1)).second)
                m_session.usage("unexpected word " + words[i]);
        }
    }

    bool Has(const std::string& name) const { return m_values.count(name) != 0; }
    std::string Text(const std::string& name) const
    {
        const auto found = m_values.find(name);
        return found != m_values.end() ? found->second : std::string();
    }
    bool Flag(const std::string& name) const
    {
        const std::string value = Text(name);
        if (value != "true" && value != "false")
            m_session.usage(name + " takes true or false");
        return value == "true";
    }
    std::int32_t Number(const std::string& name) const { return ParseNumber(m_session, name, Text(name)); }
    // A paging number of the listing, from 1: read as get's --page and --size are.
    std::int32_t PagingNumber(const std::string& name) const
    {
        std::int32_t value = 0;
        const std::string refusal =
            ProvixaBusInstanceCommands::ReadNumber(name + "=" + Text(name), Text(name), 1, &value);
        if (!refusal.empty())
            m_session.usage(refusal);
        return value;
    }

    static std::int32_t ParseNumber(ProvixaBusSession& session, const std::string& name, const std::string& text)
    {
        std::int32_t value = 0;
        const auto [end, status] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (text.empty() || status != std::errc() || end != text.data() + text.size())
            session.usage(name + " takes a number");
        return value;
    }

private:
    ProvixaBusSession& m_session;
    std::map<std::string, std::string> m_values;
};

void Print(ProvixaBusSession& session, const corvessa::EventSubscription& subscription)
{
    session.out << QpidTypeConverter::ToJson(ToMap(subscription)) << "\n";
}

// A subscription the front end stored: what stands whatever follows, then its answer.
void PrintWritten(ProvixaBusSession& session, const corvessa::EventSubscription& subscription)
{
    session.tookEffect(ProvixaHost::EffectText(ProvixaHost::Effect::Written,
                                               "the event subscription " + std::to_string(subscription.id)));
    Print(session, subscription);
}

corvessa::EventSubscription Identified(ProvixaBusSession& session, const std::vector<std::string>& operands)
{
    if (operands.size() < 2)
        session.usage("subs " + operands[0] + " takes the subscription id");
    corvessa::EventSubscription subscription;
    subscription.id = Fields::ParseNumber(session, "the subscription id", operands[1]);
    return subscription;
}

void List(ProvixaBusSession& session, const std::vector<std::string>& operands)
{
    const Fields fields(session, operands, 1, {"active", "page", "size", "order", "desc"});
    boost::optional<bool> active;
    if (fields.Has("active"))
        active = fields.Flag("active");
    corvessa::PagingParameters paging;
    paging.pageNumber = fields.Has("page") ? fields.PagingNumber("page") : 1;
    paging.pageSize = fields.Has("size") ? fields.PagingNumber("size") : 20;
    paging.orderBy = fields.Text("order");
    paging.descending = fields.Has("desc") && fields.Flag("desc");
    const auto page = session.app.GetEventSubscriptions(session.token({}), kApplicationId, active, paging);
    Variant::List items;
    for (const corvessa::EventSubscription& subscription : page.items)
        items.push_back(Variant(ToMap(subscription)));
    session.out << QpidTypeConverter::ToJson(Variant::Map{{"items", Variant(items)},
                                                          {"total_count", Variant(page.totalCount)},
                                                          {"page_number", Variant(page.pageNumber)},
                                                          {"page_size", Variant(page.pageSize)}})
                << "\n";
}
}  // namespace

std::string ProvixaBusSubscriptionCommands::Usage()
{
    return "  subs list [active=true|false] [page=N] [size=N] [order=PROPERTY,...] [desc=true]\n"
           "                                page and size from 1 (default 1 and 20); order takes id,\n"
           "                                user_id, queue_name, description, filter, created_date, ...\n"
           "  subs get ID                   one business-event subscription\n"
           "  subs add [description=TEXT] [filter=TEXT] [durable=true] [host=NAME] [port=N] [secure=true]\n"
           "  subs modify ID [queue=NAME] [description=TEXT] [filter=TEXT]   (others keep the value\n"
           "                                stored when the write runs, whoever changed it meanwhile)\n"
           "  subs disable ID               (these commands take --user USER; outside the shell sa by default)\n";
}

void ProvixaBusSubscriptionCommands::Execute(ProvixaBusSession& session, const std::vector<std::string>& operands)
{
    const std::string verb = operands.empty() ? std::string() : operands[0];
    if (verb == "list")
        List(session, operands);
    else if (verb == "get")
    {
        const corvessa::EventSubscription wanted = Identified(session, operands);
        const Fields none(session, operands, 2, {});
        Print(session, session.app.GetEventSubscriptionById(wanted.id, session.token({}), kApplicationId));
    }
    else if (verb == "add")
    {
        const Fields fields(session, operands, 1, {"description", "filter", "durable", "host", "port", "secure"});
        corvessa::EventSubscription request;
        request.description = fields.Text("description");
        request.filter = fields.Text("filter");
        request.isDurable = fields.Has("durable") && fields.Flag("durable");
        request.messageBrokerHostname = fields.Text("host");
        request.messageBrokerPort = fields.Has("port") ? fields.Number("port") : 0;
        request.requiresSecureConnection = fields.Has("secure") && fields.Flag("secure");
        PrintWritten(session, session.app.AddEventSubscription(request, session.token({}), kApplicationId));
    }
    else if (verb == "modify")
    {
        corvessa::EventSubscription request = Identified(session, operands);
        const Fields fields(session, operands, 2, {"queue", "description", "filter"});
        // The front end keeps what is not named as it stands under the write's lock (an empty
        // queue name keeps the stored one): a change another client made meanwhile stands.
        request.queueName = fields.Text("queue");
        request.description = fields.Text("description");
        request.filter = fields.Text("filter");
        const corvessa::ModifiedTexts given{fields.Has("description"), fields.Has("filter")};
        PrintWritten(session, session.app.ModifyEventSubscription(request, given, session.token({}), kApplicationId));
    }
    else if (verb == "disable")
    {
        const corvessa::EventSubscription request = Identified(session, operands);
        const Fields none(session, operands, 2, {});
        PrintWritten(session, session.app.DisableEventSubscription(request, session.token({}), kApplicationId));
    }
    else
        session.usage("subs takes list, get, add, modify or disable");
}
