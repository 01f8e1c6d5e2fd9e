#include "schema/UnsupportedWmiTypeError.h"

#include <string>

UnsupportedWmiTypeError::UnsupportedWmiTypeError(CIMTYPE cimType)
    : std::runtime_error("CCorvessaQpidType::GetQpidTypeString doesn't support type " + std::to_string(cimType)),
      m_cimType(cimType)
{
}
