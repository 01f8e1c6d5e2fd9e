#include "tools/provixa/ProvixaBusInstanceCommands.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <list>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "Libraries/OstrumCore/Source/Utils/StringUtils.h"
#include "bus/CCorvessaBaseApp.h"
#include "bus/CCorvessaException.h"
#include "bus/CCorvessaQpidType.h"
#include "inhouse/BntUtility/StringConversion.h"
#include "bus/CCorvessaHelper.h"
#include "bus/GenericException.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "framework/objects/CCorvessaClassObject.h"
#include "platform/wmi/CimValue.h"
#include "tools/provixa/ProvixaBusHost.h"
#include "tools/provixa/ProvixaExplanation.h"
#include "platform/com/WbemConstants.h"
#include "tools/provixa/ProvixaHost.h"
#include "tools/provixa/ProvixaMethodArgument.h"
#include "mappers/devices/QpidTypeConverter.h"
#include "tools/provixa/ProvixaText.h"
#include "platform/wmi/WbemName.h"

namespace {
using qpid::types::Variant;

constexpr std::array<const char*, 5> kInstanceCommands{"get", "add", "modify", "delete", "exec"};
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

// The number an option gives, from 0 (page 0: every row; size 0: the count) to the largest the
// front end takes (a page's number times its size must stay within it too, which the front end
// checks).
std::int32_t Number(const std::string& option, const std::string& text)
{
    std::int32_t value = 0;
    const std::string refusal = ProvixaBusInstanceCommands::ReadNumber(option + " " + text, text, 0, &value);
    if (!refusal.empty())
        throw UsageError{refusal};
    return value;
}

// A value the front end would take in another form than the one given, or a method the type
// lacks; handed to the session's refusal by Run. Named apart from the host's own refusal: where
// the run-time library matches exception types by name, two types of one name in two files'
// anonymous namespaces catch each other, and the host's refusal would lose its key and code here.
struct WordRefusal
{
    std::string message;
};

// A value written [A,B,...] is a list of its texts (an array parameter), of at most
// ProvixaMethodArgument::kMaxElements elements as on the WMI door; any other value is text.
Variant ValueOf(std::string text)
{
    if (text.size() < 2 || text.front() != '[' || text.back() != ']')
    {
        // The text is moved into the value, not copied.
        Variant value{std::string()};
        value.getString() = std::move(text);
        return value;
    }
    const std::string_view inner = std::string_view(text).substr(1, text.size() - 2);
    if (static_cast<std::size_t>(std::count(inner.begin(), inner.end(), ',')) >= ProvixaMethodArgument::kMaxElements)
        throw WordRefusal{ProvixaMethodArgument::TooManyElements()};
    Variant::List list;
    for (std::size_t start = 0; !inner.empty() && start <= inner.size();)
    {
        const std::size_t comma = std::min(inner.find(',', start), inner.size());
        list.push_back(Variant(std::string(inner.substr(start, comma - start))));
        start = comma + 1;
    }
    return Variant(list);
}

void AddPair(Variant::Map& map, std::string& word)
{
    const std::size_t equals = word.find('=');
    if (equals == 0 || equals == std::string::npos)
        throw UsageError{"expected NAME=VALUE, not " + word};
    std::string name = word.substr(0, equals);
    word.erase(0, equals + 1);
    map[name] = ValueOf(std::move(word));
}

// Reads the words, moving the values out of them: a line's one long value is never held twice.
InstanceCommand Parse(const std::string& name, std::vector<std::string>& words)
{
    InstanceCommand command;
    command.paging.pageNumber = 1;
    command.paging.pageSize = 0;
    bool sized = false;
    for (std::size_t i = 0; i < words.size(); ++i)
    {
        std::string& word = words[i];
        const auto value = [&]() -> std::string& {
            if (i + 1 >= words.size())
                throw UsageError{word + " needs a value"};
            return words[++i];
        };
        if (word == "--user")
            command.user = value();
        else if (name == "get" && word == "--filter")
            command.filter = std::move(value());
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
        // After a get's condition a word with "=" is more of the condition ("ID = 3" unquoted),
        // which the check below asks to quote.
        else if (word.find('=') != std::string::npos && !command.operands.empty() &&
                 (name != "get" || command.filter.empty()))
            AddPair(command.values, word);
        else
            command.operands.push_back(std::move(word));
    }
    // Without a size a read shows the first page of all rows, up to a screenful.
    if (name == "get" && !sized)
        command.paging.pageSize = 100;
    const std::size_t wanted = name == "exec" ? 2 : 1;
    // A condition with blanks split into words: say to quote it, as the WMI door's query says.
    if (name == "get" && !command.filter.empty() && command.operands.size() > wanted)
    {
        std::string condition = command.filter;
        for (std::size_t i = wanted; i < command.operands.size(); ++i)
            condition += " " + command.operands[i];
        throw UsageError{"get takes CLASS and one --filter word: quote the condition, as in --filter \"" + condition +
                         "\""};
    }
    if (command.operands.size() != wanted)
        throw UsageError{name + (wanted == 2 ? " takes CLASS METHOD" : " takes CLASS")};
    if ((name == "add" || name == "modify" || name == "delete") && command.values.empty())
        throw UsageError{name + " needs NAME=VALUE words"};
    if (name == "get" && !command.values.empty())
        throw UsageError{"get takes no NAME=VALUE words (use --filter)"};
    return command;
}

// The bytes of a binary value ({"content_type", "data"}); null for any other value.
std::string* BinaryBytes(Variant& value)
{
    if (value.getType() != qpid::types::VAR_MAP)
        return nullptr;
    Variant::Map& map = value.asMap();
    const auto data = map.find("data");
    if (map.size() != 2 || data == map.end() || map.count("content_type") == 0 ||
        data->second.getType() != qpid::types::VAR_STRING)
        return nullptr;
    return &data->second.getString();
}

// The bytes in Base64; they are let go as soon as their Base64 stands, so a value is held at most
// once in each form.
std::string Base64Of(std::string& given)
{
    const std::string bytes = std::move(given);
    return ostrum::utils::StringUtils::base64Encode(reinterpret_cast<const unsigned char*>(bytes.data()),
                                                    static_cast<int>(bytes.size()), true);
}

// Binary values shown in Base64: their raw bytes are no text.
Variant Printable(Variant value)
{
    if (std::string* bytes = BinaryBytes(value))
        *bytes = Base64Of(*bytes);
    return value;
}

// The instance's object path as the WMI door names it ("Bnt_Cardholder.ID=10": the keys in name
// order, each written as its CIM type writes a key); the class name when its values name no
// key, or a key the class does not describe.
std::string PathOf(const CCorvessaQpidInstance& instance)
{
    const CString& className = instance.GetClassNameW();
    CCorvessaQpidInstance::ValueMap keys = instance.GetInstanceKeyValues();
    std::vector<std::wstring> names;
    for (const auto& [name, value] : keys)
        names.push_back(ProvixaText::FromUtf8(name));
    std::stable_sort(names.begin(), names.end(), WbemName::Less);
    std::wstring path = className.GetString();
    bool first = true;
    try
    {
        const std::shared_ptr<CCorvessaClassObject> definition = CCorvessaHelper::GetTypeInformation(className);
        for (const std::wstring& name : names)
        {
            CIMTYPE type = CIM_EMPTY;
            if (FAILED(definition->Get(name.c_str(), 0, nullptr, &type, nullptr)))
                return brontel::utility::ConvertCStringToUtf8(className);
            _variant_t value = CCorvessaQpidInstance::ConvertedValue(keys, name.c_str(), type, false, false);
            path += (first ? L"." : L",") + name + L"=" + CimValue::ToKeyText(type, value.GetVARIANT());
            first = false;
        }
    }
    // The write stands; a key that cannot be shown leaves the class to name what was written.
    catch (const GenericException&)
    {
        return brontel::utility::ConvertCStringToUtf8(className);
    }
    catch (const CCorvessaException&)
    {
        return brontel::utility::ConvertCStringToUtf8(className);
    }
    catch (const brontel::utility::CWMIException&)
    {
        return brontel::utility::ConvertCStringToUtf8(className);
    }
    return ProvixaText::ToUtf8(path);
}

// Appends the instance's JSON text to `pieces`, as QpidTypeConverter writes the map {"class",
// "values"} of it (members by name) with its binary values in Base64. Its values are taken from
// it as they are written, and a binary value's Base64 is a piece of its own, made from its bytes:
// a value is never held by the instance and its text at once, nor copied into a longer text.
void AppendInstanceJson(CCorvessaQpidInstance& instance, std::vector<std::string>& pieces)
{
    std::string text = "{\"class\":" +
                       QpidTypeConverter::JsonString(brontel::utility::ConvertCStringToUtf8(instance.GetClassNameW())) +
                       ",\"values\":{";
    bool first = true;
    for (auto& [name, value] : instance.TakeInstanceValues())
    {
        text += (first ? "" : ",") + QpidTypeConverter::JsonString(name) + ":";
        first = false;
        std::string* bytes = BinaryBytes(value);
        if (bytes == nullptr)
        {
            text += QpidTypeConverter::ToJson(value);
            continue;
        }
        // Base64 needs no escaping in JSON.
        text += "{\"content_type\":" + QpidTypeConverter::ToJson(value.asMap().at("content_type")) + ",\"data\":\"";
        pieces.push_back(std::move(text));
        pieces.push_back(Base64Of(*bytes));
        text = "\"}";
    }
    pieces.push_back(text + "}}");
}
}  // namespace

