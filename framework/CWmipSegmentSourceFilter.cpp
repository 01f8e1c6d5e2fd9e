#include "framework/CWmipSegmentSourceFilter.h"

#include "framework/CWMITypeInfo.h"
#include "framework/CWmipClassMapperHooks.h"
#include "framework/CWmipMapperRegistry.h"
#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "inhouse/BntCoreDb/CDBValue.h"
#include "inhouse/BntCoreDb/CDynamicRecordset.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntLogin/CBntAcsSystemOptions.h"
#include "inhouse/BntUserDb/CPerson.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "framework/WqlInstancePropertySource.h"
#include "inhouse/BntCoreDb/CLoginQuery.h"
#include "platform/com/Variant.h"
#include "platform/com/WbemConstants.h"
#include "platform/wmi/IWbemClassObject.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

using brontel::utility::CWMIDebugLog;

namespace {

constexpr wchar_t kSegmentSourceFilterSource[] = L"CWmipSegmentSourceFilter.cpp";
constexpr wchar_t kNoRow[] = L"0 = 1";
// The name of the one row an own-column rule is written on when it judges a record's values.
constexpr wchar_t kRuleRow[] = L"SEGRULEROW";

using Source = CWMITypeInfo::SegmentSource;

// The recordset's name (its alias, else the table) for table; empty when the join holds none.
CString JoinedName(const CMultiFilterRecordset& recordset, const CString& table)
{
    for (const auto& [name, joined] : recordset.GetQuery().GetTableNames())
    {
        if (joined.CompareNoCase(table) == 0)
            return name;
    }
    return CString();
}

// "TABLE.COLUMN" as the recordset names it; empty when the join does not hold the table.
CString JoinedColumn(const CMultiFilterRecordset& recordset, const CString& tableDotColumn)
{
    const int dot = tableDotColumn.Find(L'.');
    if (dot <= 0)
        return CString();
    const CString name = JoinedName(recordset, tableDotColumn.Left(dot));
    return name.IsEmpty() ? CString() : name + tableDotColumn.Mid(dot);
}

// The served class whose records are the rows of table (every key a column of the table,
// and no superclass of the same rows); null when none. Of classes that each serve a kind of
// the rows (cardholders and visitors are persons), the one whose segment follows each row's
// own kind: Bnt_Person, not Bnt_Cardholder, whose segment would hide a visitor that visitor
// segmentation leaves open.
const CWMITypeInfo* FindClassOfTable(const CString& table)
{
    std::vector<CString> keyColumns;
    CWmipMapperRegistry* registry = CWmipMapperRegistry::Instance();
    const auto keysIn = [&](const CWMITypeInfo* type, std::vector<CString>& columns) {
        columns.clear();
        if (type == nullptr || type->GetKeyProperties().empty())
            return false;
        for (const auto& [property, key] : type->GetKeyProperties())
        {
            const int dot = key.Find(L'.');
            if (dot <= 0 || key.Left(dot).CompareNoCase(table) != 0)
                return false;
            columns.push_back(key.Mid(dot + 1));
        }
        return true;
    };
    const auto followsKind = [](const CWMITypeInfo& type) {
        return std::any_of(type.GetSegmentSources().begin(), type.GetSegmentSources().end(),
                           [](const Source& source) { return source.option == SegmentOptionPersons; });
    };
    const CWMITypeInfo* found = nullptr;
    for (const CString& className : registry->GetTypeNames())
    {
        const CWMITypeInfo* type = registry->GetTypeInfo(className, true);
        std::vector<CString> parentKeys;
        if (type == nullptr || type->GetSegmentSources().empty() || !keysIn(type, keyColumns) ||
            keysIn(registry->GetTypeInfo(type->GetParentTypeName(), true), parentKeys))
            continue;
        if (followsKind(*type))
            return type;
        if (found == nullptr)
            found = type;
    }
    return found;
}

// The served class whose one key is the table's ID, the first by name: the class whose sources
// a value list of the table's rows follows; null when none.
const CWMITypeInfo* FindListClassOfTable(const CString& table)
{
    CWmipMapperRegistry* registry = CWmipMapperRegistry::Instance();
    for (const CString& className : registry->GetTypeNames())
    {
        const CWMITypeInfo* type = registry->GetTypeInfo(className, true);
        if (type != nullptr && !type->GetSegmentSources().empty() && type->GetKeyProperties().size() == 1 &&
            type->GetKeyProperties().front().second.CompareNoCase(table + L".ID") == 0)
            return type;
    }
    return nullptr;
}

// The classes of a table's rows, found once per table and kept for one generation of the
// registry: a registration replaces a class of the same name (freeing its description) and a
// refusal removes one, so what a walk found is dropped as soon as either happens.
struct TableClasses
{
    // FindClassOfTable's class.
    const CWMITypeInfo* type = nullptr;
    // FindListClassOfTable's class.
    const CWMITypeInfo* listType = nullptr;
};
std::mutex g_tableClassesLock;
std::map<CString, TableClasses> g_tableClasses;
std::uint64_t g_tableClassesGeneration = 0;

TableClasses ClassesOfTable(const CString& table)
{
    CString key(table);
    key.MakeUpper();
    const std::uint64_t generation = CWmipMapperRegistry::Instance()->GetGeneration();
    {
        const std::lock_guard<std::mutex> guard(g_tableClassesLock);
        if (g_tableClassesGeneration != generation)
        {
            g_tableClasses.clear();
            g_tableClassesGeneration = generation;
        }
        const auto found = g_tableClasses.find(key);
        if (found != g_tableClasses.end())
            return found->second;
    }
    // Found outside the lock: the walk reaches the registry, whose own lock comes first.
    TableClasses classes;
    classes.type = FindClassOfTable(table);
    classes.listType = FindListClassOfTable(table);
    const std::lock_guard<std::mutex> guard(g_tableClassesLock);
    if (g_tableClassesGeneration == generation)
        g_tableClasses.emplace(key, classes);
    return classes;
}

// The opening of the database a recordset reads (CBntDatabase::GetOpeningId; 0 for none): what
// is kept about a database's schema is kept for that opening of that database only.
std::uint64_t OpeningOf(const CBntDatabase* database)
{
    return database != nullptr ? database->GetOpeningId() : 0;
}

// Whether the owner keys (columns of the table) name at most one row, found once per opening of
// a database, table and keys: a database's schema is fixed while it is open, but two databases
// need not share it.
std::mutex g_uniqueKeysLock;
std::map<std::pair<std::uint64_t, CString>, bool> g_uniqueKeys;

bool IsUniqueKey(const CMultiFilterRecordset& recordset, const CBntDatabase* database, const CString& table,
                 const std::vector<CString>& columns)
{
    CString names = table;
    for (const CString& column : columns)
        names += L"." + column;
    names.MakeUpper();
    const std::pair<std::uint64_t, CString> key(OpeningOf(database), names);
    {
        const std::lock_guard<std::mutex> guard(g_uniqueKeysLock);
        const auto found = g_uniqueKeys.find(key);
        if (found != g_uniqueKeys.end())
            return found->second;
    }
    const bool unique = recordset.IsUniqueKey(table, columns);
    const std::lock_guard<std::mutex> guard(g_uniqueKeysLock);
    g_uniqueKeys.emplace(key, unique);
    return unique;
}

// The restrictions Apply built, per class, tables and joins of the recordset, the database's
// opening and everything of the caller they follow (sign-in, segments, segmentation options),
// kept for one generation of the registry: a request replays them instead of building them
// again. A filter that denied is never kept, so its reason is logged on every request.
struct MemoEntry
{
    std::uint64_t generation = 0;
    std::shared_ptr<const CRecordsetQuery> restrictions;
};
std::mutex g_memoLock;
std::map<std::wstring, MemoEntry> g_memo;

std::wstring MemoKey(const CAcsUser& user, const CWMITypeInfo& type, const CMultiFilterRecordset& recordset,
                     const CBntDatabase* database)
{
    const CBntAcsSystemOptions& options = user.GetSystemOptions();
    std::wstring key = type.GetClassName().GetWString();
    key += L'|';
    key += std::to_wstring(reinterpret_cast<std::uintptr_t>(&type));
    key += L'|';
    key += std::to_wstring(OpeningOf(database));
    key += L'|';
    for (const bool flag : {user.IsLoggedIn(), options.SegmentsInUse(), options.IsCardholderSegmentationEnabled(),
                            options.IsVisitorSegmentationEnabled(), options.IsBadgeTypeSegmentationEnabled()})
        key += flag ? L'1' : L'0';
    for (const LONG segment : user.GetSegmentIDs())
        key += L',' + std::to_wstring(segment);
    key += L'|';
    // The shape text is made of checked identifiers: ASCII.
    const std::string shape = recordset.GetQuery().GetShapeText();
    key.append(shape.begin(), shape.end());
    return key;
}

class SourceFilter
{
public:
    SourceFilter(const CAcsUser& user, CBntDatabase* database) : m_user(user), m_database(database) {}

