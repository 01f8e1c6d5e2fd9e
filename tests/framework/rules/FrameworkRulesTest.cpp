// The rules the framework keeps for every class, checked once over all classes the schema
// declares with a mapper (a class declared later is covered without touching this file). Each
// expectation is read from what the class declares: its registered properties and keys, its
// mapper's permission ids and the methods its definition carries. The demo installation gives
// the rows the keyed reads and the refused writes work on.
#include "tests/support/DemoMapperTest.h"

#include <strings.h>

#include <functional>
#include <map>
#include <set>
#include <typeinfo>

#include "framework/CWMITypeInfo.h"
#include "framework/WMIHelper.h"
#include "platform/com/BstrOwner.h"
#include "schema/MapperBindings.h"
#include "tests/schema/SchemaWalk.h"

using namespace demomapper;

namespace {

// Built on the fixture's bare bus namespace, Bnt_VisitEvent's definition (its field layout)
// carries no system properties, so the query check cannot tell an undeclared name there; the
// definitions both doors hand out carry them, and both doors refuse such a name.
const std::set<std::wstring> kDefinitionsWithoutSystemProperties = {L"Bnt_VisitEvent"};

// The classes whose mappers decide viewing by a rule of their own instead of their view right
// (CanView overridden: both cardholder rights, the caller's managed access levels, the rights of
// the person kind an account link names); their own tests check it.
const std::set<std::wstring> kOwnViewRules = {
    L"Bnt_AccessLevelRequest", L"Bnt_AccessLevelUser", L"Bnt_Cardholder",     L"Bnt_CardholderAccount",
    L"Bnt_DirectoryAccount",   L"Bnt_ReaderRequest",   L"Bnt_VisitorAccount",
};

// Every concrete class whose mapper has a factory, in declaration order.
std::vector<std::wstring> ServedClasses()
{
    std::vector<std::wstring> classes;
    for (const SchemaDeclaration* declaration : schema_test::AllDeclarations())
        if (declaration->IsConcreteClass() &&
            MapperBindings::FindFactoryServing(MapperBindings::GetBound(), declaration->className))
            classes.emplace_back(declaration->className);
    return classes;
}

// The table-backed properties the class declares: property -> {table, column}.
std::map<std::wstring, std::pair<std::wstring, std::wstring>> DeclaredColumns(const std::wstring& className)
{
    std::map<std::wstring, std::pair<std::wstring, std::wstring>> columns;
    for (const SchemaDeclaration* declaration : schema_test::OfKind(SchemaDeclarationKind::Property))
        if (className == declaration->className && *declaration->table != L'\0')
            columns[declaration->name] = {declaration->table, declaration->column};
    return columns;
}

std::vector<std::string> Sorted(std::vector<std::string> names)
{
    std::sort(names.begin(), names.end());
    return names;
}

// The names of the properties the class itself declares (table-backed, reference or computed).
std::vector<std::string> DeclaredProperties(const std::wstring& className)
{
    std::vector<std::string> names;
    for (const SchemaDeclaration* declaration : schema_test::AllDeclarations())
        if ((declaration->kind == SchemaDeclarationKind::Property ||
             declaration->kind == SchemaDeclarationKind::ReferenceProperty ||
             declaration->kind == SchemaDeclarationKind::DynamicProperty) &&
            className == declaration->className)
            names.push_back(CStringToUtf8(declaration->name));
    return Sorted(names);
}

// The key properties the registry holds for the class.
std::vector<std::string> RegisteredKeys(const std::wstring& className)
{
    std::vector<std::string> keys;
    const CWMITypeInfo* typeInfo = CWmipMapperRegistry::Instance()->GetTypeInfo(className.c_str(), true);
    if (typeInfo != nullptr)
        for (const auto& [key, column] : typeInfo->GetKeyProperties())
            keys.push_back(CStringToUtf8(key));
    return Sorted(keys);
}

// A key value no demo row holds in place of value: a number far off, or a longer text.
CString AnotherValue(const CString& value)
{
    wchar_t* end = nullptr;
    const long number = std::wcstol(value.GetString(), &end, 10);
    if (!value.IsEmpty() && *end == L'\0')
    {
        CString other;
        other.Format(L"%ld", number + 987654);
        return other;
    }
    return value + L"~";
}

// True when the class is declared with every property not editable ("noedit" class-wide).
bool DeclaredNotEditable(const std::wstring& className)
{
    const auto declarations = schema_test::OfKind(SchemaDeclarationKind::ClassWidePropertyAttribute);
    return std::any_of(declarations.begin(), declarations.end(), [&className](const SchemaDeclaration* declaration) {
        return className == declaration->className && std::wstring(declaration->attribute) == L"noedit" &&
               declaration->integerValue != 0;
    });
}

// True when the class's mapper has no permission for any kind of write (permission id 0).
bool MapperWithoutWrites(const CWmipClassMapper& mapper)
{
    return mapper.GetAddPermission() == 0 && mapper.GetModifyPermission() == 0 && mapper.GetDeletePermission() == 0;
}

class FrameworkRules : public DemoMapperTest
{
protected:
    // The non-system properties of a definition.
    static std::vector<std::string> Properties(IWbemClassObject* definition)
    {
        std::vector<std::string> names;
        EXPECT_EQ(WMIHelper::ForEachProperty(definition, WBEM_FLAG_NONSYSTEM_ONLY,
                                             [&names](const CString& property, const VARIANT&, CIMTYPE) {
                                                 names.push_back(CStringToUtf8(property));
                                                 return true;
                                             }),
                  S_OK);
        return Sorted(names);
    }

