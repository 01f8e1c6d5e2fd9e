// sms::qpid::wrapper::IQpidWrapper: the bus host's interface through which the front end
// sends messages onto the bus. The host implements it and hands it to the application
// object (CCorvessaBaseApp::SetQpidWrapper); the front end never owns it.
//
// Implementations must accept calls from several host threads at once.
#pragma once

#include <string>

#include "platform/qpid/Variant.h"

namespace sms::qpid::wrapper {

class IQpidWrapper
{
public:
    virtual ~IQpidWrapper() = default;

    // Sends one message to the address: its message properties, its content map and the
    // host's send flags (0: the host's default delivery). The result is the host's status
    // (0 for success).
    virtual long Send(const std::string& address, const ::qpid::types::Variant::Map& properties,
                      const ::qpid::types::Variant::Map& content, int flags) = 0;
};

}  // namespace sms::qpid::wrapper
