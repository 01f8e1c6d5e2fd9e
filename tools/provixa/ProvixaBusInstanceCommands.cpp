#include "tools/provixa/ProvixaBusInstanceCommands.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "Libraries/OstrumCore/Source/Utils/StringUtils.h"
#include "bus/CCorvessaBaseApp.h"
#include "bus/CCorvessaQpidType.h"
#include "inhouse/BntUtility/StringConversion.h"
#include "tools/provixa/ProvixaBusHost.h"
#include "mappers/devices/QpidTypeConverter.h"
#include "tools/provixa/ProvixaText.h"
#include "platform/wmi/WbemName.h"

namespace {
using qpid::types::Variant;

constexpr std::array<const char*, 5> kCommands{"get", "add", "modify", "delete", "exec"};
// The size of the pieces a page's text is written in.
constexpr std::size_t kPieceBytes = 64 * 1024;

// Words that do not say what to do; handed to the session's usage error by Run.
struct UsageError
{
    std::string message;
};

// The words of one instance command: operands, NAME=VALUE pairs and options.
struct InstanceCommand
{
    std::vector<std::string> operands;
    Variant::Map values;
    Variant::Map parameters;
    std::string user;
    std::string filter;
    corvessa::PagingParameters paging;
};

std::int32_t Number(const std::string& option, const std::string& text)
{
    std::int32_t value = 0;
    const auto [end, status] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (end == text.data() + text.size() && status == std::errc::result_out_of_range)
        throw UsageError{option + " " + text + " is out of range: it takes a number from " +
                         std::to_string(std::numeric_limits<std::int32_t>::min()) + " to " +
                         std::to_string(std::numeric_limits<std::int32_t>::max())};
    if (text.empty() || status != std::errc() || end != text.data() + text.size())
        throw UsageError{option + " needs a number"};
    return value;
}

// A value written [A,B,...] is a list of its texts (an array parameter); any other value is text.
Variant ValueOf(const std::string& text)
{
    if (text.size() < 2 || text.front() != '[' || text.back() != ']')
        return Variant(text);
    Variant::List list;
    const std::string inner = text.substr(1, text.size() - 2);
    for (std::size_t start = 0; !inner.empty() && start <= inner.size();)
    {
        const std::size_t comma = std::min(inner.find(',', start), inner.size());
        list.push_back(Variant(inner.substr(start, comma - start)));
        start = comma + 1;
    }
    return Variant(list);
}

// A value the front end would take in another form than the one given, or a method the type
// lacks; handed to the session's refusal by Run. Named apart from the host's own refusal: where
// the run-time library matches exception types by name, two types of one name in two files'
// anonymous namespaces catch each other, and the host's refusal would lose its key and code here.
struct WordRefusal
{
    std::string message;
};

void AddPair(Variant::Map& map, const std::string& word)
{
    const std::size_t equals = word.find('=');
    if (equals == 0 || equals == std::string::npos)
        throw UsageError{"expected NAME=VALUE, not " + word};
    // Malformed bytes would be stored as U+FFFD, a text other than the one given.
    if (!ProvixaText::IsUtf8(word))
        throw WordRefusal{"the value of " + word.substr(0, equals) + " is not valid UTF-8"};
    map[word.substr(0, equals)] = ValueOf(word.substr(equals + 1));
}

InstanceCommand Parse(const std::string& name, const std::vector<std::string>& words)
{
    InstanceCommand command;
    command.paging.pageNumber = 1;
    command.paging.pageSize = 0;
    bool sized = false;
    for (std::size_t i = 0; i < words.size(); ++i)
    {
        const std::string& word = words[i];
        const auto value = [&]() -> const std::string& {
            if (i + 1 >= words.size())
                throw UsageError{word + " needs a value"};
            return words[++i];
        };
        if (word == "--user")
            command.user = value();
        else if (name == "get" && word == "--filter")
            command.filter = value();
        else if (name == "get" && word == "--page")
            command.paging.pageNumber = Number(word, value());
        else if (name == "get" && word == "--size")
        {
            command.paging.pageSize = Number(word, value());
            sized = true;
        }
        else if (name == "get" && word == "--order")
            command.paging.orderBy = value();
        else if (name == "get" && word == "--desc")
            command.paging.descending = true;
        else if (name == "exec" && word == "--param")
            AddPair(command.parameters, value());
        else if (word.starts_with("--"))
            throw UsageError{"unknown option " + word + " for " + name};
        else if (word.find('=') != std::string::npos && !command.operands.empty())
            AddPair(command.values, word);
        else
            command.operands.push_back(word);
    }
    // Without a size a read shows the first page of all rows, up to a screenful.
    if (name == "get" && !sized)
        command.paging.pageSize = 100;
    const std::size_t wanted = name == "exec" ? 2 : 1;
    if (command.operands.size() != wanted)
        throw UsageError{name + (wanted == 2 ? " takes CLASS METHOD" : " takes CLASS")};
    if ((name == "add" || name == "modify" || name == "delete") && command.values.empty())
        throw UsageError{name + " needs NAME=VALUE words"};
    if (name == "get" && !command.values.empty())
        throw UsageError{"get takes no NAME=VALUE words (use --filter)"};
    return command;
}

// Binary values shown in Base64: their raw bytes are no text.
Variant Printable(const Variant& value)
{
    if (value.getType() != qpid::types::VAR_MAP)
        return value;
    Variant::Map map = value.asMap();
    const auto data = map.find("data");
    if (map.size() == 2 && data != map.end() && map.count("content_type") != 0 &&
        data->second.getType() == qpid::types::VAR_STRING)
    {
        const std::string& bytes = data->second.getString();
        data->second = Variant(ostrum::utils::StringUtils::base64Encode(
            reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<int>(bytes.size()), true));
    }
    return Variant(map);
}

Variant InstanceJson(const CCorvessaQpidInstance& instance)
{
    Variant::Map values;
    for (const auto& [name, value] : instance.GetInstanceValues())
        values[name] = Printable(value);
    return Variant(Variant::Map{{"class", Variant(brontel::utility::ConvertCStringToUtf8(instance.GetClassNameW()))},
                                {"values", Variant(values)}});
}
}  // namespace

