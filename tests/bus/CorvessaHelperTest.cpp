#include <gtest/gtest.h>

#include <openssl/evp.h>

#include <algorithm>
#include <functional>
#include <limits>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "bus/CCorvessaException.h"
#include "bus/CCorvessaHelper.h"
#include "framework/CWmipInstanceWriter.h"
#include "bus/GenericException.h"
#include "inhouse/BntCoreDb/CDBException.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "platform/com/SafeArray.h"
#include "platform/com/WbemConstants.h"
#include "tests/support/TemporaryHome.h"

using qpid::types::Variant;

namespace {

enum class Outcome
{
    Ok,
    InvalidItem,
    Generic,
    Decoding
};

// What a conversion threw, as an outcome.
Outcome Attempt(const std::function<void()>& work)
{
    try
    {
        work();
        return Outcome::Ok;
    }
    catch (const CCorvessaException& e)
    {
        EXPECT_EQ(e.ErrorCode(), CCorvessaException::kInvalidRequestItemKey);
        // A number's refusal goes on to name the range its type takes.
        EXPECT_EQ(e.ErrorMessage().rfind("Request contains an invalid value for the property 'P'.", 0), 0u)
            << e.ErrorMessage();
        return Outcome::InvalidItem;
    }
    catch (const GenericException&)
    {
        return Outcome::Generic;
    }
    catch (const brontel::utility::CWMIException& e)
    {
        EXPECT_EQ(e.GetHResult(), corvessa::kDecodingFailed);
        return Outcome::Decoding;
    }
}

Variant ListVariant(std::initializer_list<Variant> items)
{
    return Variant(Variant::List(items));
}

// The elements of a VT_ARRAY value as 32-bit numbers (bytes widened).
std::vector<long> Elements(const _variant_t& value)
{
    if ((value.vt & VT_TYPEMASK) == VT_UI1)
    {
        const std::string bytes = CCorvessaHelper::GetBytesFromSafeArray(value.parray);
        const auto* first = reinterpret_cast<const unsigned char*>(bytes.data());
        return std::vector<long>(first, first + bytes.size());
    }
    return CCorvessaHelper::GetLongsFromSafeArray(value.parray);
}

class CorvessaHelperTest : public ::testing::Test
{
protected:
    support::TemporaryHome m_home;
};

TEST_F(CorvessaHelperTest, InboundValuesConvertByThePropertysCimType)
{
    struct Case
    {
        long cimType;
        Variant value;
        Outcome outcome;
        VARTYPE vt;
        std::wstring text;  // the value as text (VariantChangeType), for Ok scalars
    };
    const Case cases[] = {
        {CIM_SINT32, Variant(std::int32_t(12)), Outcome::Ok, VT_I4, L"12"},
        {CIM_SINT32, Variant("-7"), Outcome::Ok, VT_I4, L"-7"},
        {CIM_SINT32, Variant("abc"), Outcome::InvalidItem, VT_EMPTY, L""},
        {CIM_SINT32, Variant("3000000000"), Outcome::InvalidItem, VT_EMPTY, L""},
        {CIM_SINT32, Variant(""), Outcome::Ok, VT_NULL, L""},
        {CIM_SINT32, Variant(), Outcome::Ok, VT_NULL, L""},
        {CIM_SINT16, Variant(), Outcome::Ok, VT_NULL, L""},
        {CIM_UINT8, Variant(std::uint32_t(300)), Outcome::InvalidItem, VT_EMPTY, L""},
        {CIM_UINT8, Variant("7"), Outcome::Ok, VT_UI1, L"7"},
        {CIM_UINT8, Variant("-1"), Outcome::InvalidItem, VT_EMPTY, L""},
        // An unsigned 32-bit value travels in the signed member.
        {CIM_UINT32, Variant(std::uint32_t(3000000000u)), Outcome::Ok, VT_I4, L"-1294967296"},
        {CIM_UINT32, Variant("-1"), Outcome::InvalidItem, VT_EMPTY, L""},
        {CIM_SINT64, Variant(std::int64_t(-5)), Outcome::Ok, VT_BSTR, L"-5"},
        {CIM_UINT64, Variant("9007199254740993"), Outcome::Ok, VT_BSTR, L"9007199254740993"},
        {CIM_BOOLEAN, Variant(true), Outcome::Ok, VT_BOOL, L"-1"},
        {CIM_BOOLEAN, Variant("FALSE"), Outcome::Ok, VT_BOOL, L"0"},
        {CIM_BOOLEAN, Variant("yes"), Outcome::InvalidItem, VT_EMPTY, L""},
        {CIM_REAL32, Variant(0.25f), Outcome::Ok, VT_R4, L"0.25"},
        {CIM_REAL32, Variant(".5"), Outcome::Ok, VT_R4, L"0.5"},
        {CIM_REAL32, Variant(std::int32_t(3)), Outcome::Ok, VT_R4, L"3"},
        {CIM_REAL32, Variant("1e3"), Outcome::InvalidItem, VT_EMPTY, L""},
        {CIM_REAL32, Variant(std::string(60, '9')), Outcome::InvalidItem, VT_EMPTY, L""},
        {CIM_REAL64, Variant("-2.5"), Outcome::Ok, VT_R8, L"-2.5"},
        {CIM_REAL64, Variant("1."), Outcome::InvalidItem, VT_EMPTY, L""},
        {CIM_STRING, Variant("h\xC3\xA9llo"), Outcome::Ok, VT_BSTR, L"h\u00E9llo"},
        {CIM_REFERENCE, Variant("Bnt_Badge.ID=1"), Outcome::Ok, VT_BSTR, L"Bnt_Badge.ID=1"},
        // Ill-formed UTF-8 is refused, never stored as U+FFFD; a U+FFFD sent as such is a text.
        {CIM_STRING,
         Variant("a\xFF"
                 "b"),
         Outcome::InvalidItem, VT_EMPTY, L""},
        {CIM_STRING, Variant("\xED\xA0\x80"), Outcome::InvalidItem, VT_EMPTY, L""},
        {CIM_REFERENCE, Variant("Bnt_Badge.ID=\xC0\xAF"), Outcome::InvalidItem, VT_EMPTY, L""},
        {CIM_STRING, Variant("\xEF\xBF\xBD"), Outcome::Ok, VT_BSTR, L"\uFFFD"},
        {CIM_SINT16, Variant("5"), Outcome::Generic, VT_EMPTY, L""},
        {CIM_OBJECT, Variant("x"), Outcome::Generic, VT_EMPTY, L""},
        {CIM_SINT32, ListVariant({Variant(std::int32_t(1))}), Outcome::InvalidItem, VT_EMPTY, L""},
    };
    for (const Case& c : cases)
    {
        _variant_t result;
        const Outcome outcome = Attempt(
            [&] { result = CCorvessaHelper::ConvertFromQpidVariantToWMIVariant(L"P", c.value, c.cimType, false); });
        SCOPED_TRACE(c.cimType);
        SCOPED_TRACE(c.value.asString());
        ASSERT_EQ(outcome, c.outcome);
        if (outcome != Outcome::Ok)
        {
            continue;
        }
        EXPECT_EQ(result.vt, c.vt);
        if (c.vt != VT_NULL)
        {
            _variant_t text;
            ASSERT_EQ(VariantChangeType(&text, &result, 0, VT_BSTR), S_OK);
            EXPECT_EQ(std::wstring(text.bstrVal), c.text);
        }
    }
}

TEST_F(CorvessaHelperTest, InboundArraysTakeTheirElementTypeFromTheProperty)
{
    struct Case
    {
        long cimType;
        Variant value;
        bool isBase64;
        Outcome outcome;
        VARTYPE vt;
        std::vector<long> elements;
    };
    const Case cases[] = {
        {CIM_SINT32 | CIM_FLAG_ARRAY,
         ListVariant({std::int32_t(1), std::int32_t(2), std::int32_t(3)}),
         false,
         Outcome::Ok,
         VT_ARRAY | VT_I4,
         {1, 2, 3}},
        {CIM_UINT32 | CIM_FLAG_ARRAY,
         ListVariant({"4", std::uint32_t(5)}),
         false,
         Outcome::Ok,
         VT_ARRAY | VT_I4,
         {4, 5}},
        {CIM_SINT32 | CIM_FLAG_ARRAY, ListVariant({}), false, Outcome::Ok, VT_NULL, {}},
        // An empty element carries no number; it no longer decides the array's type either.
        {CIM_SINT32 | CIM_FLAG_ARRAY, ListVariant({std::int32_t(1), ""}), false, Outcome::InvalidItem, VT_EMPTY, {}},
        {CIM_SINT32 | CIM_FLAG_ARRAY,
         ListVariant({Variant(), std::int32_t(1)}),
         false,
         Outcome::InvalidItem,
         VT_EMPTY,
         {}},
        {CIM_SINT32 | CIM_FLAG_ARRAY, ListVariant({"x"}), false, Outcome::InvalidItem, VT_EMPTY, {}},
        {CIM_SINT32 | CIM_FLAG_ARRAY, Variant("5"), false, Outcome::InvalidItem, VT_EMPTY, {}},
        {CIM_STRING | CIM_FLAG_ARRAY, ListVariant({"a", "b"}), false, Outcome::Generic, VT_EMPTY, {}},
        {CIM_BOOLEAN | CIM_FLAG_ARRAY, ListVariant({true}), false, Outcome::Generic, VT_EMPTY, {}},
        {CIM_UINT8 | CIM_FLAG_ARRAY, Variant("AAEC"), true, Outcome::Ok, VT_ARRAY | VT_UI1, {0, 1, 2}},
        {CIM_UINT8 | CIM_FLAG_ARRAY, Variant("AAEC"), false, Outcome::Ok, VT_ARRAY | VT_UI1, {'A', 'A', 'E', 'C'}},
        {CIM_UINT8 | CIM_FLAG_ARRAY,
         ListVariant({std::int32_t(1), "2"}),
         false,
         Outcome::Ok,
         VT_ARRAY | VT_UI1,
         {1, 2}},
        {CIM_UINT8 | CIM_FLAG_ARRAY, ListVariant({std::int32_t(256)}), false, Outcome::InvalidItem, VT_EMPTY, {}},
        {CIM_UINT8 | CIM_FLAG_ARRAY, Variant("AA\xC3\xA9"), true, Outcome::Decoding, VT_EMPTY, {}},
        {CIM_UINT8 | CIM_FLAG_ARRAY, Variant("A*=="), true, Outcome::Decoding, VT_EMPTY, {}},
        // Decoding ends at the first fill: Base64 with more than fill and blanks after it is refused,
        // never taken and then lost in part.
        {CIM_UINT8 | CIM_FLAG_ARRAY, Variant("QUJD=REU="), true, Outcome::Decoding, VT_EMPTY, {}},
        {CIM_UINT8 | CIM_FLAG_ARRAY, Variant("QUJDREU=QUJDREU="), true, Outcome::Decoding, VT_EMPTY, {}},
        {CIM_UINT8 | CIM_FLAG_ARRAY, Variant("==QUJDREU="), true, Outcome::Decoding, VT_EMPTY, {}},
        {CIM_UINT8 | CIM_FLAG_ARRAY, Variant("QUJDREU=\r"), true, Outcome::Decoding, VT_EMPTY, {}},
        {CIM_UINT8 | CIM_FLAG_ARRAY,
         Variant("QUJDREU= =\t\n\f"),
         true,
         Outcome::Ok,
         VT_ARRAY | VT_UI1,
         {'A', 'B', 'C', 'D', 'E'}},
        {CIM_UINT8 | CIM_FLAG_ARRAY, Variant("====="), true, Outcome::Ok, VT_ARRAY | VT_UI1, {}},
        {CIM_UINT8 | CIM_FLAG_ARRAY, Variant("AB=C"), false, Outcome::Ok, VT_ARRAY | VT_UI1, {'A', 'B', '=', 'C'}},
    };
    for (const Case& c : cases)
    {
        _variant_t result;
        const Outcome outcome = Attempt([&] {
            result = CCorvessaHelper::ConvertFromQpidVariantToWMIVariant(L"P", c.value, c.cimType, c.isBase64);
        });
        SCOPED_TRACE(c.value.asString());
        ASSERT_EQ(outcome, c.outcome);
        if (outcome == Outcome::Ok)
        {
            EXPECT_EQ(result.vt, c.vt);
            if (c.vt != VT_NULL)
            {
                LONG lower = -1;
                ASSERT_EQ(SafeArrayGetLBound(result.parray, 1, &lower), S_OK);
                EXPECT_EQ(lower, 0);
                EXPECT_EQ(Elements(result), c.elements);
            }
        }
    }
}

TEST_F(CorvessaHelperTest, BinaryValuesBeyondTheArrayLimitAreInvalidValues)
{
    const long binary = CIM_UINT8 | CIM_FLAG_ARRAY;
    const std::string raw(kMaxSafeArrayElements + 1, 'A');
    EXPECT_EQ(Attempt([&] { CCorvessaHelper::ConvertFromQpidVariantToWMIVariant(L"P", Variant(raw), binary, false); }),
              Outcome::InvalidItem);
    const std::string encoded((kMaxSafeArrayElements / 3 + 1) * 4, 'A');
    EXPECT_EQ(
        Attempt([&] { CCorvessaHelper::ConvertFromQpidVariantToWMIVariant(L"P", Variant(encoded), binary, true); }),
        Outcome::InvalidItem);
    const std::string largest(kMaxSafeArrayElements, 'A');
    EXPECT_EQ(
        Attempt([&] { CCorvessaHelper::ConvertFromQpidVariantToWMIVariant(L"P", Variant(largest), binary, false); }),
        Outcome::Ok);
}

TEST_F(CorvessaHelperTest, Base64DecodingAgreesWithOpenSslOnRandomData)
{
    std::mt19937 random(7);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int length = 0; length < 200; length += 7)
    {
        std::vector<unsigned char> data(static_cast<std::size_t>(length));
        for (unsigned char& b : data)
        {
            b = static_cast<unsigned char>(byte(random));
        }
        std::string encoded(4 * ((data.size() + 2) / 3) + 1, '\0');
        const int written = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(encoded.data()), data.data(), length);
        encoded.resize(static_cast<std::size_t>(written));
        const _variant_t value = CCorvessaHelper::CreateSafeArrayVariantFromBinaryString(encoded, true);
        ASSERT_EQ(value.vt, VT_ARRAY | VT_UI1);
        EXPECT_EQ(CCorvessaHelper::GetBytesFromSafeArray(value.parray), std::string(data.begin(), data.end()))
            << encoded;
    }
}

