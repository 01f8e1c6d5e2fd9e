// ProvixaBatchInterruption: says which line a batch had reached when SIGINT (Ctrl-C) ends it.
// While one lives, SIGINT writes one line on standard error ("provixa: line 3: interrupted while
// it ran", "... interrupted after it ran, before the next line", "provixa: interrupted before the
// first line ran"; with --json the JSON failure line of the same text) and then ends the process
// by the signal, as it did before, so the exit status stays the signal's (130 in a shell). A
// process that started with SIGINT ignored (a background job) keeps ignoring it.
//
// A signal handler reaches only static storage: the texts are laid out before the handler is
// installed and the line is published through lock-free atomics. One per process at a time, on
// the batch's thread; the handler may run on any thread.
#pragma once

#include <csignal>
#include <cstddef>

class ProvixaBatchInterruption
{
public:
    // Installs the handler; `json`: the failure lines of the run are JSON (--json).
    explicit ProvixaBatchInterruption(bool json);
    // Puts the previous handling of SIGINT back.
    ~ProvixaBatchInterruption();
    ProvixaBatchInterruption(const ProvixaBatchInterruption&) = delete;
    ProvixaBatchInterruption& operator=(const ProvixaBatchInterruption&) = delete;

    // The batch runs its command of `line` (running), or has run it and reads on.
    void Reached(std::size_t line, bool running);

private:
    struct sigaction m_previous = {};
    bool m_installed = false;
};
