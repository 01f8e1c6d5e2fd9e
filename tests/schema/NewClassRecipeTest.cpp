// The recipe of a new class (DESIGN.md, "A new class") followed on a scratch class: its
// declaration table (the class, its properties, its segment source, what its ids name), a mapper
// (its permission ids, its audit kind, a value list it shapes per caller and says it reads), and
// the mapper's binding, loaded as the schema loads. With every step the class loads and is
// served, its records seen as its segment source says, its writes asked for its own permission
// ids and audited under its kind, and its shaped list kept only while the list stamp its list
// table sets stands; with one step left out it fails to load, and the error line names the class
// and the step it lacks.
#include <algorithm>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/AccessCodes.h"
#include "framework/CWmipClassCache.h"
#include "framework/CWmipMapperSkeleton.h"
#include "framework/CWmipMessages.h"
#include "framework/CWmipUDFClassMapper.h"
#include "framework/WMIHelper.h"
#include "schema/DeclareSchema.h"
#include "platform/wmi/WbemClassObject.h"
#include "schema/MapperBindings.h"
#include "tests/support/ArrayTexts.h"
#include "tests/support/DemoMapperTest.h"
#include "tests/support/IntegerArray.h"
#include "tests/support/ManualClock.h"

namespace {

constexpr wchar_t kScratch[] = L"Bnt_ScratchHoliday";

// Step 2, the mapper: the holidays again, under the class it is given, with ids of its own for
// every right (none of them the operator's), an audit kind, and the holiday types its caller
// sees as the value list of Name. Bound under the scratch class it serves it; bound under another
// class it binds nothing to the scratch class.
constexpr DWORD kScratchView = Permission::kViewCalendar;
constexpr DWORD kScratchAdd = Permission::kAddBadgeStatuses;
constexpr DWORD kScratchModify = Permission::kModifyBadgeStatuses;
constexpr DWORD kScratchDelete = Permission::kDeleteBadgeStatuses;
constexpr LONG kScratchAudit = AuditObject::kVisitEvent;

template <const wchar_t* ClassName>
class CScratchMapper : public CWmipMapperSkeleton<CScratchMapper<ClassName>>
{
public:
    static constexpr const wchar_t* kWMIClassName = ClassName;
    CScratchMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
        : CWmipMapperSkeleton<CScratchMapper<ClassName>>(user, context, services)
    {
        this->SetPermissions(kScratchView, kScratchAdd, kScratchModify, kScratchDelete);
        this->SetTransactionObject(kScratchAudit);
    }
    CString GetTransactionValues(brontel::UserTranOperation::UserTransactionOperation,
                                 IWbemClassObject* instance) override
    {
        CString name;
        WMIHelper::GetString(instance, L"Name", name);
        return L"Scratch holiday " + name;
    }
    HRESULT ProcessClassPermissions(IWbemClassObject* classObject) override
    {
        CString extra;
        return CWmipUDFClassMapper::PutListValueQualifiers(classObject, L"Name", L"HOLIDAY_TYPE", extra,
                                                           this->RequireUser(), 0);
    }
    // The caller's rights and HOLIDAY_TYPE, whose triggers set the list stamp.
    CWmipMapper::DefinitionReuse GetShapedClassReuse() override
    {
        return CWmipMapper::DefinitionReuse::WhileRightsAndListsSame;
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

// The places step 2 names besides the hooks. Each write asks the class's own id of its kind
// (the operator holds every other one by then) and is refused without it before anything is
// written; a write it allows is audited under the class's kind with the mapper's text. The value
// list the mapper shapes is kept by the class cache only while the list stamp stands, which the
// list table's triggers set anew: without them a renamed holiday type is never listed.
TEST_F(NewClassRecipe, WritesAskTheClassesOwnIdsAndAreAuditedUnderItsKindAndItsShapedListFollowsTheListStamp)
{
    const SchemaDeclarationTable table(kScratchDeclarations);
    const std::vector<const SchemaDeclarationTable*> tables = {&table};
    const std::vector<MapperBinding> bound = {Bind<CScratchHolidayMapper>()};
    ASSERT_TRUE(LoadSchema(tables, bound).empty());
    const wchar_t* const kDenied = CWmipMessages::kAccessDenied;
    enum class Act
    {
        Read,
        Add,
        Modify,
        Delete
    };
    const struct
    {
        const char* rule;
        DWORD granted;
        Act act;
        HRESULT answer;
        // The refusal's text (CanView answers the code alone).
        const wchar_t* refusal;
        // The audit entry's kind, operation, user and text; empty: no entry.
        std::string audit;
        // The scratch holiday's stored ID, segment and name; empty: none.
        std::string stored;
    } writes[] = {
        {"a read without the view id", 0, Act::Read, WBEM_E_ACCESS_DENIED, L"", "", ""},
        {"an add with the view id alone", kScratchView, Act::Add, WBEM_E_ACCESS_DENIED, kDenied, "", ""},
        {"an add with the add id", kScratchAdd, Act::Add, S_OK, L"", "156|4|1|Scratch holiday Scratch day",
         "901|1|Scratch day"},
        {"a modify without the modify id", 0, Act::Modify, WBEM_E_ACCESS_DENIED, kDenied, "", "901|1|Scratch day"},
        {"a modify with it", kScratchModify, Act::Modify, S_OK, L"", "156|6|1|Scratch holiday Scratch day",
         "901|1|Scratch day"},
        {"a delete without the delete id", 0, Act::Delete, WBEM_E_ACCESS_DENIED, kDenied, "", "901|1|Scratch day"},
        {"a delete with it", kScratchDelete, Act::Delete, S_OK, L"", "156|7|1|Scratch holiday Scratch day", ""},
    };
    const std::string lastAudit = "SELECT OBJECT_TYPE || '|' || OPERATION || '|' || USERID || '|' || DESCRIPTION "
                                  "FROM USER_TRANSACTION_LOG ORDER BY USER_TRANSACTION_LOGID DESC LIMIT 1";
    const std::string storedRow = "SELECT HOLIDAYID || '|' || SEGMENTID || '|' || DESCRIPT FROM HOLIDAYS "
                                  "WHERE HOLIDAYID = 901";
    const auto text = [this](const std::string& sql) {
        const demomapper::Table rows = Rows(sql);
        return rows.empty() ? std::string() : rows.front().front();
    };
    for (const auto& w : writes)
    {
        SCOPED_TRACE(w.rule);
        if (w.granted != 0)
            GrantOperator(w.granted);
        LoginOperator();
        const auto scratch = ChainMapper(kScratch);
        ASSERT_NE(scratch, nullptr);
        const std::string auditBefore = text(lastAudit);
        CString message;
        const HRESULT answer = demomapper::Outcome(
            [&]() -> HRESULT {
                CString path;
                switch (w.act)
                {
                case Act::Read:
                    return scratch->CanView();
                case Act::Add: {
                    const demomapper::Instance headquarters = Get(*scratch, L"Bnt_ScratchHoliday.ID=4");
                    EXPECT_NE(headquarters, nullptr);
                    const demomapper::Instance added =
                        WithValue(WithValue(headquarters.Get(), L"ID", 901L).Get(), L"Name", L"Scratch day");
                    return scratch->WriteInstance(added.Get(), WBEM_FLAG_CREATE_ONLY, path);
                }
                case Act::Modify: {
                    // Every property is "noedit" (the class-wide qualifier): a modify puts the
                    // stored values back.
                    const demomapper::Instance stored = Get(*scratch, L"Bnt_ScratchHoliday.ID=901");
                    EXPECT_NE(stored, nullptr);
                    return scratch->WriteInstance(stored.Get(), WBEM_FLAG_UPDATE_ONLY, path);
                }
                case Act::Delete:
                    return scratch->DeleteInstance(CWmipObjectPath::CreateFromPath(L"Bnt_ScratchHoliday.ID=901").get());
                }
                return E_UNEXPECTED;
            },
            &message);
        EXPECT_EQ(answer, w.answer) << std::hex << answer;
        EXPECT_EQ(std::wstring(message.GetString()), w.refusal);
        EXPECT_EQ(text(lastAudit), w.audit.empty() ? auditBefore : w.audit);
        EXPECT_EQ(text(storedRow), w.stored);
    }

    LoginOperator();
    const auto scratch = ChainMapper(kScratch);
    ASSERT_NE(scratch, nullptr);
    CAcsUser* caller = nullptr;
    ASSERT_EQ(scratch->GetUser(&caller), S_OK);
    support::ManualClock clock;
    CWmipClassCache cache(600, clock);
    const auto listed = [&] {
        IWbemClassObject* raw = nullptr;
        EXPECT_EQ(cache.GetClass(*scratch, caller, FALSE, &raw), S_OK);
        ComPtr<IWbemClassObject> definition;
        definition.Attach(raw);
        ComPtr<IWbemQualifierSet> qualifiers;
        _variant_t names;
        if (definition == nullptr || FAILED(definition->GetPropertyQualifierSet(L"Name", &qualifiers)) ||
            FAILED(qualifiers->Get(L"Values", 0, &names, nullptr)))
            return std::vector<std::wstring>();
        return support::ArrayTexts(names);
    };
    std::vector<std::wstring> expected = listed();
    const auto headquarters = std::find(expected.begin(), expected.end(), L"Headquarters closures");
    ASSERT_NE(headquarters, expected.end());
    const struct
    {
        const char* rule;
        const char* before;
        const wchar_t* renamed;
        const wchar_t* listed;
    } renames[] = {
        {"HOLIDAY_TYPE's trigger sets the list stamp", "", L"Headquarters shutdowns", L"Headquarters shutdowns"},
        {"the trigger left out", "DROP TRIGGER HOLIDAY_TYPE_U_LISTS;", L"Headquarters breaks",
         L"Headquarters shutdowns"},
    };
    for (const auto& r : renames)
    {
        SCOPED_TRACE(r.rule);
        // A change of the schema alone makes the list anew: the rename that follows is what the
        // stamp must carry.
        if (*r.before != '\0')
        {
            Exec(r.before);
            EXPECT_EQ(listed(), expected);
        }
        Exec("UPDATE HOLIDAY_TYPE SET NAME = '" + CStringToUtf8(r.renamed) + "' WHERE ID = 2");
        *headquarters = r.listed;
        EXPECT_EQ(listed(), expected);
    }
}