TEST_F(CorvessaHelperTest, HostileBase64IsADecodingFailureNeverAnOverrun)
{
    std::mt19937 random(11);
    std::uniform_int_distribution<int> high(0x80, 0xFF);
    std::vector<std::string> texts = {"\x80", "QUJD\xFF", "====", "Q", "QU=J", std::string("QU\0J", 4)};
    for (int i = 0; i < 50; ++i)
    {
        std::string text = "QUJD";
        text.insert(text.begin() + i % 5, static_cast<char>(high(random)));
        texts.push_back(text);
    }
    for (const std::string& text : texts)
    {
        const Outcome outcome = Attempt([&] { CCorvessaHelper::CreateSafeArrayVariantFromBinaryString(text, true); });
        const bool high =
            std::any_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
        if (high)
        {
            EXPECT_EQ(outcome, Outcome::Decoding) << text;
        }
        EXPECT_NE(outcome, Outcome::Generic) << text;
    }
}

// Zero bytes in Base64 ("AAAA" is three), padded with "=" to the exact count.
std::string ZerosInBase64(std::size_t bytes)
{
    std::string text((bytes + 2) / 3 * 4, 'A');
    const std::size_t padding = (3 - bytes % 3) % 3;
    text.replace(text.size() - padding, padding, padding, '=');
    return text;
}