    // Adds the class's filter; true when it restricts anything (an unrestricted owner needs no
    // look-up). Nothing is added for a source the caller's options leave open. joinOwners: the
    // recordset is read as a whole statement (or an EXISTS of one), so a required owner may be
    // joined to it; else (a condition on a joined row) every owner is a condition of its own.
    bool Restrict(const CWMITypeInfo& type, CMultiFilterRecordset& recordset, int depth, bool joinOwners = true)
    {
        if (type.GetSegmentSources().empty())
            return Deny(type, recordset, L"declares no segment source");
        bool restricted = false;
        for (const Source& source : type.GetSegmentSources())
        {
            switch (source.kind)
            {
            case Source::Kind::OwnColumn:
                restricted = RestrictByOwnColumn(type, source, recordset) || restricted;
                break;
            case Source::Kind::Owner:
                restricted = RestrictByOwner(type, source, recordset, depth, joinOwners) || restricted;
                break;
            case Source::Kind::NotSegmented:
                break;
            }
        }
        return restricted;
    }

    // A joined table of another class's records (a link's timezone, a badge's type) serves only
    // the rows the caller may see: the others read NULL, so that no value of theirs is served,
    // filtered or ordered on, while the row that names them stays.
    void RestrictJoinedRecords(const CWMITypeInfo& type, CMultiFilterRecordset& recordset)
    {
        const auto names = recordset.GetQuery().GetTableNames();
        for (std::size_t i = 1; i < names.size(); ++i)
        {
            const CWMITypeInfo* served = ClassesOfTable(names[i].second).type;
            if (served == nullptr || served == &type)
                continue;
            // The served class's filter, written on the joined row under its name in the join.
            CDynamicRecordset row(m_database);
            row.SetTable(names[i].first.CompareNoCase(names[i].second) == 0 ? names[i].second
                                                                            : names[i].second + L" " + names[i].first);
            if (Restrict(*served, row, 1, false))
                recordset.RestrictJoinedTable(names[i].first, row.GetQuery().BuildCondition(),
                                              IsUniqueKey(recordset, m_database, names[i].second,
                                                          recordset.GetQuery().GetJoinedColumns(names[i].first)));
        }
    }