std::string ProvixaBusInstanceCommands::ReadNumber(const std::string& shown, const std::string& text,
                                                   std::int32_t lowest, std::int32_t* value)
{
    constexpr std::int32_t kHighest = std::numeric_limits<std::int32_t>::max();
    const auto [end, status] = std::from_chars(text.data(), text.data() + text.size(), *value);
    const bool whole = !text.empty() && end == text.data() + text.size();
    // A number too large to read is out of range as one below the lowest is: it is a number.
    const bool number = whole && (status == std::errc() || status == std::errc::result_out_of_range);
    if (number && status == std::errc() && *value >= lowest)
        return std::string();
    return shown + (number ? " is out of range" : " is not a number") + ": it takes a number from " +
           std::to_string(lowest) + " to " + std::to_string(kHighest);
}

bool ProvixaBusInstanceCommands::Handles(const std::string& name)
{
    return std::find(kInstanceCommands.begin(), kInstanceCommands.end(), name) != kInstanceCommands.end();
}

std::string ProvixaBusInstanceCommands::Usage()
{
    return "  get CLASS [--filter COND] [--page N] [--size M] [--order a,b] [--desc]\n"
           "                                a page of instances (size 0: the count; default size 100;\n"
           "                                page 0: every instance, whatever the size; default page 1)\n"
           "  add CLASS NAME=VALUE...       add an instance (binary values in Base64)\n"
           "  modify CLASS NAME=VALUE...    change an instance named by its keys\n"
           "  delete CLASS KEY=VALUE...     delete an instance\n"
           "  exec CLASS METHOD [KEY=VALUE...] [--param NAME=VALUE]...  run a method ([A,B]: a list)\n"
           "  Each takes [--user USER]; outside the shell the default user is sa.\n";
}

