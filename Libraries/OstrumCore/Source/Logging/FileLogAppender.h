// The appender of type "ostrum.FileLogAppender": appends each formatted line to a text file,
// and can roll the file over when a calendar interval ends or when it reaches a size, keeping
// a bounded list of earlier files named with a time stamp and a sequence number:
// directory + base name + "20240301T14.00.00Z" [+ "." number] + suffix.
//
// The configuration sets the file ("file", required) and "append"; the rolling settings are
// set through the setters before the first record and default to no rolling and no limits.
// The file is opened and closed for every record. Only files whose names have this
// appender's form are ever listed or deleted. A file that cannot be opened makes append throw
// ostrum::io::FileOpenException (the record is lost, the appender stays usable). Thread-safe
// (see LogAppender); several appenders on one file are not coordinated.
#pragma once

#include "Libraries/OstrumCore/Source/Utils/LogAppender.h"
#include "Libraries/OstrumCore/Source/Utils/Time.h"

#include <cstdint>
#include <string>
#include <vector>

namespace ostrum::utils::logging {

class FileLogAppender : public LogAppender
{
public:
    // Rolling modes.
    static constexpr std::int32_t kRollNone = 0;
    static constexpr std::int32_t kRollByInterval = 2;
    // Intervals; any other value is no interval.
    static constexpr std::int32_t kIntervalNone = 0;
    static constexpr std::int32_t kIntervalYear = 1;
    static constexpr std::int32_t kIntervalMonth = 2;
    static constexpr std::int32_t kIntervalDay = 3;
    static constexpr std::int32_t kIntervalHour = 4;
    static constexpr std::int32_t kIntervalMinute = 5;
    static constexpr std::int32_t kIntervalSecond = 6;

    FileLogAppender() = default;
    explicit FileLogAppender(std::string filePattern, bool appendToFile = false);

    // Reads "file" (missing: 12) and "append"; 13 when the file cannot be opened.
    std::int32_t configure(const ostrum::xml::XmlTreeNode& element) override;
    // Writes the record, rolling first when due. FileOpenException when the file cannot be
    // opened.
    void append(const LogEvent& event) override;

    // 0: no time rolling, an existing file is replaced unless appending; 2: roll when the
    // interval ends; others: no time rolling, an existing file stays and its sequence resumes.
    void setRollMode(std::int32_t rollMode);
    void setInterval(std::int32_t interval);
    // The number of files kept; below 1 means no limit.
    void setMaxFiles(std::int32_t maxFiles);
    // The size at which the file rolls over; 0 means no limit.
    void setMaxSize(std::int32_t maxSize);
    // With the file limit reached: false removes the oldest file before adding the new one,
    // true adds it first and then removes the oldest beyond the limit.
    void setEvictAfterAdd(bool evictAfterAdd);

    // "none", "year", "month", "day", "hour", "minute", "second", or "[interval]".
    static std::string getIntervalName(std::int32_t interval);
    // The start of the interval holding `time` (fields in UTC) and the start of the next one;
    // an interval outside 1..6 leaves the time unchanged.
    static ostrum::utils::Time intervalStart(const ostrum::utils::Time& time, std::int32_t interval);
    static ostrum::utils::Time intervalEnd(const ostrum::utils::Time& time, std::int32_t interval);

private:
    std::string fileName(const ostrum::utils::Time& time, std::int32_t number) const REQUIRES(m_lock);
    // Whether `name` (a file name without directory) has this appender's form.
    bool isOwnFileName(const std::string& name) const REQUIRES(m_lock);
    void setUpLocked(const ostrum::utils::Time& eventTime) REQUIRES(m_lock);
    void rollLocked(const ostrum::utils::Time& eventTime) REQUIRES(m_lock);
    void removeOldestLocked() REQUIRES(m_lock);
    void writeLocked(const std::string& line) REQUIRES(m_lock);

    // Settings, set before logging starts.
    std::string m_filePattern;
    bool m_appendToFile = false;
    std::int32_t m_rollMode = kRollNone;
    std::int32_t m_interval = kIntervalNone;
    std::int32_t m_maxFiles = 0;
    std::int32_t m_maxSize = 0;
    bool m_evictAfterAdd = false;

    bool m_initPending GUARDED_BY(m_lock) = true;
    ostrum::utils::Time m_nextRoll GUARDED_BY(m_lock){static_cast<std::int64_t>(0)};
    std::string m_directory GUARDED_BY(m_lock);
    std::string m_baseName GUARDED_BY(m_lock);
    std::string m_suffix GUARDED_BY(m_lock);
    std::string m_currentFile GUARDED_BY(m_lock);
    std::vector<std::string> m_oldFiles GUARDED_BY(m_lock);
    std::int64_t m_currentSize GUARDED_BY(m_lock) = 0;
    std::int32_t m_sequence GUARDED_BY(m_lock) = 0;
};

}  // namespace ostrum::utils::logging
