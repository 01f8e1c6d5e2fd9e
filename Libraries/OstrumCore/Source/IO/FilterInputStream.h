// An input stream that forwards every operation to another stream; the base of the pushback
// streams and tokenizers.
//
// The wrapped stream is borrowed: it must outlive the filter, which never closes it by itself
// (close is forwarded). One thread.
#pragma once

#include "Libraries/OstrumCore/Source/IO/InputStream.h"

namespace ostrum::io {

class FilterInputStream : public InputStream
{
public:
    explicit FilterInputStream(InputStream* in);
    FilterInputStream(const FilterInputStream&) = delete;
    FilterInputStream& operator=(const FilterInputStream&) = delete;
    ~FilterInputStream() override = default;

    bool isSeekable() override;
    void seek(int origin, int offset) override;
    int getPosition() override;
    int read(unsigned char* buffer, int offset, int length) override;
    int read(unsigned char* buffer, int length) override;
    int read() override;
    int skip(int count) override;
    int isEOF() override;
    void close() override;

protected:
    InputStream* m_in;
};

}  // namespace ostrum::io
