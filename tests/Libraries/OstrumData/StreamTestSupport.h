// Small helpers shared by the utility-library data tests: bytes in and out of memory streams.
#pragma once

#include "Libraries/OstrumCore/Source/IO/MemoryInputStream.h"
#include "Libraries/OstrumCore/Source/IO/MemoryOutputStream.h"

#include <string>
#include <vector>

namespace ostrum_test {

inline std::vector<unsigned char> BytesOf(ostrum::io::MemoryOutputStream& out)
{
    const unsigned char* data = out.getBuffer(false);
    return std::vector<unsigned char>(data, data + out.getSize());
}

inline std::string TextOf(ostrum::io::MemoryOutputStream& out)
{
    const unsigned char* data = out.getBuffer(false);
    return std::string(reinterpret_cast<const char*>(data), static_cast<std::size_t>(out.getSize()));
}

// An input stream over a copy of the given bytes.
class BytesInput
{
public:
    explicit BytesInput(std::vector<unsigned char> bytes)
        : m_bytes(std::move(bytes)),
          m_stream(m_bytes.empty() ? &kNoByte : m_bytes.data(), static_cast<int>(m_bytes.size()))
    {
    }
    explicit BytesInput(const std::string& text) : BytesInput(std::vector<unsigned char>(text.begin(), text.end())) {}
    ostrum::io::MemoryInputStream& Stream() { return m_stream; }

private:
    static constexpr unsigned char kNoByte = 0;
    std::vector<unsigned char> m_bytes;
    ostrum::io::MemoryInputStream m_stream;
};

}  // namespace ostrum_test
