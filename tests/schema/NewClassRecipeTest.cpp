// The recipe of a new class (DESIGN.md, "A new class") followed on a scratch class: its
// declaration table (the class, its properties, its segment source, what its ids name), a mapper,
// and the mapper's binding, loaded as the schema loads. With every step the class loads and is
// served, its records seen as its segment source says; with one step left out it fails to load,
// and the error line names the class and the step it lacks.
#include <algorithm>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/AccessCodes.h"
#include "framework/CWmipMapperSkeleton.h"
#include "schema/DeclareSchema.h"
#include "platform/wmi/WbemClassObject.h"
#include "schema/MapperBindings.h"
#include "tests/support/DemoMapperTest.h"
#include "tests/support/IntegerArray.h"

namespace {

constexpr wchar_t kScratch[] = L"Bnt_ScratchHoliday";

// Step 2, the mapper: the holidays again, under the class it is given. Bound under the scratch
// class it serves it; bound under another class it binds nothing to the scratch class.
template <const wchar_t* ClassName>
class CScratchMapper : public CWmipMapperSkeleton<CScratchMapper<ClassName>>
{
public:
    static constexpr const wchar_t* kWMIClassName = ClassName;
    CScratchMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
        : CWmipMapperSkeleton<CScratchMapper<ClassName>>(user, context, services)
    {
        this->SetPermissions(Permission::kViewCalendar, 0, 0, 0);
    }
};
constexpr wchar_t kOther[] = L"Bnt_ScratchOther";
using CScratchHolidayMapper = CScratchMapper<kScratch>;
using CScratchOtherMapper = CScratchMapper<kOther>;

// Step 1, the declaration table: the class and its class-wide qualifiers, its properties, its
// segment source, and what its one id names.
constinit const SchemaDeclaration kScratchDeclarations[] = {
    DeclareClass(kScratch),
    DeclareOwnSegment(kScratch, L"HOLIDAYS", L"SEGMENTID", SegmentOptionSegments),
    DeclareClassWidePropertyAttribute(kScratch, L"noedit", 1),
    DeclareProperty(kScratch, L"ID", CIM_SINT32, L"HOLIDAYS", L"HOLIDAYID", 1, 0, kNoIdType, 0),
    DeclareProperty(kScratch, L"SegmentID", CIM_SINT32, L"HOLIDAYS", L"SEGMENTID", 0, 0, kNoIdType, 1),
    DeclareProperty(kScratch, L"Name", CIM_STRING, L"HOLIDAYS", L"DESCRIPT", 0, 64, kNoIdType, 0),
    DeclareNoRecord(kScratch, L"SegmentID", L"the record's own segment, checked by the segment step"),
};

constexpr wchar_t kRefused[] = L"CWmipMapperRegistry: class Bnt_ScratchHoliday is not loaded: ";
constexpr wchar_t kUnbound[] = L"no bound mapper serves it (Bind<Mapper>() in schema/MapperBindings.cpp).";
constexpr wchar_t kUndeclared[] = L"its mapper is bound, but no declaration table declares it.";

struct Recipe
{
    const char* leftOut;
    // The kind of declaration left out of the table, if any, and what stands in its place.
    std::optional<SchemaDeclarationKind> dropped;
    std::vector<SchemaDeclaration> instead;
    // False: the table is not among the tables loaded.
    bool listed;
    std::vector<MapperBinding> bindings;
    // The refusal's error line after kRefused; empty: the class loads.
    std::wstring refusal;
};

class NewClassRecipe : public demomapper::DemoMapperTest
{
};

}  // namespace

