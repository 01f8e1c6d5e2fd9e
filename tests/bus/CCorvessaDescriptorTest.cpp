#include "framework/objects/CCorvessaMethodDescriptor.h"
#include "framework/objects/CCorvessaPropertyDescriptor.h"
#include "platform/com/WbemConstants.h"

#include <gtest/gtest.h>

TEST(CCorvessaPropertyDescriptor, TypeTextFollowsTheFixedTable)
{
    const struct
    {
        CIMTYPE type;
        const wchar_t* text;
    } rows[] = {
        {3, L"sint32"},        {4, L"float"},  {5, L"double"},      {8, L"string"},          {11, L"boolean"},
        {13, L"object"},       {17, L"unit8"}, {19, L"uint32"},     {20, L"sint64"},         {101, L"datetime"},
        {0x2008, L"string[]"}, {2, L"TODO"},   {0x2002, L"TODO[]"}, {102, L"ref:(unknown)"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(CCorvessaPropertyDescriptor(L"P", row.type).GetCIMTypeString(), CString(row.text)) << row.type;
}

TEST(CCorvessaPropertyDescriptor, ReferenceTypeTextComesFromItsQualifier)
{
    CCorvessaPropertyDescriptor reference(L"Badge", 102);
    _variant_t text(L"ref:Bnt_Badge");
    reference.GetQualifierSet()->Put(L"CIMTYPE", &text, 0);
    EXPECT_EQ(reference.GetCIMTypeString(), CString(L"ref:Bnt_Badge"));
    CCorvessaPropertyDescriptor wrongCase(L"Badge", 102);
    wrongCase.GetQualifierSet()->Put(L"cimtype", &text, 0);
    EXPECT_EQ(wrongCase.GetCIMTypeString(), CString(L"ref:(unknown)"));
}

TEST(CCorvessaPropertyDescriptor, AssignmentKeepsTheTargetsQualifiers)
{
    CCorvessaPropertyDescriptor target(L"Name", 8);
    _variant_t maxlen(LONG(32));
    target.GetQualifierSet()->Put(L"maxlen", &maxlen, 0);
    CCorvessaPropertyDescriptor source(L"NAME", 3);
    _variant_t value(LONG(5));
    source.SetVariant(value);
    target = source;
    EXPECT_EQ(target.GetPropertyName(), CString(L"NAME"));
    EXPECT_EQ(target.GetCIMType(), 3);
    EXPECT_EQ(target.GetVariant().lVal, 5);
    EXPECT_EQ(target.GetQualifierSet()->Get(L"maxlen", 0, nullptr, nullptr), WBEM_S_NO_ERROR);
}

TEST(CCorvessaMethodDescriptor, ParametersAreListedAsAdded)
{
    CCorvessaMethodDescriptor method(L"SetMode");
    method.AddParameter(true, L"Mode", 3);
    method.AddParameter(true, L"Mode", 3);
    method.AddParameter(false, L"Status", 19);
    ASSERT_EQ(method.InParameters().size(), 2u);
    EXPECT_EQ(method.OutParameters().front(), std::make_pair(CString(L"Status"), LONG(19)));
    CCorvessaMethodDescriptor copy = method;
    EXPECT_EQ(copy.GetMethodName(), CString(L"SetMode"));
    EXPECT_EQ(copy.InParameters().size(), 2u);
}
