// ProvixaBatch: the host's `batch FILE|-` command: reads host command lines from a file or
// standard input and runs each as soon as it has been read, in this process, so the status
// cache, the simulated servers, the watches and everything else the library keeps live from one
// command to the next, and a producer feeding a pipe sees each answer before it sends the next
// line. Blank lines and lines starting with '#' are skipped; a UTF-8 byte-order mark before the
// first line is skipped; words are separated by blanks and may be quoted with "..." (where \"
// and \\ stand for " and \) or '...'. A line takes its own options; --as, --sid and --json of
// the batch line apply to lines that give none. init, batch and bus cannot run inside a batch.
//
// Stateless helpers; used on the host's one thread.
#pragma once

#include <functional>
#include <istream>
#include <ostream>
#include <string>
#include <vector>

#include "tools/provixa/ProvixaCommandLine.h"

class ProvixaBatch
{
public:
    // Most lines a batch may hold, and the longest line, in bytes.
    static constexpr std::size_t kMaxLines = 10000;
    static constexpr std::size_t kMaxLineLength = 65536;

    ProvixaBatch() = delete;

    // One command of a batch: its line number in the source and its words.
    struct Command
    {
        std::size_t line = 0;
        std::vector<std::string> words;
    };

    // What NextCommand found.
    enum class Read
    {
        Command,  // *command holds the next command
        Refused,  // the line (command->line) cannot be run: *error says why, *usage whether the
                  // fault is one of its words (an unterminated quote) rather than its bytes
        End,      // the input ended
    };

    // Splits one line into words. False with *error for an unterminated quote.
    static bool SplitLine(const std::string& line, std::vector<std::string>* words, std::string* error);
    // Reads up to the next line end (which is dropped) or the end of the input, keeping at most
    // `limit` bytes: true with *line, and *tooLong when more stood on the line (they are read
    // and dropped, so the next call reads the next line); false when the input had ended. The
    // line costs about its own length in memory, whatever its length.
    static bool ReadLine(std::istream& input, std::size_t limit, std::string* line, bool* tooLong);
    // Reads up to the next command line of the stream (skipping blanks and comments), split into
    // words; *lineNumber counts the lines read so far (0 before the first). A line longer than
    // kMaxLineLength, a line holding a NUL and a line with an unterminated quote are refused.
    static Read NextCommand(std::istream& input, std::size_t* lineNumber, Command* command, bool* usage,
                            std::string* error);

    // Runs the batch: reads FILE or "-" (the standard input) line by line and hands each command
    // to runOne as soon as it is read, going on after failures. A line that cannot be parsed is
    // reported on err as "provixa: line N: ..." with the usage exit status; a failure that runOne
    // prints on err names the line the same way. The result is the highest exit status of all
    // lines (0 when all succeeded). A file or folder that cannot be read, a line that cannot be
    // read (too long, a NUL in it) and a batch of more than kMaxLines commands answer the
    // failed-request status. The output is flushed after each command; once it cannot be
    // written (ProvixaLineWriter::Broken) the batch stops with the failed-request status, and
    // the caller reports the output's failure. SIGINT ends the batch by the signal, saying which
    // line it had reached (ProvixaBatchInterruption).
    static int Run(const ProvixaCommandLine& batch, std::istream& standardInput,
                   const std::function<int(const ProvixaCommandLine&)>& runOne, std::ostream& out, std::ostream& err);
};
