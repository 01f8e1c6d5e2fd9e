// Writes typed values to another output stream: fixed-width integers and floating-point
// numbers in a chosen byte order, 7-bit variable-length integers, NUL-terminated strings,
// text lines (ended by CR LF) and length-prefixed strings.
//
// The wrapped stream is borrowed: it must outlive this filter, which never closes it. Byte
// order 1 is the machine's own; any other value (callers pass 0) is big-endian on the wire.
// Each write returns the byte count the wrapped stream reports. One thread.
#pragma once

#include "Libraries/OstrumCore/Source/IO/OutputStream.h"

#include <cstdint>
#include <string>

namespace ostrum::io {

class DataOutputStream : public OutputStream
{
public:
    DataOutputStream(OutputStream* out, int byteOrder);
    DataOutputStream(const DataOutputStream&) = delete;
    DataOutputStream& operator=(const DataOutputStream&) = delete;
    ~DataOutputStream() override = default;

    // Forwarded unchanged to the wrapped stream.
    bool isSeekable() override;
    void seek(int origin, int offset) override;
    int getPosition() override;
    int write(const unsigned char* buffer, int offset, int length) override;
    int write(const unsigned char* buffer, int length) override;
    int write(unsigned char byte) override;
    void close() override;
    int flush() override;

    virtual int writeBoolean(bool value);
    virtual int writeByte(int8_t value);
    virtual int writeUnsignedByte(uint8_t value);
    virtual int writeFloat(float value);
    virtual int writeDouble(double value);
    // The characters, then CR LF.
    virtual int writeLine(const std::string& text);
    virtual int writeLine(const char* text);
    virtual int writeInt32(int32_t value);
    virtual int writeInt16(int16_t value);
    virtual int writeUInt16(uint16_t value);
    virtual int writeUInt32(uint32_t value);
    virtual int writeInt64(int64_t value);
    virtual int writeUInt64(uint64_t value);
    // Variable-length integers, one byte write per 7-bit group; each returns the byte count.
    virtual int writeVarUInt16(uint16_t value);
    virtual int writeVarInt16(int16_t value);
    virtual int writeVarUInt32(uint32_t value);
    virtual int writeVarInt32(int32_t value);
    virtual int writeVarUInt64(uint64_t value);
    virtual int writeVarInt64(int64_t value);
    // The characters and the terminating NUL; a null pointer writes one NUL.
    virtual int writeCString(const char* text);
    virtual int writeCString(const std::string& text);
    // The characters without terminator; a null pointer writes nothing and returns 0.
    virtual int writeChars(const char* text);
    // The 16-bit-length form; IOException (nothing written) when the encoded size passes
    // 65535.
    virtual int writeUTF(const std::string& text);
    // A variable-length byte count, then the bytes.
    virtual int writeString(const std::string& text);
    // A variable-length byte count (two per character), then UTF-16 code units in the
    // machine's order.
    virtual int writeWString(const std::wstring& text);

private:
    template <typename T>
    int writeFixed(T value);
    template <typename T>
    int writeVarUnsigned(T value);
    template <typename T>
    int writeVarSigned(T value);
    int writeBytes(const void* data, std::size_t length);

    OutputStream* m_out;
    bool m_swap;  // the wire order differs from the machine's
};

}  // namespace ostrum::io
