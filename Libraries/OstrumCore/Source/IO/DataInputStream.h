// Reads typed values from another input stream (the stream operations are forwarded to it): fixed-width integers and
// floating-point numbers in a chosen byte order, 7-bit variable-length integers, NUL-terminated strings, text lines and
// length-prefixed strings.
//
// The wrapped stream is borrowed: it must outlive this filter, which never closes it. Byte
// order 1 is the machine's own; any other value (callers pass 0) is big-endian on the wire.
// Running out of data in the middle of a value raises EndOfStreamException. One thread.
#pragma once

#include "Libraries/OstrumCore/Source/IO/FilterInputStream.h"

#include <cstdint>
#include <string>

namespace ostrum::io {

class DataInputStream : public FilterInputStream
{
public:
    DataInputStream(InputStream* in, int byteOrder);
    DataInputStream(const DataInputStream&) = delete;
    DataInputStream& operator=(const DataInputStream&) = delete;
    ~DataInputStream() override = default;

    virtual bool readBoolean();
    virtual uint8_t readUnsignedByte();
    virtual int8_t readByte();
    virtual float readFloat();
    virtual double readDouble();
    // Reads one line into buf (max bytes including the NUL; buf may be null to drop it). CR
    // LF, LF, or CR followed by 0xFF end a line; a CR followed by anything else raises
    // IOException. A longer line is cut and its rest dropped (counted). The bytes taken
    // without terminators, or -1 when the stream had already ended.
    virtual int readLine(char* buf, int max);
    virtual int64_t readInt64();
    virtual int32_t readInt32();
    virtual int16_t readInt16();
    virtual uint64_t readUInt64();
    virtual uint32_t readUInt32();
    virtual uint16_t readUInt16();
    // Variable-length integers; each returns the bytes consumed.
    virtual int readVarUInt16(uint16_t* value);
    virtual int readVarInt16(int16_t* value);
    virtual int readVarUInt32(uint32_t* value);
    virtual int readVarInt32(int32_t* value);
    virtual int readVarUInt64(uint64_t* value);
    virtual int readVarInt64(int64_t* value);
    // A NUL-terminated string of at most max - 1 characters into a new[] array that the
    // caller owns (null when nothing was read); returns its length + 1.
    virtual int readCString(char** out, int max);
    // A NUL-terminated string into buf (max bytes including the NUL); a longer string is cut
    // and its rest dropped (counted). The bytes taken without the NUL, -1 at the end.
    virtual int readCString(char* buf, int max);
    // The 16-bit-length form with two-byte characters from 0x80; IOException on a bad pair.
    virtual int readUTF(std::string& out, uint16_t maxChars);
    // A variable-length byte count, then up to max bytes; bytes beyond max are skipped.
    virtual int readString(std::string& out, uint16_t max);
    // The same with UTF-16 code units in the machine's order.
    virtual int readWString(std::wstring& out, uint16_t max);

private:
    // Reads exactly length bytes or raises EndOfStreamException.
    void readFully(unsigned char* buffer, int length);
    // Drops count bytes from the wrapped stream (EndOfStreamException when they are missing).
    void skipFully(uint32_t count);
    template <typename T>
    T readFixed();
    template <typename T>
    int readVarUnsigned(T* value);
    template <typename T>
    int readVarSigned(T* value);
    // The shared walk of readLine and readCString: stops at a terminator the rule accepts.
    int readTerminated(char* buf, int max, bool line);

    bool m_swap;  // the wire order differs from the machine's
};

}  // namespace ostrum::io
