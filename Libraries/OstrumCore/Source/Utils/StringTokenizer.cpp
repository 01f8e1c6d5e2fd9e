#include "Libraries/OstrumCore/Source/Utils/StringTokenizer.h"

#include <stdexcept>

namespace ostrum::utils {

namespace {

constexpr const char* kDefaultDelimiters = " \t\n\r\f";

}  // namespace

StringTokenizer::StringTokenizer(const std::string& text, const std::string& delimiters)
    : m_delimiters(delimiters.empty() ? std::string(kDefaultDelimiters) : delimiters), m_text(text)
{
}

bool StringTokenizer::isDelimiter(char c) const
{
    return m_delimiters.find(c) != std::string::npos;
}

bool StringTokenizer::scan()
{
    while (m_position < m_text.size() && isDelimiter(m_text[m_position]))
    {
        ++m_position;
    }
    if (m_position >= m_text.size())
    {
        m_endReached = true;
        return false;
    }
    m_tokenStart = m_position;
    while (m_position < m_text.size() && !isDelimiter(m_text[m_position]))
    {
        ++m_position;
    }
    if (m_position >= m_text.size())
    {
        m_endReached = true;
    }
    m_tokenPending = m_position > m_tokenStart;
    return m_tokenPending;
}

bool StringTokenizer::hasMoreTokens()
{
    if (m_tokenPending)
    {
        return true;
    }
    if (m_endReached)
    {
        return false;
    }
    return scan();
}

std::string StringTokenizer::nextToken(int* start)
{
    if (!hasMoreTokens())
    {
        return {};
    }
    m_tokenPending = false;
    if (start != nullptr)
    {
        *start = static_cast<int>(m_tokenStart);
    }
    return m_text.substr(m_tokenStart, m_position - m_tokenStart);
}

void StringTokenizer::setDelimiters(const std::string& delimiters)
{
    m_delimiters = delimiters;
}

void StringTokenizer::addDelimiters(const std::string& delimiters)
{
    m_delimiters += delimiters;
}

bool StringTokenizer::isDelimiterAt(int index) const
{
    if (index < 0 || static_cast<std::size_t>(index) >= m_text.size())
    {
        throw std::out_of_range("StringTokenizer index outside the text");
    }
    return isDelimiter(m_text[static_cast<std::size_t>(index)]);
}

}  // namespace ostrum::utils
