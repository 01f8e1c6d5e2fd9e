#include "tools/provixa/ProvixaBusCatalogCommands.h"

#include "bus/CCorvessaBaseApp.h"
#include "bus/CCorvessaQpidType.h"
#include "tools/provixa/ProvixaBusHost.h"
#include "tools/provixa/ProvixaBusJson.h"

namespace
{
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
    Check(session, session.app.GetTypes(session.token(), ProvixaBusHost::kApplicationId, types));
    session.out << ProvixaBusJson::Json(types) << "\n";
}

void Type(ProvixaBusSession& session, const std::string& typeName)
{
    CCorvessaQpidType type;
    Check(session, session.app.GetType(session.token(), ProvixaBusHost::kApplicationId, typeName, type));
    const auto list = [](const std::list<Variant>& items) { return Variant(Variant::List(items.begin(), items.end())); };
    session.out << ProvixaBusJson::Json(Variant::Map{{"class_name", Variant(type.GetClassNameW())},
                                                     {"display_name", Variant(type.GetClassDisplayName())},
                                                     {"properties", list(type.GetProperties())},
                                                     {"methods", list(type.GetMethods())}})
                << "\n";
}
} // namespace

std::string ProvixaBusCatalogCommands::Usage()
{
    return "  types                         every type the bus exposes, with its parent\n"
           "  type CLASS                    one type's properties and methods\n";
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
    else
        return false;
    return true;
}
