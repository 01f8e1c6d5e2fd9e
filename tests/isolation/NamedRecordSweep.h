// NamedRecordSweep: the records that writes and methods name, read from the schema
// declarations, and the values both doors take, for the sweeps that walk every declared named
// record. Plain functions over the constant declaration tables; used on the test thread.
#pragma once

#include "bus/CCorvessaQpidInstance.h"
#include "framework/CWMITypeInfo.h"
#include "framework/CWmipMapperRegistry.h"
#include "framework/NamedRecordRoad.h"
#include "platform/com/CimTypes.h"
#include "platform/com/SafeArray.h"
#include "platform/com/Variant.h"
#include "platform/com/WbemConstants.h"
#include "platform/wmi/IWbemClassObject.h"
#include "schema/SchemaTables.h"
#include "tests/e2e/DoorInstallation.h"
#include "tests/e2e/DoorTest.h"
#include "tests/support/IntegerArray.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace isolation {

// A record that a class's writes (method empty) or a method's calls name, as declared.
struct NamedRecord
{
    std::wstring className;
    std::wstring method;
    std::vector<std::wstring> names;
    std::wstring referencedClass;
    std::vector<std::wstring> keys;
    // Who answers a missing or hidden record.
    NamedRecordRoad road = NamedRecordRoad::kFramework;

    std::wstring Label() const
    {
        std::wstring label = className + L"." + method + L":";
        for (const std::wstring& name : names)
            label += L" " + name;
        return label;
    }
};

inline std::vector<std::wstring> SplitList(const wchar_t* list)
{
    std::vector<std::wstring> items;
    std::wstring item;
    for (const wchar_t* c = list;; ++c)
    {
        if (*c == L',' || *c == L'\0')
        {
            items.push_back(item);
            item.clear();
            if (*c == L'\0')
                return items;
        }
        else if (*c != L' ')
            item += *c;
    }
}

// Every named record of the declarations, and each class's key properties and declared segment
// property.
struct Declared
{
    std::vector<NamedRecord> records;
    // The keys the system generates, by class.
    std::map<std::wstring, std::set<std::wstring>> generatedKeys;
    std::map<std::wstring, std::wstring> segmentProperty;
    // The 64-bit numbers (which travel as text), as "Class.Method.Name" (method empty for a
    // property).
    std::set<std::wstring> wideNumbers;
    // The array parameters (one record named per element), as "Class.Method.Name".
    std::set<std::wstring> arrays;
};

inline Declared ReadDeclarations()
{
    Declared declared;
    for (const SchemaDeclarationTable* table : GetSchemaDeclarationTables())
        for (const SchemaDeclaration& d : *table)
        {
            if (d.kind == SchemaDeclarationKind::NamedRecord)
                declared.records.push_back(
                    {d.className, d.method, SplitList(d.name), d.referencedClass, SplitList(d.referencedKeys), d.road});
            if (d.kind == SchemaDeclarationKind::Property && d.key != 0 && d.idType != kNoIdType)
                declared.generatedKeys[d.className].insert(d.name);
            if ((d.kind == SchemaDeclarationKind::Property || d.kind == SchemaDeclarationKind::MethodParameter) &&
                (d.cimType == CIM_SINT64 || d.cimType == CIM_UINT64))
                declared.wideNumbers.insert(std::wstring(d.className) + L"." + d.method + L"." + d.name);
            if (d.kind == SchemaDeclarationKind::MethodParameter && (d.cimType & CIM_FLAG_ARRAY) != 0)
                declared.arrays.insert(std::wstring(d.className) + L"." + d.method + L"." + d.name);
            if (d.kind == SchemaDeclarationKind::Property && d.segmentOption == SegmentOptionSegments)
                declared.segmentProperty[d.className] = d.name;
        }
    return declared;
}

// Every record the registry's classes name in their writes and method calls, as the registry
// holds it (so a class loaded later is covered by its declaration).
inline std::vector<NamedRecord> RegisteredNamedRecords()
{
    std::vector<NamedRecord> records;
    CWmipMapperRegistry* registry = CWmipMapperRegistry::Instance();
    for (const CString& className : registry->GetTypeNames())
    {
        const CWMITypeInfo* type = registry->GetTypeInfo(className, true);
        if (type == nullptr)
            continue;
        for (const CWMITypeInfo::NamedRecord& named : type->GetNamedRecords())
        {
            NamedRecord record{
                className.GetString(), named.method.GetString(), {}, named.referencedClass.GetString(), {}, named.road};
            for (const CString& name : named.names)
                record.names.push_back(name.GetString());
            for (const CString& key : named.referencedKeys)
                record.keys.push_back(key.GetString());
            records.push_back(std::move(record));
        }
    }
    return records;
}

