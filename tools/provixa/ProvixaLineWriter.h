// ProvixaLineWriter: the stream buffer behind the host's output and error streams. Whatever
// thread writes through it (the host's own, the simulated servers' configuration threads),
// each line reaches the destination whole: a thread's unfinished line is held apart until its
// end arrives, so no other line can split it. Lines go out in the order they were finished,
// in chunks of kChunkBytes (each line at once when made so), and a long result never waits
// whole in memory: a line longer than kChunkBytes (a JSON list is one line) goes out as it
// grows, and the lines other threads finish meanwhile wait until it ends.
//
// A destination that fails (a full disk, a closed descriptor) is remembered with the reason
// the system gave, and what follows is dropped: the host then reports the result as not
// written. The writes themselves never fail towards the writer, so no stream shared by threads
// changes state under another.
//
// Owned by the host's Run for one command line; it must outlive every thread that writes
// through it. Thread-safe: every member after construction is guarded by m_lock.
#pragma once

#include "platform/win32/ThreadSafety.h"

#include <cstddef>
#include <optional>
#include <ostream>
#include <streambuf>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

class ProvixaLineWriter final : public std::streambuf
{
public:
    // Bytes of finished lines gathered before they are handed to the destination.
    static constexpr std::size_t kChunkBytes = 64 * 1024;

    // Writes to `destination` (which must outlive this); `eachLine` hands every line over as
    // soon as it is finished (for error streams a person watches), else in chunks.
    ProvixaLineWriter(std::ostream& destination, bool eachLine);
    // Hands over what is left (Finish).
    ~ProvixaLineWriter() override;
    ProvixaLineWriter(const ProvixaLineWriter&) = delete;
    ProvixaLineWriter& operator=(const ProvixaLineWriter&) = delete;

    // Writes `line` and a line end as one line of the calling thread.
    void WriteLine(std::string_view line);
    // Hands over every finished line and every thread's unfinished one, and flushes the
    // destination; a line left open is ended before another writer's text follows it, so that
    // no two run into one line. True when everything written so far reached it.
    bool Finish();
    // True once the destination failed.
    bool Failed() const;
    // Why the destination failed ("No space left on device"); empty while it has not.
    std::string FailureReason() const;
    // True the first time it is asked after the destination failed, false before and after:
    // the failure is reported once, by whoever meets it first (the command whose result it
    // cut, else the end of the run).
    bool ClaimFailureReport();

    // True when what `stream` was given cannot all have reached its destination: the stream
    // is bad, or it writes through a ProvixaLineWriter whose destination failed.
    static bool Broken(const std::ostream& stream);
    // For a `stream` that is Broken: true with *reason when its failure is still to be
    // reported (ClaimFailureReport; a bad stream of another kind always is), false once it was.
    static bool ClaimFailureReport(std::ostream& stream, std::string* reason);

protected:
    std::streamsize xsputn(const char* text, std::streamsize count) override;
    int_type overflow(int_type c) override;
    // Hands over the finished lines; -1 when the destination failed.
    int sync() override;

private:
    void AddLocked(const char* text, std::size_t count) REQUIRES(m_lock);
    // Writes m_ready to the destination and flushes it.
    void HandOverLocked() REQUIRES(m_lock);

    // Set at construction.
    std::ostream& m_destination;
    const bool m_eachLine;

    mutable CheckedMutex m_lock;
    // Each writing thread's unfinished line.
    std::vector<std::pair<std::thread::id, std::string>> m_unfinished GUARDED_BY(m_lock);
    // Finished lines not yet handed over, in the order they were finished.
    std::string m_ready GUARDED_BY(m_lock);
    // The thread whose long line is going out unfinished, and the lines other threads finished
    // meanwhile, which follow it.
    std::optional<std::thread::id> m_holder GUARDED_BY(m_lock);
    std::string m_waiting GUARDED_BY(m_lock);
    bool m_failed GUARDED_BY(m_lock) = false;
    int m_error GUARDED_BY(m_lock) = 0;
    bool m_reported GUARDED_BY(m_lock) = false;
};
