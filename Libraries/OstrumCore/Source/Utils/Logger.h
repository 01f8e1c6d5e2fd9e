// A named logger in the dotted tree under one root: its level, its appenders and whether its
// records go on to its ancestors' appenders (additivity).
//
// The tree only grows and lives until the process ends; getLogger returns the same object for
// a name every time, so the pointers it returns never dangle. Appenders are shared: a logger
// holds the ones attached to it, the root owns every appender known to the logging system and
// the registry of named appenders that the configuration fills; an appender lives while any
// of them (or a record being written) still holds it. Every operation is thread-safe: the
// tree is guarded by one process-wide lock, and `log` writes to the appenders outside it.
#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace ostrum::utils::logging {

class LogAppender;

class Logger
{
public:
    ~Logger();
    Logger(const Logger&) = delete;
    Logger& operator=(const Logger&) = delete;

    // The root (empty names, level OFF), created on first use.
    static Logger* getRootLogger();
    // The logger of a dotted name ("a.b.c"), created with its missing ancestors on first use.
    static Logger* getLogger(std::string_view name);

    // Enters name -> appender in the root's registry and the root's owned appenders; false,
    // with nothing changed, when the name is registered already.
    static bool registerAppender(const std::string& name, std::shared_ptr<LogAppender> appender);
    // The registered appender of that name; null when there is none.
    static std::shared_ptr<LogAppender> findRegisteredAppender(const std::string& name);

    const std::string& getFullName() const;
    const std::string& getName() const;
    // Null for the root.
    Logger* getParent() const;

    std::int32_t getLevel() const;
    std::int32_t getEffectiveLevel() const;
    // Whether a record of `level` is enabled here (level <= the effective level).
    bool isEnabled(std::int32_t level) const;
    // Sets the own level and recomputes the effective levels of this logger and of every
    // descendant (each is the larger of its own level and its parent's effective level).
    void setLevel(std::int32_t level);

    bool isAdditive() const;
    void setAdditive(bool additive);

    // Stamps the record with the clock's time and the calling thread and hands it to this
    // logger's appenders (without a level test) and, while additive, to those of each ancestor
    // on which the record is enabled. Callers test isEnabled first (see OSTRUM_LOG).
    void log(std::int32_t level, const std::string& message, const char* file, int line) const;

    // Unless `registerOnly`, attaches the appender here (once) and, with a non-empty name,
    // records it under that name; in every case the root comes to own it.
    void addAppender(std::shared_ptr<LogAppender> appender, bool registerOnly, const std::string& name);
    // Detaches the appender attached here under `name`. The root keeps owning it while another
    // logger or the registry still holds it; otherwise the logging system lets it go. False
    // when no appender is attached here under that name.
    bool removeAppender(const std::string& name);

private:
    Logger(Logger* parent, std::string fullName, std::string name);

    Logger* findOrAddChildLocked(std::string_view name, std::string_view fullName);
    void propagateEffectiveLevelLocked();
    bool isHeldLocked(const LogAppender* appender) const;
    void ownLocked(const std::shared_ptr<LogAppender>& appender);

    // Set at construction.
    Logger* const m_parent;
    const std::string m_fullName;
    const std::string m_name;

    // Guarded by the tree lock (levels are also readable without it).
    std::vector<std::unique_ptr<Logger>> m_children;
    std::int32_t m_level = 0;
    std::atomic<std::int32_t> m_effectiveLevel{0};
    bool m_additive = true;
    std::vector<std::shared_ptr<LogAppender>> m_appenders;
    std::map<std::string, std::shared_ptr<LogAppender>> m_namedAppenders;
    // Root only.
    std::vector<std::shared_ptr<LogAppender>> m_ownedAppenders;
    std::map<std::string, std::shared_ptr<LogAppender>> m_registry;
};

}  // namespace ostrum::utils::logging

// Logs `expression` (anything a string stream takes) on `logger` at `level` with the caller's
// source file and line; the text is built only when the level is enabled.
#define OSTRUM_LOG(logger, level, expression)                                                                          \
    do                                                                                                                 \
    {                                                                                                                  \
        ::ostrum::utils::logging::Logger* const ostrumLogger_ = (logger);                                              \
        if (ostrumLogger_->isEnabled(level))                                                                           \
        {                                                                                                              \
            std::ostringstream ostrumText_;                                                                            \
            ostrumText_ << expression;                                                                                 \
            ostrumLogger_->log((level), ostrumText_.str(), __FILE__, __LINE__);                                        \
        }                                                                                                              \
    } while (false)
