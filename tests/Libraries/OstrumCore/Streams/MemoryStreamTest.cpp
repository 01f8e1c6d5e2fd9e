#include "Libraries/OstrumCore/Source/IO/EndOfStreamException.h"
#include "Libraries/OstrumCore/Source/IO/IOException.h"
#include "Libraries/OstrumCore/Source/IO/MemoryInputStream.h"
#include "Libraries/OstrumCore/Source/IO/MemoryOutputStream.h"
#include "Libraries/OstrumCore/Source/Utils/IllegalArgumentException.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <vector>

namespace {

using ostrum::io::EndOfStreamException;
using ostrum::io::IOException;
using ostrum::io::MemoryInputStream;
using ostrum::io::MemoryOutputStream;

const unsigned char* textBytes(const std::string& text)
{
    return reinterpret_cast<const unsigned char*>(text.data());
}

std::string contents(MemoryOutputStream& out)
{
    return std::string(reinterpret_cast<const char*>(out.getBuffer(false)), static_cast<std::size_t>(out.getSize()));
}

// A stream that offers nothing of its own, to reach the defaults of the bases.
class BareInput : public ostrum::io::InputStream
{
};
class BareOutput : public ostrum::io::OutputStream
{
};

TEST(StreamBases, EveryDefaultRaisesIOExceptionWithEmptyMessage)
{
    BareInput in;
    BareOutput out;
    unsigned char buffer[4] = {};
    const std::vector<std::pair<const char*, std::function<void()>>> calls = {
        {"seek", [&] { in.seek(0, 0); }},
        {"getPosition", [&] { in.getPosition(); }},
        {"getLength", [&] { in.getLength(); }},
        {"read3", [&] { in.read(buffer, 0, 1); }},
        {"read2", [&] { in.read(buffer, 1); }},
        {"read1", [&] { in.read(); }},
        {"skip", [&] { in.skip(1); }},
        {"isEOF", [&] { in.isEOF(); }},
        {"closeIn", [&] { in.close(); }},
        {"write3", [&] { out.write(buffer, 0, 1); }},
        {"write2", [&] { out.write(buffer, 1); }},
        {"write1", [&] { out.write(static_cast<unsigned char>(1)); }},
        {"closeOut", [&] { out.close(); }},
        {"flush", [&] { out.flush(); }},
    };
    EXPECT_FALSE(in.isSeekable());
    for (const auto& [name, call] : calls)
    {
        SCOPED_TRACE(name);
        try
        {
            call();
            ADD_FAILURE() << "no exception";
        }
        catch (const IOException& e)
        {
            EXPECT_EQ(e.getMessage(), "");
        }
    }
}

TEST(MemoryOutputStream, GrowsToMultiplesOfTheStep)
{
    MemoryOutputStream single;
    for (int i = 0; i < 65; ++i)
    {
        single.write(static_cast<unsigned char>(i));
    }
    EXPECT_EQ(single.getCapacity(), 128);
    EXPECT_EQ(single.getSize(), 65);

    MemoryOutputStream block;
    const std::string data(200, 'x');
    EXPECT_EQ(block.write(textBytes(data), 200), 200);
    EXPECT_EQ(block.getCapacity(), 256);

    MemoryOutputStream exact;
    exact.write(textBytes(std::string(128, 'y')), 128);
    EXPECT_EQ(exact.getCapacity(), 128);

    // Growth at least doubles, so a long run of single bytes copies the buffer only a few
    // times (a fixed step of 64 would copy it 16383 times for one mebibyte).
    MemoryOutputStream run;
    int growths = 0;
    for (int i = 0, capacity = run.getCapacity(); i < (1 << 20); ++i)
    {
        run.write(static_cast<unsigned char>(i));
        growths += run.getCapacity() != capacity ? 1 : 0;
        capacity = run.getCapacity();
        ASSERT_EQ(capacity % MemoryOutputStream::kDefaultGrowBy, 0);
    }
    EXPECT_EQ(run.getCapacity(), 1 << 20);
    EXPECT_LE(growths, 14);
}

TEST(MemoryOutputStream, OverwritesThenAppendsAtThePosition)
{
    MemoryOutputStream out;
    out.write(textBytes("abcd"), 4);
    out.seek(0, 2);
    EXPECT_EQ(out.write(textBytes("VWXYZ"), 5), 5);
    EXPECT_EQ(out.getSize(), 7);
    EXPECT_EQ(out.getPosition(), 7);
    EXPECT_EQ(contents(out), "abVWXYZ");

    out.seek(1, -6);
    out.write(static_cast<unsigned char>('!'));
    EXPECT_EQ(contents(out), "a!VWXYZ");
    EXPECT_EQ(out.getSize(), 7);
}

TEST(MemoryOutputStream, LengthIsTheSizeAndKeepsThePosition)
{
    MemoryOutputStream out;
    out.write(textBytes("hello"), 5);
    out.seek(0, 2);
    EXPECT_EQ(out.getLength(), 5);
    EXPECT_EQ(out.getPosition(), 2);
}

TEST(MemoryOutputStream, SeekOutsideTheDataIsRefused)
{
    MemoryOutputStream out;
    out.write(textBytes("abcd"), 4);
    const std::vector<std::pair<int, int>> bad = {{0, 5}, {0, -1}, {1, 1}, {2, 1}, {2, -5}};
    for (const auto& [origin, offset] : bad)
    {
        SCOPED_TRACE(std::to_string(origin) + "/" + std::to_string(offset));
        EXPECT_THROW(out.seek(origin, offset), IOException);
        EXPECT_EQ(out.getPosition(), 4);
    }
    out.seek(2, -4);
    EXPECT_EQ(out.getPosition(), 0);
}

TEST(MemoryOutputStream, FixedSizeStopsAtCapacityKeepingWhatWasWritten)
{
    MemoryOutputStream out(8);
    for (int i = 0; i < 8; ++i)
    {
        out.write(static_cast<unsigned char>('0' + i));
    }
    EXPECT_THROW(out.write(static_cast<unsigned char>('8')), EndOfStreamException);
    EXPECT_EQ(contents(out), "01234567");

    MemoryOutputStream block(4);
    block.write(textBytes("ab"), 2);
    EXPECT_THROW(block.write(textBytes("cde"), 3), EndOfStreamException);
    EXPECT_EQ(contents(block), "ab");

    block.seek(0, 0);
    EXPECT_THROW(block.write(textBytes("WXYZ!"), 5), EndOfStreamException);
    EXPECT_EQ(contents(block), "WX");
}

TEST(MemoryOutputStream, HostileArgumentsAreRefused)
{
    EXPECT_THROW(MemoryOutputStream(0), ostrum::IllegalArgumentException);
    EXPECT_THROW(MemoryOutputStream(-5), ostrum::IllegalArgumentException);
    unsigned char block[4];
    EXPECT_THROW(MemoryOutputStream(nullptr, 4, false), ostrum::IllegalArgumentException);
    EXPECT_THROW(MemoryOutputStream(block, 0, false), ostrum::IllegalArgumentException);

    MemoryOutputStream out;
    out.write(textBytes("abc"), 3);
    EXPECT_THROW(out.write(textBytes("abc"), -1), IOException);
    EXPECT_THROW(out.write(textBytes("abc"), -1, 2), IOException);
    EXPECT_THROW(out.reserve(-1), IOException);
    EXPECT_EQ(out.write(nullptr, 0), 0);
    EXPECT_EQ(contents(out), "abc");

    // A block that would take the size past 32 bits fails without touching the buffer.
    MemoryOutputStream big;
    big.write(textBytes("x"), 1);
    EXPECT_THROW(big.write(textBytes("x"), std::numeric_limits<int>::max()), EndOfStreamException);
    EXPECT_EQ(big.getSize(), 1);
}

TEST(MemoryOutputStream, ReserveKeepsTheDataAndNeverShrinksBelowIt)
{
    MemoryOutputStream out;
    out.write(textBytes("abc"), 3);
    out.reserve(1000);
    EXPECT_EQ(out.getCapacity(), 1024);
    out.reserve(10);
    EXPECT_EQ(out.getCapacity(), 64);
    out.reserve(2);
    EXPECT_EQ(out.getCapacity(), 64);
    EXPECT_EQ(contents(out), "abc");

    MemoryOutputStream fixed(4);
    fixed.reserve(100);
    EXPECT_EQ(fixed.getCapacity(), 4);
}

TEST(MemoryOutputStream, CopyClearAndWriteTo)
{
    MemoryOutputStream out;
    out.write(textBytes("data"), 4);
    out.seek(0, 1);
    MemoryOutputStream copy(out);
    EXPECT_NE(copy.getBuffer(false), out.getBuffer(false));
    EXPECT_EQ(contents(copy), "data");
    EXPECT_EQ(copy.getPosition(), 1);

    MemoryOutputStream target;
    EXPECT_EQ(out.writeTo(target), 4);
    EXPECT_EQ(contents(target), "data");
    EXPECT_EQ(out.clear(), 0);
    EXPECT_EQ(out.getSize(), 0);
    EXPECT_EQ(out.writeTo(target), 0);
    EXPECT_EQ(target.getSize(), 4);

    std::unique_ptr<unsigned char[]> taken(copy.getBuffer(true));
    EXPECT_EQ(taken[0], 'd');
}

TEST(MemoryInputStream, ReadsSkipsAndEndsWithMinusOne)
{
    const std::string text = "abcdef";
    MemoryInputStream in(textBytes(text), 6);
    EXPECT_EQ(in.read(), 'a');
    EXPECT_EQ(in.skip(1), 0);
    unsigned char buffer[10] = {};
    EXPECT_EQ(in.read(buffer, 10), 4);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), 4), "cdef");
    EXPECT_EQ(in.read(buffer, 10), -1);
    EXPECT_EQ(in.read(), -1);
    EXPECT_EQ(in.skip(1), -1);
    EXPECT_EQ(in.isEOF(), 1);
    EXPECT_TRUE(in.reset());
    EXPECT_EQ(in.isEOF(), 0);
    EXPECT_EQ(in.skip(100), 0);
    EXPECT_EQ(in.isEOF(), 1);
}