    // The methods a definition carries.
    static std::vector<CString> Methods(IWbemClassObject* definition)
    {
        std::vector<CString> names;
        if (definition == nullptr || FAILED(definition->BeginMethodEnumeration(0)))
            return names;
        BstrOwner name;
        while (definition->NextMethod(0, name.Receive(), nullptr, nullptr) == WBEM_S_NO_ERROR)
            names.emplace_back(name.Get());
        definition->EndMethodEnumeration();
        return names;
    }

    // Every instance's non-system values as text, in a stable order.
    static Table Snapshot(const std::vector<Instance>& instances)
    {
        Table rows;
        for (const Instance& instance : instances)
        {
            std::vector<std::string> row;
            for (const std::string& property : Properties(instance.Get()))
                row.push_back(property + "=" + support::PropertyText(instance.Get(), Utf8ToCString(property)));
            rows.push_back(std::move(row));
        }
        std::sort(rows.begin(), rows.end());
        return rows;
    }

    // The keyed path of an instance: the class's registered keys with the instance's values.
    static CWmipObjectPath PathOf(const std::wstring& className, IWbemClassObject* instance)
    {
        CWmipObjectPath path(className.c_str());
        for (const std::string& key : RegisteredKeys(className))
        {
            const CString name = Utf8ToCString(key);
            EXPECT_TRUE(path.AddKey(name, Utf8ToCString(support::PropertyText(instance, name)))) << key;
        }
        return path;
    }

    // A copy of the instance whose first key holds a value no demo row holds: a new instance.
    static Instance WithKeyOfNoRow(IWbemClassObject* instance, const CWmipObjectPath& path)
    {
        const CString& key = path.GetKeyNames().front();
        CIMTYPE type = CIM_EMPTY;
        EXPECT_EQ(instance->Get(key, 0, nullptr, &type, nullptr), S_OK);
        const CString text = AnotherValue(path.GetKeyValues().front());
        return WithValue(instance, key,
                         type == CIM_STRING
                             ? _variant_t(text.GetString())
                             : _variant_t(static_cast<LONG>(std::wcstol(text.GetString(), nullptr, 10))));
    }

    // Reads the instance a keyed path names as the framework reads it (GetCurrentInstance):
    // the outcome, and the instance in found (null when none matches).
    static HRESULT Read(CWmipClassMapper& mapper, const CWmipObjectPath& path, Instance& found)
    {
        CWmipObjectPath copy = path;
        found = Instance();
        return Outcome([&] {
            found.Attach(mapper.GetCurrentInstance(&copy));
            return S_OK;
        });
    }

