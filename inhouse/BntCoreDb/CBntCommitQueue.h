// CBntCommitQueue: what a write tells the outside world waits for the write's commit. While a
// transaction is open on the calling thread, Defer keeps the action with the innermost level;
// a savepoint that is released hands its actions to the level around it, a level that rolls
// back discards them, and the commit of the last open level runs them in order once the
// database is free again. With no transaction open an action runs at once.
//
// The levels are the calling thread's own (a transaction keeps its connection for its
// thread), so the class has no lock. CBntConnection reports its levels; callers only Defer.
#pragma once

#include <functional>
#include <vector>

class CBntCommitQueue
{
public:
    // Something to do after the commit. It must not throw: a failure belongs in its own log.
    using Action = std::function<void()>;

    CBntCommitQueue() = delete;

    // Runs the action now when no transaction is open on this thread, else keeps it with the
    // innermost open level.
    static void Defer(Action action);
    // The number of transaction levels open on this thread.
    static int OpenLevels();

    // For CBntConnection: a level began; an inner level was released into the one around it;
    // `levels` levels rolled back (their actions are discarded).
    static void LevelBegun();
    static void LevelReleased();
    static void LevelsRolledBack(int levels);
    // For CBntConnection: the outermost level of a connection committed. The actions of the
    // level, when it was the thread's last open one; otherwise they join the level around it
    // and nothing is answered. The caller runs what it receives with RunAll once it holds no
    // lock.
    static std::vector<Action> LevelCommitted();
    static void RunAll(std::vector<Action>& actions) noexcept;
};