TEST_F(CorvessaHelperTest, BinaryValuesDecodeUpToTheBinaryLimitAndNoFurther)
{
    const _variant_t atLimit = CCorvessaHelper::CreateSafeArrayVariantFromBinaryString(
        ZerosInBase64(CWmipInstanceWriter::kMaxBinaryBytes), true);
    ASSERT_EQ(atLimit.vt, VT_ARRAY | VT_UI1);
    EXPECT_EQ(CCorvessaHelper::GetBytesFromSafeArray(atLimit.parray).size(), CWmipInstanceWriter::kMaxBinaryBytes);
    try
    {
        CCorvessaHelper::CreateSafeArrayVariantFromBinaryString(ZerosInBase64(CWmipInstanceWriter::kMaxBinaryBytes + 1),
                                                                true);
        ADD_FAILURE() << "a value past the binary limit was taken";
    }
    catch (const brontel::utility::CWMIException& e)
    {
        EXPECT_EQ(e.GetHResult(), WBEM_E_INVALID_PARAMETER);
        EXPECT_NE(e.GetMessage().Find(L"larger than a binary property may hold (16 MiB)"), -1);
    }
}

// The same values as an inbound binary property carries them: the size estimate made before
// decoding lets through every value that decodes within the limit. A test per size, as each
// decodes megabytes.
struct InboundBinary
{
    const char* name;
    std::size_t bytes;
    Outcome outcome;
    // Blanks put inside the Base64, which decoding skips: the limit counts the bytes decoded.
    std::size_t blanks = 0;
};

