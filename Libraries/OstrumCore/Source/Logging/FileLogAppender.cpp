#include "Libraries/OstrumCore/Source/Logging/FileLogAppender.h"

#include "Libraries/OstrumCore/Source/IO/BufferedOutputStream.h"
#include "Libraries/OstrumCore/Source/IO/FileOutputStream.h"
#include "Libraries/OstrumCore/Source/IO/FileUtils.h"
#include "Libraries/OstrumCore/Source/IO/IOException.h"
#include "Libraries/OstrumCore/Source/IO/PathScanner.h"
#include "Libraries/OstrumCore/Source/Utils/LogConfigResult.h"
#include "Libraries/OstrumCore/Source/Utils/LogEvent.h"
#include "Libraries/OstrumCore/Source/Utils/StringUtils.h"
#include "Libraries/OstrumCore/Source/XML/XmlAttributeAccess.h"
#include "Libraries/OstrumCore/Source/XML/XmlTreeNode.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <stdexcept>

namespace ostrum::utils::logging {

namespace {

using ostrum::io::FileUtils;
using ostrum::utils::Time;

constexpr int kWriteBufferSize = 256;
// "20240301T14.00.00Z": the stamp of a rolled file name.
constexpr std::size_t kStampLength = 18;

constexpr std::array<const char*, 7> kIntervalNames = {"none", "year", "month", "day", "hour", "minute", "second"};

// The stamp of a time: its ISO form in UTC with every ":" turned into ".".
std::string stampOf(const Time& time)
{
    std::string stamp = time.toIsoString(false, true);
    std::replace(stamp.begin(), stamp.end(), ':', '.');
    return stamp;
}

bool isDigits(std::string_view text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Whether `text` is a stamp: 8 digits, "T", 2 digits, ".", 2 digits, ".", 2 digits, "Z".
bool isStamp(std::string_view text)
{
    return text.size() == kStampLength && isDigits(text.substr(0, 8)) && text[8] == 'T' &&
           isDigits(text.substr(9, 2)) && text[11] == '.' && isDigits(text.substr(12, 2)) && text[14] == '.' &&
           isDigits(text.substr(15, 2)) && text[17] == 'Z';
}

// The sequence number of ".N"; false for anything else or a number beyond 32 bits.
bool readSequence(std::string_view text, std::int32_t& number)
{
    if (text.size() < 2 || text[0] != '.' || !isDigits(text.substr(1)))
    {
        return false;
    }
    const auto [end, error] = std::from_chars(text.data() + 1, text.data() + text.size(), number);
    return error == std::errc() && end == text.data() + text.size();
}

}  // namespace

FileLogAppender::FileLogAppender(std::string filePattern, bool appendToFile)
    : m_filePattern(std::move(filePattern)), m_appendToFile(appendToFile)
{
}

std::int32_t FileLogAppender::configure(const ostrum::xml::XmlTreeNode& element)
{
    if (!ostrum::xml::GetAttribute(element.GetAttributes(), "file", m_filePattern, false))
    {
        return LogConfigResult::MISSING_APPENDER_DATA;
    }
    bool appendToFile = false;
    if (ostrum::xml::GetAttribute(element.GetAttributes(), "append", appendToFile))
    {
        m_appendToFile = appendToFile;
    }
    // Opened for appending: the check must not empty a file that a later record may keep.
    try
    {
        ostrum::io::FileOutputStream check(m_filePattern, true, true);
        check.close();
    }
    catch (const ostrum::io::IOException&)
    {
        return LogConfigResult::INVALID_APPENDER_DATA;
    }
    return LogConfigResult::NO_ERROR;
}

void FileLogAppender::setRollMode(std::int32_t rollMode)
{
    m_rollMode = rollMode;
}

void FileLogAppender::setInterval(std::int32_t interval)
{
    m_interval = interval;
}

void FileLogAppender::setMaxFiles(std::int32_t maxFiles)
{
    m_maxFiles = maxFiles;
}

void FileLogAppender::setMaxSize(std::int32_t maxSize)
{
    m_maxSize = maxSize;
}

void FileLogAppender::setEvictAfterAdd(bool evictAfterAdd)
{
    m_evictAfterAdd = evictAfterAdd;
}

std::string FileLogAppender::getIntervalName(std::int32_t interval)
{
    if (interval < 0 || interval >= static_cast<std::int32_t>(kIntervalNames.size()))
    {
        return "[interval]";
    }
    return kIntervalNames[static_cast<std::size_t>(interval)];
}

Time FileLogAppender::intervalStart(const Time& time, std::int32_t interval)
{
    if (interval < kIntervalYear || interval > kIntervalSecond)
    {
        return time;
    }
    const unsigned year = time.getYear();
    const unsigned month = interval >= kIntervalMonth ? time.getMonth() : 1;
    const unsigned day = interval >= kIntervalDay ? time.getDay() : 1;
    const unsigned hour = interval >= kIntervalHour ? time.getHour() : 0;
    const unsigned minute = interval >= kIntervalMinute ? time.getMinute() : 0;
    const unsigned second = interval >= kIntervalSecond ? time.getSecond() : 0;
    Time start(static_cast<std::int64_t>(0));
    start.set(year, month, static_cast<int>(day), hour, minute, second, true);
    return start;
}

Time FileLogAppender::intervalEnd(const Time& time, std::int32_t interval)
{
    const Time start = intervalStart(time, interval);
    constexpr std::int64_t kSecond = 1000;
    switch (interval)
    {
    case kIntervalYear: {
        Time end(static_cast<std::int64_t>(0));
        end.set(start.getYear() + 1, 1, 1, 0, 0, 0, true);
        return end;
    }
    case kIntervalMonth: {
        const unsigned month = start.getMonth();
        Time end(static_cast<std::int64_t>(0));
        end.set(month == 12 ? start.getYear() + 1 : start.getYear(), month == 12 ? 1 : month + 1, 1, 0, 0, 0, true);
        return end;
    }
    case kIntervalDay:
        return Time(start.getMillis() + 86400 * kSecond);
    case kIntervalHour:
        return Time(start.getMillis() + 3600 * kSecond);
    case kIntervalMinute:
        return Time(start.getMillis() + 60 * kSecond);
    case kIntervalSecond:
        return Time(start.getMillis() + kSecond);
    default:
        return start;
    }
}

std::string FileLogAppender::fileName(const Time& time, std::int32_t number) const
{
    std::string name = m_directory + m_baseName + stampOf(time);
    if (number >= 0)
    {
        name += "." + std::to_string(number);
    }
    return name + m_suffix;
}

bool FileLogAppender::isOwnFileName(const std::string& name) const
{
    if (name.size() < m_baseName.size() + m_suffix.size() || !StringUtils::startsWith(name, m_baseName, true) ||
        !StringUtils::endsWith(name, m_suffix, true))
    {
        return false;
    }
    const std::string_view middle =
        std::string_view(name).substr(m_baseName.size(), name.size() - m_baseName.size() - m_suffix.size());
    if (middle.empty())
    {
        return true;
    }
    std::int32_t number = 0;
    return isStamp(middle.substr(0, kStampLength)) &&
           (middle.size() == kStampLength || readSequence(middle.substr(kStampLength), number));
}

void FileLogAppender::append(const LogEvent& event)
{
    const CriticalSectionLock guard(m_lock);
    const std::string line = formatLineLocked(event);
    const Time eventTime(static_cast<std::int64_t>(event.time));
    if (m_initPending)
    {
        setUpLocked(eventTime);
    }
    else
    {
        rollLocked(eventTime);
    }
    writeLocked(line);
}

void FileLogAppender::setUpLocked(const Time& eventTime)
{
    m_initPending = false;
    std::string name;
    FileUtils::splitPath(m_filePattern, m_directory, name);
    const std::size_t dot = name.rfind('.');
    m_baseName = name.substr(0, dot);
    m_suffix = dot == std::string::npos ? std::string() : name.substr(dot);

    const Time start = intervalStart(eventTime, m_interval);
    m_currentFile = m_rollMode == kRollByInterval ? fileName(start, -1) : m_filePattern;
    bool exists = FileUtils::exists(m_currentFile);
    if (exists && m_rollMode == kRollNone && !m_appendToFile)
    {
        FileUtils::remove(m_currentFile);
        exists = false;
    }

    ostrum::io::PathScanner scanner;
    try
    {
        scanner.scan(m_directory.empty() ? std::string(".") : m_directory, false);
    }
    catch (const std::runtime_error&)
    {
        // An unreadable directory holds no earlier files of ours.
    }
    for (const auto& file : scanner.getFiles())
    {
        if (isOwnFileName(file.name))
        {
            m_oldFiles.push_back(m_directory + file.name);
        }
    }
    std::sort(m_oldFiles.begin(), m_oldFiles.end(),
              [](const std::string& a, const std::string& b) { return StringUtils::lessByDottedParts(a, b); });

    if (!m_oldFiles.empty() && m_rollMode != kRollNone)
    {
        const std::string& newest = m_oldFiles.back();
        const std::size_t nameStart = m_directory.size() + m_baseName.size();
        const std::string_view middle =
            std::string_view(newest).substr(nameStart, newest.size() - nameStart - m_suffix.size());
        std::int32_t number = 0;
        if (middle.substr(0, kStampLength) == stampOf(start) &&
            readSequence(middle.substr(std::min(kStampLength, middle.size())), number))
        {
            m_sequence = number;
            m_currentFile = fileName(start, m_sequence);
            ++m_sequence;
            exists = true;
        }
    }

    if (m_maxFiles >= 1)
    {
        const std::size_t keep = static_cast<std::size_t>(exists ? m_maxFiles : m_maxFiles - 1);
        while (m_oldFiles.size() > keep)
        {
            removeOldestLocked();
        }
    }
    if (!exists)
    {
        m_oldFiles.push_back(m_currentFile);
        m_nextRoll = intervalEnd(eventTime, m_interval);
        return;
    }
    Time modified(static_cast<std::int64_t>(0));
    if (!FileUtils::getModificationTime(m_currentFile, modified))
    {
        modified = eventTime;
    }
    m_nextRoll = intervalEnd(modified, m_interval);
    std::int64_t size = 0;
    FileUtils::getFileSize(m_currentFile, size);
    m_currentSize = size;
    rollLocked(eventTime);
}

void FileLogAppender::rollLocked(const Time& eventTime)
{
    // A time roll happens at or after the boundary and names the file by the interval the
    // record falls in, however many intervals passed without a record.
    const bool byTime = m_rollMode == kRollByInterval && eventTime.getMillis() >= m_nextRoll.getMillis();
    const bool bySize = m_maxSize != 0 && m_currentSize >= m_maxSize;
    if (byTime)
    {
        m_currentFile = fileName(intervalStart(eventTime, m_interval), -1);
        m_nextRoll = intervalEnd(eventTime, m_interval);
        m_sequence = 0;
    }
    else if (bySize)
    {
        m_currentFile = fileName(intervalStart(eventTime, m_interval), m_sequence);
        ++m_sequence;
    }
    else
    {
        return;
    }
    m_currentSize = 0;
    m_oldFiles.erase(std::remove(m_oldFiles.begin(), m_oldFiles.end(), m_currentFile), m_oldFiles.end());
    const bool limited = m_maxFiles >= 1;
    // The oldest file goes, never the newest one that was just written.
    if (limited && !m_evictAfterAdd && m_oldFiles.size() >= static_cast<std::size_t>(m_maxFiles))
    {
        removeOldestLocked();
    }
    m_oldFiles.push_back(m_currentFile);
    if (limited && m_evictAfterAdd && m_oldFiles.size() > static_cast<std::size_t>(m_maxFiles))
    {
        removeOldestLocked();
    }
}

void FileLogAppender::removeOldestLocked()
{
    FileUtils::remove(m_oldFiles.front());
    m_oldFiles.erase(m_oldFiles.begin());
}

void FileLogAppender::writeLocked(const std::string& line)
{
    // A file that cannot be opened throws FileOpenException out of append; the record is lost
    // and the size stays what the file holds.
    ostrum::io::FileOutputStream file(m_currentFile, true, true);
    ostrum::io::BufferedOutputStream buffered(&file, kWriteBufferSize);
    buffered.write(reinterpret_cast<const unsigned char*>(line.data()), static_cast<int>(line.size()));
    buffered.close();
    m_currentSize += static_cast<std::int64_t>(line.size());
}

}  // namespace ostrum::utils::logging