TEST_F(NewClassRecipe, LoadsAClassOfEveryStepAndRefusesOneThatLacksAStepNamingIt)
{
    using K = SchemaDeclarationKind;
    const std::vector<MapperBinding> bound = {Bind<CScratchHolidayMapper>()};
    const std::vector<Recipe> recipes = {
        {"nothing", std::nullopt, {}, true, bound, L""},
        {"the segment source", K::SegmentSource, {}, true, bound, L"it declares no segment source for its records."},
        {"the declaration of the owner it belongs to",
         K::SegmentSource,
         {DeclareBelongsTo(kScratch, L"ID", L"Bnt_ScratchOwner", L"ID")},
         true,
         bound,
         L"it belongs to the Bnt_ScratchOwner, which is not loaded."},
        {"what an id names", K::NoRecord, {}, true, bound, L"its id SegmentID declares no record it names."},
        {"the class", K::ClassWithFactory, {}, true, bound, kUndeclared},
        {"the table's place in the list", std::nullopt, {}, false, bound, kUndeclared},
        {"the binding", std::nullopt, {}, true, {}, kUnbound},
        {"the class's own mapper", std::nullopt, {}, true, {Bind<CScratchOtherMapper>()}, kUnbound},
    };
    // The records the operator sees of Bnt_Holiday, whose segment source the scratch class
    // repeats: some, and not every holiday, so the source restricts.
    GrantOperator(Permission::kViewCalendar);
    LoginOperator();
    const auto holiday = FactoryMapper(L"Bnt_Holiday");
    ASSERT_NE(holiday, nullptr);
    const demomapper::Table seen = Values(Query(*holiday, L""), {L"ID", L"Name", L"SegmentID"});
    ASSERT_FALSE(seen.empty());
    ASSERT_LT(seen.size(), Rows("SELECT HOLIDAYID FROM HOLIDAYS").size());

    CWmipMapperRegistry* registry = CWmipMapperRegistry::Instance();
    for (const Recipe& recipe : recipes)
    {
        SCOPED_TRACE(std::string("left out: ") + recipe.leftOut);
        std::vector<SchemaDeclaration> declarations;
        for (const SchemaDeclaration& d : kScratchDeclarations)
            if (d.kind != recipe.dropped)
                declarations.push_back(d);
        declarations.insert(declarations.end(), recipe.instead.begin(), recipe.instead.end());
        const SchemaDeclarationTable table(declarations);
        std::vector<const SchemaDeclarationTable*> tables;
        if (recipe.listed)
            tables.push_back(&table);
        const std::vector<CString> refused = LoadSchema(tables, recipe.bindings);
        std::vector<std::wstring> names;
        for (const CString& name : refused)
            names.emplace_back(name.GetString());
        if (recipe.refusal.empty())
        {
            EXPECT_TRUE(names.empty());
            EXPECT_FALSE(registry->IsClassRefused(kScratch));
            ASSERT_NE(registry->GetTypeInfo(kScratch, true), nullptr);
            const auto chained = ChainMapper(kScratch);
            const auto built = FactoryMapper(kScratch);
            ASSERT_NE(chained, nullptr);
            ASSERT_NE(built, nullptr);
            EXPECT_EQ(Values(Query(*chained, L""), {L"ID", L"Name", L"SegmentID"}), seen);
            EXPECT_EQ(Values(Query(*built, L""), {L"ID", L"Name", L"SegmentID"}), seen);
            continue;
        }
        EXPECT_EQ(names.empty() ? std::wstring() : names.front(), kScratch);
        EXPECT_EQ(std::wstring(registry->GetRefusal(kScratch).GetString()), kRefused + recipe.refusal);
        EXPECT_EQ(registry->GetTypeInfo(kScratch, true), nullptr);
        EXPECT_EQ(ChainMapper(kScratch).get(), nullptr);
        EXPECT_EQ(FactoryMapper(kScratch).get(), nullptr);
    }
    // The schema's own classes stay served.
    EXPECT_NE(ChainMapper(L"Bnt_Holiday"), nullptr);
}

// A record a write names by a list of ids (an array of a single name): every element names a
// record, each checked as the caller, so a hidden one anywhere in the list refuses the call as a
// missing one does, naming the list; a list of records the caller sees passes.
TEST_F(NewClassRecipe, ARecordNamedByAListHasEveryElementChecked)
{
    std::vector<SchemaDeclaration> declarations(std::begin(kScratchDeclarations), std::end(kScratchDeclarations));
    declarations.push_back(DeclareMethod(kScratch, L"Mark"));
    declarations.push_back(DeclareMethodParameter(kScratch, L"Mark", true, L"HolidayIDs", CIM_SINT32 | CIM_FLAG_ARRAY));
    declarations.push_back(DeclareNamedRecordParameter(kScratch, L"Mark", L"HolidayIDs", L"Bnt_Holiday", L"ID"));
    const SchemaDeclarationTable table(declarations);
    const std::vector<const SchemaDeclarationTable*> tables = {&table};
    const std::vector<MapperBinding> bound = {Bind<CScratchHolidayMapper>()};
    ASSERT_TRUE(LoadSchema(tables, bound).empty());
    GrantOperator(Permission::kViewCalendar);
    LoginOperator();
    const auto holiday = FactoryMapper(L"Bnt_Holiday");
    ASSERT_NE(holiday, nullptr);
    std::vector<LONG> seen;
    for (const auto& row : Values(Query(*holiday, L""), {L"ID"}))
        seen.push_back(std::stol(row.front()));
    std::vector<LONG> hidden;
    for (const auto& row : Rows("SELECT HOLIDAYID FROM HOLIDAYS"))
        if (std::find(seen.begin(), seen.end(), std::stol(row.front())) == seen.end())
            hidden.push_back(std::stol(row.front()));
    ASSERT_GE(seen.size(), 2u);
    ASSERT_FALSE(hidden.empty());
    const LONG missing = 987654;
    const struct
    {
        const char* rule;
        std::vector<LONG> ids;
        bool refused;
    } cases[] = {
        {"every element seen", {seen[0], seen[1]}, false},
        {"a hidden one last", {seen[0], seen[1], hidden[0]}, true},
        {"a hidden one first", {hidden[0], seen[0]}, true},
        {"a missing one between", {seen[1], missing, seen[0]}, true},
    };
    const auto scratch = ChainMapper(kScratch);
    ASSERT_NE(scratch, nullptr);
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.rule);
        const ComPtr<WbemClassObject> values = WbemClassObject::CreateEmptyClass();
        _variant_t ids = support::IntegerArray(c.ids);
        ASSERT_EQ(values->Put(L"HolidayIDs", 0, &ids, CIM_SINT32 | CIM_FLAG_ARRAY), WBEM_S_NO_ERROR);
        CString message;
        const HRESULT answer = demomapper::Outcome(
            [&] {
                scratch->RequireVisibleNamedRecords(values.Get(), L"Mark");
                return S_OK;
            },
            &message);
        EXPECT_EQ(answer, c.refused ? WBEM_E_INVALID_PARAMETER : S_OK) << std::hex << answer;
        EXPECT_EQ(message.Find(L"HolidayIDs") >= 0, c.refused) << CStringToUtf8(message);
    }
}
