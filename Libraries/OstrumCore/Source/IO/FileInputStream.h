// An input stream over a C runtime FILE handle.
//
// A stream opened from a path owns its handle and closes it when destroyed; a stream built
// over a caller's handle closes it only when told it owns it. There is no text translation on
// this platform: text and binary modes read the same bytes. One thread.
#pragma once

#include "Libraries/OstrumCore/Source/IO/InputStream.h"

#include <cstdint>
#include <cstdio>
#include <string>

namespace ostrum::io {

class FileInputStream : public InputStream
{
public:
    // Opens the file; FileNotFoundException (message: the path) when it cannot be read.
    FileInputStream(const std::string& path, bool text);
    // No handle.
    FileInputStream();
    // Wraps a handle; the stream closes it only when owns is set.
    FileInputStream(bool owns, std::FILE* file);
    FileInputStream(FileInputStream&& other) noexcept;
    FileInputStream(const FileInputStream&) = delete;
    FileInputStream& operator=(const FileInputStream&) = delete;
    FileInputStream& operator=(FileInputStream&&) = delete;
    ~FileInputStream() override;

    // Closes an owned handle first, then opens as the constructor does.
    void open(const std::string& path, bool text);

    bool isSeekable() override;
    // IOException when the stream is closed or the position cannot be reached.
    void seek(int origin, int offset) override;
    // IOException when the stream is closed or the position does not fit 32 bits.
    int getPosition() override;
    // The count read; 0 for a length of 0; -1 when nothing could be read. IOException for a
    // negative offset or length, or on a closed stream.
    int read(unsigned char* buffer, int offset, int length) override;
    int read(unsigned char* buffer, int length) override;
    int read() override;
    // 0 when the position moved by count, -1 otherwise.
    int skip(int count) override;
    // -1: a file stream does not know its end before a read meets it.
    int isEOF() override;
    void close() override;

    // The file's modification time in milliseconds since 1970; 0 when it cannot be read.
    int64_t getLastModified();

private:
    std::FILE* handleOrThrow() const;

    bool m_owns;
    std::FILE* m_file;
};

}  // namespace ostrum::io
