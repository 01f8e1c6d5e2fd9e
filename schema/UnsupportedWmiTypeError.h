// UnsupportedWmiTypeError: thrown when a CIM type has no name on the message bus. Its what()
// text is "CCorvessaQpidType::GetQpidTypeString doesn't support type N" with the refused type.
//
// Thrown by value, caught by reference; a value type with no shared state.
#pragma once

#include <stdexcept>

#include "platform/com/CimTypes.h"

class UnsupportedWmiTypeError : public std::runtime_error
{
public:
    explicit UnsupportedWmiTypeError(CIMTYPE cimType);

    // The refused CIM type, as it was asked for.
    CIMTYPE GetCimType() const { return m_cimType; }

private:
    CIMTYPE m_cimType;
};
