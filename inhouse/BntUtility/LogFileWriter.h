// Appends whole lines to log files, one process-wide lock for every file (held to find, open
// and roll over files; a line is written with one append outside it), and builds the
// common line prefix (local time with milliseconds and the thread id). Lines handed to
// AppendLineLater are held for at most a tenth of a second and written together by a thread of
// the writer's own, so that frequent information lines cost no system call each; a line
// written at once (AppendLine) comes after the held lines of its file, and everything held is
// written at a normal exit. Each record (a line, or the lines written together) goes to its file
// in one write, whole with its line feed; a write the file takes only in part (a full disk) is
// ended with a line feed where the file still takes one, and a file found not to end in one (a
// record another writer could not finish) gets one before the next record, so a cut record
// never runs into the next. A file stays open
// between lines; it is opened anew (its folders created again) once the file was removed, and
// within a second once another file took its path, as log rotation does. A file that reaches
// the size limit is rolled over to PATH.1 (the one before is replaced), so the logs cannot
// fill the disk.
//
// Static functions only; thread-safe. Writing never throws: a file that cannot be opened or
// takes no more loses the line, and AppendLine says so.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

class IClock;

namespace brontel::utility {

class LogFileWriter
{
public:
    // The size at which a file is rolled over.
    static constexpr std::uintmax_t kDefaultMaxFileBytes = 16 * 1024 * 1024;

    LogFileWriter() = delete;
    // Replaces the roll-over size (0: the default); tests use small sizes.
    static void SetMaxFileBytes(std::uintmax_t bytes);
    // Replaces the clock that times the look at an open file's path (null: the machine's);
    // the clock must outlive its use. Tests set one.
    static void SetClock(const IClock* clock);
    // Test hook; never called by the system. Until cleared (empty), every write to a log file
    // goes to `write` (as write(2): the bytes taken, or -1 with errno) instead of the system's,
    // so that a test can play a full disk or a short write.
    using WriteCall = std::function<long(int fd, const char* data, std::size_t size)>;
    static void TestHookWrite(WriteCall write);

    // Appends line and a line feed to the file at path, creating missing folders when the
    // file is opened. True when the line is in the file whole with its line feed; false when the
    // file could not be opened or did not take it all (a full disk).
    static bool AppendLine(const std::string& path, std::string_view line);
    // As AppendLine, but the line is only held on return: it is in the file a tenth of a
    // second later at most, or after Flush, the next AppendLine of the path, or a normal exit.
    // A crash loses the lines held.
    static void AppendLineLater(const std::string& path, std::string_view line);
    // Writes every held line now.
    static void Flush();
    // "YYYY-MM-DD HH:MM:SS.mmm [tid]" for the current local time and thread.
    static std::string LinePrefix();
    // Text with every CR and LF turned into a blank.
    static std::string OneLine(std::string text);
};

}  // namespace brontel::utility
