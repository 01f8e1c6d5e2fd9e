#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>

#include "platform/qpid/Uuid.h"
#include "platform/qpid/Variant.h"

using qpid::types::InvalidConversion;
using qpid::types::Uuid;
using qpid::types::Variant;

namespace {

struct BoolCase
{
    Variant value;
    bool converts;
    bool expected;
};

TEST(QpidVariant, BoolConversionsFollowTextAndNumberRules)
{
    const BoolCase cases[] = {
        {Variant(true), true, true},
        {Variant(false), true, false},
        {Variant("true"), true, true},
        {Variant("TRUE"), true, true},
        {Variant("False"), true, false},
        {Variant("1"), true, true},
        {Variant("0"), true, false},
        {Variant("-7"), true, true},
        {Variant(std::int32_t{0}), true, false},
        {Variant(std::uint8_t{2}), true, true},
        {Variant("yes"), false, false},
        {Variant(" true"), false, false},
        {Variant("1.0"), false, false},
        {Variant(""), false, false},
        {Variant(1.0), false, false},
        {Variant(), false, false},
        {Variant(Variant::List{}), false, false},
    };
    for (const BoolCase& c : cases)
    {
        SCOPED_TRACE(c.value.asString());
        if (c.converts)
        {
            EXPECT_EQ(c.value.asBool(), c.expected);
        }
        else
        {
            EXPECT_THROW(c.value.asBool(), InvalidConversion);
        }
    }
}

TEST(QpidVariant, Uint8TakesOnlyValuesInItsRange)
{
    EXPECT_EQ(Variant("255").asUint8(), 255);
    EXPECT_EQ(Variant("-0").asUint8(), 0);
    EXPECT_EQ(Variant("+7").asUint8(), 7);
    EXPECT_EQ(Variant(std::int64_t{200}).asUint8(), 200);
    EXPECT_EQ(Variant(std::uint32_t{0}).asUint8(), 0);
    for (const Variant& refused :
         {Variant("256"), Variant("-1"), Variant("300"), Variant(std::int32_t{-1}), Variant(std::uint16_t{256}),
          Variant(true), Variant(1.0f), Variant("1e2"), Variant("0x10"), Variant("+-1"), Variant("--0"), Variant("")})
    {
        SCOPED_TRACE(refused.asString());
        EXPECT_THROW(refused.asUint8(), InvalidConversion);
    }
}

TEST(QpidVariant, Int32AndInt64KeepTheirRanges)
{
    EXPECT_EQ(Variant("2147483647").asInt32(), 2147483647);
    EXPECT_EQ(Variant("-2147483648").asInt32(), INT32_MIN);
    EXPECT_THROW(Variant("2147483648").asInt32(), InvalidConversion);
    EXPECT_THROW(Variant(std::uint32_t{3000000000u}).asInt32(), InvalidConversion);
    EXPECT_THROW(Variant(std::int64_t{-2147483649LL}).asInt32(), InvalidConversion);
    EXPECT_EQ(Variant(std::uint32_t{3000000000u}).asInt64(), 3000000000LL);
    EXPECT_EQ(Variant("-9223372036854775808").asInt64(), INT64_MIN);
    EXPECT_THROW(Variant("9223372036854775808").asInt64(), InvalidConversion);
    EXPECT_THROW(Variant(std::uint64_t{9223372036854775808ULL}).asInt64(), InvalidConversion);
    EXPECT_EQ(Variant(std::uint64_t{9223372036854775808ULL}).asUint64(), 9223372036854775808ULL);
    EXPECT_THROW(Variant(std::int64_t{-1}).asUint64(), InvalidConversion);
    EXPECT_THROW(Variant(" 5").asInt32(), InvalidConversion);
    EXPECT_THROW(Variant("5 ").asInt32(), InvalidConversion);
    EXPECT_THROW(Variant(2.0).asInt32(), InvalidConversion);
}

TEST(QpidVariant, RealsReadFromRealsAndTextOnly)
{
    EXPECT_FLOAT_EQ(Variant("1.5").asFloat(), 1.5f);
    EXPECT_DOUBLE_EQ(Variant(1.5f).asDouble(), 1.5);
    EXPECT_DOUBLE_EQ(Variant("-2.25").asDouble(), -2.25);
    EXPECT_THROW(Variant(2.5).asFloat(), InvalidConversion);
    EXPECT_THROW(Variant(std::int32_t{3}).asDouble(), InvalidConversion);
    EXPECT_THROW(Variant("1.5x").asDouble(), InvalidConversion);
}

TEST(QpidVariant, TextFormsOfEveryType)
{
    EXPECT_EQ(Variant().asString(), "");
    EXPECT_EQ(Variant(true).asString(), "True");
    EXPECT_EQ(Variant(false).asString(), "False");
    EXPECT_EQ(Variant(std::uint8_t{65}).asString(), "65");
    EXPECT_EQ(Variant(std::int8_t{-5}).asString(), "-5");
    EXPECT_EQ(Variant(std::int64_t{INT64_MIN}).asString(), "-9223372036854775808");
    EXPECT_EQ(Variant(0.5).asString(), "0.5");
    EXPECT_EQ(Variant(0.1f).asString(), "0.1");
    Variant::Map map{{"b", Variant(std::int32_t{2})}, {"a", Variant("x")}};
    EXPECT_EQ(Variant(map).asString(), "{a:x, b:2}");
    EXPECT_EQ(Variant(Variant::List{Variant(true), Variant("y")}).asString(), "[True, y]");
}

TEST(QpidVariant, MapsAndListsAreDeepCopiesAndTypeChecked)
{
    Variant outer(Variant::Map{{"inner", Variant(Variant::List{Variant("a")})}});
    Variant copy = outer;
    copy.asMap()["inner"].asList().push_back(Variant("b"));
    EXPECT_EQ(outer.asMap().at("inner").asList().size(), 1u);
    EXPECT_EQ(copy.asMap().at("inner").asList().size(), 2u);
    EXPECT_FALSE(outer == copy);
    EXPECT_THROW(outer.asList(), InvalidConversion);
    EXPECT_THROW(Variant("x").asMap(), InvalidConversion);
    // A value assigned from its own element stays whole.
    outer = outer.asMap().at("inner");
    ASSERT_EQ(outer.getType(), qpid::types::VAR_LIST);
    EXPECT_EQ(outer.asList().front().getString(), "a");
    Variant moved = std::move(copy);
    EXPECT_TRUE(copy.isVoid());
    EXPECT_EQ(moved.getType(), qpid::types::VAR_MAP);
}

TEST(QpidUuid, RandomIdentifiersAreVersion4AndDistinct)
{
    EXPECT_TRUE(Uuid().isNull());
    EXPECT_EQ(Uuid().str(), "00000000-0000-0000-0000-000000000000");
    std::set<std::string> seen;
    for (int i = 0; i < 200; ++i)
    {
        const Uuid id(true);
        const std::string text = id.str();
        ASSERT_EQ(text.size(), 36u);
        EXPECT_EQ(text[8], '-');
        EXPECT_EQ(text[13], '-');
        EXPECT_EQ(text[14], '4');
        EXPECT_NE(std::string("89ab").find(text[19]), std::string::npos);
        EXPECT_EQ(text.find_first_not_of("0123456789abcdef-"), std::string::npos);
        seen.insert(text);
    }
    EXPECT_EQ(seen.size(), 200u);
    const Uuid one(true);
    EXPECT_EQ(Variant(one).asUuid(), one);
    EXPECT_EQ(Variant(one).asString(), one.str());
}

}  // namespace
