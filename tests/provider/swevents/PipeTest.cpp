// The in-process pipe and the software event packet: block order, sizes, waits, what a read
// too small for its block does, and concurrent senders whose packets must stay whole.
#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <latch>
#include <chrono>
#include <cstring>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "provider/CLocalNamedPipe.h"
#include "provider/SoftwareEventPacket.h"

namespace {

std::vector<BYTE> Bytes(const std::string& text)
{
    return std::vector<BYTE>(text.begin(), text.end());
}

LONG WriteText(CLocalNamedPipe& pipe, const std::string& text)
{
    return pipe.Write(text.data(), static_cast<LONG>(text.size()));
}

TEST(LocalNamedPipe, BlocksComeBackInOrderWithTheirSizes)
{
    CLocalNamedPipe pipe;
    EXPECT_EQ(WriteText(pipe, "header"), 6);
    EXPECT_EQ(WriteText(pipe, "the text"), 8);
    EXPECT_EQ(pipe.GetCount(), 2);
    std::array<char, 32> buffer{};
    EXPECT_EQ(pipe.Peek(buffer.data(), 6), 6);
    EXPECT_EQ(pipe.Peek(buffer.data(), 6), 6);
    EXPECT_EQ(pipe.Read(buffer.data(), 6), 6);
    EXPECT_EQ(std::string(buffer.data(), 6), "header");
    EXPECT_EQ(pipe.Read(buffer.data(), 32), 8);
    EXPECT_EQ(std::string(buffer.data(), 8), "the text");
    EXPECT_EQ(pipe.GetCount(), 0);
}

TEST(LocalNamedPipe, AReadTooSmallForItsBlockConsumesIt)
{
    CLocalNamedPipe pipe;
    WriteText(pipe, "twenty bytes block..");
    WriteText(pipe, "next");
    std::array<char, 8> buffer{};
    EXPECT_EQ(pipe.Read(buffer.data(), 8), 0);
    EXPECT_EQ(pipe.GetCount(), 1);
    EXPECT_EQ(pipe.Read(buffer.data(), 8), 4);
    EXPECT_EQ(std::string(buffer.data(), 4), "next");
}

TEST(LocalNamedPipe, EmptyBlocksAndSkipsReadAsNothing)
{
    CLocalNamedPipe pipe;
    std::array<char, 8> buffer{};
    EXPECT_EQ(pipe.Write(nullptr, 5), 5);
    EXPECT_EQ(pipe.Write("abc", 0), 0);
    WriteText(pipe, "skipped");
    WriteText(pipe, "bytes");
    EXPECT_EQ(pipe.Read(buffer.data(), 8), 0);
    EXPECT_EQ(pipe.Read(buffer.data(), 8), 0);
    EXPECT_EQ(pipe.Skip(), TRUE);
    std::vector<BYTE> bytes;
    EXPECT_EQ(pipe.ReadBytes(bytes), TRUE);
    EXPECT_EQ(bytes, Bytes("bytes"));
    EXPECT_EQ(pipe.GetCount(), 0);
}

TEST(LocalNamedPipe, AFiniteWaitEndsOnAnEmptyPipeAndAWriterWakesAnEndlessOne)
{
    CLocalNamedPipe pipe;
    pipe.SetReadTimeout(20);
    std::array<char, 8> buffer{};
    EXPECT_EQ(pipe.Read(buffer.data(), 8), 0);
    std::vector<BYTE> bytes{1};
    EXPECT_EQ(pipe.ReadBytes(bytes), FALSE);
    EXPECT_EQ(bytes, std::vector<BYTE>{1});

    // An endless reader is woken by a write, and by Close, which then answers nothing. The
    // reader announces itself just before it reads; whether the write or close lands before or
    // during its wait, the answer is the same.
    pipe.SetReadTimeout(CLocalNamedPipe::kWaitForever);
    for (const bool close : {false, true})
    {
        std::latch reading(1);
        std::atomic<LONG> read{-1};
        std::thread reader([&] {
            reading.count_down();
            read = pipe.Read(buffer.data(), 8);
        });
        reading.wait();
        if (close)
        {
            pipe.Close();
        }
        else
        {
            WriteText(pipe, "late");
        }
        reader.join();
        EXPECT_EQ(read.load(), close ? 0 : 4);
    }
}

TEST(SoftwareEventPacket, TheHeaderIsTwentyLittleEndianBytes)
{
    const std::u16string text = u"<ROOT/>";
    const auto packet = SoftwareEventPacket::Make(0x01020304, 2, 3, -2, text);
    ASSERT_TRUE(packet.has_value());
    EXPECT_EQ(packet->TextLength, 14u);
    EXPECT_EQ(packet->TotalSize, 34u);
    const std::array<BYTE, 20> expected = {34, 0, 0, 0, 4, 3, 2, 1, 2, 0, 3, 0, 0xFE, 0xFF, 0xFF, 0xFF, 14, 0, 0, 0};
    EXPECT_EQ(packet->EncodeHeader(), expected);
    const auto decoded = SoftwareEventPacket::DecodeHeader(expected);
    ASSERT_TRUE(decoded.has_value());
    EXPECT_EQ(decoded->EventId, 0x01020304);
    EXPECT_EQ(decoded->EventType, 2);
    EXPECT_EQ(decoded->TransactionType, 3);
    EXPECT_EQ(decoded->Flags, -2);
    EXPECT_TRUE(decoded->Text.empty());

    const auto empty = SoftwareEventPacket::Make(1, 4, 1, 0, u"");
    EXPECT_EQ(empty->TotalSize, 20u);
    EXPECT_EQ(empty->TextLength, 0u);
}

TEST(SoftwareEventPacket, HeadersWhoseSizesDisagreeAreRefused)
{
    struct Case
    {
        const char* rule;
        DWORD totalSize;
        DWORD textLength;
        LONG eventId;
        bool accepted;
    };
    const Case cases[] = {
        {"stop packet", 0, 0, 0, true},
        {"zero total with other fields", 0, 0, 7, false},
        {"zero total with text", 0, 4, 0, false},
        {"text only", 24, 4, 1, true},
        {"total too small", 20, 4, 1, false},
        {"total too large", 40, 4, 1, false},
        {"odd text", 23, 3, 1, false},
        {"text over the limit", 20 + SoftwareEventPacket::kMaxTextLength + 2, SoftwareEventPacket::kMaxTextLength + 2,
         1, false},
        {"wrapping sum", 18, 0xFFFFFFFEu, 1, false},
    };
    for (const Case& c : cases)
    {
        std::array<BYTE, 20> bytes{};
        std::memcpy(bytes.data(), &c.totalSize, 4);
        std::memcpy(bytes.data() + 4, &c.eventId, 4);
        std::memcpy(bytes.data() + 16, &c.textLength, 4);
        EXPECT_EQ(SoftwareEventPacket::DecodeHeader(bytes).has_value(), c.accepted) << c.rule;
    }
    const std::array<BYTE, 19> shortHeader{};
    EXPECT_FALSE(SoftwareEventPacket::DecodeHeader(shortHeader).has_value());
    const std::u16string tooLong(SoftwareEventPacket::kMaxTextLength / 2 + 1, u'x');
    EXPECT_FALSE(SoftwareEventPacket::Make(1, 2, 1, 0, tooLong).has_value());
}

TEST(LocalNamedPipe, EightSendersByAThousandPacketsReadBackWholeAndPaired)
{
    constexpr int kSenders = 8;
    constexpr int kPackets = 1000;
    CLocalNamedPipe pipe;
    std::vector<std::thread> senders;
    for (int sender = 0; sender < kSenders; ++sender)
    {
        senders.emplace_back([&pipe, sender] {
            for (int i = 0; i < kPackets; ++i)
            {
                // Texts of different lengths, so a header paired with the wrong text shows.
                const std::u16string text(static_cast<std::size_t>(1 + (sender * 7 + i) % 40),
                                          static_cast<char16_t>(u'A' + sender));
                const auto packet = SoftwareEventPacket::Make(sender * kPackets + i, 2, 1, 0, text);
                const auto header = packet->EncodeHeader();
                ASSERT_EQ(pipe.WriteUnit(header.data(), 20, text.data(), static_cast<LONG>(packet->TextLength)),
                          static_cast<LONG>(packet->TotalSize));
            }
        });
    }
    std::map<int, int> nextOfSender;
    std::array<char16_t, 64> text{};
    for (int read = 0; read < kSenders * kPackets; ++read)
    {
        std::array<BYTE, 20> header{};
        ASSERT_EQ(pipe.Read(header.data(), 20), 20);
        const auto packet = SoftwareEventPacket::DecodeHeader(header);
        ASSERT_TRUE(packet.has_value());
        ASSERT_EQ(pipe.Read(text.data(), static_cast<LONG>(packet->TextLength)), static_cast<LONG>(packet->TextLength));
        const int sender = packet->EventId / kPackets;
        const int index = packet->EventId % kPackets;
        // Each sender's packets arrive in its order, and each text is its own.
        ASSERT_EQ(index, nextOfSender[sender]++);
        ASSERT_EQ(packet->TextLength / 2, static_cast<DWORD>(1 + (sender * 7 + index) % 40));
        for (DWORD i = 0; i < packet->TextLength / 2; ++i)
            ASSERT_EQ(text[i], static_cast<char16_t>(u'A' + sender));
    }
    for (std::thread& sender : senders)
        sender.join();
    EXPECT_EQ(pipe.GetCount(), 0);
}

}  // namespace
