// ProvixaBatch: the host's `batch FILE|-` command: reads host command lines from a file or
// standard input and runs them one after another in this process, so the status cache, the
// simulated servers and everything else the library keeps live from one command to the next.
// Blank lines and lines starting with '#' are skipped; words are separated by blanks and may
// be quoted with "..." (where \" and \\ stand for " and \) or '...'. A line takes its own
// options; --as, --sid and --json of the batch line apply to lines that give none. init and
// batch cannot run inside a batch.
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

    // Splits one line into words. False with *error for an unterminated quote.
    static bool SplitLine(const std::string& line, std::vector<std::string>* words, std::string* error);
    // The command lines of the stream (skipping blanks and comments), split into words. False
    // with *error naming the line for a bad line, too long a line or too many lines.
    static bool ReadCommands(std::istream& input, std::vector<Command>* commands, std::string* error);

    // Runs the batch: reads FILE or "-" (the standard input), then parses each line and hands
    // it to runOne, in order, going on after failures. A line that cannot be parsed is
    // reported on err as "provixa: line N: ..." with the usage exit status. The result is the
    // highest exit status of all lines (0 when all succeeded). A file that cannot be opened
    // answers the failed-request status, a batch with a bad line the usage error status. The
    // output is flushed after each command.
    static int Run(const ProvixaCommandLine& batch, std::istream& standardInput,
                   const std::function<int(const ProvixaCommandLine&)>& runOne, std::ostream& out, std::ostream& err);
};
