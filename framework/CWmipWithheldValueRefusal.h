// CWmipWithheldValueRefusal: the refusal of a request that would evaluate a value the system
// never serves (a password hash) in a WHERE clause, a bus filter or an order: 0x80041017
// (WBEM_E_INVALID_QUERY) with CWmipMessages::kWithheldValue naming the property. A type of its
// own, so that a front end answering other query refusals with a code of its own (the bus's
// invalid filter) passes this one on unchanged.
//
// A plain value: copyable; thrown by value and caught by reference.
#pragma once

#include "inhouse/BntUtility/CWMIException.h"
#include "platform/mfc/CString.h"

class CWmipWithheldValueRefusal : public brontel::utility::CWMIException
{
public:
    // Where the property stood in the request.
    enum class Use
    {
        Where,
        Order,
    };

    CWmipWithheldValueRefusal(const wchar_t* sourceFile, int line, const CString& property, Use use);
};