void PrintTo(const InboundBinary& value, std::ostream* out)
{
    *out << value.bytes << " bytes";
}

class CorvessaHelperBinaryTest : public CorvessaHelperTest, public ::testing::WithParamInterface<InboundBinary>
{
};

TEST_P(CorvessaHelperBinaryTest, InboundBinaryValuesDecodeUpToTheBinaryLimitAndNoFurther)
{
    const long binary = CIM_UINT8 | CIM_FLAG_ARRAY;
    const InboundBinary& c = GetParam();
    _variant_t value;
    std::string text = ZerosInBase64(c.bytes);
    for (std::size_t i = 1; i <= c.blanks; ++i)
        text.insert(text.size() * i / (c.blanks + 1) / 4 * 4, " ");
    const Outcome outcome = Attempt(
        [&] { value = CCorvessaHelper::ConvertFromQpidVariantToWMIVariant(L"P", Variant(text), binary, true); });
    EXPECT_EQ(outcome, c.outcome) << c.bytes;
    if (outcome == Outcome::Ok)
    {
        ASSERT_EQ(value.vt, VT_ARRAY | VT_UI1) << c.bytes;
        EXPECT_EQ(CCorvessaHelper::GetBytesFromSafeArray(value.parray).size(), c.bytes);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, CorvessaHelperBinaryTest,
    ::testing::Values(InboundBinary{"TwelveMiB", 12 * 1024 * 1024, Outcome::Ok},
                      InboundBinary{"OneUnderTheLimit", CWmipInstanceWriter::kMaxBinaryBytes - 1, Outcome::Ok},
                      InboundBinary{"AtTheLimit", CWmipInstanceWriter::kMaxBinaryBytes, Outcome::Ok},
                      InboundBinary{"OneOverTheLimit", CWmipInstanceWriter::kMaxBinaryBytes + 1, Outcome::InvalidItem},
                      InboundBinary{"AtTheLimitWithBlanks", CWmipInstanceWriter::kMaxBinaryBytes, Outcome::Ok, 4},
                      InboundBinary{"OneOverTheLimitWithBlanks", CWmipInstanceWriter::kMaxBinaryBytes + 1,
                                    Outcome::InvalidItem, 4}),
    [](const ::testing::TestParamInfo<InboundBinary>& info) { return info.param.name; });

TEST_F(CorvessaHelperTest, OutboundValuesReadTheMemberTheirTypeNames)
{
    const auto bstr = [](const wchar_t* text) { return _variant_t(text); };
    _variant_t boolOne;
    boolOne.vt = VT_BOOL;
    boolOne.boolVal = 1;
    struct Case
    {
        long cimType;
        _variant_t value;
        Variant expected;
    };
    const Case cases[] = {
        {CIM_REAL32, _variant_t(1.5f), Variant(1.5f)},
        {CIM_REAL32, _variant_t(2.5), Variant(2.5f)},
        {CIM_REAL64, _variant_t(0.75f), Variant(0.75)},
        {CIM_SINT32, _variant_t(LONG(-4)), Variant(std::int32_t(-4))},
        {CIM_SINT32, bstr(L"7"), Variant(std::int32_t(7))},
        {CIM_UINT32, _variant_t(LONG(-1)), Variant(std::uint32_t(4294967295u))},
        {CIM_UINT8, _variant_t(BYTE(200)), Variant(std::uint8_t(200))},
        {CIM_BOOLEAN, _variant_t(true), Variant(true)},
        {CIM_BOOLEAN, boolOne, Variant(false)},
        {CIM_SINT64, bstr(L"-5"), Variant(std::int64_t(-5))},
        {CIM_SINT64, bstr(L"12abc"), Variant(std::int64_t(12))},
        {CIM_SINT64, bstr(L"  +8"), Variant(std::int64_t(8))},
        {CIM_UINT64, bstr(L"18446744073709551615"), Variant(std::numeric_limits<std::int64_t>::max())},
        {CIM_SINT64, bstr(L"-99999999999999999999"), Variant(std::numeric_limits<std::int64_t>::min())},
        {CIM_SINT64, _variant_t(LONGLONG(1) << 40), Variant(std::int64_t(1) << 40)},
        {CIM_STRING, bstr(L"h\u00E9"), Variant("h\xC3\xA9")},
        {CIM_DATETIME, bstr(L"2024-01-31T08:05:09+01:00"), Variant("2024-01-31T08:05:09+01:00")},
        {CIM_REFERENCE, bstr(L"Bnt_Badge.Name=\"a\\\"b\""), Variant("Bnt_Badge.Name=a\\b")},
        {CIM_SINT32, _variant_t(), Variant()},
        {CIM_SINT32, CCorvessaHelper::GetNullVariant(), Variant()},
    };
    for (const Case& c : cases)
    {
        const Variant result = CCorvessaHelper::ConvertToQpidVariant(L"C", L"P", c.value, c.cimType);
        EXPECT_TRUE(result.isEqualTo(c.expected))
            << c.cimType << ": " << result.asString() << " (" << qpid::types::getTypeName(result.getType()) << ")";
    }
    for (const long unsupported : {CIM_SINT16, CIM_CHAR16, CIM_OBJECT})
    {
        EXPECT_THROW(CCorvessaHelper::ConvertToQpidVariant(L"C", L"P", _variant_t(LONG(1)), unsupported),
                     GenericException);
    }
    EXPECT_THROW(CCorvessaHelper::ConvertToQpidVariant(L"C", L"P", bstr(L"x"), CIM_SINT32), GenericException);
}

TEST_F(CorvessaHelperTest, OutboundTextsFollowTheNumberReadersOfTheRunTime)
{
    struct Case
    {
        long cimType;
        const wchar_t* text;
        Variant expected;
    };
    const Case cases[] = {
        {CIM_UINT32, L"-1", Variant(std::uint32_t(4294967295u))},
        {CIM_BOOLEAN, L"-1", Variant(true)},
        {CIM_BOOLEAN, L"1", Variant(false)},
        {CIM_BOOLEAN, L"true", Variant(false)},
        {CIM_SINT32, L"99999999999", Variant(std::int32_t(2147483647))},
        {CIM_REAL64, L"2.5x", Variant(2.5)},
        {CIM_SINT64, L"12abc", Variant(std::int64_t(12))},
        {CIM_STRING, L"Olive", Variant("Olive")},
        {CIM_SINT32, L"", Variant()},
    };
    for (const Case& c : cases)
    {
        const Variant result = CCorvessaHelper::ConvertToQpidVariant(L"C", L"P", CString(c.text), c.cimType);
        EXPECT_TRUE(result.isEqualTo(c.expected)) << c.cimType << " " << CStringToUtf8(c.text);
    }
    EXPECT_THROW(CCorvessaHelper::ConvertToQpidVariant(L"C", L"P", CString(L"1"), CIM_UINT8), GenericException);
}

TEST_F(CorvessaHelperTest, BinaryValuesBecomeDataAndContentType)
{
    const std::string png("\x89PNG\r\n\x1A\n\0\1", 10);
    const _variant_t bytes = CCorvessaHelper::CreateSafeArrayVariantFromBinaryString(png, false);
    const long binary = CIM_UINT8 | CIM_FLAG_ARRAY;
    struct Case
    {
        const wchar_t* className;
        const _variant_t* value;
        std::string data;
        std::string contentType;
    };
    const _variant_t empty;
    const _variant_t gif = CCorvessaHelper::CreateSafeArrayVariantFromBinaryString("GIF89a..", false);
    const Case cases[] = {
        {L"Bnt_MultimediaObject", &bytes, png, "image/png"},
        {L"bnt_multimediaobject", &gif, "GIF89a..", "image/gif"},
        {L"Bnt_Cardholder", &bytes, png, "application/octet-stream"},
        {L"", &bytes, png, "application/octet-stream"},
    };
    for (const Case& c : cases)
    {
        const Variant result = CCorvessaHelper::ConvertToQpidVariant(c.className, L"Data", *c.value, binary);
        ASSERT_EQ(result.getType(), qpid::types::VAR_MAP);
        EXPECT_EQ(result.asMap().at("data").asString(), c.data);
        EXPECT_EQ(result.asMap().at("content_type").asString(), c.contentType);
    }
    const Variant list = CCorvessaHelper::ConvertToQpidVariant(L"C", L"P", empty, CIM_SINT32 | CIM_FLAG_ARRAY);
    EXPECT_TRUE(list.asList().empty());
    EXPECT_THROW(CCorvessaHelper::ConvertToQpidVariant(L"C", L"P", bytes, CIM_UINT32 | CIM_FLAG_ARRAY),
                 GenericException);
    // A scalar where the property is an array is no array to read.
    EXPECT_THROW(CCorvessaHelper::ConvertToQpidVariant(L"C", L"P", _variant_t(LONG(1)), CIM_SINT32 | CIM_FLAG_ARRAY),
                 GenericException);
}

TEST_F(CorvessaHelperTest, SafeArrayReadersHonourBoundsAndRefuseOtherElementTypes)
{
    const SAFEARRAYBOUND bound{3, 1};
    SAFEARRAY* numbers = SafeArrayCreate(VT_I4, 1, &bound);
    for (LONG i = 1; i <= 3; ++i)
    {
        LONG value = i * 10;
        ASSERT_EQ(SafeArrayPutElement(numbers, &i, &value), S_OK);
    }
    EXPECT_EQ(CCorvessaHelper::GetLongsFromSafeArray(numbers), (std::vector<long>{10, 20, 30}));
    EXPECT_THROW(CCorvessaHelper::GetStringsFromSafeArray(numbers), GenericException);
    EXPECT_THROW(CCorvessaHelper::GetBytesFromSafeArray(numbers), GenericException);
    SafeArrayDestroy(numbers);

    SAFEARRAY* texts = SafeArrayCreateVector(VT_BSTR, 0, 2);
    LONG index = 1;
    BSTR text = SysAllocString(L"two");
    ASSERT_EQ(SafeArrayPutElement(texts, &index, text), S_OK);
    SysFreeString(text);
    EXPECT_EQ(CCorvessaHelper::GetStringsFromSafeArray(texts), (std::vector<CString>{L"", L"two"}));
    EXPECT_THROW(CCorvessaHelper::GetLongsFromSafeArray(texts), GenericException);
    SafeArrayDestroy(texts);

    EXPECT_TRUE(CCorvessaHelper::GetLongsFromSafeArray(nullptr).empty());
    EXPECT_TRUE(CCorvessaHelper::GetStringsFromSafeArray(nullptr).empty());
}

TEST_F(CorvessaHelperTest, TextChecksFollowThePatternsOfEachType)
{
    struct Case
    {
        long cimType;
        const char* text;
        bool valid;
    };
    const Case cases[] = {
        {CIM_SINT32, "-5", true},     {CIM_SINT32, "0", true},
        {CIM_SINT32, "12a", false},   {CIM_SINT32, "+5", false},
        {CIM_SINT32, " 5", false},    {CIM_SINT32, "1.0", false},
        {CIM_SINT32, "", false},      {CIM_SINT32, "-", false},
        {CIM_UINT8, "300", true},     {CIM_UINT8, "-1", true},
        {CIM_REAL64, "1.5", true},    {CIM_REAL64, ".5", true},
        {CIM_REAL64, "-.5", true},    {CIM_REAL64, "7", true},
        {CIM_REAL64, "1.", false},    {CIM_REAL64, "1e3", false},
        {CIM_REAL64, "+1", false},    {CIM_REAL64, "1.2.3", false},
        {CIM_BOOLEAN, "true", true},  {CIM_BOOLEAN, "TRUE", true},
        {CIM_BOOLEAN, "False", true}, {CIM_BOOLEAN, "0", true},
        {CIM_BOOLEAN, "1", true},     {CIM_BOOLEAN, "yes", false},
        {CIM_BOOLEAN, "2", false},    {CIM_STRING, "anything", true},
        {CIM_REFERENCE, "", true},    {CIM_SINT32 | CIM_FLAG_ARRAY, "x", true},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(CCorvessaHelper::IsValidValue(Variant(c.text), c.cimType), c.valid)
            << c.cimType << " '" << c.text << "'";
    }
    // A long hostile text is judged without recursion.
    EXPECT_TRUE(CCorvessaHelper::IsValidValue(Variant(std::string(1 << 20, '7')), CIM_SINT32));
    EXPECT_FALSE(CCorvessaHelper::IsValidValue(Variant(std::string(1 << 20, '7') + "x"), CIM_REAL64));
}

TEST_F(CorvessaHelperTest, BinaryTypesAndLostConnectionsAreRecognised)
{
    EXPECT_TRUE(CCorvessaHelper::IsCIMTypeConsideredBinary(0x2011));
    EXPECT_TRUE(CCorvessaHelper::IsCIMTypeConsideredBinary(0x2013));
    EXPECT_TRUE(CCorvessaHelper::IsCIMTypeConsideredBinary(0x2015));
    EXPECT_FALSE(CCorvessaHelper::IsCIMTypeConsideredBinary(17));
    EXPECT_FALSE(CCorvessaHelper::IsCIMTypeConsideredBinary(0x2008));

    struct Case
    {
        const wchar_t* state;
        LONG native;
        bool lost;
    };
    const Case cases[] = {
        {L"08S01", 233, true}, {L"08S02", -1, true}, {L"08S01", 5, false}, {L"08S02", 233, false}, {L"HY000", 1, false},
    };
    for (const Case& c : cases)
    {
        const CDBException failure(CDBException::kRetDatabaseError, c.state, c.native, L"x");
        EXPECT_EQ(CCorvessaHelper::IsInvalidDBConnectionException(failure), c.lost) << CStringToUtf8(c.state);
    }
    EXPECT_FALSE(CCorvessaHelper::IsInvalidDBConnectionException(GenericException(L"State:08S01,Native:233,")));
}

TEST_F(CorvessaHelperTest, TextMapsBecomeStringValues)
{
    const auto map = CCorvessaHelper::ConvertToQpidMap({{L"2", L"Zw\u00F6lf"}, {L"10", L"Ten"}});
    ASSERT_EQ(map.size(), 2u);
    EXPECT_EQ(map.begin()->first, "10");
    EXPECT_EQ(map.at("2").asString(), "Zw\xC3\xB6lf");
}

}  // namespace

