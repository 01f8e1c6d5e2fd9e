// Property names are not case-sensitive: over every declared concrete class with an instance
// in the installation, the instance's path with its keys in lower case, a WHERE clause on its
// keys in lower case, and a test on each declared property in lower case answer what the
// declared names answer.
#include "tests/e2e/DoorTest.h"

#include "platform/wmi/WbemPathParser.h"
#include "schema/SchemaTables.h"
#include "tests/support/PropertyText.h"

#include <cwctype>
#include <map>
#include <set>

namespace e2e {
namespace {

std::wstring Lower(std::wstring text)
{
    for (wchar_t& c : text)
        c = static_cast<wchar_t>(std::towlower(static_cast<std::wint_t>(c)));
    return text;
}

std::wstring Quoted(const std::wstring& value)
{
    std::wstring quoted = L"\"";
    for (const wchar_t c : value)
    {
        if (c == L'"' || c == L'\\')
            quoted += L'\\';
        quoted += c;
    }
    return quoted + L"\"";
}

// Every concrete class of the declarations with its properties that have a column.
std::map<std::wstring, std::vector<std::wstring>> ClassesWithColumnProperties()
{
    std::set<std::wstring> concrete;
    std::map<std::wstring, std::vector<std::wstring>> properties;
    for (const SchemaDeclarationTable* table : GetSchemaDeclarationTables())
        for (const SchemaDeclaration& declaration : *table)
        {
            if (declaration.IsConcreteClass())
                concrete.insert(declaration.className);
            if (declaration.kind == SchemaDeclarationKind::Property && *declaration.table != L'\0')
                properties[declaration.className].push_back(declaration.name);
        }
    std::map<std::wstring, std::vector<std::wstring>> classes;
    for (const std::wstring& name : concrete)
        classes[name] = properties[name];
    return classes;
}

class DoorNameCase : public DoorTest
{
};

TEST_F(DoorNameCase, EveryKeyAndPropertyInLowerCaseAnswersAsDeclared)
{
    CallAs(Callers::kAdministrator);
    std::size_t swept = 0;
    for (const auto& [className, properties] : ClassesWithColumnProperties())
    {
        const Reply all = Enum(Form::Sync, className);
        if (FAILED(all.result) || all.objects.empty())
            continue;
        SCOPED_TRACE(Utf8(className));
        const std::string relpath = support::PropertyText(all.objects.front().Get(), L"__RELPATH");
        // An instance without keys (an association row) has no path to name it by.
        if (relpath == "<null>" || relpath.find('.') == std::string::npos)
            continue;
        ++swept;
        WbemPathParser::Result keys;
        ASSERT_EQ(WbemPathParser::Parse(std::wstring(relpath.begin(), relpath.end()), &keys), WBEM_S_NO_ERROR)
            << relpath;
        std::wstring lowerPath = className;
        std::wstring lowerWhere;
        for (const WbemPathParser::Key& key : keys.keys)
        {
            lowerPath += (lowerPath == className ? L"." : L",") + Lower(key.name) + L"=" + Quoted(key.value);
            lowerWhere += (lowerWhere.empty() ? L" WHERE " : L" AND ") + Lower(key.name) + L" = " + Quoted(key.value);
        }
        const Reply got = Get(Form::Sync, lowerPath);
        ASSERT_EQ(got.result, WBEM_S_NO_ERROR) << Utf8(lowerPath) << " " << Description(got.statusObject.Get());
        ASSERT_EQ(got.objects.size(), 1u);
        EXPECT_EQ(support::PropertyText(got.objects.front().Get(), L"__RELPATH"), relpath);

        const Reply keyed = Query(Form::Sync, L"SELECT * FROM " + className + lowerWhere);
        EXPECT_EQ(keyed.result, WBEM_S_NO_ERROR) << Utf8(lowerWhere) << " " << Description(keyed.statusObject.Get());
        EXPECT_FALSE(keyed.objects.empty()) << Utf8(lowerWhere);

        for (const std::wstring& property : properties)
        {
            const std::wstring test = L" IS NOT NULL";
            const Reply declared = Query(Form::Sync, L"SELECT * FROM " + className + L" WHERE " + property + test);
            const Reply lower = Query(Form::Sync, L"SELECT * FROM " + className + L" WHERE " + Lower(property) + test);
            EXPECT_EQ(lower.result, declared.result) << Utf8(property) << " " << Description(lower.statusObject.Get());
            EXPECT_EQ(lower.objects.size(), declared.objects.size()) << Utf8(property);
        }
    }
    EXPECT_GE(swept, 30u);
}

}  // namespace
}  // namespace e2e
