// The data streams: byte orders, variable-length integers, lines, C strings and the two
// length-prefixed string forms.
#include "Libraries/OstrumCore/Source/IO/ByteOrder.h"
#include "Libraries/OstrumCore/Source/IO/DataInputStream.h"
#include "Libraries/OstrumCore/Source/IO/DataOutputStream.h"
#include "Libraries/OstrumCore/Source/IO/EndOfStreamException.h"
#include "StreamTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>

using ostrum::io::DataInputStream;
using ostrum::io::DataOutputStream;
using ostrum::io::MemoryOutputStream;
using Bytes = std::vector<unsigned char>;

namespace {

template <typename Write>
Bytes Emit(int byteOrder, Write write)
{
    MemoryOutputStream sink;
    DataOutputStream out(&sink, byteOrder);
    write(out);
    return ostrum_test::BytesOf(sink);
}

struct VarCase
{
    int64_t value;
    Bytes bytes;
};

class VarInt32Table : public testing::TestWithParam<VarCase>
{
};

TEST_P(VarInt32Table, SignedFormRoundTrips)
{
    const VarCase& c = GetParam();
    EXPECT_EQ(Emit(0, [&](DataOutputStream& out) { out.writeVarInt32(static_cast<int32_t>(c.value)); }), c.bytes);
    ostrum_test::BytesInput input(c.bytes);
    DataInputStream in(&input.Stream(), 0);
    int32_t back = 0;
    EXPECT_EQ(in.readVarInt32(&back), static_cast<int>(c.bytes.size()));
    EXPECT_EQ(back, c.value);
}

INSTANTIATE_TEST_SUITE_P(DataStream, VarInt32Table,
                         testing::Values(VarCase{-1, {0x41}}, VarCase{100, {0xA4, 0x01}}, VarCase{-100, {0xE4, 0x01}},
                                         VarCase{-64, {0xC0, 0x01}}, VarCase{63, {0x3F}}, VarCase{0, {0x00}},
                                         VarCase{std::numeric_limits<int32_t>::min(), {0xC0, 0x80, 0x80, 0x80, 0x10}}));

TEST(DataStream, UnsignedVarIntsAtTheirWidths)
{
    EXPECT_EQ(Emit(0, [](DataOutputStream& out) { out.writeVarUInt32(0); }), Bytes({0x00}));
    EXPECT_EQ(Emit(0, [](DataOutputStream& out) { out.writeVarUInt32(300); }), Bytes({0xAC, 0x02}));
    const Bytes max32 = Emit(0, [](DataOutputStream& out) { out.writeVarUInt32(0xFFFFFFFF); });
    EXPECT_EQ(max32, Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0x0F}));
    const Bytes max16 = Emit(0, [](DataOutputStream& out) { out.writeVarUInt16(65535); });
    EXPECT_EQ(max16, Bytes({0xFF, 0xFF, 0x03}));

    ostrum_test::BytesInput in32(max32);
    DataInputStream data32(&in32.Stream(), 0);
    uint32_t v32 = 0;
    EXPECT_EQ(data32.readVarUInt32(&v32), 5);
    EXPECT_EQ(v32, 0xFFFFFFFFu);
    ostrum_test::BytesInput in16(max16);
    DataInputStream data16(&in16.Stream(), 0);
    uint16_t v16 = 0;
    EXPECT_EQ(data16.readVarUInt16(&v16), 3);
    EXPECT_EQ(v16, 65535);

    const Bytes max64 = Emit(0, [](DataOutputStream& out) { out.writeVarUInt64(UINT64_MAX); });
    EXPECT_EQ(max64.size(), 10u);
    ostrum_test::BytesInput in64(max64);
    DataInputStream data64(&in64.Stream(), 0);
    uint64_t v64 = 0;
    EXPECT_EQ(data64.readVarUInt64(&v64), 10);
    EXPECT_EQ(v64, UINT64_MAX);
}

