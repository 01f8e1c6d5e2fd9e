// An output stream over a C runtime FILE handle that it always owns.
//
// There is no text translation on this platform: text and binary modes write the same bytes.
// Writing to a closed stream raises IOException. One thread.
#pragma once

#include "Libraries/OstrumCore/Source/IO/OutputStream.h"

#include <cstdio>
#include <string>

namespace ostrum::io {

class FileOutputStream : public OutputStream
{
public:
    // Opens for appending or replacing; FileOpenException (empty message) on failure.
    FileOutputStream(const std::string& path, bool text, bool append);
    FileOutputStream(const FileOutputStream&) = delete;
    FileOutputStream& operator=(const FileOutputStream&) = delete;
    ~FileOutputStream() override;

    bool isSeekable() override;
    void seek(int origin, int offset) override;
    int getPosition() override;
    // The count written; IOException for a negative offset or length or a closed stream.
    int write(const unsigned char* buffer, int offset, int length) override;
    int write(const unsigned char* buffer, int length) override;
    // 1 when written, else 0.
    int write(unsigned char byte) override;
    // Closes the handle; nothing when closed already.
    void close() override;
    // The result of fflush (0 on success).
    int flush() override;

private:
    std::FILE* handleOrThrow() const;

    std::FILE* m_file;
};

}  // namespace ostrum::io
