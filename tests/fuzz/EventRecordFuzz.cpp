// Fuzz target for the 216-byte hardware event record as a stream hands it in: any bytes must
// read or be refused without a crash. A record that reads describes itself, writes back the
// record bytes it consumed, and what it writes reads back to the same record and text.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "hardware/BntMessage.h"
#include "tests/fuzz/FuzzRequire.h"

using bnt::utility::BntMessage;
using bnt::utility::BntMessageStream;
using fuzz::Require;

namespace {

class ByteStream : public BntMessageStream
{
public:
    ByteStream() = default;
    ByteStream(const std::uint8_t* data, std::size_t size) : m_bytes(data, data + size) {}

    bool Read(void* buffer, DWORD count) override
    {
        if (count > m_bytes.size() - m_readAt)
            return false;
        std::memcpy(buffer, m_bytes.data() + m_readAt, count);
        m_readAt += count;
        return true;
    }
    bool Write(const void* buffer, DWORD count) override
    {
        const auto* bytes = static_cast<const BYTE*>(buffer);
        m_bytes.insert(m_bytes.end(), bytes, bytes + count);
        return true;
    }

    std::vector<BYTE> m_bytes;
    std::size_t m_readAt = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    ByteStream in(data, size);
    BntMessage message;
    if (!message.Read(in))
        return 0;
    Require(in.m_readAt >= BntMessage::kRecordSize);
    Require(std::memcmp(message.Record().data(), data, BntMessage::kRecordSize) == 0);
    message.ToString();

    ByteStream out;
    Require(message.Write(out));
    Require(out.m_bytes.size() >= BntMessage::kRecordSize);
    Require(std::memcmp(out.m_bytes.data(), data, BntMessage::kRecordSize) == 0);
    BntMessage back;
    Require(back.Read(out));
    Require(out.m_readAt == out.m_bytes.size());
    Require(std::memcmp(back.Record().data(), message.Record().data(), BntMessage::kRecordSize) == 0);
    Require(back.GetText() == message.GetText());
    return 0;
}