inline bool HasColumn(const std::string& table, const std::string& column)
{
    return !e2e::DoorInstallation::Rows("SELECT 1 FROM pragma_table_info(?) WHERE name = ? COLLATE NOCASE",
                                        {table, column})
                .empty();
}

// The key values of the rows of the referenced class's own table held beyond a caller of segment
// alone (by their own segment or their panel's: neither that segment nor all segments), read from
// the installation database rather than through any class, and whether the table is held in
// segments at all. Nothing when the keys do not stand in one table.
struct StoredRecords
{
    bool segmented = false;
    std::vector<std::vector<std::wstring>> held;
};
inline StoredRecords RowsBeyondSegment(const std::wstring& className, const std::vector<std::wstring>& keys,
                                       LONG segment)
{
    const CWMITypeInfo* type = CWmipMapperRegistry::Instance()->GetTypeInfo(className.c_str(), true);
    std::string table;
    std::string columns;
    for (const std::wstring& key : keys)
    {
        CString tableDotColumn;
        if (type == nullptr || !type->GetColumnForProperty(key.c_str(), tableDotColumn))
            return {};
        const std::string location = e2e::DoorTest::Utf8(tableDotColumn.GetString());
        const std::string owner = location.substr(0, location.find('.'));
        if (!table.empty() && owner != table)
            return {};
        table = owner;
        columns += (columns.empty() ? "" : ", ") + location;
    }
    const std::string beyond = " NOT IN (" + std::to_string(segment) + ", -1)";
    std::string where;
    if (HasColumn(table, "SEGMENTID"))
        where = table + ".SEGMENTID" + beyond;
    else if (HasColumn(table, "PANELID"))
        where = table + ".PANELID IN (SELECT PANELID FROM ACCESSPANE WHERE SEGMENTID" + beyond + ")";
    StoredRecords stored;
    stored.segmented = !where.empty();
    if (!stored.segmented)
        return stored;
    for (const e2e::Row& row : e2e::DoorInstallation::Rows("SELECT " + columns + " FROM " + table + " WHERE " + where +
                                                           " ORDER BY " + columns))
    {
        std::vector<std::wstring> values;
        for (const std::string& value : row)
            values.emplace_back(value.begin(), value.end());
        stored.held.push_back(values);
    }
    return stored;
}

// A number no record of the installation holds.
inline constexpr LONG kMissingRecord = 2000000000;

// The text with each of the ids it names replaced by "#", so that the answers for two records
// compare. An id counts where no letter or digit touches it on either side; a match takes the
// character before it, so that character is not the one after an earlier match. (A scan rather
// than a regular expression per id: compiling those was a sixth of the sweeps' time.)
inline std::string WithoutIds(std::string text, const std::vector<std::wstring>& ids)
{
    const auto isWordCharacter = [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    };
    for (const std::wstring& id : ids)
    {
        const std::string literal = e2e::DoorTest::Utf8(id);
        if (literal.empty())
            continue;
        std::string replaced;
        std::size_t copied = 0;
        for (std::size_t at = text.find(literal); at != std::string::npos; at = text.find(literal, at + 1))
        {
            const bool startsFree = at == 0 || (at > copied && !isWordCharacter(text[at - 1]));
            const std::size_t end = at + literal.size();
            if (!startsFree || (end < text.size() && isWordCharacter(text[end])))
                continue;
            replaced.append(text, copied, at - copied).push_back('#');
            copied = end;
            at = end - 1;
        }
        text = replaced.append(text, copied, std::string::npos);
    }
    return text;
}

// What the caller read of a request: "ok", or the code and the status object's description.
inline std::string Answer(const e2e::Reply& reply)
{
    return SUCCEEDED(reply.result)
               ? std::string("ok")
               : e2e::DoorTest::Hex(reply.result) + " | " + e2e::DoorTest::Description(reply.statusObject.Get());
}

// A property or parameter value for both doors.
using NamedValues = std::vector<std::pair<std::wstring, _variant_t>>;

inline std::wstring TextOf(const _variant_t& value)
{
    _variant_t text;
    if (FAILED(VariantChangeType(&text, &value, 0, VT_BSTR)))
        return L"";
    const VARIANT& raw = text;
    return raw.bstrVal != nullptr ? std::wstring(raw.bstrVal, SysStringLen(raw.bstrVal)) : std::wstring();
}

