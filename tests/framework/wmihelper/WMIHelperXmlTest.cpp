// Instances filled from the data element of a software event: each column converted by the
// property's CIM type, NULL markers, columns without a property, and values that do not convert.
#include "framework/WMIHelper.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "platform/com/ComError.h"
#include "platform/xml/XmlDocument.h"
#include "tests/framework/wmihelper/WMIHelperTestSupport.h"
#include "tests/support/PropertyText.h"

#include <gtest/gtest.h>

#include <string>

using namespace wmihelpertest;

namespace {

// The data element of "<ROOT><NEWDATA><T>" + columns + "</T></NEWDATA></ROOT>".
XmlNode DataElement(XmlDocument& document, const std::wstring& columns)
{
    EXPECT_TRUE(document.LoadXML(L"<ROOT><NEWDATA><T>" + columns + L"</T></NEWDATA></ROOT>"));
    return document.SelectSingleNode(L"/ROOT/NEWDATA");
}

TEST(WMIHelperXml, ColumnsAreConvertedByTheirPropertysType)
{
    struct Case
    {
        const wchar_t* column;
        const wchar_t* property;
        const char* expected;
    };
    const Case cases[] = {
        {L"<Number> -42 </Number>", L"Number", "-42"},
        // An unsigned 32-bit value travels as VT_I4, as WMI keeps it.
        {L"<Unsigned>4000000000</Unsigned>", L"Unsigned", "-294967296"},
        {L"<Small>65535</Small>", L"Small", "65535"},
        {L"<Big>9000000000</Big>", L"Big", "9000000000"},
        {L"<Flag>true</Flag>", L"Flag", "1"},
        {L"<Flag>0</Flag>", L"Flag", "0"},
        {L"<Text>  two words  </Text>", L"Text", "two words"},
        {L"<Text>R&amp;D</Text>", L"Text", "R&D"},
        {L"<When>2026-12-07 09:30:05</When>", L"When", "20261207093005.000000+000"},
        // A fraction in any form a column holds, read as a get reads it.
        {L"<When>2024-01-02 09:05:00.5</When>", L"When", "20240102090500.500000+000"},
        {L"<When>2024-01-02 09:05:00.000</When>", L"When", "20240102090500.000000+000"},
        {L"<When>2024-01-02 09:05:00.000001</When>", L"When", "20240102090500.000001+000"},
        {L"<When>2024-01-02 09:05:00.1234567</When>", L"When", "20240102090500.123456+000"},
        {L"<Bytes>00ff10</Bytes>", L"Bytes", "bytes:3"},
        {L"<Real>2.5</Real>", L"Real", "2.5"},
        {L"<Number N=\"1\">5</Number>", L"Number", "<null>"},
        {L"<Text n=\"true\">x</Text>", L"Text", "<null>"},
        {L"<Number N=\"0\">5</Number>", L"Number", "5"},
        {L"<Embedded>x</Embedded>", L"Embedded", "<null>"},
    };
    for (const Case& c : cases)
    {
        SampleObjects sample = MakeSample();
        XmlDocument document;
        EXPECT_EQ(WMIHelper::CreateInstanceFromXML(sample.instance.Get(), DataElement(document, c.column), false, true),
                  S_OK)
            << CStringToUtf8(CString(c.column));
        EXPECT_EQ(support::PropertyText(sample.instance.Get(), c.property), c.expected)
            << CStringToUtf8(CString(c.column));
    }
}

TEST(WMIHelperXml, ValuesThatDoNotConvertNameTheirProperty)
{
    const wchar_t* cases[] = {
        L"<Number>12x</Number>",
        L"<Number>99999999999</Number>",
        L"<Unsigned>-1</Unsigned>",
        L"<Small>65536</Small>",
        L"<Flag>yes</Flag>",
        L"<When>yesterday</When>",
        L"<When>2024-01-02 09:05:00.</When>",
        L"<When>2024-01-02 09:05:00.1234567890</When>",
        L"<When>2024-02-30 09:05:00</When>",
        L"<Bytes>0g</Bytes>",
        L"<Bytes>abc</Bytes>",
        L"<Real>1e</Real>",
        L"<Number></Number>",
    };
    for (const wchar_t* column : cases)
    {
        SampleObjects sample = MakeSample();
        XmlDocument document;
        try
        {
            WMIHelper::CreateInstanceFromXML(sample.instance.Get(), DataElement(document, column), false, true);
            ADD_FAILURE() << "accepted " << CStringToUtf8(CString(column));
        }
        catch (const brontel::utility::CWMIException& e)
        {
            EXPECT_EQ(e.GetHResult(), WBEM_E_INVALID_PARAMETER);
            EXPECT_NE(CStringToUtf8(e.GetMessage()).find("An error occurred while processing the property "),
                      std::string::npos);
        }
    }
}

TEST(WMIHelperXml, UnknownColumnsAreSkippedAndMissingArgumentsRefused)
{
    SampleObjects sample = MakeSample();
    XmlDocument document;
    const XmlNode data = DataElement(document, L"<NoSuchColumn>1</NoSuchColumn><Number>7</Number>");
    EXPECT_EQ(WMIHelper::CreateInstanceFromXML(sample.instance.Get(), data, false, true), S_OK);
    EXPECT_EQ(support::PropertyText(sample.instance.Get(), L"Number"), "7");
    EXPECT_EQ(support::PropertyText(sample.instance.Get(), L"NoSuchColumn"), "<missing>");

    EXPECT_EQ(WMIHelper::CreateInstanceFromXML(nullptr, data, false, true), WBEM_E_INVALID_PARAMETER);
    EXPECT_THROW(WMIHelper::CreateInstanceFromXML(sample.instance.Get(), XmlNode(), false, true), _com_error);

    // A name resolver decides the property of each column; an empty name skips it.
    const auto names = [](const CString& column, const CString& table) {
        return table == L"T" && column == L"Number" ? CString(L"Big") : CString();
    };
    SampleObjects other = MakeSample();
    EXPECT_EQ(WMIHelper::CreateInstanceFromXML(other.instance.Get(), data, false, true, names), S_OK);
    EXPECT_EQ(support::PropertyText(other.instance.Get(), L"Big"), "7");
    EXPECT_EQ(support::PropertyText(other.instance.Get(), L"Number"), "<null>");
}

}  // namespace