// An empty binary value is none on the bus, as the WMI door reads it and the installation stores
// an empty text: given empty it is written as none, and none or no bytes read back as none, so
// that a get shows null and a person's media is not found.
TEST_F(CorvessaHelperTest, AnEmptyBinaryValueIsNoneBothWays)
{
    const long binary = CIM_UINT8 | CIM_FLAG_ARRAY;
    EXPECT_EQ(CCorvessaHelper::ConvertFromQpidVariantToWMIVariant(L"Data", Variant(""), binary, true).vt, VT_NULL);
    _variant_t none;
    none.vt = VT_NULL;
    _variant_t noBytes;
    noBytes.vt = VT_ARRAY | VT_UI1;
    noBytes.parray = SafeArrayCreateVector(VT_UI1, 0, 0);
    const _variant_t twoBytes = CCorvessaHelper::CreateSafeArrayVariantFromBinaryString("\x01\xFE", false);
    for (const _variant_t* empty : {&none, &noBytes})
        EXPECT_TRUE(
            CCorvessaHelper::ConvertToQpidVariant(CCorvessaHelper::kMultimediaClass, L"Data", *empty, binary).isVoid());
    const Variant read =
        CCorvessaHelper::ConvertToQpidVariant(CCorvessaHelper::kMultimediaClass, L"Data", twoBytes, binary);
    ASSERT_EQ(read.getType(), qpid::types::VAR_MAP);
    EXPECT_EQ(read.asMap().at("data").getString(), "\x01\xFE");
}