    // True once a filter was denied (its reason logged).
    bool Denied() const { return m_denied; }

private:
    bool Deny(const CWMITypeInfo& type, CMultiFilterRecordset& recordset, const wchar_t* why)
    {
        m_denied = true;
        CWMIDebugLog::LogError(kSegmentSourceFilterSource, __LINE__,
                               CString(L"The records of ") + type.GetClassName() + L" are not served: the class " +
                                   why + L".",
                               WBEM_E_FAILED);
        recordset.AppendFilter(kNoRow);
        return true;
    }

    bool RestrictByOwnColumn(const CWMITypeInfo& type, const Source& source, CMultiFilterRecordset& recordset)
    {
        const CString name = JoinedName(recordset, source.table);
        if (name.IsEmpty())
            return Deny(type, recordset, L"reads no table that holds its segment");
        if (!CWMITypeInfo::IsSegmentationOptionEnabled(m_user.GetSystemOptions(), source.option))
            return false;
        const CString column = name + L"." + source.column;
        switch (source.option)
        {
        case SegmentOptionBadgeTypes: {
            // A badge type of segment -1 serves every segment.
            CString filter = L"(" + column + L" = -1";
            std::vector<CDBValue> values;
            for (const LONG segment : m_user.GetSegmentIDs())
            {
                filter += L" OR " + column + L" = ?";
                values.emplace_back(segment);
            }
            recordset.AppendFilter(filter + L")", values);
            return true;
        }
        case SegmentOptionPersons: {
            // Whether a person's segment applies depends on the person's kind, which the
            // person's own row holds.
            if (source.table.CompareNoCase(CPerson::kPersonTable) != 0)
                return Deny(type, recordset, L"holds its persons' segments outside the persons' table");
            CPerson::AddVisiblePersonRowFilter(m_user, recordset, name);
            return true;
        }
        default:
            m_user.AddSegmentFilter(recordset, name);
            return true;
        }
    }

