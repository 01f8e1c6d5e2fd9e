#include "Libraries/OstrumCore/Source/Logging/LoggerConfiguration.h"

#include "Libraries/OstrumCore/Source/IO/BufferedInputStream.h"
#include "Libraries/OstrumCore/Source/IO/FileInputStream.h"
#include "Libraries/OstrumCore/Source/IO/IOException.h"
#include "Libraries/OstrumCore/Source/Utils/ConsoleLogAppender.h"
#include "Libraries/OstrumCore/Source/Logging/FileLogAppender.h"
#include "Libraries/OstrumCore/Source/Utils/LogConfigResult.h"
#include "Libraries/OstrumCore/Source/Utils/LogLevel.h"
#include "Libraries/OstrumCore/Source/Utils/Logger.h"
#include "Libraries/OstrumCore/Source/Utils/LoggerPatternLayout.h"
#include "Libraries/OstrumCore/Source/Utils/OutputDebugStringAppender.h"
#include "Libraries/OstrumCore/Source/XML/XmlAttributeAccess.h"
#include "Libraries/OstrumCore/Source/XML/XmlTree.h"
#include "Libraries/OstrumCore/Source/XML/XmlTreeReader.h"

#include <array>
#include <functional>
#include <memory>
#include <set>
#include <string_view>

namespace ostrum::utils::logging {

namespace {

using ostrum::xml::XmlTreeNode;

struct AppenderType
{
    std::string_view name;
    std::shared_ptr<LogAppender> (*create)();
};

template <typename T>
std::shared_ptr<LogAppender> createAppender()
{
    return std::make_shared<T>();
}

const std::array<AppenderType, 3> kAppenderTypes = {{
    {"ostrum.ConsoleLogAppender", &createAppender<ConsoleLogAppender>},
    {"ostrum.OutputDebugStringAppender", &createAppender<OutputDebugStringAppender>},
    {"ostrum.FileLogAppender", &createAppender<FileLogAppender>},
}};

bool readText(const XmlTreeNode& element, const char* name, std::string& value)
{
    return ostrum::xml::GetAttribute(element.GetAttributes(), name, value, false);
}

std::int32_t configureAppender(const XmlTreeNode& element)
{
    std::string name;
    if (!readText(element, "name", name))
    {
        return LogConfigResult::MISSING_NAME;
    }
    if (Logger::findRegisteredAppender(name) != nullptr)
    {
        return LogConfigResult::NAME_NOT_UNIQUE;
    }
    std::string pattern;
    if (!readText(element, "pattern", pattern))
    {
        return LogConfigResult::MISSING_PATTERN;
    }
    LoggerPatternLayout layout;
    const std::int32_t parsed = layout.setPattern(pattern);
    if (parsed != LogConfigResult::NO_ERROR)
    {
        return parsed;
    }
    std::string type;
    if (!readText(element, "type", type))
    {
        return LogConfigResult::MISSING_TYPE;
    }
    std::shared_ptr<LogAppender> appender;
    for (const AppenderType& known : kAppenderTypes)
    {
        if (known.name == type)
        {
            appender = known.create();
        }
    }
    if (appender == nullptr)
    {
        return LogConfigResult::UNKNOWN_TYPE;
    }
    const std::int32_t configured = appender->configure(element);
    if (configured != LogConfigResult::NO_ERROR)
    {
        return configured;
    }
    appender->setLayout(layout);
    Logger::registerAppender(name, std::move(appender));
    return LogConfigResult::NO_ERROR;
}

std::int32_t configureLogger(const XmlTreeNode& element, std::set<std::string>& configured)
{
    std::string name;
    if (!readText(element, "name", name))
    {
        return LogConfigResult::MISSING_NAME;
    }
    const bool isRoot = name == "root";
    if (!isRoot && !configured.insert(name).second)
    {
        return LogConfigResult::NAME_NOT_UNIQUE;
    }
    std::string levelName;
    if (!readText(element, "level", levelName))
    {
        return LogConfigResult::MISSING_LEVEL;
    }
    std::int32_t level = 0;
    if (!LogLevel::fromConfigName(levelName, level))
    {
        return LogConfigResult::INVALID_LEVEL;
    }
    Logger* logger = isRoot ? Logger::getRootLogger() : Logger::getLogger(name);
    logger->setLevel(level);
    bool additive = true;
    if (ostrum::xml::GetAttribute(element.GetAttributes(), "additivity", additive))
    {
        logger->setAdditive(additive);
    }
    for (const std::unique_ptr<XmlTreeNode>& child : element.GetChildren())
    {
        if (child->GetName() != "appender-ref")
        {
            continue;
        }
        std::string appenderName;
        if (!readText(*child, "name", appenderName))
        {
            return LogConfigResult::MISSING_NAME;
        }
        std::shared_ptr<LogAppender> appender = Logger::findRegisteredAppender(appenderName);
        if (appender == nullptr)
        {
            return LogConfigResult::UNDEFINED_APPENDER;
        }
        logger->addAppender(std::move(appender), false, std::string());
    }
    return LogConfigResult::NO_ERROR;
}

}  // namespace

std::int32_t LoggerConfiguration::configureFromFile(const std::string& path)
{
    constexpr int kReadBufferSize = 256;
    std::unique_ptr<ostrum::io::FileInputStream> file;
    try
    {
        file = std::make_unique<ostrum::io::FileInputStream>(path, false);
    }
    catch (const ostrum::io::IOException&)
    {
        return LogConfigResult::FILE_NOT_FOUND;
    }
    ostrum::io::BufferedInputStream buffered(file.get(), kReadBufferSize);
    return configureFromStream(buffered);
}

std::int32_t LoggerConfiguration::configureFromStream(ostrum::io::InputStream& stream)
{
    ostrum::xml::XmlTree tree;
    try
    {
        ostrum::xml::XmlTreeReader reader;
        if (!reader.Read(&tree, stream, false, false))
        {
            return LogConfigResult::XML_PARSE_ERROR;
        }
    }
    catch (const ostrum::io::IOException&)
    {
        return LogConfigResult::READ_ERROR;
    }
    const XmlTreeNode* config = tree.FindChild("logger-config");
    if (config == nullptr)
    {
        return LogConfigResult::MISSING_LOGGER_CONFIG;
    }
    return configure(*config);
}

std::int32_t LoggerConfiguration::configure(const XmlTreeNode& element)
{
    for (const std::unique_ptr<XmlTreeNode>& child : element.GetChildren())
    {
        if (child->GetName() == "appender")
        {
            const std::int32_t result = configureAppender(*child);
            if (result != LogConfigResult::NO_ERROR)
            {
                return result;
            }
        }
    }
    std::set<std::string> configured;
    for (const std::unique_ptr<XmlTreeNode>& child : element.GetChildren())
    {
        if (child->GetName() == "logger")
        {
            const std::int32_t result = configureLogger(*child, configured);
            if (result != LogConfigResult::NO_ERROR)
            {
                return result;
            }
        }
    }
    return LogConfigResult::NO_ERROR;
}

}  // namespace ostrum::utils::logging
