#include "Libraries/OstrumCore/Source/IO/StreamTokenizer.h"

#include "Libraries/OstrumCore/Source/IO/TokenScanner.h"

namespace ostrum::io {

namespace {

constexpr const char* kDefaultDelimiters = " \t\n\r\f";
constexpr std::size_t kInitialTokenCapacity = 1024;

}  // namespace

StreamTokenizer::StreamTokenizer(InputStream* in, int pushbackSize)
    : PushbackInputStream(in, pushbackSize), m_delimiters(kDefaultDelimiters)
{
    m_token.reserve(kInitialTokenCapacity);
}

void StreamTokenizer::addStopString(const char* stop)
{
    if (stop != nullptr && *stop != '\0') {
        m_stopStrings.emplace_back(stop);
    }
}

void StreamTokenizer::addStopStrings(const std::vector<const char*>& stops)
{
    for (const char* stop : stops) {
        addStopString(stop);
    }
}

void StreamTokenizer::addStopChars(const char* chars)
{
    for (const char* c = chars; c != nullptr && *c != '\0'; ++c) {
        m_stopStrings.emplace_back(1, *c);
    }
}

bool StreamTokenizer::isDelimiter(char c) const
{
    return m_delimiters.find(c) != std::string::npos;
}

bool StreamTokenizer::scan()
{
    m_tokenPending = ScanToken<char>(
        m_token, m_delimiters, m_stopStrings, quoteMode, m_endReached, [this] { return read(); },
        [this](char c) { unread(static_cast<unsigned char>(c)); });
    return m_tokenPending;
}

bool StreamTokenizer::hasMoreTokens()
{
    if (m_tokenPending) {
        return true;
    }
    if (m_endReached) {
        return false;
    }
    return scan();
}

const char* StreamTokenizer::nextToken()
{
    if (!hasMoreTokens()) {
        return nullptr;
    }
    m_tokenPending = false;
    return m_token.c_str();
}

}  // namespace ostrum::io