namespace {
// A type's description of its properties or its methods, a map each; nothing when the type
// cannot be described for the session, which leaves the request to the front end.
std::optional<std::list<Variant>> Described(CCorvessaBaseApp& app, const std::string& session,
                                            const std::string& className, bool methods)
{
    CCorvessaQpidType type;
    std::string typeName = className;
    if (FAILED(app.GetType(session, ProvixaBusHost::kApplicationId, typeName, type)))
        return std::nullopt;
    return methods ? type.GetMethods() : type.GetProperties();
}

// The text member of a described map ("name", "type"); empty when it has none.
std::string MemberText(const Variant& described, const std::string& member)
{
    const Variant::Map& map = described.asMap();
    const auto found = map.find(member);
    return found != map.end() ? found->second.asString() : std::string();
}

bool Named(const std::vector<std::string>& names, const std::string& name)
{
    return std::any_of(names.begin(), names.end(), [&](const std::string& one) {
        return WbemName::Equal(ProvixaText::FromUtf8(one), ProvixaText::FromUtf8(name));
    });
}

// The front end runs any name its mapper takes and answers an unknown one with a general
// exception that does not name it, and a list parameter given as text with an invalid value:
// the type's description says which methods there are and which parameters take lists. Names
// match without regard to case, as the mappers read them. Throws WordRefusal for a method the
// type lacks and for a list parameter given in another form than [A,B].
void RequireMethod(CCorvessaBaseApp& app, const std::string& session, const std::string& className,
                   const std::string& method, const Variant::Map& parameters)
{
    const auto methods = Described(app, session, className, true);
    if (!methods)
        return;
    std::string names;
    for (const Variant& described : *methods)
    {
        const std::string name = MemberText(described, "name");
        names += (names.empty() ? "" : ", ") + name;
        if (!Named({name}, method))
            continue;
        const Variant::Map& map = described.asMap();
        const auto inputs = map.find("in_parameters");
        for (const Variant& input : inputs != map.end() ? inputs->second.asList() : Variant::List())
        {
            // The front end converts no embedded object: it would answer with a conversion's
            // internal name. The parameter says what it takes and where to give it.
            if (MemberText(input, "type") == "object")
            {
                for (const auto& [given, value] : parameters)
                {
                    if (Named({MemberText(input, "name")}, given))
                        throw WordRefusal{"the parameter " + given + " of " + name +
                                          " takes an embedded object, an instance of its class (written "
                                          "CLASS{NAME=VALUE,...} on the WMI door), which the bus carries as no "
                                          "parameter: write the instance with add CLASS NAME=VALUE... instead"};
                }
                continue;
            }
            if (!MemberText(input, "type").starts_with("list("))
                continue;
            for (const auto& [given, value] : parameters)
            {
                if (Named({MemberText(input, "name")}, given) && value.getType() != qpid::types::VAR_LIST)
                    throw WordRefusal{"the parameter " + given + " of " + method +
                                      " takes a list, written [A,B] on the bus: --param " + given + "=[" +
                                      value.asString() + "]"};
            }
        }
        return;
    }
    throw WordRefusal{className + " has no method " + method +
                      (names.empty() ? std::string(" (it has none)") : "; its methods: " + names)};
}

// The front end orders a page by the keys when the order names what is no property of the type
// (as the class mapper does): the person is told.
void WarnOfUnknownOrder(CCorvessaBaseApp& app, const std::string& session, const std::string& className,
                        const std::string& order, std::ostream& err)
{
    if (order.empty())
        return;
    const auto described = Described(app, session, className, false);
    std::vector<std::string> properties;
    for (const Variant& property : described ? *described : std::list<Variant>())
        properties.push_back(MemberText(property, "name"));
    for (std::size_t start = 0; described && start <= order.size();)
    {
        const std::size_t comma = std::min(order.find(',', start), order.size());
        std::string name = order.substr(start, comma - start);
        name.erase(0, name.find_first_not_of(' '));
        name.erase(name.find_last_not_of(' ') + 1);
        if (!name.empty() && !Named(properties, name))
        {
            err << "provixa: warning: " << name << " is not a property of " << className
                << ", so the page is ordered by the keys\n";
            return;
        }
        start = comma + 1;
    }
}

// The command's request and its answer; the front end's HRESULT. The command's values are
// handed to the request (and are gone afterwards).
HRESULT RunParsed(ProvixaBusSession& busSession, const std::string& name, InstanceCommand& command)
{
    CCorvessaBaseApp& app = busSession.app;
    std::ostream& out = busSession.out;
    const std::string session = busSession.token(command.user);
    const std::string application = ProvixaBusHost::kApplicationId;
    std::string className = command.operands[0];
    CCorvessaQpidInstance instance;
    instance.PopulateInstanceData(className, command.values);
    command.values.clear();
    HRESULT hr = S_OK;
    if (name == "get")
    {
        CCorvessaBaseApp::CorvessaPaginatedInfo info;
        WarnOfUnknownOrder(app, session, className, command.paging.orderBy, busSession.err);
        // Each instance becomes its JSON text as it is read, so the page costs about what it
        // prints; it is printed once whole, since a failed read prints no part of a page. The
        // texts are kept apart, never copied into one growing text.
        std::vector<std::string> page{"{\"instances\":["};
        hr = app.GetInstance(session, application, className, command.filter, command.paging, info,
                             [&](std::unique_ptr<CCorvessaQpidInstance> found) {
                                 if (page.size() > 1)
                                     page.emplace_back(",");
                                 AppendInstanceJson(*found, page);
                             });
        if (FAILED(hr))
            return hr;
        // The members in the order the converter writes a map's: by name.
        const std::string rest = QpidTypeConverter::ToJson(Variant::Map{{"total_count", Variant(info.totalCount)},
                                                                        {"total_pages", Variant(info.totalPages)},
                                                                        {"page_number", Variant(info.pageNumber)},
                                                                        {"page_size", Variant(info.pageSize)}});
        page.push_back("]," + rest.substr(1) + "\n");
        // Handed over in pieces: the output goes out as it is given, never held whole twice.
        for (const std::string& text : page)
            for (std::size_t at = 0; at < text.size(); at += kPieceBytes)
                out.write(text.data() + at, static_cast<std::streamsize>(std::min(kPieceBytes, text.size() - at)));
        return hr;
    }
    if (name == "exec")
    {
        RequireMethod(app, session, className, command.operands[1], command.parameters);
        CCorvessaQpidMethodParameter input(true);
        input.PopulateUsingVariantMapData(command.parameters);
        CCorvessaQpidMethodParameter output(false);
        try
        {
            hr = app.ExecuteMethod(session, application, instance, command.operands[1], input, output);
        }
        catch (const CCorvessaException& failure)
        {
            // A method run on the type whose mapper found no instance to run on: said as the WMI
            // door says it, naming the keys that name one.
            if (failure.HResult() != WBEM_E_NOT_FOUND || !instance.GetInstanceKeyValues().empty())
                throw;
            const std::string onInstance = ProvixaExplanation::RunsOnAnInstance(
                CCorvessaHelper::GetTypeInformation(instance.GetClassNameW()).get(), className, command.operands[1]);
            if (onInstance.empty())
                throw;
            throw WordRefusal{onInstance + " (on the bus: exec " + className + " " + command.operands[1] + " " +
                              onInstance.substr(onInstance.find(className + ".") + className.size() + 1) + ")"};
        }
        if (SUCCEEDED(hr))
        {
            busSession.tookEffect(
                ProvixaHost::EffectText(ProvixaHost::Effect::MethodRan, PathOf(instance), command.operands[1]));
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
        {
            busSession.tookEffect(ProvixaHost::EffectText(ProvixaHost::Effect::Deleted, PathOf(instance)));
            out << QpidTypeConverter::ToJson(Variant::Map{{"deleted", Variant(true)}}) << "\n";
        }
        return hr;
    }
    CCorvessaQpidInstance written;
    try
    {
        hr = name == "add" ? app.AddInstance(session, application, instance, written, true)
                           : app.ModifyInstance(session, application, instance, written, true);
    }
    catch (const CCorvessaException& failure)
    {
        // A class that takes no modify (a photo's) still takes a delete and an add: the road
        // that replaces an instance.
        if (name == "modify" && failure.HResult() == WBEM_E_NOT_SUPPORTED)
            throw CCorvessaException(failure.ErrorCode(),
                                     failure.ErrorMessage() + " " + className +
                                         " takes no modify: replace the instance by a delete, then an add with the "
                                         "new values (delete " +
                                         className + " KEY=VALUE..., then add " + className +
                                         " KEY=VALUE... NAME=VALUE...)",
                                     failure.HResult());
        // The write's refusal names the property; what is wrong with its value (a text past its
        // length, a NUL, a date-time that names no day) is said as the WMI door says it.
        if (failure.ErrorCode() != CCorvessaException::kInvalidRequestItemKey)
            throw;
        std::vector<std::pair<std::string, std::string>> texts;
        for (const auto& [property, value] : instance.GetInstanceValues())
        {
            if (value.getType() == qpid::types::VAR_STRING && value.getString().size() <= kPieceBytes)
                texts.emplace_back(property, value.getString());
        }
        const std::string fault = ProvixaExplanation::OfValues(
            CCorvessaHelper::GetTypeInformation(instance.GetClassNameW()).get(), texts, Door::kBus);
        if (fault.empty() || failure.ErrorMessage().find(fault) != std::string::npos)
            throw;
        throw CCorvessaException(failure.ErrorCode(), failure.ErrorMessage() + " " + fault);
    }
    if (SUCCEEDED(hr))
    {
        busSession.tookEffect(ProvixaHost::EffectText(ProvixaHost::Effect::Written, PathOf(written)));
        std::vector<std::string> pieces;
        AppendInstanceJson(written, pieces);
        for (const std::string& piece : pieces)
            out << piece;
        out << "\n";
    }
    return hr;
}
}  // namespace

void ProvixaBusInstanceCommands::Run(ProvixaBusSession& session, const std::string& name,
                                     std::vector<std::string> words)
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
