// The root of the library's byte streams: positioning only, no data.
//
// Counts and positions are 32-bit signed integers. The defaults of the virtual operations
// raise IOException with an empty message, so a stream offers exactly what it overrides.
// A stream object is used by one thread at a time.
#pragma once

namespace ostrum::io {

class Stream
{
public:
    // Seek origins.
    static constexpr int kFromStart = 0;
    static constexpr int kFromCurrent = 1;
    static constexpr int kFromEnd = 2;

    // False unless the stream can seek.
    virtual bool isSeekable();
    // Moves the position to offset from origin (kFromStart, kFromCurrent, anything else the
    // end). Default: IOException.
    virtual void seek(int origin, int offset);
    // The current position. Default: IOException.
    virtual int getPosition();

    // The length of a seekable stream, found by seeking to the end and back through the
    // object's own operations (so a filter that forwards them reports its wrapped stream's
    // length); the position is unchanged afterwards. IOException when the stream cannot seek.
    int getLength();

protected:
    Stream() = default;
    Stream(const Stream&) = default;
    Stream& operator=(const Stream&) = default;
    ~Stream() = default;
};

}  // namespace ostrum::io
