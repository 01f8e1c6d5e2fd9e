// Appends whole lines to log files, one process-wide lock for every file (held to find, open
// and roll over files; a line is written with one append outside it), and builds the
// common line prefix (local time with milliseconds and the thread id). Lines handed to
// AppendLineLater are held for at most a tenth of a second and written together by a thread of
// the writer's own, so that frequent information lines cost no system call each; a line
// written at once (AppendLine) comes after the held lines of its file, and everything held is
// written at a normal exit. A file stays open
// between lines; it is opened anew (its folders created again) once the file was removed, and
// within a second once another file took its path, as log rotation does. A file that reaches
// the size limit is rolled over to PATH.1 (the one before is replaced), so the logs cannot
// fill the disk.
//
// Static functions only; thread-safe. Writing never throws and never creates a partial
// line: a file that cannot be opened loses the line.
#pragma once

#include <cstdint>
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

    // Appends line and a line feed to the file at path, creating missing folders when the
    // file is opened.
    static void AppendLine(const std::string& path, std::string_view line);
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
