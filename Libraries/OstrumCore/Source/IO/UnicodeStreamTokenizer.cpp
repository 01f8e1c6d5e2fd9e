#include "Libraries/OstrumCore/Source/IO/UnicodeStreamTokenizer.h"

#include "Libraries/OstrumCore/Source/IO/TokenScanner.h"

namespace ostrum::io {

namespace {

constexpr const wchar_t* kDefaultDelimiters = L" \t\n\r\f";
constexpr std::size_t kInitialTokenCapacity = 1024;

}  // namespace

UnicodeStreamTokenizer::UnicodeStreamTokenizer(InputStream* in, int pushbackSize)
    : UnicodePushbackInputStream(in, pushbackSize), m_delimiters(kDefaultDelimiters)
{
    m_token.reserve(kInitialTokenCapacity);
}

void UnicodeStreamTokenizer::addStopString(const wchar_t* stop)
{
    if (stop != nullptr && *stop != L'\0') {
        m_stopStrings.emplace_back(stop);
    }
}

void UnicodeStreamTokenizer::addStopStrings(const std::vector<const wchar_t*>& stops)
{
    for (const wchar_t* stop : stops) {
        addStopString(stop);
    }
}

void UnicodeStreamTokenizer::addStopChars(const wchar_t* chars)
{
    for (const wchar_t* c = chars; c != nullptr && *c != L'\0'; ++c) {
        m_stopStrings.emplace_back(1, *c);
    }
}

bool UnicodeStreamTokenizer::isDelimiter(wchar_t c) const
{
    return m_delimiters.find(c) != std::wstring::npos;
}

bool UnicodeStreamTokenizer::scan()
{
    m_tokenPending = ScanToken<wchar_t>(
        m_token, m_delimiters, m_stopStrings, quoteMode, m_endReached, [this] { return readChar16(); },
        [this](wchar_t c) { unreadChar16(static_cast<char16_t>(c)); });
    return m_tokenPending;
}

bool UnicodeStreamTokenizer::hasMoreTokens()
{
    if (m_tokenPending) {
        return true;
    }
    if (m_endReached) {
        return false;
    }
    return scan();
}

const wchar_t* UnicodeStreamTokenizer::nextToken()
{
    if (!hasMoreTokens()) {
        return nullptr;
    }
    m_tokenPending = false;
    return m_token.c_str();
}

}  // namespace ostrum::io