    bool RestrictByOwner(const CWMITypeInfo& type, const Source& source, CMultiFilterRecordset& recordset, int depth,
                         bool joinOwners)
    {
        CWMITypeInfo* owner = CWmipMapperRegistry::Instance()->GetTypeInfo(source.ownerClass, true);
        if (owner == nullptr || depth >= CWMITypeInfo::SegmentSource::kMaxOwnerDepth ||
            source.names.size() != source.ownerKeys.size() || source.names.empty())
            return Deny(type, recordset, L"names an owner that cannot be followed");
        // The owner's row that the record names, under a name of its own in the statement so
        // that the record's columns stay reachable (the owner may live in the record's own
        // table), and the owner's own filter on it. A required owner is joined by its key
        // ("INNER JOIN owner ON owner.key = record.column", the filter in WHERE), which the
        // engine answers by that key for each record, or from the visible owners when nothing
        // else narrows the read; an optional one, or one of a joined row's condition, is
        // "EXISTS (SELECT 1 FROM owner WHERE owner.key = record.column AND ...)". Never a list
        // of every visible owner.
        const CString ownerName = CString(L"SEGOWNER") + CString(std::to_wstring(++m_owners).c_str());
        CDynamicRecordset ownerRow(m_database);
        CString ownerTable;
        std::vector<CString> ownerColumns;
        CString match;
        CString unnamed;
        for (std::size_t i = 0; i < source.names.size(); ++i)
        {
            CString ownerColumn;
            if (!owner->GetColumnForProperty(source.ownerKeys[i], ownerColumn))
                return Deny(type, recordset, L"names an owner key without a column");
            const int dot = ownerColumn.Find(L'.');
            if (i == 0)
            {
                ownerTable = ownerColumn.Left(dot);
                ownerRow.SetTable(ownerTable + L" " + ownerName);
            }
            else if (ownerColumn.Left(dot).CompareNoCase(ownerTable) != 0)
                return Deny(type, recordset, L"names owner keys of several tables");
            const CString column = JoinedColumn(recordset, NamingColumn(type, source.names[i], ownerColumn));
            if (column.IsEmpty())
                return Deny(type, recordset, L"reads no column that names its owner");
            ownerColumns.push_back(ownerColumn.Mid(dot + 1));
            match += (i == 0 ? L"" : L" AND ") + ownerName + ownerColumn.Mid(dot) + L" = " + column;
            unnamed += (i == 0 ? L"" : L" AND ") + column + L" IS NULL";
        }
        // Joined only where the keys name one owner row (a table may hold an owner's dependants
        // beside it under the same keys, which a join would serve each).
        if (joinOwners && !source.optional && IsUniqueKey(ownerRow, m_database, ownerTable, ownerColumns))
        {
            if (!Restrict(*owner, ownerRow, depth + 1))
                return false;
            recordset.AddRestrictingJoin(ownerRow, match);
            return true;
        }
        ownerRow.AppendFilter(match);
        if (!Restrict(*owner, ownerRow, depth + 1))
            return false;
        const CRecordsetQuery::BoundText exists = ownerRow.GetQuery().BuildExists();
        // A row that leaves an optional end empty names no owner there.
        const CString named = CString(exists.sql.c_str());
        recordset.AppendFilter(source.optional ? L"(" + unnamed + L" OR " + named + L")" : named, exists.values);
        return true;
    }