TEST(DataStream, SignedVarInt64ExtremesRoundTrip)
{
    for (const int64_t value :
         {-(int64_t{1} << 40), std::numeric_limits<int64_t>::min(), std::numeric_limits<int64_t>::max()})
    {
        const Bytes bytes = Emit(0, [&](DataOutputStream& out) { out.writeVarInt64(value); });
        ostrum_test::BytesInput input(bytes);
        DataInputStream in(&input.Stream(), 0);
        int64_t back = 0;
        in.readVarInt64(&back);
        EXPECT_EQ(back, value);
    }
}

TEST(DataStream, FixedWidthsInBothByteOrders)
{
    EXPECT_EQ(Emit(0, [](DataOutputStream& out) { out.writeInt32(0x01020304); }), Bytes({1, 2, 3, 4}));
    EXPECT_EQ(Emit(1, [](DataOutputStream& out) { out.writeInt32(0x01020304); }), Bytes({4, 3, 2, 1}));
    EXPECT_EQ(Emit(0, [](DataOutputStream& out) { out.writeDouble(1.0); }), Bytes({0x3F, 0xF0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(Emit(0, [](DataOutputStream& out) { out.writeUInt16(0xABCD); }), Bytes({0xAB, 0xCD}));

    const Bytes all = Emit(0, [](DataOutputStream& out) {
        out.writeInt64(-2);
        out.writeUInt32(0xDEADBEEF);
        out.writeInt16(-300);
        out.writeFloat(1.5f);
        out.writeBoolean(true);
        out.writeByte(-7);
    });
    ostrum_test::BytesInput input(all);
    DataInputStream in(&input.Stream(), 0);
    EXPECT_EQ(in.readInt64(), -2);
    EXPECT_EQ(in.readUInt32(), 0xDEADBEEFu);
    EXPECT_EQ(in.readInt16(), -300);
    EXPECT_FLOAT_EQ(in.readFloat(), 1.5f);
    EXPECT_TRUE(in.readBoolean());
    EXPECT_EQ(in.readByte(), -7);
    EXPECT_THROW(in.readUnsignedByte(), ostrum::io::EndOfStreamException);
}

TEST(ByteOrder, RotationsAndReversals)
{
    EXPECT_EQ(ostrum::io::rotateLeft16(0x8001, 1), 0x0003);
    EXPECT_EQ(ostrum::io::rotateLeft32(0x80000001u, 4), 0x00000018u);
    EXPECT_EQ(ostrum::io::rotateRight32(0x00000018u, 4), 0x80000001u);
    EXPECT_EQ(ostrum::io::swapBytes16(0x1234), 0x3412);
    EXPECT_EQ(ostrum::io::swapBytes32(0x12345678u), 0x78563412u);
    EXPECT_EQ(ostrum::io::swapBytes64(0x0102030405060708ull), 0x0807060504030201ull);
    EXPECT_FALSE(ostrum::io::needsSwap(ostrum::io::kMachineByteOrder));
    EXPECT_TRUE(ostrum::io::needsSwap(ostrum::io::kBigEndianByteOrder));
}

TEST(DataStream, ShortFixedValueRaisesEndOfStream)
{
    ostrum_test::BytesInput input(Bytes({1, 2, 3}));
    DataInputStream in(&input.Stream(), 0);
    EXPECT_THROW(in.readInt32(), ostrum::io::EndOfStreamException);
}

TEST(DataStream, LinesEndAtLfOrCrLfAndLongLinesAreCut)
{
    ostrum_test::BytesInput input(std::string("ab\r\ncd"));
    DataInputStream in(&input.Stream(), 0);
    char buf[16];
    EXPECT_EQ(in.readLine(buf, sizeof buf), 2);
    EXPECT_STREQ(buf, "ab");
    EXPECT_EQ(in.readLine(buf, sizeof buf), 2);
    EXPECT_STREQ(buf, "cd");
    EXPECT_EQ(in.readLine(buf, sizeof buf), -1);

    ostrum_test::BytesInput bare(std::string("ab\rcd"));
    DataInputStream badCr(&bare.Stream(), 0);
    EXPECT_THROW(badCr.readLine(buf, sizeof buf), ostrum::io::IOException);

    ostrum_test::BytesInput longLine(std::string("abcdef\nxy\n"));
    DataInputStream cut(&longLine.Stream(), 0);
    char small[4];
    EXPECT_EQ(cut.readLine(small, sizeof small), 6);
    EXPECT_STREQ(small, "abc");
    EXPECT_EQ(cut.readLine(small, sizeof small), 2);
    EXPECT_STREQ(small, "xy");
}

TEST(DataStream, CStringsIntoBuffersAndNewArrays)
{
    const Bytes bytes = Emit(0, [](DataOutputStream& out) {
        out.writeCString(std::string("hello"));
        out.writeCString(static_cast<const char*>(nullptr));
        out.writeChars("xyz");
        out.writeChars(nullptr);
        out.writeUnsignedByte(0);
        out.writeChars("tail");
    });
    EXPECT_EQ(bytes.size(), 6u + 1u + 3u + 1u + 4u);
    ostrum_test::BytesInput input(bytes);
    DataInputStream in(&input.Stream(), 0);
    char* text = nullptr;
    EXPECT_EQ(in.readCString(&text, 100), 6);
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text, "hello");
    delete[] text;
    EXPECT_EQ(in.readCString(&text, 100), 1);
    EXPECT_EQ(text, nullptr);
    char buf[3];
    EXPECT_EQ(in.readCString(buf, sizeof buf), 3);
    EXPECT_STREQ(buf, "xy");
    EXPECT_THROW(in.readCString(buf, sizeof buf), ostrum::io::EndOfStreamException);
}

TEST(DataStream, UtfFormBoundariesAndBadPairs)
{
    EXPECT_EQ(Emit(0, [](DataOutputStream& out) { out.writeUTF(std::string(1, '\xE9')); }), Bytes({0, 2, 0xC3, 0xA9}));
    ostrum_test::BytesInput input(Bytes({0, 2, 0xC3, 0xA9}));
    DataInputStream in(&input.Stream(), 0);
    std::string back;
    EXPECT_EQ(in.readUTF(back, 100), 4);
    EXPECT_EQ(back, std::string(1, '\xE9'));

    MemoryOutputStream sink;
    DataOutputStream out(&sink, 0);
    EXPECT_THROW(out.writeUTF(std::string(65536, 'a')), ostrum::io::IOException);
    EXPECT_EQ(sink.getSize(), 0);
    EXPECT_NO_THROW(out.writeUTF(std::string(65535, 'a')));

    for (const Bytes& bad : {Bytes({0, 2, 0x85, 0x80}), Bytes({0, 2, 0xC3, 0x41}), Bytes({0, 2, 0xC5, 0x80})})
    {
        ostrum_test::BytesInput badInput(bad);
        DataInputStream badIn(&badInput.Stream(), 0);
        EXPECT_THROW(badIn.readUTF(back, 100), ostrum::io::IOException);
    }
}

TEST(DataStream, LengthPrefixedStringsSkipWhatExceedsTheLimit)
{
    const Bytes bytes = Emit(0, [](DataOutputStream& out) {
        out.writeString("abcdef");
        out.writeInt16(0x1234);
        out.writeWString(L"h\u00e9\U0001F600");
    });
    ostrum_test::BytesInput input(bytes);
    DataInputStream in(&input.Stream(), 0);
    std::string text;
    EXPECT_EQ(in.readString(text, 3), 1 + 3);
    EXPECT_EQ(text, "abc");
    EXPECT_EQ(in.readInt16(), 0x1234);
    std::wstring wide;
    in.readWString(wide, 100);
    EXPECT_EQ(wide, L"h\u00e9\U0001F600");
}

TEST(DataStream, TruncatedStringRaisesEndOfStream)
{
    ostrum_test::BytesInput input(Bytes({5, 'a', 'b'}));
    DataInputStream in(&input.Stream(), 0);
    std::string text;
    EXPECT_THROW(in.readString(text, 100), ostrum::io::EndOfStreamException);
}

}  // namespace
