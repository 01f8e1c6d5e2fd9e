// Command maps as Boost binary archives of Variants: the round trip keeps every alternative,
// and hostile bytes are refused rather than loaded as nothing or allocated.
#include "Libraries/BntIRUtility/VariantArchive.h"

#include <gtest/gtest.h>

#include <boost/archive/archive_exception.hpp>

#include <algorithm>
#include <limits>

namespace {

using Bnt::IR::Utility::Variant;
using Bnt::IR::Utility::VariantArchive;

Variant::Map EveryAlternative()
{
    Variant::Map inner{{"deep", Variant(Variant::List{Variant(1.5), Variant(Variant::Map{{"x", Variant()}})})}};
    return Variant::Map{
        {"null", Variant()},
        {"bool", Variant(true)},
        {"int", Variant(-5)},
        {"unsigned", Variant(5u)},
        {"int64", Variant(std::int64_t{-1})},
        {"uint64", Variant(std::numeric_limits<std::uint64_t>::max())},
        {"float", Variant(0.25f)},
        {"double", Variant(-2.5)},
        {"string", Variant("text with \0 inside")},
        {"list", Variant(Variant::List{Variant(1), Variant("two"), Variant(inner)})},
        {"map", Variant(inner)},
    };
}

Variant::Map Loaded(const std::vector<std::uint8_t>& bytes)
{
    Variant::Map map;
    VariantArchive::Load(bytes, &map);
    return map;
}

// The archive of a one-entry map whose value is the given stored index and value bytes.
std::vector<std::uint8_t> WithIndex(int index)
{
    std::vector<std::uint8_t> bytes = VariantArchive::Save({{"k", Variant(7)}});
    // The index is the int written right before the value 7; find the value and step back.
    const std::uint8_t seven[] = {7, 0, 0, 0};
    auto at = std::search(bytes.begin(), bytes.end(), std::begin(seven), std::end(seven));
    EXPECT_NE(at, bytes.end());
    auto indexAt = at - 4;
    for (int i = 0; i < 4; ++i)
        indexAt[i] = static_cast<std::uint8_t>(static_cast<unsigned>(index) >> (8 * i));
    return bytes;
}

TEST(VariantArchive, RoundTripKeepsEveryAlternativeAndNesting)
{
    const Variant::Map map = EveryAlternative();
    const Variant::Map back = Loaded(VariantArchive::Save(map));
    EXPECT_EQ(back, map);
    const int expected[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    for (const auto& [key, value] : back)
        EXPECT_NE(std::find(std::begin(expected), std::end(expected), value.Which()), std::end(expected)) << key;
    EXPECT_EQ(back.at("null").Which(), 0);
    EXPECT_EQ(back.at("int").Which(), 2);
    EXPECT_EQ(back.at("unsigned").Which(), 3);
    EXPECT_EQ(back.at("map").Which(), 10);
    EXPECT_EQ(Loaded(VariantArchive::Save({})), Variant::Map());
}

TEST(VariantArchive, SameBitsLoadAsTheAlternativeThatWasSaved)
{
    const Variant::Map map{{"signed", Variant(std::int64_t{-1})},
                           {"unsigned", Variant(std::uint64_t{0xFFFFFFFFFFFFFFFFull})},
                           {"int", Variant(-1)},
                           {"uint", Variant(0xFFFFFFFFu)}};
    const Variant::Map back = Loaded(VariantArchive::Save(map));
    EXPECT_EQ(back.at("signed").Which(), 4);
    EXPECT_EQ(back.at("unsigned").Which(), 5);
    EXPECT_EQ(back.at("int").Which(), 2);
    EXPECT_EQ(back.at("uint").Which(), 3);
    EXPECT_NE(back.at("int"), back.at("uint"));
}

TEST(VariantArchive, AStoredIndexOutsideTheAlternativesIsRefused)
{
    EXPECT_EQ(Loaded(WithIndex(2)), (Variant::Map{{"k", Variant(7)}}));
    for (const int index : {11, 12, -1, std::numeric_limits<int>::min()})
    {
        SCOPED_TRACE(index);
        Variant::Map map{{"kept", Variant()}};
        try
        {
            VariantArchive::Load(WithIndex(index), &map);
            ADD_FAILURE() << "loaded";
        }
        catch (const boost::archive::archive_exception& e)
        {
            EXPECT_EQ(e.code, boost::archive::archive_exception::unsupported_version);
        }
        EXPECT_EQ(map, (Variant::Map{{"kept", Variant()}}));
    }
}

TEST(VariantArchive, ABoolByteOtherThanZeroOrOneIsRefused)
{
    std::vector<std::uint8_t> bytes = VariantArchive::Save({{"b", Variant(true)}});
    ASSERT_EQ(bytes.back(), 1);
    bytes.back() = 4;
    Variant::Map map;
    EXPECT_THROW(VariantArchive::Load(bytes, &map), boost::archive::archive_exception);
    EXPECT_TRUE(map.empty());
}

TEST(VariantArchive, CountsLargerThanTheBytesLeftAndTruncationsAreRefused)
{
    const std::vector<std::uint8_t> good =
        VariantArchive::Save({{"list", Variant(Variant::List{Variant(1)})}, {"name", Variant("abc")}});
    // Every count-sized word of the archive set to a huge value must fail cleanly.
    for (std::size_t at = 0; at + 8 <= good.size(); ++at)
    {
        std::vector<std::uint8_t> bytes = good;
        std::fill_n(bytes.begin() + static_cast<std::ptrdiff_t>(at), 8, 0xFF);
        Variant::Map map;
        try
        {
            VariantArchive::Load(bytes, &map);
        }
        catch (const boost::archive::archive_exception&)
        {
        }
        catch (const std::exception& e)
        {
            ADD_FAILURE() << "at " << at << ": " << e.what();
        }
    }
    for (std::size_t size = 0; size < good.size(); ++size)
    {
        Variant::Map map;
        EXPECT_THROW(VariantArchive::Load(std::span<const std::uint8_t>(good).first(size), &map),
                     boost::archive::archive_exception)
            << size;
        EXPECT_TRUE(map.empty());
    }
}

TEST(VariantArchive, EveryChangedByteEitherLoadsOrIsRefused)
{
    const std::vector<std::uint8_t> good = VariantArchive::Save(EveryAlternative());
    for (std::size_t at = 0; at < good.size(); ++at)
    {
        for (const std::uint8_t value : {0x00, 0x01, 0x0B, 0x7F, 0x80, 0xFF})
        {
            std::vector<std::uint8_t> bytes = good;
            bytes[at] = value;
            Variant::Map map;
            try
            {
                VariantArchive::Load(bytes, &map);
            }
            catch (const boost::archive::archive_exception&)
            {
                EXPECT_TRUE(map.empty());
            }
            catch (const std::exception& e)
            {
                ADD_FAILURE() << "byte " << at << " = " << int(value) << ": " << e.what();
            }
        }
    }
}

}  // namespace