    // The class's column that names the owner: a "TABLE.COLUMN" name itself (the column of a
    // property the mapper builds), the property's own column, or for a reference property the
    // referenced class's column (its key, which the association's join reads).
    static CString NamingColumn(const CWMITypeInfo& type, const CString& name, const CString& ownerColumn)
    {
        if (name.Find(L'.') > 0)
            return name;
        if (type.GetReferenceProperties().count(name) != 0)
            return ownerColumn;
        CString column;
        type.GetColumnForProperty(name, column);
        return column;
    }

public:
    // True when the caller may see the record whose values the instance holds, by each source:
    // an own column by the read's own rule over the record's values, an owner by the owner's
    // row under the owner's own filter.
    bool Admits(const CWMITypeInfo& type, IWbemClassObject& instance)
    {
        if (type.GetSegmentSources().empty())
            return false;
        for (const Source& source : type.GetSegmentSources())
        {
            if (source.kind == Source::Kind::OwnColumn && !AdmitsByOwnColumn(type, source, instance))
                return false;
            if (source.kind == Source::Kind::Owner && !AdmitsByOwner(type, source, instance))
                return false;
        }
        return true;
    }

private:
    // The read's own rule (RestrictByOwnColumn, written on a row of the source's table under
    // kRuleRow), evaluated once over the record's values: those the instance holds (an event's
    // record may be gone from the database, or hold values its row no longer has), the others
    // (a person's kind, the segment of a record named by its keys alone) from its stored row.
    // Not admitted when a value the rule reads is neither held nor stored.
    bool AdmitsByOwnColumn(const CWMITypeInfo& type, const Source& source, IWbemClassObject& instance)
    {
        if (m_database == nullptr)
            return false;
        CDynamicRecordset rule(m_database);
        rule.SetTable(source.table + L" " + kRuleRow);
        if (!RestrictByOwnColumn(type, source, rule))
            return true;
        const CRecordsetQuery::BoundText condition = rule.GetQuery().BuildCondition();
        if (condition.sql.empty())
            return true;
        const std::vector<CString> columns = RuleRowColumns(condition.sql);
        std::vector<CDBValue> values(columns.size());
        std::vector<std::size_t> unheld;
        // The rule's columns (segment, person kind) and the keys hold no date, so either door's
        // value forms read them alike.
        const WqlInstancePropertySource held(&instance, Door::kWmi);
        for (std::size_t i = 0; i < columns.size(); ++i)
        {
            const CString property = PropertyOfColumn(type, source.table + L"." + columns[i]);
            if (property.IsEmpty() || !held.GetValue(property, values[i]) || values[i].IsNull())
                unheld.push_back(i);
        }
        if (!unheld.empty() && !ReadStoredValues(type, source, instance, columns, unheld, values))
            return false;
        // SELECT 1 FROM (SELECT ? AS COLUMN, ...) kRuleRow WHERE rule
        std::string sql = "SELECT 1";
        for (std::size_t i = 0; i < columns.size(); ++i)
            sql += (i == 0 ? " FROM (SELECT ? AS " : ", ? AS ") + CStringToUtf8(columns[i]);
        if (!columns.empty())
            sql += ") " + CStringToUtf8(CString(kRuleRow));
        sql += " WHERE " + condition.sql;
        values.insert(values.end(), condition.values.begin(), condition.values.end());
        return CLoginQuery::FirstRow(*m_database, sql, values).has_value();
    }

