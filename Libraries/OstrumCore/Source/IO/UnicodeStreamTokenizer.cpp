#include "Libraries/OstrumCore/Source/IO/UnicodeStreamTokenizer.h"

namespace ostrum::io {

UnicodeStreamTokenizer::UnicodeStreamTokenizer(InputStream* in, int pushbackSize)
    : UnicodePushbackInputStream(in, pushbackSize), TokenizerCore(L" \t\n\r\f")
{
}

int UnicodeStreamTokenizer::readTokenChar()
{
    return readChar16();
}

void UnicodeStreamTokenizer::unreadTokenChar(wchar_t c)
{
    unreadChar16(static_cast<char16_t>(c));
}

}  // namespace ostrum::io