bool ProvixaBusInstanceCommands::Handles(const std::string& name)
{
    return std::find(kCommands.begin(), kCommands.end(), name) != kCommands.end();
}

std::string ProvixaBusInstanceCommands::Usage()
{
    return "  get CLASS [--filter COND] [--page N] [--size M] [--order a,b] [--desc]\n"
           "                                a page of instances (size 0: the count; default size 100)\n"
           "  add CLASS NAME=VALUE...       add an instance (binary values in Base64)\n"
           "  modify CLASS NAME=VALUE...    change an instance named by its keys\n"
           "  delete CLASS KEY=VALUE...     delete an instance\n"
           "  exec CLASS METHOD [KEY=VALUE...] [--param NAME=VALUE]...  run a method ([A,B]: a list)\n"
           "  Each takes [--user USER]; outside the shell the default user is sa.\n";
}

namespace {
// The names a type's description lists (its properties or its methods); nothing when the type
// cannot be described for the session, which leaves the request to the front end.
std::optional<std::vector<std::string>> DescribedNames(CCorvessaBaseApp& app, const std::string& session,
                                                       const std::string& className, bool methods)
{
    CCorvessaQpidType type;
    std::string typeName = className;
    if (FAILED(app.GetType(session, ProvixaBusHost::kApplicationId, typeName, type)))
        return std::nullopt;
    std::vector<std::string> names;
    for (const Variant& described : methods ? type.GetMethods() : type.GetProperties())
    {
        const Variant::Map& map = described.asMap();
        if (const auto name = map.find("name"); name != map.end())
            names.push_back(name->second.asString());
    }
    return names;
}

bool Named(const std::vector<std::string>& names, const std::string& name)
{
    return std::any_of(names.begin(), names.end(), [&](const std::string& one) {
        return WbemName::Equal(ProvixaText::FromUtf8(one), ProvixaText::FromUtf8(name));
    });
}

// The front end runs any name its mapper takes and answers an unknown one with a general
// exception that does not name it: the type's description says which methods there are. Names
// match without regard to case, as the mappers read them. Throws WordRefusal for a method the
// type lacks.
void RequireMethod(CCorvessaBaseApp& app, const std::string& session, const std::string& className,
                   const std::string& method)
{
    const auto names = DescribedNames(app, session, className, true);
    if (!names || Named(*names, method))
        return;
    std::string methods;
    for (const std::string& name : *names)
        methods += (methods.empty() ? "" : ", ") + name;
    throw WordRefusal{className + " has no method " + method +
                      (methods.empty() ? std::string(" (it has none)") : "; its methods: " + methods)};
}

// The front end orders a page by the keys when the order names what is no property of the type
// (as the class mapper does): the person is told.
void WarnOfUnknownOrder(CCorvessaBaseApp& app, const std::string& session, const std::string& className,
                        const std::string& order, std::ostream& err)
{
    if (order.empty())
        return;
    const auto properties = DescribedNames(app, session, className, false);
    for (std::size_t start = 0; properties && start <= order.size();)
    {
        const std::size_t comma = std::min(order.find(',', start), order.size());
        std::string name = order.substr(start, comma - start);
        name.erase(0, name.find_first_not_of(' '));
        name.erase(name.find_last_not_of(' ') + 1);
        if (!name.empty() && !Named(*properties, name))
        {
            err << "provixa: warning: " << name << " is not a property of " << className
                << ", so the page is ordered by the keys\n";
            return;
        }
        start = comma + 1;
    }
}

// The command's request and its answer; the front end's HRESULT.
HRESULT RunParsed(ProvixaBusSession& busSession, const std::string& name, const InstanceCommand& command)
{
    CCorvessaBaseApp& app = busSession.app;
    std::ostream& out = busSession.out;
    const std::string session = busSession.token(command.user);
    const std::string application = ProvixaBusHost::kApplicationId;
    std::string className = command.operands[0];
    CCorvessaQpidInstance instance;
    instance.PopulateInstanceData(className, command.values);
    HRESULT hr = S_OK;
    if (name == "get")
    {
        CCorvessaBaseApp::CorvessaPaginatedInfo info;
        WarnOfUnknownOrder(app, session, className, command.paging.orderBy, busSession.err);
        // Each instance becomes its JSON text as it is read, so the page costs about what it
        // prints; it is printed once whole, since a failed read prints no part of a page.
        std::string page = "{\"instances\":[";
        bool first = true;
        hr = app.GetInstance(session, application, className, command.filter, command.paging, info,
                             [&](std::unique_ptr<CCorvessaQpidInstance> found) {
                                 page += (first ? "" : ",") + QpidTypeConverter::ToJson(InstanceJson(*found));
                                 first = false;
                             });
        if (FAILED(hr))
            return hr;
        // The members in the order the converter writes a map's: by name.
        const std::string rest = QpidTypeConverter::ToJson(Variant::Map{{"total_count", Variant(info.totalCount)},
                                                                        {"total_pages", Variant(info.totalPages)},
                                                                        {"page_number", Variant(info.pageNumber)},
                                                                        {"page_size", Variant(info.pageSize)}});
        page += "]," + rest.substr(1) + "\n";
        // Handed over in pieces: the output goes out as it is given, never held whole twice.
        for (std::size_t at = 0; at < page.size(); at += kPieceBytes)
            out.write(page.data() + at, static_cast<std::streamsize>(std::min(kPieceBytes, page.size() - at)));
        return hr;
    }
    if (name == "exec")
    {
        RequireMethod(app, session, className, command.operands[1]);
        CCorvessaQpidMethodParameter input(true);
        input.PopulateUsingVariantMapData(command.parameters);
        CCorvessaQpidMethodParameter output(false);
        hr = app.ExecuteMethod(session, application, instance, command.operands[1], input, output);
        if (SUCCEEDED(hr))
        {
            Variant::Map values;
            for (const auto& [parameter, value] : output.GetValueMap())
                values[parameter] = Printable(value);
            out << QpidTypeConverter::ToJson(values) << "\n";
        }
        return hr;
    }
    if (name == "delete")
    {
        hr = app.DeleteInstance(session, application, instance);
        if (SUCCEEDED(hr))
            out << QpidTypeConverter::ToJson(Variant::Map{{"deleted", Variant(true)}}) << "\n";
        return hr;
    }
    CCorvessaQpidInstance written;
    hr = name == "add" ? app.AddInstance(session, application, instance, written, true)
                       : app.ModifyInstance(session, application, instance, written, true);
    if (SUCCEEDED(hr))
        out << QpidTypeConverter::ToJson(InstanceJson(written)) << "\n";
    return hr;
}
}  // namespace

void ProvixaBusInstanceCommands::Run(ProvixaBusSession& session, const std::string& name,
                                     const std::vector<std::string>& words)
{
    HRESULT hr = S_OK;
    try
    {
        InstanceCommand command = Parse(name, words);
        hr = RunParsed(session, name, command);
    }
    catch (const UsageError& failure)
    {
        session.usage(failure.message);
        return;
    }
    catch (const WordRefusal& failure)
    {
        session.refused(failure.message);
        return;
    }
    if (FAILED(hr))
        session.failed(hr);
}