    // The columns of kRuleRow a condition reads ("ROW.COLUMN", either part quoted or not), each
    // once, in the order they first appear.
    static std::vector<CString> RuleRowColumns(const std::string& sql)
    {
        const std::string name = CStringToUtf8(CString(kRuleRow));
        const auto isNameChar = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_'; };
        std::vector<CString> columns;
        for (std::size_t at = sql.find(name); at != std::string::npos; at = sql.find(name, at + 1))
        {
            std::size_t next = at + name.size();
            if ((at > 0 && isNameChar(sql[at - 1])) || (next < sql.size() && isNameChar(sql[next])))
                continue;
            next += next < sql.size() && sql[next] == '"' ? 1 : 0;
            if (next >= sql.size() || sql[next] != '.')
                continue;
            ++next;
            next += next < sql.size() && sql[next] == '"' ? 1 : 0;
            std::size_t end = next;
            while (end < sql.size() && isNameChar(sql[end]))
                ++end;
            const CString column = Utf8ToCString(sql.substr(next, end - next));
            if (end > next && std::none_of(columns.begin(), columns.end(),
                                           [&](const CString& known) { return known.CompareNoCase(column) == 0; }))
                columns.push_back(column);
        }
        return columns;
    }

    // Fills values[i] for each i of unheld with columns[i] of the record's stored row of the
    // source's table, read alone and found by that table's own columns as the class's read binds
    // them: the class's keys when they lie in that table, else the columns its join matches (a
    // logged event's panel row, found by the panel the event names), each given the value the
    // instance holds for it. False when a value is missing, the read does not join the table, or
    // no row is stored.
    bool ReadStoredValues(const CWMITypeInfo& type, const Source& source, IWbemClassObject& instance,
                          const std::vector<CString>& columns, const std::vector<std::size_t>& unheld,
                          std::vector<CDBValue>& values)
    {
        // (column of the source's table, the instance's property that holds its value)
        std::vector<std::pair<CString, CString>> match;
        for (const auto& [property, key] : type.GetKeyProperties())
        {
            if (key.Left(key.Find(L'.')).CompareNoCase(source.table) != 0)
            {
                match.clear();
                break;
            }
            match.emplace_back(key.Mid(key.Find(L'.') + 1), property);
        }
        if (match.empty() && !JoinedMatch(type, source, match))
            return false;
        CDynamicRecordset row(m_database);
        row.SetTable(source.table);
        const WqlInstancePropertySource held(&instance, Door::kWmi);
        for (const auto& [column, property] : match)
        {
            CDBValue value;
            if (property.IsEmpty() || !held.GetValue(property, value) || value.IsNull())
                return false;
            row.AppendFilter(source.table + L"." + column + L" = ?", {value});
        }
        for (const std::size_t i : unheld)
            row.AddColumnToSet(columns[i], source.table, true);
        row.OpenForwardOnly();
        if (row.IsEOF())
            return false;
        for (std::size_t read = 0; read < unheld.size(); ++read)
            values[unheld[read]] = row.GetValue(static_cast<int>(read));
        return true;
    }

