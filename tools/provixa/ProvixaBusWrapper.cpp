#include "tools/provixa/ProvixaBusWrapper.h"

#include "mappers/devices/QpidTypeConverter.h"

long ProvixaBusWrapper::Send(const std::string& address, const qpid::types::Variant::Map& properties,
                             const qpid::types::Variant::Map& content, int)
{
    const qpid::types::Variant::Map message{
        {"address", qpid::types::Variant(address)},
        {"properties", qpid::types::Variant(properties)},
        {"content", qpid::types::Variant(content)},
    };
    const std::string line = QpidTypeConverter::ToJson(message);
    const CheckedMutexLock guard(m_lock);
    m_out << line << "\n" << std::flush;
    return 0;
}