inline qpid::types::Variant BusValue(const _variant_t& value)
{
    const VARIANT& raw = value;
    switch (raw.vt)
    {
    case VT_BOOL:
        return qpid::types::Variant(raw.boolVal != VARIANT_FALSE);
    case VT_I8:
        return qpid::types::Variant(static_cast<std::int64_t>(raw.llVal));
    case VT_I4:
    case VT_I2:
    case VT_UI1:
        return qpid::types::Variant(static_cast<std::int32_t>(static_cast<LONG>(value)));
    default:
        break;
    }
    if ((raw.vt & VT_ARRAY) == 0)
        return qpid::types::Variant(e2e::DoorTest::Utf8(TextOf(value)));
    qpid::types::Variant::List list;
    LONG lower = 0;
    LONG upper = -1;
    SafeArrayGetLBound(raw.parray, 1, &lower);
    SafeArrayGetUBound(raw.parray, 1, &upper);
    for (LONG index = lower; index <= upper; ++index)
    {
        LONG element = 0;
        EXPECT_EQ(SafeArrayGetElement(raw.parray, &index, &element), S_OK);
        list.emplace_back(static_cast<std::int32_t>(element));
    }
    return qpid::types::Variant(list);
}

inline CCorvessaQpidInstance::ValueMap BusValues(const NamedValues& values)
{
    CCorvessaQpidInstance::ValueMap map;
    for (const auto& [name, value] : values)
        map[e2e::DoorTest::Utf8(name)] = BusValue(value);
    return map;
}

// The template of a write of the class: the stored instance's values (none for a null instance)
// without the keys the system generates, the arrays and the empty values, and the class's
// declared segment property set to segment.
inline NamedValues TemplateOf(IWbemClassObject* stored, const std::wstring& className, const Declared& declared,
                              LONG segment)
{
    NamedValues base;
    if (stored != nullptr)
    {
        stored->BeginEnumeration(WBEM_FLAG_NONSYSTEM_ONLY);
        BSTR name = nullptr;
        VARIANT value;
        VariantInit(&value);
        while (stored->Next(0, &name, &value, nullptr, nullptr) == WBEM_S_NO_ERROR)
        {
            const std::wstring property(name);
            SysFreeString(name);
            _variant_t held;
            held.Attach(value);
            VariantInit(&value);
            const bool generated =
                declared.generatedKeys.contains(className) && declared.generatedKeys.at(className).contains(property);
            const VARIANT& raw = held;
            if (!generated && raw.vt != VT_NULL && raw.vt != VT_EMPTY && (raw.vt & VT_ARRAY) == 0)
                base.emplace_back(property, held);
        }
        stored->EndEnumeration();
    }
    if (declared.segmentProperty.contains(className))
        base.emplace_back(declared.segmentProperty.at(className), _variant_t(segment));
    return base;
}

// The template's values with the record's names set to values (texts of numbers): an array
// parameter as a one-element array, a 64-bit number as text, any other as a 32-bit number.
inline NamedValues With(const NamedValues& base, const NamedRecord& named, const Declared& declared,
                        const std::vector<std::wstring>& values)
{
    NamedValues all;
    for (const auto& value : base)
        if (std::find(named.names.begin(), named.names.end(), value.first) == named.names.end())
            all.push_back(value);
    for (std::size_t i = 0; i < named.names.size(); ++i)
    {
        const std::wstring member = named.className + L"." + named.method + L"." + named.names[i];
        if (declared.arrays.contains(member))
            all.emplace_back(named.names[i], support::IntegerArray({std::stoi(values[i])}));
        else if (declared.wideNumbers.contains(member))
            all.emplace_back(named.names[i], _variant_t(values[i].c_str()));
        else
            all.emplace_back(named.names[i], _variant_t(LONG{std::stoi(values[i])}));
    }
    return all;
}

// True when the template names the record already: a write naming it would meet the stored row.
inline bool Taken(const NamedValues& base, const NamedRecord& named, const std::vector<std::wstring>& values)
{
    for (std::size_t i = 0; i < named.names.size(); ++i)
    {
        const auto held =
            std::find_if(base.begin(), base.end(), [&](const auto& value) { return value.first == named.names[i]; });
        if (held == base.end() || TextOf(held->second) != values[i])
            return false;
    }
    return true;
}

}  // namespace isolation