    // The columns of the source's table that the class's read joins it by, each with the
    // instance's property holding the column it is matched with. False when the class has no
    // mapper, its read does not join the table, or a matched column maps to no property.
    bool JoinedMatch(const CWMITypeInfo& type, const Source& source, std::vector<std::pair<CString, CString>>& match)
    {
        if (!type.GetTypeConstructor())
            return false;
        const std::unique_ptr<CWmipClassMapperHooks> mapper(
            type.GetTypeConstructor()(&m_user, nullptr, nullptr, Door::kWmi));
        if (mapper == nullptr)
            return false;
        CDynamicRecordset shape(m_database);
        mapper->SetupInstanceRecordset(&shape);
        const auto names = shape.GetQuery().GetTableNames();
        std::vector<CString> partners;
        const std::vector<CString> joined =
            shape.GetQuery().GetJoinedColumns(JoinedName(shape, source.table), &partners);
        for (std::size_t i = 0; i < joined.size(); ++i)
        {
            const int dot = partners[i].Find(L'.');
            const auto partner = std::find_if(names.begin(), names.end(), [&](const auto& name) {
                return name.first.CompareNoCase(partners[i].Left(dot)) == 0;
            });
            if (partner == names.end())
                return false;
            match.emplace_back(joined[i], PropertyOfColumn(type, partner->second + partners[i].Mid(dot)));
        }
        return !match.empty();
    }

    bool AdmitsByOwner(const CWMITypeInfo& type, const Source& source, IWbemClassObject& instance)
    {
        const CWMITypeInfo* owner = CWmipMapperRegistry::Instance()->GetTypeInfo(source.ownerClass, true);
        if (owner == nullptr || source.names.size() != source.ownerKeys.size())
            return false;
        std::vector<CString> names;
        std::vector<CString> columns;
        for (std::size_t i = 0; i < source.names.size(); ++i)
        {
            const CString name =
                source.names[i].Find(L'.') > 0 ? PropertyOfColumn(type, source.names[i]) : source.names[i];
            CString column;
            if (name.IsEmpty() || type.GetReferenceProperties().count(name) != 0 ||
                !owner->GetColumnForProperty(source.ownerKeys[i], column))
                return false;
            names.push_back(name);
            columns.push_back(column);
        }
        return (source.optional && NamesNothing(names, instance)) || RowPasses(*owner, names, columns, instance);
    }

    // True when the instance has every one of the names and holds NULL (or nothing) in each.
    static bool NamesNothing(const std::vector<CString>& names, IWbemClassObject& instance)
    {
        return std::all_of(names.begin(), names.end(), [&](const CString& name) {
            _variant_t value;
            return SUCCEEDED(instance.Get(name, 0, &value, nullptr, nullptr)) &&
                   (value.vt == VT_NULL || value.vt == VT_EMPTY);
        });
    }

    // The instance's property that a "TABLE.COLUMN" name reads: the registered one, else the one
    // the class's mapper builds for the column (a class with user-defined fields names its own);
    // empty when there is neither.
    CString PropertyOfColumn(const CWMITypeInfo& type, const CString& tableDotColumn)
    {
        CString property;
        if (type.GetPropertyForColumn(tableDotColumn, property) || !type.GetTypeConstructor())
            return property;
        const std::unique_ptr<CWmipClassMapperHooks> mapper(
            type.GetTypeConstructor()(&m_user, nullptr, nullptr, Door::kWmi));
        const int dot = tableDotColumn.Find(L'.');
        return mapper != nullptr ? mapper->GetPropertyName(tableDotColumn.Mid(dot + 1), tableDotColumn.Left(dot))
                                 : CString();
    }

