#include "Libraries/OstrumCore/Source/Utils/Exception.h"

#include <utility>

namespace ostrum {

Exception::Exception(std::string message) : m_message(std::move(message)) {}

const std::string& Exception::getMessage() const
{
    return m_message;
}

}  // namespace ostrum
