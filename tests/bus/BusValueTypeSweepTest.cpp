// The bus's value checks over every CIM type a served class declares (its properties and its
// methods' in-parameters, arrays included, as the registry holds them): each type has a row of
// the table below, with a value the bus takes and, where the type has one, a value it refuses
// naming the property. A type declared later and missing from the table fails the sweep.
#include <gtest/gtest.h>

#include "framework/CWmipMessages.h"
#include "inhouse/BntUtility/StringConversion.h"

#include <map>
#include <optional>
#include <string>

#include "bus/CCorvessaException.h"
#include "bus/CCorvessaHelper.h"
#include "bus/GenericException.h"
#include "framework/CWMITypeInfo.h"
#include "framework/CWmipMapperRegistry.h"
#include "inhouse/BntUtility/StringConversion.h"
#include "platform/com/CimTypes.h"
#include "platform/com/WbemConstants.h"
#include "tests/bus/BusTestInstallation.h"

using qpid::types::Variant;

namespace {
struct TypeRow
{
    // The value the bus takes, and the VARIANT type it becomes; none for a type no request
    // carries (the embedded object of a method, which the bus cannot convert).
    std::optional<Variant> taken;
    VARTYPE becomes = VT_EMPTY;
    // A value of the wrong form; none for a type every text fits.
    std::optional<Variant> refused;
};

Variant List(std::initializer_list<Variant> items)
{
    return Variant(Variant::List(items));
}

const std::map<CIMTYPE, TypeRow>& Rows()
{
    static const std::map<CIMTYPE, TypeRow> rows = {
        {CIM_SINT32, {Variant("-12"), VT_I4, Variant("12a")}},
        {CIM_UINT8, {Variant("7"), VT_UI1, Variant("7.0")}},
        {CIM_UINT32, {Variant("4000000000"), VT_I4, Variant("4e9")}},
        {CIM_SINT64, {Variant("-9007199254740993"), VT_BSTR, Variant("9007199254740993x")}},
        {CIM_UINT64, {Variant("9007199254740993"), VT_BSTR, Variant("0x10")}},
        {CIM_REAL32, {Variant("0.5"), VT_R4, Variant("1e3")}},
        {CIM_REAL64, {Variant("-2.25"), VT_R8, Variant("2.")}},
        {CIM_BOOLEAN, {Variant("TRUE"), VT_BOOL, Variant("yes")}},
        {CIM_DATETIME, {Variant("2024-01-31T08:05:09+01:00"), VT_BSTR, Variant("2024-02-30T08:05:09Z")}},
        {CIM_STRING, {Variant("h\xC3\xA9llo"), VT_BSTR, std::nullopt}},
        {CIM_REFERENCE, {Variant("Bnt_Badge.ID=1"), VT_BSTR, std::nullopt}},
        {CIM_OBJECT, {std::nullopt, VT_EMPTY, std::nullopt}},
        {CIM_SINT32 | CIM_FLAG_ARRAY, {List({"1", "-2"}), VT_ARRAY | VT_I4, List({"1", "two"})}},
        {CIM_UINT32 | CIM_FLAG_ARRAY, {List({"1", "2"}), VT_ARRAY | VT_I4, List({"1", "-2"})}},
        {CIM_UINT8 | CIM_FLAG_ARRAY, {List({"1", "255"}), VT_ARRAY | VT_UI1, List({"1", "256"})}},
    };
    return rows;
}

std::string Utf8(const CString& text)
{
    return brontel::utility::ConvertCStringToUtf8(text);
}

// Every type a served class declares, with one place that declares it.
std::map<CIMTYPE, std::string> DeclaredTypes()
{
    std::map<CIMTYPE, std::string> types;
    CWmipMapperRegistry* registry = CWmipMapperRegistry::Instance();
    for (const CString& className : registry->GetTypeNames())
    {
        CWMITypeInfo* type = registry->GetTypeInfo(className, true);
        if (type == nullptr)
            continue;
        const std::string where = Utf8(className);
        const CWMITypeInfo::ClassObjectPtr definition = type->GetTypeInformation();
        for (const CString& property : definition->GetPropertyNames())
            if (CWMITypeInfo::ShouldCorvessaExposeProperty(property))
                types.emplace(type->GetPropertyType(property), where + "." + Utf8(property));
        for (const auto& [method, descriptor] : type->GetMethods())
            for (const auto& [parameter, cimType] : descriptor.InParameters())
                types.emplace(cimType, where + "." + Utf8(method) + "(" + Utf8(parameter) + ")");
    }
    return types;
}

// The refusal a conversion threw, as "key: text"; "taken" when it threw nothing.
std::string Converted(const Variant& value, CIMTYPE type, VARTYPE& becomes)
{
    try
    {
        becomes = CCorvessaHelper::ConvertFromQpidVariantToWMIVariant(L"Weight", value, type, false).vt;
        return "taken";
    }
    catch (const CCorvessaException& e)
    {
        return e.ErrorCode() + ": " + e.ErrorMessage();
    }
    catch (const GenericException&)
    {
        return "no conversion";
    }
}

// The bus's application object is the current one: it reads date-times in the bus's form.
class BusValueTypes : public BusTestInstallation
{
};
}  // namespace

TEST_F(BusValueTypes, EveryDeclaredTypeTakesItsFormAndRefusesAnotherNamingTheProperty)
{
    const std::string refusal = std::string(CCorvessaException::kInvalidRequestItemKey) +
                                ": Request contains an invalid value for the property 'Weight'.";
    std::map<CIMTYPE, std::string> types = DeclaredTypes();
    ASSERT_FALSE(types.empty());
    for (const auto& [type, where] : types)
        EXPECT_TRUE(Rows().contains(type))
            << "the bus's value table has no row for CIM type " << type << ", declared by " << where;
    // The table's other types are those the bus's conversions know besides.
    for (const auto& [type, row] : Rows())
        types.emplace(type, "the table");
    for (const auto& [type, where] : types)
    {
        SCOPED_TRACE("CIM type " + std::to_string(type) + ", declared by " + where);
        const auto row = Rows().find(type);
        if (row == Rows().end())
            continue;
        const bool array = (type & CIM_FLAG_ARRAY) != 0;
        VARTYPE becomes = VT_EMPTY;
        if (!row->second.taken)
        {
            EXPECT_EQ(Converted(Variant("x"), type, becomes), "no conversion");
            continue;
        }
        // The up-front check of the text form (a query's literal meets it alone) takes every
        // scalar form the conversion takes.
        EXPECT_TRUE(array || CCorvessaHelper::IsValidValue(*row->second.taken, type));
        EXPECT_EQ(Converted(*row->second.taken, type, becomes), "taken");
        EXPECT_EQ(becomes, row->second.becomes);
        if (row->second.refused)
        {
            EXPECT_TRUE(array || !CCorvessaHelper::IsValidValue(*row->second.refused, type));
            // A number is told the range its type takes, in the WMI door's words.
            const std::wstring form = CWmipMessages::NumberForm(type & ~CIM_FLAG_ARRAY);
            EXPECT_EQ(Converted(*row->second.refused, type, becomes),
                      refusal +
                          (form.empty()
                               ? ""
                               : " It takes " + brontel::utility::ConvertCStringToUtf8(CString(form.c_str())) + "."));
        }
        // An empty value is no value, whatever the type.
        EXPECT_EQ(Converted(Variant(""), type, becomes), "taken");
        EXPECT_EQ(becomes, VT_NULL);
    }
}
