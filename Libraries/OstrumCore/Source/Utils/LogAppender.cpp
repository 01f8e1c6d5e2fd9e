#include "Libraries/OstrumCore/Source/Utils/LogAppender.h"

namespace ostrum::utils::logging {

void LogAppender::append(const LogEvent&) {}

}  // namespace ostrum::utils::logging