TEST(MemoryInputStream, ReadWithOffsetFillsFromThatIndex)
{
    const std::string text = "xyz";
    MemoryInputStream in(textBytes(text), 3);
    unsigned char buffer[6] = {'-', '-', '-', '-', '-', '-'};
    EXPECT_EQ(in.read(buffer, 2, 3), 3);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), 6), "--xyz-");
    EXPECT_TRUE(in.reset());
    EXPECT_EQ(in.read(nullptr, 3), 0);
    EXPECT_EQ(in.getPosition(), 0);
}

TEST(MemoryInputStream, IsNotSeekableAndRefusesHostileArguments)
{
    const std::string text = "abc";
    MemoryInputStream in(textBytes(text), 3);
    unsigned char buffer[4];
    EXPECT_THROW(in.getLength(), IOException);
    EXPECT_THROW(in.seek(0, 0), IOException);
    EXPECT_THROW(in.read(buffer, -1), IOException);
    EXPECT_THROW(in.read(buffer, -1, 2), IOException);
    EXPECT_THROW(in.skip(-2), IOException);
    EXPECT_EQ(in.getPosition(), 0);
    EXPECT_FALSE(in.markSupported());
    EXPECT_THROW(MemoryInputStream(nullptr, 3), ostrum::IllegalArgumentException);
    EXPECT_THROW(MemoryInputStream(textBytes(text), -1), ostrum::IllegalArgumentException);
}

TEST(MemoryInputStream, ReadsWhatAnOutputStreamHoldsInPlace)
{
    MemoryOutputStream out;
    out.write(textBytes("written"), 7);
    MemoryInputStream in(out);
    unsigned char buffer[16];
    EXPECT_EQ(in.read(buffer, 16), 7);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), 7), "written");
    EXPECT_EQ(out.getSize(), 7);
    EXPECT_EQ(contents(out), "written");
}

}  // namespace
