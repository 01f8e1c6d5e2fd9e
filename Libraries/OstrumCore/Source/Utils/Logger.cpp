#include "Libraries/OstrumCore/Source/Utils/Logger.h"

#include "Libraries/OstrumCore/Source/Utils/Clock.h"
#include "Libraries/OstrumCore/Source/Utils/LogAppender.h"
#include "Libraries/OstrumCore/Source/Utils/LogEvent.h"
#include "platform/win32/SystemInfo.h"

#include <algorithm>
#include <mutex>

namespace ostrum::utils::logging {

namespace {

// The lock of the whole logger tree: creation, levels, additivity and appender lists.
std::mutex& treeLock()
{
    static std::mutex lock;
    return lock;
}

}  // namespace

Logger::Logger(Logger* parent, std::string fullName, std::string name)
    : m_parent(parent), m_fullName(std::move(fullName)), m_name(std::move(name))
{
    if (m_parent != nullptr)
    {
        m_effectiveLevel = m_parent->m_effectiveLevel.load();
    }
}

Logger::~Logger() = default;

Logger* Logger::getRootLogger()
{
    static Logger root(nullptr, std::string(), std::string());
    return &root;
}

Logger* Logger::getLogger(std::string_view name)
{
    Logger* current = getRootLogger();
    if (name.empty())
    {
        return current;
    }
    std::lock_guard<std::mutex> guard(treeLock());
    std::size_t start = 0;
    while (start <= name.size())
    {
        const std::size_t dot = name.find('.', start);
        const std::size_t end = dot == std::string_view::npos ? name.size() : dot;
        current = current->findOrAddChildLocked(name.substr(start, end - start), name.substr(0, end));
        if (dot == std::string_view::npos)
        {
            break;
        }
        start = dot + 1;
    }
    return current;
}

Logger* Logger::findOrAddChildLocked(std::string_view name, std::string_view fullName)
{
    for (const std::unique_ptr<Logger>& child : m_children)
    {
        if (child->m_name == name)
        {
            return child.get();
        }
    }
    m_children.push_back(std::unique_ptr<Logger>(new Logger(this, std::string(fullName), std::string(name))));
    return m_children.back().get();
}

bool Logger::registerAppender(const std::string& name, std::shared_ptr<LogAppender> appender)
{
    Logger* root = getRootLogger();
    std::lock_guard<std::mutex> guard(treeLock());
    if (root->m_registry.count(name) != 0)
    {
        return false;
    }
    root->ownLocked(appender);
    root->m_registry.emplace(name, std::move(appender));
    return true;
}

std::shared_ptr<LogAppender> Logger::findRegisteredAppender(const std::string& name)
{
    Logger* root = getRootLogger();
    std::lock_guard<std::mutex> guard(treeLock());
    const auto found = root->m_registry.find(name);
    return found == root->m_registry.end() ? nullptr : found->second;
}

const std::string& Logger::getFullName() const
{
    return m_fullName;
}

const std::string& Logger::getName() const
{
    return m_name;
}

Logger* Logger::getParent() const
{
    return m_parent;
}

std::int32_t Logger::getLevel() const
{
    std::lock_guard<std::mutex> guard(treeLock());
    return m_level;
}

std::int32_t Logger::getEffectiveLevel() const
{
    return m_effectiveLevel.load(std::memory_order_relaxed);
}

bool Logger::isEnabled(std::int32_t level) const
{
    return level <= getEffectiveLevel();
}

void Logger::setLevel(std::int32_t level)
{
    std::lock_guard<std::mutex> guard(treeLock());
    m_level = level;
    propagateEffectiveLevelLocked();
}

void Logger::propagateEffectiveLevelLocked()
{
    const std::int32_t inherited = m_parent == nullptr ? 0 : m_parent->m_effectiveLevel.load();
    m_effectiveLevel = std::max(m_level, inherited);
    for (const std::unique_ptr<Logger>& child : m_children)
    {
        child->propagateEffectiveLevelLocked();
    }
}

bool Logger::isAdditive() const
{
    std::lock_guard<std::mutex> guard(treeLock());
    return m_additive;
}

void Logger::setAdditive(bool additive)
{
    std::lock_guard<std::mutex> guard(treeLock());
    m_additive = additive;
}

void Logger::log(std::int32_t level, const std::string& message, const char* file, int line) const
{
    std::vector<std::shared_ptr<LogAppender>> targets;
    {
        std::lock_guard<std::mutex> guard(treeLock());
        targets = m_appenders;
        for (const Logger* logger = this; logger->m_additive && logger->m_parent != nullptr;)
        {
            logger = logger->m_parent;
            if (level <= logger->m_effectiveLevel.load())
            {
                targets.insert(targets.end(), logger->m_appenders.begin(), logger->m_appenders.end());
            }
        }
    }
    // Written outside the tree lock: each appender serialises its own output, and the shared
    // pointers keep an appender alive while it is removed meanwhile.
    LogEvent event;
    event.loggerName = m_fullName;
    event.logger = this;
    event.level = level;
    event.message = message;
    event.file = file == nullptr ? "" : file;
    event.line = line;
    event.time = ostrum::Clock::currentTimeMillis();
    event.threadId = GetCurrentThreadId();
    for (const std::shared_ptr<LogAppender>& appender : targets)
    {
        appender->append(event);
    }
}

void Logger::addAppender(std::shared_ptr<LogAppender> appender, bool registerOnly, const std::string& name)
{
    if (appender == nullptr)
    {
        return;
    }
    std::lock_guard<std::mutex> guard(treeLock());
    if (!registerOnly)
    {
        if (std::find(m_appenders.begin(), m_appenders.end(), appender) == m_appenders.end())
        {
            m_appenders.push_back(appender);
        }
        if (!name.empty())
        {
            m_namedAppenders[name] = appender;
        }
    }
    getRootLogger()->ownLocked(appender);
}

bool Logger::removeAppender(const std::string& name)
{
    // Declared before the guard: an appender let go is destroyed after the lock is released.
    std::shared_ptr<LogAppender> removed;
    std::lock_guard<std::mutex> guard(treeLock());
    const auto found = m_namedAppenders.find(name);
    if (found == m_namedAppenders.end())
    {
        return false;
    }
    removed = found->second;
    m_namedAppenders.erase(found);
    // Still attached under another name: it stays attached.
    for (const auto& [otherName, other] : m_namedAppenders)
    {
        if (other == removed)
        {
            return true;
        }
    }
    m_appenders.erase(std::remove(m_appenders.begin(), m_appenders.end(), removed), m_appenders.end());
    // An appender another logger or the registry still holds is not let go.
    Logger* root = getRootLogger();
    if (!root->isHeldLocked(removed.get()))
    {
        auto& owned = root->m_ownedAppenders;
        owned.erase(std::remove(owned.begin(), owned.end(), removed), owned.end());
    }
    return true;
}

bool Logger::isHeldLocked(const LogAppender* appender) const
{
    for (const std::shared_ptr<LogAppender>& held : m_appenders)
    {
        if (held.get() == appender)
        {
            return true;
        }
    }
    for (const auto& [name, registered] : m_registry)
    {
        if (registered.get() == appender)
        {
            return true;
        }
    }
    return std::any_of(m_children.begin(), m_children.end(),
                       [appender](const std::unique_ptr<Logger>& child) { return child->isHeldLocked(appender); });
}

void Logger::ownLocked(const std::shared_ptr<LogAppender>& appender)
{
    if (std::find(m_ownedAppenders.begin(), m_ownedAppenders.end(), appender) == m_ownedAppenders.end())
    {
        m_ownedAppenders.push_back(appender);
    }
}

}  // namespace ostrum::utils::logging
