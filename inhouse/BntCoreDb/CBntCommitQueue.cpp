#include "inhouse/BntCoreDb/CBntCommitQueue.h"

#include <utility>

namespace {

// One list of actions per open transaction level of this thread, the innermost last.
thread_local std::vector<std::vector<CBntCommitQueue::Action>> t_levels;

void JoinOuterLevel(std::vector<CBntCommitQueue::Action>& actions)
{
    std::vector<CBntCommitQueue::Action>& outer = t_levels.back();
    for (CBntCommitQueue::Action& action : actions)
        outer.push_back(std::move(action));
}

}  // namespace

void CBntCommitQueue::Defer(Action action)
{
    if (t_levels.empty())
    {
        std::vector<Action> now;
        now.push_back(std::move(action));
        RunAll(now);
        return;
    }
    t_levels.back().push_back(std::move(action));
}

int CBntCommitQueue::OpenLevels()
{
    return static_cast<int>(t_levels.size());
}

void CBntCommitQueue::LevelBegun()
{
    t_levels.emplace_back();
}

void CBntCommitQueue::LevelReleased()
{
    if (t_levels.empty())
        return;
    std::vector<Action> inner = std::move(t_levels.back());
    t_levels.pop_back();
    if (!t_levels.empty())
        JoinOuterLevel(inner);
}

void CBntCommitQueue::LevelsRolledBack(int levels)
{
    for (; levels > 0 && !t_levels.empty(); --levels)
        t_levels.pop_back();
}

std::vector<CBntCommitQueue::Action> CBntCommitQueue::LevelCommitted()
{
    if (t_levels.empty())
        return {};
    std::vector<Action> committed = std::move(t_levels.back());
    t_levels.pop_back();
    if (t_levels.empty())
        return committed;
    // Another connection's transaction is still open on this thread: its outcome decides.
    JoinOuterLevel(committed);
    return {};
}

void CBntCommitQueue::RunAll(std::vector<Action>& actions) noexcept
{
    for (Action& action : actions)
        action();
    actions.clear();
}