    // The instance a keyed path names; null when none matches or the read fails.
    static Instance Read(CWmipClassMapper& mapper, const CWmipObjectPath& path)
    {
        Instance found;
        EXPECT_EQ(Read(mapper, path, found), S_OK) << CStringToUtf8(path.GetPath());
        return found;
    }

    // Runs check on the mapper that the registry's factory builds for each declared class,
    // working for the current caller; a failure names the class.
    void ForEachClass(const std::function<void(const std::wstring& className, CWmipClassMapper& mapper)>& check)
    {
        for (const std::wstring& className : ServedClasses())
        {
            SCOPED_TRACE(CStringToUtf8(className.c_str()));
            const std::unique_ptr<CWmipClassMapper> mapper = FactoryMapper(className.c_str());
            ASSERT_NE(mapper, nullptr);
            check(className, *mapper);
        }
    }

    // The outcome of a query text set on the mapper.
    static HRESULT QueryOutcome(CWmipClassMapper& mapper, const std::wstring& wql)
    {
        const std::unique_ptr<CWmipQuery> query = CWmipQuery::CreateFromQuery(wql.c_str());
        if (query == nullptr)
        {
            ADD_FAILURE() << "unparsed: " << CStringToUtf8(wql.c_str());
            return E_FAIL;
        }
        const HRESULT hr = Outcome([&] { return mapper.SetQuery(query.get()); });
        mapper.SetQuery(nullptr);
        return hr;
    }
};

TEST_F(FrameworkRules, EveryDeclaredClassIsServedByOneMapperWhicheverWayItIsBuilt)
{
    LoginAdministrator();
    ASSERT_FALSE(ServedClasses().empty());
    ForEachClass([&](const std::wstring& className, CWmipClassMapper& mapper) {
        EXPECT_EQ(mapper.GetClassName(), CString(className.c_str()));
        // The name chain, when it reaches the class, builds the same mapper whatever the case of
        // the name.
        CString upper(className.c_str());
        upper.MakeUpper();
        const auto chained = ChainMapper(className.c_str());
        const auto chainedByUpper = ChainMapper(upper);
        EXPECT_EQ(chained == nullptr, chainedByUpper == nullptr);
        if (chained == nullptr || chainedByUpper == nullptr)
            return;
        for (const CWmipClassMapper* built : {chained.get(), chainedByUpper.get()})
        {
            EXPECT_EQ(typeid(*built), typeid(mapper));
            EXPECT_EQ(built->GetClassName(), mapper.GetClassName());
            EXPECT_EQ(built->GetViewPermission(), mapper.GetViewPermission());
            EXPECT_EQ(built->GetAddPermission(), mapper.GetAddPermission());
            EXPECT_EQ(built->GetModifyPermission(), mapper.GetModifyPermission());
            EXPECT_EQ(built->GetDeletePermission(), mapper.GetDeletePermission());
        }
    });
}

TEST_F(FrameworkRules, NamesTheClassDoesNotDeclareAreInvalidQueries)
{
    LoginAdministrator();
    ForEachClass([&](const std::wstring& className, CWmipClassMapper& mapper) {
        const std::vector<std::string> properties = Properties(mapper.GetCallerDefinition().Get());
        const auto declared = [&properties](const std::wstring& name) {
            const std::string narrow = CStringToUtf8(name.c_str());
            return std::any_of(properties.begin(), properties.end(),
                               [&narrow](const std::string& p) { return strcasecmp(p.c_str(), narrow.c_str()) == 0; });
        };
        // An unknown name, a column of a table no class exposes whole (the stored password
        // hash), and the columns behind the declared properties under their own names.
        std::vector<std::wstring> undeclared = {L"UndeclaredProperty", L"USERS.LOGONPWD"};
        for (const auto& [property, column] : DeclaredColumns(className))
        {
            undeclared.push_back(column.first + L"." + column.second);
            if (!declared(column.second))
                undeclared.push_back(column.second);
        }
        const std::wstring from = L" FROM " + className;
        EXPECT_EQ(QueryOutcome(mapper, L"SELECT UndeclaredProperty" + from), WBEM_E_INVALID_QUERY);
        if (kDefinitionsWithoutSystemProperties.contains(className))
            return;
        for (const std::wstring& name : undeclared)
        {
            ASSERT_FALSE(declared(name)) << CStringToUtf8(name.c_str());
            EXPECT_EQ(QueryOutcome(mapper, L"SELECT *" + from + L" WHERE " + name + L" = 1"), WBEM_E_INVALID_QUERY)
                << CStringToUtf8(name.c_str());
        }
    });
}

TEST_F(FrameworkRules, KeyedReadsNeedEveryKeyWithItsOwnValue)
{
    LoginAdministrator();
    size_t checked = 0;
    ForEachClass([&](const std::wstring& className, CWmipClassMapper& mapper) {
        if (RegisteredKeys(className).empty())
            return;  // an association is named by its references
        const std::vector<Instance> instances = Query(mapper, L"");
        if (instances.empty())
            return;  // no demo row to name
        const CWmipObjectPath path = PathOf(className, instances.front().Get());
        EXPECT_NE(Read(mapper, path), nullptr) << CStringToUtf8(path.GetPath());
        for (int left = 0; left < path.GetKeyCount(); ++left)
        {
            // The path without that key, and with another value for it.
            CWmipObjectPath partial(className.c_str());
            CWmipObjectPath other(className.c_str());
            for (int i = 0; i < path.GetKeyCount(); ++i)
            {
                const CString& name = path.GetKeyNames()[static_cast<size_t>(i)];
                const CString& value = path.GetKeyValues()[static_cast<size_t>(i)];
                if (i != left)
                {
                    ASSERT_TRUE(partial.AddKey(name, value));
                }
                ASSERT_TRUE(other.AddKey(name, i == left ? AnotherValue(value) : value));
            }
            // A path left with no key at all names no instance: it is refused as such.
            Instance found;
            EXPECT_EQ(Read(mapper, partial, found), partial.GetKeyCount() == 0 ? WBEM_E_INVALID_OBJECT_PATH : S_OK)
                << CStringToUtf8(partial.GetPath());
            EXPECT_EQ(found, nullptr) << CStringToUtf8(partial.GetPath());
            EXPECT_EQ(Read(mapper, other), nullptr) << CStringToUtf8(other.GetPath());
        }
        ++checked;
    });
    EXPECT_GT(checked, 0u);
}

TEST_F(FrameworkRules, ClassDefinitionsCarryTheDeclaredPropertiesAndMarkTheirKeysAndNotEditableOnes)
{
    LoginAdministrator();
    ForEachClass([&](const std::wstring& className, CWmipClassMapper& mapper) {
        const Instance definition = mapper.GetCallerDefinition();
        // Inherited and user-defined properties come on top of the class's own.
        const std::vector<std::string> present = Properties(definition.Get());
        const std::vector<std::string> declared = DeclaredProperties(className);
        EXPECT_TRUE(std::includes(present.begin(), present.end(), declared.begin(), declared.end()));
        EXPECT_EQ(Sorted(PropertiesWithQualifier(definition.Get(), L"key")), RegisteredKeys(className));
        if (DeclaredNotEditable(className))
        {
            EXPECT_EQ(Sorted(PropertiesWithQualifier(definition.Get(), L"noedit")), Properties(definition.Get()));
        }
    });
}

TEST_F(FrameworkRules, ClassesWithoutWritesRefuseThemEvenToTheAdministrator)
{
    LoginAdministrator();
    ForEachClass([&](const std::wstring& className, CWmipClassMapper& mapper) {
        if (!MapperWithoutWrites(mapper))
            return;
        for (auto check : {&CWmipClassMapper::CanAdd, &CWmipClassMapper::CanModify, &CWmipClassMapper::CanDelete})
            EXPECT_EQ(Outcome([&] {
                          (mapper.*check)(nullptr);
                          return S_OK;
                      }),
                      WBEM_E_NOT_SUPPORTED);
        // A class whose properties are all declared not editable writes nothing of its own; the
        // others may write through a rule of their mapper (a method, a derived class).
        if (!DeclaredNotEditable(className))
            return;
        const std::vector<Instance> before = Query(mapper, L"");
        if (before.empty())
            return;  // no demo row to write
        IWbemClassObject* first = before.front().Get();
        CString written;
        for (const LONG flags : {LONG{0}, LONG{WBEM_FLAG_UPDATE_ONLY}})
            EXPECT_EQ(Outcome([&] { return mapper.PutInstance(first, flags, written); }), WBEM_E_NOT_SUPPORTED)
                << flags;
        CWmipObjectPath path = PathOf(className, first);
        if (path.GetKeyCount() > 0)
        {
            const Instance added = WithKeyOfNoRow(first, path);
            ASSERT_NE(added, nullptr);
            EXPECT_EQ(Outcome([&] { return mapper.PutInstance(added.Get(), WBEM_FLAG_CREATE_ONLY, written); }),
                      WBEM_E_NOT_SUPPORTED);
            EXPECT_EQ(Outcome([&] { return mapper.DeleteInstance(&path); }), WBEM_E_NOT_SUPPORTED);
        }
        EXPECT_EQ(Snapshot(Query(mapper, L"")), Snapshot(before)) << "nothing written";
    });
}

TEST_F(FrameworkRules, ViewingNeedsTheClassesViewRightUnlessItNeedsNone)
{
    // A caller whose groups grant nothing.
    Exec("DELETE FROM USER_PERM_GRANT");
    LoginOperator();
    std::map<DWORD, std::vector<std::wstring>> byRight;
    ForEachClass([&](const std::wstring& className, CWmipClassMapper& mapper) {
        if (kOwnViewRules.contains(className))
            return;
        const DWORD right = mapper.GetViewPermission();
        if (right == CWmipClassMapper::kNoPermissionCheck)
        {
            EXPECT_EQ(mapper.CanView(), S_OK);
            return;
        }
        EXPECT_EQ(mapper.CanView(), WBEM_E_ACCESS_DENIED);
        EXPECT_EQ(Outcome([&] {
                      mapper.CanViewAll();
                      return S_OK;
                  }),
                  WBEM_E_ACCESS_DENIED);
        byRight[right].push_back(className);
    });
    ASSERT_FALSE(byRight.empty());
    // Each right alone lets its classes be viewed.
    for (const auto& [right, classes] : byRight)
    {
        Exec("DELETE FROM USER_PERM_GRANT");
        GrantOperator(right);
        LoginOperator();
        for (const std::wstring& className : classes)
            EXPECT_EQ(FactoryMapper(className.c_str())->CanView(), S_OK) << CStringToUtf8(className.c_str());
    }
    LoginAdministrator();
    ForEachClass([](const std::wstring&, CWmipClassMapper& mapper) { EXPECT_EQ(mapper.CanView(), S_OK); });
}

TEST_F(FrameworkRules, OnlyTheMethodsOfTheDefinitionAreSupported)
{
    LoginAdministrator();
    ForEachClass([&](const std::wstring&, CWmipClassMapper& mapper) {
        const std::vector<CString> methods = Methods(mapper.GetCallerDefinition().Get());
        for (const CString& method : methods)
            EXPECT_TRUE(mapper.IsMethodSupported(method)) << CStringToUtf8(method);
        EXPECT_FALSE(mapper.IsMethodSupported(L"UndeclaredMethod"));
        EXPECT_FALSE(mapper.IsMethodSupported(nullptr));
        if (methods.empty())
        {
            EXPECT_EQ(Outcome([&] {
                          return mapper.ExecuteMethod(nullptr, L"UndeclaredMethod", 0, nullptr, nullptr, nullptr);
                      }),
                      WBEM_E_NOT_SUPPORTED);
        }
    });
}

}  // namespace
