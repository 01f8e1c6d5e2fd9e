// Reads the XML logging configuration: appenders created by type name with their patterns,
// and loggers with their levels, additivity and appender references.
//
//   <?xml version="1.0"?>
//   <any-root>
//     <logger-config>
//       <appender name="c" type="ostrum.ConsoleLogAppender" pattern="%level %message%newline"/>
//       <logger name="root" level="debug" additivity="true"><appender-ref name="c"/></logger>
//     </logger-config>
//   </any-root>
//
// Results are the codes of LogConfigResult. Settings made before a failure stay in force. The
// reader takes no lock of its own beyond the logger tree's: run it before logging starts.
#pragma once

#include <cstdint>
#include <string>

namespace ostrum::io {
class InputStream;
}

namespace ostrum::xml {
class XmlTreeNode;
}

namespace ostrum::utils::logging {

class LoggerConfiguration
{
public:
    LoggerConfiguration() = delete;

    // Reads the file through a buffered file stream; 1 when it cannot be opened.
    static std::int32_t configureFromFile(const std::string& path);
    // 3 for a document that does not parse (the XML declaration is required), 4 without a
    // "logger-config" element below the root, 2 when reading fails; otherwise the result of
    // configure.
    static std::int32_t configureFromStream(ostrum::io::InputStream& stream);
    // Applies a "logger-config" element: first its "appender" children, then its "logger"
    // children. A pattern with an unknown field name throws the layout's std::runtime_error.
    static std::int32_t configure(const ostrum::xml::XmlTreeNode& element);
};

}  // namespace ostrum::utils::logging
