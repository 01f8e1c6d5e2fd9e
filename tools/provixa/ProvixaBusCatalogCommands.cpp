#include "tools/provixa/ProvixaBusCatalogCommands.h"

#include <charconv>
#include <cstdlib>
#include <string>
#include <utility>

#include "Libraries/OstrumCore/Source/Utils/StringUtils.h"
#include "bus/CCorvessaBaseApp.h"
#include "bus/CCorvessaException.h"
#include "bus/CCorvessaQpidInstance.h"
#include "bus/CCorvessaQpidType.h"
#include "inhouse/BntUtility/StringConversion.h"
#include "tools/provixa/ProvixaBusHost.h"
#include "mappers/devices/QpidTypeConverter.h"

namespace {
using qpid::types::Variant;

void Check(ProvixaBusSession& session, HRESULT hr)
{
    if (FAILED(hr))
        session.failed(hr);
}

void ExpectOperands(ProvixaBusSession& session, const std::string& name, const std::vector<std::string>& operands,
                    std::size_t count, const char* what)
{
    if (operands.size() != count)
        session.usage(name + " takes " + what);
}

void Types(ProvixaBusSession& session)
{
    Variant::Map types;
    Check(session, session.app.GetTypes(session.token({}), ProvixaBusHost::kApplicationId, types));
    session.out << QpidTypeConverter::ToJson(types) << "\n";
}

void Type(ProvixaBusSession& session, const std::string& typeName)
{
    CCorvessaQpidType type;
    Check(session, session.app.GetType(session.token({}), ProvixaBusHost::kApplicationId, typeName, type));
    const auto list = [](const std::list<Variant>& items) {
        return Variant(Variant::List(items.begin(), items.end()));
    };
    session.out << QpidTypeConverter::ToJson(Variant::Map{{"class_name", Variant(type.GetClassNameW())},
                                                          {"display_name", Variant(type.GetClassDisplayName())},
                                                          {"properties", list(type.GetProperties())},
                                                          {"methods", list(type.GetMethods())}})
                << "\n";
}
int OperandNumber(ProvixaBusSession& session, const std::string& text, const char* what)
{
    int value = 0;
    const auto [end, status] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || status != std::errc() || end != text.data() + text.size())
        session.usage(std::string(what) + " must be a number");
    return value;
}

void Media(ProvixaBusSession& session, const std::vector<std::string>& operands)
{
    Variant contentType;
    Variant data;
    Check(session,
          session.app.GetMultimediaObjectData(session.token({}), ProvixaBusHost::kApplicationId,
                                              OperandNumber(session, operands[0], "the person id"),
                                              OperandNumber(session, operands[1], "the object type"),
                                              OperandNumber(session, operands[2], "the data type"), contentType, data));
    if (data.getType() == qpid::types::VAR_VOID)
    {
        session.out << QpidTypeConverter::ToJson(Variant::Map{{"found", Variant(false)}}) << "\n";
        return;
    }
    // The map QpidTypeConverter writes (members by name), with the Base64 written on its own: the
    // bytes are let go once it stands, and it is never copied into a longer text.
    std::string base64;
    std::size_t size = 0;
    {
        const std::string bytes = std::move(data.getString());
        data = Variant();
        size = bytes.size();
        base64 = ostrum::utils::StringUtils::base64Encode(reinterpret_cast<const unsigned char*>(bytes.data()),
                                                          static_cast<int>(bytes.size()), true);
    }
    // Base64 needs no escaping in JSON.
    session.out << "{\"content_type\":" << QpidTypeConverter::ToJson(contentType) << ",\"data_base64\":\"";
    session.out << base64;
    session.out << "\",\"found\":true,\"size\":" << size << "}\n";
}

void Directories(ProvixaBusSession& session, const std::vector<std::string>& operands)
{
    std::string filter;
    for (const std::string& word : operands)
        filter += (filter.empty() ? "" : " ") + word;
    CCorvessaBaseApp::InstanceList directories;
    Check(session, session.app.GetDirectories(filter, directories));
    Variant::List list;
    for (const auto& directory : directories)
        list.push_back(
            Variant(Variant::Map(directory->GetInstanceValues().begin(), directory->GetInstanceValues().end())));
    session.out << QpidTypeConverter::ToJson(Variant(list)) << "\n";
}

void Cardholder(ProvixaBusSession& session, const std::vector<std::string>& operands)
{
    const char* password = std::getenv(ProvixaBusCatalogCommands::kDirectoryPasswordVariable);
    if (password == nullptr)
        session.refused(std::string("no directory password given: set ") +
                        ProvixaBusCatalogCommands::kDirectoryPasswordVariable);
    LONG cardholderId = 0;
    const LONG directoryId = OperandNumber(session, operands[0], "the directory id");
    const std::string token = session.token({});
    try
    {
        Check(session, session.app.GetCardholderFromDirectory(token, ProvixaBusHost::kApplicationId, directoryId,
                                                              operands[1], password, &cardholderId));
    }
    catch (const CCorvessaException& failure)
    {
        // The caller signed in already: the password refused here is the directory account's.
        if (failure.ErrorCode() != CCorvessaException::kInvalidCredentialsKey)
            throw;
        throw CCorvessaException(failure.ErrorCode(),
                                 failure.ErrorMessage() + " The password refused is " +
                                     ProvixaBusCatalogCommands::kDirectoryPasswordVariable + ", for the account " +
                                     operands[1] + " of directory " + std::to_string(directoryId) + ".",
                                 failure.HResult());
    }
    session.out << QpidTypeConverter::ToJson(
                       Variant::Map{{"cardholder_id", Variant(static_cast<std::int32_t>(cardholderId))}})
                << "\n";
}
}  // namespace

std::string ProvixaBusCatalogCommands::Usage()
{
    return "  types                         every type the bus exposes, with its parent\n"
           "  type CLASS                    one type's properties and methods\n"
           "  media PERSON OBJECT DATA      a person's stored multimedia data (Base64) and its MIME type\n"
           "  directories [FILTER]          the directories (a WQL condition on Bnt_Directory); needs no login\n"
           "  cardholder DIRECTORY USER     the cardholder of a directory account (password: " +
           std::string(kDirectoryPasswordVariable) + ")\n";
}

bool ProvixaBusCatalogCommands::Execute(ProvixaBusSession& session, const std::string& name,
                                        const std::vector<std::string>& operands)
{
    if (name == "types")
    {
        ExpectOperands(session, name, operands, 0, "no operands");
        Types(session);
    }
    else if (name == "type")
    {
        ExpectOperands(session, name, operands, 1, "the class name");
        Type(session, operands[0]);
    }
    else if (name == "media")
    {
        ExpectOperands(session, name, operands, 3, "the person id, object type and data type");
        Media(session, operands);
    }
    else if (name == "directories")
        Directories(session, operands);
    else if (name == "cardholder")
    {
        ExpectOperands(session, name, operands, 2, "the directory id and the account's user name");
        Cardholder(session, operands);
    }
    else
        return false;
    return true;
}