    // True when a row of the columns' one table holds the instance's values of the names and
    // passes the filter of type's sources.
    bool RowPasses(const CWMITypeInfo& type, const std::vector<CString>& names, const std::vector<CString>& columns,
                   IWbemClassObject& instance)
    {
        if (names.empty() || m_database == nullptr)
            return false;
        const CString table = columns.front().Left(columns.front().Find(L'.'));
        CDynamicRecordset rows(m_database);
        rows.SetTable(table);
        rows.AddColumnToSet(columns.front().Mid(columns.front().Find(L'.') + 1), table);
        for (std::size_t i = 0; i < names.size(); ++i)
        {
            _variant_t value;
            if (columns[i].Left(columns[i].Find(L'.')).CompareNoCase(table) != 0 ||
                FAILED(instance.Get(names[i], 0, &value, nullptr, nullptr)) || value.vt == VT_NULL ||
                value.vt == VT_EMPTY || FAILED(VariantChangeType(&value, &value, 0, VT_BSTR)))
                return false;
            rows.AddFilterText(columns[i], CString(value.bstrVal));
        }
        Restrict(type, rows, 0);
        rows.OpenForwardOnly();
        return !rows.IsEOF();
    }

    const CAcsUser& m_user;
    CBntDatabase* m_database;
    // The owners named so far: each gets a name of its own in the statement.
    int m_owners = 0;
    bool m_denied = false;
};

}  // namespace

void CWmipSegmentSourceFilter::ApplyToList(const CAcsUser& user, const CString& table, CMultiFilterRecordset& rows,
                                           CBntDatabase* database)
{
    const CWMITypeInfo* type = ClassesOfTable(table).listType;
    if (type != nullptr)
        Apply(user, *type, rows, database);
    else
        user.AddSegmentFilterWithTableCheck(rows);
}

bool CWmipSegmentSourceFilter::Admits(const CAcsUser& user, const CWMITypeInfo& type, IWbemClassObject& instance,
                                      CBntDatabase* database)
{
    if (user.IsAllSegmentsUser())
        return true;
    return SourceFilter(user, database).Admits(type, instance);
}

const CWMITypeInfo* CWmipSegmentSourceFilter::ClassOfJoinedTable(const CString& table, std::vector<CString>* keyColumns)
{
    const CWMITypeInfo* type = ClassesOfTable(table).type;
    if (keyColumns != nullptr)
    {
        // The class was found because every key of it is a column of this table.
        keyColumns->clear();
        if (type != nullptr)
            for (const auto& [property, key] : type->GetKeyProperties())
                keyColumns->push_back(key.Mid(key.Find(L'.') + 1));
    }
    return type;
}

void CWmipSegmentSourceFilter::Apply(const CAcsUser& user, const CWMITypeInfo& type, CMultiFilterRecordset& recordset,
                                     CBntDatabase* database)
{
    if (user.IsAllSegmentsUser())
        return;
    const std::wstring key = MemoKey(user, type, recordset, database);
    const std::uint64_t generation = CWmipMapperRegistry::Instance()->GetGeneration();
    std::shared_ptr<const CRecordsetQuery> restrictions;
    {
        const std::lock_guard<std::mutex> guard(g_memoLock);
        const auto found = g_memo.find(key);
        if (found != g_memo.end() && found->second.generation == generation)
            restrictions = found->second.restrictions;
    }
    if (restrictions == nullptr)
    {
        // Built on a recordset of the same tables and joins, then added to the caller's.
        CDynamicRecordset built(database);
        built.CopyShapeOf(recordset);
        SourceFilter filter(user, database);
        filter.Restrict(type, built, 0);
        filter.RestrictJoinedRecords(type, built);
        restrictions = std::make_shared<const CRecordsetQuery>(built.GetQuery());
        if (!filter.Denied())
        {
            const std::lock_guard<std::mutex> guard(g_memoLock);
            if (g_memo.size() >= kMaxKeptFilters)
                g_memo.clear();
            g_memo[key] = {generation, restrictions};
        }
    }
    recordset.AddRestrictionsOf(*restrictions);
}

std::size_t CWmipSegmentSourceFilter::KeptFilterCount()
{
    const std::lock_guard<std::mutex> guard(g_memoLock);
    return g_memo.size();
}
